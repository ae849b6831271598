#include "platform/IniFile.h"

#include <QFile>
#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"

namespace {

using TIniLine = TIniText::TLine;

// A lone CR ends a line too: were it part of the text, a value would read with a CR that a
// write of another key (which appends a LF after it) takes away again.
QList<TIniLine> SplitLines(const QByteArray& bytes) {
    QList<TIniLine> lines;
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end == size) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        const qsizetype next =
            bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n' ? end + 2 : end + 1;
        lines.append({bytes.mid(start, end - start), bytes.mid(end, next - end)});
        start = next;
    }
    return lines;
}

QByteArray JoinLines(const QList<TIniLine>& lines) {
    QByteArray bytes;
    for (const TIniLine& line : lines)
        bytes += line.Text + line.Ending;
    return bytes;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool IsAscii(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool SameName(const QByteArray& stored, const QString& wanted) {
    const QByteArray name = TrimBlanks(stored);
    // Names are nearly always ASCII, which CP932 holds as itself: no conversion needed.
    if (IsAscii(name))
        return QLatin1StringView(name).compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
    return Cp932::Decode(name).compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

// The section name of a "[name]" line, or false for any other line.
bool SectionName(const QByteArray& line, QByteArray* name) {
    QByteArray text = TrimBlanks(line);
    // An editor may have put a UTF-8 byte order mark before the first section.
    if (text.startsWith("\xEF\xBB\xBF"))
        text = TrimBlanks(text.mid(3));
    if (!text.startsWith('['))
        return false;
    const qsizetype close = text.indexOf(']');
    *name = close < 0 ? text.mid(1) : text.mid(1, close - 1);
    return true;
}

// The key and raw value of a "key=value" line, or false for comments and other lines.
bool KeyAndValue(const QByteArray& line, QByteArray* key, QByteArray* value) {
    const QByteArray text = TrimBlanks(line);
    if (text.startsWith(';'))
        return false;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return false;
    *key = text.left(equals);
    *value = text.mid(equals + 1);
    return true;
}

// Where a section starts and ends in the list of lines.
struct TSectionRange {
    qsizetype Header = -1;  // index of the "[name]" line, -1 when the section is missing
    qsizetype End = 0;      // index after the section's last line
};

TSectionRange FindSection(const QList<TIniLine>& lines, const QString& section) {
    TSectionRange range;
    QByteArray name;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!SectionName(lines[i].Text, &name))
            continue;
        if (range.Header >= 0) {
            range.End = i;
            return range;
        }
        if (SameName(name, section))
            range.Header = i;
    }
    range.End = lines.size();
    return range;
}

qsizetype FindKey(const QList<TIniLine>& lines, const TSectionRange& range, const QString& key) {
    QByteArray name, value;
    for (qsizetype i = range.Header + 1; i < range.End; ++i) {
        if (KeyAndValue(lines[i].Text, &name, &value) && SameName(name, key))
            return i;
    }
    return -1;
}

QByteArray LineEndingOf(const QList<TIniLine>& lines) {
    for (const TIniLine& line : lines) {
        if (!line.Ending.isEmpty())
            return line.Ending;
    }
    return QByteArrayLiteral("\r\n");
}

// A missing file reads as empty; a file that exists but cannot be read is reported, so that a
// write never replaces contents it could not see.
QByteArray ReadFileOrEmpty(const QString& fileName) {
    try {
        return ReadWholeFile(fileName);
    } catch (const ESystemError& error) {
        if (error.ErrorNumber() == ENOENT)
            return {};
        throw;
    }
}

}  // namespace

EIniWriteError::EIniWriteError(const QString& fileName) : Exception(CannotWriteText(fileName)) {}

QByteArray UnquoteIniValue(QByteArray value) {
    value = TrimBlanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

bool ParseIniInteger(const QString& text, int* value) {
    bool ok = false;
    const bool hex =
        (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && text.size() > 2) ||
        (text.startsWith(u'$') && text.size() > 1);
    if (hex) {
        // A hexadecimal text is a 32-bit pattern, so 0xFFFFFFFF reads as -1.
        const QString digits = text.mid(text.startsWith(u'$') ? 1 : 2);
        const bool signedText = digits.startsWith(u'-') || digits.startsWith(u'+');
        const uint pattern = digits.toUInt(&ok, 16);
        if (!ok || signedText)
            return false;
        *value = static_cast<int>(pattern);
        return true;
    }
    const int number = text.toInt(&ok, 10);
    if (ok)
        *value = number;
    return ok;
}

QString TIniText::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const QList<TIniLine>& lines = FLines;
    const TSectionRange range = FindSection(lines, section);
    if (range.Header < 0)
        return defaultValue;
    const qsizetype index = FindKey(lines, range, key);
    if (index < 0)
        return defaultValue;
    QByteArray name, value;
    KeyAndValue(lines[index].Text, &name, &value);
    value = UnquoteIniValue(value);
    value.truncate(Cp932::SafePrefixLength(value, MaxValueBytes));
    return Cp932::Decode(value);
}

int TIniText::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = defaultValue;
    return ParseIniInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

bool TIniText::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniText::WriteString(const QString& section, const QString& key, const QString& value) {
    QList<TIniLine>& lines = FLines;
    const QByteArray ending = LineEndingOf(lines);
    const QByteArray entry = Cp932::Encode(key) + '=' + Cp932::Encode(value);
    const TSectionRange range = FindSection(lines, section);
    if (range.Header < 0) {
        if (!lines.isEmpty() && lines.back().Ending.isEmpty())
            lines.back().Ending = ending;
        lines.append({'[' + Cp932::Encode(section) + ']', ending});
        lines.append({entry, ending});
    } else if (const qsizetype index = FindKey(lines, range, key); index >= 0) {
        lines[index].Text = entry;
    } else {
        // After the section's last non-blank line, so blank lines that part sections stay put.
        qsizetype insertAt = range.End;
        while (insertAt > range.Header + 1 && TrimBlanks(lines[insertAt - 1].Text).isEmpty()) {
            --insertAt;
        }
        if (lines[insertAt - 1].Ending.isEmpty())
            lines[insertAt - 1].Ending = ending;
        lines.insert(insertAt, {entry, ending});
    }
}

TIniText::TIniText(const QByteArray& bytes) : FLines(SplitLines(bytes)) {}

QByteArray TIniText::Bytes() const {
    return JoinLines(FLines);
}

TIniFile::TIniFile(QString fileName) : FFileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    try {
        return TIniText(ReadFileOrEmpty(FFileName)).ReadString(section, key, defaultValue);
    } catch (const ESystemError&) {
        return defaultValue;  // like a missing file
    }
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = defaultValue;
    return ParseIniInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    TIniText text;
    try {
        text = TIniText(ReadFileOrEmpty(FFileName));
    } catch (const ESystemError&) {
        throw EIniWriteError(FFileName);
    }
    text.WriteString(section, key, value);
    try {
        WriteFileAtomically(FFileName, text.Bytes());
    } catch (const ESystemError&) {
        throw EIniWriteError(FFileName);
    }
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
