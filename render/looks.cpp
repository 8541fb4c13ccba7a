#include "render/looks.h"

#include "render/picture_file.h"
#include "render/renderer.h"

#include <QImage>

namespace kelmar {

const std::vector<LookChoice>& BuiltInTileSets() {
    static const std::vector<LookChoice> sets{
        {QStringLiteral("klassisch"), QStringLiteral("Klassisch"), QString()},
        {QStringLiteral("kontrast"), QStringLiteral("Kontrast"), QStringLiteral("sets/kontrast")},
        {QStringLiteral("grossdruck"), QStringLiteral("Großdruck"),
         QStringLiteral("sets/grossdruck")},
        {QStringLiteral("nacht"), QStringLiteral("Nacht"), QStringLiteral("sets/nacht")},
    };
    return sets;
}

const std::vector<LookChoice>& BuiltInBackgrounds() {
    static const std::vector<LookChoice> felts{
        {QStringLiteral("blau"), QStringLiteral("Blauer Filz"), QString()},
        {QStringLiteral("gruen"), QStringLiteral("Grüner Filz"), QStringLiteral("felts/gruen")},
        {QStringLiteral("wein"), QStringLiteral("Weinroter Filz"), QStringLiteral("felts/wein")},
        {QStringLiteral("nacht"), QStringLiteral("Nachtfilz"), QStringLiteral("felts/nacht")},
    };
    return felts;
}

const LookChoice& FindLook(const std::vector<LookChoice>& choices, const QString& shortName) {
    for (const LookChoice& choice : choices) {
        if (choice.ShortName.compare(shortName, Qt::CaseInsensitive) == 0) {
            return choice;
        }
    }
    return choices.front();
}

std::optional<QRgb> ParsePlainColour(const QString& text) {
    if (text.size() != 7 || text[0] != QLatin1Char('#')) {
        return std::nullopt;
    }
    QRgb colour = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        QRgb digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        colour = colour << 4 | digit;
    }
    return qRgb(qRed(colour), qGreen(colour), qBlue(colour));
}

QString PlainColourText(QRgb colour) {
    return QStringLiteral("#%1").arg(colour & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

LookSetting ResolveLooks(const std::vector<LookChoice>& tileSets,
                         const std::vector<LookChoice>& backgrounds, const QString& tileSet,
                         const QString& background) {
    LookSetting setting;
    setting.TileSet = &FindLook(tileSets, tileSet);
    setting.PlainColour = ParsePlainColour(background);
    if (!setting.PlainColour) {
        setting.Background = &FindLook(backgrounds, background);
    }
    return setting;
}

void ApplyLooks(Graphics& graphics, const LookSetting& setting) {
    graphics.TileSetFolder = setting.TileSet ? setting.TileSet->Folder : QString();
    graphics.BackgroundFolder = setting.Background ? setting.Background->Folder : QString();
    graphics.PlainBackground = setting.PlainColour;
}

Bitmap PlainBackgroundTile(QRgb colour, PixelFormatSetting format) {
    // 64 pixels a side: few copies fill even a 600 % board, and the tile
    // costs 16 KiB at most.
    constexpr int kSide = 64;
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(colour);
    return BitmapFromImage(image, format);
}

void ChooseLooks(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                 const LookSetting& setting) {
    const QString oldTiles = graphics.TileSetFolder;
    const QString oldBackground = graphics.BackgroundFolder;
    const std::optional<QRgb> oldPlain = graphics.PlainBackground;
    ApplyLooks(graphics, setting);
    // The decoded pictures of the old looks are of no use any more.
    graphics.Sources = {};
    try {
        LoadGraphics(graphics, game.settings.PixelFormat);
    } catch (...) {
        graphics.TileSetFolder = oldTiles;
        graphics.BackgroundFolder = oldBackground;
        graphics.PlainBackground = oldPlain;
        graphics.Sources = {};
        try {
            LoadGraphics(graphics, game.settings.PixelFormat);
        } catch (...) {
            // The old looks were readable a moment ago; should they fail
            // now, the error of the new ones is the one to report.
        }
        throw;
    }
    if (game.Running) {
        RenderBoard(game, graphics, surface, ticks);
    }
}

} // namespace kelmar
