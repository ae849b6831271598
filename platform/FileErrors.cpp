#include "platform/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace {

// The reasons a user of a desktop program meets; under a non-Japanese locale the C library would
// give them in English.
const char* OwnReason(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return "ファイルまたはフォルダが見つかりません。";
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました。";
        case ENOSPC:
            return "ディスクの空き領域が不足しています。";
        case EROFS:
            return "読み取り専用のファイルシステムです。";
        case EEXIST:
            return "同じ名前のファイルまたはフォルダが既にあります。";
        case ENOTDIR:
            return "フォルダではありません。";
        case EISDIR:
            return "フォルダです。";
        case ENAMETOOLONG:
            return "ファイル名が長すぎます。";
        case EMFILE:
        case ENFILE:
            return "開いているファイルが多すぎます。";
        case EIO:
            return "入出力エラーが発生しました。";
        case EDQUOT:
            return "ディスクの使用量の制限を超えています。";
        default:
            return nullptr;
    }
}

}  // namespace

QString SystemErrorText(int errorNumber) {
    if (const char* own = OwnReason(errorNumber))
        return QString::fromUtf8(own);
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QString CannotCreateFileText(const QString& path, const QString& reason) {
    return QStringLiteral("ファイル \"%1\" を作成できません。%2").arg(path, reason);
}

QString CannotCreateFolderText(const QString& path, const QString& reason) {
    return QStringLiteral("フォルダ \"%1\" を作成できません。%2").arg(path, reason);
}

QString CannotDeleteFileText(const QString& path, const QString& reason) {
    return QStringLiteral("ファイル %1 を削除できません。%2").arg(path, reason);
}

QString CannotDeleteFolderText(const QString& path, const QString& reason) {
    return QStringLiteral("フォルダ %1 を削除できません。%2").arg(path, reason);
}

QString CannotOpenFileText(const QString& path, const QString& reason) {
    return QStringLiteral("ファイル %1 は開けません。 %2 ").arg(path, reason);
}

QString CannotWriteText(const QString& path) {
    return QStringLiteral("%1 に書き込めません").arg(path);
}

QString UnreadableFileMovedText(const QString& path, const QString& copy) {
    return QStringLiteral(
               "ファイル \"%1\" は読み込めない内容だったため、上書きする前に \"%2\" "
               "として残しました。")
        .arg(path, copy);
}
