// Decoding a JPEG file with libjpeg.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <QString>

namespace kelmar {

// Decodes the file at full size into a Bitmap of `format`, keeping at most
// `maxWidth` x `maxHeight` pixels of its top-left part (the rest is never
// drawn; rows below are not decoded). Grey and colour JPEGs are accepted.
// Throws GraphicsError: "Cannot open file <path>" when the file cannot be
// opened, "JPEG error #<code>" with libjpeg's message code when decoding
// fails. Warnings (e.g. a truncated file) are not errors: the picture is
// completed as libjpeg does (grey). Never leaks on failure.
Bitmap DecodeJpegFile(const QString& path, PixelFormatSetting format, int maxWidth, int maxHeight);

// The same on bytes in memory (for the fuzz target); no "Cannot open" error.
Bitmap DecodeJpegBytes(const unsigned char* data, unsigned long size, PixelFormatSetting format,
                       int maxWidth, int maxHeight);

} // namespace kelmar
