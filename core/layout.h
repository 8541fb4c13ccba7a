// Layouts: the positions a deal creates its slots on. A layout is plain data
// (a short name, a German name, the 144 positions in slot order); the
// board, the deals, the rules, the solver, the renderer and the saved games
// all take their positions from the slots a deal created on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmar {

struct Board;

constexpr int kLayoutSize = 144;    // positions of every layout: the whole tile set
constexpr int kMaxLayoutLayer = 15; // the saved-game Layer field holds 4 bits

// One position before the layer shift: X, Y in board pixels, Layer 1 (bottom)
// .. kMaxLayoutLayer.
struct LayoutPosition {
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Layer = 0;
    friend constexpr bool operator==(const LayoutPosition&, const LayoutPosition&) = default;
};

struct Layout {
    // The key of the layout in Kelmar.ini (Layout=) and in the name of its
    // best-times section ([Highscores ShortName]): 1..32 characters of
    // A-Z, a-z, 0-9, '-' and '_'. Unique among the layouts of one run
    // without regard to letter case.
    std::string ShortName;
    // The name the player sees, UTF-8.
    std::string Name;
    // Slot order: index i becomes slot i + 1 of every deal on this layout.
    std::array<LayoutPosition, kLayoutSize> Positions{};

    // The highest Layer of the positions.
    int LayerCount() const;
};

// The five-layer pyramid: the first layout, the default, and the one whose
// best times live in the plain [Highscores] section.
const Layout& PyramidLayout();

// True for a short name of the allowed characters and length.
bool ValidLayoutShortName(const std::string& name);

// True when slots 1..144 of `board` were created on `layout`: DealtCount is
// 144 and every slot has the position of the layout's entry in slot order.
// Whether a tile is present plays no part.
bool BoardHasLayout(const Board& board, const Layout& layout);

// The layout of `layouts` with the short name `shortName` (letter case
// aside), or null.
const Layout* FindLayout(const std::vector<Layout>& layouts, const std::string& shortName);

// The first layout of `layouts` the board was created on (BoardHasLayout),
// or null.
const Layout* LayoutOfBoard(const std::vector<Layout>& layouts, const Board& board);

} // namespace kelmar
