// Shared helpers of the core tests: a recording view and plain reference
// versions of the rules, written from the rules' wording without any of the
// precomputation the library uses.
#pragma once

#include "core/game.h"
#include "core/game_view.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kelmar::test {

class RecordingView final : public GameView {
public:
    enum class Call { Render, Highlight, Present, HighScore };

    explicit RecordingView(Game& game) : game_(game) {}

    // Like the real view, a render ends a shown hint.
    void RenderBoard() override {
        calls.push_back(Call::Render);
        game_.play.HintShowing = false;
    }
    void HighlightTile(const Rect& rect) override {
        calls.push_back(Call::Highlight);
        highlights.push_back(rect);
    }
    void PresentBoard() override { calls.push_back(Call::Present); }
    void EnterHighScore(int32_t timeMs) override {
        calls.push_back(Call::HighScore);
        highScores.push_back(timeMs);
    }

    int count(Call c) const;
    void clear() {
        calls.clear();
        highlights.clear();
        highScores.clear();
    }

    std::vector<Call> calls;
    std::vector<Rect> highlights;
    std::vector<int32_t> highScores;

private:
    Game& game_;
};

// A dealt game (with the analysis run) from a fixed seed.
void Deal(Game& game, uint32_t seed, bool solvable);

// Keeps exactly the listed slots present (the others are taken off) and
// brings SlotCount to the highest of them.
void KeepOnly(Game& game, std::initializer_list<int32_t> slots);
void KeepOnly(Game& game, const std::vector<int32_t>& slots);

// Slots first..last followed by `extra`.
std::vector<int32_t> Range(int32_t first, int32_t last, std::vector<int32_t> extra = {});

// The free test exactly as worded, by a scan over slots 1..SlotCount; rows
// are read from the positions of slots 1..max(SlotCount, DealtCount).
bool ReferenceFree(const Board& board, int32_t slot);

// Ordered pairs of different free tiles that match, halved.
int32_t ReferenceMoveCount(const Board& board, const std::vector<int32_t>& freeSlots);

// Slot of BoardLayout at (x, y) on a layer, or 0.
int32_t LayoutSlot(int32_t x, int32_t y, uint8_t layer);

} // namespace kelmar::test
