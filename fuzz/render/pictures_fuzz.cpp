// Feeds arbitrary bytes to LoadGraphics as one of the three board pictures
// (the first byte chooses which; the others are valid). Properties: either
// all bitmaps are loaded in the chosen format, or the error is one of the two
// picture messages and the failing picture keeps its old content.
#include "fuzz_support.h"
#include "render/graphics.h"
#include "render/graphics_error.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>

namespace {

const QString kNames[3] = {kelmar::BackgroundFileName(), kelmar::TileSheetFileName(),
                           kelmar::TileFrameFileName()};

void WriteValid(const QString& folder, int which) {
    // Small stand-ins keep each run cheap; the loader does not require the
    // game's picture sizes.
    const QSize sizes[3] = {{8, 8}, {38, 54}, {12, 12}};
    QImage image(sizes[which], QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(QDir(folder).filePath(kNames[which]), "BMP");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelmar::fuzz::StartGui();
    for (int which = 0; which < 3; ++which) {
        WriteValid(kelmar::fuzz::WorkFolder(), which);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    using namespace kelmar;
    const QString folder = fuzz::WorkFolder();
    const int which = data[0] % 3;
    const auto format = PixelFormatFromCode(data[0] / 3 % 8);
    {
        QFile file(QDir(folder).filePath(kNames[which]));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<qint64>(size - 1));
    }
    Graphics graphics;
    graphics.PictureFolder = folder;
    CreateBitmaps(graphics, format);
    const Bitmap* pictures[3] = {graphics.BackgroundTile.get(), graphics.TileSheet.get(),
                                 graphics.TileFrame.get()};
    try {
        LoadGraphics(graphics, format);
        for (const Bitmap* bitmap : pictures) {
            FUZZ_CHECK(bitmap->format() == format);
            FUZZ_CHECK(!bitmap->isEmpty());
        }
        FUZZ_CHECK(graphics.BackBuffer->width() == 640 && graphics.BackBuffer->height() == 480);
    } catch (const GraphicsError& error) {
        const std::string message = error.what();
        FUZZ_CHECK(message == "Bitmap image is not valid" ||
                   message.rfind("Cannot open file ", 0) == 0);
        FUZZ_CHECK(pictures[which]->isEmpty()); // the failing picture was not replaced
    }
    // Put the valid picture back for the next input.
    QFile::remove(QDir(folder).filePath(kNames[which]));
    WriteValid(folder, which);
    return 0;
}
