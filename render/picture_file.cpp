#include "render/picture_file.h"

#include "render/graphics_error.h"
#include "render/pixel_rows.h"

#include <QFile>
#include <QImageReader>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelmar {

bool OpenRegularFile(QFile& file) {
    // O_NONBLOCK: opening a pipe nobody writes to would wait for a writer.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

Bitmap LoadPictureFile(const QString& path, PixelFormatSetting format, ColourKey key) {
    QFile file(path);
    if (!OpenRegularFile(file)) {
        throw CannotOpenFileError(path.toStdString());
    }
    QImageReader reader(&file);
    // Checked before decoding where the format declares its size (BMP does);
    // otherwise after, within Qt's own allocation limit.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)) {
        throw InvalidBitmapError();
    }
    const QImage image = reader.read();
    if (image.isNull() || image.width() > kMaxPictureSide || image.height() > kMaxPictureSide) {
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
