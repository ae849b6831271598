#pragma once

#include <QString>

#include "model/PhotoStore.h"

// The favourite photos of a save folder, kept in "okini.xml" directly inside the save folder.

// One favourite photo.
struct TPhotoOkini {
    QString Folder;    // the photo's dated folder inside the save folder
    QString FileName;  // the photo's file name inside that folder
};

// The favourites store, the tag store's twin. Keys (Folder, FileName) compare exactly and are
// not kept unique; new entries go to the end, so the list keeps the order of marking.
class TPhotoOkiniList : public TPhotoKeyList<TPhotoOkini> {
public:
    // The store's name in its failure messages.
    static QString StoreName() { return QStringLiteral("PhotoOkiniList"); }

    // Appends a new entry without looking for an existing one; a photo whose names the file
    // cannot carry is refused as TPhotoTagList::Add refuses it.
    TPhotoOkini* Add(const QString& folder, const QString& fileName);

    // Replaces the list by the entries of the file, as TPhotoTagList::LoadFromFile does; its
    // message is "データの読み込みに失敗しました（PhotoOkiniList）。".
    void LoadFromFile(const QString& path);
    // The same on the bytes of a store file, as TPhotoTagList::LoadFromBytes.
    TStoreLoadResult LoadFromBytes(const QByteArray& bytes, const QString& saveDir);

    // Writes the whole list atomically; a failure shows
    // "データの保存に失敗しました（PhotoOkiniList）。", the list stays as it is and the caller goes
    // on.
    void SaveToFile(const QString& path) const;
    // The bytes that SaveToFile writes.
    QByteArray SaveToBytes() const;
};
