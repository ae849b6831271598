#pragma once

#include <QString>
#include <QStringList>

#include "model/OwningList.h"
#include "model/PhotoStore.h"

// The tags of a save folder's photos, kept in "tag.xml" directly inside the save folder.

// One distinct tag name, as it came out of a tag text (may be empty).
struct TTag {
    QString Name;
};

// Distinct tag names; the album page sorts it itself.
class TTagList : public TOwningList<TTag> {
public:
    // True when an item's Name equals the name exactly (case matters).
    bool Contains(const QString& name) const;
};

// The tags of one photo.
struct TPhotoTag {
    QString Folder;    // the photo's dated folder inside the save folder
    QString FileName;  // the photo's file name inside that folder
    QString Tags;      // the tag text as the user typed it, names separated by ASCII commas
};

// The tag store. Keys (Folder, FileName) compare exactly and are not kept unique: the tag
// command looks an entry up before it adds one. New entries go to the end; the order of the list
// is the order of the file.
class TPhotoTagList : public TPhotoKeyList<TPhotoTag> {
public:
    // The store's name in its failure messages.
    static QString StoreName() { return QStringLiteral("PhotoTagList"); }

    // Appends a new entry without looking for an existing one. Characters that the file cannot
    // carry are left out of the tag text; a photo whose names it cannot carry (IsStorableKey) is
    // refused with an Exception (UnstorableKeyText) and nothing is added.
    TPhotoTag* Add(const QString& folder, const QString& fileName, const QString& tags);
    // Gives the photo's entry the tag text, as Add keeps it, changing the entry in place or
    // adding one at the end when there is none; raises as Add does. Returns the entry.
    TPhotoTag* Put(const QString& folder, const QString& fileName, const QString& tags);

    // Clears the target and fills it with the distinct names of every entry's Tags, in the order
    // of their first appearance, compared exactly (an empty name counts as a name).
    void CollectTags(TTagList& tags) const;

    // Replaces the list by the entries of the file. A missing or malformed file gives an empty
    // store without a message. An entry is kept only when its names are safe (IsSafePhotoName)
    // and its reduced copy exists under the folder of the path; other failures show
    // "データの読み込みに失敗しました（PhotoTagList）。" and keep the entries read before them.
    void LoadFromFile(const QString& path);
    // The same on the bytes of a store file, keeping the entries whose reduced copy exists
    // under saveDir (ending in '/'); shows nothing.
    TStoreLoadResult LoadFromBytes(const QByteArray& bytes, const QString& saveDir);

    // Writes the whole list to the path (atomically, the old file staying whole on a failure),
    // with no text between elements. A failure shows
    // "データの保存に失敗しました（PhotoTagList）。"; the list stays as it is and the caller goes
    // on.
    void SaveToFile(const QString& path) const;
    // The bytes that SaveToFile writes.
    QByteArray SaveToBytes() const;
};

// Clears the list and appends the names of a tag text: names are separated by commas, nothing
// is trimmed, and a name between double quotes may hold commas. An empty text gives no names.
void SplitTagText(const QString& text, QStringList& names);

// Tag names compared as the tag filter compares them: letters that differ only in case are
// equal, full-width Latin letters included.
bool SameTagName(const QString& a, const QString& b);

// True when one of the names of the entry's Tags is the tag under SameTagName.
bool CarriesTag(const TPhotoTag& entry, const QString& tag);
