#include "model/PhotoSaveDirList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "model/XmlStore.h"
#include "platform/AtomicFile.h"
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
    LoadStoreFile(FileName(), StoreName,
                  [this](const QByteArray& bytes) { return LoadFromBytes(bytes); });
}

TStoreLoadResult TPhotoSaveDirList::LoadFromBytes(const QByteArray& bytes) {
    return ReadStoreElements(bytes, QStringLiteral("/data/save"), [this](const TXmlNode& node) {
        const TXmlNode order = node.SelectSingleNode(QStringLiteral("@order"));
        if (order.IsNull())
            throw Exception(QStringLiteral("order がありません。"));
        auto entry = std::make_unique<TPhotoSaveDir>();
        entry->Path = node.Text();
        bool ok = false;
        const int value = order.Text().toInt(&ok, 10);
        entry->Order = ok ? value : 0;
        Add(std::move(entry));
    });
}

QByteArray TPhotoSaveDirList::SaveToBytes() const {
    TXmlTextWriter writer;
    writer.Open(u"data");
    for (const TPhotoSaveDir* entry : *this)
        writer.Element(u"save", entry->Path, u"order", QString::number(entry->Order));
    writer.Close(u"data");
    return writer.Finish();
}

void TPhotoSaveDirList::Save() const {
    try {
        const QByteArray bytes = SaveToBytes();
        // On a fresh install the folder does not exist until the first folder is registered.
        QDir().mkpath(QFileInfo(FileName()).absolutePath());
        WriteFileAtomically(FileName(), bytes);
    } catch (const std::exception& error) {
        Messages::Show(XmlStoreSaveFailedText(StoreName, FileName(), SaveFailureReason(error)));
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
