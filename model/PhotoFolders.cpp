#include "model/PhotoFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/Messages.h"

namespace {

QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

// A folder's entries, read straight from the kernel (getdents64). The first read asks for a few
// entries only: a caller that stops early (does "reduce/" keep another photo?) then never pays
// for reading a folder of a thousand photos, while a whole listing costs one read more.
class TDirHandle {
public:
    explicit TDirHandle(const QString& dir)
        : FHandle(::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        FError = FHandle >= 0 ? 0 : errno;
    }
    ~TDirHandle() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TDirHandle(const TDirHandle&) = delete;
    TDirHandle& operator=(const TDirHandle&) = delete;

    bool IsOpen() const { return FHandle >= 0; }
    int OpenError() const { return FError; }
    int Descriptor() const { return FHandle; }
    // The next entry other than "." and ".."; null at the end or on an error (errno set).
    const dirent64* Next() {
        for (;;) {
            if (FNext >= FEnd && !Read())
                return nullptr;
            const auto* entry = reinterpret_cast<const dirent64*>(FBuffer.data() + FNext);
            FNext += entry->d_reclen;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                return entry;
        }
    }

private:
    static constexpr size_t FirstRead = 1024;
    static constexpr size_t LaterRead = 32768;

    bool Read() {
        const size_t size = FBuffer.empty() ? FirstRead : LaterRead;
        FBuffer.resize(size);
        errno = 0;
        const ssize_t got = ::getdents64(FHandle, FBuffer.data(), size);
        if (got <= 0) {
            if (got == 0)
                errno = 0;
            return false;
        }
        FNext = 0;
        FEnd = size_t(got);
        return true;
    }

    int FHandle;
    int FError;
    // Records of the kernel's layout (each 8-byte aligned, as the allocation is).
    std::vector<char> FBuffer;
    size_t FNext = 0;
    size_t FEnd = 0;
};

TEntryKind KindOf(const TDirHandle& dir, const dirent64* entry) {
    if (entry->d_type == DT_DIR)
        return TEntryKind::Folder;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return TEntryKind::File;
    struct stat info {};
    if (::fstatat(dir.Descriptor(), entry->d_name, &info, 0) != 0)
        return TEntryKind::BrokenLink;
    return S_ISDIR(info.st_mode) ? TEntryKind::Folder : TEntryKind::File;
}

// A name with every character case-folded as QString::compare folds it when it ignores case
// (simple folding, a surrogate pair as one character), so that comparing keys as plain texts
// orders names as that comparison does, without folding each name again at every step.
QString FoldedForSorting(const QString& name) {
    QString key(name.size(), Qt::Uninitialized);
    const char16_t* from = reinterpret_cast<const char16_t*>(name.utf16());
    char16_t* to = reinterpret_cast<char16_t*>(key.data());
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = from[i];
        if (c < 0x80) {
            to[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(from[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, from[i + 1]));
            to[i] = QChar::highSurrogate(folded);
            to[++i] = QChar::lowSurrogate(folded);
        } else {
            to[i] = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
    }
    return key;
}

// File systems yield entries in no useful order; the album lists photos and folders by name,
// letters compared without regard to case first, as the Windows file system orders them.
void SortByName(QStringList& names) {
    std::vector<std::pair<QString, qsizetype>> keyed;
    keyed.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keyed.emplace_back(FoldedForSorting(names[i]), i);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        const int order = QStringView(a.first).compare(QStringView(b.first));
        return order != 0 ? order < 0 : names[a.second] < names[b.second];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& [key, index] : keyed)
        sorted.append(std::move(names[index]));
    names.swap(sorted);
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

bool IsSafePhotoName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c.isNull())
            return false;
    }
    return true;
}

bool ForEachEntry(const QString& dir,
                  const std::function<void(QString name, TEntryKind kind)>& visit) {
    TDirHandle handle(WithSeparator(dir));
    if (!handle.IsOpen())
        return false;
    while (const dirent64* entry = handle.Next())
        visit(QFile::decodeName(entry->d_name), KindOf(handle, entry));
    return true;
}

QStringList ListFileNames(const QString& dir, const QStringList& extensions) {
    QStringList names;
    // A link to nothing is listed: the album shows the photo as one whose files are missing.
    ForEachEntry(dir, [&](QString name, TEntryKind kind) {
        if (kind == TEntryKind::Folder || !IsSafePhotoName(name))
            return;
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0)
            return;
        const QStringView extension = QStringView(name).mid(dot);
        const bool wanted = std::any_of(
            extensions.begin(), extensions.end(),
            [&](const QString& e) { return extension.compare(e, Qt::CaseInsensitive) == 0; });
        if (wanted)
            names.append(std::move(name));
    });
    SortByName(names);
    return names;
}

void ListFiles(const QString& dir, const QStringList& extensions, QStringList& files) {
    const QString folder = WithSeparator(dir);
    for (const QString& name : ListFileNames(folder, extensions))
        files.append(folder + name);
}

void ListSubdirs(const QString& dir, QStringList& names) {
    QStringList found;
    ForEachEntry(dir, [&](QString name, TEntryKind kind) {
        if (kind == TEntryKind::Folder)
            found.append(std::move(name));
    });
    SortByName(found);
    names.append(found);
}

int CountFiles(const QString& dir, int atMost) {
    TDirHandle handle(WithSeparator(dir));
    if (!handle.IsOpen()) {
        const int error = handle.OpenError();
        if (error != ENOENT && error != ENOTDIR) {
            Messages::Show(QStringLiteral("ファイル数の取得に失敗しました。"));
        }
        return 0;
    }
    int count = 0;
    while (count < atMost) {
        const dirent64* entry = handle.Next();
        if (entry == nullptr) {
            if (errno != 0)
                Messages::Show(QStringLiteral("ファイル数の取得に失敗しました。"));
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
    return count;
}

bool HoldsOnly(const QString& dir, const QStringList& names) {
    TDirHandle handle(WithSeparator(dir));
    if (!handle.IsOpen())
        return handle.OpenError() == ENOENT;
    while (const dirent64* entry = handle.Next()) {
        if (!names.contains(QFile::decodeName(entry->d_name)))
            return false;
    }
    return errno == 0;
}
