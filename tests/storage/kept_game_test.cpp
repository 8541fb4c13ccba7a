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

} // namespace
} // namespace kelmar
