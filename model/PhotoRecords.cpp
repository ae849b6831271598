#include "model/PhotoRecords.h"

#include <QStringBuilder>

#include "exif/ExifInfo.h"
#include "model/PhotoFolders.h"
#include "model/Pictures.h"
#include "platform/Exception.h"

namespace {

// The last name of a folder path that ends in '/'.
QString LastName(const QString& dirPath) {
    const qsizetype end = dirPath.endsWith(u'/') ? dirPath.size() - 1 : dirPath.size();
    const qsizetype start = dirPath.lastIndexOf(u'/', end - 1) + 1;
    return dirPath.mid(start, end - start);
}

}  // namespace

void TPhoto::InitFromFile(const QString& dirPath, const QString& fileName, bool readExif,
                          bool readThumbnail) {
    FileName = fileName;
    DirPath = dirPath;
    Folder = LastName(dirPath);
    if (readExif)
        ReadExif();
    if (readThumbnail)
        LoadThumbnail();
}

void TPhoto::InitFromEntry(const QString& saveDir, const QString& folder, const QString& fileName) {
    FileName = fileName.mid(fileName.lastIndexOf(u'/') + 1);
    DirPath = saveDir + folder + u'/';
    Folder = folder;
}

void TPhoto::InitFromTag(const QString& saveDir, const TPhotoTag& entry, bool readExif,
                         bool readThumbnail) {
    InitFromEntry(saveDir, entry.Folder, entry.FileName);
    Favourite = false;
    if (readExif)
        ReadExif();
    if (readThumbnail)
        LoadThumbnail();
}

void TPhoto::InitFromOkini(const QString& saveDir, const TPhotoOkini& entry, bool readExif,
                           bool readThumbnail) {
    InitFromEntry(saveDir, entry.Folder, entry.FileName);
    Favourite = true;
    if (readExif)
        ReadExif();
    if (readThumbnail)
        LoadThumbnail();
}

void TPhoto::ReadExif() {
    const QString path = DirPath + FileName;
    try {
        // One opening of the file: a missing file or one without EXIF keeps its dates.
        TExifInfo reader;
        if (reader.ReadIfExif(path)) {
            QString shot = reader.DateTimeOriginal();
            QString update = reader.DateTime();
            ShotDate = std::move(shot);
            UpdateDate = std::move(update);
        }
    } catch (const std::exception& error) {
        ExifFailed = true;
        ExifError = ErrorMessage(error);
        throw;
    }
    ExifRead = true;
    ExifFailed = false;
    ExifError.clear();
}

void TPhoto::LoadThumbnail() {
    try {
        // Decoded aside, so that a failure leaves the picture the row showed before. The row's
        // tooltip shows the error, so it names the thumbnail that could not be read.
        TBitmap picture;
        LoadNamedGraphic(picture, ThumbnailDir() + FileName);
        Thumbnail = std::move(picture);
    } catch (const std::exception& error) {
        ThumbnailFailed = true;
        ThumbnailError = ErrorMessage(error);
        throw;
    }
    ThumbnailLoaded = true;
    ThumbnailFailed = false;
    ThumbnailError.clear();
}

QString TPhoto::InfoText() const {
    // Built at once into one string: the album makes this text for every photo it lists.
    return u"場所：" % DirPath % u"\r\nファイル：" % FileName % u"\r\n撮影日：" % ShotDate %
           u"\r\n更新日時：" % UpdateDate % u"\r\nタグ：" % Tags;
}

TPhoto* TPhotoList::AddPhoto() {
    return Add(std::make_unique<TPhoto>());
}

void TPhotoList::ReadAll(TPhoto& photo, bool readExif, bool readThumbnail) {
    // The photo keeps the failure (ExifFailed, ThumbnailFailed) for the album to show.
    if (readExif) {
        try {
            photo.ReadExif();
        } catch (const std::exception&) {
        }
    }
    if (readThumbnail) {
        try {
            photo.LoadThumbnail();
        } catch (const std::exception&) {
        }
    }
}

void TPhotoList::LoadFromDir(const QString& dirPath, bool readExif, bool readThumbnail) {
    Clear();
    const QStringList names =
        ListFileNames(PhotoLayout::ReducedDirOf(dirPath),
                      {QStringLiteral(".JPG"), QStringLiteral(".JPE"), QStringLiteral(".JPEG")});
    Reserve(names.size());
    // DirPath and Folder are shared by every photo.
    const QString folder = LastName(dirPath);
    for (const QString& name : names) {
        TPhoto* photo = AddPhoto();
        photo->FileName = name;
        photo->DirPath = dirPath;
        photo->Folder = folder;
        ReadAll(*photo, readExif, readThumbnail);
    }
}

void TPhotoList::LoadByTag(const QString& saveDir, const QString& tagName, bool readExif,
                           bool readThumbnail, const TPhotoTagList& tags) {
    Clear();
    for (const TPhotoTag* entry : tags) {
        if (CarriesTag(*entry, tagName)) {
            TPhoto* photo = AddPhoto();
            photo->InitFromTag(saveDir, *entry, false, false);
            ReadAll(*photo, readExif, readThumbnail);
        }
    }
}

void TPhotoList::LoadOkini(const QString& saveDir, const TPhotoOkiniList& okini, bool readExif,
                           bool readThumbnail) {
    Clear();
    Reserve(okini.Count());
    for (const TPhotoOkini* entry : okini) {
        TPhoto* photo = AddPhoto();
        photo->InitFromOkini(saveDir, *entry, false, false);
        ReadAll(*photo, readExif, readThumbnail);
    }
}

void TPhotoList::JoinTags(const TPhotoTagList& tags) {
    for (TPhoto* photo : *this) {
        if (const TPhotoTag* entry = tags.Find(photo->Folder, photo->FileName))
            photo->Tags = entry->Tags;
    }
}

void TPhotoList::JoinOkini(const TPhotoOkiniList& okini) {
    for (TPhoto* photo : *this)
        photo->Favourite = okini.Contains(photo->Folder, photo->FileName);
}
