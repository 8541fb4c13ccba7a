#include "render/picture_file.h"

#include "render/graphics_error.h"
#include "render/pixel_rows.h"

#include <QFile>
#include <QImageReader>
#include <vector>

namespace kelmar {

Bitmap LoadPictureFile(const QString& path, PixelFormatSetting format, ColourKey key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw CannotOpenFileError(path.toStdString());
    }
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide)) {
        throw InvalidBitmapError();
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        throw InvalidBitmapError();
    }
    return BitmapFromImage(image, format, key);
}

Bitmap BitmapFromImage(const QImage& image, PixelFormatSetting format, ColourKey key) {
    if (image.isNull() || image.width() > kMaxBitmapSide || image.height() > kMaxBitmapSide) {
        throw InvalidBitmapError();
    }
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) {
        throw InvalidBitmapError();
    }
    Bitmap bitmap(rgb.width(), rgb.height(), format);
    for (int y = 0; y < rgb.height(); ++y) {
        EncodeRow(bitmap.format(), reinterpret_cast<const uint32_t*>(rgb.constScanLine(y)), 0,
                  rgb.width(), bitmap.row(y), key);
    }
    return bitmap;
}

} // namespace kelmar
