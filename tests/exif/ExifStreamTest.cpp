#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "exif/ExifStream.h"
#include "exif/ZqFileUtils.h"
#include "platform/Exception.h"
#include "tests/support/TestFolder.h"

namespace {

// Reading one byte at a time from the bytes themselves: what the buffered stream must match.
struct TByteModel {
    QByteArray Bytes;
    qint64 Position = 0;

    bool Read(qint64 count, QByteArray& out) {
        if (count > 0 && (Position < 0 || Position + count > Bytes.size()))
            return false;
        out = Bytes.mid(Position, count);
        Position += count;
        return true;
    }
};

QByteArray RandomBytes(qsizetype size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// A random walk of seeks, skips and reads of every size, compared step by step.
void CompareWithModel(TExifStream& stream, const QByteArray& bytes, unsigned seed) {
    TByteModel model{bytes};
    std::mt19937 random(seed);
    const auto size = static_cast<int>(bytes.size());
    for (int step = 0; step < 4000; ++step) {
        const int action = static_cast<int>(random() % 7);
        if (action == 0) {
            const qint64 target = static_cast<int>(random() % (size + 40)) - 10;
            stream.Seek(target);
            if (target >= 0)
                model.Position = target;
        } else if (action == 1) {
            const qint64 delta = static_cast<int>(random() % 41) - 20;
            stream.Skip(delta);
            if (model.Position + delta >= 0)
                model.Position += delta;
        } else if (action == 6) {
            // Where the bytes lie in one block they are handed out in place, else nothing moves.
            const qint64 count = random() % 300;
            const qint64 before = stream.Position();
            const quint8* got = stream.ReadInPlace(count);
            QByteArray expected;
            if (got) {
                ASSERT_TRUE(model.Read(count, expected)) << "step " << step;
                ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(got), count), expected);
            } else {
                ASSERT_EQ(stream.Position(), before) << "step " << step;
            }
        } else {
            const qint64 count = action == 2   ? 1
                                 : action == 3 ? 2
                                 : action == 4 ? random() % 64
                                               : random() % 20000;
            QByteArray expected;
            const bool ok = model.Read(count, expected);
            QByteArray got(count, Qt::Uninitialized);
            bool read = true;
            try {
                if (count == 1) {
                    got[0] = static_cast<char>(stream.ReadByte());
                } else if (count == 2) {
                    const quint16 word = stream.ReadWordBigEndian();
                    got[0] = static_cast<char>(word >> 8);
                    got[1] = static_cast<char>(word & 0xFF);
                } else {
                    got = stream.ReadBytes(count);
                }
            } catch (const EReadError&) {
                read = false;
            }
            ASSERT_EQ(read, ok) << "step " << step << " count " << count;
            if (ok) {
                ASSERT_EQ(got, expected) << "step " << step;
            }
        }
        ASSERT_EQ(stream.Position(), model.Position) << "step " << step;
    }
}

class ExifStreamBlocks : public ::testing::TestWithParam<qint64> {};

TEST_P(ExifStreamBlocks, ReadsLikeByteByByte) {
    TTestFolder folder;
    const QByteArray bytes = RandomBytes(50000, 7);
    const QString path = folder.WriteFile(QStringLiteral("random.bin"), bytes);
    TZqWideFileStream file(path, ZqFileUtils::fmOpenRead);
    TExifStream stream(file, GetParam());
    EXPECT_EQ(stream.Size(), bytes.size());
    CompareWithModel(stream, bytes, static_cast<unsigned>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(ExifStream, ExifStreamBlocks, ::testing::Values(1, 16, 1000, 4096, 8192));

TEST(ExifStream, MemoryStreamReadsLikeByteByByte) {
    const QByteArray bytes = RandomBytes(30000, 3);
    TExifStream stream(bytes);
    CompareWithModel(stream, bytes, 11);
}

TEST(ExifStream, ValueBudgetIsSeveralTimesTheFileAndNeverTheBytesPastItsEnd) {
    TExifStream stream(QByteArray(100, 'x'));
    const qint64 budget = TExifStream::ValueBudget(100);
    ASSERT_GE(budget, 4 * 100 + 65536) << "a camera's whole EXIF segment, read several times";
    stream.Seek(40);
    EXPECT_EQ(stream.ValueBytesAvailable(1000), 60);
    EXPECT_EQ(stream.ValueBytesAvailable(20), 20);
    stream.ChargeValueBytes(budget - 30);
    EXPECT_EQ(stream.ValueBytesAvailable(1000), 30);
    stream.Seek(0);
    EXPECT_EQ(stream.ValueBytesAvailable(1000), 30);
    stream.ChargeValueBytes(30);
    EXPECT_EQ(stream.ValueBytesAvailable(1), 0);
}

}  // namespace
