// Loading the board pictures, the bitmaps' lifetime and the pixel-format choice.
#include "render/bitmap_ops.h"
#include "render/graphics.h"
#include "render/graphics_error.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "render_test_support.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace kelmar {
namespace {

using test::FormatName;

class LoadGraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        graphics_.PictureFolder = dir_.path();
        test::WriteBoardPictures(dir_.path(), QColor(0, 0, 255));
    }
    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    QTemporaryDir dir_;
    Graphics graphics_;
};

TEST_F(LoadGraphicsTest, LoadsAllPicturesInTheChosenFormat) {
    for (PixelFormatSetting format : test::kAllFormats) {
        LoadGraphics(graphics_, format);
        for (const Bitmap* bitmap : {graphics_.BackgroundTile.get(), graphics_.TileSheet.get(),
                                     graphics_.TileFrame.get(), graphics_.BackBuffer.get()}) {
            ASSERT_NE(bitmap, nullptr);
            EXPECT_EQ(bitmap->format(), format) << FormatName(format);
        }
        EXPECT_EQ(graphics_.BackgroundWidth, 100);
        EXPECT_EQ(graphics_.BackgroundHeight, 100);
        EXPECT_EQ(graphics_.TileSheet->width(), 342);
        EXPECT_EQ(graphics_.TileFrame->height(), 64);
        EXPECT_EQ(graphics_.BackBuffer->width(), 640);
        EXPECT_EQ(graphics_.BackBuffer->height(), 480);
        EXPECT_EQ(graphics_.BackgroundTile->pixel(50, 50), (Rgb{0, 0, 255}));
    }
    EXPECT_TRUE(graphics_.TransparentText);
    EXPECT_EQ(graphics_.BannerFont.Family, QStringLiteral("Trebuchet MS"));
    EXPECT_TRUE(graphics_.BannerFont.Bold);
    EXPECT_EQ(graphics_.BannerFont.PointSize, 54);
    // The layout follows the measured text: a wider word starts further left.
    EXPECT_GT(graphics_.BannerLayout.WonX, 0);
    EXPECT_GT(graphics_.BannerLayout.Y, 0);
    EXPECT_LT(graphics_.BannerLayout.Y, 213);
}

// A failing step leaves its own bitmap and the later ones as they were; the
// earlier steps keep their new content.
TEST_F(LoadGraphicsTest, FailureKeepsPicturesOfEarlierStepsAndNothingLater) {
    const struct {
        QString file;
        bool corrupt;
        int newPictures; // how many of background, sheet, frame were replaced
    } cases[] = {
        {BackgroundFileName(), false, 0},
        {TileSheetFileName(), true, 1},
        {TileFrameFileName(), false, 2},
        {TileFrameFileName(), true, 2},
    };
    for (const auto& c : cases) {
        test::WriteBoardPictures(dir_.path(), QColor(0, 0, 255));
        LoadGraphics(graphics_, PixelFormatSetting::Bits24);
        graphics_.BackBuffer->setPixel(5, 5, {255, 0, 0});
        test::WriteBoardPictures(dir_.path(), QColor(0, 255, 0));
        QFile::remove(path(c.file));
        if (c.corrupt) {
            QFile file(path(c.file));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("BM this is not a bitmap");
        }
        const std::vector<uint8_t> oldFrame = test::Bytes(*graphics_.TileFrame);
        try {
            LoadGraphics(graphics_, PixelFormatSetting::Bits8);
            ADD_FAILURE() << "no error for " << c.file.toStdString();
        } catch (const GraphicsError& error) {
            const std::string expected = c.corrupt
                                             ? "Bitmap image is not valid"
                                             : "Cannot open file " + path(c.file).toStdString();
            EXPECT_EQ(error.what(), expected);
        }
        const bool bgNew = c.newPictures >= 1;
        EXPECT_EQ(graphics_.BackgroundTile->format(),
                  bgNew ? PixelFormatSetting::Bits8 : PixelFormatSetting::Bits24);
        EXPECT_EQ(graphics_.BackgroundTile->pixel(1, 1), (bgNew ? Rgb{0, 255, 0} : Rgb{0, 0, 255}));
        EXPECT_EQ(graphics_.TileSheet->format(),
                  c.newPictures >= 2 ? PixelFormatSetting::Bits8 : PixelFormatSetting::Bits24);
        EXPECT_EQ(test::Bytes(*graphics_.TileFrame), oldFrame);
        EXPECT_EQ(graphics_.BackBuffer->format(), PixelFormatSetting::Bits24);
        EXPECT_EQ(graphics_.BackBuffer->pixel(5, 5), (Rgb{255, 0, 0}));
    }
}

TEST_F(LoadGraphicsTest, NewFormatKeepsThePictureInTheBackBuffer) {
    LoadGraphics(graphics_, PixelFormatSetting::Device);
    // Colours every format holds exactly: components 0 or 255.
    std::vector<Rgb> palette;
    for (int i = 0; i < 8; ++i) {
        palette.push_back({static_cast<uint8_t>(i & 1 ? 255 : 0),
                           static_cast<uint8_t>(i & 2 ? 255 : 0),
                           static_cast<uint8_t>(i & 4 ? 255 : 0)});
    }
    for (int32_t x = 0; x < 640; ++x) {
        graphics_.BackBuffer->setPixel(x, 7, palette[x % 8]);
    }
    for (PixelFormatSetting format : test::kAllFormats) {
        LoadGraphics(graphics_, format);
        ASSERT_EQ(graphics_.BackBuffer->format(), format);
        for (int32_t x = 0; x < 640; ++x) {
            ASSERT_EQ(graphics_.BackBuffer->pixel(x, 7), palette[x % 8]) << FormatName(format);
        }
    }
}

TEST_F(LoadGraphicsTest, ChoosingAFormatRendersOnlyWhileRunning) {
    Game game;
    test::RecordingSurface surface;
    ManualTickSource ticks;
    BuildSheetIndex(graphics_);
    for (bool running : {false, true}) {
        game.Running = running;
        surface.presents = 0;
        ChoosePixelFormat(game, graphics_, surface, ticks, PixelFormatSetting::Bits15);
        EXPECT_EQ(game.settings.PixelFormat, PixelFormatSetting::Bits15);
        EXPECT_EQ(graphics_.TileSheet->format(), PixelFormatSetting::Bits15);
        EXPECT_EQ(surface.presents, running ? 1 : 0);
    }
    // A failed load keeps the chosen setting and reports the error.
    QFile::remove(path(TileSheetFileName()));
    EXPECT_THROW(ChoosePixelFormat(game, graphics_, surface, ticks, PixelFormatSetting::Bits4),
                 GraphicsError);
    EXPECT_EQ(game.settings.PixelFormat, PixelFormatSetting::Bits4);
}

// An 8-bit run-length BMP of a few hundred bytes that declares `side` x
// `side` pixels and holds no run: decoded it would be a huge black picture.
QByteArray SmallBmpDeclaring(int side) {
    QByteArray bmp;
    QDataStream out(&bmp, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 header = 14 + 40 + 256 * 4;
    out << quint16(0x4D42) << quint32(header + 2) << quint32(0) << quint32(header);
    out << quint32(40) << qint32(side) << qint32(side) << quint16(1) << quint16(8)
        << quint32(1 /* RLE8 */) << quint32(2) << qint32(2835) << qint32(2835) << quint32(256)
        << quint32(0);
    for (int i = 0; i < 256; ++i) {
        out << quint32(i * 0x010101);
    }
    out << quint8(0) << quint8(1); // end of bitmap
    return bmp;
}

// A 258 KB picture declaring 5600 x 5600 pixels held hundreds of MB for the
// whole run. 4096 per side is the limit; 300 % full-board pictures are
// 1920 x 1440.
TEST_F(LoadGraphicsTest, PicturesLargerThan4096PixelsASideAreRefusedAsInvalid) {
    const struct {
        int width, height;
        bool refused;
    } cases[] = {{4097, 1, true}, {1, 4097, true}, {1920, 1440, false}, {4096, 2, false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(
            test::SolidImage(c.width, c.height, Qt::red).save(path(BackgroundFileName()), "BMP"));
        if (c.refused) {
            EXPECT_THROW(LoadGraphics(graphics_, PixelFormatSetting::Bits8), GraphicsError)
                << c.width << " x " << c.height;
        } else {
            LoadGraphics(graphics_, PixelFormatSetting::Bits8);
            EXPECT_EQ(graphics_.BackgroundWidth, c.width);
        }
    }
    QFile file(path(BackgroundFileName()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(SmallBmpDeclaring(5600));
    file.close();
    try {
        LoadGraphics(graphics_, PixelFormatSetting::Bits8);
        ADD_FAILURE() << "a 5600 x 5600 picture must be refused";
    } catch (const GraphicsError& error) {
        EXPECT_STREQ(error.what(), "Bitmap image is not valid");
    }
    // The same file at a usable size is a picture.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(SmallBmpDeclaring(64));
    file.close();
    LoadGraphics(graphics_, PixelFormatSetting::Bits8);
    EXPECT_EQ(graphics_.BackgroundWidth, 64);
}

// A pipe under a picture's name hung the start before the window appeared.
TEST_F(LoadGraphicsTest, APipeInsteadOfAPictureCannotBeOpened) {
    QFile::remove(path(TileFrameFileName()));
    ASSERT_EQ(::mkfifo(path(TileFrameFileName()).toLocal8Bit().constData(), 0600), 0);
    try {
        LoadGraphics(graphics_, PixelFormatSetting::Bits8);
        ADD_FAILURE() << "a pipe is no picture";
    } catch (const GraphicsError& error) {
        EXPECT_EQ(error.what(), "Cannot open file " + path(TileFrameFileName()).toStdString());
    }
}

// Only pure black is transparent in the frame: near-black outline pixels
// that a palette or 5-bit channel would round to colour value 0 must stay
// visible, while the other pictures convert as before.
TEST_F(LoadGraphicsTest, NearBlackFramePixelsStayOpaqueInEveryFormat) {
    const QRgb colours[] = {qRgb(0, 0, 0),    qRgb(1, 1, 1), qRgb(8, 8, 8),    qRgb(30, 30, 30),
                            qRgb(34, 38, 36), qRgb(7, 0, 0), qRgb(0, 3, 0),    qRgb(0, 0, 6),
                            qRgb(0, 0, 0),    qRgb(2, 7, 1), qRgb(255, 255, 0)};
    constexpr int kCount = static_cast<int>(std::size(colours));
    QImage frame = test::SolidImage(kCount, 2, Qt::black);
    for (int x = 0; x < kCount; ++x) {
        frame.setPixel(x, 1, colours[x]);
    }
    ASSERT_TRUE(frame.save(path(TileFrameFileName()), "BMP"));
    QImage background = test::SolidImage(100, 100, QColor(0, 0, 255));
    background.setPixel(3, 3, qRgb(1, 1, 1));
    ASSERT_TRUE(background.save(path(BackgroundFileName()), "BMP"));

    for (PixelFormatSetting format : test::kAllFormats) {
        LoadGraphics(graphics_, format);
        const Bitmap& loaded = *graphics_.TileFrame;
        Bitmap target = test::Solid(kCount, 2, format, Rgb{255, 255, 255});
        OpaqueRuns runs;
        FindOpaqueRuns(loaded, runs);
        CopyOpaqueRuns(target, 0, 0, loaded, runs);
        for (int x = 0; x < kCount; ++x) {
            const bool black = colours[x] == qRgb(0, 0, 0);
            EXPECT_EQ(target.pixel(x, 1) == (Rgb{255, 255, 255}), black)
                << FormatName(format) << " colour " << std::hex << colours[x];
            EXPECT_EQ(loaded.pixel(x, 1) == Rgb{}, black) << FormatName(format) << " " << x;
        }
        EXPECT_EQ(target.pixel(0, 0), (Rgb{255, 255, 255})) << "black row " << FormatName(format);
        // The background keeps the plain conversion: its (1, 1, 1) is black
        // wherever the format cannot hold it.
        EXPECT_EQ(graphics_.BackgroundTile->pixel(3, 3) == Rgb{},
                  format != PixelFormatSetting::Bits24 && format != PixelFormatSetting::Bits32 &&
                      format != PixelFormatSetting::Device)
            << FormatName(format);
    }
}

TEST(BitmapLifetime, CreatedOnceAndFreedOnceInReverseOrder) {
    Graphics graphics;
    std::vector<BitmapRole> created, freed;
    CreateBitmaps(graphics, PixelFormatSetting::Bits8,
                  [&](BitmapRole role) { created.push_back(role); });
    CreateBitmaps(graphics, PixelFormatSetting::Bits8,
                  [&](BitmapRole role) { created.push_back(role); });
    EXPECT_EQ(created, (std::vector<BitmapRole>{BitmapRole::BackgroundTile, BitmapRole::TileSheet,
                                                BitmapRole::TileFrame, BitmapRole::BackBuffer}));
    FreeBitmaps(graphics, [&](BitmapRole role) { freed.push_back(role); });
    FreeBitmaps(graphics, [&](BitmapRole role) { freed.push_back(role); });
    EXPECT_EQ(freed, (std::vector<BitmapRole>{BitmapRole::BackBuffer, BitmapRole::TileFrame,
                                              BitmapRole::TileSheet, BitmapRole::BackgroundTile}));
    EXPECT_EQ(graphics.BackBuffer, nullptr);
}

QByteArray Encoded(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes;
}

// A KLBack.bmp that was really a JPEG was decoded as one (a progressive
// JPEG of 20,000 scans held the start for 37 s), and a picture cut short
// was taken with black rows.
TEST_F(LoadGraphicsTest, OnlyCompleteBmpPicturesAreTaken) {
    const QImage image = test::SolidImage(50, 40, Qt::red); // 24 bit: rows of 152 bytes
    const QByteArray bmp = Encoded(image, "BMP");
    ASSERT_EQ(bmp.size(), 54 + 152 * 40);
    const struct {
        const char* name;
        QByteArray bytes;
        bool taken;
    } cases[] = {
        {"complete", bmp, true},
        {"bytes after the rows", bmp + "Rest", true},
        {"one byte short", bmp.chopped(1), false},
        {"half the rows", bmp.left(54 + 152 * 20), false},
        {"header only", bmp.left(54), false},
        {"JPEG", Encoded(image, "JPEG"), false},
        {"progressive JPEG", Encoded(image, "JPEG", true), false},
        {"PNG", Encoded(image, "PNG"), false},
    };
    for (const auto& c : cases) {
        QFile file(path(BackgroundFileName()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        try {
            LoadGraphics(graphics_, PixelFormatSetting::Bits24);
            EXPECT_TRUE(c.taken) << c.name;
            EXPECT_EQ(graphics_.BackgroundTile->pixel(49, 39), (Rgb{255, 0, 0})) << c.name;
        } catch (const GraphicsError& error) {
            EXPECT_FALSE(c.taken) << c.name;
            EXPECT_STREQ(error.what(), "Bitmap image is not valid") << c.name;
        }
    }
}

QByteArray BmpHeader(quint32 infoSize, qint32 width, qint32 height, quint16 bits,
                     quint32 compression, quint32 imageSize) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint32(0) << quint32(0) << quint32(100) << infoSize;
    if (infoSize == 12) {
        out << qint16(width) << qint16(height) << quint16(1) << bits;
    } else {
        out << width << height << quint16(1) << bits << compression << imageSize;
    }
    return bytes.leftJustified(kBmpHeaderBytes, '\0');
}

TEST(BmpPixelData, EndsAfterThePaddedRowsOrTheDeclaredRunLengthData) {
    const struct {
        const char* name;
        QByteArray header;
        std::optional<qint64> end;
    } cases[] = {
        {"1 bit, one pixel: a row is 4 bytes", BmpHeader(40, 1, 3, 1, 0, 0), 100 + 12},
        {"24 bit, 5 pixels: 15 bytes padded to 16", BmpHeader(40, 5, 2, 24, 0, 0), 100 + 32},
        {"top-down rows", BmpHeader(40, 5, -2, 24, 0, 0), 100 + 32},
        {"bit fields, 32 bit", BmpHeader(40, 3, 3, 32, 3, 0), 100 + 36},
        {"old 12-byte header", BmpHeader(12, 7, 2, 8, 0, 0), 100 + 16},
        {"run-length with its size", BmpHeader(40, 4000, 4000, 8, 1, 20), 120},
        {"run-length without a size", BmpHeader(40, 4, 4, 8, 1, 0), std::nullopt},
        {"no BM", QByteArray(kBmpHeaderBytes, 'x'), std::nullopt},
        {"too short", BmpHeader(40, 5, 2, 24, 0, 0).left(20), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BmpPixelDataEnd(c.header), c.end) << c.name;
    }
}

} // namespace
} // namespace kelmar
