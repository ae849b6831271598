#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "model/OwningList.h"
#include "platform/XmlDocument.h"

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
        QSet<QByteArray> Files;  // the names of the files of "reduce/", as the folder gives them
    };
    void Decide(const QString& reduceDir, TFolder& folder) const;

    QString FSaveDir;
    QHash<QString, TFolder> FFolders;
};

// Open addressing from a key (dated folder name, file name) to the first entry of that key in
// list order and the number of entries with it. Only a key's hash is held; a candidate is
// confirmed against the entry's own Folder and FileName, so a lookup reads no more than the slot
// and the entry, and makes no copy of the texts it is given.
template <typename T>
class TPhotoKeyIndex {
public:
    struct TSlot {
        size_t Hash = 0;
        T* First = nullptr;  // null: the slot is free
        qsizetype Count = 0;
    };

    static size_t HashOf(QStringView folder, QStringView fileName) {
        return Mix(HashText(fileName, HashText(folder, FSeed)));
    }

    TSlot* Find(QStringView folder, QStringView fileName) const {
        return Find(folder, fileName, HashOf(folder, fileName));
    }
    TSlot* Find(QStringView folder, QStringView fileName, size_t hash) const {
        if (FSlots.empty())
            return nullptr;
        for (size_t i = hash & FMask;; i = (i + 1) & FMask) {
            TSlot& slot = FSlots[i];
            if (slot.First == nullptr)
                return nullptr;
            if (slot.Hash == hash && Same(slot.First->FileName, fileName) &&
                Same(slot.First->Folder, folder)) {
                return &slot;
            }
        }
    }

    // The steps of a lookup started ahead of time, each on what the one before brought in: the
    // key's home slot, then the entry it names, then the entry's texts.
    void FetchSlot(size_t hash) const {
        if (!FSlots.empty())
            __builtin_prefetch(&FSlots[hash & FMask]);
    }
    void FetchEntry(size_t hash) const {
        if (FSlots.empty())
            return;
        const TSlot& slot = FSlots[hash & FMask];
        if (slot.First != nullptr && slot.Hash == hash)
            __builtin_prefetch(slot.First);
    }
    void FetchTexts(size_t hash) const {
        if (FSlots.empty())
            return;
        const TSlot& slot = FSlots[hash & FMask];
        if (slot.First != nullptr && slot.Hash == hash) {
            __builtin_prefetch(slot.First->FileName.constData());
            __builtin_prefetch(slot.First->Folder.constData());
            // The tag store's joins take a share of the entry's Tags, a write to its header.
            if constexpr (requires(T & entry) { entry.Tags.data_ptr().d_ptr(); })
                __builtin_prefetch(slot.First->Tags.data_ptr().d_ptr(), 1);
        }
    }

    // Counts one more entry of the entry's key; the first one becomes the key's first entry.
    void Insert(T* entry) {
        if (TSlot* slot = Find(entry->Folder, entry->FileName)) {
            ++slot->Count;
            return;
        }
        if ((FUsed + 1) * 2 > FSlots.size())
            Grow();
        Place(TSlot{HashOf(entry->Folder, entry->FileName), entry, 1});
        ++FUsed;
    }

    // Frees the slot of a key whose last entry is gone, moving later slots of its probe run back
    // so that no lookup stops short of them.
    void Erase(TSlot* slot) {
        size_t hole = size_t(slot - FSlots.data());
        for (size_t i = (hole + 1) & FMask; FSlots[i].First != nullptr; i = (i + 1) & FMask) {
            const size_t home = FSlots[i].Hash & FMask;
            // The slot at i may fill the hole when its home is not in (hole, i] cyclically.
            const bool between =
                hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
            if (!between) {
                FSlots[hole] = FSlots[i];
                hole = i;
            }
        }
        FSlots[hole] = TSlot{};
        --FUsed;
    }

    void Clear() {
        FSlots.clear();
        FSlots.shrink_to_fit();
        FMask = 0;
        FUsed = 0;
    }

    void Reserve(qsizetype count) {
        while (size_t(count) * 2 > FSlots.size())
            Grow();
    }

private:
    // A short text's hash, eight bytes at a time: file names make lookups many and keys short,
    // where a general-purpose string hash spends more time setting up than hashing. The seed
    // differs from run to run, so no file can be made to collide on purpose.
    static size_t HashText(QStringView text, size_t hash) {
        const char16_t* data = text.utf16();
        qsizetype left = text.size();
        hash = (hash ^ size_t(left)) * 0x9E3779B97F4A7C15ull;
        for (; left >= 4; left -= 4, data += 4) {
            quint64 word;
            std::memcpy(&word, data, sizeof word);
            hash = Mix(hash ^ word);
        }
        quint64 word = 0;
        std::memcpy(&word, data, size_t(left) * sizeof(char16_t));
        return Mix(hash ^ word ^ 0xA5);
    }
    static size_t Mix(size_t value) {
        value ^= value >> 32;
        value *= 0xD6E8FEB86659FD93ull;
        value ^= value >> 32;
        return value;
    }

    // Equal texts; a text shared with the entry's own compares without reading its characters.
    static bool Same(const QString& stored, QStringView probe) {
        return stored.size() == probe.size() &&
               (stored.constData() == probe.data() || QStringView(stored) == probe);
    }

    void Place(const TSlot& slot) {
        size_t i = slot.Hash & FMask;
        while (FSlots[i].First != nullptr)
            i = (i + 1) & FMask;
        FSlots[i] = slot;
    }

    void Grow() {
        std::vector<TSlot> old;
        old.swap(FSlots);
        FSlots.resize(old.empty() ? 16 : old.size() * 2);
        FMask = FSlots.size() - 1;
        for (const TSlot& slot : old) {
            if (slot.First != nullptr)
                Place(slot);
        }
    }

    inline static const size_t FSeed = QHashSeed::globalSeed();
    mutable std::vector<TSlot> FSlots;
    size_t FMask = 0;
    size_t FUsed = 0;
};

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
    T* Find(QStringView folder, QStringView fileName) const {
        const auto* slot = FIndex.Find(folder, fileName);
        return slot ? slot->First : nullptr;
    }
    bool Contains(QStringView folder, QStringView fileName) const {
        return FIndex.Find(folder, fileName) != nullptr;
    }

    // Calls visit(item, Find(item->Folder, item->FileName)) for every item of a list, in order
    // (items: anything with Folder and FileName, such as the album's photos). The lookups of
    // later items are started while earlier ones are compared, so that a long list does not wait
    // on memory once per item.
    template <typename TItems, typename TVisit>
    void FindEach(const TItems& items, TVisit visit) const {
        constexpr qsizetype Ahead = 16;
        const qsizetype count = items.Count();
        size_t hashes[Ahead];
        auto start = [&](qsizetype i) {
            const auto* item = items[i];
            hashes[i % Ahead] = FIndex.HashOf(item->Folder, item->FileName);
            FIndex.FetchSlot(hashes[i % Ahead]);
        };
        for (qsizetype i = 0; i < std::min(Ahead, count); ++i)
            start(i);
        for (qsizetype i = 0; i < count; ++i) {
            const size_t hash = hashes[i % Ahead];
            if (i + Ahead / 2 < count)
                FIndex.FetchEntry(hashes[(i + Ahead / 2) % Ahead]);
            if (i + Ahead / 4 < count)
                FIndex.FetchTexts(hashes[(i + Ahead / 4) % Ahead]);
            auto* item = items[i];
            const auto* slot = FIndex.Find(item->Folder, item->FileName, hash);
            if (i + Ahead < count)
                start(i + Ahead);
            visit(item, slot ? slot->First : nullptr);
        }
    }

    // Frees the first entry with this key; nothing happens when there is none.
    void Remove(QStringView folder, QStringView fileName) {
        if (const T* entry = Find(folder, fileName))
            Delete(IndexOf(entry));
    }

    void Delete(qsizetype index) {
        const T* entry = Items(index);
        auto* slot = FIndex.Find(entry->Folder, entry->FileName);
        if (--slot->Count == 0) {
            FIndex.Erase(slot);
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
        FIndex.Clear();
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
            const QList<TXmlNode> nodes = document.SelectNodes(elementPath);
            read.reserve(size_t(nodes.size()));
            // Entries of one dated folder share its name's text: less memory, and a lookup that
            // compares folder names finds the text already at hand.
            QSet<QString> folders;
            for (const TXmlNode& node : nodes) {
                std::unique_ptr<T> entry = make(node);
                const auto known = folders.constFind(entry->Folder);
                if (known != folders.constEnd())
                    entry->Folder = *known;
                else
                    folders.insert(entry->Folder);
                read.push_back(std::move(entry));
            }
        } catch (const std::exception&) {
            whole = false;
        }
        try {
            TReducedCopies copies(StoreFolderOf(path));
            for (const auto& entry : read)
                copies.Expect(entry->Folder);
            Reserve(qsizetype(read.size()));
            for (auto& entry : read) {
                if (copies.Exists(entry->Folder, entry->FileName))
                    Append(std::move(entry));
            }
        } catch (const std::exception&) {
            whole = false;
        }
        return whole;
    }

    // Appends the entry at the end of the list.
    T* Append(std::unique_ptr<T> entry) {
        T* added = TBase::Add(std::move(entry));
        FIndex.Insert(added);
        return added;
    }
    void Reserve(qsizetype count) {
        TBase::Reserve(count);
        FIndex.Reserve(count);
    }

private:
    TPhotoKeyIndex<T> FIndex;
};
