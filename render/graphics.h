// The graphics state of the game: the four bitmaps, the sheet index, the
// highlight mask, the banner font and layout, and the render time.
//
// Everything is composed at one scale, ScalePercent (50 to 600 %): the
// BackBuffer is 640 x 480 board pixels scaled by it, the pictures are those
// drawn for it, or at a scale between the levels another level's pictures
// filtered to it. Board coordinates (TileRect, SheetIndex, HighlightMask) stay
// in 100 % units; the renderer scales them. At 100 everything is exactly as
// it was before zooming existed.
//
// One Graphics object exists for the whole run, owned by the main window. The
// four bitmaps are created once by CreateBitmaps (before the first
// LoadGraphics) and freed once by FreeBitmaps at shutdown; in between they
// always have the current pixel format.
#pragma once

#include "core/game.h"
#include "core/geometry.h"
#include "core/pixel_format.h"
#include "core/zoom.h"
#include "render/bitmap.h"
#include "render/text.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kelmar {

class BoardSurface;
class TickSource;

// The four bitmaps, in the order in which they are created.
enum class BitmapRole { BackgroundTile, TileSheet, TileFrame, BackBuffer };

constexpr int kSheetIndexSize = 65; // kinds 0..64; 0..42 are filled

// Top-left corner of each kind's 38x54 cell in TileSheet. Kind 0's cell is
// the highlight mask.
struct SheetIndexTable {
    std::array<int32_t, kSheetIndexSize> X{};
    std::array<int32_t, kSheetIndexSize> Y{};
};

// Banner positions in BackBuffer pixels (scaled), computed with the banner
// font; W, H and F are 640, 480 and 54 at the zoom level.
struct BannerLayoutValues {
    int32_t WonX = 0;   // (W - width of "GEWONNEN!") / 2
    int32_t StuckX = 0; // (W - width of "VERLOREN!") / 2
    int32_t Y = 0;      // (H - F - height of "X") / 2
};

// How a picture is scaled when it comes from another level's file at a
// scale that is no level (see scaled_pictures.h).
enum class PictureUse { Repeating, Sheet, Keyed };

struct Graphics {
    // Null before CreateBitmaps and after FreeBitmaps.
    std::unique_ptr<Bitmap> BackgroundTile; // KLBack.bmp, drawn tiled
    std::unique_ptr<Bitmap> TileSheet;      // KLTiles.bmp, 9 x 5 cells of 38x54
    std::unique_ptr<Bitmap> TileFrame;      // KLTFrame.bmp, black is transparent
    std::unique_ptr<Bitmap> BackBuffer;     // 640 x 480 scaled, everything is composed here

    int32_t BackgroundWidth = 0;  // W of BackgroundTile, recorded at each load
    int32_t BackgroundHeight = 0; // H

    SheetIndexTable SheetIndex;
    Rect HighlightMask; // kind 0's cell: (266, 216, 304, 270) once built

    // The BackBuffer's text state: font and no background. Set by LoadGraphics.
    TextStyle BannerFont;
    bool TransparentText = false;
    BannerLayoutValues BannerLayout;

    int32_t LastRenderMs = 0;   // background and tiles of the last RenderBoard
    int32_t LogoLineCursor = 0; // top of the next logo-screen line

    // Folder the picture files are read from; empty = the working directory.
    QString PictureFolder;

    // The looks (looks.h): the folder of the tile set (KLTiles*.bmp and
    // KLTFrame*.bmp) and of the background (KLBack*.bmp), each relative to
    // PictureFolder unless absolute; empty = PictureFolder itself. With
    // PlainBackground set, the background is that one colour and no
    // background file is read.
    QString TileSetFolder;
    QString BackgroundFolder;
    std::optional<QRgb> PlainBackground;

    // The scale of the bitmaps, kMinScale..kMaxScale percent; set before
    // LoadGraphics (RescaleGraphics changes it and reloads).
    int ScalePercent = 100;

    // Pictures of another level, decoded (RGB32), that the three board
    // pictures were last filtered from (index: PictureUse). Kept while the
    // file stays the same (path, size, time of change), so that a resize
    // does not read and decode them at every step; a pixel-format change
    // drops them and reads every file again.
    struct SourcePicture {
        QString Path;
        qint64 Size = -1;
        QDateTime Modified;
        QImage Image;
    };
    std::array<SourcePicture, 3> Sources;
};

// Called for each bitmap as it is created or freed; for checking the order.
using BitmapLifecycleObserver = std::function<void(BitmapRole)>;

// Creates the four bitmaps in the order BackgroundTile, TileSheet, TileFrame,
// BackBuffer, in `format`: the three pictures empty (0 x 0), the BackBuffer
// black at 640 x 480. Bitmaps that exist already
// are left alone (created once).
void CreateBitmaps(Graphics& graphics, PixelFormatSetting format,
                   const BitmapLifecycleObserver& onCreate = {});

// Frees the four bitmaps in the order BackBuffer, TileFrame, TileSheet,
// BackgroundTile. Freeing twice does nothing the second time. After this the
// render and logo operations draw nothing.
void FreeBitmaps(Graphics& graphics, const BitmapLifecycleObserver& onFree = {});

// Fills SheetIndex (kind 0, then 1..9 in row 1, 10..18 in row 0, 19..27 in
// row 2, 28..31 in row 3 columns 4..7, 32..34 in row 4 columns 4..6, 35..38 in
// row 3 columns 0..3, 39..42 in row 4 columns 0..3), then HighlightMask from
// entry 0.
void BuildSheetIndex(Graphics& graphics);

// Reads the three pictures (files KLBack.bmp, KLTiles.bmp, KLTFrame.bmp in
// PictureFolder; at the larger levels those of the level, KLBack200.bmp ...) in
// `format`, then sets the BackBuffer to 640 x 480 (scaled) in `format`,
// keeping its picture while its size stays (black at a new size), sets the
// banner font (54 pt scaled) and computes BannerLayout. Creates the bitmaps
// first if CreateBitmaps has not run.
// A picture missing at ScalePercent (at a scale between the levels there is
// none) is replaced, silently, by another level's, scaled (FindLevelPicture);
// the 100 % file is always the last resort.
// Throws GraphicsError at the first file that is missing at 100 % ("Cannot
// open file <path>") or no valid picture ("Bitmap image is not valid"): the
// pictures of the earlier steps keep their new content and format, the
// failing one and the later ones keep what they had.
void LoadGraphics(Graphics& graphics, PixelFormatSetting format);

// Reads the picture `name` (a 100 % file name) for ScalePercent as
// LoadGraphics does: the level's own file, else another level's (see
// FindLevelPicture) scaled to ScalePercent (`key` as for LoadPictureFile).
// Between levels the whole picture is scaled, the frame (ColourKey::Black)
// without blending; at any other scale as `use` says, with a smoothing
// filter.
// The decoded picture of another level is taken from, and kept in,
// Sources[use].
Bitmap LoadLevelPicture(Graphics& graphics, const QString& name, PixelFormatSetting format,
                        ColourKey key = ColourKey::None, PictureUse use = PictureUse::Repeating);

// The file of the picture `name` (in the folder of its look, LookFolder) for
// ScalePercent and the level it was drawn for: the first that exists of the
// level files from ScalePercent up, then those below it, nearest first; the
// 100 % file when none does. In the game folder the 100 % file ends the
// search (it must exist); in a set or felt folder of its own
// (TileSetFolder, BackgroundFolder) every level is looked for, so a folder
// holding any one level serves every scale.
struct LevelPicturePath {
    QString Path;
    int Percent;
};
LevelPicturePath FindLevelPicture(const Graphics& graphics, const QString& name);

// Computes BannerLayout with the current BannerFont (step 6 of LoadGraphics).
void ComputeBannerLayout(Graphics& graphics);

// Board pixels to BackBuffer pixels at ScalePercent (rounded down).
int32_t ToBackBuffer(const Graphics& graphics, int32_t v);
Rect ToBackBuffer(const Graphics& graphics, const Rect& rect);

// The cell of TileSheet, in its pixels, whose top-left corner is (x, y) in
// 100 % sheet pixels (a SheetIndex entry): at (x, y) scaled within a grid of
// SheetPitch x SheetPitch cells, and one pitch wide and high. At a level
// this is the scaled 38 x 54 cell.
Rect SheetCellAt(const Graphics& graphics, int32_t x, int32_t y);

// The player picked a pixel format (the caller has checked the menu item):
// PixelFormat := format (stays even if loading fails), LoadGraphics, and
// RenderBoard only while the game is Running. Errors of LoadGraphics
// propagate.
void ChoosePixelFormat(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                       PixelFormatSetting format);

// The board is to be shown at scale `percent` (clamped to kMinScale..
// kMaxScale). Nothing happens at the current scale.
// Otherwise ScalePercent := percent and LoadGraphics in the game's pixel
// format; then, while the game is Running, RenderBoard (which presents);
// while a logo screen shows, the logo picture is drawn again at the new size
// (DrawLogoPicture) and the caller repaints the surface, keeping the
// screen's text lines; a logo that cannot be read then gives the composed
// board instead. Returns whether the level changed. Errors of LoadGraphics
// propagate.
bool RescaleGraphics(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                     int percent);

// The file names of the board pictures.
QString BackgroundFileName(); // "KLBack.bmp"
QString TileSheetFileName();  // "KLTiles.bmp"
QString TileFrameFileName();  // "KLTFrame.bmp"
// `name` inside PictureFolder (just `name` when the folder is empty).
QString PicturePath(const Graphics& graphics, const QString& name);
// The folder a board picture is read from: TileSetFolder for the sheet and
// the frame, BackgroundFolder for the background, PictureFolder for any
// other name; a relative folder lies inside PictureFolder.
QString LookFolder(const Graphics& graphics, const QString& name);

} // namespace kelmar
