#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <utility>

#include "model/OwningList.h"

// What the tag store and the favourites store share: the rule that keeps a stored entry, and an
// owning list keyed by (dated folder name, file name).

// True when the name can only mean an entry directly inside its folder: not empty, not "." or
// "..", and without a path separator ('/' here, '\' in the Windows program that shares the
// files) or a NUL. A hand-edited or foreign store must never lead the album, or the delete
// command, to a file outside the save folder.
bool IsSafePhotoName(const QString& name);

// True when something other than a folder exists at the path (links followed).
bool FileExists(const QString& path);

// The folder part of a store file's path, with its trailing '/'; empty when there is none.
QString StoreFolderOf(const QString& storePath);

// Whether a stored entry is kept on loading: both names are safe and the photo's reduced copy,
// saveDir + folder + "/reduce/" + fileName, exists.
bool ReducedCopyExists(const QString& saveDir, const QString& folder, const QString& fileName);

// An ordered list that owns its entries, each with the fields Folder and FileName. Keys are not
// unique: Find and Remove act on the first entry of a key in list order. An index from each key
// to its first entry is kept in step with every change made through the list, so a lookup costs
// the same whatever the size of the store; the list therefore hands out its entries for reading
// and for changing their other fields, but Folder and FileName of an entry in the list are never
// changed in place (remove the entry and add a new one).
template <typename T>
class TPhotoKeyList : private TOwningList<T> {
    using TBase = TOwningList<T>;

public:
    using const_iterator = typename TBase::const_iterator;
    using TBase::begin;
    using TBase::Count;
    using TBase::end;
    using TBase::First;
    using TBase::IndexOf;
    using TBase::IsEmpty;
    using TBase::Items;
    using TBase::Last;
    using TBase::operator[];

    // The first entry with this key, or null.
    T* Find(const QString& folder, const QString& fileName) const {
        const auto slot = FIndex.constFind(TKey(folder, fileName));
        return slot == FIndex.constEnd() ? nullptr : slot->First;
    }
    bool Contains(const QString& folder, const QString& fileName) const {
        return FIndex.contains(TKey(folder, fileName));
    }

    // Frees the first entry with this key; nothing happens when there is none.
    void Remove(const QString& folder, const QString& fileName) {
        if (const T* entry = Find(folder, fileName))
            Delete(IndexOf(entry));
    }

    void Delete(qsizetype index) {
        const T* entry = Items(index);
        const auto slot = FIndex.find(TKey(entry->Folder, entry->FileName));
        if (--slot->Count == 0) {
            FIndex.erase(slot);
        } else if (slot->First == entry) {
            // The key's next entry in list order becomes its first.
            for (qsizetype i = index + 1; i < Count(); ++i) {
                T* next = Items(i);
                if (next->Folder == entry->Folder && next->FileName == entry->FileName) {
                    slot->First = next;
                    break;
                }
            }
        }
        TBase::Delete(index);
    }

    void Clear() {
        FIndex.clear();
        TBase::Clear();
    }

protected:
    // Appends the entry at the end of the list.
    T* Append(std::unique_ptr<T> entry) {
        TSlot& slot = FIndex[TKey(entry->Folder, entry->FileName)];
        T* added = TBase::Add(std::move(entry));
        if (slot.Count++ == 0)
            slot.First = added;
        return added;
    }
    void Reserve(qsizetype count) {
        TBase::Reserve(count);
        FIndex.reserve(count);
    }

private:
    using TKey = std::pair<QString, QString>;
    struct TSlot {
        T* First = nullptr;
        qsizetype Count = 0;
    };
    QHash<TKey, TSlot> FIndex;
};
