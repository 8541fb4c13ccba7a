#include "storage/layout_scores.h"

#include "storage/high_score_record.h"

namespace kelmar {

namespace {

constexpr std::string_view kSectionPrefix = "highscores ";

} // namespace

std::optional<std::string> LayoutOfScoreSection(std::string_view sectionName) {
    if (sectionName.size() <= kSectionPrefix.size() ||
        LayoutScoreKey(sectionName.substr(0, kSectionPrefix.size())) != kSectionPrefix) {
        return std::nullopt;
    }
    return std::string(sectionName.substr(kSectionPrefix.size()));
}

std::string LayoutScoreSection(const std::string& shortName) {
    return "Highscores " + shortName;
}

LayoutScores ReadLayoutScores(const IniFile& ini) {
    LayoutScores scores;
    for (const std::string& section : ini.sections()) {
        const auto name = LayoutOfScoreSection(section);
        if (!name) {
            continue;
        }
        HighScoreTable& table = LayoutScoreTableFor(scores, *name);
        for (int row = 1; row <= kScoreRows; ++row) {
            const std::string value =
                ini.getString(section, std::to_string(row), kMissingScoreValue);
            DecodeHighScore(value, table.Rows[static_cast<std::size_t>(row)]);
        }
    }
    return scores;
}

std::string LayoutScoreRowsText(const HighScoreTable& table) {
    std::string text;
    for (int row = 1; row <= kScoreRows; ++row) {
        const HighScoreEntry& entry = table.Rows[static_cast<std::size_t>(row)];
        if (!IsEmptyRow(entry)) {
            text += std::to_string(row) + "=" + EncodeHighScore(entry) + "\r\n";
        }
    }
    return text;
}

std::string LayoutScoresText(const LayoutScores& scores) {
    std::string text;
    for (const auto& [key, entry] : scores) {
        text += "\r\n[" + LayoutScoreSection(entry.ShortName) + "]\r\n";
        text += LayoutScoreRowsText(entry.Table);
    }
    return text;
}

} // namespace kelmar
