#include "model/PhotoStore.h"

#include <sys/stat.h>

#include <QFile>

bool IsSafePhotoName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.isNull())
            return false;
    }
    return true;
}

bool FileExists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

QString StoreFolderOf(const QString& storePath) {
    return storePath.left(storePath.lastIndexOf(u'/') + 1);
}

bool ReducedCopyExists(const QString& saveDir, const QString& folder, const QString& fileName) {
    return IsSafePhotoName(folder) && IsSafePhotoName(fileName) &&
           FileExists(saveDir + folder + QStringLiteral("/reduce/") + fileName);
}
