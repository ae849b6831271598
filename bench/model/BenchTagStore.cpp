// Loading a tag store of 10000 entries (TPhotoTagList::LoadFromFile: parse, read every entry,
// check that its reduced copy exists) against parsing the same file with libxml2 alone
// (xmlReadFile with the options the program uses, then xmlFreeDoc), measured in the same run.
//
// The save folder, its reduced copies and the store are made here, in a temporary folder, and
// removed at the end. Both measurements run with a warm page cache and warm directory entries:
// one untimed pass of each comes first. The timed rounds alternate between floor and subject
// (Bench::AlternateRounds); the ratio is the median of the rounds' ratios. The target is ours:
// reading the entries and checking their reduced copies should cost no more than twice the
// parse itself.

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "bench/support/BenchSupport.h"
#include "model/TagStore.h"
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "platform/XmlDocument.h"

namespace {

constexpr int EntryCount = 10000;
constexpr int FolderCount = 20;
constexpr int Rounds = 15;

}  // namespace

int main(int argc, char** argv) {
    // A store that failed would show its message: it is counted instead of opening a box.
    const Bench::TProgram<QCoreApplication> program(argc, argv, "bench_tag_store");
    const QString& saveDir = program.Folder();
    TPhotoTagList tags;
    for (int i = 0; i < EntryCount; ++i) {
        const QString dated =
            QStringLiteral("202404%1").arg(1 + i % FolderCount, 2, 10, QLatin1Char('0'));
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        if (i < FolderCount)
            QDir().mkpath(saveDir + dated + QStringLiteral("/reduce"));
        WriteFileAtomically(saveDir + dated + QStringLiteral("/reduce/") + name, "x");
        tags.Add(dated, name, QStringLiteral("トマト,収穫,\"畝 %1\"").arg(i % 31));
    }
    const QString path = saveDir + QStringLiteral("tag.xml");
    tags.SaveToFile(path);
    const QByteArray nativePath = QFile::encodeName(path);
    std::printf("tag.xml: %d entries, %lld bytes\n", EntryCount,
                static_cast<long long>(QFileInfo(path).size()));

    InitXmlLibrary();
    auto floor = [&] {
        xmlDoc* document = xmlReadFile(nativePath.constData(), nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        if (document == nullptr)
            Bench::Die("bench_tag_store", "libxml2 refused the file");
        xmlFreeDoc(document);
    };
    TPhotoTagList loaded;
    auto subject = [&] { loaded.LoadFromFile(path); };
    auto parseOnly = [&] {
        TXmlDocument document;
        document.Load(path);
        benchmark::DoNotOptimize(document.IsEmpty());
    };

    floor();
    subject();
    parseOnly();
    if (loaded.Count() != EntryCount || program.Messages() != 0)
        Bench::Die("bench_tag_store", "the store did not load whole");

    const Bench::TRounds load =
        Bench::AlternateRounds(Rounds, floor, subject, [](int, double, double) {});
    const Bench::TRounds parse =
        Bench::AlternateRounds(Rounds, floor, parseOnly, [](int, double, double) {});
    const double floorTime = Bench::Median(load.Floors);
    const double subjectTime = Bench::Median(load.Subjects);
    const double parseTime = Bench::Median(parse.Subjects);
    std::printf("libxml2 alone (xmlReadFile, xmlFreeDoc)  %7.3f us per entry\n",
                floorTime * 1e6 / EntryCount);
    std::printf("  TXmlDocument::Load alone               %7.3f us per entry\n",
                parseTime * 1e6 / EntryCount);
    std::printf("TPhotoTagList::LoadFromFile              %7.3f us per entry (%.2f ms)\n",
                subjectTime * 1e6 / EntryCount, subjectTime * 1e3);
    loaded.Clear();
    std::printf("tag_store ratio %.2f (target 3.0)\n", load.MedianRatio());
    return 0;
}
