// Every XML store, given a file it cannot read, starts empty and silent, and moves the file aside
// before its first write over it; files it can read, or that hold nothing, are simply replaced.

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <functional>

#include "model/FavouriteSites.h"
#include "model/OkiniStore.h"
#include "model/PhotoSaveDirList.h"
#include "model/TagStore.h"
#include "platform/Cp932.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

// One store as the program drives it: where its file lies, an entry of its file holding a text,
// and the load, count and add-then-save of the program.
struct TStore {
    const char* Name;
    QString File;  // relative to the program folder
    std::function<QByteArray(const QByteArray& text)> Entry;
    std::function<int(const QString& path)> LoadAndCount;
    std::function<void(const QString& path)> AddAndSave;
};

const QByteArray Declaration = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>\r\n";

const TStore Stores[] = {
    {"PhotoSaveDirList", QStringLiteral("data/PhotoSaveDirList.xml"),
     [](const QByteArray& text) { return "<save order=\"1\">/home/u/" + text + "</save>"; },
     [](const QString&) {
         TPhotoSaveDirList list;
         list.Load();
         return int(list.Count());
     },
     [](const QString&) {
         TPhotoSaveDirList list;
         list.Load();
         list.Add(std::make_unique<TPhotoSaveDir>(TPhotoSaveDir{1, QStringLiteral("/new")}));
         list.Save();
     }},
    {"OkiniList", QStringLiteral("data/OkiniList.xml"),
     [](const QByteArray& text) {
         return "<okini><name>" + text + "</name><url>https://a.jp/</url><memo/></okini>";
     },
     [](const QString&) {
         TOkiniList list;
         list.Load();
         return int(list.Count());
     },
     [](const QString&) {
         TOkiniList list;
         list.Load();
         list.Add(std::make_unique<TOkini>(TOkini{QStringLiteral("new"), QStringLiteral("b"), {}}));
         list.Save();
     }},
    {"tag.xml", QStringLiteral("save/tag.xml"),
     [](const QByteArray& text) {
         return "<tag><folder>20240101</folder><file>a.JPG</file><val>" + text + "</val></tag>";
     },
     [](const QString& path) {
         TPhotoTagList list;
         list.LoadFromFile(path);
         return int(list.Count());
     },
     [](const QString& path) {
         TPhotoTagList list;
         list.LoadFromFile(path);
         list.Add(QStringLiteral("20240101"), QStringLiteral("new.JPG"), QStringLiteral("x"));
         list.SaveToFile(path);
     }},
    {"okini.xml", QStringLiteral("save/okini.xml"),
     [](const QByteArray& text) {
         return "<okiniiri><folder>20240101</folder><file>" + text + ".JPG</file></okiniiri>";
     },
     [](const QString& path) {
         TPhotoOkiniList list;
         list.LoadFromFile(path);
         return int(list.Count());
     },
     [](const QString& path) {
         TPhotoOkiniList list;
         list.LoadFromFile(path);
         list.Add(QStringLiteral("20240101"), QStringLiteral("new.JPG"));
         list.SaveToFile(path);
     }},
};

// A file as the user may leave it, and whether the store must keep a copy of it.
struct TFileKind {
    const char* Name;
    std::function<QByteArray(const TStore&)> Bytes;  // empty function: no file at all
    bool Unreadable;
};

QByteArray Japanese(const char* text) {
    return Cp932::Encode(QString::fromUtf8(text));
}

const TFileKind Kinds[] = {
    {"cutInTheThirdEntry",
     [](const TStore& s) {
         const QByteArray third = s.Entry(Japanese("三"));
         return Declaration + "<data>" + s.Entry(Japanese("一")) + s.Entry(Japanese("二")) +
                third.left(third.size() / 2);
     },
     true},
    {"utf8UnderShiftJisLabel",
     [](const TStore& s) {
         return Declaration + "<data>" + s.Entry(QByteArray("畑の写真")) +
                s.Entry(QByteArray("トマト")) + "</data>";
     },
     true},
    {"cp932WithoutDeclaration",
     [](const TStore& s) { return "<data>" + s.Entry(Japanese("畑")) + "</data>"; }, true},
    {"anotherRoot", [](const TStore& s) { return Declaration + "<x>" + s.Entry("a") + "</x>"; },
     true},
    {"missing", nullptr, false},
    {"empty", [](const TStore&) { return QByteArray(); }, false},
    {"wellFormedWithoutEntries", [](const TStore&) { return Declaration + "<data></data>"; },
     false},
};

QStringList CopiesOf(const QString& path) {
    const int slash = int(path.lastIndexOf(u'/'));
    const QString name = path.mid(slash + 1);
    const QRegularExpression pattern(QStringLiteral("^") + QRegularExpression::escape(name) +
                                     QStringLiteral("\\.unreadable-\\d{8}-\\d{6}(-\\d+)?$"));
    QStringList copies;
    for (const QString& entry : QDir(path.left(slash)).entryList(QDir::Files | QDir::Hidden)) {
        if (pattern.match(entry).hasMatch())
            copies.append(path.left(slash + 1) + entry);
    }
    return copies;
}

TEST(UnreadableStore, IsLoadedEmptyAndMovedAsideBeforeTheFirstWrite) {
    for (const TStore& store : Stores) {
        for (const TFileKind& kind : Kinds) {
            const std::string name = std::string(store.Name) + "/" + kind.Name;
            TTestFolder folder;
            TRecordedMessages messages;
            folder.MakeDir(QStringLiteral("data"));
            folder.MakeDir(QStringLiteral("save"));
            const QString path = folder.FilePath(store.File);
            QByteArray original;
            if (kind.Bytes)
                folder.WriteFile(store.File, original = kind.Bytes(store));

            EXPECT_EQ(store.LoadAndCount(path), 0) << name;
            EXPECT_TRUE(messages.MessageTexts().isEmpty()) << name << " said something at load";

            store.AddAndSave(path);
            const QStringList copies = CopiesOf(path);
            EXPECT_EQ(store.LoadAndCount(path), store.File.startsWith(u's') ? 0 : 1) << name;
            EXPECT_TRUE(folder.ReadFile(store.File).contains("new")) << name;
            if (!kind.Unreadable) {
                EXPECT_TRUE(copies.isEmpty()) << name;
                EXPECT_TRUE(messages.MessageTexts().isEmpty()) << name;
                continue;
            }
            ASSERT_EQ(copies.size(), 1) << name;
            QFile copy(copies.front());
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << name;
            EXPECT_EQ(copy.readAll(), original) << name;
            ASSERT_EQ(messages.MessageTexts().size(), 1) << name;
            EXPECT_TRUE(messages.MessageTexts().front().contains(path)) << name;
            EXPECT_TRUE(messages.MessageTexts().front().contains(copies.front())) << name;

            // Told once: the next write replaces the program's own file.
            store.AddAndSave(path);
            EXPECT_EQ(CopiesOf(path).size(), 1) << name;
            EXPECT_EQ(messages.MessageTexts().size(), 1) << name;
        }
    }
}

TEST(UnreadableStore, AnEarlierCopyIsNeverReplaced) {
    TTestFolder folder;
    TRecordedMessages messages;
    const QString path = folder.FilePath(QStringLiteral("tag.xml"));
    const QByteArray first = Declaration + "<data><tag>";
    const QByteArray second = Declaration + "<data><tag><folder>";
    for (const QByteArray& bytes : {first, second}) {
        folder.WriteFile(QStringLiteral("tag.xml"), bytes);
        TPhotoTagList list;
        list.LoadFromFile(path);
        list.SaveToFile(path);
    }
    QList<QByteArray> kept;
    for (const QString& copy : CopiesOf(path)) {
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        kept.append(file.readAll());
    }
    EXPECT_EQ(kept.size(), 2);
    EXPECT_TRUE(kept.contains(first));
    EXPECT_TRUE(kept.contains(second));
    EXPECT_EQ(messages.MessageTexts().size(), 2);
}

}  // namespace
