#include "platform/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// An iconv descriptor for one direction, kept per thread and reset before every use.
class TIconv {
public:
    TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
        if (FHandle == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
        }
    }
    ~TIconv() { iconv_close(FHandle); }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    iconv_t Reset() {
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        return FHandle;
    }

private:
    iconv_t FHandle;
};

size_t Utf8SequenceLength(const char* in, size_t left) {
    const auto byte = static_cast<unsigned char>(*in);
    size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return std::min(length, left);
}

size_t Cp932SequenceLength(const char* in, size_t left) {
    const bool doubleByte = Cp932::IsLeadByte(static_cast<unsigned char>(*in)) && left >= 2;
    return doubleByte ? 2 : 1;
}

// Runs iconv over the whole input. A sequence that cannot be converted is skipped (its length
// given by sequenceLength) and replaced by the replacement bytes.
QByteArray Convert(iconv_t handle, const QByteArray& input,
                   size_t (*sequenceLength)(const char*, size_t), const QByteArray& replacement,
                   bool* lossless) {
    if (lossless)
        *lossless = true;
    QByteArray output(input.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    qsizetype written = 0;
    while (inLeft > 0) {
        char* out = output.data() + written;
        size_t outLeft = static_cast<size_t>(output.size() - written);
        const size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        written = out - output.data();
        if (result != static_cast<size_t>(-1))
            break;
        if (error == E2BIG) {
            output.resize(output.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: an unconvertible or cut-off sequence.
        if (lossless)
            *lossless = false;
        const size_t skip = sequenceLength(in, inLeft);
        in += skip;
        inLeft -= skip;
        if (output.size() - written < replacement.size()) {
            output.resize(output.size() * 2 + replacement.size());
        }
        memcpy(output.data() + written, replacement.constData(),
               static_cast<size_t>(replacement.size()));
        written += replacement.size();
    }
    output.resize(written);
    return output;
}

}  // namespace

namespace Cp932 {

QByteArray Encode(const QString& text, bool* lossless) {
    thread_local TIconv encoder("CP932", "UTF-8");
    return Convert(encoder.Reset(), text.toUtf8(), Utf8SequenceLength, QByteArray("?"), lossless);
}

QString Decode(const QByteArray& bytes) {
    thread_local TIconv decoder("UTF-8", "CP932");
    return QString::fromUtf8(
        Convert(decoder.Reset(), bytes, Cp932SequenceLength, QByteArray("\xEF\xBF\xBD"), nullptr));
}

qsizetype SafePrefixLength(const QByteArray& bytes, qsizetype maxBytes) {
    if (bytes.size() <= maxBytes)
        return bytes.size();
    qsizetype position = 0;
    while (position < maxBytes) {
        const qsizetype step = IsLeadByte(static_cast<unsigned char>(bytes[position])) ? 2 : 1;
        if (position + step > maxBytes)
            break;
        position += step;
    }
    return position;
}

qsizetype ByteLength(const QString& text) {
    return Encode(text).size();
}

}  // namespace Cp932
