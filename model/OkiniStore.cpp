#include "model/OkiniStore.h"

#include "model/XmlStore.h"
#include "platform/AtomicFile.h"
#include "platform/Messages.h"
#include "platform/XmlDocument.h"

TPhotoOkini* TPhotoOkiniList::Add(const QString& folder, const QString& fileName) {
    return AppendChecked(std::make_unique<TPhotoOkini>(TPhotoOkini{folder, fileName}));
}

void TPhotoOkiniList::LoadFromFile(const QString& path) {
    Clear();
    LoadStoreFile(path, StoreName(), [&](const QByteArray& bytes) {
        return LoadFromBytes(bytes, StoreFolderOf(path));
    });
}

TStoreLoadResult TPhotoOkiniList::LoadFromBytes(const QByteArray& bytes, const QString& saveDir) {
    const QString folder = QStringLiteral("folder");
    const QString file = QStringLiteral("file");
    return LoadEntries(bytes, saveDir, QStringLiteral("/data/okiniiri"), [&](const TXmlNode& node) {
        return std::make_unique<TPhotoOkini>(
            TPhotoOkini{node.SelectSingleNode(folder).Text(), node.SelectSingleNode(file).Text()});
    });
}

QByteArray TPhotoOkiniList::SaveToBytes() const {
    return EntriesBytes(QStringLiteral("okiniiri"), [](const TPhotoOkini&, TXmlTextWriter&) {});
}

void TPhotoOkiniList::SaveToFile(const QString& path) const {
    try {
        WriteFileAtomically(path, SaveToBytes());
    } catch (const std::exception& error) {
        Messages::Show(XmlStoreSaveFailedText(StoreName(), path, SaveFailureReason(error)));
    }
}
