#include "model/JpegCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/FileHandle.h"

namespace {

// libjpeg's default error handler prints and ends the process. This one records the message
// number and jumps back to the libjpeg call that failed (see Run), which then raises it as a C++
// exception outside libjpeg's frames. Nothing between the jump and its target owns resources:
// the frames it leaves are libjpeg's own and a lambda holding references only.
struct TErrorManager {
    jpeg_error_mgr Base;  // first, so that libjpeg's pointer is also ours
    std::jmp_buf Jump;
    int Code = 0;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TErrorManager*>(info->err);
    manager->Code = info->err->msg_code;
    std::longjmp(manager->Jump, 1);
}

// Warnings (data cut short, a damaged stretch of compressed data, stray bytes between markers)
// do not end a decode: libjpeg goes on, fills what it lacks with grey and returns the picture,
// as every viewer shows it. They are only counted.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0)
        info->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

void InstallErrorManager(TErrorManager& manager, jpeg_common_struct& info) {
    info.err = jpeg_std_error(&manager.Base);
    manager.Base.error_exit = ErrorExit;
    manager.Base.emit_message = EmitMessage;
    manager.Base.output_message = OutputMessage;
}

// Runs one libjpeg call; false when libjpeg reported an error (its number is in manager.Code).
template <typename Call>
bool Run(TErrorManager& manager, const Call& call) {
    if (setjmp(manager.Jump) != 0)
        return false;
    call();
    return true;
}

// Progressive files can hold any number of scans, each a pass over the whole picture; a few
// dozen is already unusual, so a file with more than this is treated as damaged.
constexpr int MaxScans = 500;

void MonitorProgress(j_common_ptr info) {
    if (!info->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans) {
        ERREXIT(info, JERR_BAD_PROGRESSION);
    }
}

// Reads the file through a descriptor in large blocks. At the end of the file libjpeg is given
// an end marker and warned, as its own file source does, so a file cut short still decodes.
struct TFileSource {
    jpeg_source_mgr Base;
    int Handle = -1;
    std::vector<uchar> Buffer;
    bool StartOfFile = true;
    int ReadError = 0;
};

void InitSource(j_decompress_ptr info) {
    reinterpret_cast<TFileSource*>(info->src)->StartOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<TFileSource*>(info->src);
    ssize_t got;
    do {
        got = ::read(source->Handle, source->Buffer.data(), source->Buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        source->ReadError = errno;
        ERREXIT(info, JERR_FILE_READ);
    }
    if (got == 0) {
        if (source->StartOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source->Buffer[0] = 0xFF;
        source->Buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->Base.next_input_byte = source->Buffer.data();
    source->Base.bytes_in_buffer = size_t(got);
    source->StartOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    jpeg_source_mgr* source = info->src;
    if (count <= 0)
        return;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        source->fill_input_buffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

uchar Scale255(int a, int b) {
    return uchar((a * b + 127) / 255);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

struct TJpegDecoder::TState {
    jpeg_decompress_struct Info;
    TErrorManager Error;
    jpeg_progress_mgr Progress;
    TFileSource File;
    jpeg_source_mgr* MemorySource = nullptr;  // made by jpeg_mem_src once, in libjpeg's pool
    std::vector<uchar> CmykRow;
    qint64 MaxPixels = MaxJpegPixels;
    bool Created = false;
};

TJpegDecoder::TJpegDecoder() : F(std::make_unique<TState>()) {
    std::memset(&F->Info, 0, sizeof F->Info);
    InstallErrorManager(F->Error, *reinterpret_cast<jpeg_common_struct*>(&F->Info));
    if (!Run(F->Error, [&] { jpeg_create_decompress(&F->Info); }))
        throw EJPEG(F->Error.Code);
    F->Created = true;
    F->Progress.progress_monitor = MonitorProgress;
    F->Info.progress = &F->Progress;
    F->File.Buffer.resize(size_t(1) << 16);
    F->File.Base.init_source = InitSource;
    F->File.Base.fill_input_buffer = FillInputBuffer;
    F->File.Base.skip_input_data = SkipInputData;
    F->File.Base.resync_to_restart = jpeg_resync_to_restart;
    F->File.Base.term_source = TermSource;
}

TJpegDecoder::~TJpegDecoder() {
    if (F->Created)
        jpeg_destroy_decompress(&F->Info);
}

qint64 TJpegDecoder::MaxPixels() const {
    return F->MaxPixels;
}
void TJpegDecoder::SetMaxPixels(qint64 maxPixels) {
    F->MaxPixels = maxPixels;
}
long TJpegDecoder::Warnings() const {
    return F->Error.Base.num_warnings;
}

void TJpegDecoder::DecodeFile(const QString& fileName, TBitmap& picture) {
    TFileHandle file(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        throw EFOpenError(fileName, SystemErrorText(errno));
    struct stat info {};
    if (fstat(file.Get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        throw EFOpenError(fileName, SystemErrorText(EISDIR));
    }
    F->File.Handle = file.Get();
    F->File.ReadError = 0;
    F->File.Base.bytes_in_buffer = 0;
    F->File.Base.next_input_byte = nullptr;
    F->Info.src = &F->File.Base;
    Decode(picture, fileName);
}

// jpeg_mem_src reuses the source it made before; handed any other source it would allocate a new
// one in the decoder's permanent pool each time.
void TJpegDecoder::UseMemory(const uchar* data, size_t size) {
    F->File.ReadError = 0;
    F->Info.src = F->MemorySource;
    if (!Run(F->Error, [&] { jpeg_mem_src(&F->Info, data, static_cast<unsigned long>(size)); })) {
        Fail(QString());
    }
    F->MemorySource = F->Info.src;
}

void TJpegDecoder::DecodeBytes(const uchar* data, size_t size, TBitmap& picture) {
    UseMemory(data, size);
    Decode(picture, QString());
}

QSize TJpegDecoder::ReadSize(const uchar* data, size_t size) {
    jpeg_decompress_struct& info = F->Info;
    UseMemory(data, size);
    if (!Run(F->Error, [&] { jpeg_read_header(&info, TRUE); }))
        Fail(QString());
    const QSize result(int(info.image_width), int(info.image_height));
    jpeg_abort_decompress(&info);
    return result;
}

void TJpegDecoder::Fail(const QString& fileName) {
    const int code = F->Error.Code;
    const int readError = F->File.ReadError;
    jpeg_abort_decompress(&F->Info);
    F->File.Handle = -1;
    if (readError != 0)
        throw EFOpenError(fileName, SystemErrorText(readError));
    throw EJPEG(code);
}

void TJpegDecoder::Decode(TBitmap& picture, const QString& fileName) {
    jpeg_decompress_struct& info = F->Info;
    F->Error.Base.num_warnings = 0;
    if (!Run(F->Error, [&] { jpeg_read_header(&info, TRUE); }))
        Fail(fileName);

    const qint64 pixels = qint64(info.image_width) * info.image_height;
    if (pixels > F->MaxPixels) {
        jpeg_abort_decompress(&info);
        throw EJPEG(JERR_IMAGE_TOO_BIG,
                    QStringLiteral("JPEG エラー #%1: 画像が大きすぎます（%2 × %3 ピクセル）。")
                        .arg(int(JERR_IMAGE_TOO_BIG))
                        .arg(info.image_width)
                        .arg(info.image_height));
    }
    // libjpeg turns greyscale and YCbCr into RGB itself; CMYK and YCCK come out as CMYK and
    // are mixed into RGB below.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (!Run(F->Error, [&] { jpeg_start_decompress(&info); }))
        Fail(fileName);

    const int width = int(info.output_width);
    const int height = int(info.output_height);
    try {
        picture.Reshape(width, height, TPixelFormat::pf24bit);
        if (cmyk)
            F->CmykRow.resize(size_t(width) * 4);
    } catch (...) {
        jpeg_abort_decompress(&info);
        throw;
    }
    uchar* const bits = picture.ScanLine(0);
    const qsizetype stride = picture.BytesPerLine();
    // Adobe writes CMYK inverted (0 is full ink); without its marker the values are plain.
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int first = int(info.output_scanline);
        JSAMPROW rows[16];
        const int count = cmyk ? 1 : std::min(16, height - first);
        for (int i = 0; i < count; ++i) {
            rows[i] = cmyk ? F->CmykRow.data() : bits + qsizetype(first + i) * stride;
        }
        if (!Run(F->Error, [&] { jpeg_read_scanlines(&info, rows, JDIMENSION(count)); })) {
            Fail(fileName);
        }
        if (cmyk && int(info.output_scanline) > first) {
            uchar* out = bits + qsizetype(first) * stride;
            const uchar* in = F->CmykRow.data();
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                const int k = inverted ? in[3] : 255 - in[3];
                for (int c = 0; c < 3; ++c)
                    out[c] = Scale255(inverted ? in[c] : 255 - in[c], k);
            }
        }
    }
    if (!Run(F->Error, [&] { jpeg_finish_decompress(&info); }))
        Fail(fileName);
    F->File.Handle = -1;
}

// ---------------------------------------------------------------------------------------------

namespace {

// Collects the encoded bytes in one growing block that the encoder keeps from file to file.
struct TMemoryDestination {
    jpeg_destination_mgr Base;
    uchar* Buffer = nullptr;
    size_t Capacity = 0;
    size_t Size = 0;
};

void InitDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TMemoryDestination*>(info->dest);
    // libjpeg stores a byte before it looks at the room left: start with a block in hand.
    if (destination->Buffer == nullptr) {
        destination->Buffer = static_cast<uchar*>(std::malloc(1 << 16));
        if (destination->Buffer == nullptr)
            ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
        destination->Capacity = 1 << 16;
    }
    destination->Base.next_output_byte = destination->Buffer;
    destination->Base.free_in_buffer = destination->Capacity;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TMemoryDestination*>(info->dest);
    const size_t used = destination->Capacity;
    const size_t capacity = std::max<size_t>(used * 2, 1 << 16);
    auto* grown = static_cast<uchar*>(std::realloc(destination->Buffer, capacity));
    if (grown == nullptr)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    destination->Buffer = grown;
    destination->Capacity = capacity;
    destination->Base.next_output_byte = grown + used;
    destination->Base.free_in_buffer = capacity - used;
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<TMemoryDestination*>(info->dest);
    destination->Size = destination->Capacity - destination->Base.free_in_buffer;
}

}  // namespace

struct TJpegEncoder::TState {
    jpeg_compress_struct Info;
    TErrorManager Error;
    TMemoryDestination Destination;
    std::vector<uchar> Row;
    bool Created = false;
    ~TState() { std::free(Destination.Buffer); }
};

TJpegEncoder::TJpegEncoder() : F(std::make_unique<TState>()) {
    std::memset(&F->Info, 0, sizeof F->Info);
    InstallErrorManager(F->Error, *reinterpret_cast<jpeg_common_struct*>(&F->Info));
    if (!Run(F->Error, [&] { jpeg_create_compress(&F->Info); }))
        throw EJPEG(F->Error.Code);
    F->Created = true;
    F->Destination.Base.init_destination = InitDestination;
    F->Destination.Base.empty_output_buffer = EmptyOutputBuffer;
    F->Destination.Base.term_destination = TermDestination;
    F->Info.dest = &F->Destination.Base;
}

TJpegEncoder::~TJpegEncoder() {
    if (F->Created)
        jpeg_destroy_compress(&F->Info);
}

QByteArray TJpegEncoder::Encode(int width, int height, const TFillRow& fillRow) {
    jpeg_compress_struct& info = F->Info;
    const auto fail = [&]() {
        const int code = F->Error.Code;
        jpeg_abort_compress(&info);
        throw EJPEG(code);
    };
    info.image_width = JDIMENSION(std::max(width, 0));
    info.image_height = JDIMENSION(std::max(height, 0));
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    const bool started = Run(F->Error, [&] {
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
    });
    if (!started)
        fail();
    try {
        F->Row.resize(size_t(width) * 3);
        for (int y = 0; y < height; ++y) {
            fillRow(y, F->Row.data());
            JSAMPROW row = F->Row.data();
            if (!Run(F->Error, [&] { jpeg_write_scanlines(&info, &row, 1); }))
                fail();
        }
    } catch (...) {
        jpeg_abort_compress(&info);
        throw;
    }
    if (!Run(F->Error, [&] { jpeg_finish_compress(&info); }))
        fail();
    return QByteArray(reinterpret_cast<const char*>(F->Destination.Buffer),
                      qsizetype(F->Destination.Size));
}
