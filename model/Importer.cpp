#include "model/Importer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "model/Orientation.h"
#include "model/PhotoFolders.h"
#include "model/PhotoLayout.h"
#include "model/PhotoStore.h"
#include "model/Pictures.h"
#include "platform/AtomicFile.h"
#include "platform/FileErrors.h"

namespace {

[[noreturn]] void RaiseFolderError(const QString& path, int errorNumber) {
    throw EImportStopped(CannotCreateFolderText(path, SystemErrorText(errorNumber)), errorNumber);
}

// 0 when files can be made in the folder, else the reason as an error number.
int FolderProblem(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return errno;
    return 0;
}

bool Exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Makes a folder with any missing parents.
void MakeFolder(const QString& path) {
    QString partial;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        partial += u'/' + part;
        if (::mkdir(QFile::encodeName(partial).constData(), 0777) != 0 && errno != EEXIST)
            RaiseFolderError(path, errno);
    }
    if (!QFileInfo(path).isDir())
        RaiseFolderError(path, ENOTDIR);
}

}  // namespace

TPhotoImporter::TPhotoImporter(QString saveDir, const QDate& day, int reduceWidth, int reduceHeight)
    : FSaveDir(std::move(saveDir)),
      FDateDirName(day.toString(QStringLiteral("yyyyMMdd"))),
      FDateDir(FSaveDir + FDateDirName + u'/'),
      FReduceWidth(reduceWidth),
      FReduceHeight(reduceHeight) {
    FitSize(1, 1, reduceWidth, reduceHeight);
}

bool TPhotoImporter::PrepareDateDir() const {
    const bool created = !QFileInfo::exists(FDateDir);
    if (created)
        MakeFolder(FDateDir);
    for (const QString& path :
         {PhotoLayout::ReducedDirOf(FDateDir), PhotoLayout::ThumbnailDirOf(FDateDir)}) {
        if (!QFileInfo(path).isDir())
            MakeFolder(path);
    }
    return created;
}

const TBitmap& TPhotoImporter::Decode(const QString& path) {
    FOrientation = 1;
    LoadGraphic(FPicture, path, FDecoder);
    FOrientation = ReadOrientation(path);
    return FPicture;
}

TBitmap TPhotoImporter::Preview(int maxWidth, int maxHeight) const {
    return ShownPicture(FPicture, FOrientation, maxWidth, maxHeight);
}

bool TPhotoImporter::Holds(const QString& name) const {
    return QFileInfo::exists(FDateDir + name);
}

void TPhotoImporter::Store(const QString& path, const QString& name) const {
    // A name that is not a plain name would put the copies somewhere else, and one the stores
    // cannot write would make the photo impossible to tag or mark.
    const QString refusal = NameRefusal(name);
    if (!refusal.isEmpty())
        throw EWriteError(refusal);
    StoreFiles(path, name);
}

QString NameRefusal(const QString& name) {
    if (name.toUtf8().size() > MaxFileNameBytes) {
        return QStringLiteral(
            "ファイル名が長すぎます。拡張子を含めて 255 バイト（全角文字なら 85 文字）以内に"
            "してください。");
    }
    if (!IsStorableName(name))
        return QStringLiteral("ファイル名に使用できない文字が含まれています。");
    return {};
}

void TPhotoImporter::StoreFiles(const QString& path, const QString& name) const {
    const QString folders[] = {FDateDir, PhotoLayout::ReducedDirOf(FDateDir),
                               PhotoLayout::ThumbnailDirOf(FDateDir)};
    bool existed[3];
    for (int i = 0; i < 3; ++i)
        existed[i] = Exists(folders[i] + name);
    int written = 0;
    try {
        // The full-size file is copied byte for byte; a failure is reported like a failed write
        // of the reduced copy, so that the photo is never listed without its original.
        try {
            CopyFileAtomically(path, folders[0] + name);
        } catch (const ESystemError& error) {
            throw EWriteError(CannotCreateFileText(folders[0] + name, error.Message()),
                              error.ErrorNumber());
        }
        written = 1;
        WriteShownReduced(FPicture, FOrientation, FReduceWidth, FReduceHeight, folders[1] + name);
        written = 2;
        WriteShownReduced(FPicture, FOrientation, ThumbnailBox, ThumbnailBox, folders[2] + name);
    } catch (const EWriteError& error) {
        // Replaced files stay replaced: their old content is gone either way.
        for (int i = 0; i < written; ++i) {
            if (!existed[i])
                ::unlink(QFile::encodeName(folders[i] + name).constData());
        }
        StopIfEveryPhotoFails(error, folders[written]);
        throw;
    }
}

void TPhotoImporter::StopIfEveryPhotoFails(const EWriteError& error, const QString& folder) const {
    int reason = error.ErrorNumber();
    if (reason != ENOSPC && reason != EDQUOT && reason != EROFS) {
        reason = FolderProblem(folder);
        if (reason == 0)
            return;
    }
    throw EImportStopped(
        QStringLiteral("フォルダ \"%1\" に書き込めないため、取り込みを中止しました。%2")
            .arg(folder, SystemErrorText(reason)),
        reason);
}

QString ImportReportText(const QString& stopReason, qsizetype notImported,
                         const QList<TImportFailure>& failures) {
    QStringList parts;
    if (!stopReason.isEmpty()) {
        QString part = stopReason;
        if (notImported > 0) {
            part +=
                QStringLiteral("\n残りの %1 個のファイルは取り込まれていません。").arg(notImported);
        }
        parts.append(part);
    }
    if (!failures.isEmpty()) {
        QString part =
            QStringLiteral("次の %1 個のファイルは取り込めませんでした。").arg(failures.size());
        for (qsizetype i = 0; i < failures.size() && i < MaxListedFailures; ++i) {
            part +=
                u'\n' + FileFailureText(QFileInfo(failures[i].Path).fileName(), failures[i].Reason);
        }
        if (failures.size() > MaxListedFailures)
            part += QStringLiteral("\nほか %1 件").arg(failures.size() - MaxListedFailures);
        parts.append(part);
    }
    return parts.join(QStringLiteral("\n\n"));
}
