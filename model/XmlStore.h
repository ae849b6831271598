#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>

#include "platform/XmlDocument.h"

// What the XML stores share: the outcome of reading a store file, the messages every store shows
// when its file cannot be read or written, and the one way a store file is read from disk.

// What reading the bytes of a store file found.
enum class TStoreLoadResult {
    Whole,      // every entry was read (none when the file is empty)
    NotAStore,  // no store file: not well-formed, not in its encoding, or another root
    Partial,    // reading stopped part-way; the entries before the failure were kept
};

// Reads the bytes of a store file, handing each element of elementPath ("/data/tag") to read in
// document order. Empty bytes are an empty store (Whole). Bytes that are not well-formed, not in
// their encoding or under another root than the path's first step are no store file and nothing
// is read (NotAStore). A failure part-way, in the document or in read, keeps what was read before
// it (Partial).
TStoreLoadResult ReadStoreElements(const QByteArray& bytes, const QString& elementPath,
                                   const std::function<void(const TXmlNode& node)>& read);

// Reads the store file at the path and hands its bytes to load. A missing file, or something
// other than a file, is not read. When reading stops part-way the store's read message is shown.
void LoadStoreFile(const QString& path, const QString& storeName,
                   const std::function<TStoreLoadResult(const QByteArray& bytes)>& load);

// "データの読み込みに失敗しました（PhotoTagList）。", then a line naming the file and, when known,
// why it could not be read.
QString XmlStoreLoadFailedText(const QString& storeName, const QString& path,
                               const QString& reason = {});

// "データの保存に失敗しました（PhotoTagList）。", then the line of a file that could not be
// written: "ファイル "%s" を作成できません。%s".
QString XmlStoreSaveFailedText(const QString& storeName, const QString& path,
                               const QString& reason);

// The reason a save failed, for XmlStoreSaveFailedText.
QString SaveFailureReason(const std::exception& error);
