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
        // A save through a link replaces the file it points to.
        const std::string written = c.link ? folder.file("program") : save;
        EXPECT_TRUE(S_ISREG(ModeOf(written))) << c.name;
        EXPECT_EQ(ModeOf(written) & 07777, c.expected) << c.name;
        if (c.link) {
            EXPECT_TRUE(S_ISLNK(ModeOf(save))) << "the link stays a link";
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
    const char* content;
    int ageSeconds;
    bool removed;
};

// The clean-up deleted the player's own files whose names merely looked
// like the old temporaries (".kelmar-" or ".Kelmar.ini." plus six letters).
TEST(ReplaceFile, StartUpRemovesOnlyOldTemporariesThatAreOursByNameAndContent) {
    const char* const ours = "[Kelmar]\r\nPlayerName=x\r\n";
    const LeftoverCase cases[] = {
        {".kelmar-part-0123456789abcdef.tmp", ours, 120, true},
        {".kelmar-part-fedcba9876543210.tmp", "KLMR\x05\x01", 3600, true},
        {".kelmar-part-0123456789abcde0.tmp", "Kelmar-Spiele 1\n", 120, true},
        {".kelmar-part-00000000000000aa.tmp", ours, 30, false},       // a write may be busy with it
        {".kelmar-part-00000000000000bb.tmp", "Notizen", 120, false}, // not our content
        {".kelmar-part-00000000000000cc.tmp", "", 120, false},
        {".kelmar-part-00000000000000DD.tmp", ours, 120, false}, // we write lower case
        {".kelmar-part-00000000000000e.tmp", ours, 120, false},
        {".kelmar-part-00000000000000ee.tmp~", ours, 120, false},
        // The player's files that the old clean-up deleted.
        {".kelmar-backup", ours, 120, false},
        {".kelmar-config", ours, 120, false},
        {".QuickSave.klmr.backup", "KLMR", 120, false},
        {".Kelmar.ini.backup", ours, 120, false},
        {".kelmar-a1B2c3", ours, 3600, false},
        {".kelmar-part-0000000000000fff.tmp", nullptr, 120, false}, // a folder
    };
    TempFolder folder;
    const std::time_t now = std::time(nullptr);
    for (const LeftoverCase& c : cases) {
        const std::string path = folder.file(c.name);
        if (c.content == nullptr) {
            std::filesystem::create_directory(path);
        } else {
            const std::string_view content = c.content;
            WriteBytes(path, {content.begin(), content.end()});
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

struct LinkCase {
    const char* name;
    const char* linkText;   // what the link "Kelmar.ini" holds
    const char* targetFile; // the file that must receive the content, in the folder
    bool targetExists;
};

// A save through a link renamed the new file over the link itself, so the
// file it pointed to was never updated again.
TEST(ReplaceFile, WritesThroughALinkReplaceItsTargetAndKeepTheLink) {
    const LinkCase cases[] = {
        {"relative link into a folder", "store/real.ini", "store/real.ini", true},
        {"dangling link", "store/new.ini", "store/new.ini", false},
        {"link to a link", "hop.ini", "store/real.ini", true},
    };
    for (const LinkCase& c : cases) {
        TempFolder folder;
        std::filesystem::create_directory(folder.file("store"));
        if (c.targetExists) {
            WriteBytes(folder.file("store/real.ini"), {'o', 'l', 'd'});
        }
        ASSERT_EQ(::symlink("store/real.ini", folder.file("hop.ini").c_str()), 0);
        const std::string link = folder.file("Kelmar.ini");
        ASSERT_EQ(::symlink(c.linkText, link.c_str()), 0);
        GameSettings settings;
        settings.PlayerName = "Durch";
        WriteSettings(settings, HighScoreTable(), link);
        EXPECT_TRUE(S_ISLNK(ModeOf(link))) << c.name;
        EXPECT_TRUE(S_ISREG(ModeOf(folder.file(c.targetFile)))) << c.name;
        GameSettings back;
        HighScoreTable table;
        ReadSettings(back, table, folder.file(c.targetFile));
        EXPECT_EQ(back.PlayerName, "Durch") << c.name;
        EXPECT_EQ(folder.names().size(), 3u) << c.name << ": nothing left beside the link";
    }
}

TEST(ReplaceFile, AnAbsoluteLinkToASavedGameInAnotherFolderIsFollowed) {
    TempFolder here, there;
    const std::string target = there.file("Spiel.klmr");
    const std::string link = here.file("QuickSave.klmr");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    Game game;
    DealGame(game, 4);
    SaveGame(game, link);
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    Game back;
    LoadGame(back, target);
    EXPECT_EQ(back.board.SlotCount, game.board.SlotCount);
    EXPECT_EQ(there.names(), std::vector<std::string>{"Spiel.klmr"}) << "no temporary is left";
}

// A link that points to itself can be neither read nor written through;
// the write fails and leaves the link.
TEST(ReplaceFile, ALinkLoopFailsTheWriteAndStays) {
    TempFolder folder;
    const std::string link = folder.file("Kelmar.ini");
    ASSERT_EQ(::symlink("Kelmar.ini", link.c_str()), 0);
    EXPECT_THROW(WriteSettings(GameSettings(), HighScoreTable(), link), IoError);
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    EXPECT_EQ(folder.names().size(), 1u);
}

} // namespace
} // namespace kelmar
