// Deleting one photo from an album of 1,000 photos whose favourites and tag stores hold 1,000
// entries each, from the confirmed dialog to the refilled grid: the check that everything can
// be removed, both stores written, the full-size file moved to the user's trash and the two
// copies removed, the record freed and the grid laid out and filled again. The floor, measured in
// the same run: saving both stores once with the stores' own save routines, moving a file into a
// trash folder on the same file system with one rename and removing two files. Rounds alternate
// which goes first; the figure is the median of the rounds' ratios.
//
// The user's trash is a folder inside the temporary folder (HOME and XDG_DATA_HOME point there),
// on the same file system as the photos, so that the delete really moves its files there.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/Unit31.h"
#include "bench/support/BenchSupport.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"

namespace {

constexpr int Photos = 1000;
constexpr int Rounds = 21;
constexpr double Target = 1.5;

QString Name(int i) {
    return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        Bench::Die("bench_delete_photo", "cannot write a test file");
}

}  // namespace

int main(int argc, char** argv) {
    const Bench::TProgram<TKavroApplication> program(argc, argv, "bench_delete_photo");
    const QString& folder = program.Folder();
    const QString home = folder + QStringLiteral("home");
    const QString dataHome = home + QStringLiteral("/.local/share");
    QDir().mkpath(dataHome);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString trashFiles = folder + QStringLiteral("floor-trash/files/");
    QDir().mkpath(trashFiles);
    const QString saveDir = folder + QStringLiteral("save/");
    const QString dated = saveDir + QStringLiteral("20240501/");
    const QString floorDir = folder + QStringLiteral("floor/");
    for (const QString& dir :
         {dated + QStringLiteral("reduce"), dated + QStringLiteral("thumbnail"),
          floorDir + QStringLiteral("20240501/reduce")}) {
        QDir().mkpath(dir);
    }
    Bench::MakePhoto(floorDir + QStringLiteral("small.jpg"), 130, 98);
    QFile small(floorDir + QStringLiteral("small.jpg"));
    small.open(QIODevice::ReadOnly);
    const QByteArray jpeg = small.readAll();

    TPhotoOkiniList okini;
    TPhotoTagList tags;
    for (int i = 0; i < Photos; ++i) {
        for (const QString& sub :
             {QString(), QStringLiteral("reduce/"), QStringLiteral("thumbnail/")})
            WriteBytes(dated + sub + Name(i), jpeg);
        okini.Add(QStringLiteral("20240501"), Name(i));
        tags.Add(QStringLiteral("20240501"), Name(i), QStringLiteral("トマト,収穫%1").arg(i % 7));
    }
    okini.SaveToFile(saveDir + QStringLiteral("okini.xml"));
    tags.SaveToFile(saveDir + QStringLiteral("tag.xml"));

    TForm31 album;
    album.Album->SetCurrentDir(saveDir);
    album.OpenCurrentDir();
    if (album.Album->PhotoList().Count() != Photos ||
        album.Album->PhotoOkiniList().Count() != Photos ||
        album.Album->PhotoTagList().Count() != Photos) {
        Bench::Die("bench_delete_photo", "the album did not list the photos");
    }

    int floorRound = 0;
    const auto floor = [&] {
        okini.SaveToFile(floorDir + QStringLiteral("okini.xml"));
        tags.SaveToFile(floorDir + QStringLiteral("tag.xml"));
        const QString name = QStringLiteral("f%1.jpg").arg(floorRound);
        if (std::rename(QFile::encodeName(floorDir + name).constData(),
                        QFile::encodeName(trashFiles + name).constData()) != 0) {
            Bench::Die("bench_delete_photo", "the floor could not move its file");
        }
        for (const QString& sub : {QStringLiteral("reduce/"), QStringLiteral("thumbnail/")})
            QFile::remove(floorDir + sub + name);
        ++floorRound;
    };
    const auto prepareFloor = [&] {
        for (const QString& sub :
             {QString(), QStringLiteral("reduce/"), QStringLiteral("thumbnail/")}) {
            QDir().mkpath(floorDir + sub);
            WriteBytes(floorDir + sub + QStringLiteral("f%1.jpg").arg(floorRound), jpeg);
        }
    };
    // The middle photo each time: a delete from the middle renumbers half the rows.
    const auto remove = [&] {
        album.DeletePhoto(album.Album->PhotoList()[album.Album->PhotoList().Count() / 2]);
    };
    prepareFloor();
    Bench::Seconds(floor);
    Bench::Seconds(remove);
    prepareFloor();
    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, remove, [&](int, double, double) { prepareFloor(); });
    if (program.Messages() != 0 || album.Album->PhotoList().Count() != Photos - Rounds - 1)
        Bench::Die("bench_delete_photo", "a delete failed");
    if (QDir(dataHome + QStringLiteral("/Trash/files")).entryList(QDir::Files).size() != Rounds + 1)
        Bench::Die("bench_delete_photo", "the deleted photos are not in the trash");
    std::printf("delete %.2f ms, floor %.2f ms\n", Bench::Median(rounds.Subjects) * 1e3,
                Bench::Median(rounds.Floors) * 1e3);
    std::printf("delete_photo ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
