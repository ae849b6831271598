#pragma once

#include <QString>

#include "imaging/Bitmap.h"
#include "model/OkiniStore.h"
#include "model/OwningList.h"
#include "model/PhotoLayout.h"
#include "model/TagStore.h"

// Where a photo's deferred read stands.
enum class TReadState {
    NotRead,  // not tried yet: the album reads it when it first draws the row
    Read,     // done (ExifRead or ThumbnailLoaded is set)
    Failed,   // the last attempt failed; its error was raised once and is kept in ...Error (an
              // earlier success leaves its flag and its values in place)
};

// One photo of the album list: the texts and the thumbnail of its grid row.
//
// The EXIF dates and the thumbnail are read on demand. ReadExif and LoadThumbnail raise the
// reader's or the decoder's error and leave ExifRead or ThumbnailLoaded off, but they also mark
// the photo as failed (ExifFailed, ThumbnailFailed, with the error's text), so that the album
// draws such a row once and moves on instead of failing again at every repaint:
//
//     // column 2 (text)
//     if (photo->NeedsExif()) {
//         try { photo->ReadExif(); }
//         catch (const Exception& error) { /* report error.Message() once, after painting */ }
//         cell text = photo->InfoText();   // the dates stay empty after a failure
//     }
//     // column 1 (thumbnail)
//     if (photo->NeedsThumbnail()) {
//         try { photo->LoadThumbnail(); }
//         catch (const Exception& error) { /* likewise */ }
//     }
//     if (photo->ThumbnailState() == TReadState::Failed)
//         draw a placeholder (ThumbnailError says why)
//
// With ThumbnailDrawAll on, the list builders read every photo at once and raise nothing: a
// photo whose read failed is in the list already marked failed, with its error's text.
//
// Both reads stay possible after a failure: calling them again tries again (the viewer's quarter
// turn reloads the thumbnail this way), and a success clears the failure.
struct TPhoto {
    QString FileName;  // the same in the dated folder, in "reduce/" and in "thumbnail/"
    QString DirPath;   // the dated folder's full path, ending in '/'
    QString Folder;    // the dated folder's name
    bool ExifRead = false;
    QString ShotDate;    // DateTimeOriginal (0x9003) as stored, empty when absent
    QString UpdateDate;  // DateTime (0x0132) as stored, empty when absent
    bool ThumbnailLoaded = false;
    TBitmap Thumbnail;  // empty until loaded
    bool Favourite = false;
    QString Tags;  // the tag text as the tag store holds it

    // Set when the last ReadExif or LoadThumbnail raised; the text is the error's.
    bool ExifFailed = false;
    QString ExifError;
    bool ThumbnailFailed = false;
    QString ThumbnailError;

    // dirPath: the dated folder, ending in '/'. Folder becomes its last name. Then ReadExif and
    // LoadThumbnail when asked (their errors are raised).
    void InitFromFile(const QString& dirPath, const QString& fileName, bool readExif,
                      bool readThumbnail);
    // saveDir: the save folder, ending in '/'. FileName is the file-name part of the entry's.
    void InitFromTag(const QString& saveDir, const TPhotoTag& entry, bool readExif,
                     bool readThumbnail);
    // As InitFromTag, and Favourite is set.
    void InitFromOkini(const QString& saveDir, const TPhotoOkini& entry, bool readExif,
                       bool readThumbnail);

    // Reads ShotDate and UpdateDate from the full-size file DirPath + FileName (never from a
    // copy: they carry no EXIF) and sets ExifRead, also when the file is missing or has no EXIF
    // block (the dates then stay as they were). An error of the EXIF reader is raised with
    // ExifRead left off and ExifFailed set.
    void ReadExif();
    // Decodes ThumbnailDir() + FileName into Thumbnail and sets ThumbnailLoaded. A missing or
    // undecodable file raises the decoder's error with ThumbnailLoaded left off, Thumbnail as it
    // was and ThumbnailFailed set.
    void LoadThumbnail();

    TReadState ExifState() const { return State(ExifRead, ExifFailed); }
    TReadState ThumbnailState() const { return State(ThumbnailLoaded, ThumbnailFailed); }
    // True while the read has been neither done nor tried in vain.
    bool NeedsExif() const { return ExifState() == TReadState::NotRead; }
    bool NeedsThumbnail() const { return ThumbnailState() == TReadState::NotRead; }

    // The five lines of the album grid, joined by CR LF, without a break after the last.
    QString InfoText() const;
    QString ReducedDir() const { return PhotoLayout::ReducedDirOf(DirPath); }
    QString ThumbnailDir() const { return PhotoLayout::ThumbnailDirOf(DirPath); }

private:
    static TReadState State(bool done, bool failed) {
        return failed ? TReadState::Failed : done ? TReadState::Read : TReadState::NotRead;
    }
    void InitFromEntry(const QString& saveDir, const QString& folder, const QString& fileName);
};

// The photos the album lists. Every builder clears the list first, freeing the earlier records.
//
// With readExif or readThumbnail set, a builder reads every photo at once. A photo whose read
// fails stays in the list, marked failed (TPhoto::ExifState, ThumbnailState), and the builder
// goes on: one broken file must not leave the rest of its folder unlisted. Nothing is raised.
class TPhotoList : public TOwningList<TPhoto> {
public:
    // The photos whose reduced copy is in dirPath + "reduce/" (".JPG", ".JPE", ".JPEG" in any
    // case), in the order ListFiles gives. dirPath ends in '/'.
    void LoadFromDir(const QString& dirPath, bool readExif, bool readThumbnail);
    // The entries of the tag store that carry the tag (CarriesTag), in store order.
    void LoadByTag(const QString& saveDir, const QString& tagName, bool readExif,
                   bool readThumbnail, const TPhotoTagList& tags);
    // Every entry of the favourites store, in store order, each with Favourite set.
    void LoadOkini(const QString& saveDir, const TPhotoOkiniList& okini, bool readExif,
                   bool readThumbnail);

    // Each photo with an entry in the tag store takes its Tags; the others keep theirs.
    void JoinTags(const TPhotoTagList& tags);
    // Each photo's Favourite becomes whether the favourites store holds it.
    void JoinOkini(const TPhotoOkiniList& okini);

private:
    TPhoto* AddPhoto();
    static void ReadAll(TPhoto& photo, bool readExif, bool readThumbnail);
};
