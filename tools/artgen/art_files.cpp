#include "art_files.h"

#include "app_icon.h"
#include "contact_sheet.h"
#include "core/zoom.h"
#include "felt_background.h"
#include "format_review.h"
#include "logo_picture.h"
#include "render/looks.h"
#include "sheet_layout.h"
#include "symbol_icons.h"
#include "tile_frame.h"
#include "tile_sets.h"
#include "tile_sheet.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>

namespace kelmar::art {
namespace {

QString save(const QImage& image, const QString& fileName, const char* format, int quality = -1) {
    if (image.save(fileName, format, quality))
        return {};
    return QStringLiteral("cannot write %1").arg(fileName);
}

// The BMP writer stores RGB888 as 24 bits per pixel.
QString saveBmp(const QImage& image, const QString& fileName) {
    return save(image.convertToFormat(QImage::Format_RGB888), fileName, "BMP");
}

TilePictures tilePictures(int percent = 100) {
    return {makeTileSheet(percent), makeTileFrame(percent)};
}

// The file for `name` at `percent` in `dir` ("KLTiles200.bmp").
QString levelPath(const QDir& dir, const char* name, int percent) {
    return dir.filePath(QString::fromStdString(ZoomedFileName(name, percent)));
}

// The pictures of every tile set and felt but the game's own (which
// writeGameFiles writes into the game folder itself) into their folders
// (BuiltInTileSets, BuiltInBackgrounds), at every level.
QString writeLookFiles(const QDir& game) {
    const auto& setFolders = BuiltInTileSets();
    const auto& feltFolders = BuiltInBackgrounds();
    for (std::size_t i = 1; i < tileSetArts().size(); ++i) {
        const QString folder = game.filePath(setFolders[i].Folder);
        if (!QDir().mkpath(folder))
            return QStringLiteral("cannot create %1").arg(folder);
        const QDir dir(folder);
        for (int percent : kZoomLevels)
            for (const QString& error : {saveBmp(makeSetSheet(tileSetArts()[i], percent),
                                                 levelPath(dir, "KLTiles.bmp", percent)),
                                         saveBmp(makeSetFrame(tileSetArts()[i], percent),
                                                 levelPath(dir, "KLTFrame.bmp", percent))})
                if (!error.isEmpty())
                    return error;
    }
    for (std::size_t i = 1; i < feltArts().size(); ++i) {
        const QString folder = game.filePath(feltFolders[i].Folder);
        if (!QDir().mkpath(folder))
            return QStringLiteral("cannot create %1").arg(folder);
        for (int percent : kZoomLevels) {
            const QString error = saveBmp(makeFelt(feltArts()[i], percent),
                                          levelPath(QDir(folder), "KLBack.bmp", percent));
            if (!error.isEmpty())
                return error;
        }
    }
    return {};
}

} // namespace

QString writeGameFiles(const QString& gameDir) {
    const QDir dir(gameDir);
    for (int percent : kZoomLevels) {
        const TilePictures pictures = tilePictures(percent);
        for (const QString& error :
             {saveBmp(pictures.sheet, levelPath(dir, "KLTiles.bmp", percent)),
              saveBmp(pictures.frame, levelPath(dir, "KLTFrame.bmp", percent)),
              saveBmp(makeFeltBackgroundAt(percent), levelPath(dir, "KLBack.bmp", percent)),
              save(makeLogo(pictures, percent).convertToFormat(QImage::Format_RGB888),
                   levelPath(dir, "KLMRLogo.jpg", percent), "JPG", 92)})
            if (!error.isEmpty())
                return error;
    }
    // The help page shows it to players who draw a set of their own.
    const QString error =
        save(makeSheetLayoutPicture(), dir.filePath(QStringLiteral("Kachelbogen.png")), "PNG");
    return error.isEmpty() ? writeLookFiles(dir) : error;
}

QString writeIcons(const QString& iconDir) {
    const QDir dir(iconDir);
    for (int i = 0; i < kSymbolCount; ++i) {
        const QString name = QStringLiteral("symbol-%1.png").arg(i, 2, 10, QLatin1Char('0'));
        const QString error = save(makeSymbol(i), dir.filePath(name), "PNG");
        if (!error.isEmpty())
            return error;
    }
    for (int size : kAppIconSizes) {
        const QString name = QStringLiteral("kelmar-%1.png").arg(size);
        const QString error = save(makeAppIcon(size), dir.filePath(name), "PNG");
        if (!error.isEmpty())
            return error;
    }
    return {};
}

QString writeAppIconSvg(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(makeAppIconSvg().toUtf8()) < 0 || !file.flush())
        return QStringLiteral("cannot write %1").arg(fileName);
    return {};
}

QString writeContactSheet(const QString& fileName) {
    const TilePictures pictures = tilePictures();
    return save(makeContactSheet(pictures, makeFeltBackground(), makeLogo(pictures)), fileName,
                "PNG");
}

} // namespace kelmar::art

namespace kelmar::art {

QString writeFormatSheet(const QString& fileName) {
    return save(makeFormatSheet(tilePictures(), makeFeltBackground()), fileName, "PNG");
}

QString printHighlightDifference(const QString& sheetFile) {
    const QImage sheet(sheetFile);
    if (sheet.isNull())
        return QStringLiteral("cannot read %1").arg(sheetFile);
    const int percent = sheet.width() * 100 / kSheetWidth;
    if (!IsZoomLevel(percent) || sheet.height() != ScaleLength(kSheetHeight, percent))
        return QStringLiteral("%1 is no tile sheet").arg(sheetFile);
    const HighlightDifference d =
        measureHighlight(sheet.convertToFormat(QImage::Format_RGB32), percent);
    std::printf("%s (%d %%): mean dE %.1f, ring dE %.1f\n", qPrintable(sheetFile), percent, d.mean,
                d.ring);
    return {};
}

} // namespace kelmar::art
