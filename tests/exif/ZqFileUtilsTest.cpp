#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <stdexcept>

#include "exif/ZqFileUtils.h"
#include "platform/Exception.h"
#include "tests/support/TestFolder.h"

namespace {

using namespace ZqFileUtils;

QString OpenErrorText(const QString& path, quint16 mode) {
    try {
        TZqWideFileStream stream(path, mode);
    } catch (const EFOpenError& error) {
        return error.Message();
    }
    return {};
}

struct TModeCase {
    quint16 Mode;
    bool Opens;
    bool Reads;
    bool Writes;
};

class StreamModes : public ::testing::TestWithParam<TModeCase> {};

TEST_P(StreamModes, GiveTheAccessOfTheTable) {
    const TModeCase& c = GetParam();
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.bin"), "abc");
    if (!c.Opens) {
        // An invalid mode touches nothing: the reason is the invalid argument, not the file.
        EXPECT_EQ(
            OpenErrorText(path, c.Mode),
            QStringLiteral("ファイル %1 は開けません。 %2 ").arg(path, SystemErrorText(EINVAL)));
        return;
    }
    {
        TZqWideFileStream stream(path, c.Mode);
        EXPECT_EQ(stream.FileName(), path);
        char byte = 0;
        EXPECT_EQ(stream.Read(&byte, 1), c.Reads ? 1 : 0);
        stream.Seek(0, TSeekOrigin::End);
        EXPECT_EQ(stream.Write("d", 1), c.Writes ? 1 : 0);
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), c.Writes ? "abcd" : "abc");
}

INSTANTIATE_TEST_SUITE_P(ZqFileUtils, StreamModes,
                         ::testing::Values(TModeCase{0x0000, true, true, false},
                                           TModeCase{0x0001, true, false, true},
                                           TModeCase{0x0042, true, true, true},
                                           TModeCase{0x0003, false, false, false},
                                           TModeCase{0x0050, false, false, false},
                                           TModeCase{0x00F0, false, false, false}));

struct TSharingCase {
    quint16 First;
    quint16 Second;
    bool SecondOpens;
};

class StreamSharing : public ::testing::TestWithParam<TSharingCase> {};

TEST_P(StreamSharing, IsHeldWhileTheFirstStreamExists) {
    const TSharingCase& c = GetParam();
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.bin"), "abc");
    {
        TZqWideFileStream first(path, c.First);
        if (c.SecondOpens) {
            EXPECT_NO_THROW(TZqWideFileStream(path, c.Second));
        } else {
            EXPECT_THROW(TZqWideFileStream(path, c.Second), EFOpenError);
            const int handle = WideFileOpen(path, c.Second);
            const int error = errno;
            EXPECT_EQ(handle, -1);
            EXPECT_EQ(error, EWOULDBLOCK);
        }
    }
    EXPECT_NO_THROW(TZqWideFileStream(path, c.Second));
}

INSTANTIATE_TEST_SUITE_P(ZqFileUtils, StreamSharing,
                         ::testing::Values(TSharingCase{fmOpenRead, fmOpenRead, false},
                                           TSharingCase{fmShareExclusive, fmShareDenyNone, false},
                                           TSharingCase{fmShareDenyNone, fmShareExclusive, false},
                                           TSharingCase{fmShareDenyNone, fmShareDenyWrite, true},
                                           TSharingCase{fmCreate, fmOpenRead, false}));

TEST(ZqFileUtils, CreateModeReplacesTheFileWhole) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.bin"), "old contents");
    {
        TZqWideFileStream stream(path, fmCreate);
        EXPECT_EQ(stream.Size(), 0);
        // Until the stream is done, the old bytes stay in place.
        EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), "old contents");
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), QByteArray());

    {
        TZqWideFileStream stream(path, fmCreate);
        stream.Write("new", 3);
        stream.Seek(0, TSeekOrigin::Beginning);
        char back[3];
        stream.ReadBuffer(back, 3);
        EXPECT_EQ(QByteArray(back, 3), "new");
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), "new");

    try {
        TZqWideFileStream stream(path, fmCreate);
        stream.Write("half", 4);
        throw std::runtime_error("writing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), "new");
}

TEST(ZqFileUtils, OpenErrorsNameTheAbsolutePathAndTheReason) {
    TTestFolder folder;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(folder.Path());
    const QString missing = OpenErrorText(QStringLiteral("missing.jpg"), fmOpenRead);
    const QString created = OpenErrorText(QStringLiteral("no/such/folder.bin"), fmCreate);
    QDir::setCurrent(saved);
    const QString base = QDir(folder.Path()).absolutePath() + u'/';
    EXPECT_EQ(missing, QStringLiteral("ファイル %1missing.jpg は開けません。 %2 ")
                           .arg(base, SystemErrorText(ENOENT)));
    EXPECT_EQ(created, QStringLiteral("ファイル %1no/such/folder.bin は開けません。 %2 ")
                           .arg(base, SystemErrorText(ENOENT)));
}

TEST(ZqFileUtils, SeeksWithSixtyFourBitOffsetsAndReadsExactly) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.bin"), "0123456789");
    TZqWideFileStream stream(path, fmOpenRead);
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Seek(-3, TSeekOrigin::End), 7);
    EXPECT_EQ(stream.Seek(-2, TSeekOrigin::Current), 5);
    char bytes[5];
    stream.ReadBuffer(bytes, 5);
    EXPECT_EQ(QByteArray(bytes, 5), "56789");
    EXPECT_EQ(stream.Seek(qint64{1} << 33, TSeekOrigin::Beginning), qint64{1} << 33);
    EXPECT_EQ(stream.Seek(-1, TSeekOrigin::Beginning), -1);
    stream.SetPosition(8);
    try {
        stream.ReadBuffer(bytes, 3);
        FAIL() << "reading past the end succeeded";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("ストリームからの読み込みエラー"));
    }
}

TEST(ZqFileUtils, OnlyFilesExist) {
    TTestFolder folder;
    const QString file = folder.WriteFile(QStringLiteral("a.bin"), "x");
    const QString dir = folder.MakeDir(QStringLiteral("sub"));
    EXPECT_TRUE(WideFileExists(file));
    EXPECT_FALSE(WideFileExists(dir));
    EXPECT_FALSE(WideFileExists(folder.FilePath(QStringLiteral("missing"))));
    const int handle = WideFileOpen(dir, fmOpenReadWrite);
    const int error = errno;
    EXPECT_EQ(handle, -1);
    EXPECT_EQ(error, EISDIR);
}

TEST(ZqFileUtils, WideFileCreateEmptiesOnlyAFileNobodyHolds) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.bin"), "keep");
    {
        TZqWideFileStream holder(path, fmOpenRead);
        EXPECT_EQ(WideFileCreate(path), -1);
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), "keep");
    const int handle = WideFileCreate(path);
    ASSERT_GE(handle, 0);
    ::close(handle);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.bin")), QByteArray());
}

}  // namespace
