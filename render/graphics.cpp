#include "render/graphics.h"

#include "render/bitmap_ops.h"
#include "render/picture_file.h"
#include "render/renderer.h"

#include <QDir>

namespace kelmar {
namespace {

std::unique_ptr<Bitmap>& Slot(Graphics& graphics, BitmapRole role) {
    switch (role) {
    case BitmapRole::BackgroundTile:
        return graphics.BackgroundTile;
    case BitmapRole::TileSheet:
        return graphics.TileSheet;
    case BitmapRole::TileFrame:
        return graphics.TileFrame;
    case BitmapRole::BackBuffer:
    default:
        return graphics.BackBuffer;
    }
}

// One cell assignment of BuildSheetIndex: `count` kinds from `column` of `row`.
struct SheetRun {
    int32_t column;
    int32_t row;
    int32_t count;
};

// The order in which the kinds 0..42 receive their cells.
constexpr SheetRun kSheetRuns[] = {
    {7, 4, 1}, // kind 0: the highlight mask
    {0, 1, 9}, // 1..9
    {0, 0, 9}, // 10..18
    {0, 2, 9}, // 19..27
    {4, 3, 4}, // 28..31
    {4, 4, 3}, // 32..34
    {0, 3, 4}, // 35..38
    {0, 4, 4}, // 39..42
};

} // namespace

void ComputeBannerLayout(Graphics& graphics) {
    const int32_t wonWidth = MeasureText(graphics.BannerFont, QStringLiteral("GEWONNEN!")).width();
    const int32_t stuckWidth =
        MeasureText(graphics.BannerFont, QStringLiteral("VERLOREN!")).width();
    const int32_t height = MeasureText(graphics.BannerFont, QStringLiteral("X")).height();
    graphics.BannerLayout.WonX = (kBoardWidth - wonWidth) / 2;
    graphics.BannerLayout.StuckX = (kBoardWidth - stuckWidth) / 2;
    graphics.BannerLayout.Y = (kBoardHeight - kFaceHeight - height) / 2;
}

QString BackgroundFileName() {
    return QStringLiteral("KLBack.bmp");
}
QString TileSheetFileName() {
    return QStringLiteral("KLTiles.bmp");
}
QString TileFrameFileName() {
    return QStringLiteral("KLTFrame.bmp");
}

QString PicturePath(const Graphics& graphics, const QString& name) {
    if (graphics.PictureFolder.isEmpty()) {
        return name;
    }
    return QDir(graphics.PictureFolder).filePath(name);
}

void CreateBitmaps(Graphics& graphics, PixelFormatSetting format,
                   const BitmapLifecycleObserver& onCreate) {
    for (BitmapRole role : {BitmapRole::BackgroundTile, BitmapRole::TileSheet,
                            BitmapRole::TileFrame, BitmapRole::BackBuffer}) {
        auto& slot = Slot(graphics, role);
        if (!slot) {
            // The BackBuffer starts as a black 640 x 480 picture so that the
            // logo screen can show even when no board picture could be read.
            const bool back = role == BitmapRole::BackBuffer;
            slot =
                std::make_unique<Bitmap>(back ? kBoardWidth : 0, back ? kBoardHeight : 0, format);
            if (onCreate) {
                onCreate(role);
            }
        }
    }
}

void FreeBitmaps(Graphics& graphics, const BitmapLifecycleObserver& onFree) {
    for (BitmapRole role : {BitmapRole::BackBuffer, BitmapRole::TileFrame, BitmapRole::TileSheet,
                            BitmapRole::BackgroundTile}) {
        auto& slot = Slot(graphics, role);
        if (slot) {
            slot.reset();
            if (onFree) {
                onFree(role);
            }
        }
    }
}

void BuildSheetIndex(Graphics& graphics) {
    int32_t kind = 0;
    for (const SheetRun& run : kSheetRuns) {
        for (int32_t i = 0; i < run.count; ++i, ++kind) {
            graphics.SheetIndex.X[kind] = kFaceWidth * (run.column + i);
            graphics.SheetIndex.Y[kind] = kFaceHeight * run.row;
        }
    }
    const int32_t left = graphics.SheetIndex.X[0];
    const int32_t top = graphics.SheetIndex.Y[0];
    graphics.HighlightMask = {left, top, left + kFaceWidth, top + kFaceHeight};
}

void LoadGraphics(Graphics& graphics, PixelFormatSetting format) {
    format = NormalizePixelFormat(format);
    CreateBitmaps(graphics, format);
    // Each picture is read completely before it replaces the old one, so a
    // failing step leaves its bitmap and the later ones as they were.
    Bitmap background = LoadPictureFile(PicturePath(graphics, BackgroundFileName()), format);
    graphics.BackgroundWidth = background.width();
    graphics.BackgroundHeight = background.height();
    *graphics.BackgroundTile = std::move(background);

    *graphics.TileSheet = LoadPictureFile(PicturePath(graphics, TileSheetFileName()), format);
    // The frame's transparent colour is colour value 0 whatever its pixels;
    // CopyTransparent applies it. Converted keyed, so that only its pure
    // black pixels become value 0: near-black outline pixels would otherwise
    // turn transparent in the palette and 15/16-bit formats.
    *graphics.TileFrame =
        LoadPictureFile(PicturePath(graphics, TileFrameFileName()), format, ColourKey::Black);

    graphics.BackBuffer->resize(kBoardWidth, kBoardHeight);
    ConvertBitmap(*graphics.BackBuffer, format);

    graphics.TransparentText = true;
    graphics.BannerFont = BannerFontStyle();
    ComputeBannerLayout(graphics);
}

void ChoosePixelFormat(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                       PixelFormatSetting format) {
    game.settings.PixelFormat = NormalizePixelFormat(format);
    LoadGraphics(graphics, game.settings.PixelFormat);
    if (game.Running) {
        RenderBoard(game, graphics, surface, ticks);
    }
}

} // namespace kelmar
