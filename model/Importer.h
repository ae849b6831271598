#pragma once

#include <QDate>
#include <QString>

#include "imaging/Bitmap.h"
#include "model/JpegCodec.h"

// The import's work on disk, without any window: the dated folder of the day, then one photo at
// a time its full-size copy, its reduced copy and its thumbnail, all three from one decoding.
// The import window drives it and does the showing and asking:
//
//     TPhotoImporter importer(saveDir, QDate::currentDate(), width, height);
//     const bool created = importer.PrepareDateDir();
//     for each path:
//         const TBitmap& picture = importer.Decode(path);   // show it
//         name = file name; if importer.Holds(name): ask, maybe take a new name
//         importer.Store(path, name);
//
// Every step raises the program's Exception kinds: the decoder's EFOpenError or EJPEG,
// EWriteError for a folder or file that cannot be made.
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
    // too, as the delete command can leave one without them.
    bool PrepareDateDir() const;

    // Decodes the photo at full size; the picture stays until the next Decode.
    const TBitmap& Decode(const QString& path);

    // True when the dated folder already holds an entry of that name.
    bool Holds(const QString& name) const;

    // Copies the file to the dated folder under the name, then writes the reduced copy and the
    // thumbnail of the last decoded picture under the same name. A name that cannot be kept in
    // the folder or in the stores is refused before anything is written.
    void Store(const QString& path, const QString& name) const;

private:
    QString FSaveDir;
    QString FDateDirName;
    QString FDateDir;
    int FReduceWidth;
    int FReduceHeight;
    TJpegDecoder FDecoder;
    TBitmap FPicture;
};

// The report of an import that a photo ended early: the photo's path, the reason, and, when
// files came after it, that they were not imported.
QString ImportFailureText(const QString& path, const QString& reason, qsizetype notImported);
