// A quarter turn of a 600 x 450 reduced copy through the real viewer (offscreen), from the menu
// command to the refreshed album grid: the reduced copy read and turned, written back, the new
// thumbnail written and read into the photo record, the grid rows rewritten. The floor, measured
// in the same run, is the codec work alone with plain libjpeg: a decode of the reduced copy, a
// q90 encode of 450 x 600, a q90 encode of 98 x 130 (both of the same picture turned, since
// what is encoded decides the encoder's time) and a decode of that thumbnail. Rounds
// alternate which goes first; the figure is the median of the rounds' ratios.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "bench/support/BenchSupport.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"

namespace {

constexpr int Rounds = 61;
constexpr double Target = 1.5;

[[noreturn]] void JpegExit(j_common_ptr) {
    Bench::Die("bench_viewer_turn", "libjpeg failed");
}

// The whole picture of a JPEG file as RGB rows, decoded once outside the timing.
std::vector<JSAMPLE> DecodeWhole(const QString& path, int& width, int& height) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr)
        Bench::Die("bench_viewer_turn", "cannot open the reduced copy");
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = JpegExit;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    std::vector<JSAMPLE> raster(size_t(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = raster.data() + size_t(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return raster;
}

// The picture turned a quarter to the left and picked nearest-neighbour into a target size: the
// same pixels the viewer encodes, so that the floor's encodes cost what the viewer's do.
std::vector<JSAMPLE> TurnedLeft(const std::vector<JSAMPLE>& source, int width, int height,
                                int targetWidth, int targetHeight) {
    std::vector<JSAMPLE> turned(size_t(targetWidth) * targetHeight * 3);
    for (int y = 0; y < targetHeight; ++y) {
        for (int x = 0; x < targetWidth; ++x) {
            const int turnedX = x * height / targetWidth;
            const int turnedY = y * width / targetHeight;
            const int sourceX = width - 1 - turnedY;
            const int sourceY = turnedX;
            std::memcpy(&turned[(size_t(y) * targetWidth + x) * 3],
                        &source[(size_t(sourceY) * width + sourceX) * 3], 3);
        }
    }
    return turned;
}

}  // namespace

int main(int argc, char** argv) {
    const Bench::TProgram<TKavroApplication> program(argc, argv, "bench_viewer_turn");
    const QString saveDir = program.Folder() + QStringLiteral("save/");
    const QString dated = saveDir + QStringLiteral("20240501/");
    QDir().mkpath(dated + QStringLiteral("reduce"));
    QDir().mkpath(dated + QStringLiteral("thumbnail"));
    QDir().mkpath(program.Folder() + QStringLiteral("floor"));
    Bench::MakePhoto(dated + QStringLiteral("IMG_0001.JPG"), 600, 450);
    Bench::MakePhoto(dated + QStringLiteral("reduce/IMG_0001.JPG"), 600, 450);
    Bench::MakePhoto(dated + QStringLiteral("thumbnail/IMG_0001.JPG"), 130, 98);
    const QString floorReduced = program.Folder() + QStringLiteral("floor/reduced.jpg");
    const QString floorTurned = program.Folder() + QStringLiteral("floor/turned.jpg");
    const QString floorThumbnail = program.Folder() + QStringLiteral("floor/thumbnail.jpg");
    QFile::copy(dated + QStringLiteral("reduce/IMG_0001.JPG"), floorReduced);

    TForm31 album;
    TForm32 viewer;
    album.Form32 = &viewer;
    viewer.AlbumPage = &album;
    album.Album->SetCurrentDir(saveDir);
    album.OpenCurrentDir();
    TPhoto* photo = album.GetCurrentPhoto();
    if (photo == nullptr)
        Bench::Die("bench_viewer_turn", "the album lists no photo");
    viewer.show();
    viewer.ShowPhoto(photo);

    int width = 0, height = 0;
    const std::vector<JSAMPLE> picture = DecodeWhole(floorReduced, width, height);
    const std::vector<JSAMPLE> turned = TurnedLeft(picture, width, height, 450, 600);
    const std::vector<JSAMPLE> thumbnail = TurnedLeft(picture, width, height, 98, 130);
    std::vector<JSAMPLE> rows;
    const auto floor = [&] {
        Bench::PlainDecode(floorReduced, rows);
        Bench::PlainEncode(floorTurned, turned, 450, 600);
        Bench::PlainEncode(floorThumbnail, thumbnail, 98, 130);
        Bench::PlainDecode(floorThumbnail, rows);
    };
    const auto turn = [&] { viewer.N2->trigger(); };
    Bench::Seconds(floor);
    Bench::Seconds(turn);
    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, turn, [](int, double, double) {});
    if (program.Messages() != 0)
        Bench::Die("bench_viewer_turn", "the turn showed a message");
    std::printf("viewer turn %.2f ms, floor %.2f ms\n", Bench::Median(rounds.Subjects) * 1e3,
                Bench::Median(rounds.Floors) * 1e3);
    std::printf("viewer_turn ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
