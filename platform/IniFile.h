#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/Exception.h"

// The bytes of an INI file in code page 932, read and changed in memory with the semantics of
// the Windows private-profile functions: section and key names match without regard to letter
// case and the first match wins; a read value loses the blanks around it and one pair of
// enclosing quotes and is cut at 2047 bytes; writing a key touches only that key's line, so
// comments, blank lines and unknown keys and sections stay byte for byte as they were. A line
// ends at CR LF, at LF or at a lone CR.
class TIniText {
public:
    static constexpr qsizetype MaxValueBytes = 2047;

    // A line of the file with its own terminator ("\r\n", "\n", "\r" or none at the end of the
    // file), so that writing it back reproduces the file byte for byte.
    struct TLine {
        QByteArray Text;
        QByteArray Ending;
    };

    // The bytes are split into lines once; every read then looks at the lines.
    explicit TIniText(const QByteArray& bytes = {});

    QByteArray Bytes() const;

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; any other text gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Sets the key: its line is replaced in place; a missing key goes after the last line of its
    // section, a missing section at the end.
    void WriteString(const QString& section, const QString& key, const QString& value);

private:
    QList<TLine> FLines;
};

// An INI file on disk with the rules of TIniText. Every call opens the file for its own
// duration.
class TIniFile {
public:
    static constexpr qsizetype MaxValueBytes = TIniText::MaxValueBytes;

    explicit TIniFile(QString fileName);

    const QString& FileName() const { return FFileName; }

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; any other text gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Raises EIniWriteError ("%s に書き込めません") when the file cannot be written; the file is
    // replaced atomically, so a failure leaves it as it was.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

private:
    QString FFileName;
};

class EIniWriteError : public Exception {
public:
    explicit EIniWriteError(const QString& fileName);
};

// The integer rule of ReadInteger: false, and value untouched, when the text is no integer.
bool ParseIniInteger(const QString& text, int* value);

// One pair of enclosing double or single quotes removed, after the blanks around the text.
QByteArray UnquoteIniValue(QByteArray value);
