#include "core/builtin_layouts.h"
#include "storage/layout_files.h"
#include "tests/storage/temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

using testing::TempFolder;

// Eight rows of 14 on layer 1, four rows of 8 on layer 2: 144 tiles.
std::string LayoutText(const std::string& name) {
    std::string text = "Name: " + name + "\nEbene 1\n";
    for (int r = 0; r < 16; ++r) {
        text += std::string(28, '#') + "\n";
    }
    text += "Ebene 2\n";
    for (int r = 0; r < 8; ++r) {
        text += "..." + std::string(16, '#') + "\n";
    }
    return text;
}

void Write(const TempFolder& folder, const std::string& name, const std::string& text) {
    testing::WriteBytes(folder.file(name), {text.begin(), text.end()});
}

// Every broken file is skipped with one message that names it; the good
// ones are read in the order of their names, whatever the others do.
TEST(PlayerLayouts, EachBrokenFileIsSkippedWithItsOwnMessage) {
    TempFolder folder;
    Write(folder, "zweite.txt", LayoutText("Zweites Feld"));
    Write(folder, "Erste.txt", LayoutText("Erstes Feld"));
    Write(folder, "notiz.md", "kein Layout");
    Write(folder, "kaputt.txt", "Name: Kaputt\nEbene 1\n##\n#.\n");
    Write(folder, "ring.txt", LayoutText("Mein Ring"));      // short name of a built-in
    Write(folder, "eigen.txt", LayoutText("pyramide"));      // German name of a built-in
    Write(folder, "nochmal.txt", LayoutText("ERSTES FELD")); // name of an earlier file
    Write(folder, "mit leerzeichen.txt", LayoutText("Leer"));
    const PlayerLayouts read = ReadPlayerLayouts(folder.file(""), BuiltInLayouts());

    ASSERT_EQ(read.layouts.size(), 2u);
    EXPECT_EQ(read.layouts[0].ShortName, "Erste");
    EXPECT_EQ(read.layouts[0].Name, "Erstes Feld");
    EXPECT_EQ(read.layouts[1].ShortName, "zweite");
    const std::pair<const char*, const char*> expected[] = {
        {"kaputt.txt", "Zeile 3"},
        {"eigen.txt", "Pyramide"},
        {"mit leerzeichen.txt", "Dateiname"},
        {"nochmal.txt", "Erstes Feld"},
        {"ring.txt", "Ring"},
    };
    ASSERT_EQ(read.messages.size(), std::size(expected));
    for (const auto& [file, fragment] : expected) {
        const std::string name = file;
        const auto it = std::find_if(read.messages.begin(), read.messages.end(),
                                     [&](const std::string& m) { return m.find(name) != m.npos; });
        ASSERT_NE(it, read.messages.end()) << file;
        EXPECT_NE(it->find(fragment), std::string::npos) << *it;
        EXPECT_NE(it->find("übergangen"), std::string::npos) << *it;
    }
}

// Squares of 7 x 7 up to 1 x 1, each layer half a tile in, and a 2 x 2 block
// over the top: once the block is taken only the top tile is ever free, so
// no deal on it can be won.
std::string HopelessText() {
    std::string text = "Name: Sackgasse\n";
    const auto layer = [&](int number, int side, int indent) {
        text += "Ebene " + std::to_string(number) + "\n";
        for (int r = 0; r < 2 + indent; ++r) {
            text += "\n";
        }
        for (int row = 0; row < side; ++row) {
            const std::string line = std::string(static_cast<size_t>(indent), '.') +
                                     std::string(static_cast<size_t>(2 * side), '#') + "\n";
            text += line + line;
        }
    };
    for (int l = 1; l <= 7; ++l) {
        layer(l, 8 - l, l - 1);
    }
    layer(8, 2, 5);
    return text;
}

TEST(PlayerLayouts, ALayoutWithoutAWinnableDealIsRefused) {
    TempFolder folder;
    Write(folder, "sackgasse.txt", HopelessText());
    const PlayerLayouts read = ReadPlayerLayouts(folder.file(""), BuiltInLayouts());
    EXPECT_TRUE(read.layouts.empty());
    ASSERT_EQ(read.messages.size(), 1u);
    EXPECT_NE(read.messages[0].find("kein lösbares Spiel"), std::string::npos) << read.messages[0];
}

TEST(PlayerLayouts, AMissingFolderOrAFolderThatIsAFileGivesNothing) {
    TempFolder folder;
    Write(folder, "datei", "x");
    for (const std::string& path : {folder.file("fehlt"), folder.file("datei"), std::string()}) {
        const PlayerLayouts read = ReadPlayerLayouts(path, BuiltInLayouts());
        EXPECT_TRUE(read.layouts.empty()) << path;
        EXPECT_TRUE(read.messages.empty()) << path;
    }
}

TEST(PlayerLayouts, TheFolderFollowsXdgDataHomeAndFallsBackToHome) {
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string data = savedData ? savedData : "";
    const std::string home = savedHome ? savedHome : "";
    setenv("HOME", "/home/anna", 1);
    setenv("XDG_DATA_HOME", "/daten", 1);
    EXPECT_EQ(PlayerLayoutFolder(), "/daten/kelmar/layouts");
    setenv("XDG_DATA_HOME", "relativ", 1); // not absolute: ignored
    EXPECT_EQ(PlayerLayoutFolder(), "/home/anna/.local/share/kelmar/layouts");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(PlayerLayoutFolder(), "/home/anna/.local/share/kelmar/layouts");
    unsetenv("HOME");
    EXPECT_EQ(PlayerLayoutFolder(), "");
    savedData ? setenv("XDG_DATA_HOME", data.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

} // namespace
} // namespace kelmar
