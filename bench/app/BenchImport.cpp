// The whole import as the user runs it: 20 photos of 6000 x 4000 through the real import window
// (offscreen, every dialog scripted), each decoded once, copied, and written as a reduced copy
// and a thumbnail. The floor, measured in the same run: 20 plain libjpeg full decodes of the same
// files plus 20 plain file copies. Rounds alternate which goes first; the figure is the median of
// the rounds' ratios. The files are warm in the page cache for both.
//
// Memory: the growth of the peak resident size during one import over the process before it,
// against 1.2 x one full-size raster + 40 MiB: two full-size rasters alive at once would exceed it.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

#include "app/Unit40.h"
#include "bench/support/BenchSupport.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int Photos = 20;
constexpr int Rounds = 3;
constexpr double Target = 1.2;

void CopyPlain(const QString& from, const QString& to) {
    std::filesystem::copy_file(from.toStdString(), to.toStdString(),
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
    Bench::UseOffscreenPlatform();
    TKavroApplication app(argc, argv);
    Dialogs::SetMessageHandler([](const Dialogs::TMessageRequest& request) {
        Bench::Die("bench_import", request.Text.toUtf8().constData());
        return Dialogs::TMsgResult::Ok;
    });
    // Every import goes into a new folder: a name conflict that asks the user is a fault here.
    Dialogs::SetModalHandler([](QDialog&) -> int {
        Bench::Die("bench_import", "the import asked about a name conflict");
    });
    QTemporaryDir folder;
    if (!folder.isValid())
        Bench::Die("bench_import", "no temporary folder");
    const QString dir = folder.path() + u'/';
    QDir().mkpath(dir + QStringLiteral("in"));
    QStringList files;
    for (int i = 0; i < Photos; ++i) {
        files.append(dir + QStringLiteral("in/IMG_%1.JPG").arg(i + 1, 4, 10, QLatin1Char('0')));
        Bench::MakePhoto(files.back(), Width, Height, unsigned(i + 1));
    }
    std::printf("%d photos of %d x %d, %.1f MB each\n", Photos, Width, Height,
                QFileInfo(files.front()).size() / 1e6);

    TPhotoSetting setting;
    setting.ReduceWidth = setting.ReduceHeight = QStringLiteral("600");
    TPhotoDirList dirList;
    int round = 0;
    const auto import = [&] {
        const QString saveDir = dir + QStringLiteral("save%1/").arg(round++);
        TForm40 form;
        form.PhotoSetting = &setting;
        form.SaveDir = saveDir;
        form.PhotoDirList = &dirList;
        form.FileList = files;
        form.exec();
        if (!form.Report().isEmpty())
            Bench::Die("bench_import", "the import failed");
    };
    const auto cleanUp = [&] {
        QDir(dir + QStringLiteral("save%1").arg(round - 1)).removeRecursively();
    };
    std::vector<JSAMPLE> rows;
    const QString copyTarget = dir + QStringLiteral("copy.jpg");
    const auto floor = [&] {
        for (const QString& file : std::as_const(files)) {
            Bench::PlainDecode(file, rows);
            CopyPlain(file, copyTarget);
        }
    };

    Bench::Seconds(floor);  // warms the page cache with every file
    Bench::ResetPeakResident();
    const qint64 before = Bench::CurrentResident();
    const double first = Bench::Seconds(import);
    const qint64 growth = Bench::PeakResident() - before;
    cleanUp();
    std::printf("untimed import %.2f s\n", first);

    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, import, [&](int i, double f, double m) {
            cleanUp();
            std::printf("round %d: floor %.2f s, import %.2f s, ratio %.3f\n", i + 1, f, m, m / f);
        });
    const double raster = double(Width) * Height * 3;
    const double limit = 1.2 * raster + 40.0 * 1024 * 1024;
    std::printf("peak RSS growth %.1f MiB (limit %.1f MiB = 1.2 x %.1f MiB raster + 40 MiB): %s\n",
                growth / 1048576.0, limit / 1048576.0, raster / 1048576.0,
                growth <= limit ? "within" : "OVER");
    std::printf("import_rss ratio %.2f (target 1.00)\n", growth / limit);
    std::printf("import ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
