#include <gtest/gtest.h>

#include "platform/Cp932.h"

namespace {

struct TRoundTrip {
    const char* Name;
    QString Text;
    QByteArray Bytes;
};

// Parameterised tests show a case by its name.
void PrintTo(const TRoundTrip& c, std::ostream* out) {
    *out << c.Name;
}

class Cp932RoundTrip : public ::testing::TestWithParam<TRoundTrip> {};

TEST_P(Cp932RoundTrip, EncodesAndDecodes) {
    const TRoundTrip& c = GetParam();
    bool lossless = false;
    EXPECT_EQ(Cp932::Encode(c.Text, &lossless).toHex(), c.Bytes.toHex());
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Cp932::Decode(c.Bytes), c.Text);
}

// ～ and the backslash are where strict Shift-JIS and code page 932 part ways.
INSTANTIATE_TEST_SUITE_P(
    Cases, Cp932RoundTrip,
    ::testing::Values(TRoundTrip{"ascii", QStringLiteral("abc"), QByteArray("abc")},
                      TRoundTrip{"empty", QString(), QByteArray()},
                      TRoundTrip{"kana", QStringLiteral("トマト"),
                                 QByteArray("\x83\x67\x83\x7D\x83\x67")},
                      TRoundTrip{"wave", QStringLiteral("～"), QByteArray("\x81\x60")},
                      TRoundTrip{"circled", QStringLiteral("①"), QByteArray("\x87\x40")},
                      TRoundTrip{"backslash", QStringLiteral("C:\\畑"), QByteArray("C:\\\x94\xA8")},
                      TRoundTrip{"halfwidth", QStringLiteral("ｱ"), QByteArray("\xB1")}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Cp932, UnencodableCharacterBecomesQuestionMark) {
    bool lossless = true;
    EXPECT_EQ(Cp932::Encode(QStringLiteral("a😀b"), &lossless), QByteArray("a?b"));
    EXPECT_FALSE(lossless);
}

TEST(Cp932, InvalidBytesDecodeToReplacement) {
    EXPECT_EQ(Cp932::Decode(QByteArray("a\x81")), QStringLiteral("a\uFFFD"));
    EXPECT_EQ(Cp932::Decode(QByteArray("\xA0z")), QStringLiteral("\uFFFDz"));
}

TEST(Cp932, SafePrefixNeverSplitsADoubleByteCharacter) {
    const QByteArray bytes = Cp932::Encode(QStringLiteral("aトマト"));  // 1 + 2 + 2 + 2 bytes
    EXPECT_EQ(Cp932::SafePrefixLength(bytes, 7), 7);
    EXPECT_EQ(Cp932::SafePrefixLength(bytes, 4), 3);
    EXPECT_EQ(Cp932::SafePrefixLength(bytes, 5), 5);
    EXPECT_EQ(Cp932::SafePrefixLength(bytes, 0), 0);
    EXPECT_EQ(Cp932::ByteLength(QStringLiteral("aトマト")), 7);
}

}  // namespace
