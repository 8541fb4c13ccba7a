#include "app_icon.h"
#include "image_checks.h"
#include "symbol_icons.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kelmar::art {
namespace {

const QDir assets(QStringLiteral(KELMAR_ASSETS_DIR));

QString symbolName(int i) {
    return QStringLiteral("symbol-%1.png").arg(i, 2, 10, QLatin1Char('0'));
}

TEST(Symbols, AreSixteenSquareWithTransparencyAndAllDifferent) {
    for (int i = 0; i < kSymbolCount; ++i) {
        const QImage symbol = makeSymbol(i);
        ASSERT_EQ(symbol.size(), QSize(16, 16));
        int transparent = 0, opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int a = qAlpha(symbol.pixel(x, y));
                transparent += a == 0;
                opaque += a == 255;
            }
        EXPECT_GT(transparent, 16) << "symbol " << i;
        EXPECT_GT(opaque, 30) << "symbol " << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(symbol, makeSymbol(j)) << "symbols " << i << " and " << j;
    }
}

// The 16-pixel window icon keeps to the standard 16-colour palette and has
// no half-transparent pixels, so it looks the same on any window frame.
TEST(AppIcon, SixteenPixelsUseOnlyTheSixteenColourPalette) {
    static const QSet<QRgb> palette{
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    const QImage icon = makeAppIcon(16);
    ASSERT_EQ(icon.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb c = icon.pixel(x, y);
            if (qAlpha(c) == 0)
                continue;
            ASSERT_EQ(qAlpha(c), 255) << x << "," << y;
            ASSERT_TRUE(palette.contains(c | 0xFF000000)) << x << "," << y;
        }
}

// Antialiasing may round a little differently on another Qt build; any real
// change of a drawing moves some pixel by far more.
constexpr int kRasterTolerance = 24;

int largestChannelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 256;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest,
                                   std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
        }
    return largest;
}

// The program compiles the committed PNGs; after a change of the drawing
// code they must be redrawn (target kelmar_icons) and committed again.
TEST(CommittedIcons, MatchWhatTheGeneratorDrawsNow) {
    for (int i = 0; i < kSymbolCount; ++i) {
        const QImage stored(assets.filePath(QStringLiteral("icons/") + symbolName(i)));
        ASSERT_FALSE(stored.isNull()) << symbolName(i).toStdString();
        EXPECT_LE(largestChannelDifference(stored, makeSymbol(i)), kRasterTolerance)
            << symbolName(i).toStdString();
    }
    for (int size : kAppIconSizes) {
        const QString name = QStringLiteral("icons/kelmar-%1.png").arg(size);
        const QImage stored(assets.filePath(name));
        ASSERT_FALSE(stored.isNull()) << name.toStdString();
        EXPECT_LE(largestChannelDifference(stored, makeAppIcon(size)), kRasterTolerance)
            << name.toStdString();
    }
}

TEST(CommittedIcons, ScalableIconMatchesTheGenerator) {
    QFile svg(assets.filePath(QStringLiteral("kelmar.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(svg.readAll()), makeAppIconSvg());
}

TEST(CommittedIcons, AreAllListedInTheResourceFileUnderTheirOwnNames) {
    QFile qrc(assets.filePath(QStringLiteral("icons.qrc")));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(qrc.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("prefix=\"/icons\"")));
    QStringList names;
    for (int i = 0; i < kSymbolCount; ++i)
        names << symbolName(i);
    for (int size : kAppIconSizes)
        names << QStringLiteral("kelmar-%1.png").arg(size);
    for (const QString& name : names) {
        const QString entry = QStringLiteral("<file alias=\"%1\">icons/%1</file>").arg(name);
        EXPECT_TRUE(text.contains(entry)) << entry.toStdString();
    }
    EXPECT_EQ(text.count(QStringLiteral("<file ")), names.size());
}

} // namespace
} // namespace kelmar::art
