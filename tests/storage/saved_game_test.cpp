#include "core/history.h"
#include "storage/saved_game.h"
#include "storage/storage_error.h"
#include "tests/storage/game_fixture.h"
#include "tests/storage/temp_folder.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

using testing::DealGame;
using testing::Fingerprint;
using testing::ReadBytes;
using testing::RecordingView;
using testing::TakeAnyPair;
using testing::TempFolder;
using testing::WriteBytes;

// The file's content described field by field, and encoded independently of
// the bit packer: each slot as one big-endian 32-bit word.
struct FileModel {
    int n = 0;
    int highest = 0;
    std::vector<TileSlot> slots; // index 0 unused
    int h = 0;
    int position = 0;
    std::vector<std::array<int, 3>> moves; // first, second, time units
    int elapsedUnits = 0;
};

FileModel ModelOf(const Game& game) {
    FileModel m;
    m.n = game.board.DealtCount;
    m.highest = game.board.SlotCount;
    m.slots.assign(game.board.Slots.begin(), game.board.Slots.begin() + m.n + 1);
    m.h = game.history.Length;
    m.position = game.history.Position;
    for (int i = 1; i <= m.h; ++i) {
        const MoveRecord& r = game.history.Records[static_cast<size_t>(i)];
        m.moves.push_back({r.First, r.Second, r.Time / 64});
    }
    m.elapsedUnits = game.clock.Elapsed / 64;
    return m;
}

std::vector<uint8_t> Encode(const FileModel& m) {
    std::vector<uint8_t> b{'K', 'L', 'M', 'R', static_cast<uint8_t>(m.n)};
    if (m.n > 0) {
        b.push_back(static_cast<uint8_t>(m.highest));
        for (int s = 1; s <= m.n; ++s) {
            const TileSlot& t = m.slots[static_cast<size_t>(s)];
            const uint32_t word = (uint32_t{t.Present} << 31) | (uint32_t(t.X) << 21) |
                                  (uint32_t(t.Y) << 11) | (uint32_t{t.Layer} << 7) |
                                  (uint32_t{t.Kind} << 1) | uint32_t{t.Free};
            for (int shift = 24; shift >= 0; shift -= 8) {
                b.push_back(static_cast<uint8_t>(word >> shift));
            }
        }
    }
    b.push_back(static_cast<uint8_t>(m.h));
    if (m.h > 0) {
        b.push_back(static_cast<uint8_t>(m.position));
        for (const auto& move : m.moves) {
            b.insert(b.end(), {static_cast<uint8_t>(move[0]), static_cast<uint8_t>(move[1]),
                               static_cast<uint8_t>(move[2]), static_cast<uint8_t>(move[2] >> 8)});
        }
    }
    b.insert(b.end(),
             {static_cast<uint8_t>(m.elapsedUnits), static_cast<uint8_t>(m.elapsedUnits >> 8)});
    return b;
}

class SavedGame : public ::testing::Test {
protected:
    void SetUp() override {
        game.clock.CurrentTick = 50000;
        DealGame(game, 4711);
        game.view = &view;
        other.clock.CurrentTick = 777777;
        DealGame(other, 99);
        other.view = &otherView;
    }
    std::string path() const { return folder.file("QuickSave.klmr"); }

    TempFolder folder;
    Game game;
    Game other;
    RecordingView view;
    RecordingView otherView;
};

TEST_F(SavedGame, AFreshGameIs585BytesInTheDocumentedLayout) {
    game.clock.Elapsed = 100000; // 1562.5 units
    SaveGame(game, path());
    const auto bytes = ReadBytes(path());
    ASSERT_EQ(bytes.size(), 585u);
    EXPECT_EQ(bytes, Encode(ModelOf(game)));
    // Slot 1: present, X 456, Y 0, layer 1, free; the kind sits in bits 6..1.
    const uint8_t kind = game.board.Slots[1].Kind;
    EXPECT_EQ(
        (std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 10)),
        (std::vector<uint8_t>{144, 144, 0xB9, 0x00, 0x00, static_cast<uint8_t>(0x81 | kind << 1)}));
    EXPECT_EQ(bytes[582], 0); // H
    EXPECT_EQ(bytes[583], 0x1A);
    EXPECT_EQ(bytes[584], 0x06); // 1562 = 0x061A, low byte first
    EXPECT_EQ(folder.names(), std::vector<std::string>{"QuickSave.klmr"});
}

TEST_F(SavedGame, LoadingAFreshGameRestoresEverySlotAndContinuesTheClock) {
    game.clock.Elapsed = 100000;
    other.play.HintShowing = true;
    ClickTile(other, other.play.FreeList[1]);
    ASSERT_TRUE(other.play.SelectionActive);
    other.Running = false;
    SaveGame(game, path());

    ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded);
    for (int s = 1; s <= 144; ++s) {
        const TileSlot& a = game.board.Slots[static_cast<size_t>(s)];
        const TileSlot& b = other.board.Slots[static_cast<size_t>(s)];
        ASSERT_TRUE(a.Present == b.Present && a.X == b.X && a.Y == b.Y && a.Layer == b.Layer &&
                    a.Kind == b.Kind && a.Free == b.Free)
            << "slot " << s;
    }
    EXPECT_EQ(other.board.SlotCount, 144);
    EXPECT_EQ(other.board.DealtCount, 144);
    EXPECT_EQ(other.history.Length, 0);
    EXPECT_EQ(other.history.Position, 0);
    EXPECT_EQ(other.clock.BaseElapsed, 99968);
    EXPECT_EQ(other.clock.Elapsed, 99968);
    EXPECT_EQ(other.clock.BaseTick, 777777u);
    EXPECT_FALSE(other.play.SelectionActive);
    EXPECT_FALSE(other.play.HintShowing);
    EXPECT_TRUE(other.play.BoardChanged);
    EXPECT_TRUE(other.Running);
    EXPECT_EQ(other.play.FreeCount, game.play.FreeCount);
    EXPECT_EQ(other.play.MoveCount, game.play.MoveCount);
    EXPECT_EQ(otherView.renders, 1);
    EXPECT_TRUE(otherView.highScores.empty());
}

class ThreeMovesLastUndone : public SavedGame {
protected:
    void SetUp() override {
        SavedGame::SetUp();
        for (int32_t time : {1000, 2000, 3000}) {
            ASSERT_TRUE(TakeAnyPair(game, time));
        }
        UndoMove(game);
        game.clock.Elapsed = 2500;
        SaveGame(game, path());
        ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded);
    }
};

TEST_F(ThreeMovesLastUndone, StoresLengthThreeAtPositionTwo) {
    const auto bytes = ReadBytes(path());
    ASSERT_EQ(bytes.size(), 585u + 1 + 3 * 4);
    EXPECT_EQ(bytes, Encode(ModelOf(game)));
    EXPECT_EQ(bytes[582], 3);
    EXPECT_EQ(bytes[583], 2);
    EXPECT_EQ(other.history.Length, 3);
    EXPECT_EQ(other.history.Position, 2);
    EXPECT_EQ(other.history.Records[1].Time, 960); // 1000 ms rounded down to 64 ms
    EXPECT_EQ(other.history.Records[2].Time, 1984);
    EXPECT_EQ(other.history.Records[3].Time, 2944);
    EXPECT_EQ(other.board.SlotCount, game.board.SlotCount);
}

TEST_F(ThreeMovesLastUndone, TheUndoneMoveCanBeRedone) {
    const MoveRecord undone = other.history.Records[3];
    ASSERT_TRUE(other.board.Slots[static_cast<size_t>(undone.First)].Present);
    RedoMove(other);
    EXPECT_EQ(other.history.Position, 3);
    EXPECT_FALSE(other.board.Slots[static_cast<size_t>(undone.First)].Present);
    EXPECT_FALSE(other.board.Slots[static_cast<size_t>(undone.Second)].Present);
    EXPECT_EQ(other.clock.BaseElapsed, 2944);
}

TEST_F(ThreeMovesLastUndone, ANewMoveDropsTheUndoneOne) {
    ASSERT_TRUE(TakeAnyPair(other, 5000));
    EXPECT_EQ(other.history.Length, 3);
    EXPECT_EQ(other.history.Position, 3);
    EXPECT_EQ(other.history.Records[3].Time, 5000);
    RedoMove(other);
    EXPECT_FALSE(other.history.LastStepDone);
}

// Whatever the game reaches by play, its file loads and gives the same game.
TEST_F(SavedGame, EveryPlayedPositionLoadsBackUnchanged) {
    for (uint32_t seed : {1u, 2u, 3u, 12345u}) {
        DealGame(game, seed);
        int32_t time = 0;
        while (TakeAnyPair(game, time += 4567)) {
        }
        for (int undo = 0; undo < 3; ++undo) {
            UndoMove(game);
        }
        SaveGame(game, path());
        ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded) << "seed " << seed;
        game.clock = other.clock; // the clock is rebased by the load
        game.play.BoardChanged = other.play.BoardChanged;
        game.history.LastStepDone = false;                // replay bookkeeping, not stored
        game.play.SelectedSlot = other.play.SelectedSlot; // no selection either way
        for (int m = 1; m <= kHistoryCapacity; ++m) {
            MoveRecord& record = game.history.Records[static_cast<size_t>(m)];
            // Stored in 64 ms units; records past Length are not stored.
            record = m <= game.history.Length
                         ? MoveRecord{record.Time & ~63, record.First, record.Second}
                         : MoveRecord{};
        }
        const auto got = Fingerprint(other);
        const auto want = Fingerprint(game);
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], want[i]) << "seed " << seed << ", fingerprint entry " << i;
        }
    }
}

struct NotASave {
    const char* name;
    std::vector<uint8_t> bytes;
};

class NotASavedGame : public SavedGame, public ::testing::WithParamInterface<NotASave> {};

TEST_P(NotASavedGame, IsIgnoredSilently) {
    WriteBytes(path(), GetParam().bytes);
    const auto before = Fingerprint(other);
    EXPECT_EQ(LoadGame(other, path()), LoadResult::WrongMagic);
    EXPECT_EQ(Fingerprint(other), before);
    EXPECT_EQ(otherView.renders, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotASavedGame,
    ::testing::Values(NotASave{"Empty", {}}, NotASave{"ThreeBytes", {'K', 'L', 'M'}},
                      NotASave{"OtherMagic", {'K', 'L', 'M', 'X', 144, 144, 0, 0}},
                      NotASave{"LowerCase", {'k', 'l', 'm', 'r', 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SavedGame, AMissingFileIsReportedByNameAndChangesNothing) {
    const auto before = Fingerprint(other);
    try {
        LoadGame(other, folder.file("nowhere.klmr"));
        FAIL() << "a missing file must be reported";
    } catch (const IoError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("Kann Spielstand \u201E" + folder.file("nowhere.klmr") +
                            "\u201C nicht öffnen"),
                  std::string::npos)
            << text;
    }
    EXPECT_EQ(Fingerprint(other), before);
}

struct Damage {
    const char* name;
    void (*apply)(FileModel&);
    const char* detail; // part of the message
};

class DamagedFile : public SavedGame, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFile, IsRejectedAndLeavesTheGameUnchanged) {
    ASSERT_TRUE(TakeAnyPair(game, 64000));
    ASSERT_TRUE(TakeAnyPair(game, 128000));
    FileModel model = ModelOf(game);
    GetParam().apply(model);
    auto bytes = Encode(model);
    if (std::string(GetParam().name).rfind("Truncated", 0) == 0) {
        bytes.resize(bytes.size() - static_cast<size_t>(model.elapsedUnits));
    }
    WriteBytes(path(), bytes);

    const auto before = Fingerprint(other);
    try {
        LoadGame(other, path());
        FAIL() << "a damaged file must be rejected";
    } catch (const DamagedSaveError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Spielstand \u201E" + path() + "\u201C ist beschädigt: ", 0), 0u)
            << text;
        EXPECT_NE(text.find(GetParam().detail), std::string::npos) << text;
    }
    EXPECT_EQ(Fingerprint(other), before);
    EXPECT_EQ(otherView.renders, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    ::testing::Values(
        Damage{"KindZero", [](FileModel& m) { m.slots[5].Kind = 0; }, "Sorte 0"},
        Damage{"KindAbove42", [](FileModel& m) { m.slots[144].Kind = 43; }, "Sorte 43"},
        Damage{"LayerZero", [](FileModel& m) { m.slots[1].Layer = 0; }, "Ebene 0"},
        Damage{"LayerAbove5", [](FileModel& m) { m.slots[88].Layer = 6; }, "Ebene 6"},
        Damage{"TileOffTheBoard", [](FileModel& m) { m.slots[1].X = 1023; }, "außerhalb"},
        Damage{"TileAboveTheBoard", [](FileModel& m) { m.slots[144].Y = 15; }, "außerhalb"},
        Damage{"HighestSlotTooLow", [](FileModel& m) { m.highest = 143; }, "höchste belegte"},
        Damage{"HighestSlotNotPresent", [](FileModel& m) { m.slots[144].Present = false; },
               "höchste belegte"},
        Damage{"MoreThan80Moves",
               [](FileModel& m) {
                   m.h = 81;
                   m.moves.assign(81, {1, 2, 0});
               },
               "81 Züge"},
        Damage{"PositionAboveLength", [](FileModel& m) { m.position = 3; }, "Zugposition 3"},
        Damage{"MoveNamesTheSentinel", [](FileModel& m) { m.moves[1][0] = 0; }, "Stein 0"},
        Damage{"MoveNamesASlotAboveN", [](FileModel& m) { m.moves[0][1] = 145; }, "Stein 145"},
        Damage{"MoreSlotsThanTheLayout",
               [](FileModel& m) {
                   m.n = 145;
                   m.slots.push_back(m.slots[144]);
               },
               "145 Steine"},
        // The encoder then drops `elapsedUnits` bytes from the end.
        Damage{"TruncatedInTheClock", [](FileModel& m) { m.elapsedUnits = 1; }, "endet vorzeitig"},
        Damage{"TruncatedInTheSlots", [](FileModel& m) { m.elapsedUnits = 400; },
               "endet vorzeitig"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SavedGame, UnusualButHoldableFilesLoad) {
    FileModel model = ModelOf(game);
    model.h = 80;
    model.position = 80;
    model.moves.assign(80, {144, 1, 65535});
    auto bytes = Encode(model);
    bytes.insert(bytes.end(), {1, 2, 3}); // trailing bytes are ignored
    WriteBytes(path(), bytes);
    ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded);
    EXPECT_EQ(other.history.Length, 80);
    EXPECT_EQ(other.history.Records[80].Time, 4194240);
}

TEST_F(SavedGame, AnEmptyBoardLoadsAsAWinTimedWithTheLoadedClock) {
    FileModel model;
    model.elapsedUnits = 3000;
    WriteBytes(path(), Encode(model)); // N = 0: no highest-slot byte, no slot records
    ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded);
    EXPECT_EQ(other.board.SlotCount, 0);
    EXPECT_EQ(other.board.DealtCount, 0);
    EXPECT_FALSE(other.board.Slots[144].Present);
    EXPECT_TRUE(other.play.GameWon);
    EXPECT_EQ(otherView.highScores, std::vector<int32_t>{192000});
}

TEST(SaveTime, IsStoredIn64MsUnitsAndHeldAtTheLargestUnit) {
    const std::pair<int32_t, uint16_t> cases[] = {
        {0, 0},           {63, 0},          {64, 1},          {100000, 1562},
        {4194240, 65535}, {4194303, 65535}, {4194304, 65535}, {INT32_MAX, 65535},
        {-5, 0},
    };
    for (const auto& [ms, units] : cases) {
        EXPECT_EQ(TimeToSaveUnits(ms), units) << ms << " ms";
    }
}

TEST_F(SavedGame, AGameOfAnHourAndTenMinutesComesBackAt69Minutes54) {
    ASSERT_TRUE(TakeAnyPair(game, 4194304)); // 69:54.304, one unit past the field
    game.clock.Elapsed = 5000000;
    SaveGame(game, path());
    ASSERT_EQ(LoadGame(other, path()), LoadResult::Loaded);
    EXPECT_EQ(other.history.Records[1].Time, 4194240);
    EXPECT_EQ(other.clock.BaseElapsed, 4194240);
}

TEST_F(SavedGame, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    WriteBytes(path(), old);
    {
        testing::FileSizeLimit diskFull(100);
        EXPECT_THROW(SaveGame(game, path()), IoError);
    }
    EXPECT_EQ(ReadBytes(path()), old);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"QuickSave.klmr"});
}

TEST_F(SavedGame, SavingIntoAMissingFolderOrOverAFolderIsReported) {
    try {
        SaveGame(game, folder.file("missing/QuickSave.klmr"));
        FAIL() << "a missing folder must be reported";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find("nicht speichern"), std::string::npos);
    }
    std::filesystem::create_directory(folder.file("taken"));
    EXPECT_THROW(SaveGame(game, folder.file("taken")), IoError);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"taken"});
}

} // namespace
} // namespace kelmar
