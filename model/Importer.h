#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "imaging/Bitmap.h"
#include "model/JpegCodec.h"

// The import's work on disk, without any window: the dated folder of the day, then one photo at
// a time its full-size copy, its reduced copy and its thumbnail, all three from one decoding. The
// reduced copy, the thumbnail and the preview are the right way up (the file's EXIF orientation
// applied); the full-size copy is the chosen file, byte for byte.
// The import window drives it and does the showing and asking:
//
//     TPhotoImporter importer(saveDir, QDate::currentDate(), width, height);
//     const bool created = importer.PrepareDateDir();
//     for each path:
//         importer.Decode(path);
//         show importer.Preview(300, 300);
//         name = file name; if importer.Holds(name): ask, maybe take a new name
//         importer.Store(path, name);
//
// Every step raises the program's Exception kinds: the decoder's EFOpenError or EJPEG,
// EWriteError for a file that cannot be made. Such a failure concerns the one photo, and the
// import goes on with the next; EImportStopped is a failure that concerns every photo.
//
// A failure that no later photo can escape: the dated folder or one of its subfolders cannot be
// made or written, the disk is full, the file system read-only. The import ends with it.
class EImportStopped : public EWriteError {
public:
    using EWriteError::EWriteError;
};

class TPhotoImporter {
public:
    static constexpr int ThumbnailBox = 130;

    // saveDir ends in '/'. A reduce box side of zero or less is refused here, before anything is
    // made (only a hand-edited settings file gives one).
    TPhotoImporter(QString saveDir, const QDate& day, int reduceWidth, int reduceHeight);

    // yyyymmdd of the day the import started; an import past midnight stays in that folder.
    const QString& DateDirName() const { return FDateDirName; }
    // saveDir + DateDirName + '/'.
    const QString& DateDir() const { return FDateDir; }

    // Makes the dated folder (with missing parents) and its "reduce/" and "thumbnail/"; true when
    // the dated folder itself was made. Missing subfolders of an existing dated folder are added
    // too, as the delete command can leave one without them. Raises EImportStopped.
    bool PrepareDateDir() const;

    // Decodes the photo at full size and reads its orientation; the picture stays until the
    // next Decode.
    const TBitmap& Decode(const QString& path);
    int Orientation() const { return FOrientation; }
    // The last decoded picture the right way up, fitted into the box.
    TBitmap Preview(int maxWidth, int maxHeight) const;

    // True when the dated folder already holds an entry of that name.
    bool Holds(const QString& name) const;

    // Copies the file to the dated folder under the name, then writes the reduced copy and the
    // thumbnail of the last decoded picture under the same name. A name that cannot be kept in
    // the folder or in the stores is refused before anything is written. When a write fails, the
    // files this call made anew are removed again, so that no half of a photo stays; a write that
    // fails for a reason every photo would meet raises EImportStopped.
    void Store(const QString& path, const QString& name) const;

private:
    void StoreFiles(const QString& path, const QString& name) const;
    // Throws EImportStopped when the failed write, in the folder, concerns every photo.
    void StopIfEveryPhotoFails(const EWriteError& error, const QString& folder) const;

    QString FSaveDir;
    QString FDateDirName;
    QString FDateDir;
    int FReduceWidth;
    int FReduceHeight;
    TJpegDecoder FDecoder;
    TBitmap FPicture;
    int FOrientation = 1;
};

// The longest name a Linux file system holds, in bytes of the name's UTF-8 form.
inline constexpr qsizetype MaxFileNameBytes = 255;

// Why the name cannot be a photo's name in the dated folder, in the words the user reads; empty
// when it can be. Refused are names the file system cannot hold (longer than MaxFileNameBytes,
// with '/' or NUL, "." and "..") and names the stores cannot write (control characters).
QString NameRefusal(const QString& name);

// A chosen file that was not imported and why (PictureFailureReason).
struct TImportFailure {
    QString Path;
    QString Reason;
};

// The one report at the end of an import: why it stopped, if it did (with the number of chosen
// files it left untouched), then every file that was passed over, by name and reason, the first
// MaxListedFailures of them and how many more. Empty when there is nothing to report.
inline constexpr qsizetype MaxListedFailures = 20;
QString ImportReportText(const QString& stopReason, qsizetype notImported,
                         const QList<TImportFailure>& failures);
