#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <limits>

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

// True when the name can only mean an entry directly inside its folder: not empty, not "." or
// "..", and without a '/' or a NUL ('\' is an ordinary character here). The listing, the
// stores, the import's new name and the delete all ask this before they make a path of a name,
// so that a hand-edited store or a typed name never leads outside the save folder.
bool IsSafePhotoName(const QString& name);

// What a folder entry is, links followed: a link to nothing is neither file nor folder.
enum class TEntryKind { File, Folder, BrokenLink };

// Calls visit with the name and kind of every entry of the folder but "." and "..", in the order
// the folder gives them. False when the folder cannot be opened.
bool ForEachEntry(const QString& dir,
                  const std::function<void(QString name, TEntryKind kind)>& visit);

// The names of the entries that ListFiles lists, without the folder, in its order.
QStringList ListFileNames(const QString& dir, const QStringList& extensions);

// Appends dir + name for every entry of the folder that is not a folder (hidden entries
// included) whose extension, from the last '.' of the name, is one of extensions (".JPG" and
// the like, compared without regard to case). Subfolders are not entered; a missing folder adds
// nothing. Entries come in name order.
void ListFiles(const QString& dir, const QStringList& extensions, QStringList& files);

// Appends the name of every subfolder of the folder, in name order; a missing folder adds
// nothing.
void ListSubdirs(const QString& dir, QStringList& names);

// The number of entries of the folder that are not plain folders: files, links, and folders
// that carry a further attribute (hidden, read-only), counted up to atMost (CountFiles(dir, 1)
// only asks whether there is one, and reads no further than the first). When the folder cannot
// be read, shows "ファイル数の取得に失敗しました。" and returns the count reached; a missing folder
// counts 0.
int CountFiles(const QString& dir, int atMost = std::numeric_limits<int>::max());

// True when the folder holds no entry but the named ones, or is not there at all; the folder is
// read only as far as the first other entry.
bool HoldsOnly(const QString& dir, const QStringList& names);
