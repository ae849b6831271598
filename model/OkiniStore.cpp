#include "model/OkiniStore.h"

#include "model/XmlStore.h"
#include "platform/Dialogs.h"
#include "platform/XmlDocument.h"

TPhotoOkini* TPhotoOkiniList::Add(const QString& folder, const QString& fileName) {
    return Append(std::make_unique<TPhotoOkini>(TPhotoOkini{folder, fileName}));
}

void TPhotoOkiniList::LoadFromFile(const QString& path) {
    Clear();
    if (!FileExists(path))
        return;
    const QString saveDir = StoreFolderOf(path);
    TXmlDocument document;
    try {
        document.Load(path);
        const QList<TXmlNode> nodes = document.SelectNodes(QStringLiteral("/data/okiniiri"));
        Reserve(nodes.size());
        const QString folderName = QStringLiteral("folder");
        const QString fileName = QStringLiteral("file");
        for (const TXmlNode& node : nodes) {
            auto entry = std::make_unique<TPhotoOkini>();
            entry->Folder = node.SelectSingleNode(folderName).Text();
            entry->FileName = node.SelectSingleNode(fileName).Text();
            if (ReducedCopyExists(saveDir, entry->Folder, entry->FileName))
                Append(std::move(entry));
        }
    } catch (const std::exception&) {
        Dialogs::ShowMessage(XmlStoreLoadFailedText(StoreName()));
    }
}

void TPhotoOkiniList::SaveToFile(const QString& path) const {
    try {
        TXmlDocument document;
        document.AppendDeclaration();
        TXmlNode root = document.CreateRoot(QStringLiteral("data"));
        for (const TPhotoOkini* entry : *this) {
            TXmlNode okini = root.AppendElement(QStringLiteral("okiniiri"));
            okini.AppendElement(QStringLiteral("folder")).SetText(entry->Folder);
            okini.AppendElement(QStringLiteral("file")).SetText(entry->FileName);
        }
        document.Save(path);
    } catch (const std::exception&) {
        Dialogs::ShowMessage(XmlStoreSaveFailedText(StoreName()));
    }
}
