// Fakes and picture helpers shared by the render tests.
#pragma once

#include "core/pixel_format.h"
#include "core/tick_source.h"
#include "render/bitmap.h"
#include "render/board_surface.h"
#include "render/graphics.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <string>
#include <vector>

namespace kelmar::test {

inline constexpr const auto& kAllFormats = kAllPixelFormats;

inline std::string FormatName(PixelFormatSetting format) {
    return PixelFormatName(format);
}

// Records every call the renderer makes on the board surface.
class RecordingSurface : public BoardSurface {
public:
    struct TextCall {
        int x;
        int y;
        QColor colour;
        QString text;
    };
    void present(const Bitmap& backBuffer) override;
    void setStatusText(const QString& text) override { statusTexts.push_back(text); }
    void drawSurfaceText(int x, int y, const QColor& colour, const QString& text) override {
        texts.push_back({x, y, colour, text});
    }

    int presents = 0;
    std::vector<uint8_t> lastPresentedBytes;
    std::vector<QString> statusTexts;
    std::vector<TextCall> texts;
};

// A tick counter that moves `step` ms at every reading.
class SteppingTicks : public TickSource {
public:
    SteppingTicks(uint32_t start, uint32_t step) : next_(start), step_(step) {}
    uint32_t now() override {
        const uint32_t value = next_;
        next_ += step_;
        return value;
    }

private:
    uint32_t next_;
    uint32_t step_;
};

Bitmap Solid(int32_t width, int32_t height, PixelFormatSetting format, Rgb colour);
// A bitmap whose stored bytes are a fixed pseudo-random pattern.
Bitmap Noise(int32_t width, int32_t height, PixelFormatSetting format, uint32_t seed);
std::vector<uint8_t> Bytes(const Bitmap& bitmap);

// The distinct colour of sheet cell (column, row); exact in Bits24/32/Device.
Rgb CellColour(int column, int row);
// A 342 x 270 sheet whose 9 x 5 cells are filled with CellColour.
QImage SheetImage();
QImage SolidImage(int width, int height, QColor colour);

// Graphics with synthetic pictures (no files): background `bg` of the given
// size, the cell sheet, a 48 x 64 frame that is black with a coloured body
// at (2..46, 0..62), a black BackBuffer; sheet index built, banner laid out.
Graphics SyntheticGraphics(PixelFormatSetting format, int32_t bgWidth = 100, int32_t bgHeight = 100,
                           Rgb bg = {0, 0, 255});

// Saves the three board pictures as BMP files into `dir`.
void WriteBoardPictures(const QString& dir, QColor background);

} // namespace kelmar::test
