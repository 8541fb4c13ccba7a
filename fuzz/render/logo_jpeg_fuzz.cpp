// Feeds arbitrary bytes to ShowLogoScreen as KLMRLogo.jpg. Properties: the
// game is stopped either way; a failure is "JPEG error #n" and leaves the
// BackBuffer as it was; a success keeps the BackBuffer at 640 x 480.
#include "fuzz_support.h"
#include "render/graphics_error.h"
#include "render/logo_screen.h"

#include <QDir>
#include <QFile>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class NullSurface : public kelmar::BoardSurface {
public:
    void present(const kelmar::Bitmap&) override {}
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelmar::fuzz::StartGui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelmar;
    const QString folder = fuzz::WorkFolder();
    {
        QFile file(QDir(folder).filePath(LogoFileName()));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const auto format = PixelFormatFromCode(size % 8);
    Graphics graphics;
    graphics.PictureFolder = folder;
    CreateBitmaps(graphics, format);
    Game game;
    game.Running = true;
    NullSurface surface;
    const std::vector<uint8_t> before(graphics.BackBuffer->bits(),
                                      graphics.BackBuffer->bits() +
                                          graphics.BackBuffer->byteCount());
    try {
        ShowLogoScreen(game, graphics, surface);
        FUZZ_CHECK(graphics.LogoLineCursor == 460);
    } catch (const GraphicsError& error) {
        FUZZ_CHECK(std::string(error.what()).rfind("JPEG error #", 0) == 0);
        const std::vector<uint8_t> after(graphics.BackBuffer->bits(),
                                         graphics.BackBuffer->bits() +
                                             graphics.BackBuffer->byteCount());
        FUZZ_CHECK(after == before);
    }
    FUZZ_CHECK(!game.Running);
    FUZZ_CHECK(graphics.BackBuffer->width() == 640 && graphics.BackBuffer->height() == 480);
    return 0;
}
