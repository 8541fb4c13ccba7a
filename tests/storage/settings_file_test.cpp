#include "storage/high_score_record.h"
#include "storage/ini_reader.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>

namespace kelmar {
namespace {

using testing::TempFolder;

std::string ReadText(const std::string& path) {
    const auto bytes = testing::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& path, const std::string& text) {
    testing::WriteBytes(path, {text.begin(), text.end()});
}

constexpr const char* kDefaultFile = "[Kelmar]\r\n"
                                     "AvoidUnsolveableGames=1\r\n"
                                     "PlayerName=Kelmar\r\n"
                                     "PixelFormat=0\r\n"
                                     "ShowRenderSpeed=0\r\n"
                                     "ForceRepaint=0\r\n"
                                     "Zoom=100\r\n"
                                     "Layout=Pyramide\r\n"
                                     "SafeHint=1\r\n"
                                     "ResumeGame=1\r\n"
                                     "Difficulty=0\r\n"
                                     "TileSet=klassisch\r\n"
                                     "Background=blau\r\n"
                                     "WindowState=0\r\n"
                                     "\r\n"
                                     "[Highscores]\r\n"
                                     "1=064B656C6D617200B400008EAE\r\n"
                                     "2=064B656C6D617200F000008EAE\r\n"
                                     "3=064B656C6D6172012C00008EAE\r\n"
                                     "4=064B656C6D6172016800008EAE\r\n"
                                     "5=064B656C6D617201A400008EAE\r\n"
                                     "6=064B656C6D617201E000008EAE\r\n"
                                     "7=064B656C6D6172021C00008EAE\r\n"
                                     "8=064B656C6D6172025800008EAE\r\n"
                                     "9=064B656C6D6172029400008EAE\r\n"
                                     "10=064B656C6D617202D000008EAE\r\n";

class SettingsFile : public ::testing::Test {
protected:
    std::string path() const { return folder.file("Kelmar.ini"); }
    void read(const std::string& text) {
        WriteText(path(), text);
        ReadSettings(settings, table, path());
    }

    TempFolder folder;
    GameSettings settings;
    HighScoreTable table;
};

TEST_F(SettingsFile, WithoutAFileTheDefaultsHoldAndAreWrittenInFull) {
    ReadSettings(settings, table, path());
    EXPECT_TRUE(settings.AvoidUnsolveableGames);
    EXPECT_EQ(settings.PlayerName, "Kelmar");
    EXPECT_EQ(settings.PixelFormat, PixelFormatSetting::Device);
    EXPECT_FALSE(settings.ShowRenderSpeed);
    EXPECT_FALSE(settings.ForceRepaint);
    WriteSettings(settings, table, path());
    EXPECT_EQ(ReadText(path()), kDefaultFile);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"Kelmar.ini"});
}

TEST_F(SettingsFile, PixelFormatIsStoredAsBitsPerPixel) {
    const std::pair<const char*, PixelFormatSetting> cases[] = {
        {"0x10", PixelFormatSetting::Bits16},  {"12", PixelFormatSetting::Device},
        {"1", PixelFormatSetting::Device},     {"4", PixelFormatSetting::Bits4},
        {"8", PixelFormatSetting::Bits8},      {"15", PixelFormatSetting::Bits15},
        {"$18", PixelFormatSetting::Bits24},   {" 32 ", PixelFormatSetting::Bits32},
        {"16bit", PixelFormatSetting::Device}, {"", PixelFormatSetting::Device},
    };
    for (const auto& [value, format] : cases) {
        settings.PixelFormat = PixelFormatSetting::Bits8;
        read(std::string("[Kelmar]\r\nPixelFormat=") + value + "\r\n");
        EXPECT_EQ(settings.PixelFormat, format) << value;
    }
    settings.PixelFormat = PixelFormatSetting::Bits15;
    EXPECT_NE(SettingsText(settings, table).find("\r\nPixelFormat=15\r\n"), std::string::npos);
}

// The zoom is one line after ForceRepaint; a file of the first version has
// none and reads as 100 %, and so does any number that is not a level.
TEST_F(SettingsFile, ZoomIsReadAsALevelAndWrittenAfterForceRepaint) {
    const std::pair<const char*, int> cases[] = {
        {"200", 200}, {" 300 ", 300}, {"0x96", 150}, {"250", 250}, {"175", 100},
        {"400", 100}, {"-200", 100},  {"50", 100},   {"abc", 100}, {"", 100},
    };
    for (const auto& [value, zoom] : cases) {
        settings.Zoom = 150;
        read(std::string("[Kelmar]\r\nZoom=") + value + "\r\n");
        EXPECT_EQ(settings.Zoom, zoom) << value;
    }
    settings.Zoom = 250;
    read("[Kelmar]\r\nForceRepaint=1\r\n");
    EXPECT_EQ(settings.Zoom, 100) << "a file without the line";
    settings.Zoom = 250;
    EXPECT_NE(SettingsText(settings, table).find("\r\nForceRepaint=1\r\nZoom=250\r\nLayout="),
              std::string::npos);
    settings.Zoom = 123;
    EXPECT_NE(SettingsText(settings, table).find("\r\nZoom=100\r\n"), std::string::npos);
}

// Keeping the game is on unless the file says 0: a file of an older version
// has no line, and a value that is no number keeps the current value. The
// line comes after SafeHint, before the empty line.
TEST_F(SettingsFile, ResumeGameIsOnUnlessTheFileTurnsItOff) {
    const struct {
        const char* file;
        bool before;
        bool after;
    } cases[] = {
        {"[Kelmar]\r\nZoom=150\r\n", true, true},
        {"[Kelmar]\r\nResumeGame=0\r\n", true, false},
        {"[Kelmar]\r\nresumegame = 0 \r\n", true, false},
        {"[Kelmar]\r\nResumeGame=1\r\n", false, true},
        {"[Kelmar]\r\nResumeGame=7\r\n", false, true},
        {"[Kelmar]\r\nResumeGame=nein\r\n", true, true},
        {"[Kelmar]\r\nResumeGame=\r\n", true, true},
        {"[Highscores]\r\nResumeGame=0\r\n", true, true},
    };
    for (const auto& c : cases) {
        settings.ResumeGame = c.before;
        read(c.file);
        EXPECT_EQ(settings.ResumeGame, c.after) << c.file;
    }
    settings.Zoom = 200;
    settings.ResumeGame = false;
    EXPECT_NE(SettingsText(settings, table)
                  .find("\r\nZoom=200\r\nLayout=Pyramide\r\nSafeHint=1\r\nResumeGame="
                        "0\r\nDifficulty=0\r\n"),
              std::string::npos);
}

// SafeHint is the line after Layout, on unless the file says otherwise: a file
// of an earlier version, or a value that is no number, keeps the hint safe.
TEST_F(SettingsFile, SafeHintIsABooleanAfterZoomThatStaysOnWhenMissing) {
    const std::pair<const char*, bool> cases[] = {
        {"0", false}, {" 0 ", false}, {"0x0", false}, {"1", true},
        {"2", true},  {"-1", true},   {"nein", true}, {"", true},
    };
    for (const auto& [value, on] : cases) {
        settings.SafeHint = true;
        read(std::string("[Kelmar]\r\nSafeHint=") + value + "\r\n");
        EXPECT_EQ(settings.SafeHint, on) << value;
    }
    settings.SafeHint = false;
    read("[Kelmar]\r\nnein=0\r\n");
    EXPECT_FALSE(settings.SafeHint) << "a missing line keeps the value the game has";
    GameSettings fresh;
    ApplySettingsText(fresh, table, "[Kelmar]\r\nZoom=200\r\n");
    EXPECT_TRUE(fresh.SafeHint) << "a file of an earlier version";

    settings.SafeHint = false;
    settings.Zoom = 150;
    EXPECT_NE(SettingsText(settings, table)
                  .find("\r\nZoom=150\r\nLayout=Pyramide\r\nSafeHint=0\r\nResumeGame="
                        "1\r\nDifficulty=0\r\n"),
              std::string::npos);
}

// The difficulty is the line after ResumeGame; a file without it, and any number
// that is no difficulty, reads as "Beliebig", the behaviour of old files.
TEST_F(SettingsFile, DifficultyIsReadAsAGradeAndWrittenAfterZoom) {
    const std::pair<const char*, Grade> cases[] = {
        {"1", Grade::Easy},  {" 2 ", Grade::Medium}, {"0x3", Grade::Hard},   {"0", Grade::Any},
        {"4", Grade::Any},   {"-1", Grade::Any},     {"schwer", Grade::Any}, {"", Grade::Any},
        {"259", Grade::Any}, // 3 in the low byte: not taken as hard
    };
    for (const auto& [value, grade] : cases) {
        settings.Difficulty = Grade::Medium;
        read(std::string("[Kelmar]\r\nDifficulty=") + value + "\r\n");
        EXPECT_EQ(settings.Difficulty, grade) << value;
    }
    settings.Difficulty = Grade::Hard;
    read("[Kelmar]\r\nZoom=150\r\n");
    EXPECT_EQ(settings.Difficulty, Grade::Any) << "a file without the line";
    settings.Difficulty = Grade::Hard;
    EXPECT_NE(SettingsText(settings, table)
                  .find("\r\nZoom=150\r\nLayout=Pyramide\r\nSafeHint=1\r\nResumeGame="
                        "1\r\nDifficulty=3\r\n"),
              std::string::npos);
    settings.Difficulty = static_cast<Grade>(9);
    EXPECT_NE(SettingsText(settings, table).find("\r\nDifficulty=0\r\n"), std::string::npos);
}

// The looks are two lines after Difficulty; only names a set folder may
// have (or a colour) are taken, so no stored value can point elsewhere.
TEST_F(SettingsFile, TheLooksAreShortNamesOrAColourAfterDifficulty) {
    struct Case {
        const char* line;
        const char* tileSet;
        const char* background;
    };
    const Case cases[] = {
        {"TileSet=nacht\r\nBackground=wein", "nacht", "wein"},
        {"tileset= Mein-Satz_2 \r\nBACKGROUND=#A0b1C2", "Mein-Satz_2", "#a0b1c2"},
        {"TileSet=#a0b1c2\r\nBackground=#a0b1c", "klassisch", "blau"},
        {"TileSet=../kontrast\r\nBackground=#a0b1c2ff", "klassisch", "blau"},
        {"TileSet=Groß\r\nBackground=gr\xfcn", "klassisch", "blau"},
        {"TileSet=\r\nBackground=", "klassisch", "blau"},
        {"TileSet=abcdefghijabcdefghijabcdefghijabc\r\nBackground=#12345g", "klassisch", "blau"},
        {"Difficulty=1", "klassisch", "blau"}, // a file without the lines
    };
    for (const Case& c : cases) {
        settings.TileSet = "kontrast";
        settings.Background = "nacht";
        read(std::string("[Kelmar]\r\n") + c.line + "\r\n");
        EXPECT_EQ(settings.TileSet, c.tileSet) << c.line;
        EXPECT_EQ(settings.Background, c.background) << c.line;
    }
    settings = GameSettings();
    settings.Background = "#00ff7f";
    EXPECT_NE(SettingsText(settings, table)
                  .find("\r\nDifficulty=0\r\nTileSet=klassisch\r\nBackground=#00ff7f\r\n"),
              std::string::npos);
}

TEST_F(SettingsFile, KeysAndSectionsMatchInAnyCaseAndValuesAreTrimmed) {
    read("\xEF\xBB\xBF; a comment\n[kelmar]\nplayername =  Anna Lena  \nSHOWRENDERSPEED=2\n"
         "[Other]\nForceRepaint=1\n[KELMAR]\nAvoidUnsolveableGames=0\n");
    EXPECT_EQ(settings.PlayerName, "Anna Lena");
    EXPECT_TRUE(settings.ShowRenderSpeed);
    EXPECT_FALSE(settings.ForceRepaint) << "a key of another section does not count";
    EXPECT_FALSE(settings.AvoidUnsolveableGames);
    EXPECT_NE(SettingsText(settings, table).find("\r\nShowRenderSpeed=1\r\n"), std::string::npos);
}

TEST_F(SettingsFile, PlayerNameIsTakenAsWrittenEmptyOrLong) {
    settings.ShowRenderSpeed = true;
    read("[Kelmar]\r\nPlayerName=\r\nShowRenderSpeed=yes\r\n");
    EXPECT_EQ(settings.PlayerName, "") << "the key exists, so its default does not apply";
    EXPECT_TRUE(settings.ShowRenderSpeed) << "no number gives the current value";
    read("[Kelmar]\nPlayerName=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(settings.PlayerName.size(), kIniMaxValueChars);

    settings.PlayerName = "Maximiliane von Oberhausen"; // 26 characters, written whole
    EXPECT_NE(SettingsText(settings, table).find("\r\nPlayerName=Maximiliane von Oberhausen\r\n"),
              std::string::npos);
}

TEST_F(SettingsFile, ALineBreakInTheNameCannotAddLines) {
    settings.PlayerName = "Eve\r\n[Highscores]\r\n1=01410000000000";
    const HighScoreTable before = table;
    WriteSettings(settings, table, path());
    ReadSettings(settings, table, path());
    EXPECT_EQ(settings.PlayerName, "Eve  [Highscores]  1=01410000000000");
    EXPECT_EQ(table.Rows[1].Name, before.Rows[1].Name);
}

TEST_F(SettingsFile, RowsSurviveWithWholeSecondsAndNoonOfTheDay) {
    table.Rows[1] = {"J\xFCrgen", 150999, 36526.75}; // 2:30.999 on 1 Jan 2000, 18:00
    table.Rows[2] = {"", 200000, 36527.25};
    table.Rows[3] = {"ABCDEFGHIJKLMNOPQRST", 9000000, 45000.0};
    const std::string text = SettingsText(settings, table);
    EXPECT_NE(text.find("\r\n1=064AFC7267656E009600008EAE\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n2=0000C800008EAF\r\n"), std::string::npos) << text;
    WriteSettings(settings, table, path());

    HighScoreTable back;
    ReadSettings(settings, back, path());
    EXPECT_EQ(back.Rows[1].Name, "J\xFCrgen");
    EXPECT_EQ(back.Rows[1].Time, 150000);
    EXPECT_EQ(back.Rows[1].Date, 36526.5);
    EXPECT_EQ(back.Rows[2].Name, "Kelmar") << "an empty name is not taken back";
    EXPECT_EQ(back.Rows[2].Time, 240000);
    EXPECT_EQ(back.Rows[3].Name, table.Rows[3].Name);
    EXPECT_EQ(back.Rows[3].Time, 9000000);
    EXPECT_EQ(back.Rows[3].Date, 45000.5);
}

struct RecordCase {
    const char* name;
    const char* value;
    bool taken;
    HighScoreEntry entry;
};

// Keeps test names readable: the value, not the bytes of the struct.
void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << '"' << c.value << '"';
}

class HighScoreValue : public ::testing::TestWithParam<RecordCase> {};

TEST_P(HighScoreValue, IsTakenWithTheDescribedDigitRules) {
    const RecordCase& c = GetParam();
    const HighScoreEntry old{"Old", 1000, 1.5};
    HighScoreEntry entry = old;
    EXPECT_EQ(DecodeHighScore(c.value, entry), c.taken);
    const HighScoreEntry& expected = c.taken ? c.entry : old;
    EXPECT_EQ(entry.Name, expected.Name);
    EXPECT_EQ(entry.Time, expected.Time);
    EXPECT_EQ(entry.Date, expected.Date);
}

INSTANTIATE_TEST_SUITE_P(
    Records, HighScoreValue,
    ::testing::Values(
        RecordCase{"UpperCase", "064B656C6D617200B400008EAE", true, {"Kelmar", 180000, 36526.5}},
        RecordCase{"LowerCase", "064b656c6d617200b400008eae", true, {"Kelmar", 180000, 36526.5}},
        RecordCase{"Missing", "n\xFCscht", false, {}},
        RecordCase{"LengthZero", "0000B400008EAE", false, {}},
        RecordCase{"LengthAbove20",
                   "15"
                   "41414141414141414141414141414141414141414141",
                   false,
                   {}},
        // 'G' is no digit: first place gives high digit F, second place byte FF.
        RecordCase{"InvalidDigits",
                   "02G4"
                   "4G"
                   "0001"
                   "00000001",
                   true,
                   {"\xF4\xFF", 1000, 1.5}},
        // Positions after the end read as the zero character, an invalid digit.
        RecordCase{"EndsEarly", "0141", true, {"A", 65535000, 4294967295.5}},
        RecordCase{"TrailingCharactersIgnored", "0141000100000001XYZ", true, {"A", 1000, 1.5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniNumber, FollowsTheDecimalAndHexadecimalRules) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"0x10", 16},
        {"0X1f", 31},
        {"$10", 16},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"0xFFFFFFFF", -1},
        {"2147483648", std::nullopt},
        {"0x100000000", std::nullopt},
        {"0x", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"0x1G", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseIniNumber(text), value) << text;
    }
}

TEST_F(SettingsFile, AFailedWriteKeepsThePreviousFileWhole) {
    WriteText(path(), kDefaultFile);
    settings.PlayerName = "Neu";
    {
        testing::FileSizeLimit diskFull(100);
        try {
            WriteSettings(settings, table, path());
            FAIL() << "the write must fail";
        } catch (const IoError& error) {
            EXPECT_NE(std::string(error.what()).find("Kann Einstellungen"), std::string::npos);
        }
    }
    EXPECT_EQ(ReadText(path()), kDefaultFile);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"Kelmar.ini"});
    EXPECT_THROW(WriteSettings(settings, table, folder.file("missing/Kelmar.ini")), IoError);
}

// A read error was taken as an empty file, and the close then wrote the
// defaults over every best time. Root reads any file, so the unreadable
// files here are a pipe (which also used to hang the start) and a folder.
TEST_F(SettingsFile, AFileThatCannotBeReadIsReportedOnceAndNeverReplaced) {
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    const std::string folderName = folder.file("folder.ini");
    std::filesystem::create_directory(folderName);
    for (const auto& [name, reason] :
         {std::pair{path(), "Keine gew\u00F6hnliche Datei"}, std::pair{folderName, "Ordner"}}) {
        SettingsSession session(name);
        settings.PlayerName = "Bleibt";
        const std::string warning = session.Read(settings, table);
        EXPECT_EQ(warning.rfind("Kann Einstellungen \u201E" + name + "\u201C nicht lesen: ", 0), 0u)
            << warning;
        EXPECT_NE(warning.find(reason), std::string::npos) << warning;
        EXPECT_EQ(settings.PlayerName, "Bleibt");
        RecordHighScore(table, "Neu", 1000, 45000.0);
        EXPECT_NO_THROW(session.Write(settings, table));
    }
    struct stat info {};
    ASSERT_EQ(::stat(path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(std::filesystem::is_directory(folderName));
    EXPECT_EQ(folder.names().size(), 2u);

    SettingsSession missing(folder.file("new.ini"));
    EXPECT_EQ(missing.Read(settings, table), "") << "no file is no error";
    missing.Write(settings, table);
    EXPECT_EQ(ReadText(folder.file("new.ini")), SettingsText(settings, table));
}

// Two copies in one folder: the one that closed last wrote its own table
// over the other's new best times.
TEST_F(SettingsFile, TheCloseMergesTheBestTimesOfThisRunIntoTheFileAsItIsNow) {
    WriteText(path(), kDefaultFile);
    SettingsSession first(path()), second(path());
    GameSettings firstSettings, secondSettings;
    HighScoreTable firstTable, secondTable;
    first.Read(firstSettings, firstTable);
    second.Read(secondSettings, secondTable);

    RecordHighScore(secondTable, "Zweite", 90000, 45000.5);
    secondSettings.ShowRenderSpeed = true;
    second.Write(secondSettings, secondTable);
    RecordHighScore(firstTable, "Erste", 100000, 45001.5);
    RecordHighScore(firstTable, "Erste", 290000, 45001.5);
    first.Write(firstSettings, firstTable);

    HighScoreTable back;
    GameSettings settingsBack;
    ReadSettings(settingsBack, back, path());
    const std::pair<const char*, int32_t> expected[] = {
        {"Zweite", 90000},  {"Erste", 100000},  {"Kelmar", 180000}, {"Kelmar", 240000},
        {"Erste", 290000},  {"Kelmar", 300000}, {"Kelmar", 360000}, {"Kelmar", 420000},
        {"Kelmar", 480000}, {"Kelmar", 540000}};
    for (int row = 1; row <= kScoreRows; ++row) {
        EXPECT_EQ(back.Rows[size_t(row)].Name, expected[row - 1].first) << "row " << row;
        EXPECT_EQ(back.Rows[size_t(row)].Time, expected[row - 1].second) << "row " << row;
    }
    EXPECT_FALSE(settingsBack.ShowRenderSpeed) << "the options are those of the last close";

    // A file that was readable at the start but no longer is stays as it is.
    std::filesystem::remove(path());
    std::filesystem::create_directory(path());
    EXPECT_THROW(first.Write(firstSettings, firstTable), IoError);
    EXPECT_TRUE(std::filesystem::is_directory(path()));
}

// Blank names were stored as empty names, which the next start dropped,
// losing the best time. Every name the game stores now comes back exactly.
TEST_F(SettingsFile, EveryNameTheGameStoresComesBackExactly) {
    const std::pair<const char*, const char*> typed[] = {{"   ", "Mr. Shy"},
                                                         {"", "Mr. Shy"},
                                                         {"  Anna Lena ", "Anna Lena"},
                                                         {"J\xFCrgen", "J\xFCrgen"},
                                                         {"\t", "Mr. Shy"}};
    for (const auto& [name, stored] : typed) {
        HighScoreTable written;
        GameSettings options;
        written.NewEntryRow = RecordHighScore(written, options.PlayerName, 1000, 45000.0);
        TakeTypedName(written, options.PlayerName, name);
        EXPECT_EQ(options.PlayerName, stored);
        WriteSettings(options, written, path());

        HighScoreTable back;
        GameSettings optionsBack;
        ReadSettings(optionsBack, back, path());
        EXPECT_EQ(optionsBack.PlayerName, options.PlayerName) << '"' << name << '"';
        EXPECT_EQ(back.Rows[1].Name, stored) << '"' << name << '"';
        EXPECT_EQ(back.Rows[1].Time, 1000);
    }
    // A settings file with an empty name: the next best time is not lost.
    read("[Kelmar]\r\nPlayerName=\r\n");
    RecordHighScore(table, settings.PlayerName, 1000, 45000.0);
    EXPECT_EQ(table.Rows[1].Name, "Mr. Shy");
}

std::string Utf16(std::string_view text, bool little) {
    // The test texts hold ASCII and U+00FC, U+20AC, U+2713 written as UTF-8.
    std::u16string units;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            units += char16_t(c);
        } else if ((c & 0xE0) == 0xC0) {
            units += char16_t((c & 0x1F) << 6 | (text[i + 1] & 0x3F));
            i += 1;
        } else {
            units += char16_t((c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F));
            i += 2;
        }
    }
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : units) {
        const char low = char(unit & 0xFF), high = char(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A file in UTF-16 or with CR-only line ends was read as if empty, and the
// close then wrote the default rows over every best time.
TEST_F(SettingsFile, UnicodeFilesAndEveryKindOfLineEndAreReadAsTheTextTheyAre) {
    // Row 1: "Jürgen", 100 s. The name holds a euro sign (byte 0x80) and a
    // tick mark that Windows-1252 has no byte for.
    const std::string utf8 =
        Replaced(Replaced(kDefaultFile, "PlayerName=Kelmar", "PlayerName=J\u00FCrgen \u20AC\u2713"),
                 "1=064B656C6D617200B400008EAE", "1=064A\u00FC7267656E006400008EAE");
    const std::string record = "064AFC7267656E006400008EAE";
    const std::string file = Replaced(utf8, "064A\u00FC7267656E006400008EAE", record);
    const std::pair<const char*, std::string> cases[] = {
        {"Windows-1252, CR LF", Replaced(file, "J\u00FCrgen \u20AC\u2713", "J\xFCrgen \x80?")},
        {"UTF-16 LE", Utf16(file, true)},
        {"UTF-16 BE", Utf16(file, false)},
        {"UTF-16 LE, LF", Utf16(Replaced(file, "\r\n", "\n"), true)},
        {"CR only",
         Replaced(Replaced(file, "J\u00FCrgen \u20AC\u2713", "J\xFCrgen \x80?"), "\r\n", "\r")},
    };
    for (const auto& [name, bytes] : cases) {
        WriteText(path(), bytes);
        GameSettings read;
        HighScoreTable rows;
        SettingsSession session(path());
        EXPECT_EQ(session.Read(read, rows), "") << name;
        EXPECT_EQ(read.PlayerName, "J\xFCrgen \x80?") << name;
        EXPECT_EQ(rows.Rows[1].Name, "J\xFCrgen") << name;
        EXPECT_EQ(rows.Rows[1].Time, 100000) << name;
        EXPECT_EQ(rows.Rows[10].Time, 12 * 60000) << name;
        session.Write(read, rows);
        EXPECT_NE(ReadText(path()).find("\r\n1=" + record + "\r\n"), std::string::npos) << name;
    }
}

// A file whose best times cannot be read was taken as holding none, and the
// close replaced them with the defaults.
TEST_F(SettingsFile, AFileWithoutReadableBestTimesIsReportedAndNeverReplaced) {
    const std::string padding(kIniMaxFileBytes, ';');
    const std::pair<const char*, std::string> cases[] = {
        {"more than the read limit before the section", padding + "\r\n" + kDefaultFile},
        {"no row readable", "[Highscores]\r\n1=FF41\r\n2=\r\n3=n\u00FCscht\r\n"},
        {"section without rows", "[Kelmar]\r\nPlayerName=Leer\r\n[Highscores]\r\n"},
        {"section in a UTF-16 file without rows", Utf16("[Highscores]\r\n1=zz\r\n", true)},
    };
    for (const auto& [name, bytes] : cases) {
        WriteText(path(), bytes);
        GameSettings read;
        read.PlayerName = "Bleibt";
        HighScoreTable rows;
        SettingsSession session(path());
        const std::string warning = session.Read(read, rows);
        EXPECT_NE(warning.find("Die Bestzeiten darin sind nicht lesbar"), std::string::npos)
            << name << ": " << warning;
        EXPECT_EQ(read.PlayerName, "Bleibt") << name;
        RecordHighScore(rows, "Neu", 1000, 45000.0);
        session.Write(read, rows);
        EXPECT_EQ(ReadText(path()), bytes) << name;
        EXPECT_THROW(MergeAndWriteSettings(read, rows, HighScoreTable(), path()), IoError) << name;
        EXPECT_EQ(ReadText(path()), bytes) << name;
    }
    // The same padding after the rows: read in part, the rest would be lost.
    WriteText(path(), kDefaultFile + ("\r\n[Notizen]\r\n" + padding));
    SettingsSession late(path());
    EXPECT_NE(late.Read(settings, table).find("größer als 16 MiB"), std::string::npos);
}

// A file over 1 MiB lost everything past its first MiB at the first close,
// the first close padded every table to ten rows, a table the run knew was
// written back with its section name in lower case and a repeated section
// was dropped. Only what the run adds to is rewritten now; the rest of the
// file comes back line for line, however large.
TEST_F(SettingsFile, TablesTheRunAddsNothingToComeBackAsTheyWereWhateverTheSize) {
    std::string notes = "\r\n[Notizen]\r\n";
    while (notes.size() < (std::size_t{11} << 20) / 10) {
        notes += "Zeile=" + std::string(90, 'n') + "\r\n";
    }
    const std::string ring = "\r\n[Highscores RING]\r\n1=04416E6E61005F00008EAE\r\n";
    const std::string repeated = "\r\n[Highscores Ring]\r\n2=04416E6E61005F00008EAE\r\n";
    const std::string feld = "\r\n[ highscores Feld ]\r\n3=04416E6E61005F00008EAE\r\n";
    const std::string file = kDefaultFile + notes + ring + repeated + feld;
    WriteText(path(), file);
    SettingsSession session(path());
    LayoutScores layouts;
    ASSERT_EQ(session.Read(settings, table, &layouts), "");
    ASSERT_NE(FindLayoutScoreTable(layouts, "ring"), nullptr) << "read past the first MiB";
    EXPECT_EQ(FindLayoutScoreTable(layouts, "ring")->Rows[1].Name, "Anna");
    EXPECT_EQ(session.Write(settings, table, layouts), "");
    EXPECT_EQ(ReadText(path()), file);

    RecordHighScore(LayoutScoreTableFor(layouts, "Feld"), "Neu", 1000, 45000.5);
    RecordHighScore(LayoutScoreTableFor(layouts, "Turm"), "Neu", 2000, 45000.5);
    session.Write(settings, table, layouts);
    const std::string text = ReadText(path());
    const std::string turm = kDefaultFile + std::string("\r\n[Highscores Turm]\r\n");
    EXPECT_EQ(text.substr(0, turm.size()), turm) << "a new table follows [Highscores]";
    EXPECT_NE(text.find(notes + ring + repeated + "\r\n[ highscores Feld ]\r\n1=034E6575"),
              std::string::npos)
        << "the table added to is rewritten under its own section line, in its place";
}

// Sections the game does not write (a later version's, the player's notes)
// were dropped by the first close.
TEST_F(SettingsFile, SectionsTheGameDoesNotWriteAreCarriedOverAsTheyWere) {
    WriteText(path(), std::string("[Notizen]\r\nWer=ich\r\n\r\n\r\n") + kDefaultFile +
                          "\r\n[Layout:Turm]\n1=064B656C6D617200B400008EAE\n; Kommentar\n\n" +
                          "[kelmar]\r\nZoom=300\r\n[Leer]");
    SettingsSession session(path());
    session.Read(settings, table);
    settings.PlayerName = "Neu";
    session.Write(settings, table);
    const std::string expected = SettingsText(settings, table) +
                                 "\r\n[Notizen]\r\nWer=ich\r\n"
                                 "\r\n[Layout:Turm]\r\n1=064B656C6D617200B400008EAE\r\n; "
                                 "Kommentar\r\n"
                                 "\r\n[Leer]\r\n";
    EXPECT_EQ(ReadText(path()), expected);
    session.Write(settings, table);
    EXPECT_EQ(ReadText(path()), expected) << "a second write adds nothing";
}

// A best time is now written when it is entered, and again at close with
// the name the player typed meanwhile: the second write must replace the
// first row, not add it again, and keep another copy's row written between.
TEST_F(SettingsFile, ARowWrittenAtEntryIsReplacedByItsLaterNameNotEnteredTwice) {
    WriteText(path(), kDefaultFile);
    SettingsSession session(path()), other(path());
    GameSettings otherSettings;
    HighScoreTable otherTable;
    session.Read(settings, table);
    other.Read(otherSettings, otherTable);

    table.NewEntryRow = RecordHighScore(table, settings.PlayerName, 61500, 45100.75);
    session.Write(settings, table);
    RecordHighScore(otherTable, "Andere", 65000, 45101.5);
    other.Write(otherSettings, otherTable);
    TakeTypedName(table, settings.PlayerName, "Anna");
    session.Write(settings, table);
    session.Write(settings, table);

    HighScoreTable back;
    ReadSettings(settings, back, path());
    const std::pair<const char*, int32_t> expected[] = {
        {"Anna", 61000},    {"Andere", 65000},  {"Kelmar", 180000}, {"Kelmar", 240000},
        {"Kelmar", 300000}, {"Kelmar", 360000}, {"Kelmar", 420000}, {"Kelmar", 480000},
        {"Kelmar", 540000}, {"Kelmar", 600000}};
    for (int row = 1; row <= kScoreRows; ++row) {
        EXPECT_EQ(back.Rows[size_t(row)].Name, expected[row - 1].first) << "row " << row;
        EXPECT_EQ(back.Rows[size_t(row)].Time, expected[row - 1].second) << "row " << row;
    }
}

} // namespace
} // namespace kelmar

namespace kelmar {
namespace {

// The window's state is one line after the last one of the options; a
// value the game does not write reads as a normal window.
TEST_F(SettingsFile, TheWindowStateIsTheLastOptionLineAndOddValuesReadAsNormal) {
    const std::pair<const char*, WindowMode> cases[] = {
        {"WindowState=1", WindowMode::Maximized}, {"windowstate= 2 ", WindowMode::FullScreen},
        {"WindowState=0", WindowMode::Normal},    {"WindowState=3", WindowMode::Normal},
        {"WindowState=-1", WindowMode::Normal},   {"Difficulty=2", WindowMode::Normal},
    };
    for (const auto& [line, mode] : cases) {
        settings.WindowState = WindowMode::FullScreen;
        read(std::string("[Kelmar]\r\n") + line + "\r\n");
        EXPECT_EQ(settings.WindowState, mode) << line;
    }
    settings.WindowState = WindowMode::FullScreen;
    EXPECT_NE(
        SettingsText(settings, table)
            .find("Difficulty=2\r\nTileSet=klassisch\r\nBackground=blau\r\nWindowState=2\r\n\r\n"),
        std::string::npos);
}

TEST_F(SettingsFile, TheLayoutIsOneLineAfterZoomAndAFileWithoutItDealsThePyramid) {
    const std::pair<const char*, const char*> cases[] = {
        {"Layout=Ring", "Ring"}, {"layout=  Feld  ", "Feld"}, {"Zoom=200", "Pyramide"}};
    for (const auto& [line, name] : cases) {
        settings.LayoutName = "Treppe";
        read(std::string("[Kelmar]\r\n") + line + "\r\n");
        EXPECT_EQ(settings.LayoutName, name) << line;
    }
    settings.LayoutName = "Ring\r\n[Highscores]";
    const std::string text = SettingsText(settings, table);
    EXPECT_NE(text.find("\r\nLayout=Ring  "
                        "[Highscores]\r\nSafeHint=1\r\nResumeGame=1\r\nDifficulty=0\r\n"),
              std::string::npos)
        << text;
}

// A win on another layout enters that layout's own table and leaves
// [Highscores] exactly as it was; a layout without a table writes nothing.
TEST_F(SettingsFile, EachLayoutKeepsItsOwnTableAfterThePyramidsOne) {
    WriteText(path(), kDefaultFile);
    SettingsSession session(path());
    LayoutScores layouts;
    session.Read(settings, table, &layouts);
    EXPECT_TRUE(layouts.empty());
    RecordHighScore(LayoutScoreTableFor(layouts, "Ring"), "Anna", 95000, 45000.5);
    session.Write(settings, table, layouts);

    const std::string text = ReadText(path());
    const std::string pyramidPart = std::string(kDefaultFile).substr(0, std::strlen(kDefaultFile));
    EXPECT_EQ(text.substr(0, pyramidPart.size()), pyramidPart);
    EXPECT_EQ(text.substr(pyramidPart.size(), 23), "\r\n[Highscores Ring]\r\n1=");
    EXPECT_EQ(text.find("Feld"), std::string::npos);

    HighScoreTable pyramidBack;
    LayoutScores back;
    ReadSettings(settings, pyramidBack, path(), &back);
    const HighScoreTable* ring = FindLayoutScoreTable(back, "RING");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->Rows[1].Name, "Anna");
    EXPECT_EQ(ring->Rows[1].Time, 95000);
    EXPECT_TRUE(IsEmptyRow(ring->Rows[2])) << "a layout's table starts empty";
    EXPECT_EQ(text.find("\r\n2=", pyramidPart.size()), std::string::npos)
        << "free places are not written";
    EXPECT_EQ(pyramidBack.Rows[1].Time, 180000);
}

// A table stored with ten rows (the initial rows an earlier version gave
// every layout) keeps them: a time that does not beat row 10 enters nowhere.
TEST_F(SettingsFile, AStoredLayoutTableKeepsTheRowsItHas) {
    std::string text = kDefaultFile;
    text += "\r\n[Highscores Ring]\r\n";
    for (int row = 1; row <= kScoreRows; ++row) {
        text += std::to_string(row) + "=" + EncodeHighScore(HighScoreTable().Rows[size_t(row)]) +
                "\r\n";
    }
    LayoutScores layouts;
    ApplySettingsText(settings, table, text, &layouts);
    HighScoreTable& ring = LayoutScoreTableFor(layouts, "Ring");
    EXPECT_EQ(ring.Rows[10].Name, "Kelmar");
    EXPECT_EQ(ring.Rows[10].Time, 12 * 60000);
    EXPECT_EQ(FindRank(ring, 12 * 60000), 0);
    EXPECT_EQ(LayoutScoresText(layouts), text.substr(std::strlen(kDefaultFile)));
}

TEST_F(SettingsFile, ADamagedLayoutTableTouchesNoOtherTable) {
    std::string text = kDefaultFile;
    text += "\r\n[Highscores Ring]\r\n1=zz\r\n2=\r\n";
    text += "\r\n[Highscores Feld]\r\n1=04416E6E61005F00008EAE\r\n";
    LayoutScores layouts;
    ApplySettingsText(settings, table, text, &layouts);
    ASSERT_EQ(layouts.size(), 2u);
    EXPECT_EQ(FindLayoutScoreTable(layouts, "Feld")->Rows[1].Name, "Anna");
    EXPECT_EQ(FindLayoutScoreTable(layouts, "Feld")->Rows[1].Time, 95000);
    EXPECT_TRUE(IsEmptyRow(FindLayoutScoreTable(layouts, "Feld")->Rows[2]));
    EXPECT_TRUE(IsEmptyRow(FindLayoutScoreTable(layouts, "Ring")->Rows[1]));
    EXPECT_EQ(table.Rows[1].Time, 180000);
    EXPECT_EQ(table.Rows[1].Name, "Kelmar");
}

// Another copy of the game closed first with a time on the ring and a table
// for a layout this run does not know: both survive this run's close.
TEST_F(SettingsFile, TheCloseMergesLayoutTablesAndKeepsUnknownOnes) {
    WriteText(path(), kDefaultFile);
    SettingsSession first(path()), second(path());
    GameSettings s1, s2;
    HighScoreTable t1, t2;
    LayoutScores l1, l2;
    first.Read(s1, t1, &l1);
    second.Read(s2, t2, &l2);
    RecordHighScore(LayoutScoreTableFor(l2, "Ring"), "Zweite", 90000, 45000.5);
    RecordHighScore(LayoutScoreTableFor(l2, "Eigenbau"), "Zweite", 70000, 45000.5);
    second.Write(s2, t2, l2);
    RecordHighScore(LayoutScoreTableFor(l1, "Ring"), "Erste", 100000, 45001.5);
    first.Write(s1, t1, l1);

    LayoutScores back;
    ReadSettings(s1, t1, path(), &back);
    const HighScoreTable* ring = FindLayoutScoreTable(back, "Ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->Rows[1].Name, "Zweite");
    EXPECT_EQ(ring->Rows[2].Name, "Erste");
    EXPECT_TRUE(IsEmptyRow(ring->Rows[3]));
    ASSERT_NE(FindLayoutScoreTable(back, "eigenbau"), nullptr);
    EXPECT_EQ(FindLayoutScoreTable(back, "eigenbau")->Rows[1].Time, 70000);
}

} // namespace
} // namespace kelmar
