#include "storage/settings_file.h"

#include "core/grade.h"
#include "core/layout.h"
#include "core/zoom.h"
#include "storage/high_score_record.h"
#include "storage/ini_reader.h"
#include "storage/regular_file.h"
#include "storage/replace_file.h"
#include "storage/storage_error.h"

#include <cerrno>

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

void applySettings(GameSettings& settings, HighScoreTable& table, const IniFile& ini) {
    settings.AvoidUnsolveableGames =
        ini.getBool(kOptionsSection, "AvoidUnsolveableGames", settings.AvoidUnsolveableGames);
    settings.PlayerName = ini.getString(kOptionsSection, "PlayerName", settings.PlayerName);
    settings.PixelFormat = PixelFormatFromBits(ini.getNumber(kOptionsSection, "PixelFormat", 0));
    settings.ShowRenderSpeed =
        ini.getBool(kOptionsSection, "ShowRenderSpeed", settings.ShowRenderSpeed);
    settings.ForceRepaint = ini.getBool(kOptionsSection, "ForceRepaint", settings.ForceRepaint);
    settings.Zoom = ZoomFromPercent(ini.getNumber(kOptionsSection, "Zoom", kDefaultZoom));
    settings.LayoutName = ini.getString(kOptionsSection, "Layout", PyramidLayout().ShortName);
    settings.Difficulty = GradeFromCode(ini.getNumber(kOptionsSection, "Difficulty", 0));
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

void ApplySettingsText(GameSettings& settings, HighScoreTable& table, std::string_view text,
                       LayoutScores* layouts) {
    const IniFile ini = IniFile::Parse(text);
    applySettings(settings, table, ini);
    applyLayoutScores(layouts, ini);
}

namespace {

std::string readWarning(const std::string& path, int error) {
    return "Kann Einstellungen " + QuotedFileName(path) +
           " nicht lesen: " + GermanErrorText(error) +
           ".\nDie Datei bleibt unverändert; Einstellungen und Bestzeiten dieses Spiels werden "
           "nicht gespeichert.";
}

} // namespace

SettingsReadResult ReadSettings(GameSettings& settings, HighScoreTable& table,
                                const std::string& path, LayoutScores* layouts) {
    const FileBytes file = ReadRegularFile(path, kIniMaxFileBytes);
    if (file.error == ENOENT) {
        return {};
    }
    if (file.error != 0) {
        return {true, readWarning(path, file.error)};
    }
    const IniFile ini = IniFile::Parse(file.bytes);
    applySettings(settings, table, ini);
    applyLayoutScores(layouts, ini);
    return {};
}

void MergeAndWriteSettings(const GameSettings& settings, const HighScoreTable& current,
                           const HighScoreTable& atStart, const std::string& path,
                           const LayoutScores& currentLayouts, const LayoutScores& atStartLayouts) {
    const FileBytes file = ReadRegularFile(path, kIniMaxFileBytes);
    if (file.error == ENOENT) {
        WriteSettings(settings, current, path, currentLayouts);
        return;
    }
    if (file.error != 0) {
        throw IoError("Kann Einstellungen " + QuotedFileName(path) +
                      " nicht lesen: " + GermanErrorText(file.error) + ".");
    }
    HighScoreTable merged = atStart;
    GameSettings ignored;
    const IniFile ini = IniFile::Parse(file.bytes);
    applySettings(ignored, merged, ini);
    for (int row = 1; row <= kScoreRows; ++row) {
        const HighScoreEntry& entry = current.Rows[static_cast<std::size_t>(row)];
        if (entry.AddedThisRun) {
            EnterHighScoreRow(merged, entry);
        }
    }
    WriteSettings(settings, merged, path,
                  MergeLayoutScores(currentLayouts, atStartLayouts, ReadLayoutScores(ini)));
}

std::string SettingsSession::Read(GameSettings& settings, HighScoreTable& table,
                                  LayoutScores* layouts) {
    const SettingsReadResult result = ReadSettings(settings, table, path_, layouts);
    unreadable_ = result.unreadable;
    atStart_ = table;
    if (layouts != nullptr) {
        layoutsAtStart_ = *layouts;
    }
    return result.warning;
}

void SettingsSession::Write(const GameSettings& settings, const HighScoreTable& table,
                            const LayoutScores& layouts) const {
    if (!unreadable_) {
        MergeAndWriteSettings(settings, table, atStart_, path_, layouts, layoutsAtStart_);
    }
}

std::string SettingsText(const GameSettings& settings, const HighScoreTable& table,
                         const LayoutScores& layouts) {
    std::string text;
    addLine(text, "[Kelmar]");
    addOption(text, "AvoidUnsolveableGames", flag(settings.AvoidUnsolveableGames));
    addOption(text, "PlayerName", nameOnOneLine(settings.PlayerName));
    addOption(text, "PixelFormat", std::to_string(PixelFormatToBits(settings.PixelFormat)));
    addOption(text, "ShowRenderSpeed", flag(settings.ShowRenderSpeed));
    addOption(text, "ForceRepaint", flag(settings.ForceRepaint));
    addOption(text, "Zoom", std::to_string(ZoomFromPercent(settings.Zoom)));
    addOption(text, "Layout", nameOnOneLine(settings.LayoutName));
    addOption(
        text, "Difficulty",
        std::to_string(static_cast<int>(GradeFromCode(static_cast<int32_t>(settings.Difficulty)))));
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
    const std::string action = "Kann Einstellungen " + QuotedFileName(path) + " nicht schreiben";
    TemporarySibling temporary(path, action);
    WriteWholeFile(temporary.path(), SettingsText(settings, table, layouts), action);
    temporary.commit();
}

} // namespace kelmar
