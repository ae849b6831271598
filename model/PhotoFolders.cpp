#include "model/PhotoFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Dialogs.h"

namespace {

QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

class TDirHandle {
public:
    explicit TDirHandle(const QString& dir) : FDir(::opendir(QFile::encodeName(dir).constData())) {
        FError = FDir ? 0 : errno;
    }
    ~TDirHandle() {
        if (FDir)
            ::closedir(FDir);
    }
    TDirHandle(const TDirHandle&) = delete;
    TDirHandle& operator=(const TDirHandle&) = delete;

    bool IsOpen() const { return FDir != nullptr; }
    int OpenError() const { return FError; }
    int Descriptor() const { return ::dirfd(FDir); }
    // The next entry other than "." and ".."; null at the end or on an error (errno set).
    const dirent* Next() {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(FDir);
            if (entry == nullptr)
                return nullptr;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                return entry;
            }
        }
    }

private:
    DIR* FDir;
    int FError;
};

bool IsFolder(const TDirHandle& dir, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(dir.Descriptor(), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// File systems yield entries in no useful order; the album lists photos and folders by name,
// letters compared without regard to case first, as the Windows file system orders them.
void SortByName(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

// The decimal value of a name, or 0 when it is not a decimal integer of 32 bits.
qint64 DirNumber(const QString& name) {
    qsizetype i = 0;
    const bool negative = name.startsWith(u'-');
    if (negative || name.startsWith(u'+'))
        i = 1;
    if (i >= name.size())
        return 0;
    qint64 value = 0;
    for (; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(1) << 31)
            return 0;
    }
    value = negative ? -value : value;
    return value > 0x7fffffff ? 0 : value;
}

}  // namespace

void TPhotoDirList::Load(const QString& saveDir) {
    Clear();
    QStringList names;
    ListSubdirs(saveDir, names);
    for (const QString& name : names) {
        auto dir = std::make_unique<TPhotoDir>();
        dir->Name = name;
        Add(std::move(dir));
    }
}

int CompareDirNumber(const TPhotoDir* a, const TPhotoDir* b) {
    const qint64 left = DirNumber(a->Name);
    const qint64 right = DirNumber(b->Name);
    return left < right ? -1 : left > right ? 1 : 0;
}

void ListFiles(const QString& dir, const QStringList& extensions, QStringList& files) {
    const QString folder = WithSeparator(dir);
    TDirHandle handle(folder);
    if (!handle.IsOpen())
        return;
    QStringList names;
    while (const dirent* entry = handle.Next()) {
        if (IsFolder(handle, entry))
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0)
            continue;
        const QString extension = name.mid(dot);
        const bool wanted = std::any_of(
            extensions.begin(), extensions.end(),
            [&](const QString& e) { return extension.compare(e, Qt::CaseInsensitive) == 0; });
        if (wanted)
            names.append(name);
    }
    SortByName(names);
    for (const QString& name : names)
        files.append(folder + name);
}

void ListSubdirs(const QString& dir, QStringList& names) {
    TDirHandle handle(WithSeparator(dir));
    if (!handle.IsOpen())
        return;
    QStringList found;
    while (const dirent* entry = handle.Next()) {
        if (IsFolder(handle, entry))
            found.append(QFile::decodeName(entry->d_name));
    }
    SortByName(found);
    names.append(found);
}

int CountFiles(const QString& dir) {
    TDirHandle handle(WithSeparator(dir));
    if (!handle.IsOpen()) {
        const int error = handle.OpenError();
        if (error != ENOENT && error != ENOTDIR) {
            Dialogs::ShowMessage(QStringLiteral("ファイル数の取得に失敗しました。"));
        }
        return 0;
    }
    int count = 0;
    for (;;) {
        const dirent* entry = handle.Next();
        if (entry == nullptr) {
            if (errno != 0)
                Dialogs::ShowMessage(QStringLiteral("ファイル数の取得に失敗しました。"));
            return count;
        }
        // A regular file always counts; the listing says so without a stat per file, which
        // the delete command's check of a large "reduce/" would otherwise pay for each photo.
        if (entry->d_type == DT_REG) {
            ++count;
            continue;
        }
        // A plain folder is a real folder (not a link) that is neither hidden (a leading '.')
        // nor read-only; everything else counts.
        struct stat info {};
        if (::fstatat(handle.Descriptor(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // gone since it was listed
        }
        const bool plainFolder =
            S_ISDIR(info.st_mode) && entry->d_name[0] != '.' && (info.st_mode & S_IWUSR) != 0;
        if (!plainFolder)
            ++count;
    }
}
