#include "art_style.h"
#include "core/zoom.h"
#include "format_review.h"
#include "image_checks.h"
#include "tile_faces.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <queue>
#include <vector>

namespace kelmar::art {
namespace {

using test::isPureBlack;
using test::meanDifference;
using test::meanLuminance;

const QImage& sheet() {
    static const QImage image = makeTileSheet();
    return image;
}

QRect cell(int kind) {
    return {sheetCellOrigin(kind), QSize(kFaceWidth, kFaceHeight)};
}

struct CellCase {
    int kind;
    int x;
    int y;
};

// The renderer looks faces up at these corners; note that the top row holds
// kinds 10..18 and the second row kinds 1..9.
TEST(TileSheet, EveryKindSitsInTheCellTheRendererReads) {
    const CellCase cases[] = {
        {0, 266, 216},  {1, 0, 54},     {9, 304, 54},   {10, 0, 0},     {18, 304, 0},
        {19, 0, 108},   {27, 304, 108}, {28, 152, 162}, {31, 266, 162}, {32, 152, 216},
        {34, 228, 216}, {35, 0, 162},   {38, 114, 162}, {39, 0, 216},   {42, 114, 216},
        {-1, -1, -1},   {43, -1, -1},   {64, -1, -1},
    };
    for (const CellCase& c : cases)
        EXPECT_EQ(sheetCellOrigin(c.kind), QPoint(c.x, c.y)) << "kind " << c.kind;
}

TEST(TileSheet, IsLargeEnoughForTheWholeGrid) {
    EXPECT_GE(sheet().width(), 342);
    EXPECT_GE(sheet().height(), 270);
}

// Each cell must hold its own face, not a neighbour's bleeding in (the
// tolerance covers antialiasing rounding between the two drawings).
TEST(TileSheet, EachCellHoldsItsOwnFaceAndNothingElse) {
    for (int kind = kFirstKind; kind <= kLastKind; ++kind) {
        QImage face(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
        QPainter painter(&face);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintTileFace(painter, kind);
        painter.end();
        EXPECT_LT(meanDifference(sheet(), cell(kind), face, face.rect()), 0.5) << "kind " << kind;
    }
}

// A copy-and-paste slip in the drawing code would give two kinds the same
// face; a player could then never tell them apart.
TEST(TileFaces, NoTwoKindsLookAlike) {
    double closest = 1e9;
    int closestA = 0, closestB = 0;
    for (int a = kFirstKind; a <= kLastKind; ++a)
        for (int b = a + 1; b <= kLastKind; ++b) {
            const double d = meanDifference(sheet(), cell(a), sheet(), cell(b));
            if (d < closest) {
                closest = d;
                closestA = a;
                closestB = b;
            }
        }
    EXPECT_GT(closest, 4.0) << "kinds " << closestA << " and " << closestB;
}

TEST(TileFaces, CarryAMotifOnTheIvoryGround) {
    QImage ground(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
    QPainter painter(&ground);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFaceGround(painter);
    painter.end();
    for (int kind = kFirstKind; kind <= kLastKind; ++kind)
        EXPECT_GT(meanDifference(sheet(), cell(kind), ground, ground.rect()), 8.0)
            << "kind " << kind;
}

// result = NOT mask OR face, per bit, as the Device highlight does it.
QImage highlighted(int kind) {
    QImage face = sheet().copy(cell(kind));
    mergePaint(face, QPoint(0, 0), sheet(), sheetCellOrigin(0));
    return face;
}

TEST(HighlightMask, LightensEveryFaceVisibly) {
    for (int kind = kFirstKind; kind <= kLastKind; ++kind) {
        const QRect whole(0, 0, kFaceWidth, kFaceHeight);
        const double before = meanLuminance(sheet().copy(cell(kind)), whole);
        const double after = meanLuminance(highlighted(kind), whole);
        EXPECT_GT(after - before, 10.0) << "kind " << kind;
    }
}

// Washed out would mean the motif fades into the ground; the highlighted
// faces must stay as different from one another as a player needs.
TEST(HighlightMask, KeepsTheFacesApart) {
    for (int a = kFirstKind; a <= kLastKind; ++a)
        for (int b = a + 1; b <= kLastKind; ++b) {
            const QImage ha = highlighted(a), hb = highlighted(b);
            EXPECT_GT(meanDifference(ha, ha.rect(), hb, hb.rect()), 2.5)
                << "kinds " << a << " and " << b;
        }
}

// Every face, not only the average, must change clearly: a face whose
// drawing covered the rim would lose its ring.
TEST(HighlightMask, ChangesEveryFaceByAClearColourDifference) {
    for (int kind = kFirstKind; kind <= kLastKind; ++kind) {
        const QImage plain = sheet().copy(cell(kind)), lit = highlighted(kind);
        double sum = 0;
        for (int y = 0; y < kFaceHeight; ++y)
            for (int x = 0; x < kFaceWidth; ++x)
                sum += deltaE76(plain.pixel(x, y), lit.pixel(x, y));
        EXPECT_GT(sum / (kFaceWidth * kFaceHeight), 25.0) << "kind " << kind;
    }
}

TEST(HighlightMask, DifferenceStaysAboveItsFloorAtEveryLevel) {
    for (int percent : kZoomLevels) {
        const HighlightDifference d = measureHighlight(makeTileSheet(percent), percent);
        EXPECT_GE(d.mean, 30.0) << percent;
        EXPECT_GE(d.ring, 60.0) << percent;
    }
}

// The merge-paint only sets bits, so the ring's amber needs a rim whose
// blue and top green bit are clear, and the inks must keep their hue.
TEST(HighlightMask, TurnsTheRimAmberAndKeepsTheInks) {
    const auto lit = [](const QColor& face, const QColor& set) {
        return QColor((face.red() | set.red()), (face.green() | set.green()),
                      (face.blue() | set.blue()));
    };
    EXPECT_EQ(lit(kFaceRimLit, kHighlightRing), QColor(255, 248, 50));
    EXPECT_EQ(lit(kFaceRimShade, kHighlightRing), QColor(255, 176, 32));
    EXPECT_EQ(lit(kIvory, kHighlightTint), QColor(255, 255, 208));
    for (const QColor& ink : {kInkBlue, kInkRed, kInkGreen, kInkNavy})
        EXPECT_LT(deltaE76(ink.rgb(), lit(ink, kHighlightTint).rgb()), 12.0)
            << qPrintable(ink.name());
}

const QImage& frame() {
    static const QImage image = makeTileFrame();
    return image;
}

TEST(TileFrame, HasNoTransparentPixelUnderTheFace) {
    const QRect face(kFaceOffsetInFrame, QSize(kFaceWidth, kFaceHeight));
    ASSERT_TRUE(frame().rect().contains(face));
    for (int y = face.top(); y <= face.bottom(); ++y)
        for (int x = face.left(); x <= face.right(); ++x)
            ASSERT_FALSE(isPureBlack(frame().pixel(x, y))) << x << "," << y;
}

// Pure black is the transparent colour: a black pixel that is not connected
// to the picture's edge would punch a hole into the tile on the board.
TEST(TileFrame, BlackPixelsAreOnlyTheSurroundingTransparency) {
    const int w = frame().width(), h = frame().height();
    std::vector<bool> outside(std::size_t(w * h), false);
    std::queue<QPoint> todo;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h || outside[std::size_t(y * w + x)] ||
            !isPureBlack(frame().pixel(x, y)))
            return;
        outside[std::size_t(y * w + x)] = true;
        todo.push({x, y});
    };
    for (int x = 0; x < w; ++x) {
        visit(x, 0);
        visit(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        visit(0, y);
        visit(w - 1, y);
    }
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        visit(p.x() + 1, p.y());
        visit(p.x() - 1, p.y());
        visit(p.x(), p.y() + 1);
        visit(p.x(), p.y() - 1);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (isPureBlack(frame().pixel(x, y))) {
                ASSERT_TRUE(outside[std::size_t(y * w + x)]) << "hole at " << x << "," << y;
            }
}

// Higher layers lie up and to the right, so the tile's thickness must show
// to the left of and below the face, and nothing above it or to its right
// beyond the outline.
TEST(TileFrame, ShowsTheBodyLeftAndBelowTheFace) {
    struct Probe {
        int x, y;
        bool opaque;
    };
    const Probe probes[] = {
        {4, 30, true},   // left side, mid-height
        {1, 40, true},   // left side near the outer edge
        {25, 60, true},  // bottom side
        {25, 62, true},  // bottom side near the outer edge
        {2, 2, false},   // above the left side: the body starts lower
        {47, 63, false}, // below the right side: the body ends further left
        {47, 58, false},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(!isPureBlack(frame().pixel(p.x, p.y)), p.opaque) << p.x << "," << p.y;
}

} // namespace
} // namespace kelmar::art
