#include <gtest/gtest.h>

#include <functional>

#include "model/JpegCodec.h"
#include "tests/support/JpegBuilder.h"

namespace {

constexpr int Side = 64;

// A reddish photo with fine noise, so that its scan is long enough to be damaged in the middle.
QByteArray NoisyJpeg(bool progressive = false) {
    TJpegBuilder builder = TJpegBuilder(Side, Side).Pattern([](int x, int y) {
        const int noise = (x * 7 + y * 13) % 16;
        return TJpegBuilder::TRgb{static_cast<unsigned char>(200 + noise),
                                  static_cast<unsigned char>(40 + noise),
                                  static_cast<unsigned char>(90 + noise)};
    });
    if (progressive)
        builder.Progressive();
    return builder.Encode();
}

qsizetype ScanStart(const QByteArray& jpeg) {
    return jpeg.indexOf("\xFF\xDA") + 14;  // marker, length and the header of three components
}

struct TWarnedFile {
    const char* Name;
    std::function<QByteArray()> Bytes;
    bool GreyBottom;  // the data of the lower rows is gone
};

class DecodeWithWarning : public ::testing::TestWithParam<TWarnedFile> {};

// libjpeg decodes these with a warning, as every viewer shows them; the decoder must not refuse
// them.
TEST_P(DecodeWithWarning, GivesThePictureLibjpegMakes) {
    const TWarnedFile c = GetParam();
    const QByteArray bytes = c.Bytes();
    TJpegDecoder decoder;
    TBitmap picture;
    ASSERT_NO_THROW(decoder.DecodeBytes(reinterpret_cast<const uchar*>(bytes.constData()),
                                        size_t(bytes.size()), picture))
        << c.Name;
    EXPECT_GT(decoder.Warnings(), 0) << c.Name << " no longer exercises a warning";
    ASSERT_EQ(picture.Width(), Side) << c.Name;
    ASSERT_EQ(picture.Height(), Side) << c.Name;
    const QRgb top = picture.PixelColor(1, 1);
    EXPECT_NEAR(qRed(top), 205, 12) << c.Name;
    EXPECT_NEAR(qGreen(top), 45, 12) << c.Name;
    if (c.GreyBottom) {
        const QRgb bottom = picture.PixelColor(Side - 2, Side - 2);
        EXPECT_NEAR(qRed(bottom), 128, 8) << c.Name;
        EXPECT_NEAR(qGreen(bottom), 128, 8) << c.Name;
    }

    // The next file decodes without a warning of its own.
    const QByteArray good = NoisyJpeg();
    decoder.DecodeBytes(reinterpret_cast<const uchar*>(good.constData()), size_t(good.size()),
                        picture);
    EXPECT_EQ(decoder.Warnings(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeWithWarning,
    ::testing::Values(TWarnedFile{"cut short",
                                  [] {
                                      const QByteArray good = NoisyJpeg();
                                      const qsizetype scan = ScanStart(good);
                                      return good.left(scan + (good.size() - scan) / 4);
                                  },
                                  true},
                      TWarnedFile{"no end marker", [] { return NoisyJpeg().chopped(2); }, false},
                      TWarnedFile{"progressive cut short",
                                  [] {
                                      const QByteArray good = NoisyJpeg(true);
                                      return good.left(good.size() * 2 / 3);
                                  },
                                  false},
                      TWarnedFile{"damaged compressed data",
                                  [] {
                                      // A run of one bits is no Huffman code.
                                      QByteArray bytes = NoisyJpeg();
                                      const qsizetype middle =
                                          (ScanStart(bytes) + bytes.size()) / 2;
                                      for (int i = 0; i < 16; i += 2) {
                                          bytes[middle + i] = char(0xFF);
                                          bytes[middle + i + 1] = 0;
                                      }
                                      return bytes;
                                  },
                                  false},
                      TWarnedFile{"marker inside the compressed data",
                                  [] {
                                      QByteArray bytes = NoisyJpeg();
                                      const qsizetype middle =
                                          (ScanStart(bytes) + bytes.size()) / 2;
                                      return bytes.insert(middle, "\xFF\xD3", 2);
                                  },
                                  false},
                      TWarnedFile{"stray bytes between markers",
                                  [] {
                                      QByteArray bytes = NoisyJpeg();
                                      return bytes.insert(bytes.indexOf("\xFF\xDB"), "\x12\x34\x56",
                                                          3);
                                  },
                                  false}));

}  // namespace
