#include "model/Album.h"

#include <algorithm>

#include "model/PhotoLayout.h"
#include "model/PhotoRemoval.h"
#include "model/Pictures.h"
#include "platform/Cp932.h"

TAlbum::TAlbum(const TPhotoSetting& setting) : FSetting(setting) {}

void TAlbum::OpenCurrentDir() {
    FPhotoDirList.Load(FCurrentDir);
    FPhotoOkiniList.LoadFromFile(FCurrentDir + PhotoLayout::OkiniFileName());
    FPhotoTagList.LoadFromFile(FCurrentDir + PhotoLayout::TagFileName());
}

void TAlbum::ReloadDatedFolders() {
    FPhotoDirList.Load(FCurrentDir);
}

void TAlbum::SortDatedFolders() {
    FPhotoDirList.Sort(CompareDirNumber);
}

void TAlbum::CollectTags() {
    FPhotoTagList.CollectTags(FTagList);
}

void TAlbum::SortTags() {
    FTagList.Sort(CompareTagName);
}

void TAlbum::JoinStores() {
    FPhotoList.JoinTags(FPhotoTagList);
    FPhotoList.JoinOkini(FPhotoOkiniList);
}

void TAlbum::ListFolder(const TPhotoDir* dir) {
    FPhotoList.Clear();
    if (dir)
        FPhotoList.LoadFromDir(FCurrentDir + dir->Name + u'/', ReadAll(), ReadAll());
    JoinStores();
}

void TAlbum::ListTag(const TTag* tag) {
    FPhotoList.Clear();
    if (tag)
        FPhotoList.LoadByTag(FCurrentDir, tag->Name, ReadAll(), ReadAll(), FPhotoTagList);
    JoinStores();
}

void TAlbum::ListFavourites() {
    // Every photo of the store is a favourite already; only the tags are joined.
    FPhotoList.LoadOkini(FCurrentDir, FPhotoOkiniList, ReadAll(), ReadAll());
    FPhotoList.JoinTags(FPhotoTagList);
}

// The record changes only after its store did: a store that refuses the photo (Add raises for a
// name its file cannot hold) leaves the record, and so the grid and the star buttons, as they
// were.
void TAlbum::SetFavourite(TPhoto& photo, bool favourite) {
    if (favourite)
        FPhotoOkiniList.Add(photo.Folder, photo.FileName);
    else
        FPhotoOkiniList.Remove(photo.Folder, photo.FileName);
    FPhotoOkiniList.SaveToFile(FCurrentDir + PhotoLayout::OkiniFileName());
    photo.Favourite = FPhotoOkiniList.Contains(photo.Folder, photo.FileName);
}

void TAlbum::SetTags(TPhoto& photo, const QString& tags) {
    const TPhotoTag* entry = FPhotoTagList.Put(photo.Folder, photo.FileName, tags);
    FPhotoTagList.SaveToFile(FCurrentDir + PhotoLayout::TagFileName());
    photo.Tags = entry->Tags;
}

// The stores are written before the files go, so that no entry outlives its photo; and nothing
// is changed before every file and folder the delete removes is known to be removable.
std::exception_ptr TAlbum::DeletePhoto(TPhoto* photo) {
    CheckPhotoFilesRemovable(*photo);
    const QString okiniPath = FCurrentDir + PhotoLayout::OkiniFileName();
    const QString tagPath = FCurrentDir + PhotoLayout::TagFileName();
    const bool wasFavourite = FPhotoOkiniList.Contains(photo->Folder, photo->FileName);
    if (wasFavourite) {
        FPhotoOkiniList.Remove(photo->Folder, photo->FileName);
        FPhotoOkiniList.SaveToFile(okiniPath);
    }
    const TPhotoTag* tagEntry = FPhotoTagList.Find(photo->Folder, photo->FileName);
    const bool hadTags = tagEntry != nullptr;
    const QString tags = hadTags ? tagEntry->Tags : QString();
    if (hadTags) {
        FPhotoTagList.Remove(photo->Folder, photo->FileName);
        FPhotoTagList.SaveToFile(tagPath);
    }

    const TPhotoFilesRemoval removal = DeletePhotoFiles(*photo);
    if (!removal.Removed) {
        // A removal that failed all the same (the disk changed since the check): neither the
        // mark nor the tags of a photo that is still listed may be lost.
        if (wasFavourite) {
            FPhotoOkiniList.Add(photo->Folder, photo->FileName);
            FPhotoOkiniList.SaveToFile(okiniPath);
        }
        if (hadTags) {
            FPhotoTagList.Add(photo->Folder, photo->FileName, tags);
            FPhotoTagList.SaveToFile(tagPath);
        }
        std::rethrow_exception(removal.Failure);
    }
    FPhotoList.Remove(photo);
    return removal.Failure;
}

TBitmap TAlbum::TurnPhoto(TPhoto& photo, int angle) {
    TBitmap picture;
    const QString reducedPath = photo.ReducedDir() + photo.FileName;
    LoadNamedGraphic(picture, reducedPath);
    int quarterTurns = (angle / 90) % 4;
    if (quarterTurns < 0)
        quarterTurns += 4;
    if (angle % 90 == 0 && quarterTurns != 0) {
        picture.MakeDeviceIndependent();
        picture = TurnedBitmap(picture, quarterTurns);
    }
    // Both copies are written and flushed under temporary names before either is put in place:
    // one that cannot be written leaves both as they were, never one turned and one not.
    TJpegWrite reduced =
        PrepareJpeg(picture, QSize(picture.Width(), picture.Height()), reducedPath);
    TJpegWrite thumbnail =
        PrepareReduced(picture, ThumbnailBox, ThumbnailBox, photo.ThumbnailDir() + photo.FileName);
    TJpegWrite::CommitTogether(reduced, thumbnail);
    // The record's thumbnail is only ever the one on disk.
    photo.LoadThumbnail();
    return picture;
}

QString FormatFolderCaption(const QString& name) {
    // Only a date gets the marks: a name of the same length in other characters ("トマト畑" is
    // eight bytes too) is the user's own and is shown as it is.
    if (name.size() != 8 && name.size() != 6)
        return name;
    for (const QChar c : name) {
        if (c < u'0' || c > u'9')
            return name;
    }
    QString caption = name.left(4) + QStringLiteral("年") + name.mid(4, 2) + QStringLiteral("月");
    if (name.size() == 8)
        caption += name.mid(6, 2) + QStringLiteral("日");
    return caption;
}

int CompareTagName(const TTag* a, const TTag* b) {
    // Folds a-z to A-Z, but not in the second byte of a double-byte character.
    const auto folded = [](const QString& name) {
        QByteArray result = Cp932::Encode(name);
        for (qsizetype i = 0; i < result.size(); ++i) {
            const auto byte = static_cast<unsigned char>(result[i]);
            if (Cp932::IsLeadByte(byte))
                ++i;
            else if (byte >= 'a' && byte <= 'z')
                result[i] = char(byte - 'a' + 'A');
        }
        return result;
    };
    const QByteArray x = folded(a->Name);
    const QByteArray y = folded(b->Name);
    const qsizetype common = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto p = static_cast<unsigned char>(x[i]);
        const auto q = static_cast<unsigned char>(y[i]);
        if (p != q)
            return p < q ? -1 : 1;
    }
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}
