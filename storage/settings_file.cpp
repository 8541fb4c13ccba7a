#include "storage/settings_file.h"

#include "core/grade.h"
#include "core/layout.h"
#include "core/zoom.h"
#include "scores/code_page.h"
#include "storage/file_lock.h"
#include "storage/high_score_record.h"
#include "storage/ini_reader.h"
#include "storage/options.h"
#include "storage/regular_file.h"
#include "storage/replace_file.h"
#include "storage/settings_lock.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <optional>
#include <unordered_set>
#include <vector>

namespace kelmar {
namespace {

constexpr std::string_view kOptionsSection = "Kelmar";
constexpr std::string_view kScoresSection = "Highscores";
constexpr std::string_view kLineEnd = "\r\n";

struct FormatBits {
    PixelFormatSetting format;
    int bits;
};

constexpr FormatBits kFormatBits[] = {
    {PixelFormatSetting::Bits4, 4},   {PixelFormatSetting::Bits8, 8},
    {PixelFormatSetting::Bits15, 15}, {PixelFormatSetting::Bits16, 16},
    {PixelFormatSetting::Bits24, 24}, {PixelFormatSetting::Bits32, 32},
};

void addLine(std::string& text, std::string_view line) {
    text += line;
    text += kLineEnd;
}

void addOption(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += '=';
    addLine(text, value);
}

std::string flag(bool value) {
    return value ? "1" : "0";
}

// The name is written as it is, except that a line break inside it would end
// the line early and turn the rest of the name into a line of its own.
std::string nameOnOneLine(std::string name) {
    for (char& c : name) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return name;
}

} // namespace

int PixelFormatToBits(PixelFormatSetting format) {
    for (const FormatBits& entry : kFormatBits) {
        if (entry.format == format) {
            return entry.bits;
        }
    }
    return 0;
}

PixelFormatSetting PixelFormatFromBits(int32_t bits) {
    for (const FormatBits& entry : kFormatBits) {
        if (entry.bits == bits) {
            return entry.format;
        }
    }
    return PixelFormatSetting::Device;
}

namespace {

bool plainColourText(const std::string& text) {
    return text.size() == 7 && text[0] == '#' &&
           std::all_of(text.begin() + 1, text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// A stored look: a short name, or for a background also "#rrggbb" (kept
// in lower case); anything else is `fallback`. Whether a set or felt of
// that name exists is decided once the sets of the run are known.
std::string lookName(std::string text, bool colourAllowed, const std::string& fallback) {
    if (colourAllowed && plainColourText(text)) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    return ValidLayoutShortName(text) ? text : fallback;
}

void applySettings(GameSettings& settings, HighScoreTable& table, const IniFile& ini) {
    for (const OptionEntry& option : kOptions) {
        const char* key = option.key;
        switch (option.kind) {
        case OptionKind::Flag:
            settings.*option.flag = ini.getBool(kOptionsSection, key, settings.*option.flag);
            break;
        case OptionKind::PlayerName:
            settings.PlayerName = ini.getString(kOptionsSection, key, settings.PlayerName);
            break;
        case OptionKind::PixelFormat:
            settings.PixelFormat = PixelFormatFromBits(ini.getNumber(kOptionsSection, key, 0));
            break;
        case OptionKind::Zoom:
            settings.Zoom = ZoomFromPercent(ini.getNumber(kOptionsSection, key, kDefaultZoom));
            break;
        case OptionKind::Layout:
            settings.LayoutName = ini.getString(kOptionsSection, key, PyramidLayout().ShortName);
            break;
        case OptionKind::Difficulty:
            settings.Difficulty = GradeFromCode(ini.getNumber(kOptionsSection, key, 0));
            break;
        case OptionKind::TileSet:
            settings.TileSet =
                lookName(ini.getString(kOptionsSection, key, {}), false, GameSettings().TileSet);
            break;
        case OptionKind::Background:
            settings.Background =
                lookName(ini.getString(kOptionsSection, key, {}), true, GameSettings().Background);
            break;
        case OptionKind::WindowState:
            settings.WindowState = WindowModeFromCode(ini.getNumber(kOptionsSection, key, 0));
            break;
        }
    }
    for (int row = 1; row <= kScoreRows; ++row) {
        const std::string value =
            ini.getString(kScoresSection, std::to_string(row), kMissingScoreValue);
        DecodeHighScore(value, table.Rows[static_cast<std::size_t>(row)]);
    }
}

// The other layouts' tables, when the caller keeps them.
void applyLayoutScores(LayoutScores* layouts, const IniFile& ini) {
    if (layouts != nullptr) {
        *layouts = ReadLayoutScores(ini);
    }
}

} // namespace

namespace {

// A copy closing while another one writes waits this long at most.

std::string readWarning(const std::string& path, const std::string& reason) {
    return "Kann Einstellungen " + QuotedFileName(path) + " nicht lesen: " + reason +
           ".\nDie Datei bleibt unverändert; Einstellungen und Bestzeiten dieses Spiels werden "
           "nicht gespeichert.";
}

std::string writeAction(const std::string& path) {
    return "Kann Einstellungen " + QuotedFileName(path) + " nicht schreiben";
}

// UTF-16 with a byte order mark (as Windows editors save) becomes the
// Windows-1252 bytes the rest of the game works with; a character the code
// page cannot hold becomes '?'. Other bytes are taken as they are.
std::string textOfFileBytes(const std::string& bytes) {
    const bool little = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const bool big = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if (!little && !big) {
        return bytes;
    }
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const auto unit = static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            continue; // the second half of a pair, whose first half gave '?'
        }
        const int byte = Windows1252Byte(unit);
        text += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return text;
}

// The settings file as text, and whether its best times can be used.
struct SettingsFileText {
    int error = 0;      // errno of a failed read; ENOENT: there is no file
    std::string reason; // German, when the best times cannot be used
    std::string text;
    IniFile ini;
};

bool anyScoreRowReadable(const IniFile& ini) {
    for (int row = 1; row <= kScoreRows; ++row) {
        HighScoreEntry entry;
        if (DecodeHighScore(ini.getString(kScoresSection, std::to_string(row), kMissingScoreValue),
                            entry)) {
            return true;
        }
    }
    return false;
}

constexpr std::string_view kUnreadableScores = "Die Bestzeiten darin sind nicht lesbar";

SettingsFileText readSettingsFile(const std::string& path) {
    FileBytes file = ReadRegularFile(path, kIniMaxFileBytes + 1);
    SettingsFileText result;
    result.error = file.error;
    if (file.error != 0) {
        result.reason = GermanErrorText(file.error);
        return result;
    }
    // Read in part, the rest of the file would be lost at the next write.
    if (file.bytes.size() > kIniMaxFileBytes) {
        result.reason = std::string(kUnreadableScores) + ": Die Datei ist größer als " +
                        std::to_string(kIniMaxFileBytes >> 20) + " MiB";
        return result;
    }
    result.text = textOfFileBytes(file.bytes);
    result.ini = IniFile::Parse(result.text);
    // Rows that cannot be read would be replaced by this run's table at close.
    if (result.ini.hasSection(kScoresSection) && !anyScoreRowReadable(result.ini)) {
        result.reason = kUnreadableScores;
    }
    return result;
}

// One section of the file: its name (nullopt for the lines before the first
// section) and its lines as they were, each ended with CR LF, empty lines
// at its end dropped.
struct FileSection {
    std::optional<std::string> name; // as written
    std::string lines;
};

std::vector<FileSection> sectionsOf(std::string_view text) {
    std::vector<FileSection> sections(1);
    while (!text.empty()) {
        auto end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && text.substr(end, 2) == "\r\n") {
            ++end;
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (auto name = IniSectionNameAsWritten(line)) {
            sections.push_back({std::move(name), {}});
        }
        addLine(sections.back().lines, line);
    }
    for (FileSection& section : sections) {
        std::string& lines = section.lines;
        while (lines.size() >= 4 && lines.compare(lines.size() - 4, 4, "\r\n\r\n") == 0) {
            lines.resize(lines.size() - 2);
        }
    }
    return sections;
}

bool ownSection(const std::string& name) {
    const std::string lower = LayoutScoreKey(name);
    return lower == LayoutScoreKey(kOptionsSection) || lower == LayoutScoreKey(kScoresSection);
}

// The rows of a layout's table under the section line `header`.
std::string tableText(std::string_view header, const HighScoreTable& table) {
    std::string text;
    addLine(text, header);
    return text + LayoutScoreRowsText(table);
}

// The file's sections after the game's own two, each after one empty line:
// the first section of every table in `rewritten` with that table's rows
// (its section line as the file writes it), every other section (a later
// version's, the player's notes, tables this run added nothing to, a
// repeated section) line for line as it was. The file's own [Kelmar] and
// [Highscores] sections are written by the game and dropped here; so are
// the lines before the first section.
std::string otherSections(const std::vector<FileSection>& sections, const LayoutScores& rewritten) {
    std::string result;
    std::unordered_set<std::string> done;
    for (const FileSection& section : sections) {
        if (!section.name || ownSection(*section.name) || section.lines.empty()) {
            continue;
        }
        result += kLineEnd;
        const auto layout = LayoutOfScoreSection(*section.name);
        const auto table = layout ? rewritten.find(LayoutScoreKey(*layout)) : rewritten.end();
        if (table != rewritten.end() && done.insert(table->first).second) {
            const std::string_view lines = section.lines;
            result += tableText(lines.substr(0, lines.find(kLineEnd)), table->second.Table);
        } else {
            result += section.lines;
        }
    }
    return result;
}

void writeSettingsText(const std::string& path, const std::string& text) {
    const std::string action = writeAction(path);
    TemporarySibling temporary(path, action);
    WriteWholeFile(temporary.path(), text, action);
    temporary.commit();
}

// Enters the rows of `current` added this run into `merged` (the table the
// file holds now). Rows in `written` were entered by this run and written to
// the file before: where the file still holds one, the row of `current` with
// the same time and date takes its place (its name may have changed since)
// instead of being entered a second time. Returns what `merged` then holds
// of this run's rows.
std::vector<WrittenScoreRow> mergeTable(HighScoreTable& merged, const HighScoreTable& current,
                                        const std::vector<WrittenScoreRow>& written) {
    std::array<bool, kScoreRows + 1> placed{};
    std::array<bool, kScoreRows + 1> matched{};
    for (const WrittenScoreRow& row : written) {
        for (int r = 1; r <= kScoreRows; ++r) {
            if (matched[r] || EncodeHighScore(merged.Rows[r]) != row.record) {
                continue;
            }
            for (int c = 1; c <= kScoreRows; ++c) {
                const HighScoreEntry& entry = current.Rows[c];
                if (entry.AddedThisRun && !placed[c] && entry.Time == row.time &&
                    entry.Date == row.date) {
                    merged.Rows[r] = entry;
                    placed[c] = true;
                    break;
                }
            }
            matched[r] = true;
            break;
        }
    }
    for (int c = 1; c <= kScoreRows; ++c) {
        if (current.Rows[c].AddedThisRun && !placed[c]) {
            EnterHighScoreRow(merged, current.Rows[c]);
        }
    }
    std::vector<WrittenScoreRow> result;
    for (int r = 1; r <= kScoreRows; ++r) {
        const HighScoreEntry& entry = merged.Rows[r];
        if (entry.AddedThisRun) {
            result.push_back({EncodeHighScore(entry), entry.Time, entry.Date});
        }
    }
    return result;
}

bool addedThisRun(const HighScoreTable& table) {
    return std::any_of(table.Rows.begin() + 1, table.Rows.end(),
                       [](const HighScoreEntry& entry) { return entry.AddedThisRun; });
}

// The merge of MergeAndWriteSettings, for the pyramid's table and those of
// the other layouts. `written` holds, per table (key: empty for the
// pyramid, else the layout's key), the rows this run wrote before; returns
// the same for this write.
struct WriteOutcome {
    WrittenScoreRows written;
    std::string warning; // German, when the lock could not be had
};

// Takes the lock of the settings file at `path` (beside the file a link
// points to). Without it the file is written all the same, as a write that
// waited too long would be, and the warning says so.
std::string lockSettings(FileLock& lock, const std::string& path) {
    const std::string lockPath = SettingsLockPath(path);
    const int error = lock.acquire(lockPath, kSettingsLockTimeout);
    if (error == 0) {
        return {};
    }
    return "Kann Einstellungen " + QuotedFileName(path) +
           " nicht gesperrt schreiben: " + LockFailureText(lockPath, error) +
           ".\nDie Einstellungen und Bestzeiten werden ohne Sperre geschrieben; ein anderes "
           "Kelmar-Fenster, das zugleich schreibt, kann Bestzeiten überschreiben.";
}

WriteOutcome mergeAndWrite(const GameSettings& settings, const HighScoreTable& current,
                           const HighScoreTable& atStart, const LayoutScores& currentLayouts,
                           const LayoutScores& atStartLayouts, const std::string& path,
                           const WrittenScoreRows& written) {
    FileLock lock;
    WriteOutcome outcome{{}, lockSettings(lock, path)};
    const SettingsFileText file = readSettingsFile(path);
    if (!file.reason.empty() && file.error != ENOENT) {
        throw IoError("Kann Einstellungen " + QuotedFileName(path) +
                      " nicht lesen: " + file.reason + ".");
    }
    WrittenScoreRows& result = outcome.written;
    if (file.error == ENOENT) {
        HighScoreTable merged = current;
        LayoutScores mergedLayouts = currentLayouts;
        result[""] = mergeTable(merged, {}, {});
        for (auto& [key, entry] : mergedLayouts) {
            result[key] = mergeTable(entry.Table, {}, {});
        }
        writeSettingsText(path, SettingsText(settings, merged, mergedLayouts));
        return outcome;
    }
    const auto writtenOf = [&written](const std::string& key) {
        const auto it = written.find(key);
        return it != written.end() ? it->second : std::vector<WrittenScoreRow>{};
    };
    HighScoreTable merged = atStart;
    GameSettings ignored;
    applySettings(ignored, merged, file.ini);
    result[""] = mergeTable(merged, current, writtenOf(""));
    // Only the tables this run added to are rewritten; the rest of the file
    // is carried over as it is.
    const LayoutScores inFile = ReadLayoutScores(file.ini);
    LayoutScores rewritten;
    for (const auto& [key, entry] : currentLayouts) {
        if (!addedThisRun(entry.Table)) {
            continue;
        }
        const auto fileTable = inFile.find(key);
        const auto start = atStartLayouts.find(key);
        LayoutScoreTable& table = rewritten[key];
        table = fileTable != inFile.end() ? fileTable->second
                : start != atStartLayouts.end()
                    ? start->second
                    : LayoutScoreTable{entry.ShortName, EmptyScoreTable()};
        table.ShortName = entry.ShortName;
        result[key] = mergeTable(table.Table, entry.Table, writtenOf(key));
    }
    const std::vector<FileSection> sections = sectionsOf(file.text);
    LayoutScores added = rewritten; // tables without a section in the file yet
    for (const FileSection& section : sections) {
        if (const auto layout = section.name ? LayoutOfScoreSection(*section.name) : std::nullopt) {
            added.erase(LayoutScoreKey(*layout));
        }
    }
    writeSettingsText(path,
                      SettingsText(settings, merged, added) + otherSections(sections, rewritten));
    return outcome;
}

} // namespace

void ApplySettingsText(GameSettings& settings, HighScoreTable& table, std::string_view text,
                       LayoutScores* layouts) {
    const IniFile ini = IniFile::Parse(textOfFileBytes(std::string(text)));
    applySettings(settings, table, ini);
    applyLayoutScores(layouts, ini);
}

SettingsReadResult ReadSettings(GameSettings& settings, HighScoreTable& table,
                                const std::string& path, LayoutScores* layouts) {
    const SettingsFileText file = readSettingsFile(path);
    if (file.error == ENOENT) {
        return {};
    }
    if (!file.reason.empty()) {
        return {true, readWarning(path, file.reason)};
    }
    applySettings(settings, table, file.ini);
    applyLayoutScores(layouts, file.ini);
    return {};
}

std::string MergeAndWriteSettings(const GameSettings& settings, const HighScoreTable& current,
                                  const HighScoreTable& atStart, const std::string& path,
                                  const LayoutScores& currentLayouts,
                                  const LayoutScores& atStartLayouts) {
    return mergeAndWrite(settings, current, atStart, currentLayouts, atStartLayouts, path, {})
        .warning;
}

std::string SettingsSession::Read(GameSettings& settings, HighScoreTable& table,
                                  LayoutScores* layouts) {
    const SettingsReadResult result = ReadSettings(settings, table, path_, layouts);
    unreadable_ = result.unreadable;
    atStart_ = table;
    if (layouts != nullptr) {
        layoutsAtStart_ = *layouts;
    }
    written_.clear();
    return result.warning;
}

std::string SettingsSession::Write(const GameSettings& settings, const HighScoreTable& table,
                                   const LayoutScores& layouts) {
    if (unreadable_) {
        return {};
    }
    WriteOutcome outcome =
        mergeAndWrite(settings, table, atStart_, layouts, layoutsAtStart_, path_, written_);
    written_ = std::move(outcome.written);
    if (outcome.warning.empty() || lockWarned_) {
        return {};
    }
    lockWarned_ = true;
    return outcome.warning;
}

namespace {

std::string optionValue(const GameSettings& settings, const OptionEntry& option) {
    switch (option.kind) {
    case OptionKind::Flag:
        return flag(settings.*option.flag);
    case OptionKind::PlayerName:
        return nameOnOneLine(settings.PlayerName);
    case OptionKind::PixelFormat:
        return std::to_string(PixelFormatToBits(settings.PixelFormat));
    case OptionKind::Zoom:
        return std::to_string(ZoomFromPercent(settings.Zoom));
    case OptionKind::Layout:
        return nameOnOneLine(settings.LayoutName);
    case OptionKind::Difficulty:
        return std::to_string(
            static_cast<int>(GradeFromCode(static_cast<int32_t>(settings.Difficulty))));
    case OptionKind::TileSet:
        return nameOnOneLine(settings.TileSet);
    case OptionKind::Background:
        return nameOnOneLine(settings.Background);
    case OptionKind::WindowState:
        return std::to_string(
            static_cast<int>(WindowModeFromCode(static_cast<int64_t>(settings.WindowState))));
    }
    return {};
}

} // namespace

std::string SettingsText(const GameSettings& settings, const HighScoreTable& table,
                         const LayoutScores& layouts) {
    std::string text;
    addLine(text, "[Kelmar]");
    for (const OptionEntry& option : kOptions) {
        addOption(text, option.key, optionValue(settings, option));
    }
    addLine(text, "");
    addLine(text, "[Highscores]");
    for (int row = 1; row <= kScoreRows; ++row) {
        addOption(text, std::to_string(row),
                  EncodeHighScore(table.Rows[static_cast<std::size_t>(row)]));
    }
    text += LayoutScoresText(layouts);
    return text;
}

void WriteSettings(const GameSettings& settings, const HighScoreTable& table,
                   const std::string& path, const LayoutScores& layouts) {
    writeSettingsText(path, SettingsText(settings, table, layouts));
}

} // namespace kelmar
