// Saved games: the whole board, the move history with its position and the
// playing time, bit-packed through a BitFile.
//
// File layout (bit stream, most significant bit first; every group starts on
// a byte boundary and the file ends on one):
//
//   magic        4 bytes raw   "KLMR" (WriteRaw32 of 0x524D4C4B, low byte first)
//   N            1 byte raw    DealtCount (144 for every dealt game)
//   highest      1 byte raw    SlotCount; only when N > 0
//   slots        N x 32 bits   slots 1..N, each big-endian:
//                                bit 31     Present
//                                bits 30-21 X (0..1023)
//                                bits 20-11 Y (0..1023)
//                                bits 10-7  Layer
//                                bits 6-1   Kind
//                                bit 0      Free
//   H            8 bits        history Length (undone moves included)
//   position     8 bits        history Position; only when H > 0
//   moves        H x 32 bits   First (8), Second (8), Time (16: low byte, high byte)
//   elapsed      16 bits       playing time, low byte then high byte
//
// Times are stored in units of 64 ms, rounded down; a time of 65535 units
// (69:54.240) or more is stored as 65535. A fresh game is
// 4 + 1 + 1 + 4*144 + 1 + 2 = 585 bytes.
//
// A game with aids (GameAids: a shuffle or a demonstration) is written with
// the magic "KLM2" instead (0x324D4C4B), which readers of the first format
// refuse as no saved game, so none of them loads it without its aids. The
// fields above follow unchanged, except that a move record with First = 0
// is a shuffle and its Second the shuffle's number (1, 2, ... in history
// order); after the elapsed time come:
//
//   aids         8 bits        bit 0 shuffled, bit 1 demonstrated; others 0
//   S            8 bits        shuffles, as many as the history's shuffle records (0..8)
//   shuffles     S times:      C (8 bits), the tiles it moved among, then C
//                              times slot (8) and the slot its tile came
//                              from (8), slots ascending
//
// Every game without aids is still written in the first format, so the
// game as it was before shuffles reads it.
#pragma once

#include "core/game.h"
#include "storage/bit_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelmar {

// The saved-game file name every start of the program begins with; the main
// window holds the current name (SaveFileName) and changes it only through
// the open and save dialogs.
constexpr const char* kDefaultSaveFileName = "QuickSave.klmr";

constexpr uint32_t kSaveMagic = 0x524D4C4Bu;         // "KLMR" read as a little-endian word
constexpr uint32_t kSaveMagicWithAids = 0x324D4C4Bu; // "KLM2"
constexpr int32_t kSaveTimeUnitMs = 64;
constexpr uint16_t kSaveTimeMaxUnits = 0xFFFF;
// The layout has 144 positions; a file with more slot records is rejected.
constexpr int kMaxSavedSlots = 144;

// Everything a load takes over, read and checked before the game is touched.
struct SavedGameData {
    int32_t dealtCount = 0;
    int32_t slotCount = 0;
    std::array<TileSlot, kMaxSavedSlots + 1> slots{}; // 1..dealtCount
    int32_t historyLength = 0;
    int32_t historyPosition = 0;
    std::array<MoveRecord, kHistoryCapacity + 1> moves{}; // 1..historyLength, Time in ms
    int32_t elapsedMs = 0;
    GameAids aids;
    std::array<ShuffleRecord, kShuffleCapacity + 1> shuffles{}; // the shuffles the moves name
};

// A time in ms as stored: ms / 64 rounded down, clamped to 0..65535.
uint16_t TimeToSaveUnits(int32_t ms);

// Writes `game` to `fileName`. The new file is written beside the old one
// under a temporary name and renamed over it only when complete, so a failure
// leaves an existing file intact (and no temporary behind). The game is not
// changed. Throws IoError with a German message naming the file.
void SaveGame(const Game& game, const std::string& fileName);

// Writes the saved-game stream of `game` into a BitFile opened for writing
// (does not close it).
void WriteSavedGame(BitFile& bitFile, const Game& game);

// Reads and checks one saved game from a BitFile opened for reading.
// Returns nullopt when the file starts with neither magic. Throws
// DamagedSaveError (German message, `fileName` quoted in it) for a file that
// ends before its last field or holds values the board and history cannot
// hold: N above 144; a highest-slot byte that is not the highest present slot;
// a Layer of 0; a Kind outside 1..42; a tile whose face would not lie
// inside the 640 x 480 board; no tile present at all; H above 80; a Position
// above H; a move naming slot 0 or a slot above N; a history that does not
// fit the board (a record naming one slot twice or two kinds that do not
// match; records 1..Position whose tiles are present or later ones whose
// tiles are absent; a record that takes a tile that is not free when the
// records are undone from the loaded board and then replayed). Bytes after
// the last field are ignored.
std::optional<SavedGameData> ReadSavedGame(BitFile& bitFile, const std::string& fileName);

// Replaces the game by `data` (which ReadSavedGame has checked) and prepares
// it for play: slots 1..N, DealtCount, SlotCount, history with its
// shuffles, aids (Shuffled also when the history holds a shuffle), clock (continues
// from the stored time at CurrentTick; Elapsed is set to it as well);
// slots above N lose their tile; BoardChanged and Running set; NoMovesLeft,
// GameWon, SelectionActive and HintShowing cleared; PrepareBoardGeometry and
// AnalyzeBoard; then view->RenderBoard() when a view is attached.
void CommitSavedGame(Game& game, const SavedGameData& data);

// Replaces the game by the one in `fileName`. The whole file is read and
// checked first; the game changes only when everything is valid.
// Throws IoError when the file cannot be opened or read (also when it is no
// regular file), NotASavedGameError ("Die Datei „…“ ist kein
// Kelmar-Spielstand.") when it does not start with the magic, and
// DamagedSaveError for a damaged file; in every case the game is exactly as
// it was.
void LoadGame(Game& game, const std::string& fileName);

} // namespace kelmar
