// The whole state of one running game, created once by the main window and
// passed by reference to every core operation. Fixed-size arrays only:
// nothing is allocated per move.
#pragma once

#include "core/board_geometry.h"
#include "core/layout.h"
#include "core/pixel_format.h"

#include <array>
#include <cstdint>
#include <string>

namespace kelmar {

class GameView;

constexpr int kSlotCapacity = 256;   // slots 0..255; slot 0 is the sentinel
constexpr int kKindCount = 42;       // tile kinds 1..42; kind 0 = not dealt / highlight mask
constexpr int kHistoryCapacity = 80; // move records 1..80; a game has at most 72 moves
constexpr int kFaceWidth = 38;       // pixels
constexpr int kFaceHeight = 54;      // pixels
constexpr int kBoardWidth = 640;     // pixels of the board surface and the BackBuffer
constexpr int kBoardHeight = 480;
constexpr int32_t kHintPenaltyMs = 10000;
// Shuffles one history can hold. Play records at most 72 pairs in the 80
// records, so a game's line of play has room for 8 shuffles besides them.
constexpr int kShuffleCapacity = kHistoryCapacity - 72;

// One position of the layout together with the tile on it.
struct TileSlot {
    bool Present = false;
    int32_t X = 0;     // pixels before the layer shift, 0..532 in the pyramid
    int32_t Y = 0;     // pixels before the layer shift, 0..378 in the pyramid
    uint8_t Layer = 0; // 1 (bottom) .. kMaxLayoutLayer (top); the pyramid has 5
    uint8_t Kind = 0;  // 1..42; 0 while not dealt
    bool Free = false; // written by the analysis for present slots only
};

struct Board {
    std::array<TileSlot, kSlotCapacity> Slots{};
    int32_t SlotCount = 0;  // highest present slot number; every scan runs 1..SlotCount
    int32_t DealtCount = 0; // slots the deal created (144); never shrinks
    uint8_t MaxLayer = 0;   // highest Layer created since the last reset
    std::array<uint8_t, kKindCount + 1> CopiesLeft{}; // the tile pool, index = kind
    std::array<uint8_t, kKindCount + 1> Low{};        // MatchRange: a matches b when
    std::array<uint8_t, kKindCount + 1> High{};       //   Low[b] <= a <= High[b]
};

// Results of the analysis and the selection / hint state.
struct PlayState {
    std::array<int32_t, kSlotCapacity> FreeList{}; // positions 1..FreeCount, ascending slots
    int32_t FreeCount = 0;
    int32_t MoveCount = 0;    // unordered pairs of free matching tiles
    bool NoMovesLeft = false; // also true when the game is won
    bool GameWon = false;
    bool SelectionActive = false;
    int32_t SelectedSlot = 0;
    bool BoardChanged = false; // set by a taken pair, a deal or a load; cleared by mouse-up
    bool HintShowing = false;  // cleared at the end of every RenderBoard
    int32_t HintSlotA = 0;
    int32_t HintSlotB = 0;
};

// A taken pair, or a shuffle of the tiles on the board: First = 0 (the
// sentinel, never a tile of a pair) marks a shuffle, and Second then names
// its ShuffleRecord in MoveHistory::Shuffles (1..kShuffleCapacity).
struct MoveRecord {
    int32_t Time = 0;   // game time in ms when the pair was taken (or the shuffle made)
    int32_t First = 0;  // slot of the first tile
    int32_t Second = 0; // slot of the second tile
};

// One shuffle: the tiles present when it was made changed places among
// their own slots. From[s] is the slot whose tile it moved onto slot s (s
// itself for a tile that stayed); 0 for every slot that held no tile.
struct ShuffleRecord {
    std::array<uint8_t, kSlotCapacity> From{};
    friend bool operator==(const ShuffleRecord&, const ShuffleRecord&) = default;
};

struct MoveHistory {
    std::array<MoveRecord, kHistoryCapacity + 1> Records{}; // index 1..80
    // The shuffles the records name, index 1..8: the k-th shuffle record of
    // Records[1..Length] names Shuffles[k].
    std::array<ShuffleRecord, kShuffleCapacity + 1> Shuffles{};
    int32_t Position = 0; // moves applied now; next undo takes Records[Position]
    int32_t Length = 0;   // moves recorded, undone ones included
    bool ReplayBackwards = false;
    bool LastStepDone = false;
};

// Game time in ms, derived from a 32-bit millisecond counter. All arithmetic
// wraps at 32 bits: Elapsed = BaseElapsed + (CurrentTick - BaseTick).
struct GameClock {
    uint32_t CurrentTick = 0;    // counter as last sampled (start-up, every timer event)
    uint32_t BaseTick = 0;       // CurrentTick at the last rebase
    int32_t BaseElapsed = 0;     // game time at the last rebase
    int32_t Elapsed = 0;         // game time as of the last timer event
    uint32_t NextStatusTick = 0; // the time display is refreshed once CurrentTick reaches this
};

// The player's choice of deal difficulty and a deal's grade. The numbers
// are those of the settings line Difficulty= (anything else reads as Any).
enum class Grade : uint8_t { Any = 0, Easy = 1, Medium = 2, Hard = 3 };

// How the main window is shown (WindowState=); the numbers are those of the
// settings line, anything else reads as Normal.
enum class WindowMode : uint8_t { Normal = 0, Maximized = 1, FullScreen = 2 };

constexpr WindowMode WindowModeFromCode(int64_t code) {
    return code == 1   ? WindowMode::Maximized
           : code == 2 ? WindowMode::FullScreen
                       : WindowMode::Normal;
}

// The persisted options: the five of the first version, then the newer ones.
struct GameSettings {
    bool AvoidUnsolveableGames = true;
    std::string PlayerName = "Kelmar"; // Windows-1252 bytes
    PixelFormatSetting PixelFormat = PixelFormatSetting::Device;
    bool ShowRenderSpeed = false;
    bool ForceRepaint = false;
    // The board size the player chose, a percentage of kZoomLevels
    // (core/zoom.h): the largest the board is shown at.
    int Zoom = 100;
    // The short name of the layout new games are dealt on (Layout=); one
    // no layout of this run has reads as the pyramid.
    std::string LayoutName = "Pyramide";
    // The hint shows a pair that keeps a winnable game winnable
    // (core/safe_hint.h); off: the plain hint.
    bool SafeHint = true;
    // Keep a game in progress across the end of the program and continue it
    // at the next start (play/resume_rules.h).
    bool ResumeGame = true;
    // Only deals of this grade (and proven winnable) unless Any.
    Grade Difficulty = Grade::Any;
    // The looks by short name (TileSet=, Background=); a background may
    // also be one plain colour, "#rrggbb". A name no set or felt of this run
    // has reads as the first, today's look.
    std::string TileSet = "klassisch";
    std::string Background = "blau";
    // The main window's state when the game last closed, restored at start
    // (a minimised window keeps the state it had before).
    WindowMode WindowState = WindowMode::Normal;
};

// The deal on the board as the player knows it: its number (0 for a loaded
// game, which has none), its grade (Any when not graded) and, for the game
// of the day, that day as a day count (days since 30 December 1899; 0: not
// a game of the day).
struct DealIdentity {
    uint32_t Number = 0;
    Grade DealGrade = Grade::Any;
    int32_t DayGame = 0;
    friend bool operator==(const DealIdentity&, const DealIdentity&) = default;
};

// Help this game had beyond the hint and undo. Cleared by every new deal,
// kept by undo and by a restart of the same deal, carried by saved games.
struct GameAids {
    bool Shuffled = false;     // the tiles were shuffled at least once
    bool Demonstrated = false; // the game played pairs by itself
    friend bool operator==(const GameAids&, const GameAids&) = default;
};

// A won game enters a best-times table only when it had no such help: a
// shuffle turns a lost game into a won one, and a demonstration shows the
// way, so their times do not compare with those of games played alone.
inline bool EntersBestTimes(const GameAids& aids) {
    return !aids.Shuffled && !aids.Demonstrated;
}

struct Game {
    Board board;
    PlayState play;
    MoveHistory history;
    GameClock clock;
    GameSettings settings;
    uint32_t Seed = 0;       // state of the deal generator
    uint32_t NumberSeed = 0; // state of the draw of fresh deal numbers
    DealIdentity deal;       // number and grade of the deal on the board
    GameAids Aids;           // shuffles and demonstrations in this game
    // The layout the next deal creates its slots on; never null. The layouts
    // live for the whole run (PyramidLayout() or the window's list).
    const Layout* layout = &PyramidLayout();
    bool Running = false;     // false while the logo, pause or about screen covers the board
    GameView* view = nullptr; // screen and best-times list; null = no effect (tests, tools)
    // Neighbour sets of the current slot positions, derived data only: NewGame
    // and PrepareBoardGeometry rebuild them, AnalyzeBoard checks them against
    // the board before use. Never saved.
    BoardGeometry geometry;
};

// Rebase the clock so the game time continues from `elapsed` at CurrentTick.
inline void RebaseClock(GameClock& clock, int32_t elapsed) {
    clock.BaseElapsed = elapsed;
    clock.BaseTick = clock.CurrentTick;
}

} // namespace kelmar
