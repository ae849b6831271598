#pragma once

#include <QString>

// Points HOME and XDG_DATA_HOME at a temporary folder for the rest of the run, before anything
// reads them: whatever a test moves to the trash or a library keeps in the user's folders lands
// there, never among the user's own files. The folder lies beside the tests' temporary folders,
// on the same file system, so the trash there is the one a delete in those folders uses.
void UseTemporaryHome();

// The user's trash that the tests use: "files/" and "info/" are under it.
QString TestTrashDir();
