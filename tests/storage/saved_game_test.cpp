#include "core/history.h"
#include "core/shuffle.h"
#include "storage/saved_game.h"
#include "storage/storage_error.h"
#include "tests/storage/game_fixture.h"
#include "tests/storage/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar {
namespace {

using namespace kelmar::testing;

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
    int aids = -1; // -1: the first format; else the aid bits of the second
    std::vector<std::vector<std::array<int, 2>>> shuffles; // per shuffle: (slot, from)
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
    if (game.Aids != GameAids{}) {
        m.aids = (game.Aids.Shuffled ? 1 : 0) | (game.Aids.Demonstrated ? 2 : 0);
    }
    for (int k = 1; k <= ShuffleCount(game.history, m.h); ++k) {
        m.shuffles.emplace_back();
        for (int slot = 1; slot < kSlotCapacity; ++slot) {
            if (const int from = game.history.Shuffles[size_t(k)].From[size_t(slot)]) {
                m.shuffles.back().push_back({slot, from});
            }
        }
    }
    return m;
}

std::vector<uint8_t> Encode(const FileModel& m) {
    std::vector<uint8_t> b{'K', 'L', 'M', m.aids < 0 ? uint8_t{'R'} : uint8_t{'2'},
                           static_cast<uint8_t>(m.n)};
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
    if (m.aids >= 0) {
        b.insert(b.end(), {static_cast<uint8_t>(m.aids), static_cast<uint8_t>(m.shuffles.size())});
        for (const auto& shuffle : m.shuffles) {
            b.push_back(static_cast<uint8_t>(shuffle.size()));
            for (const auto& [slot, from] : shuffle) {
                b.insert(b.end(), {static_cast<uint8_t>(slot), static_cast<uint8_t>(from)});
            }
        }
    }
    return b;
}

class SavedGame : public ::testing::Test {
protected:
    void SetUp() override {
        game.clock.CurrentTick = 50000;
        DealGame(game, 4711);
        other.clock.CurrentTick = 777777;
        DealGame(other, 99);
        other.view = &otherView;
    }
    std::string path() const { return folder.file("QuickSave.klmr"); }
    // Loads `bytes` into `other`; expects the load to fail with `detail` in
    // the message and to leave the game exactly as it was.
    void expectRejected(const std::vector<uint8_t>& bytes, const std::string& detail) {
        WriteBytes(path(), bytes);
        const auto before = Fingerprint(other);
        try {
            LoadGame(other, path());
            ADD_FAILURE() << "a damaged file must be rejected";
        } catch (const DamagedSaveError& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind("Spielstand \u201E" + path() + "\u201C ist besch\u00E4digt: ", 0),
                      0u);
            EXPECT_NE(text.find(detail), std::string::npos) << text;
        }
        EXPECT_EQ(Fingerprint(other), before);
        EXPECT_EQ(otherView.renders, 0);
    }

    TempFolder folder;
    Game game, other;
    RecordingView otherView;
};

TEST_F(SavedGame, AFreshGameIs585BytesInTheDocumentedLayoutAndLoadsBack) {
    game.clock.Elapsed = 100000; // 1562.5 units
    SaveGame(game, path());
    const auto bytes = ReadBytes(path());
    ASSERT_EQ(bytes.size(), 585u);
    EXPECT_EQ(bytes, Encode(ModelOf(game)));
    // Slot 1: present, X 456, Y 0, layer 1, free; the kind sits in bits 6..1.
    const auto kind = static_cast<uint8_t>(game.board.Slots[1].Kind << 1);
    EXPECT_EQ(
        std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 10),
        (std::vector<uint8_t>{144, 144, 0xB9, 0x00, 0x00, static_cast<uint8_t>(0x81 | kind)}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 3, bytes.end()),
              (std::vector<uint8_t>{0, 0x1A, 0x06})); // H, then 1562 low byte first
    EXPECT_EQ(folder.names(), std::vector<std::string>{"QuickSave.klmr"});

    other.play.HintShowing = true;
    ClickTile(other, other.play.FreeList[1]);
    other.Running = false;
    ASSERT_NO_THROW(LoadGame(other, path()));
    for (int s = 1; s <= 144; ++s) {
        const TileSlot &a = game.board.Slots[size_t(s)], &b = other.board.Slots[size_t(s)];
        ASSERT_TRUE(a.Present == b.Present && a.X == b.X && a.Y == b.Y && a.Layer == b.Layer &&
                    a.Kind == b.Kind && a.Free == b.Free)
            << "slot " << s;
    }
    EXPECT_EQ(other.board.SlotCount, 144);
    EXPECT_EQ(other.history.Length, 0);
    EXPECT_EQ(other.clock.BaseElapsed, 99968); // continues from the stored time ...
    EXPECT_EQ(other.clock.Elapsed, 99968);
    EXPECT_EQ(other.clock.BaseTick, 777777u); // ... at the current tick
    EXPECT_FALSE(other.play.SelectionActive);
    EXPECT_FALSE(other.play.HintShowing);
    EXPECT_TRUE(other.play.BoardChanged);
    EXPECT_TRUE(other.Running);
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
        SaveGame(game, path());
        ASSERT_NO_THROW(LoadGame(other, path()));
        EXPECT_EQ(ReadBytes(path()), Encode(ModelOf(game)));
        EXPECT_EQ(other.history.Length, 3);
        EXPECT_EQ(other.history.Position, 2);
        EXPECT_EQ(other.history.Records[1].Time, 960); // rounded down to 64 ms
        EXPECT_EQ(other.history.Records[3].Time, 2944);
    }
};

TEST_F(ThreeMovesLastUndone, TheUndoneMoveCanBeRedone) {
    const MoveRecord undone = other.history.Records[3];
    ASSERT_TRUE(other.board.Slots[size_t(undone.First)].Present);
    RedoMove(other);
    EXPECT_EQ(other.history.Position, 3);
    EXPECT_FALSE(other.board.Slots[size_t(undone.First)].Present);
    EXPECT_FALSE(other.board.Slots[size_t(undone.Second)].Present);
}

TEST_F(ThreeMovesLastUndone, ANewMoveDropsTheUndoneOne) {
    ASSERT_TRUE(TakeAnyPair(other, 5000));
    EXPECT_EQ(other.history.Length, 3);
    EXPECT_EQ(other.history.Records[3].Time, 5000);
    RedoMove(other);
    EXPECT_FALSE(other.history.LastStepDone);
}

// Whatever play reaches, its file loads and gives the same game again.
TEST_F(SavedGame, EveryPlayedPositionLoadsBackUnchanged) {
    for (uint32_t seed : {1u, 2u, 3u, 12345u}) {
        DealGame(game, seed);
        int32_t time = 0;
        while (TakeAnyPair(game, time += 4567)) {
        }
        UndoMove(game);
        SaveGame(game, path());
        ASSERT_NO_THROW(LoadGame(other, path())) << "seed " << seed;
        game.clock = other.clock;                         // rebased by the load
        game.play.BoardChanged = true;                    // set by the load
        game.play.SelectedSlot = other.play.SelectedSlot; // no selection either way
        game.history.LastStepDone = false;                // replay bookkeeping, not stored
        for (int m = 1; m <= kHistoryCapacity; ++m) {
            MoveRecord& r = game.history.Records[size_t(m)];
            r = m <= game.history.Length ? MoveRecord{r.Time & ~63, r.First, r.Second}
                                         : MoveRecord{};
        }
        EXPECT_EQ(Fingerprint(other), Fingerprint(game)) << "seed " << seed;
    }
}

TEST_F(SavedGame, FilesWithoutTheMagicAreNamedAsNoSavedGameAndChangeNothing) {
    const std::vector<uint8_t> files[] = {
        {}, {'K', 'L', 'M'}, {'K', 'L', 'M', 'X', 144, 144, 0, 0}, {'k', 'l', 'm', 'r', 0, 0, 0}};
    const auto before = Fingerprint(other);
    for (const auto& bytes : files) {
        WriteBytes(path(), bytes);
        try {
            LoadGame(other, path());
            ADD_FAILURE() << bytes.size() << " bytes loaded";
        } catch (const NotASavedGameError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Die Datei \u201E" + path() + "\u201C ist kein Kelmar-Spielstand.");
        }
    }
    EXPECT_EQ(Fingerprint(other), before);
    EXPECT_EQ(otherView.renders, 0);
}

// A pipe would block the open (and the program with it) until a writer came.
TEST_F(SavedGame, AMissingFileOrAPipeIsReportedByNameAndChangesNothing) {
    const auto before = Fingerprint(other);
    const std::string pipe = folder.file("pipe.klmr");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {folder.file("nowhere.klmr"), "nicht gefunden"},
        {pipe, "Keine gew\u00F6hnliche Datei"},
        {folder.path().string(), "Ordner"}};
    for (const auto& [name, reason] : cases) {
        try {
            LoadGame(other, name);
            ADD_FAILURE() << name << " must be reported";
        } catch (const IoError& error) {
            const std::string text = error.what();
            EXPECT_NE(text.find("\u201E" + name + "\u201C nicht \u00F6ffnen: "), std::string::npos)
                << text;
            EXPECT_NE(text.find(reason), std::string::npos) << text;
        }
    }
    EXPECT_EQ(Fingerprint(other), before);
}

struct Damage {
    const char* name;
    void (*apply)(FileModel&);
    const char* detail; // part of the message
    size_t cut = 0;     // bytes taken off the end of the file
    friend void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }
};

class DamagedFile : public SavedGame, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFile, IsRejectedAndLeavesTheGameUnchanged) {
    ASSERT_TRUE(TakeAnyPair(game, 64000));
    ASSERT_TRUE(TakeAnyPair(game, 128000));
    FileModel model = ModelOf(game);
    GetParam().apply(model);
    auto bytes = Encode(model);
    bytes.resize(bytes.size() - GetParam().cut);
    expectRejected(bytes, GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    ::testing::Values(
        Damage{"KindZero", [](FileModel& m) { m.slots[5].Kind = 0; }, "Sorte 0"},
        Damage{"KindAbove42", [](FileModel& m) { m.slots[144].Kind = 43; }, "Sorte 43"},
        Damage{"LayerZero", [](FileModel& m) { m.slots[1].Layer = 0; }, "Ebene 0"},
        // Layers up to 15 belong to tall layouts; on the pyramid's first
        // row layer 15 lifts the face above the board.
        Damage{"Layer15AboveTheBoard", [](FileModel& m) { m.slots[1].Layer = 15; },
               "au\u00DFerhalb"},
        Damage{"TileRightOfTheBoard", [](FileModel& m) { m.slots[1].X = 1023; }, "au\u00DFerhalb"},
        Damage{"TileAboveTheBoard", [](FileModel& m) { m.slots[144].Y = 15; }, "au\u00DFerhalb"},
        Damage{"HighestSlotTooLow", [](FileModel& m) { m.highest = 143; }, "belegte Platz 143"},
        Damage{"HighestSlotAbsent", [](FileModel& m) { m.slots[144].Present = false; }, "(143)"},
        Damage{"MoreThan80Moves",
               [](FileModel& m) {
                   m.h = 81, m.moves.assign(81, {1, 2, 0});
               },
               "81 Z\u00FCge"},
        Damage{"PositionAboveLength", [](FileModel& m) { m.position = 3; }, "Zugposition 3"},
        Damage{"MoveNamesTheSentinel", [](FileModel& m) { m.moves[1][0] = 0; }, "Stein 0"},
        Damage{"MoveNamesASlotAboveN", [](FileModel& m) { m.moves[0][1] = 145; }, "Stein 145"},
        Damage{"MoreSlotsThanTheLayout",
               [](FileModel& m) { m.n = 145, m.slots.push_back(m.slots[144]); }, "145 Steine"},
        Damage{"NoTileAmong144",
               [](FileModel& m) {
                   for (TileSlot& slot : m.slots) {
                       slot.Present = false;
                   }
                   m.highest = 0, m.h = 0, m.moves.clear();
               },
               "kein Stein"},
        Damage{"NoSlotAtAll", [](FileModel& m) { m = FileModel{}; }, "kein Stein"},
        Damage{"MoveNamesOneSlotTwice", [](FileModel& m) { m.moves[1][1] = m.moves[1][0]; },
               "zweimal den Stein"},
        Damage{"MoveOfKindsThatDoNotMatch",
               [](FileModel& m) {
                   const int first = m.moves[0][0];
                   for (int s = 1; s <= m.n; ++s) {
                       if (m.slots[size_t(s)].Kind != m.slots[size_t(first)].Kind) {
                           m.moves[0][1] = s;
                           break;
                       }
                   }
               },
               "nicht zusammenpassen"},
        Damage{"TakenTileStillOnTheBoard",
               [](FileModel& m) {
                   m.slots[size_t(m.moves[1][0])].Present = true;
                   m.highest = std::max(m.highest, m.moves[1][0]);
               },
               "Zug 2 passt nicht"},
        Damage{"UndoneMoveWhoseTilesAreGone", [](FileModel& m) { m.position = 1; },
               "Zug 2 passt nicht"},
        Damage{"SamePairTakenTwice",
               [](FileModel& m) { m.moves[1][0] = m.moves[0][0], m.moves[1][1] = m.moves[0][1]; },
               "passt nicht"},
        // Redo would take a covered tile, and the replay could reach a faked
        // win: an undone third move of two matching tiles, one not free.
        Damage{"UndoneMoveTakesACoveredTile",
               [](FileModel& m) {
                   for (int a = 1; a <= m.n; ++a) {
                       for (int b = a + 1; b <= m.n; ++b) {
                           const TileSlot &x = m.slots[size_t(a)], &y = m.slots[size_t(b)];
                           if (x.Present && y.Present && x.Kind == y.Kind && x.Kind <= 34 &&
                               !(x.Free && y.Free)) {
                               m.h = 3, m.moves.push_back({a, b, 0});
                               return;
                           }
                       }
                   }
               },
               "Zug 3 passt nicht"},
        Damage{"EndsInTheClock", [](FileModel&) {}, "endet vorzeitig", 1},
        Damage{"EndsInTheSlots", [](FileModel&) {}, "endet vorzeitig", 400}),
    [](const auto& info) { return std::string(info.param.name); });

// A game with a shuffle between pairs, a second shuffle undone, and a
// demonstration: written in the second format (which the first format's
// readers refuse by its magic), loaded back with its aids, and undone step
// by step to the dealt board exactly as the game it was saved from.
class ShuffledGame : public SavedGame {
protected:
    void SetUp() override {
        SavedGame::SetUp();
        ASSERT_TRUE(TakeAnyPair(game, 1000));
        for (uint32_t seed : {1u, 2u}) {
            const auto shuffle = FindShuffle(game.board, seed);
            ASSERT_TRUE(shuffle.has_value());
            ASSERT_TRUE(ShuffleGame(game, *shuffle));
            ASSERT_TRUE(TakeAnyPair(game, 90000));
        }
        UndoMove(game);
        UndoMove(game); // the second shuffle, kept for redo
        game.Aids.Demonstrated = true;
    }
};

TEST_F(ShuffledGame, LoadsBackWithItsAidsAndUndoesToTheDealtBoard) {
    SaveGame(game, path());
    const auto bytes = ReadBytes(path());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "KLM2");
    EXPECT_EQ(bytes, Encode(ModelOf(game)));
    ASSERT_NO_THROW(LoadGame(other, path()));
    EXPECT_EQ(other.Aids, game.Aids);
    EXPECT_EQ(other.history.Shuffles, game.history.Shuffles);
    for (int step = 0; step < 4; ++step) {
        RedoMove(game), RedoMove(other);
    }
    for (int step = 0; step < 6; ++step) {
        EXPECT_EQ(Fingerprint(other.board), Fingerprint(game.board)) << step;
        UndoMove(game), UndoMove(other);
    }
    DealGame(game, 4711);
    EXPECT_EQ(Fingerprint(other.board), Fingerprint(game.board)) << "the dealt board";

    game.Aids = GameAids{}; // no aids: the first format, which clears them on load
    SaveGame(game, path());
    EXPECT_EQ(ReadBytes(path()), Encode(ModelOf(game)));
    ASSERT_NO_THROW(LoadGame(other, path()));
    EXPECT_EQ(other.Aids, GameAids{});
}

class DamagedShuffledFile : public ShuffledGame, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedShuffledFile, IsRejectedAndLeavesTheGameUnchanged) {
    FileModel model = ModelOf(game);
    GetParam().apply(model);
    auto bytes = Encode(model);
    bytes.resize(bytes.size() - GetParam().cut);
    expectRejected(bytes, GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedShuffledFile,
    ::testing::Values(
        Damage{"UnknownAidBits", [](FileModel& m) { m.aids = 4; }, "unbekannte Hilfen 4"},
        Damage{"MoreShufflesThanRecords", [](FileModel& m) { m.shuffles.push_back(m.shuffles[0]); },
               "3 Mischungen"},
        Damage{"ShuffleNumberedOutOfOrder", [](FileModel& m) { m.moves[1][1] = 2; },
               "ungültige Mischen 2"},
        Damage{"TwoTilesFromOneSlot",
               [](FileModel& m) { m.shuffles[0][0][1] = m.shuffles[0][1][1]; }, "vertauscht"},
        Damage{"ShuffleSlotAboveN",
               [](FileModel& m) {
                   m.shuffles[1].back() = {145, 145};
               },
               "Stein 145"},
        Damage{"ShuffleSlotsNotAscending",
               [](FileModel& m) { std::swap(m.shuffles[0][0], m.shuffles[0][1]); },
               "aufsteigender"},
        // A tile taken by the first move cannot take part in the shuffle after it.
        Damage{"ShuffleOfATakenTile",
               [](FileModel& m) {
                   auto& s = m.shuffles[0];
                   const int taken = m.moves[0][0];
                   s.insert(std::find_if(s.begin(), s.end(),
                                         [taken](const auto& e) { return e[0] > taken; }),
                            {taken, taken});
               },
               "Zug 2 passt nicht"},
        Damage{"EndsInTheShuffles", [](FileModel&) {}, "endet vorzeitig", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SavedGame, TrailingBytesAndTheLargestTimesStillLoad) {
    ASSERT_TRUE(TakeAnyPair(game, 4194240));
    FileModel model = ModelOf(game);
    model.elapsedUnits = 65535;
    auto bytes = Encode(model);
    bytes.insert(bytes.end(), {1, 2, 3}); // trailing bytes are ignored
    WriteBytes(path(), bytes);
    ASSERT_NO_THROW(LoadGame(other, path()));
    EXPECT_EQ(other.history.Length, 1);
    EXPECT_EQ(other.history.Records[1].Time, 4194240);
    EXPECT_EQ(other.clock.Elapsed, 4194240);
}

TEST_F(SavedGame, TimesFrom69Minutes54AreHeldAtTheLargestUnitInsteadOfWrapping) {
    const std::pair<int32_t, uint16_t> cases[] = {
        {0, 0}, {63, 0}, {64, 1}, {4194303, 65535}, {INT32_MAX, 65535}, {-5, 0}};
    for (const auto& [ms, units] : cases) {
        EXPECT_EQ(TimeToSaveUnits(ms), units) << ms << " ms";
    }
    ASSERT_TRUE(TakeAnyPair(game, 4194304)); // 69:54.304, one unit past the field
    game.clock.Elapsed = 5000000;
    SaveGame(game, path());
    ASSERT_NO_THROW(LoadGame(other, path()));
    EXPECT_EQ(other.history.Records[1].Time, 4194240);
    EXPECT_EQ(other.clock.BaseElapsed, 4194240);
}

TEST_F(SavedGame, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    WriteBytes(path(), old);
    {
        FileSizeLimit diskFull(100);
        EXPECT_THROW(SaveGame(game, path()), IoError);
    }
    EXPECT_EQ(ReadBytes(path()), old);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"QuickSave.klmr"});

    EXPECT_THROW(SaveGame(game, folder.file("missing/QuickSave.klmr")), IoError);
    std::filesystem::remove(path());
    std::filesystem::create_directory(path()); // a folder in the way of the rename
    EXPECT_THROW(SaveGame(game, path()), IoError);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"QuickSave.klmr"});
}

} // namespace
} // namespace kelmar
