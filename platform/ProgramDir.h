#pragma once

#include <QString>

// The program folder, ending in '/': the settings file, "data/PhotoSaveDirList.xml",
// "data/photo/" and the other data files live there. Tests point it at a temporary folder.
//
// It is the executable's folder when that already holds the settings file or "data/" (a portable
// copy, for example a folder brought over from a Windows PC with its files); otherwise it is the
// user's own data folder, so that an installed program, or one started from a build folder that
// is later removed, keeps the user's photos.
QString ProgramDir();
void SetProgramDir(const QString& folder);

// The rule itself: executableDir when it holds "KavroPhoto.ini" or a "data" folder, else
// userDataDir. Both end in '/'.
QString ChooseProgramDir(const QString& executableDir, const QString& userDataDir);

// The user's own data folder: ~/.local/share/KavroPhoto/ on a usual desktop.
QString UserDataDir();

// Makes the program folder and its "data/" when they are missing. Raises an Exception naming
// the folder ("フォルダ "%s" を作成できません。%s") when it cannot.
void MakeProgramDir();

// The settings file in the program folder: "KavroPhoto.ini".
QString SettingsFilePath();
