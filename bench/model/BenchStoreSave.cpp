// Saving a tag store of 1000 entries (TPhotoTagList::SaveToFile: build the document, encode it in
// CP932, write it to a temporary file, flush it, rename it over "tag.xml" and flush the folder)
// against the least that a durable save of the same bytes costs: one write of them to a new file
// and one fsync, measured in the same run.
//
// The floor removes its file before each write, so that it too makes a new file; the store
// replaces the "tag.xml" of the round before. The timed rounds alternate between floor and
// subject (Bench::AlternateRounds); the ratio is the median of the rounds' ratios. The target is
// ours: the second flush (the folder's) and the document should cost no more than half the floor.
//
// For comparison, a second reference does what any durable replace of a file must: write a new
// temporary file, flush it, rename it over the old one and flush the folder, with plain system
// calls. On a journalling file system each flush waits for a commit of the journal, so this
// reference sits near twice the floor whatever the writer does; the store's figure against it
// shows what the program adds to the disk's own cost.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/support/BenchSupport.h"
#include "model/TagStore.h"
#include "platform/AtomicFile.h"

namespace {

constexpr int EntryCount = 1000;
constexpr int Rounds = 41;

void WriteAndFlush(const QByteArray& path, const QByteArray& bytes) {
    ::unlink(path.constData());
    const int handle = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (handle < 0 || ::write(handle, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
        ::fsync(handle) != 0) {
        Bench::Die("bench_store_save", "the floor could not write its file");
    }
    ::close(handle);
}

void ReplaceDurably(const QByteArray& folder, const QByteArray& path, const QByteArray& bytes) {
    const QByteArray temporary = folder + "replace.tmp";
    WriteAndFlush(temporary, bytes);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (::rename(temporary.constData(), path.constData()) != 0 || dir < 0 || ::fsync(dir) != 0)
        Bench::Die("bench_store_save", "the reference could not replace its file");
    ::close(dir);
}

}  // namespace

int main(int argc, char** argv) {
    const Bench::TProgram<QCoreApplication> program(argc, argv, "bench_store_save");
    // In the build folder, not in /tmp: the ratio is about a disk, and /tmp may be memory.
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-store-save-XXXXXX"));
    if (!folder.isValid())
        return 1;
    const QString saveDir = folder.path() + u'/';
    TPhotoTagList tags;
    for (int i = 0; i < EntryCount; ++i) {
        tags.Add(QStringLiteral("202404%1").arg(1 + i % 20, 2, 10, QLatin1Char('0')),
                 QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')),
                 QStringLiteral("トマト,収穫,\"畝 %1\"").arg(i % 31));
    }
    const QString path = saveDir + QStringLiteral("tag.xml");
    tags.SaveToFile(path);
    const QByteArray bytes = ReadWholeFile(path);
    const QByteArray floorPath = QFile::encodeName(saveDir + QStringLiteral("floor.xml"));
    std::printf("tag.xml: %d entries, %lld bytes\n", EntryCount,
                static_cast<long long>(bytes.size()));

    const auto floor = [&] { WriteAndFlush(floorPath, bytes); };
    const auto subject = [&] { tags.SaveToFile(path); };
    floor();
    subject();
    if (program.Messages() != 0 || ReadWholeFile(path) != bytes)
        Bench::Die("bench_store_save", "the store did not save");

    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, subject, [](int, double, double) {});
    std::vector<double> building;
    for (int i = 0; i < Rounds; ++i)
        building.push_back(Bench::Seconds([&] { benchmark::DoNotOptimize(tags.SaveToBytes()); }));
    const QByteArray replacePath = QFile::encodeName(saveDir + QStringLiteral("replace.xml"));
    const auto replace = [&] { ReplaceDurably(QFile::encodeName(saveDir), replacePath, bytes); };
    replace();
    const Bench::TRounds replaces =
        Bench::AlternateRounds(Rounds, replace, subject, [](int, double, double) {});
    std::printf("write + fsync of a new file          %7.3f ms\n",
                Bench::Median(rounds.Floors) * 1e3);
    std::printf("durable replace with plain calls     %7.3f ms\n",
                Bench::Median(replaces.Floors) * 1e3);
    std::printf("TPhotoTagList::SaveToFile            %7.3f ms\n",
                Bench::Median(rounds.Subjects) * 1e3);
    std::printf("  of which the document alone        %7.3f ms\n", Bench::Median(building) * 1e3);
    std::printf("store_save_replace ratio %.2f (for comparison)\n", replaces.MedianRatio());
    std::printf("store_save ratio %.2f (target 1.5)\n", rounds.MedianRatio());
    return 0;
}
