#pragma once

#include <QString>
#include <exception>

#include "imaging/Bitmap.h"
#include "model/OkiniStore.h"
#include "model/PhotoFolders.h"
#include "model/PhotoRecords.h"
#include "model/PhotoSetting.h"
#include "model/TagStore.h"

// The album without its window: the open save folder's lists and the photo commands. The album
// page shows what it holds and asks it to change; the viewer reaches it through the page.
//
//     TAlbum album(setting);
//     album.SetCurrentDir(saveDir);
//     album.OpenCurrentDir();                     // dated folders, favourites, tags
//     album.ReloadDatedFolders();
//     album.SortDatedFolders();                   // the folder filter's order
//     album.ListFolder(album.PhotoDirList().Last());
//     album.SetFavourite(*album.PhotoList()[0], true);   // "okini.xml" written at once
//
// Every list owns its elements: listing again frees the photos listed before, so a caller lets
// go of every photo it holds (grid rows, the viewer's photo) before it lists again.
//
// The stores report their own load and save failures (Messages) and the command goes on, the
// change kept in memory; other failures are raised as the program's Exception kinds.
class TAlbum {
public:
    // The setting decides whether the list builders read every photo at once
    // (ThumbnailDrawAll); it must outlive the album.
    explicit TAlbum(const TPhotoSetting& setting);

    // The open save folder, ending in '/'.
    const QString& CurrentDir() const { return FCurrentDir; }
    void SetCurrentDir(const QString& dir) { FCurrentDir = dir; }

    TPhotoDirList& PhotoDirList() { return FPhotoDirList; }
    const TPhotoDirList& PhotoDirList() const { return FPhotoDirList; }
    TPhotoOkiniList& PhotoOkiniList() { return FPhotoOkiniList; }
    const TPhotoOkiniList& PhotoOkiniList() const { return FPhotoOkiniList; }
    TPhotoTagList& PhotoTagList() { return FPhotoTagList; }
    const TPhotoTagList& PhotoTagList() const { return FPhotoTagList; }
    TPhotoList& PhotoList() { return FPhotoList; }
    const TPhotoList& PhotoList() const { return FPhotoList; }
    TTagList& TagList() { return FTagList; }
    const TTagList& TagList() const { return FTagList; }

    // Loads the open folder's dated folders, "okini.xml" and "tag.xml". A folder that is missing
    // simply has none of them. The photo list is left as it is.
    void OpenCurrentDir();

    // The folder filter: every subfolder of the open folder, anew.
    void ReloadDatedFolders();
    // Sorts the dated folders by the numeric value of their names (CompareDirNumber).
    void SortDatedFolders();
    // The tag names of the tag store in the order of their first appearance.
    void CollectTags();
    // Sorts the tag names in the tag filter's order (CompareTagName).
    void SortTags();

    // The list builders. Each clears the photo list first.
    // The photos of a dated folder of the open folder, with their tags and favourite marks; no
    // folder lists nothing.
    void ListFolder(const TPhotoDir* dir);
    // The photos that carry the tag, in tag store order, with their tags and marks; no tag lists
    // nothing.
    void ListTag(const TTag* tag);
    // The favourite photos in store order, each marked, with their tags.
    void ListFavourites();
    void ClearPhotos() { FPhotoList.Clear(); }

    // Marks or unmarks the photo in the store, writes "okini.xml" and then gives the record the
    // store's mark. A photo the store refuses raises, and store and record stay as they were.
    void SetFavourite(TPhoto& photo, bool favourite);
    // Gives the photo's entry the tag text and writes "tag.xml", then gives the record the text
    // as stored: the entry is changed in place, or added at the end when there is none. An entry
    // is never removed, so a photo whose tags were all erased keeps one with an empty text. A
    // photo the store refuses raises, and store and record stay as they were.
    void SetTags(TPhoto& photo, const QString& tags);

    // Deletes the photo: its entries leave "okini.xml" and "tag.xml" (each written when it held
    // one), then its files go (DeletePhotoFiles: the full-size file to the user's trash), then it
    // leaves the photo list, which frees it.
    //
    // First every file and folder the delete would remove is checked (CheckPhotoFilesRemovable):
    // when one cannot be removed, its error is raised and nothing at all has changed. When a
    // removal fails all the same and the photo is still there (its reduced copy left), its
    // entries are put back (at the end of each store, which is written again), the list keeps
    // it and the error is raised. Otherwise the result is null, or the error of an emptied dated
    // folder that could not be removed: the photo is gone all the same and the caller tells the
    // user.
    std::exception_ptr DeletePhoto(TPhoto* photo);

    // A quarter turn of the photo's copies, angle degrees clockwise (90 or 270; 180 turns
    // twice): the reduced copy is read, turned and written back at its new size, the thumbnail is
    // made anew from the turned picture (fitted into 130 x 130), and the photo's Thumbnail is
    // read back from the file just written. Returns the turned picture. The full-size file is
    // never touched. The two copies change together: both new files are written before either
    // replaces its old one, so a copy that cannot be written (EWriteError naming it) leaves both
    // as they were; a reduced copy that cannot be read (its error naming it) writes nothing.
    static TBitmap TurnPhoto(TPhoto& photo, int angle);

    static constexpr int ThumbnailBox = 130;

private:
    bool ReadAll() const { return FSetting.ThumbnailDrawAll; }
    void JoinStores();

    const TPhotoSetting& FSetting;
    QString FCurrentDir;
    TPhotoDirList FPhotoDirList;
    TPhotoOkiniList FPhotoOkiniList;
    TPhotoTagList FPhotoTagList;
    TPhotoList FPhotoList;
    TTagList FTagList;
};

// A dated folder's caption in the folder filter: eight ASCII digits yyyymmdd become
// "yyyy年mm月dd日" and six yyyymm become "yyyy年mm月"; any other name stays as it is.
QString FormatFolderCaption(const QString& name);

// The tag filter's order: the CP932 bytes compared with a-z taken as A-Z (the bytes of
// double-byte characters as they are). Negative, zero or positive.
int CompareTagName(const TTag* a, const TTag* b);
