#include "model/OkiniStore.h"

#include "model/XmlStore.h"
#include "platform/Messages.h"
#include "platform/XmlDocument.h"

TPhotoOkini* TPhotoOkiniList::Add(const QString& folder, const QString& fileName) {
    return AppendChecked(std::make_unique<TPhotoOkini>(TPhotoOkini{folder, fileName}));
}

void TPhotoOkiniList::LoadFromFile(const QString& path) {
    const QString folder = QStringLiteral("folder");
    const QString file = QStringLiteral("file");
    const bool whole =
        LoadEntries(path, QStringLiteral("/data/okiniiri"), [&](const TXmlNode& node) {
            return std::make_unique<TPhotoOkini>(TPhotoOkini{node.SelectSingleNode(folder).Text(),
                                                             node.SelectSingleNode(file).Text()});
        });
    if (!whole)
        Messages::Show(XmlStoreLoadFailedText(StoreName()));
}

void TPhotoOkiniList::SaveToFile(const QString& path) const {
    try {
        SaveEntries(path, QStringLiteral("okiniiri"), [](const TPhotoOkini&, TXmlNode&) {});
    } catch (const std::exception&) {
        Messages::Show(XmlStoreSaveFailedText(StoreName()));
    }
}
