#include "model/XmlStore.h"

#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/Messages.h"

bool IsStoreDocument(TXmlLoadResult loaded, const TXmlDocument& document,
                     const QString& elementPath) {
    return loaded == TXmlLoadResult::Read && document.RootName() == elementPath.section(u'/', 1, 1);
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
        Messages::Show(XmlStoreLoadFailedText(storeName));
        return;
    }
    const TStoreLoadResult result = load(bytes);
    if (result == TStoreLoadResult::Whole)
        ForgetUnreadable(path);
    else
        MarkUnreadable(path);
    if (result == TStoreLoadResult::Partial)
        Messages::Show(XmlStoreLoadFailedText(storeName));
}
