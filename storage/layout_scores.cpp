#include "storage/layout_scores.h"

#include "storage/high_score_record.h"

#include <algorithm>
#include <cctype>

namespace kelmar {

namespace {

constexpr std::string_view kSectionPrefix = "highscores ";

std::string lowered(std::string_view text) {
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

std::optional<std::string> LayoutOfScoreSection(std::string_view sectionName) {
    if (sectionName.size() <= kSectionPrefix.size() ||
        lowered(sectionName.substr(0, kSectionPrefix.size())) != kSectionPrefix) {
        return std::nullopt;
    }
    return std::string(sectionName.substr(kSectionPrefix.size()));
}

std::string LayoutScoreKey(std::string_view shortName) {
    return lowered(shortName);
}

std::string LayoutScoreSection(const std::string& shortName) {
    return "Highscores " + shortName;
}

HighScoreTable& LayoutScoreTableFor(LayoutScores& scores, const std::string& shortName) {
    auto [it, added] = scores.try_emplace(lowered(shortName));
    if (added) {
        it->second.ShortName = shortName;
    }
    return it->second.Table;
}

const HighScoreTable* FindLayoutScoreTable(const LayoutScores& scores,
                                           const std::string& shortName) {
    const auto it = scores.find(lowered(shortName));
    return it == scores.end() ? nullptr : &it->second.Table;
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

std::string LayoutScoresText(const LayoutScores& scores) {
    std::string text;
    for (const auto& [key, entry] : scores) {
        text += "\r\n[" + LayoutScoreSection(entry.ShortName) + "]\r\n";
        for (int row = 1; row <= kScoreRows; ++row) {
            text += std::to_string(row) + "=" +
                    EncodeHighScore(entry.Table.Rows[static_cast<std::size_t>(row)]) + "\r\n";
        }
    }
    return text;
}

} // namespace kelmar
