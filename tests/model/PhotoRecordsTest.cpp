#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cerrno>

#include "model/PhotoRecords.h"
#include "model/PhotoRemoval.h"
#include "platform/Exception.h"
#include "tests/support/ExifBuilder.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

const QString Dated = QStringLiteral("20240701");

// A full-size file for the EXIF reader; the scan data is filler.
QByteArray FullSize(const QByteArray& shot, const QByteArray& changed) {
    TExifBuilder exif;
    if (!shot.isEmpty())
        exif.Ascii(TExifDir::Exif, 0x9003, shot);
    if (!changed.isEmpty())
        exif.Ascii(TExifDir::Ifd0, 0x0132, changed);
    exif.Ascii(TExifDir::Ifd0, 0x010F, "KavroCam");
    return JpegBytes::Jpeg({exif.App1()});
}

// An EXIF block in a file that ends before any frame header: the reader raises.
QByteArray BrokenFullSize() {
    return QByteArray("\xFF\xD8", 2) + TExifBuilder().Ascii(TExifDir::Ifd0, 0x0132, "x").App1() +
           QByteArray("\xFF\xD9", 2);
}

class PhotoRecords : public ::testing::Test {
protected:
    QString DatedPath() const { return Folder.Path() + Dated + u'/'; }
    // The full-size file, its reduced copy and its thumbnail (a real JPEG of 40 x 30).
    void AddPhoto(const QString& name, const QByteArray& fullSize = FullSize({}, {})) {
        Folder.WriteFile(Dated + u'/' + name, fullSize);
        Folder.WriteFile(Dated + QStringLiteral("/reduce/") + name, "reduced");
        TJpegBuilder(40, 30).WriteTo(Folder.MakeDir(Dated + QStringLiteral("/thumbnail")) + u'/' +
                                     name);
    }
    QStringList FileNames(const TPhotoList& list) const {
        QStringList names;
        for (const TPhoto* photo : list)
            names.append(photo->FileName);
        return names;
    }

    TTestFolder Folder;
    TRecordedMessages Recorded;
};

TEST_F(PhotoRecords, AFolderListsThePhotosWhoseReducedCopyExists) {
    AddPhoto(QStringLiteral("IMG_1.JPG"));
    Folder.WriteFile(Dated + QStringLiteral("/IMG_2.JPG"), "full size only");
    Folder.WriteFile(Dated + QStringLiteral("/reduce/note.png"), "x");
    Folder.WriteFile(Dated + QStringLiteral("/reduce/sub/IMG_3.JPG"), "x");
    TPhotoList list;
    list.LoadFromDir(Folder.Path() + QStringLiteral("other/"), false, false);
    EXPECT_TRUE(list.IsEmpty());
    list.LoadFromDir(DatedPath(), false, false);
    ASSERT_EQ(list.Count(), 1);
    const TPhoto* photo = list[0];
    EXPECT_EQ(photo->FileName, QStringLiteral("IMG_1.JPG"));
    EXPECT_EQ(photo->DirPath, DatedPath());
    EXPECT_EQ(photo->Folder, Dated);
    EXPECT_EQ(photo->ReducedDir(), DatedPath() + QStringLiteral("reduce/"));
    EXPECT_EQ(photo->ThumbnailDir(), DatedPath() + QStringLiteral("thumbnail/"));
    EXPECT_TRUE(photo->NeedsExif());
    EXPECT_TRUE(photo->NeedsThumbnail());
    EXPECT_TRUE(photo->Thumbnail.IsEmpty());
    TPhoto other;
    other.InitFromFile(QStringLiteral("/srv/写真/20240102/"), QStringLiteral("a.JPG"), false,
                       false);
    EXPECT_EQ(other.Folder, QStringLiteral("20240102"));
}

TEST_F(PhotoRecords, TagAndFavouriteBuildersFollowStoreOrder) {
    TPhotoTagList tags;
    tags.Add(QStringLiteral("d2"), QStringLiteral("3.JPG"), QStringLiteral("TOMATO"));
    tags.Add(QStringLiteral("d1"), QStringLiteral("1.JPG"), QStringLiteral("tomato,キュウリ"));
    tags.Add(QStringLiteral("d1"), QStringLiteral("2.JPG"), QStringLiteral(" tomato"));
    TPhotoOkiniList okini;
    okini.Add(QStringLiteral("d1"), QStringLiteral("2.JPG"));
    okini.Add(QStringLiteral("d2"), QStringLiteral("3.JPG"));

    const QString save = Folder.Path();
    TPhotoList list;
    list.LoadByTag(save, QStringLiteral("Tomato"), false, false, tags);
    ASSERT_EQ(FileNames(list), (QStringList{"3.JPG", "1.JPG"}));
    EXPECT_EQ(list[0]->DirPath, save + QStringLiteral("d2/"));
    EXPECT_EQ(list[0]->Folder, QStringLiteral("d2"));
    EXPECT_FALSE(list[0]->Favourite);
    list.JoinTags(tags);
    list.JoinOkini(okini);
    EXPECT_EQ(list[1]->Tags, QStringLiteral("tomato,キュウリ"));
    EXPECT_TRUE(list[0]->Favourite);
    EXPECT_FALSE(list[1]->Favourite);

    list.LoadOkini(save, okini, false, false);
    ASSERT_EQ(FileNames(list), (QStringList{"2.JPG", "3.JPG"}));
    EXPECT_TRUE(list[0]->Favourite && list[1]->Favourite);
    EXPECT_EQ(list[0]->DirPath, save + QStringLiteral("d1/"));
    list.JoinTags(tags);
    EXPECT_EQ(list[0]->Tags, QStringLiteral(" tomato"));
}

TEST_F(PhotoRecords, JoinsTakeTheFirstEntryAndLeaveOrClearWhatTheStoresDoNotHold) {
    for (const char* name : {"a.JPG", "b.JPG", "c.JPG"})
        AddPhoto(QString::fromUtf8(name));
    TPhotoList list;
    list.LoadFromDir(DatedPath(), false, false);
    ASSERT_EQ(list.Count(), 3);
    list[1]->Tags = QStringLiteral("kept");
    list[1]->Favourite = true;
    TPhotoTagList tags;
    tags.Add(Dated, QStringLiteral("a.JPG"), QStringLiteral("first"));
    tags.Add(Dated, QStringLiteral("a.JPG"), QStringLiteral("second"));
    tags.Add(Dated, QStringLiteral("C.JPG"), QStringLiteral("other case"));
    tags.Add(QStringLiteral("20240702"), QStringLiteral("b.JPG"), QStringLiteral("other day"));
    TPhotoOkiniList okini;
    okini.Add(Dated, QStringLiteral("c.JPG"));
    list.JoinTags(tags);
    list.JoinOkini(okini);
    EXPECT_EQ(list[0]->Tags, QStringLiteral("first"));
    EXPECT_EQ(list[1]->Tags, QStringLiteral("kept"));
    EXPECT_TRUE(list[2]->Tags.isEmpty());
    EXPECT_FALSE(list[0]->Favourite);
    EXPECT_FALSE(list[1]->Favourite);
    EXPECT_TRUE(list[2]->Favourite);
}

struct TInfoCase {
    const char* Name;
    QByteArray FullSize;
    const char* Shot;
    const char* Changed;
};

class InfoTextTable : public PhotoRecords, public ::testing::WithParamInterface<TInfoCase> {};

TEST_P(InfoTextTable, GivesFiveLinesWithTheDatesOfTheFullSizeFile) {
    const TInfoCase& c = GetParam();
    AddPhoto(QStringLiteral("p.JPG"), c.FullSize);
    TPhotoList list;
    list.LoadFromDir(DatedPath(), false, false);
    ASSERT_EQ(list.Count(), 1);
    TPhoto& photo = *list[0];
    photo.Tags = QStringLiteral("トマト,収穫");
    photo.ReadExif();
    EXPECT_EQ(photo.ExifState(), TReadState::Read);
    const QStringList lines = photo.InfoText().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("場所：") + DatedPath(),
                                  QStringLiteral("ファイル：p.JPG"),
                                  QStringLiteral("撮影日：") + QString::fromUtf8(c.Shot),
                                  QStringLiteral("更新日時：") + QString::fromUtf8(c.Changed),
                                  QStringLiteral("タグ：トマト,収穫")}))
        << c.Name;
    EXPECT_FALSE(photo.InfoText().endsWith(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Files, InfoTextTable,
    ::testing::Values(TInfoCase{"both", FullSize("2024:05:01 07:08:09", "2024:06:02 10:11:12"),
                                "2024:05:01 07:08:09", "2024:06:02 10:11:12"},
                      TInfoCase{"shot only", FullSize("2024:05:01 07:08:09", {}),
                                "2024:05:01 07:08:09", ""},
                      TInfoCase{"no EXIF", JpegBytes::Jpeg({JpegBytes::App0Jfif()}), "", ""},
                      TInfoCase{"XMP only", JpegBytes::Jpeg({JpegBytes::XmpApp1()}), "", ""}),
    [](const ::testing::TestParamInfo<TInfoCase>& info) { return std::to_string(info.index); });

TEST_F(PhotoRecords, AMissingFullSizeFileIsReadAsHavingNoDates) {
    AddPhoto(QStringLiteral("p.JPG"));
    QFile::remove(DatedPath() + QStringLiteral("p.JPG"));
    Folder.MakeDir(Dated + QStringLiteral("/q.JPG"));
    for (const char* name : {"p.JPG", "q.JPG"}) {
        TPhoto photo;
        photo.InitFromFile(DatedPath(), QString::fromUtf8(name), false, false);
        photo.ShotDate = QStringLiteral("earlier");
        photo.ReadExif();
        EXPECT_TRUE(photo.ExifRead) << name;
        EXPECT_EQ(photo.ShotDate, QStringLiteral("earlier"));
        EXPECT_TRUE(photo.UpdateDate.isEmpty());
    }
}

TEST_F(PhotoRecords, AFailedReadIsRaisedOnceAndRememberedUntilItSucceeds) {
    AddPhoto(QStringLiteral("p.JPG"), BrokenFullSize());
    Folder.WriteFile(Dated + QStringLiteral("/thumbnail/p.JPG"), "not a JPEG");
    TPhotoList list;
    list.LoadFromDir(DatedPath(), false, false);
    TPhoto& photo = *list[0];
    EXPECT_THROW(photo.ReadExif(), Exception);
    EXPECT_THROW(photo.LoadThumbnail(), EJPEG);
    EXPECT_FALSE(photo.ExifRead);
    EXPECT_FALSE(photo.ThumbnailLoaded);
    EXPECT_EQ(photo.ExifState(), TReadState::Failed);
    EXPECT_EQ(photo.ThumbnailState(), TReadState::Failed);
    EXPECT_FALSE(photo.NeedsExif());
    EXPECT_FALSE(photo.NeedsThumbnail());
    EXPECT_FALSE(photo.ExifError.isEmpty());
    EXPECT_TRUE(photo.ThumbnailError.startsWith(photo.ThumbnailDir() + QStringLiteral("p.JPG：")))
        << photo.ThumbnailError.toStdString();
    EXPECT_TRUE(photo.ThumbnailError.contains(QStringLiteral("JPEG エラー #")));

    Folder.WriteFile(Dated + QStringLiteral("/p.JPG"), FullSize("2024:01:02 03:04:05", {}));
    TJpegBuilder(40, 30).WriteTo(photo.ThumbnailDir() + QStringLiteral("p.JPG"));
    photo.ReadExif();
    photo.LoadThumbnail();
    EXPECT_EQ(photo.ExifState(), TReadState::Read);
    EXPECT_EQ(photo.ThumbnailState(), TReadState::Read);
    EXPECT_TRUE(photo.ExifError.isEmpty() && photo.ThumbnailError.isEmpty());
    EXPECT_EQ(photo.ShotDate, QStringLiteral("2024:01:02 03:04:05"));
    EXPECT_EQ(photo.Thumbnail.Width(), 40);

    // A reload that fails keeps the picture the row showed.
    QFile::remove(photo.ThumbnailDir() + QStringLiteral("p.JPG"));
    EXPECT_THROW(photo.LoadThumbnail(), EFOpenError);
    EXPECT_EQ(photo.Thumbnail.Width(), 40);
    EXPECT_EQ(photo.ThumbnailState(), TReadState::Failed);
}

TEST_F(PhotoRecords, BuildersThatReadEverythingListEveryPhotoWhateverFails) {
    AddPhoto(QStringLiteral("a.JPG"), FullSize("2024:01:01 00:00:00", {}));
    AddPhoto(QStringLiteral("b.JPG"), BrokenFullSize());
    AddPhoto(QStringLiteral("c.JPG"));
    QFile::remove(DatedPath() + QStringLiteral("thumbnail/c.JPG"));
    TPhotoList list;
    list.LoadFromDir(DatedPath(), true, true);
    ASSERT_EQ(FileNames(list), (QStringList{"a.JPG", "b.JPG", "c.JPG"}));
    EXPECT_EQ(list[0]->ShotDate, QStringLiteral("2024:01:01 00:00:00"));
    EXPECT_EQ(list[0]->ThumbnailState(), TReadState::Read);
    EXPECT_EQ(list[1]->ExifState(), TReadState::Failed);
    EXPECT_EQ(list[1]->ThumbnailState(), TReadState::Read);
    EXPECT_EQ(list[2]->ExifState(), TReadState::Read);
    EXPECT_EQ(list[2]->ThumbnailState(), TReadState::Failed);

    TPhotoOkiniList okini;
    okini.Add(Dated, QStringLiteral("b.JPG"));
    okini.Add(Dated, QStringLiteral("a.JPG"));
    list.LoadOkini(Folder.Path(), okini, true, false);
    ASSERT_EQ(FileNames(list), (QStringList{"b.JPG", "a.JPG"}));
    EXPECT_EQ(list[0]->ExifState(), TReadState::Failed);
    EXPECT_EQ(list[1]->ExifState(), TReadState::Read);
    EXPECT_EQ(list[1]->ThumbnailState(), TReadState::NotRead);
}

struct TDeleteCase {
    const char* Name;
    QStringList Others;      // files put beside the photo, relative to the dated folder
    bool NoThumbnailFolder;  // "thumbnail/" is gone before the delete
    QStringList Left;        // what the dated folder holds afterwards; empty: it is gone
};

class DeleteTable : public PhotoRecords, public ::testing::WithParamInterface<TDeleteCase> {};

TEST_P(DeleteTable, RemovesThePhotosFilesAndTheFoldersLeftEmpty) {
    const TDeleteCase& c = GetParam();
    Folder.WriteFile(QStringLiteral("save.txt"), "beside the dated folder");
    AddPhoto(QStringLiteral("p.JPG"));
    for (const QString& other : c.Others)
        Folder.WriteFile(Dated + u'/' + other, "x");
    if (c.NoThumbnailFolder)
        QDir(DatedPath() + QStringLiteral("thumbnail")).removeRecursively();
    TPhotoList list;
    list.LoadFromDir(DatedPath(), false, false);
    ASSERT_EQ(FileNames(list).first(), QStringLiteral("p.JPG"));
    // A folder that still holds something stays with it, and nothing is said.
    const TPhotoFilesRemoval removal = DeletePhotoFiles(*list[0]);
    EXPECT_TRUE(removal.Removed) << c.Name;
    EXPECT_FALSE(removal.Failure) << c.Name;
    QStringList left;
    for (QDirIterator it(DatedPath(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        left.append(it.next().mid(DatedPath().size()));
    }
    left.sort();
    EXPECT_EQ(left, c.Left) << c.Name;
    EXPECT_EQ(Folder.Exists(Dated), !c.Left.isEmpty()) << c.Name;
    EXPECT_TRUE(Folder.Exists(QStringLiteral("save.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DeleteTable,
    ::testing::Values(
        TDeleteCase{"the only photo", {}, false, {}},
        TDeleteCase{
            "a full-size file without copies beside it", {"other.JPG"}, false, {"other.JPG"}},
        TDeleteCase{"another photo",
                    {"q.JPG", "reduce/q.JPG", "thumbnail/q.JPG"},
                    false,
                    {"q.JPG", "reduce", "reduce/q.JPG", "thumbnail", "thumbnail/q.JPG"}},
        TDeleteCase{"a thumbnail without its photo",
                    {"thumbnail/old.JPG"},
                    false,
                    {"reduce", "thumbnail", "thumbnail/old.JPG"}},
        TDeleteCase{"no thumbnail folder", {}, true, {}}),
    [](const ::testing::TestParamInfo<TDeleteCase>& info) { return std::to_string(info.index); });

TEST_F(PhotoRecords, ARecordNamingFilesOutsideItsFolderDeletesNothing) {
    AddPhoto(QStringLiteral("p.JPG"));
    Folder.WriteFile(QStringLiteral("victim.JPG"), "x");
    Folder.WriteFile(QStringLiteral("reduce/victim.JPG"), "x");
    struct TCase {
        QString DirPath;
        QString Folder;
        QString FileName;
    };
    const QString save = Folder.Path();
    for (const TCase& c :
         {TCase{DatedPath(), Dated, QStringLiteral("../victim.JPG")},
          TCase{DatedPath(), Dated, QStringLiteral("..")},
          TCase{save, QString(), QStringLiteral("victim.JPG")},
          TCase{save + QStringLiteral("./"), QStringLiteral("."), QStringLiteral("victim.JPG")},
          TCase{save, Dated, QStringLiteral("victim.JPG")}}) {
        TPhoto photo;
        photo.DirPath = c.DirPath;
        photo.Folder = c.Folder;
        photo.FileName = c.FileName;
        const TPhotoFilesRemoval removal = DeletePhotoFiles(photo);
        EXPECT_FALSE(removal.Removed) << qPrintable(c.DirPath + c.FileName);
        if (!removal.Failure) {
            ADD_FAILURE() << qPrintable(c.DirPath + c.FileName);
            continue;
        }
        try {
            std::rethrow_exception(removal.Failure);
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), EINVAL);
        } catch (...) {
            ADD_FAILURE() << qPrintable(c.DirPath + c.FileName);
        }
    }
    EXPECT_TRUE(Folder.Exists(QStringLiteral("victim.JPG")));
    EXPECT_TRUE(Folder.Exists(QStringLiteral("reduce/victim.JPG")));
    EXPECT_TRUE(Folder.Exists(Dated + QStringLiteral("/p.JPG")));
}

// The listing, the stores and the delete agree about a name with a backslash: an ordinary
// character here.
TEST_F(PhotoRecords, ABackslashNameIsListedTaggedMarkedAndDeleted) {
    const QString name = QStringLiteral("a\\b.JPG");
    AddPhoto(name);
    TPhotoTagList tags;
    tags.Add(Dated, name, QStringLiteral("トマト"));
    TPhotoOkiniList okini;
    okini.Add(Dated, name);
    tags.SaveToFile(Folder.FilePath(QStringLiteral("tag.xml")));
    okini.SaveToFile(Folder.FilePath(QStringLiteral("okini.xml")));
    tags.LoadFromFile(Folder.FilePath(QStringLiteral("tag.xml")));
    okini.LoadFromFile(Folder.FilePath(QStringLiteral("okini.xml")));

    TPhotoList list;
    list.LoadFromDir(DatedPath(), false, false);
    list.JoinTags(tags);
    list.JoinOkini(okini);
    ASSERT_EQ(FileNames(list), QStringList{name});
    EXPECT_EQ(list[0]->Tags, QStringLiteral("トマト"));
    EXPECT_TRUE(list[0]->Favourite);
    EXPECT_TRUE(DeletePhotoFiles(*list[0]).Removed);
    EXPECT_FALSE(Folder.Exists(Dated));
    EXPECT_TRUE(Recorded.Messages().isEmpty());
}

}  // namespace
