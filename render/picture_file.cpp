#include "render/picture_file.h"

#include "render/graphics_error.h"
#include "render/pixel_rows.h"

#include <QFile>
#include <QImageReader>
#include <cstdint>
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

namespace {

uint32_t littleEndian(const QByteArray& bytes, int at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// Qt's BMP reader fills the rows of a file that ends early with black.
bool holdsAllPixelRows(QFile& file) {
    const std::optional<qint64> end = BmpPixelDataEnd(file.peek(kBmpHeaderBytes));
    return !end || *end <= file.size();
}

} // namespace

std::optional<qint64> BmpPixelDataEnd(const QByteArray& header) {
    if (header.size() < 26 || !header.startsWith("BM")) {
        return std::nullopt;
    }
    const qint64 offset = littleEndian(header, 10, 4);
    const uint32_t infoSize = littleEndian(header, 14, 4);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) { // the old header: 16-bit sides, no compression
        width = static_cast<int16_t>(littleEndian(header, 18, 2));
        height = static_cast<int16_t>(littleEndian(header, 20, 2));
        bits = littleEndian(header, 24, 2);
    } else if (infoSize >= 40 && header.size() >= 38) {
        width = static_cast<int32_t>(littleEndian(header, 18, 4));
        height = static_cast<int32_t>(littleEndian(header, 22, 4));
        bits = littleEndian(header, 28, 2);
        compression = littleEndian(header, 30, 4);
        imageSize = littleEndian(header, 34, 4);
    } else {
        return std::nullopt;
    }
    // Run-length data has no fixed size; its declared size is what it needs.
    const bool plain = compression == 0 || compression == 3 || compression == 6;
    if (!plain) {
        return imageSize == 0 ? std::nullopt : std::optional<qint64>(offset + imageSize);
    }
    if (width <= 0 || bits == 0 || bits > 32) {
        return std::nullopt; // refused by the reader anyway
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide || height < -kMaxPictureSide) {
        return std::nullopt; // refused by the size check, before any pixel is read
    }
    const int64_t stride = (width * bits + 31) / 32 * 4;
    return offset + stride * (height < 0 ? -height : height);
}

Bitmap LoadPictureFile(const QString& path, PixelFormatSetting format, ColourKey key) {
    QFile file(path);
    if (!OpenRegularFile(file)) {
        throw CannotOpenFileError(path.toStdString());
    }
    if (!holdsAllPixelRows(file)) {
        throw InvalidBitmapError();
    }
    // The format is fixed: left to guess, Qt would decode whatever the
    // content looks like (a JPEG of thousands of scans under a .bmp name).
    QImageReader reader(&file, "bmp");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
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
