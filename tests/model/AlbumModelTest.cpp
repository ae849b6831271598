#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <functional>

#include "model/Album.h"
#include "model/PhotoLayout.h"
#include "platform/Exception.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"
#include "tests/support/TestHome.h"

namespace {

const QString May = QStringLiteral("20240501");
const QString June = QStringLiteral("20240601");

QImage ReadJpeg(const QString& path) {
    QImage image;
    image.load(path, "JPEG");
    return image;
}

// The left half red and the right half blue: a turn shows which way it went.
TJpegBuilder Halves(int width, int height) {
    return TJpegBuilder(width, height).Pattern([width](int x, int) {
        return x < width / 2 ? TJpegBuilder::TRgb{255, 0, 0} : TJpegBuilder::TRgb{0, 0, 255};
    });
}

bool IsRed(QRgb colour) {
    return qRed(colour) > 180 && qBlue(colour) < 80;
}

// Public, so that the cases of a table can reach the album through the fixture.
class AlbumModel : public ::testing::Test {
public:
    AlbumModel() : Album(Setting) { Album.SetCurrentDir(Folder.Path()); }

    QString DatedPath(const QString& dated) const { return Folder.Path() + dated + u'/'; }
    // A photo as the import leaves it: full-size file, reduced copy and thumbnail.
    void AddPhoto(const QString& dated, const QString& name, int width = 60, int height = 45) {
        const QByteArray jpeg = Halves(width, height).Encode();
        Folder.WriteFile(dated + u'/' + name, jpeg);
        Folder.WriteFile(dated + u'/' + PhotoLayout::ReduceSubdir() + name, jpeg);
        Folder.WriteFile(dated + u'/' + PhotoLayout::ThumbnailSubdir() + name,
                         Halves(40, 30).Encode());
    }
    // a and b in May, c in June; b and c are favourites; a and c carry tags.
    void MakeSaveFolder() {
        AddPhoto(May, QStringLiteral("a.JPG"));
        AddPhoto(May, QStringLiteral("b.JPG"));
        AddPhoto(June, QStringLiteral("c.JPG"));
        TPhotoOkiniList okini;
        okini.Add(June, QStringLiteral("c.JPG"));
        okini.Add(May, QStringLiteral("b.JPG"));
        okini.SaveToFile(Folder.FilePath(PhotoLayout::OkiniFileName()));
        TPhotoTagList tags;
        tags.Add(June, QStringLiteral("c.JPG"), QStringLiteral("tomato,ナス"));
        tags.Add(May, QStringLiteral("a.JPG"), QStringLiteral("Tomato"));
        tags.SaveToFile(Folder.FilePath(PhotoLayout::TagFileName()));
        Album.OpenCurrentDir();
    }
    // The photos listed, as "name fav tags".
    QStringList Listed() const {
        QStringList rows;
        for (const TPhoto* photo : Album.PhotoList())
            rows.append(photo->Folder + u'/' + photo->FileName +
                        (photo->Favourite ? " * " : " - ") + photo->Tags);
        return rows;
    }
    TPhoto* Listed(const QString& name) const {
        for (TPhoto* photo : Album.PhotoList()) {
            if (photo->FileName == name)
                return photo;
        }
        return nullptr;
    }
    // The album's stores, and a check that the files hold exactly them.
    QStringList StoredFavourites() const {
        const TPhotoOkiniList& okini = Album.PhotoOkiniList();
        okini.SaveToFile(Folder.FilePath(QStringLiteral("expected.xml")));
        EXPECT_EQ(Folder.ReadFile(PhotoLayout::OkiniFileName()),
                  Folder.ReadFile(QStringLiteral("expected.xml")));
        QStringList names;
        for (const TPhotoOkini* entry : okini)
            names.append(entry->Folder + u'/' + entry->FileName);
        return names;
    }
    QStringList StoredTags() const {
        const TPhotoTagList& tags = Album.PhotoTagList();
        tags.SaveToFile(Folder.FilePath(QStringLiteral("expected.xml")));
        EXPECT_EQ(Folder.ReadFile(PhotoLayout::TagFileName()),
                  Folder.ReadFile(QStringLiteral("expected.xml")));
        QStringList entries;
        for (const TPhotoTag* entry : tags)
            entries.append(entry->FileName + u'=' + entry->Tags);
        return entries;
    }
    const TPhotoDir* DatedFolder(const QString& name) const {
        for (const TPhotoDir* dir : Album.PhotoDirList()) {
            if (dir->Name == name)
                return dir;
        }
        return nullptr;
    }
    const TTag* Tag(const QString& name) {
        Album.CollectTags();
        for (const TTag* tag : Album.TagList()) {
            if (tag->Name == name)
                return tag;
        }
        return nullptr;
    }

    TTestFolder Folder;
    TRecordedMessages Messages;
    TPhotoSetting Setting;
    TAlbum Album;
};

TEST_F(AlbumModel, ListsAFolderATagOrTheFavouritesWithTheirMarksAndTags) {
    MakeSaveFolder();
    struct TCase {
        const char* Name;
        std::function<void(AlbumModel&)> List;
        QStringList Rows;
    };
    const TCase cases[] = {
        {"a dated folder",
         [](AlbumModel& t) { t.Album.ListFolder(t.DatedFolder(May)); },
         {"20240501/a.JPG - Tomato", "20240501/b.JPG * "}},
        {"no folder", [](AlbumModel& t) { t.Album.ListFolder(nullptr); }, {}},
        {"a tag, in store order, whatever the case",
         [](AlbumModel& t) { t.Album.ListTag(t.Tag(QStringLiteral("Tomato"))); },
         {"20240601/c.JPG * tomato,ナス", "20240501/a.JPG - Tomato"}},
        {"no tag", [](AlbumModel& t) { t.Album.ListTag(nullptr); }, {}},
        {"the favourites, in store order",
         [](AlbumModel& t) { t.Album.ListFavourites(); },
         {"20240601/c.JPG * tomato,ナス", "20240501/b.JPG * "}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Album.ListFolder(DatedFolder(June));  // something to clear first
        c.List(*this);
        EXPECT_EQ(Listed(), c.Rows);
        for (const TPhoto* photo : Album.PhotoList()) {
            EXPECT_TRUE(photo->NeedsExif()) << "read when the row is first drawn";
            EXPECT_TRUE(photo->NeedsThumbnail());
        }
    }
    EXPECT_TRUE(Messages.Messages().isEmpty());
}

TEST_F(AlbumModel, ReadsEveryPhotoWhileListingWhenThumbnailDrawAllIsOn) {
    MakeSaveFolder();
    Setting.ThumbnailDrawAll = true;
    for (const auto& list : {std::function<void()>([&] { Album.ListFolder(DatedFolder(May)); }),
                             std::function<void()>([&] { Album.ListFavourites(); })}) {
        list();
        ASSERT_FALSE(Album.PhotoList().IsEmpty());
        for (const TPhoto* photo : Album.PhotoList()) {
            EXPECT_TRUE(photo->ExifRead) << qPrintable(photo->FileName);
            EXPECT_TRUE(photo->ThumbnailLoaded) << qPrintable(photo->FileName);
        }
    }
}

TEST_F(AlbumModel, FiltersAreSortedAsThePageShowsThem) {
    for (const char* dated : {"20240501", "202312", "misc", "20231130"})
        Folder.MakeDir(QString::fromLatin1(dated));
    TPhotoTagList tags;
    tags.Add(May, QStringLiteral("a.JPG"), QStringLiteral("nasu,Kabu,トマト"));
    tags.Add(May, QStringLiteral("b.JPG"), QStringLiteral("aka,Nasu"));
    AddPhoto(May, QStringLiteral("a.JPG"));
    AddPhoto(May, QStringLiteral("b.JPG"));
    tags.SaveToFile(Folder.FilePath(PhotoLayout::TagFileName()));
    Album.OpenCurrentDir();

    Album.SortDatedFolders();
    QStringList folders;
    for (const TPhotoDir* dir : Album.PhotoDirList())
        folders.append(dir->Name);
    EXPECT_EQ(folders, (QStringList{"misc", "202312", "20231130", "20240501"}));

    const auto names = [this] {
        QStringList result;
        for (const TTag* tag : Album.TagList())
            result.append(tag->Name);
        return result;
    };
    Album.CollectTags();
    EXPECT_EQ(names(), (QStringList{"nasu", "Kabu", "トマト", "aka", "Nasu"}))
        << "the tag dialog's order: first appearance";
    Album.SortTags();
    EXPECT_EQ(names().mid(0, 2), (QStringList{"aka", "Kabu"}));
    EXPECT_EQ(names().last(), QStringLiteral("トマト")) << "double-byte names after ASCII";
}

TEST_F(AlbumModel, FavouriteAndTagChangesAreWrittenAtOnce) {
    MakeSaveFolder();
    Album.ListFolder(DatedFolder(May));
    struct TCase {
        const char* Name;
        std::function<void(AlbumModel&)> Change;
        QStringList Favourites;
        QStringList Tags;
    };
    const TCase cases[] = {
        {"mark a",
         [](AlbumModel& t) { t.Album.SetFavourite(*t.Listed(QStringLiteral("a.JPG")), true); },
         {"20240601/c.JPG", "20240501/b.JPG", "20240501/a.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato"}},
        {"unmark b",
         [](AlbumModel& t) { t.Album.SetFavourite(*t.Listed(QStringLiteral("b.JPG")), false); },
         {"20240601/c.JPG", "20240501/a.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato"}},
        {"tags for b, a new entry at the end",
         [](AlbumModel& t) {
             t.Album.SetTags(*t.Listed(QStringLiteral("b.JPG")), QStringLiteral("ナス,ナス"));
         },
         {"20240601/c.JPG", "20240501/a.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato", "b.JPG=ナス,ナス"}},
        {"every tag of a erased: the entry stays",
         [](AlbumModel& t) { t.Album.SetTags(*t.Listed(QStringLiteral("a.JPG")), QString()); },
         {"20240601/c.JPG", "20240501/a.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=", "b.JPG=ナス,ナス"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Change(*this);
        EXPECT_EQ(StoredFavourites(), c.Favourites);
        EXPECT_EQ(StoredTags(), c.Tags);
    }
    EXPECT_EQ(Listed(), (QStringList{"20240501/a.JPG * ", "20240501/b.JPG - ナス,ナス"}))
        << "the records follow the stores";
}

TEST_F(AlbumModel, DeleteTakesThePhotoOutOfBothStoresThenRemovesItsFiles) {
    enum TObstacle { None, NoTrash, FolderInPlace };
    struct TCase {
        const char* Name;
        QString Photo;
        TObstacle Obstacle;
        QStringList Listed;
        QStringList Favourites;
        QStringList Tags;
        bool DatedFolderLeft;
    };
    const TCase cases[] = {
        {"a favourite with tags",
         QStringLiteral("c.JPG"),
         None,
         {},
         {"20240501/b.JPG"},
         {"a.JPG=Tomato"},
         false},
        {"one photo of two",
         QStringLiteral("b.JPG"),
         None,
         {"20240501/a.JPG - Tomato"},
         {"20240601/c.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato"},
         true},
        {"no trash: the full-size file is deleted",
         QStringLiteral("b.JPG"),
         NoTrash,
         {"20240501/a.JPG - Tomato"},
         {"20240601/c.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato"},
         true},
        // A folder in the reduced copy's place cannot be removed as a file, not even by root.
        {"a photo that cannot be deleted: nothing changes",
         QStringLiteral("c.JPG"),
         FolderInPlace,
         {"20240601/c.JPG * tomato,ナス"},
         {"20240601/c.JPG", "20240501/b.JPG"},
         {"c.JPG=tomato,ナス", "a.JPG=Tomato"},
         true},
    };
    const QString trash = TestTrashDir();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QDir(Folder.Path()).removeRecursively();
        QDir().mkpath(Folder.Path());
        QDir(trash).removeRecursively();
        QFile::remove(trash.chopped(1));
        if (c.Obstacle == NoTrash) {
            // The user's trash folder cannot be made: a file holds its name.
            QFile file(trash.chopped(1));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        MakeSaveFolder();
        const QString dated = c.Photo == QStringLiteral("c.JPG") ? June : May;
        Album.ListFolder(DatedFolder(dated));
        const QString fullSize = DatedPath(dated) + c.Photo;
        const QByteArray fullBytes = Folder.ReadFile(dated + u'/' + c.Photo);
        const QString reduced = DatedPath(dated) + PhotoLayout::ReduceSubdir() + c.Photo;
        if (c.Obstacle == FolderInPlace) {
            QFile::remove(reduced);
            QDir().mkpath(reduced + QStringLiteral("/x"));
        }
        std::exception_ptr left;
        bool raised = false;
        try {
            left = Album.DeletePhoto(Listed(c.Photo));
        } catch (const Exception& error) {
            raised = true;
            EXPECT_EQ(error.Message(),
                      QStringLiteral("ファイル %1 を削除できません。フォルダです。").arg(reduced));
        }
        EXPECT_EQ(raised, c.Obstacle == FolderInPlace);
        EXPECT_FALSE(left);
        EXPECT_EQ(Listed(), c.Listed);
        EXPECT_EQ(StoredFavourites(), c.Favourites);
        EXPECT_EQ(StoredTags(), c.Tags);
        EXPECT_EQ(QFileInfo::exists(DatedPath(dated)), c.DatedFolderLeft);
        EXPECT_EQ(QFileInfo::exists(fullSize), c.Obstacle == FolderInPlace);
        // The full-size file can be restored from the trash; Qt never makes one of its own in
        // the working folder.
        QFile trashed(trash + QStringLiteral("files/") + c.Photo);
        EXPECT_EQ(trashed.open(QIODevice::ReadOnly) ? trashed.readAll() : QByteArray(),
                  c.Obstacle == None ? fullBytes : QByteArray());
        EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + QStringLiteral("/files/") + c.Photo));
        if (c.Obstacle != FolderInPlace) {
            for (const QString& sub : {PhotoLayout::ReduceSubdir(), PhotoLayout::ThumbnailSubdir()})
                EXPECT_FALSE(QFileInfo::exists(DatedPath(dated) + sub + c.Photo));
        }
    }
    QDir(trash).removeRecursively();
    QFile::remove(trash.chopped(1));
    EXPECT_TRUE(Messages.Messages().isEmpty());
}

// What the check refuses before anything changes, and its neighbours that it lets through. Root
// may write into every folder, so only an ordinary user sees the refusals.
TEST_F(AlbumModel, DeleteOutOfAReadOnlyFolderChangesNothing) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    struct TCase {
        const char* Name;
        QString Photo;
        QString ReadOnly;  // relative to the save folder
        QString Refused;   // the file or folder named, relative to the save folder; empty: deleted
    };
    const TCase cases[] = {
        {"reduce/ read-only", "b.JPG", "20240501/reduce", "20240501/reduce/b.JPG"},
        {"thumbnail/ read-only", "b.JPG", "20240501/thumbnail", "20240501/thumbnail/b.JPG"},
        {"the dated folder read-only", "b.JPG", "20240501", "20240501/b.JPG"},
        {"the save folder read-only, the dated folder emptied", "c.JPG", "", "20240601"},
        {"the save folder read-only, the dated folder kept", "b.JPG", "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::setPermissions(Folder.Path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(Folder.Path()).removeRecursively();
        QDir().mkpath(Folder.Path());
        MakeSaveFolder();
        const QString dated = c.Photo == QStringLiteral("c.JPG") ? June : May;
        Album.ListFolder(DatedFolder(dated));
        const QStringList favourites = StoredFavourites();
        const QStringList tags = StoredTags();
        const QString readOnly = Folder.Path() + c.ReadOnly;
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
        QString message;
        try {
            Album.DeletePhoto(Listed(c.Photo));
        } catch (const EWriteError& error) {
            message = error.Message();
        }
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (c.Refused.isEmpty()) {
            EXPECT_EQ(message, QString());
            EXPECT_EQ(Listed(c.Photo), nullptr);
            continue;
        }
        const QString kind =
            c.Refused.contains(u'.') ? QStringLiteral("ファイル") : QStringLiteral("フォルダ");
        EXPECT_EQ(message, QStringLiteral("%1 %2 を削除できません。アクセスが拒否されました。")
                               .arg(kind, Folder.Path() + c.Refused));
        EXPECT_NE(Listed(c.Photo), nullptr);
        EXPECT_EQ(StoredFavourites(), favourites);
        EXPECT_EQ(StoredTags(), tags);
        for (const QString& sub :
             {QString(), PhotoLayout::ReduceSubdir(), PhotoLayout::ThumbnailSubdir()})
            EXPECT_TRUE(QFileInfo::exists(DatedPath(dated) + sub + c.Photo)) << sub.toStdString();
    }
}

TEST_F(AlbumModel, QuarterTurnRewritesTheReducedCopyAndTheThumbnail) {
    const struct {
        const char* Name;
        int Angle;
        bool RedOnTop;  // the left half (red) ends on top after a right turn
    } cases[] = {{"left", 270, false}, {"right", 90, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = QString::fromLatin1(c.Name) + QStringLiteral(".JPG");
        AddPhoto(May, name, 600, 450);
        const QByteArray fullSize = Folder.ReadFile(May + u'/' + name);
        TPhoto photo;
        photo.InitFromFile(DatedPath(May), name, false, false);

        const TBitmap turned = TAlbum::TurnPhoto(photo, c.Angle);
        EXPECT_EQ(QSize(turned.Width(), turned.Height()), QSize(450, 600));
        const QImage reduced = ReadJpeg(photo.ReducedDir() + name);
        const QImage thumbnail = ReadJpeg(photo.ThumbnailDir() + name);
        EXPECT_EQ(reduced.size(), QSize(450, 600));
        EXPECT_EQ(thumbnail.size(), QSize(98, 130)) << "130 x 450 / 600 = 97.5, to even";
        EXPECT_EQ(IsRed(reduced.pixel(225, 10)), c.RedOnTop);
        EXPECT_EQ(IsRed(thumbnail.pixel(49, 5)), c.RedOnTop);
        EXPECT_TRUE(photo.ThumbnailLoaded);
        EXPECT_EQ(QSize(photo.Thumbnail.Width(), photo.Thumbnail.Height()), QSize(98, 130));
        EXPECT_EQ(Folder.ReadFile(May + u'/' + name), fullSize) << "the full-size file stays";
    }
}

// Files made read-only (as copies from a camera card often are) refuse a write even for root.
TEST_F(AlbumModel, ATurnThatCannotWriteOneCopyLeavesBothAsTheyWere) {
    for (const QString& refusing : {PhotoLayout::ReduceSubdir(), PhotoLayout::ThumbnailSubdir()}) {
        SCOPED_TRACE(refusing.toStdString());
        const QString name = refusing.left(1) + QStringLiteral(".JPG");
        AddPhoto(May, name, 600, 450);
        const QString blocked = DatedPath(May) + refusing + name;
        QFile::setPermissions(blocked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray reduced = Folder.ReadFile(May + u'/' + PhotoLayout::ReduceSubdir() + name);
        const QByteArray thumbnail =
            Folder.ReadFile(May + u'/' + PhotoLayout::ThumbnailSubdir() + name);
        TPhoto photo;
        photo.InitFromFile(DatedPath(May), name, false, false);
        try {
            TAlbum::TurnPhoto(photo, 90);
            ADD_FAILURE() << "turned";
        } catch (const EWriteError& error) {
            EXPECT_TRUE(error.Message().contains(blocked)) << error.Message().toStdString();
        }
        EXPECT_EQ(Folder.ReadFile(May + u'/' + PhotoLayout::ReduceSubdir() + name), reduced);
        EXPECT_EQ(Folder.ReadFile(May + u'/' + PhotoLayout::ThumbnailSubdir() + name), thumbnail);
        EXPECT_FALSE(photo.ThumbnailLoaded);
        for (const QString& sub : {PhotoLayout::ReduceSubdir(), PhotoLayout::ThumbnailSubdir()}) {
            EXPECT_EQ(
                QDir(DatedPath(May) + sub).entryList(QDir::Files | QDir::Hidden).filter("kavro"),
                QStringList())
                << "no temporary file stays";
        }
    }
}

TEST_F(AlbumModel, ATurnThatCannotReadTheReducedCopyWritesNothing) {
    AddPhoto(May, QStringLiteral("a.JPG"));
    Folder.WriteFile(May + QStringLiteral("/reduce/a.JPG"), "not a JPEG");
    const QByteArray thumbnail = Folder.ReadFile(May + QStringLiteral("/thumbnail/a.JPG"));
    TPhoto photo;
    photo.InitFromFile(DatedPath(May), QStringLiteral("a.JPG"), false, false);
    EXPECT_THROW(TAlbum::TurnPhoto(photo, 90), Exception);
    EXPECT_EQ(Folder.ReadFile(May + QStringLiteral("/reduce/a.JPG")), "not a JPEG");
    EXPECT_EQ(Folder.ReadFile(May + QStringLiteral("/thumbnail/a.JPG")), thumbnail);
    EXPECT_FALSE(photo.ThumbnailLoaded);
}

TEST(AlbumCaption, FolderCaptions) {
    // Only ASCII digits get the marks; no check is made that they make a real date.
    const std::pair<const char*, const char*> cases[] = {
        {"20240701", "2024年07月01日"}, {"202407", "2024年07月"},
        {"00000000", "0000年00月00日"}, {"abcdefgh", "abcdefgh"},
        {"トマト畑", "トマト畑"},       {"写真1234", "写真1234"},
        {"2024070a", "2024070a"},       {"２０２４０７", "２０２４０７"},
        {"2024 7 1", "2024 7 1"},       {"2024070", "2024070"},
        {"202407011", "202407011"},     {"", ""},
    };
    for (const auto& [name, caption] : cases)
        EXPECT_EQ(FormatFolderCaption(QString::fromUtf8(name)), QString::fromUtf8(caption)) << name;
}

}  // namespace
