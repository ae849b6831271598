#include "platform/XmlDocument.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <QStringList>
#include <cerrno>
#include <limits>
#include <mutex>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"

namespace {

void IgnoreXmlError(void*, xmlErrorPtr) {}
void IgnoreGenericXmlError(void*, const char*, ...) {}

const xmlChar* Utf8(const QByteArray& bytes) {
    return reinterpret_cast<const xmlChar*>(bytes.constData());
}

QString FromXmlChars(xmlChar* text) {
    const QString result = QString::fromUtf8(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return result;
}

bool IsElementNamed(const xmlNode* node, const QByteArray& name) {
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, Utf8(name));
}

const char* const ShiftJisLabels[] = {"SHIFT-JIS", "SHIFT_JIS",  "SJIS",
                                      "MS_KANJI",  "CSSHIFTJIS", "CP932"};

bool IsBlankText(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

// True when the bytes are valid UTF-8 holding at least one character of three or four bytes, as
// every Japanese text in UTF-8 does. CP932 text is almost never valid UTF-8 at all, and never with
// such characters throughout, so this tells a UTF-8 file under a Shift-JIS label.
bool LooksLikeUtf8(const QByteArray& bytes) {
    bool wide = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        int follow = 0;
        if (c < 0x80) {
            ++p;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (end - p <= follow)
            return false;
        for (int i = 1; i <= follow; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        wide = wide || follow >= 2;
        p += follow + 1;
    }
    return wide;
}

}  // namespace

bool IsShiftJisLabel(const QByteArray& label) {
    for (const char* known : ShiftJisLabels) {
        if (label.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void InitXmlLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        for (const char* alias : ShiftJisLabels) {
            if (qstrcmp(alias, "CP932") != 0)
                xmlAddEncodingAlias("CP932", alias);
        }
    });
    // The error handlers are per thread in libxml2.
    xmlSetStructuredErrorFunc(nullptr, IgnoreXmlError);
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericXmlError);
}

QString TXmlNode::Text() const {
    if (!FNode)
        return {};
    return FromXmlChars(xmlNodeGetContent(FNode));
}

TXmlNode TXmlNode::SelectSingleNode(const QString& path) const {
    if (!FNode)
        return {};
    if (path.startsWith(u'@')) {
        const QByteArray name = path.mid(1).toUtf8();
        xmlAttr* attribute = xmlHasProp(FNode, Utf8(name));
        return TXmlNode(reinterpret_cast<xmlNode*>(attribute));
    }
    const QByteArray name = path.toUtf8();
    for (xmlNode* child = FNode->children; child; child = child->next) {
        if (IsElementNamed(child, name))
            return TXmlNode(child);
    }
    return {};
}

void TXmlNode::SetText(const QString& text) {
    // xmlNodeSetContent would read entity references in the text; a plain text node keeps "&".
    xmlNodeSetContent(FNode, nullptr);
    xmlAddChild(FNode, xmlNewText(Utf8(XmlTextOf(text).toUtf8())));
}

void TXmlNode::SetAttribute(const QString& name, const QString& value) {
    xmlSetProp(FNode, Utf8(name.toUtf8()), Utf8(XmlTextOf(value).toUtf8()));
}

TXmlNode TXmlNode::AppendElement(const QString& name) {
    return TXmlNode(xmlNewChild(FNode, nullptr, Utf8(name.toUtf8()), nullptr));
}

TXmlDocument::TXmlDocument() {
    InitXmlLibrary();
    FDoc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
}

TXmlDocument::~TXmlDocument() {
    xmlFreeDoc(FDoc);
}

TXmlLoadResult TXmlDocument::Load(const QString& path) {
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const ESystemError& error) {
        LoadFromBytes({});
        return error.ErrorNumber() == ENOENT ? TXmlLoadResult::Missing : TXmlLoadResult::Unreadable;
    }
    return LoadFromBytes(bytes);
}

TXmlLoadResult TXmlDocument::LoadFromBytes(const QByteArray& bytes) {
    InitXmlLibrary();
    xmlFreeDoc(FDoc);
    FDoc = nullptr;
    TXmlLoadResult result = TXmlLoadResult::Empty;
    if (!IsBlankText(bytes) && bytes.size() <= std::numeric_limits<int>::max()) {
        // No network, no external entities: a data file only ever describes itself.
        constexpr int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
        FDoc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, options);
        result = TXmlLoadResult::Read;
        if (!FDoc) {
            result = TXmlLoadResult::Unreadable;
        } else if (FDoc->encoding &&
                   IsShiftJisLabel(reinterpret_cast<const char*>(FDoc->encoding)) &&
                   LooksLikeUtf8(bytes)) {
            xmlFreeDoc(FDoc);
            FDoc = nullptr;
            result = TXmlLoadResult::Unreadable;
        }
    } else if (!bytes.isEmpty()) {
        result = IsBlankText(bytes) ? TXmlLoadResult::Empty : TXmlLoadResult::Unreadable;
    }
    if (!FDoc)
        FDoc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    return result;
}

bool TXmlDocument::IsEmpty() const {
    return xmlDocGetRootElement(FDoc) == nullptr;
}

QString TXmlDocument::RootName() const {
    const xmlNode* root = xmlDocGetRootElement(FDoc);
    return root ? QString::fromUtf8(reinterpret_cast<const char*>(root->name)) : QString();
}

QList<TXmlNode> TXmlDocument::SelectNodes(const QString& path) const {
    const QStringList steps = path.split(u'/', Qt::SkipEmptyParts);
    QList<TXmlNode> result;
    xmlNode* root = xmlDocGetRootElement(FDoc);
    if (!root || steps.isEmpty() || !IsElementNamed(root, steps.front().toUtf8()))
        return result;
    QList<xmlNode*> level{root};
    for (qsizetype i = 1; i < steps.size(); ++i) {
        const QByteArray name = steps[i].toUtf8();
        QList<xmlNode*> next;
        for (xmlNode* parent : level) {
            for (xmlNode* child = parent->children; child; child = child->next) {
                if (IsElementNamed(child, name))
                    next.append(child);
            }
        }
        level.swap(next);
    }
    result.reserve(level.size());
    for (xmlNode* node : level)
        result.append(TXmlNode(node));
    return result;
}

void TXmlDocument::AppendDeclaration() {
    FDeclared = true;
}

TXmlNode TXmlDocument::CreateRoot(const QString& name) {
    xmlNode* root = xmlNewDocNode(FDoc, nullptr, Utf8(name.toUtf8()), nullptr);
    xmlNode* old = xmlDocSetRootElement(FDoc, root);
    if (old)
        xmlFreeNode(old);
    return TXmlNode(root);
}

QByteArray TXmlDocument::SaveToBytes(TXmlLayout layout) const {
    InitXmlLibrary();
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(FDoc, &memory, &size, FDeclared ? Encoding : "UTF-8",
                              layout == TXmlLayout::Indented ? 1 : 0);
    if (!memory)
        throw Exception(QStringLiteral("XML 文書を書き出せません。"));
    QByteArray bytes(reinterpret_cast<const char*>(memory), size);
    xmlFree(memory);
    return bytes;
}

void TXmlDocument::Save(const QString& path, TXmlLayout layout) const {
    WriteFileAtomically(path, SaveToBytes(layout));
}

namespace {

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Calls take(character, index, length) for every character of the text, a surrogate pair as one
// character of two units and a surrogate without its partner as itself (which XML cannot carry).
template <typename TTake>
void ForEachCharacter(const QString& text, TTake take) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            take(QChar::surrogateToUcs4(c, text[i + 1]), i, 2);
            ++i;
        } else {
            take(char32_t(c.unicode()), i, 1);
        }
    }
}

}  // namespace

bool IsXmlText(const QString& text) {
    bool fits = true;
    ForEachCharacter(text, [&](char32_t c, qsizetype, qsizetype) { fits = fits && IsXmlChar(c); });
    return fits;
}

QString XmlTextOf(const QString& text) {
    if (IsXmlText(text))
        return text;
    QString kept;
    ForEachCharacter(text, [&](char32_t c, qsizetype index, qsizetype length) {
        if (IsXmlChar(c))
            kept += QStringView(text).mid(index, length);
    });
    return kept;
}

TXmlTextWriter::TXmlTextWriter() {
    FText = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n")
                .arg(QLatin1String(TXmlDocument::Encoding));
}

void TXmlTextWriter::Open(QStringView name) {
    FText += u'<';
    FText += name;
    FText += u'>';
    FOpenedEmpty = true;
}

void TXmlTextWriter::Close(QStringView name) {
    if (FOpenedEmpty) {
        // An element without content is written as libxml2 writes it: "<data/>".
        FText.chop(1);
        FText += QLatin1String("/>");
        FOpenedEmpty = false;
        return;
    }
    FText += QLatin1String("</");
    FText += name;
    FText += u'>';
}

void TXmlTextWriter::AppendEscaped(const QString& text, bool inAttribute) {
    const QString kept = XmlTextOf(text);
    qsizetype plain = 0;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const char16_t c = kept[i].unicode();
        const char* escape = c == u'&'      ? "&amp;"
                             : c == u'<'    ? "&lt;"
                             : c == u'>'    ? "&gt;"
                             : c == u'\r'   ? "&#13;"
                             : !inAttribute ? nullptr
                             : c == u'"'    ? "&quot;"
                             : c == u'\n'   ? "&#10;"
                             : c == u'\t'   ? "&#9;"
                                            : nullptr;
        if (!escape)
            continue;
        FText += QStringView(kept).mid(plain, i - plain);
        FText += QLatin1String(escape);
        plain = i + 1;
    }
    FText += QStringView(kept).mid(plain);
}

void TXmlTextWriter::Element(QStringView name, const QString& text) {
    FText += u'<';
    FText += name;
    FText += u'>';
    AppendEscaped(text, false);
    FOpenedEmpty = false;
    Close(name);
}

void TXmlTextWriter::Element(QStringView name, const QString& text, QStringView attribute,
                             const QString& value) {
    FText += u'<';
    FText += name;
    FText += u' ';
    FText += attribute;
    FText += QLatin1String("=\"");
    AppendEscaped(value, true);
    FText += QLatin1String("\">");
    AppendEscaped(text, false);
    FOpenedEmpty = false;
    Close(name);
}

QByteArray TXmlTextWriter::Finish() {
    FText += u'\n';
    const QString text = std::exchange(FText, QString());
    bool lossless = true;
    QByteArray bytes = Cp932::Encode(text, &lossless);
    // A character CP932 cannot hold becomes a reference (rare: a text from a hand-edited file).
    // So does every character beyond ASCII when the CP932 bytes would happen to read as UTF-8
    // throughout, which the reader takes for a UTF-8 file under a Shift-JIS label.
    if (lossless && !LooksLikeUtf8(bytes))
        return bytes;
    bytes.clear();
    QString run;
    ForEachCharacter(text, [&](char32_t c, qsizetype index, qsizetype length) {
        const QStringView character = QStringView(text).mid(index, length);
        bool fits = c < 0x80;
        if (!fits && !lossless)
            Cp932::Encode(character.toString(), &fits);
        if (fits) {
            run += character;
            return;
        }
        bytes += Cp932::Encode(run);
        run.clear();
        bytes += "&#" + QByteArray::number(uint(c)) + ';';
    });
    bytes += Cp932::Encode(run);
    if (LooksLikeUtf8(bytes)) {
        // The characters CP932 holds happened to chain into UTF-8: write them all as references.
        bytes.clear();
        ForEachCharacter(text, [&](char32_t c, qsizetype, qsizetype) {
            if (c < 0x80)
                bytes += char(c);
            else
                bytes += "&#" + QByteArray::number(uint(c)) + ';';
        });
    }
    return bytes;
}
