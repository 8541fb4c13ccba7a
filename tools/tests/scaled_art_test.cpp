// The pictures at every zoom level: today's 100 % pictures pinned byte for
// byte, the larger ones checked for size and for the geometry the renderer
// relies on.
#include "felt_background.h"
#include "logo_picture.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QImage>
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
    EXPECT_EQ(Checksum(tiles.sheet), 0x26820f43675e2362u) << std::hex << Checksum(tiles.sheet);
    EXPECT_EQ(Checksum(tiles.frame), 0xfb2c88a528fef1f0u) << std::hex << Checksum(tiles.frame);
    EXPECT_EQ(Checksum(makeFeltBackground()), 0xaa0e4126aa623d29u)
        << std::hex << Checksum(makeFeltBackground());
    EXPECT_EQ(Checksum(makeLogo(tiles)), 0xd8bf8103e9fb4d4cu)
        << std::hex << Checksum(makeLogo(tiles));
}

} // namespace
} // namespace kelmar::art
