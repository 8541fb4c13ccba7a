#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/layout_text.h"
#include "core/rules.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace kelmar {
namespace {

// A layer picture of `rows` rows of `perRow` side-by-side tiles, starting
// `indent` characters in.
std::string Block(int rows, int perRow, int indent = 0) {
    std::string out;
    for (int r = 0; r < rows; ++r) {
        const std::string line = std::string(static_cast<size_t>(indent), '.') +
                                 std::string(static_cast<size_t>(2 * perRow), '#') + "\n";
        out += line + line;
    }
    return out;
}

// A valid file: 8 rows of 14 on layer 1 and 4 rows of 8 on layer 2.
std::string GoodText() {
    return "Name: Probe\nEbene 1\n" + Block(8, 14) + "Ebene 2\n" + Block(4, 8, 3);
}

TEST(LayoutText, ReadsTilesInReadingOrderLayerByLayerOnTheHalfStepGrid) {
    const std::string text = "; made by hand\r\n\r\nName:  Kleine Probe \r\nEbene 1\r\n" +
                             Block(8, 14) + "Ebene 3\r\n\r\n" + Block(4, 8, 3);
    const LayoutTextResult r = ParseLayoutText("\xEF\xBB\xBF" + text, "Probe");
    ASSERT_TRUE(r.layout) << r.error.Line << ": " << r.error.Message;
    const Layout& l = *r.layout;
    EXPECT_EQ(l.ShortName, "Probe");
    EXPECT_EQ(l.Name, "Kleine Probe");
    EXPECT_EQ(l.LayerCount(), 3);
    EXPECT_EQ(l.Positions[0], (LayoutPosition{0, 0, 1}));
    EXPECT_EQ(l.Positions[1], (LayoutPosition{38, 0, 1}));
    EXPECT_EQ(l.Positions[14], (LayoutPosition{0, 54, 1}));
    // Layer 3 begins with an empty row and three empty columns: 27 and 57 px.
    EXPECT_EQ(l.Positions[112], (LayoutPosition{57, 27, 3}));
    EXPECT_EQ(l.Positions[143], (LayoutPosition{57 + 7 * 38, 27 + 3 * 54, 3}));
}

TEST(LayoutText, TilesHalfATileApartAreSeparateTiles) {
    // On layer 2 a tile, one half a tile lower to its right, then rows that
    // start half a tile in.
    const std::string text =
        "Name: Versatz\nEbene 1\n" + Block(8, 14) + "Ebene 2\n##\n####\n..##\n" + Block(3, 10, 1);
    const LayoutTextResult r = ParseLayoutText(text, "v");
    ASSERT_TRUE(r.layout) << r.error.Line << ": " << r.error.Message;
    EXPECT_EQ(r.layout->Positions[112], (LayoutPosition{0, 0, 2}));
    EXPECT_EQ(r.layout->Positions[113], (LayoutPosition{38, 27, 2}));
    EXPECT_EQ(r.layout->Positions[114], (LayoutPosition{19, 81, 2}));
}

struct BadText {
    const char* name;
    std::string text;
    int line;
    const char* fragment;
};

class LayoutTextRule : public ::testing::TestWithParam<BadText> {};

TEST_P(LayoutTextRule, IsReportedWithItsLine) {
    const LayoutTextResult r = ParseLayoutText(GetParam().text, "x");
    ASSERT_FALSE(r.layout);
    EXPECT_EQ(r.error.Line, GetParam().line);
    EXPECT_NE(r.error.Message.find(GetParam().fragment), std::string::npos) << r.error.Message;
}

const std::string kLayer1 = "Ebene 1\n" + Block(8, 14);

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutTextRule,
    ::testing::Values(
        BadText{"NoNameLine", "Ebene 1\n##\n##\n", 1, "Name:"},
        BadText{"EmptyFile", "", 0, "Name:"}, BadText{"EmptyName", "Name:   \n", 1, "1 bis 40"},
        BadText{"NameOf41Bytes", "Name: " + std::string(41, 'a') + "\n", 1, "1 bis 40"},
        BadText{"PictureBeforeAnyLayer", "Name: a\n##\n", 2, "Ebene 1"},
        BadText{"LayerZero", "Name: a\nEbene 0\n", 2, "1 bis 15"},
        BadText{"Layer16", "Name: a\nEbene 16\n", 2, "1 bis 15"},
        BadText{"LayerNoNumber", "Name: a\nEbene zwei\n", 2, "1 bis 15"},
        BadText{"LayersNotRising", "Name: a\nEbene 2\n##\n##\nEbene 2\n", 5, "niedrigere"},
        BadText{"ForeignCharacter", "Name: a\n" + kLayer1 + "..#x\n", 19, "Zeichen 4"},
        BadText{"TabIsNoBlank", "Name: a\nEbene 1\n\t##\n", 3, "Zeichen 1"},
        BadText{"HalfTileAtTheEnd", "Name: a\nEbene 1\n##\n", 3, "2 × 2"},
        BadText{"OverlapOnOneLayer", "Name: a\nEbene 1\n###\n###\n", 3, "Zeichen 3"},
        BadText{"OverlapHalfARowDown", "Name: a\nEbene 1\n##\n##\n##\n", 5, "Zeichen 1"},
        BadText{"RightOfTheBoard",
                "Name: a\nEbene 1\n" + std::string(60, '.') + "##\n" + std::string(60, '.') +
                    "##\n",
                3, "außerhalb"},
        BadText{"BelowTheBoard", "Name: a\nEbene 1\n" + std::string(15, '\n') + "##\n##\n", 18,
                "außerhalb"},
        // Layer 4 lifts a face in the top row 36 px: its frame leaves the board.
        BadText{"LiftedAboveTheBoard", "Name: a\n" + kLayer1 + "Ebene 4\n##\n##\n", 20,
                "außerhalb"},
        BadText{"TooFewTiles", "Name: a\n" + kLayer1, 0, "112 statt 144"},
        BadText{"TooManyTiles", GoodText() + "Ebene 4\n\n\n##\n##\n", 0, "145 statt 144"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutText, TheGoodTextIsAccepted) {
    const LayoutTextResult r = ParseLayoutText(GoodText(), "x");
    EXPECT_TRUE(r.layout) << r.error.Line << ": " << r.error.Message;
}

TEST(BoardSurface, TheFrameMayTouchEveryEdgeButNotCrossIt) {
    struct Edge {
        LayoutPosition p;
        bool inside;
    };
    const Edge edges[] = {
        {{566, 0, 1}, true},    {{567, 0, 1}, false},  // right: 566 + 35 - 9 + 48 = 640
        {{0, 397, 1}, true},    {{0, 398, 1}, false},  // bottom: 397 + 20 - 1 + 64 = 480
        {{0, 8, 4}, true},      {{0, 7, 4}, false},    // top: 8 + 29 - 36 - 1 = 0
        {{0, 107, 15}, true},   {{0, 106, 15}, false}, // the highest layer
        {{440, 200, 15}, true}, {{441, 200, 15}, false},
        {{100, 100, 0}, false}, {{100, 200, 16}, false},
    };
    for (const Edge& e : edges) {
        EXPECT_EQ(PositionOnBoardSurface(e.p), e.inside)
            << e.p.X << ", " << e.p.Y << ", layer " << int{e.p.Layer};
    }
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

TEST(BuiltInLayouts, EveryDrawingKeepsTheRulesAndThePyramidComesFirst) {
    const std::vector<Layout>& all = BuiltInLayouts();
    ASSERT_EQ(static_cast<int>(all.size()), BuiltInDrawingCount() + 1);
    ASSERT_GE(all.size(), 12u);
    EXPECT_EQ(all.front().Positions, PyramidLayout().Positions);
    std::set<std::string> shortNames;
    std::set<std::string> names;
    for (const Layout& l : all) {
        EXPECT_TRUE(ValidLayoutShortName(l.ShortName)) << l.ShortName;
        EXPECT_TRUE(shortNames.insert(Lower(l.ShortName)).second) << l.ShortName;
        EXPECT_TRUE(names.insert(l.Name).second) << l.Name;
        for (const LayoutPosition& p : l.Positions) {
            EXPECT_TRUE(PositionOnBoardSurface(p)) << l.ShortName;
        }
    }
}

TEST(BuiltInLayouts, NoTwoTilesOfOneLayerOverlap) {
    for (const Layout& l : BuiltInLayouts()) {
        for (size_t i = 0; i < l.Positions.size(); ++i) {
            for (size_t j = i + 1; j < l.Positions.size(); ++j) {
                const LayoutPosition& a = l.Positions[i];
                const LayoutPosition& b = l.Positions[j];
                EXPECT_FALSE(a.Layer == b.Layer && std::abs(a.X - b.X) < kFaceWidth &&
                             std::abs(a.Y - b.Y) < kFaceHeight)
                    << l.ShortName << " slots " << i + 1 << " and " << j + 1;
            }
        }
    }
}

class DealOnLayout : public ::testing::TestWithParam<size_t> {};

// Both deals create the 144 slots on the layout's positions in its order,
// with the whole tile set; the constructed deal is proven winnable.
TEST_P(DealOnLayout, CreatesTheLayoutsSlotsWithTheWholeTileSet) {
    const Layout& layout = BuiltInLayouts()[GetParam()];
    for (const bool solvable : {false, true}) {
        auto game = std::make_unique<Game>();
        game->layout = &layout;
        game->settings.AvoidUnsolveableGames = solvable;
        SeedRandom(*game, 7);
        DealCheckReport report;
        NewGame(*game, &report);
        AnalyzeBoard(*game);
        const Board& b = game->board;
        ASSERT_EQ(b.DealtCount, kLayoutSize);
        EXPECT_EQ(b.MaxLayer, layout.LayerCount());
        std::array<int, kKindCount + 1> counts{};
        for (size_t i = 0; i < layout.Positions.size(); ++i) {
            const TileSlot& t = b.Slots[i + 1];
            ASSERT_EQ((LayoutPosition{t.X, t.Y, t.Layer}), layout.Positions[i]);
            ++counts[t.Kind];
        }
        for (int k = 1; k <= kKindCount; ++k) {
            EXPECT_EQ(counts[static_cast<size_t>(k)], k <= 34 ? 4 : 1);
        }
        EXPECT_TRUE(BoardHasLayout(b, layout));
        EXPECT_EQ(BoardHasLayout(b, PyramidLayout()), GetParam() == 0);
        if (solvable) {
            EXPECT_TRUE(report.proven) << layout.ShortName;
        }
        EXPECT_GT(game->play.FreeCount, 0) << layout.ShortName;
    }
}

// Six towers side by side in two bands: felt between them ends every row,
// so each top tile is free at the start.
TEST(DealOnLayout, EveryTopTileOfTheSixTowersIsFreeAtTheStart) {
    const Layout* towers = FindLayout(BuiltInLayouts(), "Tuerme");
    ASSERT_NE(towers, nullptr);
    auto game = std::make_unique<Game>();
    game->layout = towers;
    SeedRandom(*game, 5);
    NewGame(*game);
    AnalyzeBoard(*game);
    const int top = towers->LayerCount();
    int topTiles = 0;
    for (int32_t s = 1; s <= kLayoutSize; ++s) {
        const TileSlot& t = game->board.Slots[static_cast<size_t>(s)];
        EXPECT_EQ(t.Free, t.Layer == top) << s;
        topTiles += t.Layer == top ? 1 : 0;
    }
    EXPECT_EQ(topTiles, 24);
    EXPECT_EQ(game->play.FreeCount, 24);
}

INSTANTIATE_TEST_SUITE_P(Every, DealOnLayout, ::testing::Range(size_t{0}, BuiltInLayouts().size()),
                         [](const auto& info) { return BuiltInLayouts()[info.param].ShortName; });

// The chooser hands out a copy of the pyramid; its deals must be the
// pyramid's own, whichever of the two the game points to.
TEST(DealOnLayout, APyramidCopyDealsThePyramidsGames) {
    for (const bool solvable : {false, true}) {
        auto own = std::make_unique<Game>();
        auto copy = std::make_unique<Game>();
        copy->layout = &BuiltInLayouts().front();
        ASSERT_NE(copy->layout, own->layout);
        for (Game* g : {own.get(), copy.get()}) {
            g->settings.AvoidUnsolveableGames = solvable;
            SeedRandom(*g, 4242);
            NewGame(*g);
        }
        for (int32_t s = 1; s <= kLayoutSize; ++s) {
            ASSERT_EQ(own->board.Slots[static_cast<size_t>(s)].Kind,
                      copy->board.Slots[static_cast<size_t>(s)].Kind)
                << "slot " << s;
        }
    }
}

TEST(BoardHasLayout, ABoardCutShortOrMovedByOnePixelIsNoLongerTheLayout) {
    Game game;
    SeedRandom(game, 1);
    NewGame(game);
    ASSERT_TRUE(BoardHasLayout(game.board, PyramidLayout()));
    game.board.Slots[144].Present = false; // presence plays no part
    EXPECT_TRUE(BoardHasLayout(game.board, PyramidLayout()));
    Game moved = game;
    moved.board.Slots[77].X += 1;
    EXPECT_FALSE(BoardHasLayout(moved.board, PyramidLayout()));
    Game shorter = game;
    shorter.board.DealtCount = 143;
    EXPECT_FALSE(BoardHasLayout(shorter.board, PyramidLayout()));
}

} // namespace
} // namespace kelmar
