#include <gtest/gtest.h>

#include "model/PhotoSetting.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "tests/support/TestFolder.h"

namespace {

TEST(PhotoSetting, DefaultsWithoutAFile) {
    TTestFolder folder;
    TPhotoSetting setting;
    setting.Load();
    EXPECT_TRUE(setting.FirstStarting);
    EXPECT_EQ(setting.SaveFolder, QString());
    EXPECT_EQ(setting.ReduceWidth, QStringLiteral("600"));
    EXPECT_EQ(setting.ReduceHeight, QStringLiteral("600"));
    EXPECT_FALSE(setting.ThumbnailDrawAll);
    EXPECT_EQ(TPhotoSetting::FileName(), folder.FilePath(QStringLiteral("KavroPhoto.ini")));
}

// A folder with a character outside CP932 comes back from the settings file with a '?' in its
// place; the start-up still finds it, an exact match first.
TEST(PhotoSetting, RememberedFolderIsFoundThroughCp932) {
    const QString cafe = QStringLiteral("/home/u/Café");
    const QString emoji = QStringLiteral("/home/u/畑😀");
    const QStringList entries = {QStringLiteral("カレントフォルダ"), QStringLiteral("/home/u/x"),
                                 cafe, emoji, QStringLiteral("/home/u/Caf?")};
    struct TCase {
        QString Saved;
        int Expected;
    } const cases[] = {
        {cafe, 2},
        {emoji, 3},
        {QStringLiteral("/home/u/Caf?"), 4},  // an exact match wins
        {QStringLiteral("カレントフォルダ"), 0},
        {QStringLiteral("/home/u/gone"), -1},
        {QString(), -1},
    };
    for (const TCase& c : cases) {
        TTestFolder folder;
        TPhotoSetting setting;
        setting.SaveFolder = c.Saved;
        setting.Save();
        TPhotoSetting loaded;
        loaded.Load();
        QStringList others = entries;
        if (c.Saved == cafe)
            others.removeLast();  // "Caf?" itself is not registered
        EXPECT_EQ(RememberedFolderIndex(others, loaded.SaveFolder), c.Expected)
            << c.Saved.toStdString();
    }
}

TEST(PhotoSetting, ReadsTheValueRules) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("KavroPhoto.ini"),
                     "[app]\r\nfirst_starting=0x0\r\n[Photo]\r\nREDUCE_WIDTH=abc\r\n"
                     "REDUCE_HEIGHT= 480 \r\nTHUMBNAIL_DRAW_ALL=2\r\nSAVE_FOLDER='  x  '\r\n");
    TPhotoSetting setting;
    setting.Load();
    EXPECT_FALSE(setting.FirstStarting);
    EXPECT_EQ(setting.ReduceWidth, QStringLiteral("abc"));
    EXPECT_EQ(setting.ReduceHeight, QStringLiteral("480"));
    EXPECT_TRUE(setting.ThumbnailDrawAll);
    EXPECT_EQ(setting.SaveFolder, QStringLiteral("  x  "));

    folder.WriteFile(QStringLiteral("KavroPhoto.ini"), "[APP]\r\nFIRST_STARTING=yes\r\n");
    setting.Load();
    EXPECT_TRUE(setting.FirstStarting);
}

TEST(PhotoSetting, SaveWritesTheFiveKeysAndKeepsForeignLines) {
    TTestFolder folder;
    const QByteArray foreign = "; mine\r\n[USER]\r\nA=1\r\n\r\n";
    folder.WriteFile(QStringLiteral("KavroPhoto.ini"), foreign);
    TPhotoSetting setting;
    setting.FirstStarting = false;
    setting.SaveFolder = QStringLiteral("カレントフォルダ");
    setting.ReduceWidth = QStringLiteral("abc");
    setting.ReduceHeight = QStringLiteral("600");
    setting.ThumbnailDrawAll = false;
    setting.Save();
    const QByteArray expected = foreign + "[APP]\r\nFIRST_STARTING=0\r\n[PHOTO]\r\nSAVE_FOLDER=\"" +
                                Cp932::Encode(QStringLiteral("カレントフォルダ")) +
                                "\"\r\nREDUCE_WIDTH=abc\r\nREDUCE_HEIGHT=600\r\n"
                                "THUMBNAIL_DRAW_ALL=0\r\n";
    EXPECT_EQ(folder.ReadFile(QStringLiteral("KavroPhoto.ini")), expected);

    setting.SaveFolder = QStringLiteral("  D:/畑  ");
    setting.FirstStarting = true;
    setting.Save();
    TPhotoSetting reread;
    reread.Load();
    EXPECT_EQ(reread.SaveFolder, QStringLiteral("  D:/畑  "));
    EXPECT_TRUE(reread.FirstStarting);
    EXPECT_EQ(reread.ReduceWidth, QStringLiteral("abc"));
    EXPECT_TRUE(folder.ReadFile(QStringLiteral("KavroPhoto.ini")).startsWith(foreign));
}

TEST(PhotoSetting, SaveIntoAMissingFolderRaisesTheWriteError) {
    TTestFolder folder;
    SetProgramDir(folder.FilePath(QStringLiteral("gone")));
    TPhotoSetting setting;
    try {
        setting.Save();
        ADD_FAILURE() << "no error";
    } catch (const EIniWriteError& error) {
        EXPECT_EQ(error.Message(), folder.FilePath(QStringLiteral("gone/KavroPhoto.ini")) +
                                       QStringLiteral(" に書き込めません"));
    }
}

TEST(ReduceSizeValue, DecimalOrSixHundred) {
    const std::pair<const char*, int> cases[] = {
        {"600", 600},  {"1000", 1000}, {"abc", 600}, {"", 600},
        {"0x20", 600}, {"12px", 600},  {"-5", -5},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ReduceSizeValue(QString::fromLatin1(text)), value) << text;
}

}  // namespace
