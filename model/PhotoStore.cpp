#include "model/PhotoStore.h"

#include <sys/stat.h>

#include <QFile>

bool FileExists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

bool IsStorableName(const QString& name) {
    return IsSafePhotoName(name) && IsXmlText(name);
}

QString UnstorableKeyText(const QString& fileName) {
    return QStringLiteral(
               "ファイル名 \"%1\" には保存できない文字が含まれているため、"
               "タグやお気に入りを記録できません。")
        .arg(fileName);
}

QString StoreFolderOf(const QString& storePath) {
    return storePath.left(storePath.lastIndexOf(u'/') + 1);
}

bool HasReducedCopy(const QString& saveDir, const QString& folder, const QString& fileName) {
    return IsSafePhotoName(folder) && IsSafePhotoName(fileName) &&
           FileExists(saveDir + folder + QStringLiteral("/reduce/") + fileName);
}
