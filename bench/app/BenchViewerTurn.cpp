// A quarter turn of a 600 x 450 reduced copy through the real viewer (offscreen), from the menu
// command to the refreshed album grid: the reduced copy read and turned, written back, the new
// thumbnail written and read into the photo record, the grid rows rewritten. The floor, measured
// in the same run, is the codec work alone with plain libjpeg: a decode of the reduced copy, a
// q90 encode of 450 x 600, a q90 encode of 98 x 130 and a decode of that thumbnail. Rounds
// alternate which goes first; the figure is the median of the rounds' ratios.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "bench/support/BenchSupport.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"
#include "platform/ProgramDir.h"

namespace {

constexpr int Rounds = 31;
constexpr double Target = 1.5;

[[noreturn]] void JpegExit(j_common_ptr) {
    Bench::Die("bench_viewer_turn", "libjpeg failed");
}

// libjpeg's plain encode of a width x height RGB raster at quality 90 to a file.
void PlainEncode(const QString& path, const std::vector<JSAMPLE>& raster, int width, int height) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr)
        Bench::Die("bench_viewer_turn", "cannot write the floor's file");
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = JpegExit;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(raster.data()) + size_t(info.next_scanline) * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

std::vector<JSAMPLE> Raster(int width, int height) {
    std::vector<JSAMPLE> raster(size_t(width) * height * 3);
    for (size_t i = 0; i < raster.size(); ++i)
        raster[i] = JSAMPLE((i * 7 + i / 1800) & 0xFF);
    return raster;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::KeepFreedMemory();
    Bench::UseOffscreenPlatform();
    TKavroApplication app(argc, argv);
    const int& messages = Bench::CountMessages();
    QTemporaryDir folder;
    if (!folder.isValid())
        Bench::Die("bench_viewer_turn", "no temporary folder");
    const QString saveDir = folder.path() + QStringLiteral("/save/");
    const QString dated = saveDir + QStringLiteral("20240501/");
    QDir().mkpath(dated + QStringLiteral("reduce"));
    QDir().mkpath(dated + QStringLiteral("thumbnail"));
    QDir().mkpath(folder.path() + QStringLiteral("/floor"));
    SetProgramDir(folder.path() + u'/');
    Bench::MakePhoto(dated + QStringLiteral("IMG_0001.JPG"), 600, 450);
    Bench::MakePhoto(dated + QStringLiteral("reduce/IMG_0001.JPG"), 600, 450);
    Bench::MakePhoto(dated + QStringLiteral("thumbnail/IMG_0001.JPG"), 130, 98);
    const QString floorReduced = folder.path() + QStringLiteral("/floor/reduced.jpg");
    const QString floorTurned = folder.path() + QStringLiteral("/floor/turned.jpg");
    const QString floorThumbnail = folder.path() + QStringLiteral("/floor/thumbnail.jpg");
    QFile::copy(dated + QStringLiteral("reduce/IMG_0001.JPG"), floorReduced);

    TForm31 album;
    TForm32 viewer;
    album.Form32 = &viewer;
    viewer.Form31 = &album;
    album.CurrentDir = saveDir;
    album.OpenCurrentDir();
    TPhoto* photo = album.GetCurrentPhoto();
    if (photo == nullptr)
        Bench::Die("bench_viewer_turn", "the album lists no photo");
    viewer.show();
    viewer.ShowPhoto(photo);

    const std::vector<JSAMPLE> turned = Raster(450, 600);
    const std::vector<JSAMPLE> thumbnail = Raster(98, 130);
    std::vector<JSAMPLE> rows;
    const auto floor = [&] {
        Bench::PlainDecode(floorReduced, rows);
        PlainEncode(floorTurned, turned, 450, 600);
        PlainEncode(floorThumbnail, thumbnail, 98, 130);
        Bench::PlainDecode(floorThumbnail, rows);
    };
    const auto turn = [&] { viewer.N2->trigger(); };
    Bench::Seconds(floor);
    Bench::Seconds(turn);
    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, turn, [](int, double, double) {});
    if (messages != 0)
        Bench::Die("bench_viewer_turn", "the turn showed a message");
    std::printf("viewer turn %.2f ms, floor %.2f ms\n", Bench::Median(rounds.Subjects) * 1e3,
                Bench::Median(rounds.Floors) * 1e3);
    std::printf("viewer_turn ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
