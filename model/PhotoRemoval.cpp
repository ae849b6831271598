#include "model/PhotoRemoval.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>

#include "model/PhotoFolders.h"
#include "model/PhotoLayout.h"
#include "model/PhotoRecords.h"
#include "platform/Exception.h"
#include "platform/FileErrors.h"

namespace {

// The names come from a folder listing or from a store that checked them on loading; a record
// put together any other way must still not reach outside its dated folder.
bool StaysInItsFolder(const TPhoto& photo) {
    const QString folderTail = photo.Folder + u'/';
    const bool folderNamed =
        photo.DirPath == folderTail || photo.DirPath.endsWith(u'/' + folderTail);
    return IsSafePhotoName(photo.FileName) && IsSafePhotoName(photo.Folder) && folderNamed;
}

QString WithoutSlash(QString path) {
    if (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// The folder that holds the entry at the path, with its '/'.
QString HoldingFolder(const QString& path) {
    const QString entry = WithoutSlash(path);
    return entry.left(entry.lastIndexOf(u'/') + 1);
}

// Raises when the entry at the path is there and could not be removed: a file's place holds a
// folder, or the folder that holds it may not be written and searched (root passes that test,
// but so does its unlink). An entry that is not there has nothing to remove.
void CheckRemovable(const QString& path, bool folder) {
    const QString entry = WithoutSlash(path);
    struct stat info {};
    int reason = 0;
    if (::lstat(QFile::encodeName(entry).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return;
        reason = errno;
    } else if (!folder && S_ISDIR(info.st_mode)) {
        reason = EISDIR;
    } else if (::access(QFile::encodeName(HoldingFolder(entry)).constData(), W_OK | X_OK) != 0) {
        reason = errno;
    }
    if (reason == 0)
        return;
    const QString text = SystemErrorText(reason);
    throw EWriteError(
        folder ? CannotDeleteFolderText(entry, text) : CannotDeleteFileText(entry, text), reason);
}

// Qt 6.4's moveToTrash, when it cannot make the user's own trash folder, takes the working
// folder for one and makes "files" and "info" there. The trash is used only where that folder
// is there (a folder of the user's, open to the user) or can be made: anywhere else there is no
// trash to speak of.
bool UserTrashUsable() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    struct stat info {};
    if (::stat(QFile::encodeName(data + QStringLiteral("/Trash")).constData(), &info) == 0)
        return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
               (info.st_mode & S_IRWXU) == S_IRWXU;
    return errno == ENOENT && ::access(QFile::encodeName(data).constData(), W_OK | X_OK) == 0;
}

// unlink never removes a folder, and removes a link rather than what it points at.
int Unlink(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

// The full-size file goes to the trash, where the user can still restore it; where there is no
// trash (moveToTrash refuses), it is deleted.
int Discard(const QString& path) {
    if (UserTrashUsable() && QFile::moveToTrash(path))
        return 0;
    return Unlink(path);
}

// Removes an empty folder; rmdir removes only an empty one, so whatever else the user keeps
// there stays. A folder that is already gone has nothing left to remove.
void RemoveEmptyFolder(const QString& dir) {
    if (::rmdir(QFile::encodeName(dir).constData()) != 0 && errno != ENOENT)
        throw EInOutError(errno);
}

std::exception_ptr CannotDelete(const QString& path, int reason) {
    return std::make_exception_ptr(
        EWriteError(CannotDeleteFileText(path, SystemErrorText(reason)), reason));
}

}  // namespace

void CheckPhotoFilesRemovable(const TPhoto& photo) {
    if (!StaysInItsFolder(photo))
        throw EInOutError(EINVAL);
    const QString& name = photo.FileName;
    for (const QString& dir : {photo.DirPath, photo.ThumbnailDir(), photo.ReducedDir()})
        CheckRemovable(dir + name, false);
    // The folders go only when "reduce/" is left without files; the listing stops at the first
    // other photo, so a large folder costs no more than a small one.
    if (!HoldsOnly(photo.ReducedDir(), {name}))
        return;
    CheckRemovable(photo.ThumbnailDir(), true);
    CheckRemovable(photo.ReducedDir(), true);
    const QStringList datedEntries = {name, WithoutSlash(PhotoLayout::ThumbnailSubdir()),
                                      WithoutSlash(PhotoLayout::ReduceSubdir())};
    if (HoldsOnly(photo.ThumbnailDir(), {name}) && HoldsOnly(photo.DirPath, datedEntries))
        CheckRemovable(photo.DirPath, true);
}

TPhotoFilesRemoval DeletePhotoFiles(const TPhoto& photo) {
    TPhotoFilesRemoval removal;
    if (!StaysInItsFolder(photo)) {
        removal.Failure = std::make_exception_ptr(EInOutError(EINVAL));
        return removal;
    }
    const QString fullSize = photo.DirPath + photo.FileName;
    if (const int reason = Discard(fullSize); reason != 0 && reason != ENOENT) {
        removal.Failure = CannotDelete(fullSize, reason);
        return removal;
    }
    // The reduced copy goes last: as long as it is there the album lists the photo, and the
    // caller keeps its entries.
    for (const QString& copy :
         {photo.ThumbnailDir() + photo.FileName, photo.ReducedDir() + photo.FileName}) {
        if (const int reason = Unlink(copy); reason != 0 && reason != ENOENT) {
            removal.Failure = CannotDelete(copy, reason);
            return removal;
        }
    }
    removal.Removed = true;
    if (CountFiles(photo.ReducedDir(), 1) != 0)
        return removal;
    try {
        RemoveEmptyFolder(photo.ThumbnailDir());
        RemoveEmptyFolder(photo.ReducedDir());
        RemoveEmptyFolder(photo.DirPath);
    } catch (const EInOutError& error) {
        // A folder that is not empty stays on purpose; any other refusal is worth telling.
        if (error.ErrorCode() != ENOTEMPTY && error.ErrorCode() != EEXIST)
            removal.Failure = std::current_exception();
    }
    return removal;
}
