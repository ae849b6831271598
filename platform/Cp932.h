#pragma once

#include <QByteArray>
#include <QString>

// Conversions between the in-memory QString and code page 932, the Windows form of Shift-JIS in
// which every data file of the program is written. Files labelled "SHIFT-JIS" or "Shift_JIS" are
// read and written as CP932, so that the Windows program and this one read each other's files.
namespace Cp932 {

// Encodes a text; a character that CP932 cannot hold becomes '?'. When lossless is given it
// tells whether every character could be encoded.
QByteArray Encode(const QString& text, bool* lossless = nullptr);

// Decodes bytes; a byte sequence that is not CP932 becomes U+FFFD.
QString Decode(const QByteArray& bytes);

// True when the byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest prefix of at most maxBytes bytes that does not split a double-byte
// character.
qsizetype SafePrefixLength(const QByteArray& bytes, qsizetype maxBytes);

// The number of bytes the text takes in CP932.
qsizetype ByteLength(const QString& text);

}  // namespace Cp932
