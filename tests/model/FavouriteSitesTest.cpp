#include <gtest/gtest.h>

#include "model/FavouriteSites.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

const QString Css = QStringLiteral("kavro://site/okini.css");
const QByteArray PageHead =
    "<html>\r\n<head>\r\n"
    "<meta http-equiv=\"Content-type\" content=\"text/html; charset=Shift_JIS\" />\r\n"
    "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\r\n"
    "<link rel=\"stylesheet\" href=\"kavro://site/okini.css\" type=\"text/css\" />\r\n"
    "</head>\r\n<body oncontextmenu=\"return false\">\r\n<div>\r\n";
const QByteArray PageTail = "</div>\r\n</body>\r\n</html>\r\n";

void Append(TOkiniList& list, const QString& name, const QString& url, const QString& memo) {
    list.Add(std::make_unique<TOkini>(TOkini{name, url, memo}));
}

QStringList Entries(const TOkiniList& list) {
    QStringList entries;
    for (const TOkini* entry : list)
        entries.append(entry->Name + u'|' + entry->Url + u'|' + entry->Memo);
    return entries;
}

class FavouriteSites : public ::testing::Test {
protected:
    QStringList Reread() const {
        TOkiniList list;
        list.Load();
        return Entries(list);
    }

    TTestFolder Folder;
    TRecordedMessages Recorded;
};

struct TPageCase {
    const char* Name;
    QList<TOkini> Entries;
    QByteArray Lines;  // the lines between "<div>" and "</div>"
};

void PrintTo(const TPageCase& c, std::ostream* out) {
    *out << c.Name;
}

class FavouritePage : public FavouriteSites, public ::testing::WithParamInterface<TPageCase> {};

TEST_P(FavouritePage, IsWrittenByteForByte) {
    TOkiniList list;
    for (const TOkini& entry : GetParam().Entries)
        Append(list, entry.Name, entry.Url, entry.Memo);
    list.WritePage(Css);
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/OkiniList.html")),
              PageHead + GetParam().Lines + PageTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FavouritePage,
    ::testing::Values(
        TPageCase{"emptyList", {}, ""},
        TPageCase{"emptyNote",
                  {{"A", "B", ""}},
                  "<p><a href=\"B\" target=\"_blank\">A</a><span class=\"okini_memo\"> - "
                  "</span></p>\r\n"},
        TPageCase{"markupShownAsTypedAndJapaneseInCp932",
                  {{QStringLiteral("トマト<初心者向け>&"), "http://x/?a=1&b=\"2\"",
                    QStringLiteral("<meta http-equiv=\"refresh\">～")},
                   {"2", "u", "m"}},
                  "<p><a href=\"http://x/?a=1&amp;b=&quot;2&quot;\" target=\"_blank\">" +
                      Cp932::Encode(QStringLiteral("トマト")) + "&lt;" +
                      Cp932::Encode(QStringLiteral("初心者向け")) +
                      "&gt;&amp;</a><span class=\"okini_memo\"> - &lt;meta "
                      "http-equiv=&quot;refresh&quot;&gt;\x81\x60</span></p>\r\n"
                      "<p><a href=\"u\" target=\"_blank\">2</a><span class=\"okini_memo\"> - "
                      "m</span></p>\r\n"},
        TPageCase{"referencesNextToCharactersOutsideCp932",
                  {{QStringLiteral("🍅<"), "&", QStringLiteral("\"🍅\"")}},
                  "<p><a href=\"&amp;\" target=\"_blank\">&#127813;&lt;</a><span "
                  "class=\"okini_memo\"> - &quot;&#127813;&quot;</span></p>\r\n"},
        TPageCase{"characterOutsideCp932BecomesAReference",
                  {{QStringLiteral("🍅x"), "u", ""}},
                  "<p><a href=\"u\" target=\"_blank\">&#127813;x</a><span "
                  "class=\"okini_memo\"> - </span></p>\r\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FavouriteSites, SaveAndLoadKeepTextsAndOrderOnAFreshInstall) {
    ASSERT_FALSE(Folder.Exists(QStringLiteral("data")));
    TOkiniList list;
    Append(list, QStringLiteral("トマト&<畑>"), QStringLiteral("http://a/?x=1&y=2"),
           QStringLiteral("a < b & c"));
    Append(list, QStringLiteral("同名"), QStringLiteral("http://b/"), QString());
    Append(list, QStringLiteral("同名"), QStringLiteral("http://c/"), QStringLiteral("🍅"));
    list.Save();
    const QByteArray bytes = Folder.ReadFile(QStringLiteral("data/OkiniList.xml"));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>"));
    EXPECT_TRUE(bytes.contains(Cp932::Encode(QStringLiteral("トマト&amp;&lt;畑"))));
    EXPECT_EQ(Reread(),
              (QStringList{QStringLiteral("トマト&<畑>|http://a/?x=1&y=2|a < b & c"),
                           QStringLiteral("同名|http://b/|"), QStringLiteral("同名|http://c/|🍅")}));
    EXPECT_TRUE(Recorded.Messages().isEmpty());
}

TEST_F(FavouriteSites, LoadAppendsToTheListAndAnEmptyFileGivesNothing) {
    TOkiniList empty;
    empty.Save();
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("data/OkiniList.xml")).contains("<data/>"));
    TOkiniList list;
    Append(list, "kept", "u", "m");
    list.Load();
    EXPECT_EQ(Entries(list), QStringList{"kept|u|m"});
    EXPECT_TRUE(Recorded.Messages().isEmpty());
}

struct TLoadCase {
    const char* Name;
    QByteArray File;  // written as data/OkiniList.xml; empty: no file
    QStringList Expected;
    bool Fails;
};

void PrintTo(const TLoadCase& c, std::ostream* out) {
    *out << c.Name;
}

class FavouriteLoad : public FavouriteSites, public ::testing::WithParamInterface<TLoadCase> {};

TEST_P(FavouriteLoad, ReadsWhatItCanAndReportsBrokenEntries) {
    const TLoadCase& c = GetParam();
    if (!c.File.isEmpty())
        Folder.WriteFile(QStringLiteral("data/OkiniList.xml"), c.File);
    EXPECT_EQ(Reread(), c.Expected);
    EXPECT_EQ(Recorded.MessageHeads(),
              c.Fails ? QStringList{QStringLiteral("データの読み込みに失敗しました（OkiniList）。")}
                      : QStringList{});
    for (const QString& text : Recorded.MessageTexts())
        EXPECT_TRUE(text.contains(TOkiniList::XmlFilePath())) << text.toStdString();
}

const QByteArray Declaration = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>";

INSTANTIATE_TEST_SUITE_P(
    Cases, FavouriteLoad,
    ::testing::Values(
        TLoadCase{"noFile", "", {}, false}, TLoadCase{"notXml", "<data><okini><name>a", {}, false},
        TLoadCase{"secondLacksMemo",
                  Declaration + "<data><okini><name>a</name><url>u</url><memo>m</memo></okini>"
                                "<okini><name>b</name><url>v</url></okini>"
                                "<okini><name>c</name><url>w</url><memo/></okini></data>",
                  {"a|u|m"},
                  true},
        TLoadCase{"firstLacksName", "<data><okini><url>u</url><memo/></okini></data>", {}, true},
        TLoadCase{"otherElementsAndOrderIgnored",
                  Declaration + "<data x=\"1\"><other/><okini><memo> m </memo><extra/>"
                                "<url>u</url><name>n<b>1</b></name><name>2</name></okini></data>",
                  {"n1|u| m "},
                  false},
        TLoadCase{"nestedOkiniNotRead",
                  "<data><list><okini><name>a</name><url>u</url><memo/></okini></list></data>",
                  {},
                  false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FavouriteSites, UnwritableFileIsReportedAndTheListStays) {
    Folder.MakeDir(QStringLiteral("data/OkiniList.xml"));  // a folder where the file should be
    TOkiniList list;
    Append(list, "new", "u", "");
    list.Save();
    EXPECT_EQ(Recorded.MessageHeads(),
              QStringList{QStringLiteral("データの保存に失敗しました（OkiniList）。")});
    EXPECT_TRUE(Recorded.MessageTexts().front().contains(TOkiniList::XmlFilePath()));
    EXPECT_EQ(Entries(list), QStringList{"new|u|"});
}

// The error report shows the error's text alone: it names the page, whatever stands in the way.
TEST_F(FavouriteSites, PageThatCannotBeWrittenRaisesNamingThePage) {
    Folder.MakeDir(QStringLiteral("data/OkiniList.html"));
    TOkiniList list;
    try {
        list.WritePage(Css);
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_TRUE(error.Message().contains(TOkiniList::PageFilePath()))
            << error.Message().toStdString();
    }
}

}  // namespace
