#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/OwningList.h"
#include "model/PhotoFolders.h"
#include "model/XmlStore.h"
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
//
// A store names thousands of photos, and asking the file system about each costs a system call
// and a path walk apiece. A folder that many entries name (measured against the size of its
// "reduce/") is therefore read once, and its entries are answered from the names it holds; a
// name it does not hold is still asked about, so that a file system that matches names in its
// own way (letter case on some) answers as it would have.
class TReducedCopies {
public:
    explicit TReducedCopies(QString saveDir) : FSaveDir(std::move(saveDir)) {}

    // Announces an entry of the folder that Exists will be asked about.
    void Expect(const QString& folder) { ++FFolders[folder].Expected; }
    bool Exists(const QString& folder, const QString& fileName);

private:
    struct TFolder {
        qsizetype Expected = 0;
        bool Decided = false;
        bool Missing = false;
        bool Listed = false;
        QSet<QString> Files;  // the names of the files of "reduce/"
    };
    void Decide(const QString& reduceDir, TFolder& folder) const;

    QString FSaveDir;
    QHash<QString, TFolder> FFolders;
};

// A photo's key, (dated folder name, file name), as views of texts held elsewhere: of an entry's
// own Folder and FileName in an index, of the caller's texts in a lookup. Compared exactly.
struct TPhotoKey {
    QStringView Folder;
    QStringView FileName;

    friend bool operator==(const TPhotoKey& a, const TPhotoKey& b) {
        return a.FileName == b.FileName && a.Folder == b.Folder;
    }
};

struct TPhotoKeyHash {
    size_t operator()(const TPhotoKey& key) const noexcept {
        return qHashMulti(QHashSeed::globalSeed(), key.Folder, key.FileName);
    }
};

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
        const auto found = FIndex.find(TPhotoKey{folder, fileName});
        return found == FIndex.end() ? nullptr : found->second.First;
    }
    bool Contains(QStringView folder, QStringView fileName) const {
        return FIndex.find(TPhotoKey{folder, fileName}) != FIndex.end();
    }

    // Frees the first entry with this key; nothing happens when there is none.
    void Remove(QStringView folder, QStringView fileName) {
        if (const T* entry = Find(folder, fileName))
            Delete(IndexOf(entry));
    }

    void Delete(qsizetype index) {
        const T* entry = Items(index);
        const auto found = FIndex.find(KeyOf(*entry));
        if (found->second.First != entry) {
            --found->second.Count;
        } else {
            const qsizetype left = found->second.Count - 1;
            FIndex.erase(found);
            // The key's next entry in list order becomes its first; the index's key then views
            // that entry's texts.
            for (qsizetype i = index + 1; left > 0 && i < Count(); ++i) {
                T* next = Items(i);
                if (next->Folder == entry->Folder && next->FileName == entry->FileName) {
                    FIndex.emplace(KeyOf(*next), TSlot{next, left});
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
    // in the bytes of a store file, in document order, keeping those whose reduced copy exists
    // under saveDir. Bytes that are no store file give an empty list (NotAStore); when reading
    // fails part-way the entries read before the failure are kept (Partial).
    template <typename TMake>
    TStoreLoadResult LoadEntries(const QByteArray& bytes, const QString& saveDir,
                                 const QString& elementPath, TMake make) {
        Clear();
        std::vector<std::unique_ptr<T>> read;
        TStoreLoadResult result = ReadStoreElements(
            bytes, elementPath, [&](const TXmlNode& node) { read.push_back(make(node)); });
        if (result == TStoreLoadResult::NotAStore)
            return result;
        try {
            TReducedCopies copies(saveDir);
            for (const auto& entry : read)
                copies.Expect(entry->Folder);
            Reserve(qsizetype(read.size()));
            for (auto& entry : read) {
                if (copies.Exists(entry->Folder, entry->FileName))
                    Append(std::move(entry));
            }
        } catch (const std::exception&) {
            result = TStoreLoadResult::Partial;
        }
        return result;
    }

    // The bytes of the store file that holds the whole list: each entry as an element of that
    // name under "data" with its "folder" and "file" and then what fill(entry, writer) writes,
    // with no text between elements. An entry whose names the file could not carry (which Add
    // refuses) is left out, so the file always loads again.
    template <typename TFill>
    QByteArray EntriesBytes(const QString& elementName, TFill fill) const {
        const QString root = QStringLiteral("data");
        const QString folder = QStringLiteral("folder");
        const QString file = QStringLiteral("file");
        TXmlTextWriter writer;
        writer.Open(root);
        for (const T* entry : *this) {
            if (!IsStorableKey(entry->Folder, entry->FileName))
                continue;
            writer.Open(elementName);
            writer.Element(folder, entry->Folder);
            writer.Element(file, entry->FileName);
            fill(*entry, writer);
            writer.Close(elementName);
        }
        writer.Close(root);
        return writer.Finish();
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
        ++FIndex.try_emplace(KeyOf(*added), TSlot{added, 0}).first->second.Count;
        return added;
    }
    void Reserve(qsizetype count) {
        TBase::Reserve(count);
        FIndex.reserve(size_t(count));
    }

private:
    // The first entry of a key in list order and the number of entries with it.
    struct TSlot {
        T* First;
        qsizetype Count;
    };
    static TPhotoKey KeyOf(const T& entry) { return TPhotoKey{entry.Folder, entry.FileName}; }

    // Keyed by views of the first entry's own texts, which never change while it is listed.
    std::unordered_map<TPhotoKey, TSlot, TPhotoKeyHash> FIndex;
};
