// The tile sets and felts beside the classic ones: what each must keep of
// the game's rules whatever it looks like.
#include "art_files.h"
#include "colour_vision.h"
#include "core/zoom.h"
#include "format_review.h"
#include "image_checks.h"
#include "render/looks.h"
#include "tile_sets.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelmar::art {
namespace {

QImage face(const QImage& sheet, int kind) {
    return sheet.copy(QRect(sheetCellOrigin(kind), QSize(kFaceWidth, kFaceHeight)));
}

int blackPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test::isPureBlack(image.pixel(x, y)) ? 1 : 0;
    return count;
}

class EachTileSet : public ::testing::TestWithParam<std::size_t> {
protected:
    const TileSetArt& set() const { return tileSetArts()[GetParam()]; }
};

// The Device highlight is the set's own mask; a pale or dark set must not
// make the selected tile hard to see.
TEST_P(EachTileSet, HighlightsAsClearlyAsTheClassicSetAtEveryLevel) {
    for (int percent : kZoomLevels) {
        const HighlightDifference d = measureHighlight(makeSetSheet(set(), percent), percent);
        EXPECT_GE(d.mean, 30.0) << percent;
        EXPECT_GE(d.ring, 60.0) << percent;
    }
}

// The frame's black is transparent: the same pixels as the classic frame's
// must be black (same outline), and no others (a black inside the body
// would let the felt show through the tile).
TEST_P(EachTileSet, FramesKeepTheClassicShapeAndTransparency) {
    for (int percent : kZoomLevels) {
        const QImage frame = makeSetFrame(set(), percent);
        const QImage classic = makeTileFrame(percent);
        ASSERT_EQ(frame.size(), classic.size()) << percent;
        EXPECT_EQ(blackPixels(frame), blackPixels(classic)) << percent;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                ASSERT_EQ(test::isPureBlack(frame.pixel(x, y)),
                          test::isPureBlack(classic.pixel(x, y)))
                    << percent << " at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(TileSets, EachTileSet, ::testing::Range<std::size_t>(0, 4));

// Our sets beside the classic one tell every kind apart by shape and
// symbol: with the colour taken away, as a protanope or deuteranope sees
// it, any two faces still differ clearly in brightness over a good number
// of pixels (the classic set's closest pair, two flowers told apart by
// colour, has 20).
TEST(ColourBlindness, EveryNewSetKeepsAllKindsApartWithoutColour) {
    for (std::size_t s = 1; s < tileSetArts().size(); ++s) {
        const QImage sheet = makeSetSheet(tileSetArts()[s]);
        for (ColourVision vision : {ColourVision::Protanopia, ColourVision::Deuteranopia}) {
            const QImage seen = simulateColourVision(sheet, vision);
            for (int a = 1; a <= 42; ++a)
                for (int b = a + 1; b <= 42; ++b)
                    EXPECT_GE(pixelsApartInLuminance(face(seen, a), face(seen, b)), 40)
                        << tileSetArts()[s].shortName.toStdString() << " kinds " << a << ", " << b;
        }
    }
}

TEST(ColourBlindness, SimulationKeepsGreysAndMergesRedWithGreen) {
    QImage picture(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(128, 128, 128));
    picture.setPixel(1, 0, qRgb(200, 60, 40));
    picture.setPixel(2, 0, qRgb(90, 120, 40));
    for (ColourVision vision : {ColourVision::Protanopia, ColourVision::Deuteranopia}) {
        const QImage seen = simulateColourVision(picture, vision);
        const QRgb grey = seen.pixel(0, 0);
        EXPECT_NEAR(qRed(grey), 128, 2);
        EXPECT_NEAR(qGreen(grey), 128, 2);
        EXPECT_NEAR(qBlue(grey), 128, 2);
        // Red and olive, far apart in hue, come out as near the same yellow-brown.
        EXPECT_LT(deltaE76(seen.pixel(1, 0), seen.pixel(2, 0)),
                  deltaE76(picture.pixel(1, 0), picture.pixel(2, 0)) / 2);
    }
}

// Every set and felt the game offers lies in the game folder at every level
// with the sizes of the game's own pictures, so that a set switched to at
// any scale reads its own files.
TEST(LookFiles, EverySetAndFeltIsWrittenAtEveryLevel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(writeGameFiles(dir.path()), QString());
    const QDir game(dir.path());
    const auto size = [](const QString& path) { return QImageReader(path).size(); };
    for (int percent : kZoomLevels) {
        const auto file = [percent](const char* name) {
            return QString::fromStdString(ZoomedFileName(name, percent));
        };
        for (const LookChoice& set : BuiltInTileSets())
            for (const char* name : {"KLTiles.bmp", "KLTFrame.bmp"})
                EXPECT_EQ(size(QDir(game.filePath(set.Folder)).filePath(file(name))),
                          size(game.filePath(file(name))))
                    << set.ShortName.toStdString() << " " << file(name).toStdString();
        for (const LookChoice& felt : BuiltInBackgrounds())
            EXPECT_EQ(size(QDir(game.filePath(felt.Folder)).filePath(file("KLBack.bmp"))),
                      size(game.filePath(file("KLBack.bmp"))))
                << felt.ShortName.toStdString() << " " << percent;
    }
}

} // namespace
} // namespace kelmar::art
