#include "model/PhotoStore.h"

#include <dirent.h>
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

bool TReducedCopies::Exists(const QString& folder, const QString& fileName) {
    if (!IsSafePhotoName(folder) || !IsSafePhotoName(fileName))
        return false;
    const QString reduceDir = FSaveDir + folder + QStringLiteral("/reduce/");
    TFolder& known = FFolders[folder];
    if (!known.Decided)
        Decide(reduceDir, known);
    if (known.Missing)
        return false;
    if (known.Listed && known.Files.contains(QFile::encodeName(fileName)))
        return true;
    return FileExists(reduceDir + fileName);
}

void TReducedCopies::Decide(const QString& reduceDir, TFolder& folder) const {
    folder.Decided = true;
    const QByteArray native = QFile::encodeName(reduceDir);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        folder.Missing = true;
        return;
    }
    // Reading a folder costs about a tenth of asking about one file per entry it holds; its
    // size in bytes bounds from above what reading it costs.
    if (folder.Expected < 8 || qint64(folder.Expected) * 128 < qint64(info.st_size))
        return;
    DIR* handle = ::opendir(native.constData());
    if (handle == nullptr)
        return;
    folder.Files.reserve(folder.Expected);
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            if (::fstatat(::dirfd(handle), entry->d_name, &target, 0) != 0 ||
                S_ISDIR(target.st_mode)) {
                continue;
            }
        }
        folder.Files.insert(QByteArray(entry->d_name));
    }
    ::closedir(handle);
    folder.Listed = true;
}
