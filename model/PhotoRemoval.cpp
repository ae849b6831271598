#include "model/PhotoRemoval.h"

#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "model/PhotoFolders.h"
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

// unlink never removes a folder, and removes a link rather than what it points at.
int Unlink(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

// Removes an empty folder; rmdir removes only an empty one, so whatever else the user keeps
// there stays. A folder that is already gone has nothing left to remove.
void RemoveEmptyFolder(const QString& dir) {
    if (::rmdir(QFile::encodeName(dir).constData()) != 0 && errno != ENOENT)
        throw EInOutError(errno);
}

}  // namespace

TPhotoFilesRemoval DeletePhotoFiles(const TPhoto& photo) {
    TPhotoFilesRemoval removal;
    if (!StaysInItsFolder(photo)) {
        removal.Failure = std::make_exception_ptr(EInOutError(EINVAL));
        return removal;
    }
    Unlink(photo.DirPath + photo.FileName);
    Unlink(photo.ThumbnailDir() + photo.FileName);
    const QString reduced = photo.ReducedDir() + photo.FileName;
    if (const int reason = Unlink(reduced); reason != 0 && reason != ENOENT) {
        removal.Failure =
            std::make_exception_ptr(EWriteError(QStringLiteral("ファイル %1 を削除できません。%2")
                                                    .arg(reduced, SystemErrorText(reason))));
        return removal;
    }
    removal.Removed = true;
    if (CountFiles(photo.ReducedDir()) != 0)
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
