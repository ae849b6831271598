#pragma once

#include <QString>
#include <exception>

struct TPhoto;

// What became of a photo's files after RemovePhotoFiles.
struct TPhotoFilesRemoval {
    // The reduced copy is gone, so the album no longer lists the photo. When false the photo is
    // still there and Failure says why.
    bool Removed = false;
    // The error to show the user, or null. With Removed set it names a dated folder that emptied
    // but could not be removed; the photo itself is gone all the same.
    std::exception_ptr Failure;
};

// DeletePhotoFiles as the delete command needs it. A dated folder that still holds something
// after the photo's files went (a file the user keeps there, a stray thumbnail) is simply kept,
// with whatever it holds: the photo is deleted and there is nothing to report. A reduced copy
// that could not be removed means the photo was not deleted: that is reported with the file and
// the system's reason ("ファイル %s を削除できません。%s").
TPhotoFilesRemoval RemovePhotoFiles(const TPhoto& photo);
