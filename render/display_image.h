// Turning a Bitmap into a QImage for the screen.
#pragma once

#include "core/geometry.h"
#include "render/bitmap.h"

#include <QImage>

namespace kelmar {

// Writes `src` into `dst` as QImage::Format_RGB32 of the same size, reusing
// dst's buffer when it already has that size and format. Device is one
// memcpy per row; Bits32 copies with the fourth byte forced to 0xFF; the
// other formats go through lookup tables.
void BitmapToImage(const Bitmap& src, QImage& dst);

// The same as a new image.
QImage BitmapToImage(const Bitmap& src);

// An image of `src` to draw on the screen, valid until `src` or `scratch`
// changes. Device bitmaps already are RGB32 rows: the image only points at
// their bytes (no copy, no memory). Other formats are converted into
// `scratch`, whose buffer is reused from call to call.
QImage DisplayImage(const Bitmap& src, QImage& scratch);

// The same for a paint that draws only inside `area` (picture pixels,
// clipped to it): only that part of `scratch` is converted, the rest keeps
// whatever earlier calls wrote there.
QImage DisplayImage(const Bitmap& src, QImage& scratch, const Rect& area);

} // namespace kelmar
