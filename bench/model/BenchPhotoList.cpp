// Listing a dated folder of N photos the way the album does with ThumbnailDrawAll off:
// LoadFromDir, then JoinTags and JoinOkini against a tag store and a favourites store of N
// entries each, both already loaded. The floor, measured in the same run, is the bare listing of
// the folder's "reduce/": opendir, readdir, every name taken as a text, closedir.
//
// The folders and stores are made here, in a temporary folder, and removed at the end. Both
// measurements run with a warm page cache and warm directory entries: one untimed pass of each
// comes first. The timed rounds then alternate between floor and subject (Bench::AlternateRounds),
// so that a neighbour's load on the shared machine falls on both alike. The ratio is the median
// of the rounds' ratios at N = 1000; the growth compares the medians of the subject's rounds at
// N = 10000 and N = 1000.

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>

#include "bench/support/BenchSupport.h"
#include "model/PhotoRecords.h"
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"

namespace {

constexpr int Rounds = 15;

struct TFigures {
    double Floor = 0;  // seconds per listing, medians of the rounds
    double Subject = 0;
    double Ratio = 0;  // the median of the rounds' ratios
};

QString PhotoName(int index) {
    return QStringLiteral("IMG_%1.JPG").arg(index, 5, 10, QLatin1Char('0'));
}

// The bare listing: what any program pays to learn the names in a folder.
QStringList BareListing(const QString& dir) {
    QStringList names;
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (handle == nullptr)
        Bench::Die("bench_photo_list", "cannot list the folder");
    while (const dirent* entry = ::readdir(handle)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(handle);
    return names;
}

TFigures Measure(const QString& root, int count) {
    const QString saveDir = root + QStringLiteral("save%1/").arg(count);
    const QString dated = QStringLiteral("20240401");
    const QString datedPath = saveDir + dated + u'/';
    const QString reduceDir = datedPath + QStringLiteral("reduce/");
    if (!QDir().mkpath(reduceDir))
        Bench::Die("bench_photo_list", "cannot make the folders");
    TPhotoTagList tags;
    TPhotoOkiniList okini;
    for (int i = 0; i < count; ++i) {
        // Reduced copies only: the listing never opens them.
        WriteFileAtomically(reduceDir + PhotoName(i), QByteArray("x"));
        tags.Add(dated, PhotoName(i), QStringLiteral("トマト,収穫,%1").arg(i % 17));
        // Every other photo is a favourite; the rest of the store names photos of other days.
        okini.Add(i % 2 ? dated : QStringLiteral("20240402"), PhotoName(i));
    }
    // The stores as the album has them: loaded from their files.
    tags.SaveToFile(saveDir + QStringLiteral("tag.xml"));
    okini.SaveToFile(saveDir + QStringLiteral("okini.xml"));
    tags.LoadFromFile(saveDir + QStringLiteral("tag.xml"));
    okini.LoadFromFile(saveDir + QStringLiteral("okini.xml"));

    TPhotoList list;
    auto subject = [&] {
        list.LoadFromDir(datedPath, false, false);
        list.JoinTags(tags);
        list.JoinOkini(okini);
        benchmark::DoNotOptimize(list.Last());
    };
    auto floor = [&] {
        QStringList names = BareListing(reduceDir);
        benchmark::DoNotOptimize(names.constData());
    };

    subject();  // warms the page cache and the directory entries for both
    floor();
    if (list.Count() != count || list[1]->Tags.isEmpty() || !list[1]->Favourite)
        Bench::Die("bench_photo_list", "the listing is wrong");

    // Each round repeats its work enough times to last some milliseconds.
    const int repeats = qMax(1, 20000 / count);
    const Bench::TRounds rounds = Bench::AlternateRounds(
        Rounds,
        [&] {
            for (int r = 0; r < repeats; ++r)
                floor();
        },
        [&] {
            for (int r = 0; r < repeats; ++r)
                subject();
        },
        [](int, double, double) {});
    TFigures figures;
    figures.Floor = Bench::Median(rounds.Floors) / repeats;
    figures.Subject = Bench::Median(rounds.Subjects) / repeats;
    figures.Ratio = rounds.MedianRatio();
    list.Clear();
    QDir(saveDir).removeRecursively();
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    // A store that failed would show its message: it is counted instead of opening a box.
    const Bench::TProgram<QCoreApplication> program(argc, argv, "bench_photo_list");
    const TFigures small = Measure(program.Folder(), 1000);
    const TFigures large = Measure(program.Folder(), 10000);
    for (const auto& [count, figures] : {std::pair{1000, small}, std::pair{10000, large}}) {
        std::printf(
            "N = %5d: bare listing of reduce/ %8.1f us, listing with joins %8.1f us "
            "(%.2f us per photo)\n",
            count, figures.Floor * 1e6, figures.Subject * 1e6, figures.Subject * 1e6 / count);
    }
    if (program.Messages() != 0)
        Bench::Die("bench_photo_list", "a store showed a message");
    std::printf("photo_list_floor_growth ratio %.2f (for comparison)\n", large.Floor / small.Floor);
    std::printf("photo_list_growth ratio %.2f (target 12.5)\n", large.Subject / small.Subject);
    std::printf("photo_list ratio %.2f (target 3.0)\n", small.Ratio);
    return 0;
}
