#include <gtest/gtest.h>

#include <functional>

#include "exif/ExifInfo.h"
#include "exif/ExifStream.h"
#include "exif/ZqFileUtils.h"
#include "platform/Cp932.h"
#include "tests/support/ExifBuilder.h"
#include "tests/support/TestFolder.h"

namespace {

using D = TExifDir;

const QByteArray ShotAt = "2023:05:14 09:30:00";
const QByteArray ChangedAt = "2023:06:01 18:00:05";

// Every value type, inline and by offset, in every directory.
TExifBuilder FullExif(quint16 byteOrder) {
    TExifBuilder b(byteOrder);
    b.Ascii(D::Ifd0, 0x010F, "KavroCam")
        .Ascii(D::Ifd0, 0x0132, ChangedAt)
        .Shorts(D::Ifd0, 0x0112, {6})
        .Rationals(D::Ifd0, 0x011A, {{72, 1}})
        .Ascii(D::Exif, 0x9003, ShotAt)
        .Shorts(D::Exif, 0x8827, {200, 400})
        .Shorts(D::Exif, 0x9214, {1, 2, 3})
        .Rationals(D::Exif, 0x9204, {{0xFFFFFFFF, 3}}, ExifType::SRational)
        .Shorts(D::Exif, 0x9401, {0xFFFE}, ExifType::SShort)
        .Longs(D::Exif, 0xA002, {4000})
        .Longs(D::Exif, 0x9402, {0xFFFFFFF6}, ExifType::SLong)
        .Floats(D::Exif, 0x9403, {1.5f})
        .Doubles(D::Exif, 0x9404, {-2.25, 1e300})
        .Bytes(D::Exif, 0x9405, ExifType::Byte, "\x01\x02\x03\x04\x05")
        .Bytes(D::Exif, 0x9406, ExifType::SByte, "\xFF")
        .Bytes(D::Exif, 0x9000, ExifType::Undefined, "0230")
        .Bytes(D::Exif, 0x927C, ExifType::Undefined, QByteArray(40, 'm'))
        .Ascii(D::Gps, 0x0001, "N")
        .Rationals(D::Gps, 0x0002, {{35, 1}, {40, 1}, {0, 1}})
        .Ascii(D::Interop, 0x0001, "R98")
        .Shorts(D::Ifd1, 0x0103, {6})
        .Ascii(D::Ifd1Exif, 0x9003, "thumb")
        .Ascii(D::Ifd1Interop, 0x0001, "THM")
        .Thumbnail(JpegBytes::Jpeg({}, 120, 160, 32));
    return b;
}

// Everything an entry holds, for comparing readings.
struct TEntrySnapshot {
    quint16 Tag;
    quint8 ValueType;
    quint32 Count;
    quint8 IfdGroup;
    quint32 ValueOffset;
    std::vector<TExifValue> Values;
    friend bool operator==(const TEntrySnapshot&, const TEntrySnapshot&) = default;
};

std::vector<TEntrySnapshot> Snapshot(const TEntryItems& list) {
    std::vector<TEntrySnapshot> result;
    for (int i = 0; i < list.Count(); ++i) {
        const TEntryItem& e = list[i];
        TEntrySnapshot s{e.Tag, e.ValueType, e.Count, e.IfdGroup, e.ValueOffset, {}};
        for (int v = 0; v < e.ValueCount(); ++v)
            s.Values.push_back(e.Value(v));
        result.push_back(s);
    }
    return result;
}

const TEntryItem* Find(const TEntryItems& list, quint16 tag, quint8 group) {
    const int index = list.IndexOfTag(tag, group);
    return index < 0 ? nullptr : &list[index];
}

// Reads the file; the code of the EExifError raised, 0 for none, 1 for the stream's read error.
int Read(TExifInfo& info, const QString& path) {
    try {
        info.SetImageFileName(path);
    } catch (const EExifError& error) {
        return error.ErrorCode();
    } catch (const EReadError&) {
        return 1;
    }
    return 0;
}

class ExifByteOrder : public ::testing::TestWithParam<quint16> {};

TEST_P(ExifByteOrder, DecodesEveryTypeAndDirectory) {
    TTestFolder folder;
    const QString path = folder.WriteFile(
        QStringLiteral("写真.jpg"),
        JpegBytes::Jpeg({JpegBytes::App0Jfif(), FullExif(GetParam()).App1()}, 1200, 1600));
    TExifInfo info;
    int updates = 0;
    info.OnUpdate = [&updates](TExifInfo&) { ++updates; };
    ASSERT_EQ(Read(info, path), 0);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(info.ByteOrder(), GetParam());
    EXPECT_EQ(info.ExifOffset(), 20);  // after SOI and the 18 bytes of APP0
    EXPECT_EQ(info.TiffOffset(), 30);
    EXPECT_EQ(info.ImageHeight(), 1200);
    EXPECT_EQ(info.ImageWidth(), 1600);
    EXPECT_EQ(info.DateTimeOriginal(), QString::fromLatin1(ShotAt));
    EXPECT_EQ(info.DateTime(), QString::fromLatin1(ChangedAt));

    const TEntryItems& e = info.Entries();
    // SHORT x2 sits inside its entry; the entry after it is read from the right place.
    const TEntryItem* iso = Find(e, 0x8827, IfdGroup::Exif);
    ASSERT_NE(iso, nullptr);
    EXPECT_EQ(iso->ValueOffset, 0u);
    EXPECT_EQ(Snapshot(e)[static_cast<size_t>(e.IndexOfTag(0x8827, 1))].Values,
              (std::vector<TExifValue>{quint16{200}, quint16{400}}));
    EXPECT_EQ(e[e.IndexOfTag(0x8827, 1) + 1].Tag, 0x9214);
    EXPECT_NE(Find(e, 0x9214, 1)->ValueOffset, 0u);

    const std::vector<std::pair<quint16, TExifValue>> values = {
        {0x9214, quint16{3}},
        {0x9204, TSignedRational{-1, 3}},
        {0x9401, qint16{-2}},
        {0xA002, quint32{4000}},
        {0x9402, qint32{-10}},
        {0x9403, 1.5f},
        {0x9404, 1e300},
        {0x9405, quint8{5}},
        {0x9406, qint8{-1}},
        {0x9000, QByteArray("0230")},
        {0x927C, QByteArray(40, 'm')},
    };
    for (const auto& [tag, last] : values) {
        const TEntryItem* entry = Find(e, tag, IfdGroup::Exif);
        ASSERT_NE(entry, nullptr) << tag;
        EXPECT_EQ(entry->Value(entry->ValueCount() - 1), last) << tag;
    }
    EXPECT_EQ(Find(e, 0x011A, 0)->Value(0), TExifValue(TUnsignedRational{72, 1}));
    EXPECT_EQ(Find(e, 0x0002, IfdGroup::Gps)->ValueCount(), 3);
    EXPECT_EQ(Find(e, 0x0001, IfdGroup::Interop)->TextValue(), QStringLiteral("R98"));
    EXPECT_EQ(Find(e, 0x0103, 0), nullptr);

    const TEntryItems& t = info.ThumbnailEntries();
    EXPECT_EQ(Find(t, 0x0103, 0)->Value(0), TExifValue(quint16{6}));
    EXPECT_EQ(Find(t, 0x9003, IfdGroup::Exif)->TextValue(), QStringLiteral("thumb"));
    EXPECT_EQ(Find(t, 0x0001, IfdGroup::Interop)->TextValue(), QStringLiteral("THM"));
    EXPECT_EQ(Find(t, 0x0202, 0)->LongValue(0),
              static_cast<quint32>(JpegBytes::Jpeg({}, 120, 160, 32).size()));
}

INSTANTIATE_TEST_SUITE_P(ExifInfo, ExifByteOrder,
                         ::testing::Values(LittleEndianMark, BigEndianMark));

TEST(ExifInfo, LittleAndBigEndianFilesGiveTheSameEntries) {
    TTestFolder folder;
    TExifInfo ii;
    TExifInfo mm;
    ii.SetImageFileName(folder.WriteFile(QStringLiteral("ii.jpg"),
                                         JpegBytes::Jpeg({FullExif(LittleEndianMark).App1()})));
    mm.SetImageFileName(folder.WriteFile(QStringLiteral("mm.jpg"),
                                         JpegBytes::Jpeg({FullExif(BigEndianMark).App1()})));
    EXPECT_EQ(Snapshot(ii.Entries()), Snapshot(mm.Entries()));
    EXPECT_EQ(Snapshot(ii.ThumbnailEntries()), Snapshot(mm.ThumbnailEntries()));
    EXPECT_EQ(ii.Entries().Count(), 23);  // 21 entries and two pointers in IFD0, one in Exif
}

struct TTextCase {
    const char* Name;
    quint16 Tag;
    quint8 Group;
    QByteArray Bytes;  // stored as ASCII with exactly these bytes
    int ValueType;
    int ValueCount;
    QString Text;
};

class ExifTexts : public ::testing::TestWithParam<TTextCase> {};

TEST_P(ExifTexts, EndAtTheFirstNulOrAfterCount) {
    const TTextCase& c = GetParam();
    TTestFolder folder;
    TExifBuilder b;
    b.Bytes(c.Group == 1 ? D::Exif : D::Ifd0, c.Tag, ExifType::Ascii, c.Bytes)
        .Ascii(D::Ifd0, 0x0131, "after");
    TExifInfo info;
    info.SetImageFileName(folder.WriteFile(QStringLiteral("a.jpg"), JpegBytes::Jpeg({b.App1()})));
    const TEntryItem* entry = Find(info.Entries(), c.Tag, c.Group);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->ValueType, c.ValueType);
    EXPECT_EQ(entry->ValueCount(), c.ValueCount);
    EXPECT_EQ(info.GetTagText(c.Tag, c.Group, true), c.Text);
    if (c.ValueType == ExifType::Undefined) {
        EXPECT_EQ(entry->Value(0), TExifValue(c.Bytes));
    }
    EXPECT_EQ(info.GetTagText(0x0131, 0, false), QStringLiteral("after"));
}

INSTANTIATE_TEST_SUITE_P(
    ExifInfo, ExifTexts,
    ::testing::Values(
        TTextCase{"Date", 0x9003, 1, ShotAt + '\0', 2, 1, QString::fromLatin1(ShotAt)},
        TTextCase{"CountZero", 0x9003, 1, "", 2, 0, ""},
        TTextCase{"NoNul", 0x010E, 0, "ABCDE", 2, 1, "ABCDE"},
        TTextCase{"NoNulInline", 0x010E, 0, "ABC", 2, 1, "ABC"},
        TTextCase{"NulInside", 0x010E, 0, QByteArray("AB\0CD", 5), 2, 1, "AB"},
        TTextCase{"Shift_JIS", 0x010E, 0, Cp932::Encode(QStringLiteral("畑の苗")) + '\0', 2, 1,
                  QStringLiteral("畑の苗")},
        TTextCase{"UserCommentIsBytes", 0x9286, 1, QByteArray("ASCII\0\0\0hello", 13), 7, 1, ""},
        TTextCase{"UserCommentOutsideExif", 0x9286, 0, "note", 2, 1, "note"}),
    [](const auto& info) { return info.param.Name; });

// Where the APP1 marker is found without a full read.
struct TSearchCase {
    const char* Name;
    QByteArray Head;  // after SOI and the first marker word
    int SearchBytes;
    qint64 Offset;
};

class ExifSearch : public ::testing::TestWithParam<TSearchCase> {};

TEST_P(ExifSearch, ScansSearchBytesPlusOne) {
    const TSearchCase& c = GetParam();
    TTestFolder folder;
    const QString path =
        folder.WriteFile(QStringLiteral("a.jpg"),
                         QByteArray("\xFF\xD8\xFF\xDB", 4) + c.Head + TExifBuilder().App1());
    TExifInfo info;
    info.SetSearchBytes(c.SearchBytes);
    EXPECT_EQ(info.SearchBytes(), std::max(c.SearchBytes, 0));
    EXPECT_EQ(info.GetExifOffset(path), c.Offset);
    EXPECT_EQ(info.HasExif(path), c.Offset > 0);
    EXPECT_EQ(info.ExifOffset(), 0);  // the reader's state is left alone
}

const QByteArray Filler26(26, '\x11');

INSTANTIATE_TEST_SUITE_P(ExifInfo, ExifSearch,
                         ::testing::Values(TSearchCase{"At30Default", Filler26, 16, -1},
                                           TSearchCase{"At30With25", Filler26, 25, -1},
                                           TSearchCase{"At30With26", Filler26, 26, 30},
                                           TSearchCase{"NegativeIsZero", {}, -5, 4},
                                           TSearchCase{"OneByteOnly", "\x11", -5, -1},
                                           TSearchCase{"SecondByte", "\x11", 1, 5},
                                           TSearchCase{"FFBeforeMarkerIsLookedAtAgain", "\xFF", 1,
                                                       5},
                                           TSearchCase{"FFBeforeMarkerOutOfReach", "\xFF", 0, -1}),
                         [](const auto& info) { return info.param.Name; });

// Whole files: the outcome of the read, the size and what the lists keep.
struct TFileCase {
    const char* Name;
    std::function<QByteArray()> Bytes;
    int SearchBytes;
    int Outcome;  // 0 success, 1 the stream's read error, else the EExifError code
    int Height;
    int MainEntries;
    QString DateTimeOriginal;
};

class ExifFiles : public ::testing::TestWithParam<TFileCase> {};

TEST_P(ExifFiles, ReadAsTheStructureSays) {
    const TFileCase& c = GetParam();
    TTestFolder folder;
    TExifInfo info;
    info.SetSearchBytes(c.SearchBytes);
    EXPECT_EQ(Read(info, folder.WriteFile(QStringLiteral("a.jpg"), c.Bytes())), c.Outcome);
    if (c.Outcome == 1)
        return;  // the frame walk gave up before anything else was read
    EXPECT_EQ(info.ImageHeight(), c.Height);
    EXPECT_EQ(info.Entries().Count(), c.MainEntries);
    EXPECT_EQ(info.DateTimeOriginal(), c.DateTimeOriginal);
}

QByteArray DatedApp1() {
    return TExifBuilder().Ascii(D::Ifd0, 0x0132, ChangedAt).Ascii(D::Exif, 0x9003, ShotAt).App1();
}

QByteArray QuantisationFirst() {
    // DQT at 2 with length 26 puts the APP1 marker at 30.
    return QByteArray("\xFF\xD8", 2) + JpegBytes::Segment(0xDB, QByteArray(24, '\x01')) +
           DatedApp1() + JpegBytes::Sof0(48, 64) + JpegBytes::ScanAndEnd();
}

QByteArray Cut(const QByteArray& bytes, qsizetype size) {
    return bytes.left(size);
}

const QString Shot = QString::fromLatin1(ShotAt);

INSTANTIATE_TEST_SUITE_P(
    ExifInfo, ExifFiles,
    ::testing::Values(
        TFileCase{"App0ThenApp1",
                  [] {
                      return JpegBytes::Jpeg({JpegBytes::App0Jfif(), DatedApp1()});
                  },
                  16, 0, 480, 3, Shot},
        TFileCase{"QuantisationFirstOutOfReach", QuantisationFirst, 16, -2, 48, 0, ""},
        TFileCase{"QuantisationFirstInReach", QuantisationFirst, 26, 0, 48, 3, Shot},
        TFileCase{"XmpBeforeExif",
                  [] {
                      return JpegBytes::Jpeg({JpegBytes::XmpApp1(), DatedApp1()});
                  },
                  16, 0, 480, 3, Shot},
        TFileCase{"XmpOnly", [] { return JpegBytes::Jpeg({JpegBytes::XmpApp1()}); }, 16, -2, 480, 0,
                  ""},
        TFileCase{"NoExifSegment", [] { return JpegBytes::Jpeg({JpegBytes::App0Jfif()}); }, 16, -2,
                  480, 0, ""},
        TFileCase{"NotAJpeg", [] { return QByteArray("plain text, no picture"); }, 16, -2, 0, 0,
                  ""},
        TFileCase{"NoFrameHeader",
                  [] { return QByteArray("\xFF\xD8", 2) + DatedApp1() + JpegBytes::ScanAndEnd(); },
                  16, 1, 0, 0, ""},
        TFileCase{"CutInsideApp1",
                  [] { return Cut(JpegBytes::Jpeg({DatedApp1()}), DatedApp1().size() - 10); }, 16,
                  1, 0, 0, ""},
        TFileCase{"Ifd0PastTheEnd",
                  [] {
                      return JpegBytes::Jpeg({TExifBuilder()
                                                  .Ascii(D::Ifd0, 0x0132, ChangedAt)
                                                  .SetIfd0Offset(1 << 30)
                                                  .App1()});
                  },
                  16, -5, 480, 0, ""},
        TFileCase{"PointerOfTypeShortIsNotFollowed",
                  [] {
                      return JpegBytes::Jpeg({TExifBuilder()
                                                  .Shorts(D::Ifd0, 0x8769, {8})
                                                  .Ascii(D::Ifd0, 0x0132, ChangedAt)
                                                  .App1()});
                  },
                  16, 0, 480, 2, ""},
        // Unknown types are stepped over; the entries after them are read from the right place.
        TFileCase{"UnknownTypesSkipped",
                  [] {
                      return JpegBytes::Jpeg({TExifBuilder()
                                                  .Raw(D::Ifd0, 0x0100, 0, 1, 0x11111111)
                                                  .Raw(D::Ifd0, 0x0101, 13, 1000, 0x22222222)
                                                  .Raw(D::Ifd0, 0x0102, 0x1F00, 2, 8)
                                                  .Ascii(D::Exif, 0x9003, ShotAt)
                                                  .App1()});
                  },
                  16, 0, 480, 2, Shot},
        // A count of four billion fails like the end of the file; the entries before it stay.
        TFileCase{"CountOfFourBillion",
                  [] {
                      return JpegBytes::Jpeg(
                          {TExifBuilder()
                               .Ascii(D::Ifd0, 0x0132, ChangedAt)
                               .Raw(D::Ifd0, 0x0111, ExifType::Long, 0xFFFFFFFF, 8)
                               .Ascii(D::Exif, 0x9003, ShotAt)
                               .App1()});
                  },
                  16, -5, 480, 2, ""}),
    [](const auto& info) { return info.param.Name; });

// An APP1 segment too short for its identifier, followed by bytes that would complete one.
struct TShortApp1Case {
    const char* Name;
    quint16 Length;  // as the segment declares it
    bool ExifAfter;  // a real EXIF segment follows the short one
    bool DqtFirst;   // a quantisation table comes first: the marker is searched byte by byte
    qint64 Offset;
};

class ExifShortApp1 : public ::testing::TestWithParam<TShortApp1Case> {};

TEST_P(ExifShortApp1, IsNeverExifAndItsIdentifierIsNotRead) {
    const TShortApp1Case& c = GetParam();
    QByteArray bytes("\xFF\xD8", 2);
    if (c.DqtFirst)
        bytes.append(JpegBytes::Segment(0xDB, "qt"));
    bytes.append("\xFF\xE1", 2).append(char(c.Length >> 8)).append(char(c.Length & 0xFF));
    bytes.append(c.ExifAfter ? QByteArray("ab") + DatedApp1() : DatedApp1().mid(4));
    TTestFolder folder;
    const QString path = folder.WriteFile(
        QStringLiteral("a.jpg"), bytes + JpegBytes::Sof0(48, 64) + JpegBytes::ScanAndEnd());
    TExifInfo info;
    EXPECT_EQ(info.GetExifOffset(path), c.Offset);
}

INSTANTIATE_TEST_SUITE_P(ExifInfo, ExifShortApp1,
                         ::testing::Values(TShortApp1Case{"Length0", 0, false, false, -1},
                                           TShortApp1Case{"Length6", 6, false, false, -1},
                                           TShortApp1Case{"Length4Searched", 4, false, true, -1},
                                           TShortApp1Case{"ExifSegmentAfter", 4, true, false, 8},
                                           TShortApp1Case{"ExifAfterSearched", 4, true, true, 14}),
                         [](const auto& info) { return std::string(info.param.Name); });

// A segment with this marker, holding a size of 111 x 222, comes before the SOF0 of 48 x 64.
class ExifFrameMarkers : public ::testing::TestWithParam<std::pair<int, bool>> {};

TEST_P(ExifFrameMarkers, OnlyFrameHeadersGiveTheSize) {
    const auto [marker, isFrame] = GetParam();
    const QByteArray header("\x08\x00\x6F\x00\xDE\x01\x01\x11\x00", 9);
    TTestFolder folder;
    TExifInfo info;
    info.SetImageFileName(folder.WriteFile(
        QStringLiteral("a.jpg"), QByteArray("\xFF\xD8", 2) + DatedApp1() +
                                     JpegBytes::Segment(static_cast<quint8>(marker), header) +
                                     JpegBytes::Sof0(48, 64) + JpegBytes::ScanAndEnd()));
    EXPECT_EQ(info.ImageHeight(), isFrame ? 111 : 48);
    EXPECT_EQ(info.ImageWidth(), isFrame ? 222 : 64);
}

INSTANTIATE_TEST_SUITE_P(ExifInfo, ExifFrameMarkers,
                         ::testing::Values(std::pair{0xC1, true}, std::pair{0xC3, true},
                                           std::pair{0xC4, false}, std::pair{0xC5, true},
                                           std::pair{0xC7, true}, std::pair{0xC8, false},
                                           std::pair{0xC9, true}, std::pair{0xCB, true},
                                           std::pair{0xCC, false}, std::pair{0xCD, true},
                                           std::pair{0xCF, true}, std::pair{0xDB, false},
                                           std::pair{0xE2, false}));

// Entries that all name one block of the file: read as often as a camera's files could ask,
// refused (-5) once they grow far out of proportion to the file.
struct TSharedBlockCase {
    const char* Name;
    int Entries;
    quint32 BlockBytes;
    qsizetype ScanBytes;  // makes the file long enough to hold the block
    int Outcome;
};

class ExifSharedValues : public ::testing::TestWithParam<TSharedBlockCase> {};

TEST_P(ExifSharedValues, AreReadUntilTheyGrowOutOfProportionToTheFile) {
    const TSharedBlockCase& c = GetParam();
    TExifBuilder b;
    b.Ascii(D::Ifd0, 0x0132, ChangedAt);
    for (int i = 0; i < c.Entries; ++i)
        b.Raw(D::Ifd0, 0x0200, ExifType::Byte, c.BlockBytes, 8);
    const QByteArray bytes = JpegBytes::Jpeg({b.App1()}, 480, 640, c.ScanBytes);
    TTestFolder folder;
    TExifInfo info;
    EXPECT_EQ(Read(info, folder.WriteFile(QStringLiteral("a.jpg"), bytes)), c.Outcome);
    qint64 held = 0;
    for (int i = 0; i < info.Entries().Count(); ++i)
        held += info.Entries()[i].ValueCount();
    EXPECT_LE(held, TExifStream::ValueBudget(bytes.size()));
    EXPECT_EQ(info.DateTime(), QString::fromLatin1(ChangedAt));
    if (c.Outcome == 0) {
        EXPECT_EQ(held, qint64(c.Entries) * c.BlockBytes + 1);  // and the date's one text
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExifInfo, ExifSharedValues,
    ::testing::Values(TSharedBlockCase{"SmallFileReadSeveralTimesOver", 10, 500, 1000, 0},
                      TSharedBlockCase{"CameraSizedBlockTwentyTimes", 20, 60000, 60000, 0},
                      TSharedBlockCase{"FarOutOfProportion", 1000, 60000, 70000, -5}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ExifInfo, MissingFileClearsTheListsAndReportsMinusOne) {
    TTestFolder folder;
    const QString good = folder.WriteFile(QStringLiteral("a.jpg"), JpegBytes::Jpeg({DatedApp1()}));
    for (const bool suppress : {false, true}) {
        TExifInfo info;
        info.SetImageFileName(good);
        ASSERT_GT(info.Entries().Count(), 0);
        int updates = 0;
        std::vector<int> codes;
        info.OnUpdate = [&updates](TExifInfo&) { ++updates; };
        if (suppress) {
            info.OnError = [&codes](TExifInfo&, int code, bool& allow) {
                codes.push_back(code);
                allow = false;
            };
        }
        for (const QString& name :
             {folder.FilePath(QStringLiteral("missing.jpg")), folder.Path()}) {
            updates = 0;
            const int outcome = Read(info, name);
            EXPECT_EQ(outcome, suppress ? 0 : -1);
            EXPECT_EQ(updates, 1);
            EXPECT_EQ(info.Entries().Count(), 0);
            EXPECT_EQ(info.ImageHeight(), 0);
            EXPECT_EQ(info.ImageFileName(), name);
        }
        if (suppress) {
            EXPECT_EQ(codes, (std::vector<int>{-1, -1}));
        }
    }
}

TEST(ExifInfo, EveryNonEmptyNameIsReadAgainAndTheEmptyNameKeepsTheEntries) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.jpg"), JpegBytes::Jpeg({DatedApp1()}));
    TExifInfo info;
    int updates = 0;
    info.OnUpdate = [&updates](TExifInfo&) { ++updates; };
    info.SetImageFileName(path);
    info.SetImageFileName(path);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(info.Entries().Count(), 3);
    info.SetImageFileName(QString());
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(info.ImageFileName(), QString());
    EXPECT_EQ(info.DateTimeOriginal(), QString::fromLatin1(ShotAt));
}

TEST(ExifInfo, AFileHeldOpenPassesTheOpenErrorOut) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.jpg"), JpegBytes::Jpeg({DatedApp1()}));
    TExifInfo info;
    {
        const TZqWideFileStream holder(path, ZqFileUtils::fmOpenRead);
        EXPECT_THROW(info.HasExif(path), EFOpenError);
        EXPECT_THROW(info.SetImageFileName(path), EFOpenError);
    }
    EXPECT_FALSE(info.HasExif(folder.Path()));
    // Each call let go of the file again.
    EXPECT_TRUE(info.HasExif(path));
    info.SetImageFileName(path);
    const TZqWideFileStream after(path, ZqFileUtils::fmOpenRead);
    EXPECT_EQ(info.DateTimeOriginal(), QString::fromLatin1(ShotAt));
}

TEST(ExifInfo, MissingTagRaisesMinusSevenOnlyWhenAsked) {
    TExifInfo info;
    EXPECT_EQ(info.GetTagText(0x9003, 1, false), QString());
    try {
        info.GetTagText(0x9003, 1, true);
        FAIL() << "no error for a missing tag";
    } catch (const EExifError& error) {
        EXPECT_EQ(error.ErrorCode(), -7);
        EXPECT_EQ(error.Message(), QStringLiteral("TExifInfo: タグが見つかりません"));
    }
}

TEST(ExifInfo, EntriesCopyWithTheirOwnValues) {
    TTestFolder folder;
    TExifInfo info;
    info.SetImageFileName(folder.WriteFile(QStringLiteral("a.jpg"),
                                           JpegBytes::Jpeg({FullExif(BigEndianMark).App1()})));
    TEntryItems copy;
    copy.Assign(info.Entries());
    EXPECT_EQ(copy.BaseOffset(), info.TiffOffset());
    EXPECT_EQ(Snapshot(copy), Snapshot(info.Entries()));

    TEntryItem& shorts = copy[copy.IndexOfTag(0x9214, 1)];
    shorts.DeleteValue(0);
    EXPECT_EQ(shorts.ValueCount(), 2);
    EXPECT_EQ(shorts.Value(0), TExifValue(quint16{2}));
    EXPECT_THROW(shorts.DeleteValue(2), EExifError);
    EXPECT_EQ(Find(info.Entries(), 0x9214, 1)->ValueCount(), 3);

    const TEntryItem& width = copy[copy.IndexOfTag(0xA002, 1)];
    EXPECT_EQ(width.LongValue(0), 4000u);
    EXPECT_EQ(width.LongValue(1), 0u);
    EXPECT_EQ(width.LongValue(-1), 0u);
    EXPECT_EQ(shorts.LongValue(0), 0u);
}

TEST(ExifInfo, RationalIsNeverMissing) {
    TExifInfo info;
    TExifRational* first = info.Rational();
    first->Numerator = 5;
    delete first;
    ASSERT_NE(info.Rational(), nullptr);
    EXPECT_EQ(info.Rational()->Numerator, 0);
    EXPECT_EQ(info.Rational()->Owner(), &info);
}

}  // namespace
