#include "art_files.h"
#include "felt_background.h"
#include "image_checks.h"
#include "logo_picture.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelmar::art {
namespace {

using test::meanDifference;

// The board repeats the background from the top-left corner; a seam shows
// as a jump between the last and the first column (or row) that is larger
// than the usual step between neighbours inside the picture.
TEST(FeltBackground, RepeatsWithoutASeam) {
    const QImage felt = makeFeltBackground();
    ASSERT_EQ(felt.size(), QSize(kFeltSize, kFeltSize));
    const int n = kFeltSize;
    double inner = 0;
    for (int x = 0; x + 1 < n; ++x)
        inner += meanDifference(felt, QRect(x, 0, 1, n), felt, QRect(x + 1, 0, 1, n));
    inner /= n - 1;
    const double seamX = meanDifference(felt, QRect(n - 1, 0, 1, n), felt, QRect(0, 0, 1, n));
    const double seamY = meanDifference(felt, QRect(0, n - 1, n, 1), felt, QRect(0, 0, n, 1));
    EXPECT_LT(seamX, 1.5 * inner);
    EXPECT_LT(seamY, 1.5 * inner);
}

TEST(FeltBackground, IsTheSameOnEveryBuildAndCalm) {
    const QImage felt = makeFeltBackground();
    EXPECT_EQ(felt, makeFeltBackground());
    EXPECT_NE(felt, makeFeltBackground(1234));
    // Calm: no pixel strays far from the mean colour.
    const double mean = test::meanLuminance(felt, felt.rect());
    EXPECT_LT(test::maxLuminance(felt, felt.rect()) - mean, 20);
}

// White text lines with a one-pixel black outline are written into the
// lower-left corner of the logo; they need a dark, quiet ground.
TEST(Logo, LeavesTheLowerLeftCornerDarkForTheTextLines) {
    const QImage logo = makeLogo({makeTileSheet(), makeTileFrame()});
    ASSERT_EQ(logo.size(), QSize(640, 480));
    const QRect corner(0, 390, 260, 90);
    EXPECT_LT(test::meanLuminance(logo, corner), 40);
    EXPECT_LT(test::maxLuminance(logo, corner), 90);
    // ... while the picture as a whole is not empty.
    EXPECT_GT(test::maxLuminance(logo, logo.rect()), 200);
}

class GameFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(writeGameFiles(dir.path()), QString());
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

// The game's BMP loader is our own conversion; it is fed 24-bit pictures.
int bmpBitsPerPixel(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = file.read(30);
    if (header.size() < 30 || !header.startsWith("BM"))
        return -1;
    return static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8;
}

TEST_F(GameFiles, AreWrittenAs24BitBitmapsOfTheRightSize) {
    struct Expected {
        const char* name;
        QSize size;
    };
    const Expected files[] = {{"KLTiles.bmp", QSize(kSheetWidth, kSheetHeight)},
                              {"KLTFrame.bmp", QSize(kFrameWidth, kFrameHeight)},
                              {"KLBack.bmp", QSize(kFeltSize, kFeltSize)}};
    for (const Expected& f : files) {
        EXPECT_EQ(bmpBitsPerPixel(path(f.name)), 24) << f.name;
        EXPECT_EQ(QImageReader(path(f.name)).size(), f.size) << f.name;
    }
}

// The frame's transparency is the exact colour 0: the file must keep black
// black and every other pixel off black.
TEST_F(GameFiles, KeepTheFramePixelExact) {
    const QImage stored = QImage(path("KLTFrame.bmp")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(stored, makeTileFrame());
    const QImage sheet = QImage(path("KLTiles.bmp")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(sheet, makeTileSheet());
}

TEST_F(GameFiles, WriteTheLogoAsA640By480Jpeg) {
    QImageReader reader(path("KLMRLogo.jpg"));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(640, 480));
    EXPECT_FALSE(reader.read().isNull());
}

TEST(GameFilesFailure, NamesTheFileThatCouldNotBeWritten) {
    const QString error = writeGameFiles(QStringLiteral("/nonexistent-kelmar-folder"));
    EXPECT_TRUE(error.contains(QStringLiteral("KLTiles.bmp"))) << error.toStdString();
}

} // namespace
} // namespace kelmar::art
