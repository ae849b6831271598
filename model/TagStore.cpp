#include "model/TagStore.h"

#include <QSet>

#include "model/XmlStore.h"
#include "platform/AtomicFile.h"
#include "platform/Messages.h"
#include "platform/XmlDocument.h"

bool TTagList::Contains(const QString& name) const {
    for (const TTag* tag : *this) {
        if (tag->Name == name)
            return true;
    }
    return false;
}

TPhotoTag* TPhotoTagList::Add(const QString& folder, const QString& fileName, const QString& tags) {
    return AppendChecked(std::make_unique<TPhotoTag>(TPhotoTag{folder, fileName, XmlTextOf(tags)}));
}

TPhotoTag* TPhotoTagList::Put(const QString& folder, const QString& fileName, const QString& tags) {
    TPhotoTag* entry = Find(folder, fileName);
    if (!entry)
        return Add(folder, fileName, tags);
    entry->Tags = XmlTextOf(tags);
    return entry;
}

void TPhotoTagList::CollectTags(TTagList& tags) const {
    tags.Clear();
    // The set answers what TTagList::Contains would, without a walk of the list per name.
    QSet<QString> seen;
    QStringList names;
    for (const TPhotoTag* entry : *this) {
        SplitTagText(entry->Tags, names);
        for (const QString& name : names) {
            if (!seen.contains(name)) {
                seen.insert(name);
                tags.Add(std::make_unique<TTag>(TTag{name}));
            }
        }
    }
}

void TPhotoTagList::LoadFromFile(const QString& path) {
    Clear();
    LoadStoreFile(path, StoreName(), [&](const QByteArray& bytes) {
        return LoadFromBytes(bytes, StoreFolderOf(path));
    });
}

TStoreLoadResult TPhotoTagList::LoadFromBytes(const QByteArray& bytes, const QString& saveDir) {
    const QString folder = QStringLiteral("folder");
    const QString file = QStringLiteral("file");
    const QString val = QStringLiteral("val");
    return LoadEntries(bytes, saveDir, QStringLiteral("/data/tag"), [&](const TXmlNode& node) {
        return std::make_unique<TPhotoTag>(TPhotoTag{node.SelectSingleNode(folder).Text(),
                                                     node.SelectSingleNode(file).Text(),
                                                     node.SelectSingleNode(val).Text()});
    });
}

QByteArray TPhotoTagList::SaveToBytes() const {
    const QString val = QStringLiteral("val");
    return EntriesBytes(QStringLiteral("tag"), [&](const TPhotoTag& entry, TXmlTextWriter& tag) {
        tag.Element(val, entry.Tags);
    });
}

void TPhotoTagList::SaveToFile(const QString& path) const {
    try {
        WriteFileAtomically(path, SaveToBytes());
    } catch (const std::exception& error) {
        Messages::Show(XmlStoreSaveFailedText(StoreName(), path, SaveFailureReason(error)));
    }
}

void SplitTagText(const QString& text, QStringList& names) {
    names.clear();
    if (text.isEmpty())
        return;
    // Searching the text as characters, never as bytes, means the second byte of a double-byte
    // character can never be taken for a comma or a double quote.
    qsizetype start = 0;
    bool quoted = false;
    for (;;) {
        quoted = start < text.size() && text[start] == u'"';
        if (quoted)
            ++start;
        const qsizetype found =
            quoted ? text.indexOf(QLatin1String("\","), start) : text.indexOf(u',', start);
        if (found < 0)
            break;
        names.append(text.mid(start, found - start));
        start = found + (quoted ? 2 : 1);
    }
    qsizetype end = text.size();
    // A last name that opens a quote gives up its closing quote. When that quote is missing
    // (the user forgot it) the name runs to the end of the text and nothing more is cut:
    // dropping whatever character stands last would eat a letter the user typed, and splitting
    // the rest at its commas would turn one intended name into several.
    if (quoted && end > start && text[end - 1] == u'"')
        --end;
    names.append(text.mid(start, end - start));
}

bool SameTagName(const QString& a, const QString& b) {
    // Unicode case folding: Ａ and ａ fold as A and a do; width is not folded.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool CarriesTag(const TPhotoTag& entry, const QString& tag) {
    QStringList names;
    SplitTagText(entry.Tags, names);
    for (const QString& name : names) {
        if (SameTagName(name, tag))
            return true;
    }
    return false;
}
