#include "storage/replace_file.h"
#include "storage/saved_game.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"
#include "tests/storage/game_fixture.h"
#include "tests/storage/temp_folder.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar {
namespace {

using namespace kelmar::testing;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

// Sets the umask for the test and restores the previous one.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }

private:
    mode_t previous_;
};

struct ModeCase {
    const char* name;
    bool link;       // the save name is a link to the old file
    mode_t oldMode;  // 0: no old file
    mode_t expected; // of the saved file, under umask 022
};

// A save replaced a link to a setuid program by a 4755 file: the bits must
// never come through a link, and never include setuid, setgid or sticky.
TEST(ReplaceFile, SavedFilesGetAtMost0666LessTheUmaskAndNeverSpecialBits) {
    const ModeCase cases[] = {
        {"new file", false, 0, 0644},
        {"link to a setuid program", true, 04755, 0644},
        {"private file stays private", false, 0600, 0600},
        {"setuid and sticky file", false, 07777, 0644},
        {"group-writable file", false, 0664, 0644},
    };
    const Umask mask(022);
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    DealGame(game, 5);
    for (const ModeCase& c : cases) {
        TempFolder folder;
        const std::string save = folder.file("QuickSave.klmr");
        if (c.oldMode != 0) {
            const std::string old = c.link ? folder.file("program") : save;
            WriteBytes(old, {1, 2, 3});
            ASSERT_EQ(::chmod(old.c_str(), c.oldMode), 0);
            if (c.link) {
                ASSERT_EQ(::symlink(old.c_str(), save.c_str()), 0);
            }
        }
        SaveGame(game, save);
        EXPECT_TRUE(S_ISREG(ModeOf(save))) << c.name;
        EXPECT_EQ(ModeOf(save) & 07777, c.expected) << c.name;
        if (c.link) {
            EXPECT_EQ(ModeOf(folder.file("program")) & 07777, c.oldMode) << "target untouched";
        }
    }
}

// The temporary name was the target's name plus eight bytes, so a name of
// 248 to 255 bytes could not be saved at all.
TEST(ReplaceFile, NamesUpTo255BytesCanBeSavedAndTheirTemporaryGoesAgain) {
    Game game;
    DealGame(game, 9);
    TempFolder folder;
    for (const std::size_t length : {247u, 248u, 255u}) {
        const std::string name = std::string(length - 5, 'n') + ".klmr";
        ASSERT_NO_THROW(SaveGame(game, folder.file(name))) << length;
        Game back;
        ASSERT_NO_THROW(LoadGame(back, folder.file(name))) << length;
        EXPECT_EQ(back.board.SlotCount, 144);
    }
    EXPECT_EQ(folder.names().size(), 3u) << "no temporary is left";
    EXPECT_THROW(SaveGame(game, folder.file(std::string(256, 'n'))), IoError);
}

TEST(ReplaceFile, APipeOrDeviceUnderTheNameIsNotReplaced) {
    TempFolder folder;
    const std::string pipe = folder.file("QuickSave.klmr");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Game game;
    DealGame(game, 3);
    try {
        SaveGame(game, pipe);
        FAIL() << "a pipe must not be replaced";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find("Keine gew\u00F6hnliche Datei"),
                  std::string::npos);
    }
    EXPECT_TRUE(S_ISFIFO(ModeOf(pipe)));
    EXPECT_EQ(folder.names().size(), 1u);
}

struct LeftoverCase {
    const char* name;
    int ageSeconds;
    bool removed;
};

// Temporaries of writes killed half way were never removed.
TEST(ReplaceFile, StartUpRemovesOurTemporariesOlderThanAMinute) {
    const LeftoverCase cases[] = {
        {".kelmar-a1B2c3", 120, true},
        {".QuickSave.klmr.Zx09ab", 3600, true},
        {".Kelmar.ini.qwerty", 61 + 1, true},
        {".kelmar-a1B2c4", 30, false}, // a write may still be busy with it
        {".kelmar-abc", 120, false},   // not a name mkstemp makes
        {".kelmar-abc!ef", 120, false},
        {".Other.klmr.abcdef", 120, false}, // not ours
        {"QuickSave.klmr", 120, false},
        {".kelmar-folder", 120, false}, // made a folder below
    };
    TempFolder folder;
    const std::time_t now = std::time(nullptr);
    for (const LeftoverCase& c : cases) {
        const std::string path = folder.file(c.name);
        if (std::string_view(c.name) == ".kelmar-folder") {
            std::filesystem::create_directory(path);
        } else {
            WriteBytes(path, {1});
        }
        const timespec times[2] = {{now - c.ageSeconds, 0}, {now - c.ageSeconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    const int expected = static_cast<int>(
        std::count_if(std::begin(cases), std::end(cases), [](auto& c) { return c.removed; }));
    EXPECT_EQ(RemoveStaleTemporaries(folder.path().string(), now), expected);
    const auto names = folder.names();
    for (const LeftoverCase& c : cases) {
        EXPECT_EQ(std::count(names.begin(), names.end(), c.name), c.removed ? 0 : 1) << c.name;
    }
    EXPECT_EQ(RemoveStaleTemporaries(folder.file("missing"), now), 0);
}

} // namespace
} // namespace kelmar
