// Arbitrary bytes as one of the XML stores' files (the first byte chooses: the tag store, the
// favourites store, the save-folder list or the favourite sites), loaded from memory as the
// stores load their files: loading must give a list, never crash, leak or run out of memory, and
// whatever was loaded must come back unchanged after a save and a load: a store never writes a
// file it cannot read again.

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "model/FavouriteSites.h"
#include "model/OkiniStore.h"
#include "model/PhotoSaveDirList.h"
#include "model/TagStore.h"
#include "platform/AtomicFile.h"
#include "platform/Messages.h"
#include "platform/ProgramDir.h"

namespace {

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

template <typename TList>
QStringList Keys(const TList& list) {
    QStringList keys;
    for (const auto* entry : list) {
        keys.append(entry->Folder + u'|' + entry->FileName);
        if constexpr (requires { entry->Tags; })
            keys.back() += u'|' + entry->Tags;
    }
    return keys;
}

QStringList Keys(const TPhotoSaveDirList& list) {
    QStringList keys;
    for (const TPhotoSaveDir* entry : list)
        keys.append(QString::number(entry->Order) + u'|' + entry->Path);
    return keys;
}

QStringList Keys(const TOkiniList& list) {
    QStringList keys;
    for (const TOkini* entry : list)
        keys.append(entry->Name + u'|' + entry->Url + u'|' + entry->Memo);
    return keys;
}

template <typename TList, typename... TFolder>
void RoundTrip(const QByteArray& bytes, const TFolder&... saveDir) {
    TList loaded;
    loaded.LoadFromBytes(bytes, saveDir...);
    TList reloaded;
    const QByteArray saved = loaded.SaveToBytes();
    if (reloaded.LoadFromBytes(saved, saveDir...) != TStoreLoadResult::Whole) {
        std::fwrite(saved.constData(), 1, size_t(saved.size()), stderr);
        Require(false, "a saved store does not load whole");
    }
    Require(Keys(loaded) == Keys(reloaded), "a saved store loads differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir temporary;
    static const QString folder = [] {
        const QString path = temporary.path() + u'/';
        // Reduced copies for the entries the seeds name, so that loading keeps them.
        for (const char* name : {"d/reduce/a.JPG", "d/reduce/b.JPG", "20240101/reduce/IMG_1.JPG"}) {
            const QString file = path + QLatin1String(name);
            QDir().mkpath(file.left(file.lastIndexOf(u'/')));
            WriteFileAtomically(file, "x");
        }
        SetProgramDir(path);
        QDir().mkpath(path + QStringLiteral("data"));
        // What the stores tell the user is of no interest here.
        Messages::SetSink([](const QString&) {});
        return path;
    }();
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 4) {
        case 0:
            RoundTrip<TPhotoTagList>(bytes, folder);
            break;
        case 1:
            RoundTrip<TPhotoOkiniList>(bytes, folder);
            break;
        case 2:
            RoundTrip<TPhotoSaveDirList>(bytes);
            break;
        default:
            RoundTrip<TOkiniList>(bytes);
    }
    return 0;
}
