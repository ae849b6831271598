#pragma once

#include <QString>

// The texts of failed file operations, each built in this one place so that every writer and
// reader words the same failure the same way.

// The reason a user reads for an errno value: the program's own Japanese text for the reasons a
// user meets, whatever the locale; the system's text for the rest.
QString SystemErrorText(int errorNumber);

// "ファイル "%s" を作成できません。%s": a file that could not be written.
QString CannotCreateFileText(const QString& path, const QString& reason);
// "フォルダ "%s" を作成できません。%s": a folder that could not be made.
QString CannotCreateFolderText(const QString& path, const QString& reason);
// "ファイル %s を削除できません。%s": a file that could not be deleted.
QString CannotDeleteFileText(const QString& path, const QString& reason);
// "フォルダ %s を削除できません。%s": a folder that could not be removed.
QString CannotDeleteFolderText(const QString& path, const QString& reason);
// "ファイル %s は開けません。 %s ": a file that could not be opened.
QString CannotOpenFileText(const QString& path, const QString& reason);
// "%s に書き込めません": a settings file that could not be written.
QString CannotWriteText(const QString& path);
// A data file that could not be read, moved aside before it was written over.
QString UnreadableFileMovedText(const QString& path, const QString& copy);
