#include "core/deal.h"
#include "storage/kept_game.h"
#include "tests/storage/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar {
namespace {

using testing::TempFolder;

// A second damaged copy replaced the first one set aside.
TEST(KeptGame, EachDamagedCopyIsSetAsideUnderANameOfItsOwn) {
    TempFolder folder;
    KeptGameFiles files(folder.path().string());
    const std::string kept = folder.file(kResumeFileName);
    for (int n = 1; n <= 3; ++n) {
        const std::vector<uint8_t> bytes(static_cast<std::size_t>(n), 'K');
        testing::WriteBytes(kept, bytes);
        Game game;
        const std::string warning = files.load(game);
        const std::string name = KeptGameFiles::DamagedName(n);
        EXPECT_NE(warning.find("„" + name + "“"), std::string::npos) << warning;
        EXPECT_EQ(testing::ReadBytes(folder.file(name)), bytes) << name;
        EXPECT_FALSE(files.exists());
    }
    EXPECT_EQ(KeptGameFiles::DamagedName(1), "Fortsetzung.klmr.defekt");
    EXPECT_EQ(KeptGameFiles::DamagedName(2), "Fortsetzung.klmr.defekt-2");
    EXPECT_EQ(testing::ReadBytes(folder.file(KeptGameFiles::DamagedName(1))).size(), 1u)
        << "the oldest is kept";
}

// The kept game was silently neither continued nor kept when its lock
// could not be had.
TEST(KeptGame, ALockThatCannotBeHadIsExplainedNamingTheLockFile) {
    TempFolder folder;
    const std::string lock = folder.file(kResumeLockFileName);
    KeptGameFiles owner(folder.path().string());
    ASSERT_EQ(owner.lock(), "");
    EXPECT_EQ(owner.notKeptReason(), "");
    KeptGameFiles second(folder.path().string());
    const std::string held = second.lock();
    EXPECT_FALSE(second.locked());
    EXPECT_NE(held.find("Das letzte Spiel kann nicht fortgesetzt werden: Ein anderes "
                        "Kelmar-Fenster bewahrt es auf (Sperrdatei „.Fortsetzung.klmr.lock“)"),
              std::string::npos)
        << held;
    EXPECT_NE(held.find("nicht aufbewahrt"), std::string::npos) << held;
    owner.unlock();
    std::filesystem::remove(lock);
    ASSERT_EQ(::mkdir(lock.c_str(), 0700), 0);
    const std::string folderLock = second.lock();
    EXPECT_NE(folderLock.find("Die Sperrdatei „.Fortsetzung.klmr.lock“ ist nicht nutzbar (Der "
                              "Name bezeichnet einen Ordner)"),
              std::string::npos)
        << folderLock;
    EXPECT_NE(second.notKeptReason().find("Ordner"), std::string::npos);
}

// The side record keeps the deal's identity beside the copy. What it
// cannot say reads as a default, and a bad number names no deal at all.
TEST(KeptGame, TheSideRecordReadsWhatItCanAndDefaultsTheRest) {
    const KeptGameNotes day{{89442494, Grade::Hard, 46363}, 2, 5};
    EXPECT_EQ(KeptGameNotesText(day), "Deal=89442494\nGrade=3\nDayGame=46363\nHints=2\nChecks=5\n");
    struct Case {
        const char* text;
        KeptGameNotes notes;
    };
    const Case cases[] = {
        {"Deal=89442494\nGrade=3\nDayGame=46363\nHints=2\nChecks=5\n", day},
        {"Checks=5\r\nHints=2\r\nDayGame=46363\r\nNeu=1\r\nGrade=3\r\nDeal=89442494", day},
        {"Deal=17\nGrade=9\nHints=-1\nChecks=x\n", {{17, Grade::Any, 0}, 0, 0}},
        {"Deal=1000000000\nGrade=2\nDayGame=46363\n", {}},
        {"Deal= 17\nGrade=2\n", {}},
        {"Deal=0\nHints=3\n", {{}, 3, 0}},
        {"Deal=999999999\nGrade=1\nDayGame=99999999999999\n", {{999999999, Grade::Easy, 0}, 0, 0}},
        {"", {}},
        {"\xFF\xFE\0garbage=\n=\n", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseKeptGameNotes(c.text), c.notes) << c.text;
    }
}

// Written with the copy, read back, removed with it; a copy without its
// record, or with a record that is no regular file, continues without one.
TEST(KeptGame, TheSideRecordComesAndGoesWithTheCopy) {
    TempFolder folder;
    KeptGameFiles files(folder.path().string());
    const std::string notes = folder.file(kResumeNotesFileName);
    Game game;
    NewGame(game, false);
    const KeptGameNotes kept{{482913, Grade::Medium, 0}, 0, 0};
    files.write(game, kept);
    EXPECT_TRUE(std::filesystem::is_regular_file(notes));
    EXPECT_EQ(files.loadNotes(), kept);
    Game back;
    EXPECT_EQ(files.load(back), "");
    files.remove();
    EXPECT_FALSE(files.exists());
    EXPECT_FALSE(std::filesystem::exists(notes));
    EXPECT_EQ(files.loadNotes(), KeptGameNotes{});
    files.remove(); // nothing there: no error
    ASSERT_EQ(::mkdir(notes.c_str(), 0700), 0);
    EXPECT_EQ(files.loadNotes(), KeptGameNotes{});
}

} // namespace
} // namespace kelmar
