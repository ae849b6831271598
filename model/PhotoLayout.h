#pragma once

#include <QString>

// The layout of a save folder, named in this one place:
//
//     save folder/
//         tag.xml                 the tag store
//         okini.xml               the favourites store
//         yyyymmdd/               a dated folder: the full-size files
//             reduce/             their reduced copies, under the same names
//             thumbnail/          their thumbnails, under the same names
//
// Folder names end in '/', as every folder path held in a field does.
namespace PhotoLayout {

inline QString ReduceSubdir() {
    return QStringLiteral("reduce/");
}
inline QString ThumbnailSubdir() {
    return QStringLiteral("thumbnail/");
}
inline QString TagFileName() {
    return QStringLiteral("tag.xml");
}
inline QString OkiniFileName() {
    return QStringLiteral("okini.xml");
}

// The folders of a dated folder's copies; datedDir ends in '/'.
inline QString ReducedDirOf(const QString& datedDir) {
    return datedDir + ReduceSubdir();
}
inline QString ThumbnailDirOf(const QString& datedDir) {
    return datedDir + ThumbnailSubdir();
}

}  // namespace PhotoLayout
