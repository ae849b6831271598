#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/XmlDocument.h"
#include "tests/support/TestFolder.h"

namespace {

TEST(XmlDocument, UnreadableFilesGiveAnEmptyDocument) {
    const QByteArray files[] = {
        "",
        "this is not xml",
        "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?><data><save order=\"1\">x</save>",
        "<other><save order=\"1\">x</save></other>",
        "\xFF\xFE\x00<",
    };
    TTestFolder folder;
    for (const QByteArray& bytes : files) {
        const QString path = folder.WriteFile(QStringLiteral("f.xml"), bytes);
        testing::internal::CaptureStderr();
        TXmlDocument document;
        document.Load(path);
        EXPECT_TRUE(document.SelectNodes(QStringLiteral("/data/save")).isEmpty())
            << bytes.constData();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "libxml2 printed";
    }
    TXmlDocument missing;
    missing.Load(folder.FilePath(QStringLiteral("none.xml")));
    EXPECT_TRUE(missing.IsEmpty());
}

// What a load found decides whether a store's file may be overwritten: only a file read in its
// encoding, or one with nothing in it, may.
TEST(XmlDocument, LoadTellsReadFromEmptyAndUnreadable) {
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>";
    const QByteArray hatake = Cp932::Encode(QStringLiteral("畑"));
    const QByteArray hatakeUtf8 = QStringLiteral("畑").toUtf8();
    struct TCase {
        const char* Name;
        QByteArray Bytes;
        TXmlLoadResult Expected;
    } const cases[] = {
        {"empty", "", TXmlLoadResult::Empty},
        {"blanks", " \r\n\t", TXmlLoadResult::Empty},
        {"cp932", declaration + "<data><save>" + hatake + "</save></data>", TXmlLoadResult::Read},
        {"noEntries", declaration + "<data/>", TXmlLoadResult::Read},
        {"asciiUnderShiftJisLabel", declaration + "<data><save>a</save></data>",
         TXmlLoadResult::Read},
        {"utf8WithoutDeclaration", "<data><save>" + hatakeUtf8 + "</save></data>",
         TXmlLoadResult::Read},
        {"halfWidthKanaThatIsValidUtf8", declaration + "<data><save>\xC3\xBD</save></data>",
         TXmlLoadResult::Read},
        {"cutShort", declaration + "<data><save>a</save><save>b", TXmlLoadResult::Unreadable},
        {"utf8UnderShiftJisLabel",
         declaration + "<data><save>/home/u/" + hatakeUtf8 + "/あいう</save></data>",
         TXmlLoadResult::Unreadable},
        {"cp932WithoutDeclaration", "<data><save>" + hatake + "</save></data>",
         TXmlLoadResult::Unreadable},
        {"notXml", "this is not xml", TXmlLoadResult::Unreadable},
    };
    for (const TCase& c : cases) {
        TXmlDocument document;
        EXPECT_EQ(document.LoadFromBytes(c.Bytes), c.Expected) << c.Name;
        TTestFolder folder;
        EXPECT_EQ(TXmlDocument().Load(folder.WriteFile(QStringLiteral("f.xml"), c.Bytes)),
                  c.Expected)
            << c.Name;
    }
    TTestFolder folder;
    EXPECT_EQ(TXmlDocument().Load(folder.FilePath(QStringLiteral("none.xml"))),
              TXmlLoadResult::Missing);
    if (geteuid() != 0) {
        const QString locked = folder.WriteFile(QStringLiteral("locked.xml"), declaration);
        chmod(QFile::encodeName(locked).constData(), 0);
        EXPECT_EQ(TXmlDocument().Load(locked), TXmlLoadResult::Unreadable);
    }
}

TEST(XmlDocument, TextsSurviveASaveAndALoadInCp932) {
    const QString texts[] = {
        QStringLiteral("a & b"),           QStringLiteral("<tag>"),
        QStringLiteral("D:\\畑"),          QStringLiteral("～"),
        QStringLiteral("①トマト"),         QStringLiteral("  blanks  "),
        QStringLiteral("😀 outside CP932"),
    };
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("t.xml"));
    {
        TXmlDocument document;
        document.AppendDeclaration();
        TXmlNode root = document.CreateRoot(QStringLiteral("data"));
        for (const QString& text : texts) {
            TXmlNode save = root.AppendElement(QStringLiteral("save"));
            save.SetText(text);
            save.SetAttribute(QStringLiteral("order"), text);
        }
        document.Save(path);
    }
    const QByteArray bytes = folder.ReadFile(QStringLiteral("t.xml"));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains(Cp932::Encode(QStringLiteral("①トマト"))));
    EXPECT_TRUE(bytes.contains("\x81\x60")) << "～ is written as CP932 0x8160";

    TXmlDocument document;
    document.Load(path);
    const QList<TXmlNode> nodes = document.SelectNodes(QStringLiteral("/data/save"));
    ASSERT_EQ(nodes.size(), qsizetype(std::size(texts)));
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].Text(), texts[i]);
        EXPECT_EQ(nodes[i].SelectSingleNode(QStringLiteral("@order")).Text(), texts[i]);
    }
}

TEST(XmlDocument, SelectsChildrenByNameAndReadsNestedText) {
    TXmlDocument document;
    document.LoadFromBytes(
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"
        "<data><tag><folder>2026<b>1209</b></folder><file>a.jpg</file></tag>"
        "<x/><tag><file>b.jpg</file></tag></data>");
    const QList<TXmlNode> tags = document.SelectNodes(QStringLiteral("/data/tag"));
    ASSERT_EQ(tags.size(), 2);
    EXPECT_EQ(tags[0].SelectSingleNode(QStringLiteral("folder")).Text(),
              QStringLiteral("20261209"));
    EXPECT_TRUE(tags[1].SelectSingleNode(QStringLiteral("folder")).IsNull());
    EXPECT_TRUE(tags[1].SelectSingleNode(QStringLiteral("@order")).IsNull());
    EXPECT_TRUE(document.SelectNodes(QStringLiteral("/other/tag")).isEmpty());
}

TEST(XmlDocument, ExternalEntitiesAreNotRead) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("secret.txt"), "secret");
    TXmlDocument document;
    document.LoadFromBytes("<?xml version=\"1.0\"?><!DOCTYPE data [<!ENTITY e SYSTEM \"" +
                           folder.FilePath(QStringLiteral("secret.txt")).toUtf8() +
                           "\">]><data><save order=\"1\">&e;</save></data>");
    for (const TXmlNode& node : document.SelectNodes(QStringLiteral("/data/save"))) {
        EXPECT_FALSE(node.Text().contains(QStringLiteral("secret")));
    }
}

}  // namespace
