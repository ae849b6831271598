#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "model/OkiniStore.h"
#include "model/TagStore.h"
#include "platform/Cp932.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

const QString ReadFailed = QStringLiteral("データの読み込みに失敗しました（PhotoTagList）。");
const QString SaveFailed = QStringLiteral("データの保存に失敗しました（PhotoTagList）。");

QByteArray TagFile(const QByteArray& tags) {
    return "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>\r\n<data>" + tags + "</data>\r\n";
}

QByteArray TagElement(const QByteArray& folder, const QByteArray& file, const QByteArray& val) {
    return "<tag><folder>" + folder + "</folder><file>" + file + "</file><val>" + val +
           "</val></tag>";
}

QStringList Keys(const TPhotoTagList& list) {
    QStringList keys;
    for (const TPhotoTag* entry : list)
        keys.append(entry->Folder + u'|' + entry->FileName + u'|' + entry->Tags);
    return keys;
}

QStringList Names(const TTagList& tags) {
    QStringList names;
    for (const TTag* tag : tags)
        names.append(tag->Name);
    return names;
}

struct TSplitCase {
    const char* Text;
    QStringList Names;
};

class SplitTagTextTable : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(SplitTagTextTable, GivesTheNames) {
    const TSplitCase& c = GetParam();
    QStringList names{QStringLiteral("stale")};
    SplitTagText(QString::fromUtf8(c.Text), names);
    EXPECT_EQ(names, c.Names) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitTagTextTable,
    ::testing::Values(TSplitCase{"", {}}, TSplitCase{"トマト", {"トマト"}},
                      TSplitCase{"トマト, 収穫, ナス", {"トマト", " 収穫", " ナス"}},
                      TSplitCase{"a,b,", {"a", "b", ""}}, TSplitCase{",a,,b", {"", "a", "", "b"}},
                      TSplitCase{",", {"", ""}}, TSplitCase{"\"x,y\",z", {"x,y", "z"}},
                      TSplitCase{"a,\"b,c\"", {"a", "b,c"}}, TSplitCase{"\"b\"", {"b"}},
                      TSplitCase{"\"a,b\",\"c,d\",e", {"a,b", "c,d", "e"}},
                      TSplitCase{"\"x\",", {"x", ""}}, TSplitCase{"a\"b,c", {"a\"b", "c"}},
                      TSplitCase{"\"a\"b\",c", {"a\"b", "c"}}, TSplitCase{"\"\"", {""}},
                      // An unclosed quote runs to the end of the text, every character kept.
                      TSplitCase{"a,\"b,c", {"a", "b,c"}}, TSplitCase{"\"", {""}},
                      TSplitCase{"a,\"", {"a", ""}}, TSplitCase{"\"b\"x", {"b\"x"}}));

struct TCarryCase {
    const char* Tags;
    const char* Tag;
    bool Carries;
};

class CarriesTagTable : public ::testing::TestWithParam<TCarryCase> {};

TEST_P(CarriesTagTable, ComparesWholeNamesWithoutCase) {
    const TCarryCase& c = GetParam();
    const TPhotoTag entry{QStringLiteral("20240101"), QStringLiteral("a.JPG"),
                          QString::fromUtf8(c.Tags)};
    EXPECT_EQ(CarriesTag(entry, QString::fromUtf8(c.Tag)), c.Carries) << c.Tags << " / " << c.Tag;
}

INSTANTIATE_TEST_SUITE_P(Entries, CarriesTagTable,
                         ::testing::Values(TCarryCase{"tomato,キュウリ", "Tomato", true},
                                           TCarryCase{" tomato,キュウリ", "Tomato", false},
                                           TCarryCase{"キュウリ,TOMATO", "tomato", true},
                                           TCarryCase{"tomatoes", "tomato", false},
                                           TCarryCase{"Ｔｏｍａｔｏ", "ｔｏｍａｔｏ", true},
                                           TCarryCase{"Ｔｏｍａｔｏ", "Tomato", false},
                                           TCarryCase{"\"Tomato,red\"", "tomato,RED", true},
                                           TCarryCase{"\"Tomato,red\"", "tomato", false},
                                           TCarryCase{"a,", "", true}, TCarryCase{"", "", false},
                                           TCarryCase{"トマト", "とまと", false}));

TEST(PhotoTagList, CollectTagsKeepsFirstAppearanceAndTellsCaseApart) {
    TPhotoTagList list;
    list.Add(QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("トマト,収穫"));
    list.Add(QStringLiteral("1"), QStringLiteral("b"), QStringLiteral("収穫"));
    list.Add(QStringLiteral("1"), QStringLiteral("c"), QStringLiteral("Tomato,tomato,"));
    list.Add(QStringLiteral("1"), QStringLiteral("d"), QString());
    list.Add(QStringLiteral("1"), QStringLiteral("e"), QStringLiteral("\"x,y\",トマト"));
    TTagList tags;
    tags.Add(std::make_unique<TTag>(TTag{QStringLiteral("stale")}));
    list.CollectTags(tags);
    EXPECT_EQ(Names(tags), (QStringList{"トマト", "収穫", "Tomato", "tomato", "", "x,y"}));
    EXPECT_TRUE(tags.Contains(QStringLiteral("Tomato")));
    EXPECT_FALSE(tags.Contains(QStringLiteral("TOMATO")));
}

TEST(PhotoTagList, LoadingDropsEntriesWithoutReducedCopyOrWithUnsafeNames) {
    TTestFolder parent;
    const QString saveDir = parent.MakeDir(QStringLiteral("save")) + u'/';
    parent.WriteFile(QStringLiteral("save/20240101/reduce/a.JPG"), "x");
    parent.WriteFile(QStringLiteral("save/20240101/reduce/b.JPG"), "x");
    parent.MakeDir(QStringLiteral("save/20240101/reduce/dir.JPG"));
    // Files that unsafe entries would reach if their names were followed.
    parent.WriteFile(QStringLiteral("reduce/out.JPG"), "x");
    parent.WriteFile(QStringLiteral("outside/reduce/out.JPG"), "x");
    parent.WriteFile(QStringLiteral("save/reduce/out.JPG"), "x");
    parent.WriteFile(QStringLiteral("save/20240101/reduce/reduce/out.JPG"), "x");
    parent.WriteFile(QStringLiteral("save/20240101/reduce/c\\d.JPG"), "x");
    QByteArray entries = TagElement("20240101", "a.JPG", "keep") +
                         TagElement("20240101", "gone.JPG", "no copy") +
                         TagElement("20240102", "a.JPG", "no folder") +
                         TagElement("20240101", "dir.JPG", "a folder") +
                         TagElement("20240101", "A.JPG", "case differs") +
                         TagElement("/20240101", "a.JPG", "absolute") +
                         TagElement("20240101", "c\\d.JPG", "a backslash is a character");
    for (const QByteArray& folder : {QByteArray(".."), QByteArray("../outside"), QByteArray(""),
                                     QByteArray("."), QByteArray("20240101/reduce")}) {
        entries += TagElement(folder, "out.JPG", "unsafe folder");
    }
    for (const QByteArray& file : {QByteArray("../../reduce/out.JPG"), QByteArray(""),
                                   QByteArray("reduce/out.JPG"), QByteArray("..")}) {
        entries += TagElement("20240101", file, "unsafe file");
    }
    entries += TagElement("20240101", "b.JPG", "keep too");
    parent.WriteFile(QStringLiteral("save/tag.xml"), TagFile(entries));
    TRecordedMessages messages;
    TPhotoTagList list;
    list.Add(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("stale"));
    list.LoadFromFile(saveDir + QStringLiteral("tag.xml"));
    EXPECT_EQ(Keys(list),
              (QStringList{"20240101|a.JPG|keep", "20240101|c\\d.JPG|a backslash is a character",
                           "20240101|b.JPG|keep too"}));
    EXPECT_FALSE(list.Contains(QStringLiteral("x"), QStringLiteral("y")));
    EXPECT_TRUE(messages.Messages().isEmpty());
}

// The same answers whether the folder's entries are few (each copy asked about) or many (the
// folder read once).
class ReducedCopyTable : public ::testing::TestWithParam<int> {};

TEST_P(ReducedCopyTable, KeepsExactlyTheEntriesWhoseCopyIsAFile) {
    TTestFolder folder;
    const QString reduce = folder.MakeDir(QStringLiteral("d/reduce")) + u'/';
    QByteArray entries;
    QStringList kept;
    for (int i = 0; i < GetParam(); ++i) {
        const QString name = QStringLiteral("p%1.JPG").arg(i);
        entries += TagElement("d", name.toUtf8(), "t");
        if (i % 3 != 0) {
            folder.WriteFile(QStringLiteral("d/reduce/") + name, "x");
            kept.append(QStringLiteral("d|") + name + QStringLiteral("|t"));
        }
    }
    folder.MakeDir(QStringLiteral("d/reduce/folder.JPG"));
    folder.MakeDir(QStringLiteral("elsewhere"));
    folder.WriteFile(QStringLiteral("elsewhere/x.JPG"), "x");
    ASSERT_EQ(::symlink("../../elsewhere/x.JPG", QFile::encodeName(reduce + "file.JPG")), 0);
    ASSERT_EQ(::symlink("../../elsewhere", QFile::encodeName(reduce + "dir.JPG")), 0);
    ASSERT_EQ(::symlink("gone.JPG", QFile::encodeName(reduce + "dangling.JPG")), 0);
    for (const char* name : {"folder.JPG", "file.JPG", "dir.JPG", "dangling.JPG", "P1.JPG"})
        entries += TagElement("d", name, "t");
    kept.append(QStringLiteral("d|file.JPG|t"));
    folder.WriteFile(QStringLiteral("tag.xml"), TagFile(entries));
    TPhotoTagList list;
    list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    EXPECT_EQ(Keys(list), kept);
}

INSTANTIATE_TEST_SUITE_P(EntriesPerFolder, ReducedCopyTable, ::testing::Values(2, 90));

TEST(PhotoTagList, MissingChildrenGiveEmptyTextsAndOtherContentIsIgnored) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("d/reduce/f.JPG"), "x");
    folder.WriteFile(
        QStringLiteral("tag.xml"),
        TagFile("<other><tag><folder>d</folder><file>f.JPG</file><val>inner</val></tag></other>"
                "<tag><val>second</val><file>f.JPG</file><folder>d</folder><val>x</val></tag>"
                "<tag><folder>d</folder><file>f.JPG</file></tag>"));
    TPhotoTagList list;
    list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    EXPECT_EQ(Keys(list), (QStringList{"d|f.JPG|second", "d|f.JPG|"}));
}

TEST(PhotoTagList, DuplicateKeysAreBothLoadedAndFindAndRemoveTakeTheFirst) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("d/reduce/f.JPG"), "x");
    folder.WriteFile(QStringLiteral("d/reduce/g.JPG"), "x");
    folder.WriteFile(QStringLiteral("tag.xml"),
                     TagFile(TagElement("d", "f.JPG", "first") + TagElement("d", "g.JPG", "g") +
                             TagElement("d", "f.JPG", "second")));
    TPhotoTagList list;
    list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Find(QStringLiteral("d"), QStringLiteral("f.JPG")), list[0]);
    list.Remove(QStringLiteral("d"), QStringLiteral("f.JPG"));
    EXPECT_EQ(Keys(list), (QStringList{"d|g.JPG|g", "d|f.JPG|second"}));
    EXPECT_EQ(list.Find(QStringLiteral("d"), QStringLiteral("f.JPG")), list[1]);
    list.Remove(QStringLiteral("d"), QStringLiteral("f.JPG"));
    EXPECT_FALSE(list.Contains(QStringLiteral("d"), QStringLiteral("f.JPG")));
    list.Remove(QStringLiteral("d"), QStringLiteral("f.JPG"));
    EXPECT_EQ(Keys(list), QStringList{"d|g.JPG|g"});
}

// The key index against a plain first-match walk, through every kind of change, with few keys
// (many duplicates) and with many.
class KeyIndexTable : public ::testing::TestWithParam<int> {};

TEST_P(KeyIndexTable, LookupsFollowEveryChange) {
    const int fileCount = GetParam();
    TPhotoTagList list;
    const QStringList folders{"a", "b", "A"};
    QStringList files;
    for (int i = 0; i < fileCount; ++i)
        files.append(QStringLiteral("%1.JPG").arg(i));
    files.append(QStringLiteral("0.jpg"));
    TPhotoOkiniList probes;  // every key once
    for (const QString& folder : folders) {
        for (const QString& file : files)
            probes.Add(folder, file);
    }
    auto check = [&](int step) {
        for (const TPhotoOkini* probe : probes) {
            const TPhotoTag* first = nullptr;
            for (const TPhotoTag* entry : list) {
                if (entry->Folder == probe->Folder && entry->FileName == probe->FileName) {
                    first = entry;
                    break;
                }
            }
            ASSERT_EQ(list.Find(probe->Folder, probe->FileName), first)
                << step << " " << qPrintable(probe->FileName);
            ASSERT_EQ(list.Contains(probe->Folder, probe->FileName), first != nullptr);
        }
    };
    unsigned seed = 7;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    for (int step = 0; step < 1500; ++step) {
        const QString& folder = folders[next(3)];
        const QString& file = files[next(unsigned(files.size()))];
        switch (next(6)) {
            case 0:
            case 1:
            case 2:
                list.Add(folder, file, QString::number(step));
                break;
            case 3:
                list.Remove(folder, file);
                break;
            case 4:
                if (!list.IsEmpty())
                    list.Delete(next(unsigned(list.Count())));
                break;
            default:
                if (step % 499 == 0)
                    list.Clear();
                break;
        }
        if (step % 10 == 0 || fileCount < 10)
            check(step);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyIndexTable, ::testing::Values(2, 200));

TEST(PhotoTagList, WritesCp932WithTheDeclarationAndReadsItBack) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("20240501/reduce/畑 & <1>.JPG"), "x");
    folder.WriteFile(QStringLiteral("20240501/reduce/b.JPG"), "x");
    TRecordedMessages messages;
    TPhotoTagList list;
    list.Add(QStringLiteral("20240501"), QStringLiteral("畑 & <1>.JPG"),
             QStringLiteral("トマト,\"収穫,夏\""));
    list.Add(QStringLiteral("20240501"), QStringLiteral("b.JPG"), QString());
    const QString path = folder.FilePath(QStringLiteral("tag.xml"));
    list.SaveToFile(path);
    const QByteArray bytes = folder.ReadFile(QStringLiteral("tag.xml"));
    const QByteArray expected =
        "<?xml version=\"1.0\" "
        "encoding=\"SHIFT-JIS\"?>\n<data><tag><folder>20240501</folder><file>" +
        Cp932::Encode(QStringLiteral("畑 &amp; &lt;1&gt;.JPG")) + "</file><val>" +
        Cp932::Encode(QStringLiteral("トマト,\"収穫,夏\"")) +
        "</val></tag><tag><folder>20240501</folder><file>b.JPG</file><val></val></tag></data>";
    EXPECT_EQ(bytes.trimmed(), expected) << "no text between elements";
    EXPECT_FALSE(bytes.contains("UTF-8"));

    TPhotoTagList reread;
    reread.LoadFromFile(path);
    EXPECT_EQ(Keys(reread), Keys(list));
    EXPECT_TRUE(messages.Messages().isEmpty());
}

// A control character (Linux allows one in a file name; a pasted tag may hold one) must never
// make a store write a file that does not load again: every other entry would be lost.
TEST(PhotoStores, TextsTheFileCannotCarryNeverCostTheOtherEntries) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("d/reduce/a.JPG"), "x");
    folder.WriteFile(QStringLiteral("d/reduce/b\x01.JPG"), "x");
    TRecordedMessages messages;
    TPhotoTagList tags;
    TPhotoOkiniList okini;
    tags.Add(QStringLiteral("d"), QStringLiteral("a.JPG"), QStringLiteral("トマ\x01ト,\x1b夏"));
    okini.Add(QStringLiteral("d"), QStringLiteral("a.JPG"));
    for (const QString& name : {QStringLiteral("b\x01.JPG"), QStringLiteral("b\xFFFE.JPG"),
                                QString(QChar(0xD800)) + QStringLiteral(".JPG")}) {
        EXPECT_ANY_THROW(tags.Add(QStringLiteral("d"), name, QStringLiteral("t")));
        EXPECT_ANY_THROW(okini.Add(QStringLiteral("d"), name));
    }
    EXPECT_ANY_THROW(okini.Add(QStringLiteral("d\x02"), QStringLiteral("a.JPG")));
    // A text changed in place is kept out of the file as well.
    tags.Add(QStringLiteral("d"), QStringLiteral("a.JPG"), QString())->Tags =
        QStringLiteral("x\x07y");
    tags.SaveToFile(folder.FilePath(QStringLiteral("tag.xml")));
    okini.SaveToFile(folder.FilePath(QStringLiteral("okini.xml")));

    TPhotoTagList tagsRead;
    tagsRead.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    TPhotoOkiniList okiniRead;
    okiniRead.LoadFromFile(folder.FilePath(QStringLiteral("okini.xml")));
    EXPECT_EQ(Keys(tagsRead), (QStringList{"d|a.JPG|トマト,夏", "d|a.JPG|xy"}));
    EXPECT_EQ(okiniRead.Count(), 1);
    EXPECT_TRUE(messages.Messages().isEmpty());
}

TEST(PhotoTagList, AStoreWhoseCopiesAreAllGoneSavesAnEmptyRoot) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("tag.xml"), TagFile(TagElement("d", "f.JPG", "t")));
    TPhotoTagList list;
    list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    EXPECT_TRUE(list.IsEmpty());
    list.SaveToFile(folder.FilePath(QStringLiteral("tag.xml")));
    EXPECT_TRUE(folder.ReadFile(QStringLiteral("tag.xml")).contains("<data/>"));
}

TEST(PhotoTagList, MissingOrMalformedFilesGiveAnEmptyStoreQuietly) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("d/reduce/f.JPG"), "x");
    TRecordedMessages messages;
    TPhotoTagList list;
    list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
    EXPECT_TRUE(list.IsEmpty());
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("not xml"), TagFile(TagElement("d", "f.JPG", "t")).left(60),
          QByteArray("<root>") + TagElement("d", "f.JPG", "t") + "</root>"}) {
        folder.WriteFile(QStringLiteral("tag.xml"), bytes);
        list.Add(QStringLiteral("d"), QStringLiteral("f.JPG"), QStringLiteral("stale"));
        list.LoadFromFile(folder.FilePath(QStringLiteral("tag.xml")));
        EXPECT_TRUE(list.IsEmpty()) << bytes.constData();
    }
    EXPECT_TRUE(messages.Messages().isEmpty());
}

// A store that cannot be written says so with its own name, keeps its change in memory and
// leaves the file that was there.
TEST(PhotoStores, AFailedSaveShowsTheStoresMessageAndKeepsTheListAndTheOldFile) {
    TTestFolder folder;
    TRecordedMessages messages;
    TPhotoTagList tags;
    tags.Add(QStringLiteral("d"), QStringLiteral("f.JPG"), QStringLiteral("t"));
    TPhotoOkiniList okini;
    okini.Add(QStringLiteral("d"), QStringLiteral("f.JPG"));
    // A folder where each file should be: the rename over it fails.
    folder.MakeDir(QStringLiteral("tag.xml/old"));
    folder.MakeDir(QStringLiteral("okini.xml/old"));
    tags.SaveToFile(folder.FilePath(QStringLiteral("tag.xml")));
    okini.SaveToFile(folder.FilePath(QStringLiteral("okini.xml")));
    EXPECT_EQ(messages.MessageHeads(),
              (QStringList{SaveFailed,
                           QStringLiteral("データの保存に失敗しました（PhotoOkiniList）。")}));
    ASSERT_EQ(messages.MessageTexts().size(), 2);
    EXPECT_TRUE(messages.MessageTexts()[0].contains(folder.FilePath(QStringLiteral("tag.xml"))));
    EXPECT_TRUE(messages.MessageTexts()[1].contains(folder.FilePath(QStringLiteral("okini.xml"))));
    EXPECT_EQ(Keys(tags), QStringList{"d|f.JPG|t"});
    EXPECT_EQ(okini.Count(), 1);
    EXPECT_TRUE(folder.Exists(QStringLiteral("tag.xml/old")));
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace
