#include "model/XmlStore.h"

#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileErrors.h"
#include "platform/Messages.h"

QString XmlStoreLoadFailedText(const QString& storeName, const QString& path,
                               const QString& reason) {
    QString text =
        QStringLiteral("データの読み込みに失敗しました（%1）。\nファイル \"%2\" を読み込めません。")
            .arg(storeName, path);
    if (!reason.isEmpty())
        text += reason;
    return text;
}

QString XmlStoreSaveFailedText(const QString& storeName, const QString& path,
                               const QString& reason) {
    return QStringLiteral("データの保存に失敗しました（%1）。\n").arg(storeName) +
           CannotCreateFileText(path, reason);
}

QString SaveFailureReason(const std::exception& error) {
    return ErrorMessage(error);
}

TStoreLoadResult ReadStoreElements(const QByteArray& bytes, const QString& elementPath,
                                   const std::function<void(const TXmlNode& node)>& read) {
    try {
        TXmlDocument document;
        const TXmlLoadResult loaded = document.LoadFromBytes(bytes);
        if (loaded == TXmlLoadResult::Empty)
            return TStoreLoadResult::Whole;
        if (loaded != TXmlLoadResult::Read ||
            document.RootName() != elementPath.section(u'/', 1, 1)) {
            return TStoreLoadResult::NotAStore;
        }
        for (const TXmlNode& node : document.SelectNodes(elementPath))
            read(node);
    } catch (const std::exception&) {
        return TStoreLoadResult::Partial;
    }
    return TStoreLoadResult::Whole;
}

void LoadStoreFile(const QString& path, const QString& storeName,
                   const std::function<TStoreLoadResult(const QByteArray& bytes)>& load) {
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const ESystemError& error) {
        if (error.ErrorNumber() == ENOENT || error.ErrorNumber() == EISDIR)
            return;
        // There, but not for us to read: what it holds must not be written over unseen.
        MarkUnreadable(path);
        Messages::Show(XmlStoreLoadFailedText(storeName, path, error.Message()));
        return;
    }
    const TStoreLoadResult result = load(bytes);
    if (result == TStoreLoadResult::Whole)
        ForgetUnreadable(path);
    else
        MarkUnreadable(path);
    if (result == TStoreLoadResult::Partial)
        Messages::Show(XmlStoreLoadFailedText(storeName, path));
}
