#include "render/graphics.h"

#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "render/graphics_error.h"
#include "render/logo_screen.h"
#include "render/looks.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "render/scaled_pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>

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

int32_t ToBackBuffer(const Graphics& graphics, int32_t v) {
    return ScaleLength(v, graphics.ScalePercent);
}

Rect ToBackBuffer(const Graphics& graphics, const Rect& rect) {
    return {ToBackBuffer(graphics, rect.Left), ToBackBuffer(graphics, rect.Top),
            ToBackBuffer(graphics, rect.Right), ToBackBuffer(graphics, rect.Bottom)};
}

Rect SheetCellAt(const Graphics& graphics, int32_t x, int32_t y) {
    const int percent = graphics.ScalePercent;
    const int32_t pitchX = SheetPitch(kFaceWidth, percent);
    const int32_t pitchY = SheetPitch(kFaceHeight, percent);
    // Floor division: a corner left of or above the sheet stays outside it.
    const auto cells = [](int32_t v, int32_t size) {
        return v >= 0 ? v / size : (v + 1) / size - 1;
    };
    const int32_t column = cells(x, kFaceWidth);
    const int32_t row = cells(y, kFaceHeight);
    const int64_t left = int64_t{column} * pitchX + ScaleLength(x - column * kFaceWidth, percent);
    const int64_t top = int64_t{row} * pitchY + ScaleLength(y - row * kFaceHeight, percent);
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    return {clamp(left), clamp(top), clamp(left + pitchX), clamp(top + pitchY)};
}

void ComputeBannerLayout(Graphics& graphics) {
    const int32_t wonWidth = MeasureText(graphics.BannerFont, QStringLiteral("GEWONNEN!")).width();
    const int32_t stuckWidth =
        MeasureText(graphics.BannerFont, QStringLiteral("VERLOREN!")).width();
    const int32_t height = MeasureText(graphics.BannerFont, QStringLiteral("X")).height();
    const int32_t width = ToBackBuffer(graphics, kBoardWidth);
    graphics.BannerLayout.WonX = (width - wonWidth) / 2;
    graphics.BannerLayout.StuckX = (width - stuckWidth) / 2;
    graphics.BannerLayout.Y =
        (ToBackBuffer(graphics, kBoardHeight) - ToBackBuffer(graphics, kFaceHeight) - height) / 2;
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

QString LookFolder(const Graphics& graphics, const QString& name) {
    QString folder;
    if (name == TileSheetFileName() || name == TileFrameFileName()) {
        folder = graphics.TileSetFolder;
    } else if (name == BackgroundFileName()) {
        folder = graphics.BackgroundFolder;
    }
    if (folder.isEmpty() || QDir::isAbsolutePath(folder) || graphics.PictureFolder.isEmpty()) {
        return folder.isEmpty() ? graphics.PictureFolder : folder;
    }
    return QDir(graphics.PictureFolder).filePath(folder);
}

LevelPicturePath FindLevelPicture(const Graphics& graphics, const QString& name) {
    const QString folder = LookFolder(graphics, name);
    const auto inFolder = [&folder](const QString& file) {
        return folder.isEmpty() ? file : QDir(folder).filePath(file);
    };
    // A set or felt of its own may hold any of the levels; the game folder
    // always holds the 100 % file, and only a missing one there is an error.
    const bool anyLevel = folder != graphics.PictureFolder;
    for (int level : SourceLevelOrder(graphics.ScalePercent)) {
        if (level == kDefaultZoom && !anyLevel) {
            break; // the 100 % file: below
        }
        const QString path =
            inFolder(QString::fromStdString(ZoomedFileName(name.toStdString(), level)));
        if (QFile::exists(path)) {
            return {path, level};
        }
    }
    return {inFolder(name), kDefaultZoom};
}

namespace {

// The picture at `path` in true colour: the one kept in `kept` while the
// file is unchanged, otherwise read (with LoadPictureFile's checks and
// errors) and kept.
const QImage& SourceImage(Graphics::SourcePicture& kept, const QString& path) {
    const QFileInfo file(path);
    const qint64 size = file.exists() ? file.size() : -1;
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    if (kept.Image.isNull() || kept.Path != path || kept.Size != size ||
        kept.Modified != modified) {
        kept = {};
        QImage image = BitmapToImage(LoadPictureFile(path, PixelFormatSetting::Device));
        kept = {path, size, modified, std::move(image)};
    }
    return kept.Image;
}

} // namespace

Bitmap LoadLevelPicture(Graphics& graphics, const QString& name, PixelFormatSetting format,
                        ColourKey key, PictureUse use) {
    const LevelPicturePath found = FindLevelPicture(graphics, name);
    const int to = graphics.ScalePercent;
    if (found.Percent == to) {
        return LoadPictureFile(found.Path, format, key);
    }
    // Another level's picture, in true colour, scaled.
    const QImage& image = SourceImage(graphics.Sources[static_cast<std::size_t>(use)], found.Path);
    if (IsZoomLevel(to)) {
        // Between levels the lengths are whole multiples; only pure black
        // is transparent in the frame, so it is scaled without blending.
        const QSize size(static_cast<int>(int64_t{image.width()} * to / found.Percent),
                         static_cast<int>(int64_t{image.height()} * to / found.Percent));
        return BitmapFromImage(image.scaled(size, Qt::IgnoreAspectRatio,
                                            key == ColourKey::Black ? Qt::FastTransformation
                                                                    : Qt::SmoothTransformation),
                               format, key);
    }
    switch (use) {
    case PictureUse::Repeating:
        return BitmapFromImage(ScaleRepeatingPicture(image, found.Percent, to), format, key);
    case PictureUse::Sheet:
        return BitmapFromImage(ScaleTileSheet(image, found.Percent, to), format, key);
    case PictureUse::Keyed:
    default:
        return BitmapFromImage(ScaleKeyedPicture(image, found.Percent, to), format, key);
    }
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
                std::make_unique<Bitmap>(back ? ToBackBuffer(graphics, kBoardWidth) : 0,
                                         back ? ToBackBuffer(graphics, kBoardHeight) : 0, format);
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
    Bitmap background = graphics.PlainBackground
                            ? PlainBackgroundTile(*graphics.PlainBackground, format)
                            : LoadLevelPicture(graphics, BackgroundFileName(), format,
                                               ColourKey::None, PictureUse::Repeating);
    graphics.BackgroundWidth = background.width();
    graphics.BackgroundHeight = background.height();
    *graphics.BackgroundTile = std::move(background);

    *graphics.TileSheet =
        LoadLevelPicture(graphics, TileSheetFileName(), format, ColourKey::None, PictureUse::Sheet);
    // The frame's transparent colour is colour value 0 whatever its pixels;
    // CopyTransparent applies it. Converted keyed, so that only its pure
    // black pixels become value 0: near-black outline pixels would otherwise
    // turn transparent in the palette and 15/16-bit formats.
    *graphics.TileFrame = LoadLevelPicture(graphics, TileFrameFileName(), format, ColourKey::Black,
                                           PictureUse::Keyed);

    Bitmap& back = *graphics.BackBuffer;
    const int32_t width = ToBackBuffer(graphics, kBoardWidth);
    const int32_t height = ToBackBuffer(graphics, kBoardHeight);
    if (back.width() == width && back.height() == height) {
        ConvertBitmap(back, format);
    } else {
        // A new scale: the board or the screen is drawn anew, so nothing of
        // the old picture is kept, and its storage serves the new one.
        back.reset(width, height, format);
    }

    graphics.TransparentText = true;
    graphics.BannerFont = BannerFontStyle();
    graphics.BannerFont.PointSize = ToBackBuffer(graphics, graphics.BannerFont.PointSize);
    ComputeBannerLayout(graphics);
}

void ChoosePixelFormat(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                       PixelFormatSetting format) {
    game.settings.PixelFormat = NormalizePixelFormat(format);
    graphics.Sources = {}; // every file read again
    LoadGraphics(graphics, game.settings.PixelFormat);
    if (game.Running) {
        RenderBoard(game, graphics, surface, ticks);
    }
}

bool RescaleGraphics(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                     int percent) {
    percent = ClampScale(percent);
    if (percent == graphics.ScalePercent) {
        return false;
    }
    graphics.ScalePercent = percent;
    LoadGraphics(graphics, game.settings.PixelFormat);
    if (game.Running) {
        RenderBoard(game, graphics, surface, ticks);
        return true;
    }
    try {
        DrawLogoPicture(graphics);
    } catch (const GraphicsError&) {
        // The player was told when the screen was shown; the board, which
        // stays behind the screen, is the best picture left to show.
        RenderBoard(game, graphics, surface, ticks);
    }
    return true;
}

} // namespace kelmar
