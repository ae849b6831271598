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

// Creates the main window and the hidden viewer and runs the event loop.
int RunMainWindow();

}  // namespace Startup
