#include "core/layout.h"

#include "core/board.h"

#include <algorithm>
#include <cctype>

namespace kelmar {

int Layout::LayerCount() const {
    int layers = 0;
    for (const LayoutPosition& p : Positions) {
        layers = std::max(layers, static_cast<int>(p.Layer));
    }
    return layers;
}

const Layout& PyramidLayout() {
    static const Layout pyramid{"Pyramide", "Pyramide", BoardLayout};
    return pyramid;
}

bool ValidLayoutShortName(const std::string& name) {
    if (name.empty() || name.size() > 32) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_';
    });
}

bool BoardHasLayout(const Board& board, const Layout& layout) {
    if (board.DealtCount != kLayoutSize) {
        return false;
    }
    for (size_t i = 0; i < layout.Positions.size(); ++i) {
        const TileSlot& t = board.Slots[i + 1];
        if (!(layout.Positions[i] == LayoutPosition{t.X, t.Y, t.Layer})) {
            return false;
        }
    }
    return true;
}

const Layout* FindLayout(const std::vector<Layout>& layouts, const std::string& shortName) {
    const auto same = [&](const std::string& name) {
        return name.size() == shortName.size() &&
               std::equal(name.begin(), name.end(), shortName.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (const Layout& l : layouts) {
        if (same(l.ShortName)) {
            return &l;
        }
    }
    return nullptr;
}

const Layout* LayoutOfBoard(const std::vector<Layout>& layouts, const Board& board) {
    for (const Layout& l : layouts) {
        if (BoardHasLayout(board, l)) {
            return &l;
        }
    }
    return nullptr;
}

} // namespace kelmar
