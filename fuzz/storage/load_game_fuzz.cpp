// LoadGame on arbitrary file contents. Properties:
// - never a crash, sanitizer report or error other than a damaged file;
// - a rejected or foreign file leaves the game exactly as it was;
// - a loaded game holds only what the board and history can hold, and saving
//   it gives a file that loads back to the same game.
#include "core/history.h"
#include "core/layout.h"
#include "fuzz/storage/fuzz_check.h"
#include "storage/saved_game.h"
#include "storage/storage_error.h"
#include "tests/storage/game_fixture.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace kelmar;

struct Fixture {
    Fixture() {
        const char* shm = "/dev/shm";
        std::string pattern =
            (std::filesystem::exists(shm) ? std::filesystem::path(shm)
                                          : std::filesystem::temp_directory_path()) /
            "kelmar-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder = pattern;
        input = folder + "/input.klmr";
        copy = folder + "/copy.klmr";
        dealt.clock.CurrentTick = 123456;
        kelmar::testing::DealGame(dealt, 42);
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string folder;
    std::string input;
    std::string copy;
    Game dealt;
};

void checkHoldable(const Game& game) {
    const Board& board = game.board;
    FUZZ_CHECK(board.DealtCount >= 0 && board.DealtCount <= kMaxSavedSlots);
    FUZZ_CHECK(board.SlotCount >= 1 && board.SlotCount <= board.DealtCount);
    FUZZ_CHECK(!game.play.GameWon); // no load is a win without play
    FUZZ_CHECK(board.SlotCount == 0 || board.Slots[static_cast<size_t>(board.SlotCount)].Present);
    for (int s = 1; s < kSlotCapacity; ++s) {
        const TileSlot& slot = board.Slots[static_cast<size_t>(s)];
        FUZZ_CHECK(!slot.Present || s <= board.SlotCount);
        if (s <= board.DealtCount) {
            FUZZ_CHECK(slot.Layer >= 1 && slot.Layer <= kMaxLayoutLayer);
            FUZZ_CHECK(slot.Kind >= 1 && slot.Kind <= kKindCount);
        }
    }
    const MoveHistory& history = game.history;
    FUZZ_CHECK(history.Position >= 0 && history.Position <= history.Length);
    FUZZ_CHECK(history.Length <= kHistoryCapacity);
    for (int m = 1; m <= history.Length; ++m) {
        const MoveRecord& r = history.Records[static_cast<size_t>(m)];
        FUZZ_CHECK(r.Time >= 0 && r.Time % kSaveTimeUnitMs == 0);
        if (IsShuffleRecord(r)) {
            FUZZ_CHECK(r.Second >= 1 && r.Second <= kShuffleCapacity);
            FUZZ_CHECK(game.Aids.Shuffled);
            continue;
        }
        FUZZ_CHECK(r.First >= 1 && r.First <= board.DealtCount);
        FUZZ_CHECK(r.Second >= 1 && r.Second <= board.DealtCount);
        FUZZ_CHECK(r.First != r.Second);
        const bool taken = m <= history.Position;
        FUZZ_CHECK(board.Slots[static_cast<size_t>(r.First)].Present != taken);
        FUZZ_CHECK(board.Slots[static_cast<size_t>(r.Second)].Present != taken);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    {
        std::ofstream out(fixture.input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Game game = fixture.dealt;
    const auto before = kelmar::testing::Fingerprint(game);
    try {
        LoadGame(game, fixture.input);
    } catch (const NotASavedGameError&) {
        FUZZ_CHECK(kelmar::testing::Fingerprint(game) == before);
        return 0;
    } catch (const DamagedSaveError&) {
        FUZZ_CHECK(kelmar::testing::Fingerprint(game) == before);
        return 0;
    }
    checkHoldable(game);

    // What the game writes must load, and load to the same game.
    SaveGame(game, fixture.copy);
    Game again = fixture.dealt;
    LoadGame(again, fixture.copy);
    again.clock = game.clock;
    FUZZ_CHECK(kelmar::testing::Fingerprint(again) == kelmar::testing::Fingerprint(game));
    return 0;
}
