// The album page through the real main window (offscreen, at its designed size), on a save folder
// made here: dated folders of 1,000 and 10,000 photos, each with a full-size file carrying EXIF
// dates and a reduced copy and a thumbnail written by the program's own routines. The names of a
// folder are hard links to one set of files, so ten thousand photos cost no disk to speak of; the
// floors read the very same files.
//
//   album_open         choosing the 1,000-photo folder until the grid has painted its rows in view
//                      once. Floor: the bare listing of "reduce/", and for each row in view a plain
//                      decode of its thumbnail, a plain EXIF date read of its full-size file and
//                      its drawing: the row's five lines of text with one plain drawText in the
//                      grid's font and the thumbnail with one drawImage, into an image of the
//                      grid's size.
//   album_open_growth  the same for 10,000 photos divided by the 1,000 figure (linear: 10).
//   album_scroll       from the first to the last row of 1,000, page by page, painting each page;
//                      each photo is read once. Floor: the same per row for 1,000 rows.
//   album_draw_all     ThumbnailDrawAll on: the 1,000-photo folder, open to painted. Floor: the
//                      reads of all 1,000 rows, without drawing (the subject paints one page).
//
// Every measurement runs with a warm page cache (an untimed pass first); the timed rounds
// alternate between floor and subject, and each figure is the median of its rounds.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/Unit31.h"
#include "bench/support/BenchSupport.h"
#include "controls/StringGrid1.h"
#include "exif/ExifInfo.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"
#include "tests/support/ExifBuilder.h"

namespace {

constexpr int SmallCount = 1000;
constexpr int LargeCount = 10000;
constexpr int Rounds = 9;
// Opening takes milliseconds: more rounds keep a moment of load on the machine out of its median.
constexpr int OpenRounds = 41;
const QString SmallFolder = QStringLiteral("20240101");
const QString LargeFolder = QStringLiteral("20240102");

struct TSources {
    QString FullSize, Reduced, Thumbnail;
};

// A camera-like photo with its EXIF dates, and the program's reduced copy and thumbnail of it.
TSources MakeSources(const QString& dir) {
    TSources sources{dir + QStringLiteral("full.jpg"), dir + QStringLiteral("reduced.jpg"),
                     dir + QStringLiteral("thumbnail.jpg")};
    Bench::MakePhoto(sources.FullSize, 1600, 1200);
    QFile file(sources.FullSize);
    if (!file.open(QIODevice::ReadOnly))
        Bench::Die("bench_album", "cannot read the photo");
    QByteArray bytes = file.readAll();
    file.close();
    TExifBuilder exif;
    exif.Ascii(TExifDir::Exif, 0x9003, "2024:01:01 09:00:00");
    exif.Ascii(TExifDir::Ifd0, 0x0132, "2024:01:02 18:00:00");
    exif.Ascii(TExifDir::Ifd0, 0x010F, "KavroCam");
    bytes.insert(2, exif.App1());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        Bench::Die("bench_album", "cannot write the photo");
    file.close();

    TBitmap picture;
    LoadGraphic(picture, sources.FullSize);
    WriteReduced(picture, 600, 600, sources.Reduced);
    WriteReduced(picture, 130, 130, sources.Thumbnail);
    return sources;
}

void Link(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        Bench::Die("bench_album", "cannot link a photo file");
}

void MakeDatedFolder(const QString& dir, int count, const TSources& sources) {
    QDir().mkpath(dir + QStringLiteral("reduce"));
    QDir().mkpath(dir + QStringLiteral("thumbnail"));
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        Link(sources.FullSize, dir + name);
        Link(sources.Reduced, dir + QStringLiteral("reduce/") + name);
        Link(sources.Thumbnail, dir + QStringLiteral("thumbnail/") + name);
    }
}

// The bare listing: the names of a folder's entries.
QStringList PlainListing(const QString& dir) {
    QStringList names;
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (!handle)
        Bench::Die("bench_album", "cannot list a folder");
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] != '.')
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(handle);
    return names;
}

struct TDates {
    QString Original, Changed;
};

// The EXIF reader used plainly: both dates of one file.
TDates PlainExifDates(const QString& path) {
    TExifInfo info;
    TDates dates;
    if (info.HasExif(path)) {
        info.SetImageFileName(path);
        dates = {info.DateTimeOriginal(), info.DateTime()};
    }
    return dates;
}

// The album page of the real main window.
class TAlbumPage {
public:
    explicit TAlbumPage(const QString& saveDir) : FSaveDir(saveDir) {
        FForm.show();  // the start-up sequence opens the save folder, as at every start
        FForm.PageControl1->setCurrentWidget(FForm.TabSheet2);
        QCoreApplication::processEvents();
    }

    void Open(const QString& folder, bool drawAll) {
        FForm.PhotoSetting->ThumbnailDrawAll = drawAll;
        const int index = FForm.ComboBox1->findText(FormatFolderCaption(folder));
        if (index < 0)
            Bench::Die("bench_album", "the dated folder is not offered");
        FForm.ComboBox1->setCurrentIndex(index);
        FForm.ComboBox1Change();
    }
    void Paint() { benchmark::DoNotOptimize(FForm.StringGrid1->grab()); }
    // Rows the grid paints at the top of the list.
    int RowsInView() const {
        const int last = FForm.StringGrid1->rowAt(FForm.StringGrid1->viewport()->height() - 1);
        return last < 0 ? FForm.StringGrid1->RowCount() : last + 1;
    }
    // From the first page to the last, painting each.
    void Scroll() {
        QScrollBar* bar = FForm.StringGrid1->verticalScrollBar();
        bar->setValue(0);
        Paint();
        const int step = std::max(1, bar->pageStep());
        for (int value = step; value < bar->maximum() + step; value += step) {
            bar->setValue(std::min(value, bar->maximum()));
            Paint();
        }
    }
    int Pages() const {
        const QScrollBar* bar = FForm.StringGrid1->verticalScrollBar();
        const int step = std::max(1, bar->pageStep());
        return (bar->maximum() + step - 1) / step + 1;
    }
    // Photos read, and the rows whose reads were not both done once.
    std::pair<int, int> ReadCounts() const {
        int exif = 0, thumbnails = 0;
        for (const TPhoto* photo : FForm.Album->PhotoList()) {
            exif += photo->ExifRead ? 1 : 0;
            thumbnails += photo->ThumbnailLoaded ? 1 : 0;
        }
        return {exif, thumbnails};
    }
    QString Path(const QString& folder) const { return FSaveDir + folder + u'/'; }
    const TMyStringGrid& Grid() const { return *FForm.StringGrid1; }

private:
    QString FSaveDir;
    TForm31 FForm;
};

double Ratio(const std::vector<double>& subjects, const std::vector<double>& floors) {
    return Bench::Median(subjects) / Bench::Median(floors);
}

// Floor and subject in alternating order; prepare runs untimed before each subject.
void Alternate(int rounds, const std::function<void()>& floor, const std::function<void()>& prepare,
               const std::function<void()>& subject, std::vector<double>& floors,
               std::vector<double>& subjects) {
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0)
            floors.push_back(Bench::Seconds(floor));
        prepare();
        subjects.push_back(Bench::Seconds(subject));
        if (round % 2 == 1)
            floors.push_back(Bench::Seconds(floor));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Bench::TProgram<TKavroApplication> program(argc, argv, "bench_album");
    const QString& programDir = program.Folder();
    const QString saveDir = programDir + QStringLiteral("data/photo/");
    const TSources sources = MakeSources(programDir);
    MakeDatedFolder(saveDir + SmallFolder + u'/', SmallCount, sources);
    MakeDatedFolder(saveDir + LargeFolder + u'/', LargeCount, sources);

    TAlbumPage album(saveDir);
    std::vector<JSAMPLE> rows;
    // What drawing a row takes at the least: its text in one drawText and its thumbnail in one
    // drawImage, at the places the grid gives them.
    const TMyStringGrid& grid = album.Grid();
    QImage canvas(grid.size(), QImage::Format_ARGB32_Premultiplied);
    const QImage thumbnail = QImage(sources.Thumbnail).convertToFormat(canvas.format());
    const int rowHeight = grid.RowHeights(0);
    const int textLeft = grid.ColWidths(0) + grid.ColWidths(1) + 2;
    const int textWidth = grid.ColWidths(2) - 4;
    const int rowsPerCanvas = std::max(1, canvas.height() / rowHeight);
    const auto floorFor = [&](const QString& dated, int count, bool listing, bool drawing) {
        return [&, dated, count, listing, drawing] {
            if (listing)
                benchmark::DoNotOptimize(
                    PlainListing(album.Path(dated) + QStringLiteral("reduce")));
            QPainter painter;
            if (drawing) {
                painter.begin(&canvas);
                painter.setFont(grid.font());
            }
            for (int i = 0; i < count; ++i) {
                const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
                Bench::PlainDecode(album.Path(dated) + QStringLiteral("thumbnail/") + name, rows);
                const TDates dates = PlainExifDates(album.Path(dated) + name);
                if (!drawing)
                    continue;
                const int top = (i % rowsPerCanvas) * rowHeight;
                const QString text = QStringLiteral("場所：") + album.Path(dated) +
                                     QStringLiteral("\r\nファイル：") + name +
                                     QStringLiteral("\r\n撮影日：") + dates.Original +
                                     QStringLiteral("\r\n更新日時：") + dates.Changed +
                                     QStringLiteral("\r\nタグ：");
                painter.drawText(QRect(textLeft, top + 2, textWidth, rowHeight - 4),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
                painter.drawImage(QPoint(grid.ColWidths(0) + 5, top + 5), thumbnail);
            }
        };
    };
    const auto nothing = [] {};

    // Open to painted, for both sizes.
    album.Open(SmallFolder, false);
    album.Paint();
    const int inView = album.RowsInView();
    std::printf("%d rows in view\n", inView);
    struct TOpen {
        const QString& Folder;
        std::vector<double> Floors, Subjects;
    };
    TOpen opens[] = {{SmallFolder, {}, {}}, {LargeFolder, {}, {}}};
    for (TOpen& open : opens) {
        const auto floor = floorFor(open.Folder, inView, true, true);
        const auto subject = [&] {
            album.Open(open.Folder, false);
            album.Paint();
        };
        floor();
        subject();
        Alternate(OpenRounds, floor, nothing, subject, open.Floors, open.Subjects);
        std::printf("open %s: floor %.2f ms, open to painted %.2f ms\n",
                    open.Folder.toUtf8().constData(), Bench::Median(open.Floors) * 1e3,
                    Bench::Median(open.Subjects) * 1e3);
    }

    // Scrolling through 1,000 rows.
    std::vector<double> scrollFloors, scrollSubjects;
    const auto scrollFloor = floorFor(SmallFolder, SmallCount, false, true);
    scrollFloor();
    Alternate(
        Rounds, scrollFloor, [&] { album.Open(SmallFolder, false); }, [&] { album.Scroll(); },
        scrollFloors, scrollSubjects);
    const auto [exifRead, thumbnailsRead] = album.ReadCounts();
    std::printf("scroll: floor %.1f ms, scroll %.1f ms; %d EXIF blocks and %d thumbnails read\n",
                Bench::Median(scrollFloors) * 1e3, Bench::Median(scrollSubjects) * 1e3, exifRead,
                thumbnailsRead);
    if (exifRead != SmallCount || thumbnailsRead != SmallCount)
        Bench::Die("bench_album", "scrolling did not read every photo once");
    // For the record: the same scroll once every row has been read is the painting alone.
    std::vector<double> paintOnly;
    for (int round = 0; round < 3; ++round)
        paintOnly.push_back(Bench::Seconds([&] { album.Scroll(); }));
    std::printf("scroll with every row read already (painting alone): %.1f ms for %d pages\n",
                Bench::Median(paintOnly) * 1e3, album.Pages());

    // Everything read while listing.
    const auto allFloor = floorFor(SmallFolder, SmallCount, false, false);
    std::vector<double> allFloors, allSubjects;
    Alternate(
        Rounds, allFloor, nothing,
        [&] {
            album.Open(SmallFolder, true);
            album.Paint();
        },
        allFloors, allSubjects);
    std::printf("draw all: floor %.1f ms, open to painted %.1f ms\n",
                Bench::Median(allFloors) * 1e3, Bench::Median(allSubjects) * 1e3);
    if (program.Messages() != 0)
        Bench::Die("bench_album", "the album showed a message");

    std::printf("album_open ratio %.2f (target 1.5)\n", Ratio(opens[0].Subjects, opens[0].Floors));
    std::printf("album_open_growth ratio %.2f (target 11)\n",
                Bench::Median(opens[1].Subjects) / Bench::Median(opens[0].Subjects));
    std::printf("album_scroll ratio %.2f (target 1.5)\n", Ratio(scrollSubjects, scrollFloors));
    std::printf("album_draw_all ratio %.2f (target 1.2)\n", Ratio(allSubjects, allFloors));
    return 0;
}
