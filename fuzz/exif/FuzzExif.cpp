// Arbitrary bytes as a photo file: the reader must answer with a result or one of its errors,
// never crash, leak or run out of memory. Each input is also read from memory and through a
// file stream with tiny blocks; every way of reading must give the same result, as reading the
// file byte by byte would.

#include <QByteArray>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "exif/ExifInfo.h"
#include "exif/ExifStream.h"
#include "exif/ZqFileUtils.h"
#include "platform/AtomicFile.h"

namespace {

// Everything a read leaves behind, as bytes, for comparing two reads.
void Append(QByteArray& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
}

template <typename T>
void AppendValue(QByteArray& out, const T& value) {
    if constexpr (std::is_same_v<T, QByteArray>) {
        const qsizetype size = value.size();
        Append(out, &size, sizeof size);
        out.append(value);
    } else {
        Append(out, &value, sizeof value);
    }
}

void AppendEntries(QByteArray& out, const TEntryItems& list) {
    const int count = list.Count();
    Append(out, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        const TEntryItem& e = list[i];
        AppendValue(out, e.Tag);
        AppendValue(out, e.ValueType);
        AppendValue(out, e.Count);
        AppendValue(out, e.IfdGroup);
        AppendValue(out, e.ValueOffset);
        AppendValue(out, e.ValueCount());
        for (int v = 0; v < e.ValueCount(); ++v)
            std::visit([&out](const auto& value) { AppendValue(out, value); }, e.Value(v));
        out.append(e.TextValue().toUtf8());
        AppendValue(out, e.LongValue(0));
    }
}

// Runs a read and describes its outcome and the reader's state.
template <typename Read>
QByteArray Outcome(Read read) {
    TExifInfo info;
    QByteArray out;
    try {
        read(info);
        out = "ok";
    } catch (const EExifError& error) {
        out = "exif " + QByteArray::number(error.ErrorCode());
    } catch (const EReadError&) {
        out = "read";
    }
    AppendValue(out, info.ImageHeight());
    AppendValue(out, info.ImageWidth());
    AppendValue(out, info.ExifOffset());
    AppendValue(out, info.TiffOffset());
    AppendValue(out, info.ByteOrder());
    AppendEntries(out, info.Entries());
    AppendEntries(out, info.ThumbnailEntries());
    out.append(info.DateTimeOriginal().toUtf8()).append(info.DateTime().toUtf8());
    return out;
}

void Require(bool same, const char* what) {
    if (!same) {
        std::fprintf(stderr, "readings differ: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("photo.jpg"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    WriteFileAtomically(path, bytes);

    // The photo records' order of calls.
    TExifInfo reader;
    if (reader.HasExif(path)) {
        try {
            reader.SetImageFileName(path);
        } catch (const Exception&) {
        }
    }

    const QByteArray fromFile = Outcome([](TExifInfo& info) { info.SetImageFileName(path); });
    const QByteArray fromMemory = Outcome([&bytes](TExifInfo& info) {
        TExifStream stream(bytes);
        info.ReadFromStream(stream);
    });
    const QByteArray fromSmallBlocks = Outcome([](TExifInfo& info) {
        const TZqWideFileStream file(path, ZqFileUtils::fmOpenRead);
        TExifStream stream(file, 16, 16);
        info.ReadFromStream(stream);
    });
    Require(fromFile == fromMemory, "file and memory");
    Require(fromFile == fromSmallBlocks, "large and small blocks");

    // The byte scan for the marker, far beyond its usual reach.
    TExifInfo scanner;
    scanner.SetSearchBytes(size > 0 ? data[0] * 64 : 0);
    TExifStream memory(bytes);
    Require(scanner.GetExifOffset(path) == scanner.FindApp1(memory), "marker search");
    return 0;
}
