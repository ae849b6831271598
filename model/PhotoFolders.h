#pragma once

#include <QString>
#include <QStringList>

#include "model/OwningList.h"

// A dated folder of a save folder: "yyyymmdd/" with the imported photos, "reduce/" with their
// reduced copies and "thumbnail/" with their thumbnails, all under the photo's file name.
struct TPhotoDir {
    QString Name;  // the folder's name, normally yyyymmdd; any subfolder name is possible
};

// The dated folders of the open save folder.
class TPhotoDirList : public TOwningList<TPhotoDir> {
public:
    // Clears the list and adds one TPhotoDir per subfolder of the save folder (ListSubdirs).
    void Load(const QString& saveDir);
};

// The sort comparison for ascending dated folders: by the integer value of Name, a name that is
// not a decimal integer counting as 0.
int CompareDirNumber(const TPhotoDir* a, const TPhotoDir* b);

// Appends dir + name for every entry of the folder that is not a folder (hidden entries
// included) whose extension, from the last '.' of the name, is one of extensions (".JPG" and
// the like, compared without regard to case). Subfolders are not entered; a missing folder adds
// nothing. Entries come in name order.
void ListFiles(const QString& dir, const QStringList& extensions, QStringList& files);

// Appends the name of every subfolder of the folder, in name order; a missing folder adds
// nothing.
void ListSubdirs(const QString& dir, QStringList& names);

// The number of entries of the folder that are not plain folders: files, links, and folders
// that carry a further attribute (hidden, read-only). When the folder cannot be read, shows
// "ファイル数の取得に失敗しました。" and returns the count reached; a missing folder counts 0.
int CountFiles(const QString& dir);
