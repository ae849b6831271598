#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>
#include <utility>
#include <vector>

#include "model/OwningList.h"
#include "model/PhotoFolders.h"
#include "platform/Exception.h"
#include "platform/XmlDocument.h"

// What the tag store and the favourites store share: the rule that keeps a stored entry, and an
// owning list keyed by (dated folder name, file name).

// True when something other than a folder exists at the path (links followed).
bool FileExists(const QString& path);

// True when the store files can hold the name: it is safe (IsSafePhotoName) and XML can carry it
// (IsXmlText). A name with a control character (Linux allows one) cannot be stored.
bool IsStorableName(const QString& name);
inline bool IsStorableKey(const QString& folder, const QString& fileName) {
    return IsStorableName(folder) && IsStorableName(fileName);
}
// The message for a photo whose key cannot be stored: it cannot be tagged or marked.
QString UnstorableKeyText(const QString& fileName);

// The folder part of a store file's path, with its trailing '/'; empty when there is none.
QString StoreFolderOf(const QString& storePath);

// Whether a stored entry is kept on loading: both names are safe and the photo's reduced copy,
// saveDir + folder + "/reduce/" + fileName, exists (something other than a folder, links
// followed).
bool HasReducedCopy(const QString& saveDir, const QString& folder, const QString& fileName);

// A photo's key: (dated folder name, file name), compared exactly.
using TPhotoKey = std::pair<QString, QString>;

// An ordered list that owns its entries, each with the fields Folder and FileName. Keys are not
// unique: Find and Remove act on the first entry of a key in list order. An index from each key
// to its first entry is kept in step with every change made through the list, so that the
// album's joins do not walk the store once per photo; the list therefore hands out its entries
// for reading and for changing their other fields, but Folder and FileName of an entry in the
// list are never changed in place (remove the entry and add a new one).
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
    T* Find(QStringView folder, QStringView fileName) const {
        return FIndex.value(TPhotoKey(folder.toString(), fileName.toString()), nullptr);
    }
    bool Contains(QStringView folder, QStringView fileName) const {
        return Find(folder, fileName) != nullptr;
    }

    // Frees the first entry with this key; nothing happens when there is none.
    void Remove(QStringView folder, QStringView fileName) {
        if (const T* entry = Find(folder, fileName))
            Delete(IndexOf(entry));
    }

    void Delete(qsizetype index) {
        const T* entry = Items(index);
        const TPhotoKey key = KeyOf(*entry);
        if (FIndex.value(key) == entry) {
            FIndex.remove(key);
            // The key's next entry in list order becomes its first.
            for (qsizetype i = index + 1; i < Count(); ++i) {
                if (KeyOf(*Items(i)) == key) {
                    FIndex.insert(key, Items(i));
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
    // Replaces the list by the entries that make(node) builds from the elements of elementPath
    // in the store file at path, in document order, keeping those whose reduced copy exists
    // under the file's folder. A missing or malformed file gives an empty list. Returns false
    // when reading failed part-way; the entries read before the failure are kept.
    template <typename TMake>
    bool LoadEntries(const QString& path, const QString& elementPath, TMake make) {
        Clear();
        if (!FileExists(path))
            return true;
        std::vector<std::unique_ptr<T>> read;
        bool whole = true;
        try {
            TXmlDocument document;
            document.Load(path);
            for (const TXmlNode& node : document.SelectNodes(elementPath))
                read.push_back(make(node));
        } catch (const std::exception&) {
            whole = false;
        }
        try {
            const QString saveDir = StoreFolderOf(path);
            for (auto& entry : read) {
                if (HasReducedCopy(saveDir, entry->Folder, entry->FileName))
                    Append(std::move(entry));
            }
        } catch (const std::exception&) {
            whole = false;
        }
        return whole;
    }

    // Writes the whole list to the path, each entry as an element of that name under "data" with
    // its "folder" and "file" and then what fill(entry, element) appends, with no text between
    // elements. An entry whose names the file could not carry (which Add refuses) is left out,
    // so the file always loads again. Raises when the file cannot be written.
    template <typename TFill>
    void SaveEntries(const QString& path, const QString& elementName, TFill fill) const {
        TXmlDocument document;
        document.AppendDeclaration();
        TXmlNode root = document.CreateRoot(QStringLiteral("data"));
        for (const T* entry : *this) {
            if (!IsStorableKey(entry->Folder, entry->FileName))
                continue;
            TXmlNode element = root.AppendElement(elementName);
            element.AppendElement(QStringLiteral("folder")).SetText(entry->Folder);
            element.AppendElement(QStringLiteral("file")).SetText(entry->FileName);
            fill(*entry, element);
        }
        document.Save(path, TXmlLayout::Compact);
    }

    // Appends a new entry after checking that its names can be stored.
    T* AppendChecked(std::unique_ptr<T> entry) {
        if (!IsStorableKey(entry->Folder, entry->FileName))
            throw Exception(UnstorableKeyText(entry->FileName));
        return Append(std::move(entry));
    }

    // Appends the entry at the end of the list.
    T* Append(std::unique_ptr<T> entry) {
        T* added = TBase::Add(std::move(entry));
        const TPhotoKey key = KeyOf(*added);
        if (!FIndex.contains(key))
            FIndex.insert(key, added);
        return added;
    }

private:
    static TPhotoKey KeyOf(const T& entry) { return TPhotoKey(entry.Folder, entry.FileName); }

    // The first entry of each key in list order.
    QHash<TPhotoKey, T*> FIndex;
};
