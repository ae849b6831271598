#include "model/Importer.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "model/PhotoFolders.h"
#include "model/PhotoLayout.h"
#include "model/PhotoStore.h"
#include "model/Pictures.h"
#include "platform/AtomicFile.h"
#include "platform/FileErrors.h"

namespace {

[[noreturn]] void RaiseFolderError(const QString& path, int errorNumber) {
    throw EWriteError(CannotCreateFolderText(path, SystemErrorText(errorNumber)));
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
    LoadGraphic(FPicture, path, FDecoder);
    return FPicture;
}

bool TPhotoImporter::Holds(const QString& name) const {
    return QFileInfo::exists(FDateDir + name);
}

void TPhotoImporter::Store(const QString& path, const QString& name) const {
    // A name that is not a plain name would put the copies somewhere else, and one the stores
    // cannot write would make the photo impossible to tag or mark.
    if (!IsStorableName(name))
        throw EWriteError(UnusableFileNameText(name));
    const QString target = FDateDir + name;
    // The full-size file is copied byte for byte; a failure is reported like a failed write of
    // the reduced copy, so that the photo is never listed without its original.
    try {
        CopyFileAtomically(path, target);
    } catch (const ESystemError& error) {
        throw EWriteError(CannotCreateFileText(target, error.Message()));
    }
    WriteReduced(FPicture, FReduceWidth, FReduceHeight, PhotoLayout::ReducedDirOf(FDateDir) + name);
    WriteReduced(FPicture, ThumbnailBox, ThumbnailBox,
                 PhotoLayout::ThumbnailDirOf(FDateDir) + name);
}

QString ImportFailureText(const QString& path, const QString& reason, qsizetype notImported) {
    QString text = QStringLiteral("ファイル \"%1\" を取り込めませんでした。\n%2").arg(path, reason);
    if (notImported > 0) {
        text += QStringLiteral("\nこのファイルより後の %1 個のファイルは取り込まれていません。")
                    .arg(notImported);
    }
    return text;
}
