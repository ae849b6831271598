#pragma once

#include <QList>
#include <QString>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

// An element or attribute of a TXmlDocument; a light handle that is valid while its document
// lives. A null node stands for "none".
class TXmlNode {
public:
    TXmlNode() = default;
    explicit TXmlNode(_xmlNode* node) : FNode(node) {}

    bool IsNull() const { return FNode == nullptr; }

    // All the text inside the node, its own and that of its descendants.
    QString Text() const;
    // The first child element of that name, or the attribute node for "@name"; null when none.
    TXmlNode SelectSingleNode(const QString& path) const;

    // Replaces the node's content by the text; reserved characters are escaped on saving, and
    // characters that XML cannot carry at all are left out (XmlTextOf).
    void SetText(const QString& text);
    void SetAttribute(const QString& name, const QString& value);
    // Creates an element and appends it as the last child.
    TXmlNode AppendElement(const QString& name);

private:
    _xmlNode* FNode = nullptr;
};

// What loading found.
enum class TXmlLoadResult {
    Missing,     // no file at the path
    Empty,       // no bytes, or only white space: there is nothing to lose
    Read,        // a well-formed document, read in its encoding
    Unreadable,  // bytes that are no well-formed document in their encoding, or a file that
                 // exists but cannot be read
};

// How a saved document is laid out: with line breaks and indentation between elements, or with
// nothing between them.
enum class TXmlLayout { Indented, Compact };

// An XML document in the form the program's stores use. Loading never raises: a file that is
// missing, empty, not well-formed or cut short gives an empty document, and nothing is printed;
// the result tells which it was. A file whose declaration names Shift-JIS but which is plainly
// UTF-8 (a Windows editor's "save as UTF-8") is not in its encoding: it is unreadable too, rather
// than read as garbled text.
// Files are written in code page 932 under the label "SHIFT-JIS"; characters that CP932 cannot
// hold become numeric character references. Saving replaces the file atomically.
class TXmlDocument {
public:
    static constexpr const char* Encoding = "SHIFT-JIS";

    TXmlDocument();
    ~TXmlDocument();
    TXmlDocument(const TXmlDocument&) = delete;
    TXmlDocument& operator=(const TXmlDocument&) = delete;

    TXmlLoadResult Load(const QString& path);
    TXmlLoadResult LoadFromBytes(const QByteArray& bytes);
    bool IsEmpty() const;
    // The root element's name; empty when there is none.
    QString RootName() const;

    // The elements of an absolute path such as "/data/save", in document order.
    QList<TXmlNode> SelectNodes(const QString& path) const;

    // The declaration naming "SHIFT-JIS"; written before the root element.
    void AppendDeclaration();
    // Creates the root element.
    TXmlNode CreateRoot(const QString& name);

    QByteArray SaveToBytes(TXmlLayout layout = TXmlLayout::Indented) const;
    // Raises ESystemError (or Exception) when the file cannot be written; the old file stays.
    void Save(const QString& path, TXmlLayout layout = TXmlLayout::Indented) const;

private:
    _xmlDoc* FDoc = nullptr;
    bool FDeclared = false;
};

// Writes a document in the stores' compact form straight as text: the declaration naming
// "SHIFT-JIS", then elements holding elements or text, with nothing between them; the bytes are
// CP932, with a character that CP932 cannot hold as a numeric character reference, and read back
// as TXmlDocument reads the files it saves. A store's save builds its file this way, some ten
// times faster than through a document tree.
class TXmlTextWriter {
public:
    TXmlTextWriter();

    void Open(QStringView name);
    void Close(QStringView name);
    // An element holding the text; characters XML reserves are escaped and those it cannot carry
    // left out (XmlTextOf).
    void Element(QStringView name, const QString& text);
    // The same with one attribute, escaped as attribute values are.
    void Element(QStringView name, const QString& text, QStringView attribute,
                 const QString& value);

    // The document's bytes; the writer is left empty.
    QByteArray Finish();

private:
    void AppendEscaped(const QString& text, bool inAttribute);

    QString FText;
    bool FOpenedEmpty = false;  // the last thing written opened an element
};

// True when XML 1.0 can carry every character of the text: no control character other than tab,
// line feed and carriage return, no surrogate without its partner, no U+FFFE or U+FFFF. A file
// holding any other would not load again.
bool IsXmlText(const QString& text);
// The text without the characters that XML cannot carry.
QString XmlTextOf(const QString& text);

// True for a label under which the program reads CP932: "SHIFT-JIS", "Shift_JIS", "SJIS", ...
bool IsShiftJisLabel(const QByteArray& label);

// Registers the CP932 aliases and silences libxml2's own printing; called by TXmlDocument, and
// safe to call again.
void InitXmlLibrary();
