// LoadGraphic on arbitrary bytes: through a file, as the import and the photo records read
// photos, and from memory, as an undecoded JPEG image is drawn. Every input must end in a
// picture or in one of the program's exceptions; libjpeg must never end the process, and
// nothing may leak (LeakSanitizer checks at exit and between runs).
//
// The bytes go to a memory file named through /proc/self/fd, so each run costs no disk I/O. The
// pixel bound is lowered to 4 megapixels so that a header claiming a large picture still decodes
// quickly under the sanitizers; the bound itself is the same code at any size.

#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/Pictures.h"

namespace {

struct TFuzzState {
    TJpegDecoder Decoder;
    TBitmap Picture;
    int File = -1;
    QString Path;

    TFuzzState() {
        Decoder.SetMaxPixels(qint64(1) << 22);
        File = memfd_create("fuzz_loadgraphic", 0);
        if (File < 0)
            std::abort();
        Path = QStringLiteral("/proc/self/fd/%1").arg(File);
    }
};

TFuzzState& State() {
    static TFuzzState* state = new TFuzzState;
    return *state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzState& state = State();
    if (ftruncate(state.File, 0) != 0)
        std::abort();
    if (size > 0 && pwrite(state.File, data, size, 0) != ssize_t(size))
        std::abort();
    try {
        LoadGraphic(state.Picture, state.Path, state.Decoder);
        if (state.Picture.Width() <= 0 || state.Picture.Height() <= 0)
            std::abort();
        if (qint64(state.Picture.Width()) * state.Picture.Height() > state.Decoder.MaxPixels()) {
            std::abort();
        }
    } catch (const Exception&) {
    }
    try {
        TBitmap picture;
        state.Decoder.DecodeBytes(data, size, picture);
    } catch (const Exception&) {
    }
    return 0;
}
