// Feeds arbitrary bytes to ShowLogoScreen as KLMRLogo.jpg. Properties: the
// game is stopped either way; a failure is "JPEG error #n" and leaves the
// BackBuffer as it was; a success keeps the BackBuffer at 640 x 480.
#include "fuzz_support.h"
#include "render/graphics_error.h"
#include "render/logo_screen.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace kelmar;

class NullSurface : public BoardSurface {
public:
    void present(const kelmar::Bitmap&) override {}
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
};

// One Graphics per pixel-format code, created on first use and kept: a fresh
// 640 x 480 BackBuffer per input made the target spend most of its time in
// page faults. A kept BackBuffer holds the previous input's logo, which is as
// good a "before" picture as a black one.
Graphics& GraphicsFor(std::size_t code) {
    static std::array<Graphics, 8> all;
    Graphics& graphics = all[code];
    if (!graphics.BackBuffer) {
        graphics.PictureFolder = fuzz::WorkFolder();
        CreateBitmaps(graphics, PixelFormatFromCode(static_cast<int>(code)));
    }
    return graphics;
}

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
    Graphics& graphics = GraphicsFor(size % 8);
    graphics.LogoLineCursor = 0;
    Game game;
    game.Running = true;
    NullSurface surface;
    static std::vector<uint8_t> before;
    before.assign(graphics.BackBuffer->bits(),
                  graphics.BackBuffer->bits() + graphics.BackBuffer->byteCount());
    try {
        ShowLogoScreen(game, graphics, surface);
        FUZZ_CHECK(graphics.LogoLineCursor == 460);
    } catch (const GraphicsError& error) {
        FUZZ_CHECK(std::string(error.what()).rfind("JPEG error #", 0) == 0);
        FUZZ_CHECK(std::equal(before.begin(), before.end(), graphics.BackBuffer->bits()));
    }
    FUZZ_CHECK(!game.Running);
    FUZZ_CHECK(graphics.BackBuffer->width() == 640 && graphics.BackBuffer->height() == 480);
    return 0;
}
