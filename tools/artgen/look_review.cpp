#include "look_review.h"

#include "colour_vision.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/zoom.h"
#include "format_review.h"
#include "render/display_image.h"
#include "render/looks.h"
#include "render/renderer.h"
#include "sheet_layout.h"
#include "tile_sets.h"

#include <QDir>
#include <algorithm>
#include <cstdio>

namespace kelmar::art {
namespace {

class KeptSurface final : public BoardSurface {
public:
    void present(const Bitmap& backBuffer) override { shown = BitmapToImage(backBuffer); }
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
    QImage shown;
};

QImage renderedBoard(const QString& gameDir, std::size_t set, std::size_t felt, int percent) {
    Game game;
    game.Seed = 20260;
    NewGame(game);
    AnalyzeBoard(game);
    game.Running = true;
    game.play.SelectionActive = true;
    game.play.SelectedSlot = 100;
    Graphics graphics;
    graphics.PictureFolder = gameDir;
    graphics.ScalePercent = percent;
    LookSetting looks{&BuiltInTileSets()[set], &BuiltInBackgrounds()[felt], std::nullopt};
    ApplyLooks(graphics, looks);
    BuildSheetIndex(graphics);
    LoadGraphics(graphics, PixelFormatSetting::Device);
    KeptSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    return surface.shown;
}

// The fewest pixels that tell the faces of two kinds apart by luminance.
int closestKinds(const QImage& sheet) {
    int closest = kFaceWidth * kFaceHeight;
    for (int a = 1; a <= 42; ++a)
        for (int b = a + 1; b <= 42; ++b)
            closest = std::min(
                closest,
                pixelsApartInLuminance(
                    sheet.copy(QRect(sheetCellOrigin(a), QSize(kFaceWidth, kFaceHeight))),
                    sheet.copy(QRect(sheetCellOrigin(b), QSize(kFaceWidth, kFaceHeight)))));
    return closest;
}

QString save(const QImage& image, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    return image.save(path, "PNG") ? QString() : QStringLiteral("cannot write %1").arg(path);
}

} // namespace

QString writeLookReview(const QString& gameDir, const QString& outDir) {
    const QDir out(outDir);
    QString error;
    for (std::size_t i = 0; i < tileSetArts().size(); ++i) {
        const TileSetArt& set = tileSetArts()[i];
        // Each set on the felt of the same rank: the night set on the night felt.
        const std::size_t felt = std::min(i, feltArts().size() - 1);
        const TilePictures pictures{makeSetSheet(set), makeSetFrame(set)};
        const QImage formats = makeFormatSheet(pictures, makeFelt(feltArts()[felt]));
        const QString name = set.shortName;
        for (const QString& e : {save(formats, out, QStringLiteral("formats-%1.png").arg(name)),
                                 save(simulateColourVision(formats, ColourVision::Protanopia), out,
                                      QStringLiteral("formats-%1-protan.png").arg(name)),
                                 save(simulateColourVision(formats, ColourVision::Deuteranopia),
                                      out, QStringLiteral("formats-%1-deutan.png").arg(name)),
                                 save(renderedBoard(gameDir, i, felt, 100), out,
                                      QStringLiteral("board-%1.png").arg(name)),
                                 save(renderedBoard(gameDir, i, felt, 225), out,
                                      QStringLiteral("board-%1-225.png").arg(name))})
            if (error.isEmpty())
                error = e;
        std::printf("%s: highlight dE", qPrintable(name));
        for (PixelFormatSetting format : kAllPixelFormats)
            std::printf(" %.1f", highlightDifferenceIn(pictures, format));
        std::printf(" (Device, 4, 8, 15, 16, 24, 32 bit); Device by level");
        for (int percent : kZoomLevels) {
            const HighlightDifference d = measureHighlight(makeSetSheet(set, percent), percent);
            std::printf(" %d%%: %.1f/%.1f", percent, d.mean, d.ring);
        }
        std::printf("\n  fewest pixels apart by luminance between two kinds: drawn %d, protan %d, "
                    "deutan %d\n",
                    closestKinds(pictures.sheet),
                    closestKinds(simulateColourVision(pictures.sheet, ColourVision::Protanopia)),
                    closestKinds(simulateColourVision(pictures.sheet, ColourVision::Deuteranopia)));
    }
    const QString e = save(makeSheetLayoutPicture(), out, QStringLiteral("sheet-layout.png"));
    if (error.isEmpty())
        error = e;
    for (const FeltArt& felt : feltArts()) {
        const QImage patch = makeFelt(felt);
        QImage two(patch.width() * 3, patch.height() * 2, QImage::Format_RGB32);
        for (int y = 0; y < two.height(); ++y)
            for (int x = 0; x < two.width(); ++x)
                two.setPixel(x, y, patch.pixel(x % patch.width(), y % patch.height()));
        const QString e = save(two, out, QStringLiteral("felt-%1.png").arg(felt.shortName));
        if (error.isEmpty())
            error = e;
    }
    return error;
}

} // namespace kelmar::art
