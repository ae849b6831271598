#include <gtest/gtest.h>

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
