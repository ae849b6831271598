#include "model/FavouriteSites.h"

#include <QDir>
#include <QFileInfo>

#include "model/XmlStore.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/FileErrors.h"
#include "platform/Messages.h"
#include "platform/ProgramDir.h"
#include "platform/XmlDocument.h"

namespace {

const QString StoreName = QStringLiteral("OkiniList");

// A fresh install has no "data" folder yet; its first save must not fail for that.
void MakeFolderOf(const QString& filePath) {
    QDir().mkpath(QFileInfo(filePath).absolutePath());
}

// The text of the entry's first child element of that name; an entry without it is broken.
QString ChildText(const TXmlNode& node, const QString& name) {
    const TXmlNode child = node.SelectSingleNode(name);
    if (child.IsNull())
        throw Exception(QStringLiteral("\"%1\" がありません").arg(name));
    return child.Text();
}

// The text as the page shows it: the characters that markup would take are written as
// character references, and so is every character that CP932 cannot hold.
void AppendPageText(QByteArray& page, const QString& text) {
    bool lossless = true;
    const QByteArray encoded = Cp932::Encode(text, &lossless);
    if (lossless && !encoded.contains('&') && !encoded.contains('<') && !encoded.contains('>') &&
        !encoded.contains('"')) {
        page += encoded;
        return;
    }
    for (const char32_t codePoint : text.toUcs4()) {
        switch (codePoint) {
            case U'&':
                page += "&amp;";
                continue;
            case U'<':
                page += "&lt;";
                continue;
            case U'>':
                page += "&gt;";
                continue;
            case U'"':
                page += "&quot;";
                continue;
            default:
                break;
        }
        const QByteArray one = Cp932::Encode(QString::fromUcs4(&codePoint, 1), &lossless);
        page += lossless ? one : "&#" + QByteArray::number(uint(codePoint)) + ';';
    }
}

}  // namespace

QString TOkiniList::XmlFilePath() {
    return ProgramDir() + QStringLiteral("data/OkiniList.xml");
}

QString TOkiniList::PageFilePath() {
    return ProgramDir() + QStringLiteral("data/OkiniList.html");
}

void TOkiniList::Load() {
    LoadStoreFile(XmlFilePath(), StoreName,
                  [this](const QByteArray& bytes) { return LoadFromBytes(bytes); });
}

TStoreLoadResult TOkiniList::LoadFromBytes(const QByteArray& bytes) {
    return ReadStoreElements(bytes, QStringLiteral("/data/okini"), [this](const TXmlNode& node) {
        auto entry = std::make_unique<TOkini>();
        entry->Name = ChildText(node, QStringLiteral("name"));
        entry->Url = ChildText(node, QStringLiteral("url"));
        entry->Memo = ChildText(node, QStringLiteral("memo"));
        Add(std::move(entry));
    });
}

QByteArray TOkiniList::SaveToBytes() const {
    TXmlTextWriter writer;
    writer.Open(u"data");
    for (const TOkini* entry : *this) {
        writer.Open(u"okini");
        writer.Element(u"name", entry->Name);
        writer.Element(u"url", entry->Url);
        writer.Element(u"memo", entry->Memo);
        writer.Close(u"okini");
    }
    writer.Close(u"data");
    return writer.Finish();
}

void TOkiniList::Save() const {
    try {
        const QByteArray bytes = SaveToBytes();
        const QString path = XmlFilePath();
        MakeFolderOf(path);
        WriteFileAtomically(path, bytes);
    } catch (const std::exception& error) {
        Messages::Show(XmlStoreSaveFailedText(StoreName, XmlFilePath(), SaveFailureReason(error)));
    }
}

void TOkiniList::WritePage(const QString& stylesheetAddress) const {
    const QString path = PageFilePath();
    MakeFolderOf(path);
    try {
        WriteFileAtomically(path, OkiniPageBytes(*this, stylesheetAddress));
    } catch (const ESystemError& error) {
        // The error report shows the message alone: it must say which file could not be written.
        throw Exception(CannotCreateFileText(path, error.Message()));
    }
}

QByteArray OkiniPageBytes(const TOkiniList& list, const QString& stylesheetAddress) {
    static const char* const Head[] = {
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-type\" content=\"text/html; charset=Shift_JIS\" />",
        "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">",
    };
    static const char* const BodyStart[] = {"</head>", "<body oncontextmenu=\"return false\">",
                                            "<div>"};
    static const char* const Tail[] = {"</div>", "</body>", "</html>"};
    const QByteArray lineEnd = "\r\n";

    QByteArray page;
    page.reserve(512 + list.Count() * 160);
    for (const char* line : Head)
        page += line + lineEnd;
    page += "<link rel=\"stylesheet\" href=\"";
    AppendPageText(page, stylesheetAddress);
    page += "\" type=\"text/css\" />" + lineEnd;
    for (const char* line : BodyStart)
        page += line + lineEnd;
    for (const TOkini* entry : list) {
        page += "<p><a href=\"";
        AppendPageText(page, entry->Url);
        page += "\" target=\"_blank\">";
        AppendPageText(page, entry->Name);
        page += "</a><span class=\"okini_memo\"> - ";
        AppendPageText(page, entry->Memo);
        page += "</span></p>" + lineEnd;
    }
    for (const char* line : Tail)
        page += line + lineEnd;
    return page;
}
