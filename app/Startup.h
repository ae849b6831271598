#pragma once

class TSingleInstanceLock;

// Steps of the program entry, apart from main() so that tests can run them.
namespace Startup {

// Qt WebEngine refuses to start as root with its sandbox on; the program turns the sandbox off
// for itself only when the effective user is root. Call before the application object exists.
void PrepareWebEngine();

// Takes the lock "Kavro". When another program of the family holds it, shows the warning
// "ソラリノシリーズが起動中です。" and returns false: the process then ends with exit code 0.
bool ClaimSingleInstance(TSingleInstanceLock& lock);

// Makes the program folder and its "data/" on first use. When that cannot be done, tells the
// user which folder and why, and returns false: the process then ends.
bool PrepareProgramDir();

// Gives every window the program's own icon (frame, task switcher).
void SetProgramIcon();

// Creates the main window and the hidden viewer and runs the event loop.
int RunMainWindow();

}  // namespace Startup
