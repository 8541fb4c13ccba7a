#include "storage/saved_game.h"

#include "core/board.h"
#include "core/game_view.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/shuffle.h"
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

// A move record with First = 0 is a shuffle only in the second format; its
// Second must number the shuffles 1, 2, ... in history order.
std::string shuffleMoveProblem(int32_t m, const MoveRecord& move, int32_t& shuffles) {
    ++shuffles;
    if (move.Second != shuffles || shuffles > kShuffleCapacity) {
        return "Zug " + std::to_string(m) + " nennt das ungültige Mischen " +
               std::to_string(move.Second);
    }
    return {};
}

void readMoves(BitFile& bitFile, const std::string& fileName, bool withAids, SavedGameData& data,
               int32_t& shuffles) {
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
        if (withAids && IsShuffleRecord(move)) {
            const std::string problem = shuffleMoveProblem(m, move, shuffles);
            if (!problem.empty()) {
                damaged(bitFile, fileName, problem);
            }
            continue;
        }
        for (const int32_t slot : {move.First, move.Second}) {
            if (slot < 1 || slot > data.dealtCount) {
                damaged(bitFile, fileName,
                        "Zug " + std::to_string(m) + " nennt den ungültigen Stein " +
                            std::to_string(slot));
            }
        }
    }
}

constexpr uint8_t kAidShuffled = 1;
constexpr uint8_t kAidDemonstrated = 2;

// The shuffle's own shape: slots ascending within 1..N, and the slots the
// tiles come from the same set.
std::string shuffleProblem(int32_t number, int32_t dealtCount, const ShuffleRecord& shuffle) {
    const std::string where = "Mischen " + std::to_string(number);
    std::array<int, kSlotCapacity> balance{};
    for (int32_t s = 1; s < kSlotCapacity; ++s) {
        const int32_t from = shuffle.From[static_cast<std::size_t>(s)];
        if (from == 0) {
            continue;
        }
        if (s > dealtCount || from > dealtCount) {
            return where + " nennt den ungültigen Stein " + std::to_string(std::max(s, from));
        }
        ++balance[static_cast<std::size_t>(s)];
        --balance[static_cast<std::size_t>(from)];
    }
    if (std::any_of(balance.begin(), balance.end(), [](int b) { return b != 0; })) {
        return where + " vertauscht nicht die Steine untereinander";
    }
    return {};
}

void readAids(BitFile& bitFile, const std::string& fileName, int32_t shuffles,
              SavedGameData& data) {
    const uint8_t aids = Read8(bitFile);
    const int32_t count = Read8(bitFile);
    if (bitFile.overrun) {
        damaged(bitFile, fileName, {});
    }
    if ((aids & ~(kAidShuffled | kAidDemonstrated)) != 0) {
        damaged(bitFile, fileName, "unbekannte Hilfen " + std::to_string(aids));
    }
    data.aids.Shuffled = (aids & kAidShuffled) != 0 || shuffles > 0;
    data.aids.Demonstrated = (aids & kAidDemonstrated) != 0;
    if (count != shuffles) {
        damaged(bitFile, fileName,
                std::to_string(count) + " Mischungen zu " + std::to_string(shuffles) +
                    " Mischzügen");
    }
    for (int32_t k = 1; k <= count; ++k) {
        ShuffleRecord& shuffle = data.shuffles[static_cast<std::size_t>(k)];
        const int32_t tiles = Read8(bitFile);
        int32_t previous = 0;
        for (int32_t t = 0; t < tiles; ++t) {
            const int32_t slot = Read8(bitFile);
            const uint8_t from = Read8(bitFile);
            if (slot == 0 || from == 0) {
                damaged(bitFile, fileName,
                        "Mischen " + std::to_string(k) + " nennt den ungültigen Stein 0");
            }
            if (slot <= previous) {
                damaged(bitFile, fileName,
                        "Mischen " + std::to_string(k) + " nennt den Stein " +
                            std::to_string(slot) + " nicht in aufsteigender Folge");
            }
            previous = slot;
            shuffle.From[static_cast<std::size_t>(slot)] = from;
        }
        const std::string problem = shuffleProblem(k, data.dealtCount, shuffle);
        if (!problem.empty()) {
            damaged(bitFile, fileName, problem);
        }
    }
}

void writeAids(BitFile& bitFile, const Game& game, int32_t length) {
    const GameAids& aids = game.Aids;
    const int32_t shuffles = ShuffleCount(game.history, length);
    Write8(bitFile, static_cast<uint8_t>((aids.Shuffled || shuffles > 0 ? kAidShuffled : 0) |
                                         (aids.Demonstrated ? kAidDemonstrated : 0)));
    Write8(bitFile, static_cast<uint8_t>(shuffles));
    for (int32_t k = 1; k <= shuffles; ++k) {
        const ShuffleRecord& shuffle = game.history.Shuffles[static_cast<std::size_t>(k)];
        const auto tiles = std::count_if(shuffle.From.begin() + 1, shuffle.From.end(),
                                         [](uint8_t from) { return from != 0; });
        Write8(bitFile, static_cast<uint8_t>(tiles));
        for (int32_t s = 1; s < kSlotCapacity; ++s) {
            if (shuffle.From[static_cast<std::size_t>(s)] != 0) {
                Write8(bitFile, static_cast<uint8_t>(s));
                Write8(bitFile, shuffle.From[static_cast<std::size_t>(s)]);
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

// Empty when `move` can be played on the scratch board now: a pair of two
// present, free tiles that match; a shuffle of exactly the tiles present.
std::string playProblem(Game& game, const SavedGameData& data, int32_t m, const MoveRecord& move) {
    const std::string where = "Zug " + std::to_string(m);
    const Board& board = game.board;
    if (IsShuffleRecord(move)) {
        return ShuffleFits(board, data.shuffles[static_cast<std::size_t>(move.Second)])
                   ? std::string()
                   : where + " passt nicht zum Brett";
    }
    if (!present(game, move)) {
        return where + " passt nicht zum Brett";
    }
    AnalyzeBoard(game);
    const TileSlot& first = board.Slots[static_cast<std::size_t>(move.First)];
    const TileSlot& second = board.Slots[static_cast<std::size_t>(move.Second)];
    if (!first.Free || !second.Free) {
        return where + " passt nicht zum Brett";
    }
    if (!KindsMatch(board, first.Kind, second.Kind)) {
        return where + " nimmt zwei Steine, die nicht zusammenpassen";
    }
    return {};
}

// Empty when the history could have been played on the loaded board: every
// record takes two different tiles of matching kinds; undo from the board as
// loaded puts back, pair by pair, tiles that were absent and are then free
// (and moves a shuffle's tiles back); and from there every record, the
// undone ones included, takes two present, free tiles (or shuffles exactly
// the tiles present). So neither undo, redo nor the after-win replay can
// take a tile that is covered, take a tile twice or reach an empty board
// unplayed.
std::string historyProblem(const SavedGameData& data) {
    const auto game = scratchGame(data);
    Board& board = game->board;
    game->history.Shuffles = data.shuffles;
    bool shuffled = false;
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        shuffled = shuffled || IsShuffleRecord(move);
        if (IsShuffleRecord(move)) {
            continue;
        }
        const std::string where = "Zug " + std::to_string(m);
        if (move.First == move.Second) {
            return where + " nennt zweimal den Stein " + std::to_string(move.First);
        }
        // Without a shuffle the kinds never change, so the loaded board
        // tells at once; with one the replay below tells.
        if (!shuffled && !KindsMatch(board, board.Slots[static_cast<std::size_t>(move.First)].Kind,
                                     board.Slots[static_cast<std::size_t>(move.Second)].Kind)) {
            return where + " nimmt zwei Steine, die nicht zusammenpassen";
        }
    }
    for (int32_t m = data.historyPosition; m >= 1; --m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        const auto& slots = board.Slots;
        if (!IsShuffleRecord(move) && (slots[static_cast<std::size_t>(move.First)].Present ||
                                       slots[static_cast<std::size_t>(move.Second)].Present)) {
            return "Zug " + std::to_string(m) + " passt nicht zum Brett";
        }
        // A shuffle moves the same tiles back that it moved: playProblem
        // below checks them on the board as it was.
        TakeBackOn(board, game->history, move);
        const std::string problem = playProblem(*game, data, m, move);
        if (!problem.empty()) {
            return problem;
        }
    }
    for (int32_t m = 1; m <= data.historyLength; ++m) {
        const MoveRecord& move = data.moves[static_cast<std::size_t>(m)];
        const std::string problem = playProblem(*game, data, m, move);
        if (!problem.empty()) {
            return problem;
        }
        PlayAgainOn(board, game->history, move);
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
    const MoveHistory& history = game.history;
    const int32_t length = std::clamp<int32_t>(history.Length, 0, kHistoryCapacity);
    const bool withAids = game.Aids != GameAids{} || ShuffleCount(history, length) > 0;
    WriteRaw32(bitFile, withAids ? kSaveMagicWithAids : kSaveMagic);
    WriteByte(bitFile, static_cast<uint8_t>(n));
    if (n > 0) {
        WriteByte(bitFile, static_cast<uint8_t>(std::clamp<int32_t>(board.SlotCount, 0, n)));
        for (int32_t s = 1; s <= n; ++s) {
            writeSlot(bitFile, board.Slots[static_cast<std::size_t>(s)]);
        }
    }
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
    if (withAids) {
        writeAids(bitFile, game, length);
    }
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
    const uint32_t magic = ReadRaw32(bitFile);
    if (magic != kSaveMagic && magic != kSaveMagicWithAids) {
        return std::nullopt;
    }
    const bool withAids = magic == kSaveMagicWithAids;
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
    int32_t shuffles = 0;
    readMoves(bitFile, fileName, withAids, data, shuffles);
    data.elapsedMs = Read16(bitFile) * kSaveTimeUnitMs;
    if (withAids) {
        readAids(bitFile, fileName, shuffles, data);
    }
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
    history.Shuffles = data.shuffles;
    history.LastStepDone = false;
    game.Aids = data.aids;

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
