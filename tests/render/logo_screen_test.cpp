// The logo screen: JPEG decoding and its failures, the outlined lines and
// resuming the game.
#include "render/graphics_error.h"
#include "render/jpeg_decoder.h"
#include "render/logo_screen.h"
#include "render_test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar {
namespace {

class LogoScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        graphics_ = test::SyntheticGraphics(PixelFormatSetting::Bits24);
        graphics_.PictureFolder = dir_.path();
        *graphics_.BackBuffer = test::Noise(640, 480, PixelFormatSetting::Bits24, 2);
        graphics_.LogoLineCursor = 123;
        game_.Running = true;
    }
    QString logoPath() const { return QDir(dir_.path()).filePath(LogoFileName()); }
    void writeLogo(const QByteArray& bytes) {
        QFile file(logoPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Shows the logo expecting an error; checks nothing but Running changed.
    std::string failingShow() {
        const std::vector<uint8_t> before = test::Bytes(*graphics_.BackBuffer);
        std::string message;
        try {
            ShowLogoScreen(game_, graphics_, surface_);
        } catch (const GraphicsError& error) {
            message = error.what();
        }
        EXPECT_FALSE(game_.Running);
        EXPECT_EQ(test::Bytes(*graphics_.BackBuffer), before) << "the board stays";
        EXPECT_EQ(surface_.presents, 0);
        EXPECT_EQ(graphics_.LogoLineCursor, 123);
        return message;
    }

    QTemporaryDir dir_;
    Graphics graphics_;
    Game game_;
    test::RecordingSurface surface_;
};

TEST_F(LogoScreenTest, MissingLogoStopsTheGameAndReportsTheFile) {
    EXPECT_EQ(failingShow(), "Cannot open file " + logoPath().toStdString());
}

TEST_F(LogoScreenTest, APipeInsteadOfTheLogoCannotBeOpened) {
    ASSERT_EQ(::mkfifo(logoPath().toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(failingShow(), "Cannot open file " + logoPath().toStdString());
}

TEST_F(LogoScreenTest, DamagedLogoReportsTheJpegErrorCode) {
    QByteArray good;
    {
        QImage image = test::SolidImage(64, 48, Qt::red);
        QFile file(logoPath());
        ASSERT_TRUE(image.save(logoPath(), "JPG"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        good = file.readAll();
    }
    const QByteArray damaged[] = {
        QByteArray(),                           // empty file
        QByteArray("GIF89a not a jpeg at all"), // no start-of-image marker
        good.left(20),                          // cut inside the headers
        good.left(2) + QByteArray(200, '\xFF'), // markers without content
    };
    const QRegularExpression format(QStringLiteral("^JPEG error #\\d+$"));
    for (const QByteArray& bytes : damaged) {
        writeLogo(bytes);
        const std::string message = failingShow();
        EXPECT_TRUE(format.match(QString::fromStdString(message)).hasMatch()) << message;
    }
}

TEST_F(LogoScreenTest, LogoIsDrawnAtItsOwnSizeFromTheTopLeft) {
    QImage logo = test::SolidImage(200, 100, QColor(250, 250, 250));
    ASSERT_TRUE(logo.save(logoPath(), "JPG", 100));
    const Rgb untouched = graphics_.BackBuffer->pixel(300, 300);
    ShowLogoScreen(game_, graphics_, surface_);
    EXPECT_FALSE(game_.Running);
    const Rgb inside = graphics_.BackBuffer->pixel(100, 50);
    EXPECT_GE(inside.R, 240);
    EXPECT_GE(inside.B, 240);
    EXPECT_EQ(graphics_.BackBuffer->pixel(300, 300), untouched) << "outside the logo";
    EXPECT_EQ(surface_.presents, 1);
    EXPECT_EQ(graphics_.LogoLineCursor, 460);
}

// Another level's logo is filtered while it is decoded. Four quadrants of
// colour (on JPEG blocks, saved at full quality) must land on the quadrants
// of the scaled picture, up to its last row and column, whether it shrinks
// a little or a lot, grows, or is larger than the target; the target
// outside the scaled picture stays as it was.
TEST(ScaledJpeg, QuadrantsLandWhereTheScaleSaysAndNothingElseIsTouched) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("logo.jpg"));
    const QColor colours[2][2] = {{QColor(220, 30, 30), QColor(30, 200, 40)},
                                  {QColor(20, 40, 210), QColor(230, 230, 30)}}; // [row][column]
    QImage source(160, 128, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            source.setPixelColor(x, y, colours[y / 64][x / 80]);
        }
    }
    ASSERT_TRUE(source.save(path, "JPG", 100));

    struct Case {
        int from, to;
        int32_t targetWidth, targetHeight;
        PixelFormatSetting format;
    };
    const Case cases[] = {
        {250, 210, 200, 200, PixelFormatSetting::Device}, // 134 x 107
        {100, 137, 300, 300, PixelFormatSetting::Device}, // 219 x 175, grows
        {200, 50, 100, 100, PixelFormatSetting::Bits24},  // 40 x 32, skips rows
        {150, 143, 90, 70, PixelFormatSetting::Bits24},   // 152 x 122, clipped
        {300, 250, 200, 200, PixelFormatSetting::Bits16}, // 133 x 106
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << " %");
        Bitmap target = test::Noise(c.targetWidth, c.targetHeight, c.format, 5);
        const Bitmap before = target;
        DecodeJpegFileScaledInto(path, target, c.from, c.to);
        const int32_t width = 160 * c.to / c.from;
        const int32_t height = 128 * c.to / c.from;
        const auto expectColour = [&](int32_t x, int32_t y, const QColor& colour) {
            if (x >= c.targetWidth || y >= c.targetHeight) {
                return;
            }
            const Rgb got = target.pixel(x, y);
            EXPECT_NEAR(got.R, colour.red(), 10) << x << ", " << y;
            EXPECT_NEAR(got.G, colour.green(), 10) << x << ", " << y;
            EXPECT_NEAR(got.B, colour.blue(), 10) << x << ", " << y;
        };
        // Corners and the middles of the quadrants, away from the seams.
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 2; ++column) {
                const QColor& colour = colours[row][column];
                const int32_t x0 = column * (width - 1);
                const int32_t y0 = row * (height - 1);
                expectColour(x0, y0, colour);
                expectColour((width / 2) * column + width / 4, (height / 2) * row + height / 4,
                             colour);
            }
        }
        // Past the scaled picture nothing changed.
        for (int32_t y = 0; y < c.targetHeight; ++y) {
            for (int32_t x = y < height ? width : 0; x < c.targetWidth; ++x) {
                ASSERT_EQ(target.rawPixel(x, y), before.rawPixel(x, y)) << x << ", " << y;
            }
        }
    }
}

TEST_F(LogoScreenTest, LargeAndGreyLogosAreClippedAndDecoded) {
    QImage grey(800, 600, QImage::Format_Grayscale8);
    grey.fill(200);
    ASSERT_TRUE(grey.save(logoPath(), "JPG", 100));
    ShowLogoScreen(game_, graphics_, surface_);
    const Rgb corner = graphics_.BackBuffer->pixel(639, 479);
    EXPECT_NEAR(corner.R, 200, 3);
    EXPECT_EQ(corner.R, corner.G);
    EXPECT_EQ(graphics_.BackBuffer->width(), 640);
}

TEST_F(LogoScreenTest, LinesAreOutlinedAndClimbFromTheBottom) {
    graphics_.LogoLineCursor = 460;
    WriteLogoLine(graphics_, surface_, QColor(160, 180, 192), QStringLiteral("Kelmar"));
    WriteLogoLine(graphics_, surface_, Qt::white, QString());
    EXPECT_EQ(graphics_.LogoLineCursor, 432);
    ASSERT_EQ(surface_.texts.size(), 9u) << "an empty line draws nothing";
    const int outline[8][2] = {{11, 459}, {10, 459}, {9, 459},  {9, 460},
                               {9, 461},  {10, 461}, {11, 461}, {11, 460}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(surface_.texts[i].x, outline[i][0]) << i;
        EXPECT_EQ(surface_.texts[i].y, outline[i][1]) << i;
        EXPECT_EQ(surface_.texts[i].colour, QColor(0, 0, 0)) << i;
    }
    EXPECT_EQ(surface_.texts[8].x, 10);
    EXPECT_EQ(surface_.texts[8].y, 460);
    EXPECT_EQ(surface_.texts[8].colour, QColor(160, 180, 192));
    EXPECT_EQ(surface_.presents, 0) << "lines never go through the BackBuffer";
}

TEST_F(LogoScreenTest, ResumeRebasesTheClockAndRendersInTheCurrentFormat) {
    game_.Running = false;
    game_.clock.Elapsed = 61000;
    game_.clock.CurrentTick = 0xFFFFFF00u;
    game_.clock.BaseTick = 5;
    game_.clock.BaseElapsed = 1;
    game_.settings.PixelFormat = PixelFormatSetting::Bits8;
    ManualTickSource ticks;
    ResumeFromLogo(game_, graphics_, surface_, ticks);
    EXPECT_TRUE(game_.Running);
    EXPECT_EQ(game_.clock.BaseElapsed, 61000);
    EXPECT_EQ(game_.clock.BaseTick, 0xFFFFFF00u);
    EXPECT_EQ(graphics_.BackBuffer->format(), PixelFormatSetting::Bits8);
    EXPECT_EQ(surface_.presents, 2) << "RenderBoard presents, then once more";
    EXPECT_EQ(surface_.statusTexts.size(), 1u);
}

TEST(JpegDecoder, RandomBytesNeverCrash) {
    uint32_t state = 77;
    for (int round = 0; round < 200; ++round) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(round * 3));
        for (auto& b : bytes) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        if (bytes.size() >= 2) {
            bytes[0] = 0xFF;
            bytes[1] = 0xD8; // start-of-image, so the decoder reads on
        }
        try {
            const Bitmap bitmap =
                DecodeJpegBytes(bytes.data(), bytes.size(), PixelFormatSetting::Bits4, 640, 480);
            EXPECT_LE(bitmap.width(), 640);
        } catch (const GraphicsError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("JPEG error #", 0), 0u);
        }
    }
}

} // namespace
} // namespace kelmar
