#include "storage/saved_game.h"

#include "core/board.h"
#include "core/game_view.h"
#include "core/rules.h"
#include "storage/replace_file.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace kelmar {
namespace {

constexpr int kMaxLayer = kMaxLayoutLayer; // what the 4-bit field holds; layouts go up to it

// Field widths of a slot record, in stream order.
constexpr int kPresentBits = 1;
constexpr int kCoordinateBits = 10;
constexpr int kLayerBits = 4;
constexpr int kKindBits = 6;
constexpr int kFreeBits = 1;

uint16_t masked(int32_t value, int bits) {
    return static_cast<uint16_t>(static_cast<uint32_t>(value) & ((1u << bits) - 1u));
}

void writeSlot(BitFile& bitFile, const TileSlot& slot) {
    WriteBits(bitFile, slot.Present ? 1 : 0, kPresentBits);
    WriteBits(bitFile, masked(slot.X, kCoordinateBits), kCoordinateBits);
    WriteBits(bitFile, masked(slot.Y, kCoordinateBits), kCoordinateBits);
    WriteBits(bitFile, masked(slot.Layer, kLayerBits), kLayerBits);
    WriteBits(bitFile, masked(slot.Kind, kKindBits), kKindBits);
    WriteBits(bitFile, slot.Free ? 1 : 0, kFreeBits);
}

TileSlot readSlot(BitFile& bitFile) {
    TileSlot slot;
    slot.Present = ReadBits(bitFile, kPresentBits) != 0;
    slot.X = ReadBits(bitFile, kCoordinateBits);
    slot.Y = ReadBits(bitFile, kCoordinateBits);
    slot.Layer = static_cast<uint8_t>(ReadBits(bitFile, kLayerBits));
    slot.Kind = static_cast<uint8_t>(ReadBits(bitFile, kKindBits));
    slot.Free = ReadBits(bitFile, kFreeBits) != 0;
    return slot;
}

// Reports a damaged file. A file that has already run out explains every odd
// value after its end, so that is what the player is told then.
[[noreturn]] void damaged(const BitFile& bitFile, const std::string& fileName,
                          const std::string& detail) {
    const std::string reason = bitFile.overrun ? "die Datei endet vorzeitig" : detail;
    throw DamagedSaveError("Spielstand " + QuotedFileName(fileName) + " ist beschädigt: " + reason +
                           ".");
}

// The face of the tile must lie inside the 640 x 480 board (TileRect).
bool faceInsideBoard(const TileSlot& slot) {
    const int32_t left = slot.X + 26 + 9 * slot.Layer;
    const int32_t top = slot.Y + 29 - 9 * slot.Layer;
    return left >= 0 && top >= 0 && left + kFaceWidth <= kBoardWidth &&
           top + kFaceHeight <= kBoardHeight;
}

std::string slotProblem(int32_t number, const TileSlot& slot) {
    const std::string where = "Stein " + std::to_string(number);
    if (slot.Layer < 1 || slot.Layer > kMaxLayer) {
        return where + " liegt auf der ungültigen Ebene " + std::to_string(slot.Layer);
    }
    if (slot.Kind < 1 || slot.Kind > kKindCount) {
        return where + " hat die ungültige Sorte " + std::to_string(slot.Kind);
    }
    if (!faceInsideBoard(slot)) {
        return where + " liegt außerhalb des Spielfelds";
    }
    return {};
}

void readSlots(BitFile& bitFile, const std::string& fileName, SavedGameData& data) {
    const int32_t highest = ReadByte(bitFile);
    int32_t highestPresent = 0;
    for (int32_t s = 1; s <= data.dealtCount; ++s) {
        data.slots[static_cast<std::size_t>(s)] = readSlot(bitFile);
        if (data.slots[static_cast<std::size_t>(s)].Present) {
            highestPresent = s;
        }
    }
    for (int32_t s = 1; s <= data.dealtCount; ++s) {
        const std::string problem = slotProblem(s, data.slots[static_cast<std::size_t>(s)]);
        if (!problem.empty()) {
            damaged(bitFile, fileName, problem);
        }
    }
    if (highest != highestPresent) {
        damaged(bitFile, fileName,
                "der höchste belegte Platz " + std::to_string(highest) +
                    " passt nicht zu den Steinen (" + std::to_string(highestPresent) + ")");
    }
    data.slotCount = highest;
}

void readMoves(BitFile& bitFile, const std::string& fileName, SavedGameData& data) {
    data.historyLength = Read8(bitFile);
    if (data.historyLength > kHistoryCapacity) {
        damaged(bitFile, fileName,
                std::to_string(data.historyLength) + " Züge (höchstens " +
                    std::to_string(kHistoryCapacity) + ")");
    }
    if (data.historyLength == 0) {
        return;
    }
    data.historyPosition = Read8(bitFile);
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        move.First = Read8(bitFile);
        move.Second = Read8(bitFile);
        move.Time = Read16(bitFile) * kSaveTimeUnitMs;
    }
    if (data.historyPosition > data.historyLength) {
        damaged(bitFile, fileName,
                "Zugposition " + std::to_string(data.historyPosition) + " hinter " +
                    std::to_string(data.historyLength) + " Zügen");
    }
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        for (const int32_t slot : {move.First, move.Second}) {
            if (slot < 1 || slot > data.dealtCount) {
                damaged(bitFile, fileName,
                        "Zug " + std::to_string(m) + " nennt den ungültigen Stein " +
                            std::to_string(slot));
            }
        }
    }
}

// A scratch game holding the loaded board, for replaying the history
// against the free rule without touching the real game.
std::unique_ptr<Game> scratchGame(const SavedGameData& data) {
    auto game = std::make_unique<Game>();
    Board& board = game->board;
    FillMatchRange(board);
    board.DealtCount = data.dealtCount;
    board.SlotCount = data.slotCount;
    std::copy_n(data.slots.begin(), data.dealtCount + 1, board.Slots.begin());
    board.Slots[0] = TileSlot{};
    board.Slots[0].Present = true; // the sentinel that stops SlotCount at 0
    PrepareBoardGeometry(*game);
    return game;
}

bool present(const Game& game, const MoveRecord& move) {
    const auto& slots = game.board.Slots;
    return slots[static_cast<std::size_t>(move.First)].Present &&
           slots[static_cast<std::size_t>(move.Second)].Present;
}

// Both tiles of `move` lie on the board and are free there.
bool takeable(Game& game, const MoveRecord& move) {
    if (!present(game, move)) {
        return false;
    }
    AnalyzeBoard(game);
    const auto& slots = game.board.Slots;
    return slots[static_cast<std::size_t>(move.First)].Free &&
           slots[static_cast<std::size_t>(move.Second)].Free;
}

// Empty when the history could have been played on the loaded board: every
// record takes two different tiles of matching kinds; undo from the board as
// loaded puts back, pair by pair, tiles that were absent and are then free;
// and from there every record, the undone ones included, takes two present,
// free tiles. So neither undo, redo nor the after-win replay can take a tile
// that is covered, take a tile twice or reach an empty board unplayed.
std::string historyProblem(const SavedGameData& data) {
    const auto game = scratchGame(data);
    const Board& board = game->board;
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        const std::string where = "Zug " + std::to_string(m);
        if (move.First == move.Second) {
            return where + " nennt zweimal den Stein " + std::to_string(move.First);
        }
        if (!KindsMatch(board, board.Slots[static_cast<std::size_t>(move.First)].Kind,
                        board.Slots[static_cast<std::size_t>(move.Second)].Kind)) {
            return where + " nimmt zwei Steine, die nicht zusammenpassen";
        }
    }
    for (int32_t m = data.historyPosition; m >= 1; --m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        const auto& slots = game->board.Slots;
        if (slots[static_cast<std::size_t>(move.First)].Present ||
            slots[static_cast<std::size_t>(move.Second)].Present) {
            return "Zug " + std::to_string(m) + " passt nicht zum Brett";
        }
        RestoreTile(game->board, move.First);
        RestoreTile(game->board, move.Second);
        if (!takeable(*game, move)) {
            return "Zug " + std::to_string(m) + " passt nicht zum Brett";
        }
    }
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        if (!takeable(*game, move)) {
            return "Zug " + std::to_string(m) + " passt nicht zum Brett";
        }
        RemoveTile(game->board, move.First);
        RemoveTile(game->board, move.Second);
    }
    return {};
}

} // namespace

uint16_t TimeToSaveUnits(int32_t ms) {
    if (ms <= 0) {
        return 0;
    }
    // A longer game keeps the largest time the field can hold instead of
    // wrapping round to a short one.
    return static_cast<uint16_t>(std::min<int32_t>(ms / kSaveTimeUnitMs, kSaveTimeMaxUnits));
}

void WriteSavedGame(BitFile& bitFile, const Game& game) {
    const Board& board = game.board;
    const int32_t n = std::clamp<int32_t>(board.DealtCount, 0, kSlotCapacity - 1);
    WriteRaw32(bitFile, kSaveMagic);
    WriteByte(bitFile, static_cast<uint8_t>(n));
    if (n > 0) {
        WriteByte(bitFile, static_cast<uint8_t>(std::clamp<int32_t>(board.SlotCount, 0, n)));
        for (int32_t s = 1; s <= n; ++s) {
            writeSlot(bitFile, board.Slots[static_cast<std::size_t>(s)]);
        }
    }
    const MoveHistory& history = game.history;
    const int32_t length = std::clamp<int32_t>(history.Length, 0, kHistoryCapacity);
    Write8(bitFile, static_cast<uint8_t>(length));
    if (length > 0) {
        Write8(bitFile, static_cast<uint8_t>(std::clamp<int32_t>(history.Position, 0, length)));
        for (int32_t m = 1; m <= length; ++m) {
            const MoveRecord& move = history.Records[static_cast<std::size_t>(m)];
            Write8(bitFile, static_cast<uint8_t>(move.First));
            Write8(bitFile, static_cast<uint8_t>(move.Second));
            Write16(bitFile, TimeToSaveUnits(move.Time));
        }
    }
    Write16(bitFile, TimeToSaveUnits(game.clock.Elapsed));
}

void SaveGame(const Game& game, const std::string& fileName) {
    const std::string action = "Kann Spielstand " + QuotedFileName(fileName) + " nicht speichern";
    TemporarySibling temporary(fileName, action);
    BitFile bitFile;
    if (!Open(bitFile, temporary.path(), kBitFileWrite)) {
        throw IoError(action + ": " + GermanErrorText(errno) + ".");
    }
    bitFile.fileName = fileName;
    WriteSavedGame(bitFile, game);
    Close(bitFile);
    temporary.commit();
}

std::optional<SavedGameData> ReadSavedGame(BitFile& bitFile, const std::string& fileName) {
    if (ReadRaw32(bitFile) != kSaveMagic) {
        return std::nullopt;
    }
    SavedGameData data;
    data.dealtCount = ReadByte(bitFile);
    if (data.dealtCount > kMaxSavedSlots) {
        damaged(bitFile, fileName,
                std::to_string(data.dealtCount) + " Steine (höchstens " +
                    std::to_string(kMaxSavedSlots) + ")");
    }
    if (data.dealtCount > 0) {
        readSlots(bitFile, fileName, data);
    }
    readMoves(bitFile, fileName, data);
    data.elapsedMs = Read16(bitFile) * kSaveTimeUnitMs;
    if (bitFile.overrun) {
        damaged(bitFile, fileName, {});
    }
    // An empty board would load as a won game and enter its time as a best
    // time; the game never saves one.
    if (data.slotCount == 0) {
        damaged(bitFile, fileName, "kein Stein liegt auf dem Brett");
    }
    const std::string problem = historyProblem(data);
    if (!problem.empty()) {
        damaged(bitFile, fileName, problem);
    }
    return data;
}

void CommitSavedGame(Game& game, const SavedGameData& data) {
    Board& board = game.board;
    board.DealtCount = data.dealtCount;
    board.SlotCount = data.slotCount;
    for (int32_t s = 1; s < kSlotCapacity; ++s) {
        if (s <= data.dealtCount) {
            board.Slots[static_cast<std::size_t>(s)] = data.slots[static_cast<std::size_t>(s)];
            // The renderer draws layers 1..MaxLayer; after any deal that is
            // already 5, this only matters for a load before the first deal.
            board.MaxLayer =
                std::max(board.MaxLayer, board.Slots[static_cast<std::size_t>(s)].Layer);
        } else {
            // No tile of the previous game may linger above the loaded slots.
            board.Slots[static_cast<std::size_t>(s)].Present = false;
        }
    }
    board.Slots[0].Present = true; // the sentinel that stops SlotCount at 0
    board.Slots[0].Free = false;

    MoveHistory& history = game.history;
    history.Length = data.historyLength;
    history.Position = data.historyPosition;
    for (int32_t m = 1; m <= kHistoryCapacity; ++m) {
        history.Records[static_cast<std::size_t>(m)] =
            m <= data.historyLength ? data.moves[static_cast<std::size_t>(m)] : MoveRecord{};
    }
    history.LastStepDone = false;

    // The loaded time holds at once, not only from the next timer event: a
    // win found by the analysis below is entered with this time.
    RebaseClock(game.clock, data.elapsedMs);
    game.clock.Elapsed = data.elapsedMs;

    PlayState& play = game.play;
    play.BoardChanged = true;
    play.NoMovesLeft = false;
    play.GameWon = false;
    play.SelectionActive = false;
    // A hint of the previous game must not be taken on the loaded board.
    play.HintShowing = false;
    game.Running = true;

    PrepareBoardGeometry(game);
    AnalyzeBoard(game);
    if (game.view != nullptr) {
        game.view->RenderBoard();
    }
}

void LoadGame(Game& game, const std::string& fileName) {
    BitFile bitFile;
    if (!Open(bitFile, fileName, kBitFileRead)) {
        throw IoError("Kann Spielstand " + QuotedFileName(fileName) +
                      " nicht öffnen: " + GermanErrorText(errno) + ".");
    }
    const std::optional<SavedGameData> data = ReadSavedGame(bitFile, fileName);
    Close(bitFile);
    if (!data) {
        throw NotASavedGameError("Die Datei " + QuotedFileName(fileName) +
                                 " ist kein Kelmar-Spielstand.");
    }
    CommitSavedGame(game, *data);
}

} // namespace kelmar
