#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "tests/support/TestFolder.h"

namespace {

struct TReadCase {
    const char* Name;
    QByteArray Line;
    QString Expected;
};

// Parameterised tests show a case by its name.
void PrintTo(const TReadCase& c, std::ostream* out) {
    *out << c.Name;
}

class IniReadString : public ::testing::TestWithParam<TReadCase> {};

TEST_P(IniReadString, TrimsAndUnquotes) {
    TTestFolder folder;
    const QString path =
        folder.WriteFile(QStringLiteral("a.ini"), "[PHOTO]\r\n" + GetParam().Line + "\r\n");
    EXPECT_EQ(TIniFile(path).ReadString(QStringLiteral("photo"), QStringLiteral("KEY"),
                                        QStringLiteral("default")),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadString,
    ::testing::Values(TReadCase{"plain", "KEY=abc", QStringLiteral("abc")},
                      TReadCase{"blanks", "  key  =  abc  ", QStringLiteral("abc")},
                      TReadCase{"doubleQuotes", "KEY=\"  blanks  \"", QStringLiteral("  blanks  ")},
                      TReadCase{"singleQuotes", "KEY='x'", QStringLiteral("x")},
                      TReadCase{"mismatchedQuotes", "KEY=\"x'", QStringLiteral("\"x'")},
                      TReadCase{"loneQuote", "KEY=\"", QStringLiteral("\"")},
                      TReadCase{"onlyOnePairRemoved", "KEY=\"\"x\"\"", QStringLiteral("\"x\"")},
                      TReadCase{"empty", "KEY=", QString()},
                      TReadCase{"japanese", Cp932::Encode(QStringLiteral("KEY=カレントフォルダ")),
                                QStringLiteral("カレントフォルダ")},
                      TReadCase{"missing", "OTHER=1", QStringLiteral("default")},
                      TReadCase{"comment", ";KEY=1", QStringLiteral("default")}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TIntegerCase {
    const char* Text;
    bool Valid;
    int Value;
};

TEST(IniInteger, DecimalAndHexadecimal) {
    const TIntegerCase cases[] = {
        {"0", true, 0},           {"2", true, 2},
        {"-7", true, -7},         {"0x0", true, 0},
        {"0X1f", true, 31},       {"$10", true, 16},
        {"0xFFFFFFFF", true, -1}, {"0x", false, 0},
        {"yes", false, 0},        {"abc", false, 0},
        {"12abc", false, 0},      {"", false, 0},
        {"0x-1", false, 0},       {"99999999999", false, 0},
    };
    for (const TIntegerCase& c : cases) {
        int value = 12345;
        EXPECT_EQ(ParseIniInteger(QString::fromLatin1(c.Text), &value), c.Valid) << c.Text;
        EXPECT_EQ(value, c.Valid ? c.Value : 12345) << c.Text;
    }
}

TEST(IniFile, ReadBoolUsesDefaultForNonIntegers) {
    TTestFolder folder;
    const QString path =
        folder.WriteFile(QStringLiteral("a.ini"), "[APP]\nA=0x0\nB=yes\nC=2\nD=0\n");
    const TIniFile ini(path);
    const QString app = QStringLiteral("APP");
    EXPECT_FALSE(ini.ReadBool(app, QStringLiteral("A"), true));
    EXPECT_TRUE(ini.ReadBool(app, QStringLiteral("B"), true));
    EXPECT_FALSE(ini.ReadBool(app, QStringLiteral("B"), false));
    EXPECT_TRUE(ini.ReadBool(app, QStringLiteral("C"), false));
    EXPECT_FALSE(ini.ReadBool(app, QStringLiteral("D"), true));
    EXPECT_TRUE(ini.ReadBool(app, QStringLiteral("MISSING"), true));
}

TEST(IniFile, ByteOrderMarkBeforeTheFirstSectionIsIgnored) {
    TTestFolder folder;
    const QString path =
        folder.WriteFile(QStringLiteral("a.ini"), "\xEF\xBB\xBF[PHOTO]\r\nK=1\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("PHOTO"), QStringLiteral("K"), {}),
              QStringLiteral("1"));
    ini.WriteString(QStringLiteral("PHOTO"), QStringLiteral("K"), QStringLiteral("2"));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.ini")),
              QByteArray("\xEF\xBB\xBF[PHOTO]\r\nK=2\r\n"));
}

TEST(IniFile, FirstMatchingSectionAndKeyWin) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("a.ini"), "[s]\nk=1\nK=2\n[S]\nk=3\n");
    EXPECT_EQ(TIniFile(path).ReadString(QStringLiteral("S"), QStringLiteral("k"), {}),
              QStringLiteral("1"));
}

TEST(IniFile, LongValueIsCutWithoutSplittingACharacter) {
    TTestFolder folder;
    // 2046 ASCII bytes then a double-byte character: byte 2047 would be half of it.
    const QByteArray value = QByteArray(2046, 'a') + Cp932::Encode(QStringLiteral("畑畑"));
    const QString path = folder.WriteFile(QStringLiteral("a.ini"), "[s]\nk=" + value + "\n");
    const QString read = TIniFile(path).ReadString(QStringLiteral("s"), QStringLiteral("k"), {});
    EXPECT_EQ(read, QString(2046, u'a'));
    const QString ascii =
        folder.WriteFile(QStringLiteral("b.ini"), "[s]\nk=" + QByteArray(3000, 'b'));
    EXPECT_EQ(TIniFile(ascii).ReadString(QStringLiteral("s"), QStringLiteral("k"), {}).size(),
              2047);
}

TEST(IniFile, WritingKeepsEveryOtherLineByteForByte) {
    TTestFolder folder;
    const QByteArray original =
        "; comment\r\n"
        "[Other]\r\n"
        "foo = \"bar\" \r\n"
        "\r\n"
        "[PHOTO]\r\n"
        "REDUCE_WIDTH=600\r\n"
        "unknown='x'\r\n"
        "\r\n"
        "[Tail]\r\n"
        "z=1";
    const QString path = folder.WriteFile(QStringLiteral("a.ini"), original);
    TIniFile ini(path);
    ini.WriteString(QStringLiteral("photo"), QStringLiteral("REDUCE_WIDTH"), QStringLiteral("800"));
    ini.WriteString(QStringLiteral("PHOTO"), QStringLiteral("NEW_KEY"), QStringLiteral("畑"));
    ini.WriteString(QStringLiteral("APP"), QStringLiteral("FIRST_STARTING"), QStringLiteral("0"));
    const QByteArray expected =
        "; comment\r\n"
        "[Other]\r\n"
        "foo = \"bar\" \r\n"
        "\r\n"
        "[PHOTO]\r\n"
        "REDUCE_WIDTH=800\r\n"
        "unknown='x'\r\n"
        "NEW_KEY=" +
        Cp932::Encode(QStringLiteral("畑")) +
        "\r\n"
        "\r\n"
        "[Tail]\r\n"
        "z=1\r\n"
        "[APP]\r\n"
        "FIRST_STARTING=0\r\n";
    EXPECT_EQ(folder.ReadFile(QStringLiteral("a.ini")), expected);
}

// Every line ending a file may carry, the lone CR of an old Mac editor among them: writing one key
// leaves every other key as it read before, and the file keeps its own endings.
TEST(IniText, EveryLineEndingEndsALine) {
    struct TCase {
        const char* Name;
        QByteArray Bytes;
        QString EmptyKey;     // key "" of section ""
        QByteArray Expected;  // after FIRST_STARTING=0 is written
    } const cases[] = {
        {"loneCrFromTheFuzzer", "[\n\n\n=\r", QString(), "[\n\n\n=\r[APP]\nFIRST_STARTING=0\n"},
        {"loneCrLines", "[PHOTO]\rK=1\r[APP]\rX=2", QStringLiteral("<none>"),
         "[PHOTO]\rK=1\r[APP]\rX=2\rFIRST_STARTING=0\r"},
        {"crLf", "[APP]\r\nFIRST_STARTING=1\r\n", QStringLiteral("<none>"),
         "[APP]\r\nFIRST_STARTING=0\r\n"},
        {"mixed", "[APP]\rA=1\r\nFIRST_STARTING=1\n", QStringLiteral("<none>"),
         "[APP]\rA=1\r\nFIRST_STARTING=0\n"},
    };
    for (const TCase& c : cases) {
        TIniText ini(c.Bytes);
        EXPECT_EQ(ini.ReadString({}, {}, QStringLiteral("<none>")), c.EmptyKey) << c.Name;
        const QString k = ini.ReadString(QStringLiteral("PHOTO"), QStringLiteral("K"), {});
        ini.WriteString(QStringLiteral("APP"), QStringLiteral("FIRST_STARTING"),
                        QStringLiteral("0"));
        EXPECT_EQ(ini.Bytes(), c.Expected) << c.Name;
        EXPECT_EQ(ini.ReadString({}, {}, QStringLiteral("<none>")), c.EmptyKey) << c.Name;
        EXPECT_EQ(ini.ReadString(QStringLiteral("PHOTO"), QStringLiteral("K"), {}), k) << c.Name;
        EXPECT_EQ(ini.ReadString(QStringLiteral("APP"), QStringLiteral("FIRST_STARTING"), {}),
                  QStringLiteral("0"))
            << c.Name;
    }
}

TEST(IniFile, FirstWriteCreatesTheFile) {
    TTestFolder folder;
    TIniFile ini(folder.FilePath(QStringLiteral("new.ini")));
    ini.WriteString(QStringLiteral("PHOTO"), QStringLiteral("SAVE_FOLDER"),
                    QStringLiteral("\" a \""));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("new.ini")),
              QByteArray("[PHOTO]\r\nSAVE_FOLDER=\" a \"\r\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("PHOTO"), QStringLiteral("SAVE_FOLDER"), {}),
              QStringLiteral(" a "));
}

TEST(IniFile, UnwritableFileRaisesAndKeepsTheOldContents) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TTestFolder folder;
    const QString dir = folder.MakeDir(QStringLiteral("ro"));
    const QString path = folder.WriteFile(QStringLiteral("ro/a.ini"), "[s]\nk=1\n");
    chmod(dir.toUtf8().constData(), 0555);
    TIniFile ini(path);
    try {
        ini.WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"));
        ADD_FAILURE() << "no error";
    } catch (const EIniWriteError& error) {
        EXPECT_EQ(error.Message(), path + QStringLiteral(" に書き込めません"));
    }
    chmod(dir.toUtf8().constData(), 0755);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("ro/a.ini")), QByteArray("[s]\nk=1\n"));
}

TEST(IniFile, MissingFolderRaisesTheWriteError) {
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("missing/a.ini"));
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("1")),
                 EIniWriteError);
}

}  // namespace
