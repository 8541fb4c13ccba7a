#include "contact_sheet.h"

#include "app_icon.h"
#include "art_style.h"
#include "symbol_icons.h"

#include <QPainter>

namespace kelmar::art {
namespace {

// A mock board: two rows on layer 1 with a small second and third layer.
std::vector<PreviewTile> mockTiles() {
    std::vector<PreviewTile> tiles;
    int kind = 1;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 10; ++col)
            tiles.push_back({col * 38, row * 54, 1, 1 + (kind++ * 7) % 42});
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            tiles.push_back({114 + col * 38, 54 + row * 54, 2, 28 + (row * 4 + col) % 15});
    tiles.push_back({152, 81, 3, 35});
    tiles.push_back({190, 81, 3, 39});
    return tiles;
}

void drawLabel(QPainter& p, int x, int y, const QString& text) {
    p.setPen(QColor(30, 30, 30));
    p.setFont(glyphFont(16, true));
    p.drawText(x, y, text);
}

// The logo screen's white lines with their one-pixel black outline.
void drawLogoLine(QPainter& p, int y, const QString& text) {
    QFont font = glyphFont(11, false);
    p.setFont(font);
    const int baseline = y + QFontMetrics(font).ascent();
    p.setPen(Qt::black);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0)
                p.drawText(10 + dx, baseline + dy, text);
    p.setPen(Qt::white);
    p.drawText(10, baseline, text);
}

} // namespace

QImage makeContactSheet(const TilePictures& pictures, const QImage& felt, const QImage& logo) {
    QImage sheet(1760, 2000, QImage::Format_RGB32);
    sheet.fill(QColor(214, 214, 210));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);

    drawLabel(p, 20, 30, QStringLiteral("KLTiles.bmp x3"));
    p.drawImage(QRect(20, 40, pictures.sheet.width() * 3, pictures.sheet.height() * 3),
                pictures.sheet);

    drawLabel(p, 1070, 30, QStringLiteral("KLTFrame.bmp x4"));
    p.drawImage(QRect(1070, 40, pictures.frame.width() * 4, pictures.frame.height() * 4),
                pictures.frame);
    drawLabel(p, 1300, 30, QStringLiteral("KLBack.bmp 2x2"));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            p.drawImage(1300 + x * felt.width(), 40 + y * felt.height(), felt);

    drawLabel(p, 1070, 340, QStringLiteral("Symbole x4, hell und dunkel"));
    for (int i = 0; i < kSymbolCount; ++i) {
        const QImage symbol = makeSymbol(i);
        const int col = i % 10, row = i / 10;
        const QRect light(1070 + col * 68, 350 + row * 72, 64, 64);
        p.fillRect(light, QColor(240, 240, 236));
        p.drawImage(light, symbol);
        const QRect dark(1070 + col * 68, 510 + row * 72, 64, 64);
        p.fillRect(dark, QColor(48, 52, 58));
        p.drawImage(dark, symbol);
        p.drawImage(1070 + col * 20, 670 + row * 20, symbol);
    }
    drawLabel(p, 1070, 730, QStringLiteral("Programmsymbol"));
    int x = 1070;
    for (int size : kAppIconSizes) {
        p.drawImage(x, 740, makeAppIcon(size));
        x += size + 12;
    }
    p.drawImage(QRect(1070, 1010, 64, 64), makeAppIcon(16));

    drawLabel(p, 20, 880, QStringLiteral("Probebrett x2 (ein Stein hervorgehoben)"));
    const QImage board = composeBoard(QSize(470, 280), felt, pictures, mockTiles(), 11);
    p.drawImage(QRect(20, 890, board.width() * 2, board.height() * 2), board);

    drawLabel(p, 1000, 1460, QStringLiteral("KLMRLogo.jpg mit Textzeilen"));
    QImage withLines = logo.convertToFormat(QImage::Format_RGB32);
    {
        QPainter lp(&withLines);
        lp.setRenderHint(QPainter::TextAntialiasing);
        drawLogoLine(lp, 460, QStringLiteral("Start mit Mausklick"));
        drawLogoLine(lp, 432, QStringLiteral("Kelmar SR1 (12.12.2000)"));
    }
    p.drawImage(20, 1470, withLines.scaled(640, 480));
    p.drawImage(QRect(700, 1470, 250, 90), withLines, QRect(0, 390, 250, 90));
    p.end();
    return sheet;
}

} // namespace kelmar::art
