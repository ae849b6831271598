#include "model/PhotoSaveDirList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "model/XmlStore.h"
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/ProgramDir.h"
#include "platform/XmlDocument.h"

namespace {
const QString StoreName = QStringLiteral("PhotoSaveDirList");
}

QString TPhotoSaveDirList::FileName() {
    return ProgramDir() + QStringLiteral("data/PhotoSaveDirList.xml");
}

void TPhotoSaveDirList::Load() {
    if (!QFile::exists(FileName()))
        return;
    TXmlDocument document;
    try {
        document.Load(FileName());
        for (const TXmlNode& node : document.SelectNodes(QStringLiteral("/data/save"))) {
            const TXmlNode order = node.SelectSingleNode(QStringLiteral("@order"));
            if (order.IsNull())
                throw Exception(QStringLiteral("order がありません。"));
            auto entry = std::make_unique<TPhotoSaveDir>();
            entry->Path = node.Text();
            bool ok = false;
            const int value = order.Text().toInt(&ok, 10);
            entry->Order = ok ? value : 0;
            Add(std::move(entry));
        }
    } catch (const std::exception&) {
        Messages::Show(XmlStoreLoadFailedText(StoreName));
    }
}

void TPhotoSaveDirList::Save() const {
    TXmlDocument document;
    document.AppendDeclaration();
    TXmlNode root = document.CreateRoot(QStringLiteral("data"));
    try {
        for (const TPhotoSaveDir* entry : *this) {
            TXmlNode save = root.AppendElement(QStringLiteral("save"));
            save.SetText(entry->Path);
            save.SetAttribute(QStringLiteral("order"), QString::number(entry->Order));
        }
        // On a fresh install the folder does not exist until the first folder is registered.
        QDir().mkpath(QFileInfo(FileName()).absolutePath());
        document.Save(FileName());
    } catch (const std::exception&) {
        Messages::Show(XmlStoreSaveFailedText(StoreName));
    }
}

void TPhotoSaveDirList::Renumber() {
    qint32 order = 0;
    for (TPhotoSaveDir* entry : *this)
        entry->Order = ++order;
}

int CompareSaveDirOrder(const TPhotoSaveDir* a, const TPhotoSaveDir* b) {
    // Compared, not subtracted: a hand-edited file may hold orders whose difference overflows.
    return a->Order < b->Order ? -1 : a->Order > b->Order ? 1 : 0;
}
