// The check of players' tile-set folders: good and broken sets, each fault
// named with its file.
#include "storage/tile_set_files.h"
#include "temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

void put(std::vector<uint8_t>& bytes, std::size_t at, int64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A BMP file with a 40-byte info header and zero pixels; `missing` bytes
// cut off its end.
std::vector<uint8_t> Bmp(int32_t width, int32_t height, int bits = 24, int compression = 0,
                         std::size_t missing = 0) {
    const int64_t stride = (int64_t{width} * bits + 31) / 32 * 4;
    const int64_t rows = height < 0 ? -int64_t{height} : height;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(54 + stride * rows - int64_t(missing)));
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(bytes, 2, static_cast<int64_t>(bytes.size()), 4);
    put(bytes, 10, 54, 4);
    put(bytes, 14, 40, 4);
    put(bytes, 18, width, 4);
    put(bytes, 22, height, 4);
    put(bytes, 26, 1, 2);
    put(bytes, 28, bits, 2);
    put(bytes, 30, compression, 4);
    return bytes;
}

struct FileEntry {
    const char* name;
    std::vector<uint8_t> bytes;
};

struct FolderCase {
    const char* what;
    std::vector<FileEntry> files;
    const char* expected; // a part of the message; empty: the set is usable
};

TEST(CheckTileSetFolder, AcceptsGoodSetsAndNamesTheFileOfABrokenOne) {
    const std::vector<uint8_t> sheet = Bmp(342, 270), frame = Bmp(48, 64);
    const FolderCase cases[] = {
        {"both at 100 %", {{"KLTiles.bmp", sheet}, {"KLTFrame.bmp", frame}}, ""},
        {"one size each, the rest filtered",
         {{"KLTiles300.bmp", Bmp(1026, 810)}, {"KLTFrame150.bmp", Bmp(71, 95)}},
         ""},
        {"rows top-down, 8 bits",
         {{"KLTiles.bmp", Bmp(342, -270, 8)}, {"KLTFrame.bmp", Bmp(48, 64, 32, 3)}},
         ""},
        {"no frame", {{"KLTiles.bmp", sheet}}, "Datei „KLTFrame.bmp“ fehlt"},
        {"empty", {}, "Datei „KLTiles.bmp“ fehlt (auch in keiner der Größen KLTiles150.bmp"},
        {"sheet too narrow",
         {{"KLTiles.bmp", Bmp(340, 270)}, {"KLTFrame.bmp", frame}},
         "„KLTiles.bmp“ ist 340 × 270 Bildpunkte groß, verlangt sind 342 × 270"},
        {"a 100 % sheet under a level's name",
         {{"KLTiles.bmp", sheet}, {"KLTiles200.bmp", sheet}, {"KLTFrame.bmp", frame}},
         "„KLTiles200.bmp“ ist 342 × 270 Bildpunkte groß, verlangt sind 684 × 540"},
        {"cut short",
         {{"KLTiles.bmp", sheet}, {"KLTFrame.bmp", Bmp(48, 64, 24, 0, 1)}},
         "„KLTFrame.bmp“ endet vor der letzten Bildzeile"},
        {"no picture",
         {{"KLTiles.bmp", {'G', 'I', 'F', '8', '9', 'a'}}, {"KLTFrame.bmp", frame}},
         "„KLTiles.bmp“ ist keine BMP-Datei"},
        {"run-length coded",
         {{"KLTiles.bmp", Bmp(342, 270, 8, 1)}, {"KLTFrame.bmp", frame}},
         "„KLTiles.bmp“ ist komprimiert gespeichert"},
        {"2 bits", {{"KLTiles.bmp", Bmp(342, 270, 2)}, {"KLTFrame.bmp", frame}}, "hat 2 Bit"},
    };
    for (const FolderCase& c : cases) {
        TempFolder folder;
        for (const FileEntry& f : c.files) {
            WriteBytes(folder.file(f.name), f.bytes);
        }
        const std::string message = CheckTileSetFolder(folder.path().string(), "eigen");
        if (std::string(c.expected).empty()) {
            EXPECT_EQ(message, "") << c.what;
        } else {
            EXPECT_NE(message.find(c.expected), std::string::npos) << c.what << ": " << message;
            EXPECT_EQ(message.rfind("Kachelsatz „eigen“: ", 0), 0u) << message;
        }
    }
}

TEST(CheckTileSetFolder, AFolderUnderAPictureNameIsNotReadable) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("KLTiles.bmp"));
    WriteBytes(folder.file("KLTFrame.bmp"), Bmp(48, 64));
    const std::string message = CheckTileSetFolder(folder.path().string(), "eigen");
    EXPECT_NE(message.find("„KLTiles.bmp“ ist nicht lesbar ("), std::string::npos) << message;
}

TEST(ReadPlayerTileSets, OffersTheGoodSetsAndOneMessagePerOtherFolder) {
    TempFolder folder;
    const auto makeSet = [&folder](const std::string& name, bool good) {
        std::filesystem::create_directory(folder.file(name));
        WriteBytes(folder.file(name + "/KLTiles.bmp"), Bmp(342, good ? 270 : 269));
        WriteBytes(folder.file(name + "/KLTFrame.bmp"), Bmp(48, 64));
    };
    makeSet("eigen", true);
    makeSet("kaputt", false);
    makeSet("Kontrast", true);
    makeSet("mit leer", true);
    makeSet("zweiter_satz", true);
    WriteBytes(folder.file("notiz.txt"), {'x'});

    const PlayerTileSets found = ReadPlayerTileSets(folder.path().string(), {"kontrast"});
    ASSERT_EQ(found.sets.size(), 2u);
    EXPECT_EQ(found.sets[0].ShortName, "eigen");
    EXPECT_EQ(found.sets[0].Folder, folder.file("eigen"));
    EXPECT_EQ(found.sets[1].ShortName, "zweiter_satz");
    ASSERT_EQ(found.messages.size(), 3u);
    EXPECT_NE(found.messages[0].find("„Kontrast“: Einen Kachelsatz dieses Namens"),
              std::string::npos);
    EXPECT_NE(found.messages[1].find("„kaputt“: Die Datei „KLTiles.bmp“ ist 342 × 269"),
              std::string::npos);
    EXPECT_NE(found.messages[2].find("„mit leer“: Der Ordnername"), std::string::npos);

    EXPECT_TRUE(ReadPlayerTileSets(folder.file("fehlt"), {}).sets.empty());
    EXPECT_TRUE(ReadPlayerTileSets("", {}).messages.empty());
}

TEST(PlayerTileSetFolder, LiesBesideThePlayersLayouts) {
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("XDG_DATA_HOME", "/daten", 1);
    EXPECT_EQ(PlayerTileSetFolder(), "/daten/kelmar/tilesets");
    ::setenv("XDG_DATA_HOME", "relativ", 1);
    ::setenv("HOME", "/home/anna", 1);
    EXPECT_EQ(PlayerTileSetFolder(), "/home/anna/.local/share/kelmar/tilesets");
    ::unsetenv("XDG_DATA_HOME");
    if (home) {
        ::setenv("HOME", savedHome.c_str(), 1);
    }
}

} // namespace
} // namespace kelmar
