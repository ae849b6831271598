#pragma once

#include <exception>

struct TPhoto;

// What became of a photo's files after DeletePhotoFiles.
struct TPhotoFilesRemoval {
    // The reduced copy is gone, so the album no longer lists the photo. When false the photo is
    // still there and Failure says why.
    bool Removed = false;
    // The error to show the user, or null. With Removed set it names a dated folder that emptied
    // but could not be removed; the photo itself is gone all the same.
    std::exception_ptr Failure;
};

// Raises, and changes nothing, when DeletePhotoFiles could not remove all it would: each of the
// photo's three files that exists, and the folders the delete would empty ("thumbnail/" and
// "reduce/" when "reduce/" holds nothing but the photo's copy, and the dated folder when it then
// holds nothing else either). An entry can be removed when the folder that holds it may be
// written and searched, and a file's place holds no folder; the error names the first that
// cannot ("ファイル %s を削除できません。%s", "フォルダ %s を削除できません。%s" with the system's
// reason, as EWriteError). A photo whose names could reach outside its dated folder gets
// EInOutError(EINVAL).
void CheckPhotoFilesRemovable(const TPhoto& photo);

// Deletes the photo's files, to be called once CheckPhotoFilesRemovable passed: the full-size
// file goes to the user's trash (QFile::moveToTrash), so that a photo deleted by mistake can be
// restored, or is deleted where there is no trash; then the thumbnail and the reduced copy are
// deleted. A file that is missing is passed over. When one cannot be removed all the same, the
// removals stop there: Failure names the file and the system's reason, and Removed tells
// whether the photo is gone (only a reduced copy still there keeps it).
//
// When "reduce/" then holds no files (CountFiles), removes "thumbnail/", "reduce/" and the dated
// folder, in this order, each only if it is empty; a folder already gone is passed over, and one
// that still holds something (a file the user keeps there, a stray thumbnail) is simply kept
// with it, without a word. Any other refusal to remove a folder ends the removals with Failure
// set to EInOutError ("I/O エラー (%d)" with errno).
//
// A photo whose names could reach outside its dated folder gets EInOutError(EINVAL) and nothing
// is touched.
TPhotoFilesRemoval DeletePhotoFiles(const TPhoto& photo);
