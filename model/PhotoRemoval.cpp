#include "model/PhotoRemoval.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "model/PhotoRecords.h"
#include "platform/Exception.h"

namespace {

bool StillThere(const QString& path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

}  // namespace

TPhotoFilesRemoval RemovePhotoFiles(const TPhoto& photo) {
    TPhotoFilesRemoval removal;
    try {
        DeletePhotoFiles(photo);
    } catch (const EInOutError& error) {
        // A folder that is not empty stays on purpose; any other refusal is worth telling.
        if (error.ErrorCode() != ENOTEMPTY && error.ErrorCode() != EEXIST)
            removal.Failure = std::current_exception();
    }
    const QString reduced = photo.ReducedDir() + photo.FileName;
    if (!StillThere(reduced)) {
        removal.Removed = true;
        return removal;
    }
    // A record refused before anything was touched keeps its own error.
    if (removal.Failure)
        return removal;
    // The first attempt passed over the file without a word; a second one gives the reason.
    if (::unlink(QFile::encodeName(reduced).constData()) == 0) {
        removal.Removed = true;
        return removal;
    }
    const int reason = errno;
    removal.Failure = std::make_exception_ptr(EWriteError(
        QStringLiteral("ファイル %1 を削除できません。%2").arg(reduced, SystemErrorText(reason))));
    return removal;
}
