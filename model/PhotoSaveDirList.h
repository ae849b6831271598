#pragma once

#include <QString>

#include "model/OwningList.h"
#include "model/XmlStore.h"

// A registered save folder.
struct TPhotoSaveDir {
    qint32 Order = 0;  // display order; 1, 2, ..., n after any edit in the settings dialog
    QString Path;      // full path as the folder chooser gave it, without a trailing '/'
};

// The save folders, stored as "data/PhotoSaveDirList.xml" beside the executable.
class TPhotoSaveDirList : public TOwningList<TPhotoSaveDir> {
public:
    // Appends the file's entries; a failure shows
    // "データの読み込みに失敗しました（PhotoSaveDirList）。" and keeps the entries read before it.
    void Load();
    // The same on the bytes of the file; shows nothing.
    TStoreLoadResult LoadFromBytes(const QByteArray& bytes);
    // Replaces the file with the whole list, making the folder "data" when it is missing; a
    // failure shows
    // "データの保存に失敗しました（PhotoSaveDirList）。" and leaves the list as it is.
    void Save() const;
    // The bytes that Save writes.
    QByteArray SaveToBytes() const;
    // Orders 1, 2, ..., n in list order.
    void Renumber();

    static QString FileName();
};

// The sort comparison for ascending Order.
int CompareSaveDirOrder(const TPhotoSaveDir* a, const TPhotoSaveDir* b);
