#include <gtest/gtest.h>

#include "model/OkiniStore.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

QByteArray OkiniFile(const QByteArray& entries) {
    return "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>\r\n<data>" + entries + "</data>\r\n";
}

QByteArray OkiniElement(const QByteArray& folder, const QByteArray& file) {
    return "<okiniiri><folder>" + folder + "</folder><file>" + file + "</file></okiniiri>";
}

QStringList Keys(const TPhotoOkiniList& list) {
    QStringList keys;
    for (const TPhotoOkini* entry : list)
        keys.append(entry->Folder + u'|' + entry->FileName);
    return keys;
}

class OkiniStore : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"1.JPG", "2.JPG", "3.JPG"})
            Folder.WriteFile(QStringLiteral("20240601/reduce/") + QString::fromUtf8(name), "x");
    }
    QString StorePath() const { return Folder.FilePath(QStringLiteral("okini.xml")); }
    QStringList Reread() const {
        TPhotoOkiniList list;
        list.LoadFromFile(StorePath());
        return Keys(list);
    }

    TTestFolder Folder;
    TRecordedMessages Recorded;
};

TEST_F(OkiniStore, MarkingThreeAndUnmarkingTheSecondKeepsTheOrderOfMarking) {
    TPhotoOkiniList list;
    for (const char* name : {"3.JPG", "1.JPG", "2.JPG"}) {
        list.Add(QStringLiteral("20240601"), QString::fromUtf8(name));
        list.SaveToFile(StorePath());
    }
    list.Remove(QStringLiteral("20240601"), QStringLiteral("1.JPG"));
    list.SaveToFile(StorePath());
    EXPECT_EQ(Reread(), (QStringList{"20240601|3.JPG", "20240601|2.JPG"}));
    const QByteArray bytes = Folder.ReadFile(QStringLiteral("okini.xml"));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>"));
    EXPECT_LT(bytes.indexOf("3.JPG"), bytes.indexOf("2.JPG"));
    EXPECT_FALSE(bytes.contains("1.JPG"));

    list.Remove(QStringLiteral("20240601"), QStringLiteral("3.JPG"));
    list.Remove(QStringLiteral("20240601"), QStringLiteral("2.JPG"));
    list.SaveToFile(StorePath());
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("okini.xml")).contains("<data/>"));
    EXPECT_TRUE(Reread().isEmpty());
    EXPECT_TRUE(Recorded.Messages().isEmpty());
}

TEST_F(OkiniStore, AFavouriteWhoseCopyWasRemovedIsDroppedAndLeavesTheFileAtTheNextSave) {
    Folder.WriteFile(
        QStringLiteral("okini.xml"),
        OkiniFile(OkiniElement("20240601", "1.JPG") + OkiniElement("20240601", "2.JPG") +
                  OkiniElement("../20240601", "3.JPG") +
                  OkiniElement("20240601", "../reduce/3.JPG")));
    QFile::remove(Folder.FilePath(QStringLiteral("20240601/reduce/1.JPG")));
    TPhotoOkiniList list;
    list.LoadFromFile(StorePath());
    EXPECT_EQ(Keys(list), QStringList{"20240601|2.JPG"});
    list.Add(QStringLiteral("20240601"), QStringLiteral("3.JPG"));
    list.SaveToFile(StorePath());
    EXPECT_FALSE(Folder.ReadFile(QStringLiteral("okini.xml")).contains("1.JPG"));
    EXPECT_EQ(Reread(), (QStringList{"20240601|2.JPG", "20240601|3.JPG"}));
}

TEST_F(OkiniStore, DuplicatesAreBothLoadedAndOneUnmarkRemovesOnlyTheFirst) {
    Folder.WriteFile(QStringLiteral("okini.xml"), OkiniFile(OkiniElement("20240601", "1.JPG") +
                                                            OkiniElement("20240601", "2.JPG") +
                                                            OkiniElement("20240601", "1.JPG")));
    TPhotoOkiniList list;
    list.LoadFromFile(StorePath());
    ASSERT_EQ(list.Count(), 3);
    list.Remove(QStringLiteral("20240601"), QStringLiteral("1.JPG"));
    EXPECT_TRUE(list.Contains(QStringLiteral("20240601"), QStringLiteral("1.JPG")));
    EXPECT_EQ(Keys(list), (QStringList{"20240601|2.JPG", "20240601|1.JPG"}));
    EXPECT_FALSE(list.Contains(QStringLiteral("20240601"), QStringLiteral("1.jpg")));
}

}  // namespace
