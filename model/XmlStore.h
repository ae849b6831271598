#pragma once

#include <QString>

// The messages every XML store shows when its file cannot be read or written, with the store's
// name: "データの読み込みに失敗しました（PhotoTagList）。" and so on.
inline QString XmlStoreLoadFailedText(const QString& storeName) {
    return QStringLiteral("データの読み込みに失敗しました（%1）。").arg(storeName);
}

inline QString XmlStoreSaveFailedText(const QString& storeName) {
    return QStringLiteral("データの保存に失敗しました（%1）。").arg(storeName);
}
