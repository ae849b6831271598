#pragma once

#include <QString>

#include "imaging/Bitmap.h"

class TTurboImage;

// The picture routines in their picture-box forms, for the windows that show a picture fitted
// into a box. They only size the box and hand it the picture; what is written goes through the
// bitmap routines of the model (model/Pictures.h).

// Sets the box's width and height to the fitted size (FitSize), then gives it the picture
// (shared, not copied; the caller may change its own picture afterwards). A box side of zero or
// less raises and leaves the box as it was.
void FitToBox(const TBitmap& picture, int maxWidth, int maxHeight, TTurboImage& box);

// Writes the box's picture drawn at the box's width x height (WriteJpeg of the model). A
// picture that is not a bitmap (a metafile, an icon) is drawn onto white first; a box without a
// picture writes the white raster alone.
void WriteJpeg(const TTurboImage& box, const QString& fileName);

// FitToBox, then WriteJpeg.
void WriteReduced(TTurboImage& box, int maxWidth, int maxHeight, const QString& fileName,
                  const TBitmap& picture);
