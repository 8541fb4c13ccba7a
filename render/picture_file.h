// Reading picture files into Bitmaps.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <QImage>
#include <QString>

namespace kelmar {

// Reads any picture format Qt reads (BMP for the board pictures) and converts
// it to `format` (ColourKey::Black for a picture drawn with black
// transparent: only its pure black pixels become colour value 0). Throws GraphicsError: "Cannot
// open file <path>" when the file is missing or cannot be opened for reading, "Bitmap image is not
// valid" when it holds no picture Qt can decode or is larger than
// kMaxBitmapSide in either direction. Reads the whole file every time.
Bitmap LoadPictureFile(const QString& path, PixelFormatSetting format,
                       ColourKey key = ColourKey::None);

// Converts a QImage (any format; alpha is dropped, not blended) to a Bitmap.
// Throws GraphicsError ("Bitmap image is not valid") for a null or oversized
// image.
Bitmap BitmapFromImage(const QImage& image, PixelFormatSetting format,
                       ColourKey key = ColourKey::None);

} // namespace kelmar
