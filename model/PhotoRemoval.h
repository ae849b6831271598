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

// Deletes the photo's full-size file, thumbnail and reduced copy, in this order, passing over a
// full-size file or thumbnail that is missing or cannot be deleted. When "reduce/" then holds no
// files (CountFiles), removes "thumbnail/", "reduce/" and the dated folder, in this order, each
// only if it is empty; a folder already gone is passed over, and one that still holds something
// (a file the user keeps there, a stray thumbnail) is simply kept with it, without a word. Any
// other refusal to remove a folder ends the removals with Failure set to EInOutError
// ("I/O エラー (%d)" with errno).
//
// A reduced copy that cannot be removed means the photo was not deleted: Failure names the file
// and the system's reason ("ファイル %s を削除できません。%s"). A photo whose names could reach
// outside its dated folder gets EInOutError(EINVAL) and nothing is touched.
TPhotoFilesRemoval DeletePhotoFiles(const TPhoto& photo);
