#pragma once

#include <QString>

// The folder of the executable, ending in '/': the settings file, "data/PhotoSaveDirList.xml",
// "data/photo/" and the other data files live there. Tests point it at a temporary folder.
QString ProgramDir();
void SetProgramDir(const QString& folder);

// The settings file: the executable's path with the extension ".ini".
QString SettingsFilePath();
