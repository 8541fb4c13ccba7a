#include "core/builtin_layouts.h"
#include "storage/layout_files.h"
#include "tests/storage/temp_folder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

using testing::TempFolder;

// Eight rows of 14 on layer 1, four rows of 8 on layer 2 (`indent` half
// tiles in): 144 tiles.
std::string LayoutText(const std::string& name, int indent = 3) {
    std::string text = "Name: " + name + "\nEbene 1\n";
    for (int r = 0; r < 16; ++r) {
        text += std::string(28, '#') + "\n";
    }
    text += "Ebene 2\n";
    for (int r = 0; r < 8; ++r) {
        text += std::string(static_cast<std::size_t>(indent), '.') + std::string(16, '#') + "\n";
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
    Write(folder, "zweite.txt", LayoutText("Zweites Feld", 4));
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

// Names reversed the chooser's lines, cut the window title, or passed for
// another layout's; a copy of a layout's positions turned into that layout
// after a save or a restart.
TEST(PlayerLayouts, NamesMustBePrintableAndDistinctAndPositionsTheirOwn) {
    TempFolder folder;
    Write(folder, "a.txt", LayoutText("Eigenes Feld"));
    Write(folder, "gut.txt", LayoutText("Müllers Brücke", 9));
    const struct {
        const char* file;
        std::string text;
        const char* fragment;
    } skipped[] = {
        {"rtl.txt", LayoutText("\u202EFeld", 5), "druckbare"},
        {"nul.txt", LayoutText(std::string("Fe\0ld", 5), 6), "druckbare"},
        {"kyrillisch.txt", LayoutText("\u0420\u0443ramide", 7), "„Pyramide“"},
        {"breit.txt", LayoutText("\uFF25\uFF49\uFF47\uFF45\uFF4E\uFF45\uFF53 Feld", 8),
         "„Eigenes Feld“"},
        {"kopie.txt", LayoutText("Kopie von Eigenes Feld"), "dieselben Plätze"},
    };
    for (const auto& c : skipped) {
        Write(folder, c.file, c.text);
    }
    const PlayerLayouts read = ReadPlayerLayouts(folder.file(""), BuiltInLayouts());
    ASSERT_EQ(read.layouts.size(), 2u);
    EXPECT_EQ(read.layouts[1].Name, "Müllers Brücke");
    ASSERT_EQ(read.messages.size(), std::size(skipped));
    for (const auto& c : skipped) {
        const auto it = std::find_if(read.messages.begin(), read.messages.end(),
                                     [&](auto& m) { return m.find(c.file) != std::string::npos; });
        ASSERT_NE(it, read.messages.end()) << c.file;
        EXPECT_NE(it->find(c.fragment), std::string::npos) << *it;
    }
    EXPECT_EQ(LayoutNameKey("\u0420\u0443ramide"), LayoutNameKey("PYRAMIDE"));
}

// 20 skipped files made a warning taller than the screen, 10,000 one that
// took seconds to show.
TEST(PlayerLayouts, TheWarningNamesTheFirstFilesAndCountsTheRest) {
    const struct {
        std::size_t files;
        const char* tail;
    } cases[] = {{1, "Datei 1"},
                 {5, "Datei 5"},
                 {6, "… und 1 weitere Datei wird übergangen."},
                 {10000, "… und 9995 weitere Dateien werden übergangen."}};
    for (const auto& c : cases) {
        std::vector<std::string> messages;
        for (std::size_t i = 1; i <= c.files; ++i) {
            messages.push_back("Datei " + std::to_string(i));
        }
        const std::string text = SkippedLayoutsText(messages);
        EXPECT_EQ(text.substr(text.size() - std::strlen(c.tail)), c.tail) << c.files;
        EXPECT_EQ(text.find("Datei 6\n"), std::string::npos) << c.files;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                  2 * static_cast<long>(std::min(c.files, kSkippedLayoutsNamed + 1) - 1));
    }
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
