#pragma once

#include <QSize>
#include <QString>

#include "imaging/Bitmap.h"

// Photos from phones and many cameras are stored as the sensor saw them, with an EXIF value that
// says how to turn or mirror the raster to see it upright. Reduced copies, thumbnails and
// previews are made the right way up; the full-size file stays as it was. The values are TIFF's:
//
//     1 as stored             2 mirrored left to right      3 half a turn
//     4 mirrored top to bottom  5 mirrored along the main diagonal
//     6 a quarter turn clockwise  7 mirrored along the other diagonal
//     8 a quarter turn anticlockwise

// The orientation of the JPEG file from its EXIF block; 1 when it has none or it cannot be
// read. Never raises.
int ReadOrientation(const QString& path);

// The size of a width x height raster as the orientation shows it.
QSize ShownSize(int width, int height, int orientation);

// The picture as the orientation shows it, fitted into the box as FitSize fits it (never
// enlarged), picked nearest-neighbour as WriteJpeg picks its pixels. Only the small result is
// made: the full-size raster is never turned.
TBitmap ShownPicture(const TBitmap& picture, int orientation, int maxWidth, int maxHeight);

// WriteReduced of the picture as the orientation shows it.
void WriteShownReduced(const TBitmap& picture, int orientation, int maxWidth, int maxHeight,
                       const QString& fileName);
