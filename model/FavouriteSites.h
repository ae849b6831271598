#pragma once

#include <QByteArray>
#include <QString>

#include "model/OwningList.h"
#include "model/XmlStore.h"

// The user's favourite web sites, kept in "data/OkiniList.xml" beside the executable and shown
// as the generated page "data/OkiniList.html" on the favourites tab.

// One favourite site. Texts are kept as typed: no trimming, no check of the address.
struct TOkini {
    QString Name;  // the link text
    QString Url;   // the link target
    QString Memo;  // a free note, may be empty
};

class TOkiniList : public TOwningList<TOkini> {
public:
    // Appends the entries of "data/OkiniList.xml" to the list. A missing or unreadable file adds
    // nothing and says nothing; an entry lacking "name", "url" or "memo" stops the reading with
    // "データの読み込みに失敗しました（OkiniList）。", keeping the entries read before it.
    void Load();
    // The same on the bytes of the file; shows nothing.
    TStoreLoadResult LoadFromBytes(const QByteArray& bytes);
    // Writes the whole list to "data/OkiniList.xml"; a failure shows
    // "データの保存に失敗しました（OkiniList）。" and leaves the list as it is.
    void Save() const;
    // The bytes that Save writes.
    QByteArray SaveToBytes() const;
    // Writes "data/OkiniList.html" linking the stylesheet at the given address. A failure raises
    // an Exception naming the file ("ファイル "%s" を作成できません。%s"): the caller's error
    // report tells the user.
    void WritePage(const QString& stylesheetAddress) const;

    static QString XmlFilePath();
    static QString PageFilePath();
};

// The bytes of the favourites page, in code page 932 with CR LF after every line. Names,
// addresses (in the links' href too) and notes are shown as typed: '&', '<', '>' and '"' are
// written as character references, so that no text of the user's becomes markup, and a
// character that CP932 cannot hold becomes a numeric character reference rather than a '?'.
QByteArray OkiniPageBytes(const TOkiniList& list, const QString& stylesheetAddress);
