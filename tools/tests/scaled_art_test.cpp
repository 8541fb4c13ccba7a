// The pictures at every zoom level: today's 100 % pictures pinned byte for
// byte, the larger ones checked for size and for the geometry the renderer
// relies on.
#include "art_files.h"
#include "core/zoom.h"
#include "felt_background.h"
#include "logo_picture.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kelmar::art {
namespace {

// FNV-1a, 64 bits, over the pixels as 0xAARRGGBB words of RGB32.
uint64_t Checksum(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    uint64_t h = 0xCBF29CE484222325u;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            for (int shift = 0; shift < 32; shift += 8) {
                h = (h ^ ((row[x] >> shift) & 0xFF)) * 0x100000001B3u;
            }
        }
    }
    return h;
}

TEST(PicturesAt100Percent, AreTheSameAsBefore) {
    const TilePictures tiles{makeTileSheet(), makeTileFrame()};
    EXPECT_EQ(Checksum(tiles.sheet), 0x3ae0ef2b69baf468u) << std::hex << Checksum(tiles.sheet);
    EXPECT_EQ(Checksum(tiles.frame), 0xf0663e44f3d04624u) << std::hex << Checksum(tiles.frame);
    EXPECT_EQ(Checksum(makeFeltBackground()), 0x7e0cd5deec1c07bfu)
        << std::hex << Checksum(makeFeltBackground());
    EXPECT_EQ(Checksum(makeLogo(tiles)), 0xecf756eeddbf2cd5u)
        << std::hex << Checksum(makeLogo(tiles));
}

// The renderer draws the frame at the face position minus the face's place
// in the frame picture, and treats exactly the pure black pixels as
// transparent: at every level the face rectangle must be opaque, a pixel
// left of it and below it must be body, and the corners outside the body
// must be black.
TEST(PicturesAtEveryLevel, FrameHasTheFaceWhereTheRendererPutsIt) {
    for (int percent : kZoomLevels) {
        const TileFrameGeometry g = FrameGeometryAt(percent);
        const QImage frame = makeTileFrame(percent);
        ASSERT_EQ(frame.size(), QSize(g.Width, g.Height)) << percent;
        const QRect face(g.FaceLeft, g.FaceTop, ScaleLength(kFaceWidth, percent),
                         ScaleLength(kFaceHeight, percent));
        int blackInFace = 0;
        for (int y = face.top(); y <= face.bottom(); ++y)
            for (int x = face.left(); x <= face.right(); ++x)
                blackInFace += (frame.pixel(x, y) & 0xFFFFFF) == 0;
        EXPECT_EQ(blackInFace, 0) << percent;
        EXPECT_NE(frame.pixel(g.FaceLeft - 1, face.bottom()) & 0xFFFFFF, 0u) << percent;
        EXPECT_NE(frame.pixel(g.FaceLeft, face.bottom() + 1) & 0xFFFFFF, 0u) << percent;
        EXPECT_EQ(frame.pixel(0, 0) & 0xFFFFFF, 0u) << percent;
        EXPECT_EQ(frame.pixel(g.Width - 1, g.Height - 1) & 0xFFFFFF, 0u) << percent;
    }
}

// Every level draws the same design: shrunk back to 100 %, a face of the
// larger sheet is close to the 100 % face; and the mask keeps its rim.
TEST(PicturesAtEveryLevel, SheetShowsTheSameFacesAndMask) {
    const QImage base = makeTileSheet();
    for (int percent : {150, 200, 300}) {
        const QImage sheet = makeTileSheet(percent);
        ASSERT_EQ(sheet.size(),
                  QSize(ScaleLength(kSheetWidth, percent), ScaleLength(kSheetHeight, percent)));
        const QImage shrunk =
            sheet.scaled(base.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double difference = 0;
        for (int y = 0; y < base.height(); ++y)
            for (int x = 0; x < base.width(); ++x)
                difference += std::abs(qGray(shrunk.pixel(x, y)) - qGray(base.pixel(x, y)));
        EXPECT_LT(difference / (base.width() * base.height()), 12.0) << percent;
        const QPoint mask = sheetCellOrigin(0, percent);
        const int w = ScaleLength(kFaceWidth, percent);
        // The ring is kFaceRimWidth board pixels wide at every level.
        const QRgb ring = qRgb(0x00, 0x7F, 0xFF), tint = qRgb(0xF0, 0xE8, 0xFF);
        EXPECT_EQ(sheet.pixel(mask), ring) << percent;
        EXPECT_EQ(sheet.pixel(mask + QPoint(w / 2, ScaleLength(27, percent))), tint);
        EXPECT_EQ(highlightMaskColor((kFaceRimWidth * percent + 99) / 100 - 1, 30, percent), ring)
            << percent;
        EXPECT_EQ(highlightMaskColor((kFaceRimWidth * percent + 99) / 100, 30, percent), tint)
            << percent;
    }
}

TEST(PicturesAtEveryLevel, AreWrittenBesideTodaysFilesUnderTheirLevel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(writeGameFiles(dir.path()), QString());
    for (int percent : kZoomLevels) {
        const auto size = [&](const char* name) {
            return QImageReader(dir.filePath(QString::fromStdString(ZoomedFileName(name, percent))))
                .size();
        };
        const TileFrameGeometry g = FrameGeometryAt(percent);
        EXPECT_EQ(size("KLTiles.bmp"),
                  QSize(ScaleLength(kSheetWidth, percent), ScaleLength(kSheetHeight, percent)));
        EXPECT_EQ(size("KLTFrame.bmp"), QSize(g.Width, g.Height));
        EXPECT_EQ(size("KLBack.bmp"),
                  QSize(ScaleLength(kFeltSize, percent), ScaleLength(kFeltSize, percent)));
        EXPECT_EQ(size("KLMRLogo.jpg"),
                  QSize(ScaleLength(640, percent), ScaleLength(480, percent)));
    }
}

} // namespace
} // namespace kelmar::art
