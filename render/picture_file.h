// Reading picture files into Bitmaps.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <optional>

namespace kelmar {

// The largest picture the game reads, in pixels per side. The largest one it
// can use is a full-board picture (background, logo) at the highest zoom of
// 300 %: 1920 x 1440. 4096 leaves room for that and refuses a small
// compressed file that declares an enormous picture (5600 x 5600 would hold
// over 100 MiB decoded for the whole run). A picture at the limit takes
// 64 MiB as 32-bit pixels.
constexpr int kMaxPictureSide = 4096;

// Opens `file` (its fileName) read-only without blocking, for every file
// the game reads (pictures, help page): false when it
// cannot be opened or is no regular file (a pipe, device or socket would
// otherwise stop the program in open or read).
bool OpenRegularFile(QFile& file);

// Reads a BMP picture and converts it to `format` (ColourKey::Black for a
// picture drawn with black transparent: only its pure black pixels become
// colour value 0). Decoded as BMP only, whatever the content looks like.
// Throws GraphicsError: "Cannot open file <path>" when the file is missing,
// no regular file or cannot be opened for reading, "Bitmap image is not
// valid" when it holds no BMP picture, ends before its last pixel row or is
// larger than kMaxPictureSide in either direction. Reads the whole file
// every time.
// Bytes of a BMP header that BmpPixelDataEnd looks at.
constexpr int kBmpHeaderBytes = 38;

// Where the pixel rows of a BMP file end, from its first kBmpHeaderBytes:
// the data offset plus the rows of the declared width and height at the
// declared bits per pixel (rows padded to 4 bytes), or for run-length data
// the declared data size. nullopt when the header does not say (no "BM",
// an unknown header, run-length data without a size, an impossible width
// or depth: the decoder refuses those).
std::optional<qint64> BmpPixelDataEnd(const QByteArray& header);

Bitmap LoadPictureFile(const QString& path, PixelFormatSetting format,
                       ColourKey key = ColourKey::None);

// Converts a QImage (any format; alpha is dropped, not blended) to a Bitmap.
// Throws GraphicsError ("Bitmap image is not valid") for a null or oversized
// image.
Bitmap BitmapFromImage(const QImage& image, PixelFormatSetting format,
                       ColourKey key = ColourKey::None);

} // namespace kelmar
