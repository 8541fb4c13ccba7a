// Decoding a JPEG file with libjpeg.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <QString>

namespace kelmar {

// Decodes the file into the top-left corner of `target`, in its format,
// keeping what fits (the rest is never drawn; rows below are not decoded).
// Grey and colour JPEGs are accepted. Throws GraphicsError: "Cannot open file
// <path>" when the file cannot be opened, "JPEG error #<code>" with libjpeg's
// message code when decoding fails; `target` is then exactly as it was: the
// file is proven decodable first and only then decoded again straight into
// `target`, so no decoded copy is ever held. Warnings (e.g. a truncated file)
// are not errors: the picture is completed as libjpeg does (grey). Never
// leaks on failure.
void DecodeJpegFileInto(const QString& path, Bitmap& target);

// Decodes the file and draws it scaled by `to`/`from` (percentages; the
// sizes rounded down, at least 1) into the top-left corner of `target`, in
// its format, keeping what fits. Bilinear, row by row as the rows are
// decoded, so that no decoded copy of the picture is held (a logo of the
// 250 % level is 7.7 MB). The same errors, and the same promise that a
// failure leaves `target` as it was, as DecodeJpegFileInto.
void DecodeJpegFileScaledInto(const QString& path, Bitmap& target, int from, int to);

// Decodes bytes in memory into a new Bitmap of `format`, at most `maxWidth` x
// `maxHeight` of its top-left part; the same errors, no "Cannot open" one.
Bitmap DecodeJpegBytes(const unsigned char* data, unsigned long size, PixelFormatSetting format,
                       int maxWidth, int maxHeight);

} // namespace kelmar
