#include "storage/layout_scores.h"

#include "storage/high_score_record.h"

#include <algorithm>
#include <cctype>

namespace kelmar {

namespace {

constexpr std::string_view kSectionPrefix = "highscores ";

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

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
        if (section.size() <= kSectionPrefix.size() ||
            section.compare(0, kSectionPrefix.size(), kSectionPrefix) != 0) {
            continue;
        }
        const std::string name = section.substr(kSectionPrefix.size());
        HighScoreTable& table = LayoutScoreTableFor(scores, name);
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

LayoutScores MergeLayoutScores(const LayoutScores& current, const LayoutScores& atStart,
                               LayoutScores file) {
    for (const auto& [key, entry] : current) {
        bool added = false;
        for (int row = 1; row <= kScoreRows; ++row) {
            added = added || entry.Table.Rows[static_cast<std::size_t>(row)].AddedThisRun;
        }
        if (!added) {
            continue;
        }
        if (file.find(key) == file.end()) {
            const auto start = atStart.find(key);
            file[key] =
                start != atStart.end() ? start->second : LayoutScoreTable{entry.ShortName, {}};
        }
        file[key].ShortName = entry.ShortName;
        for (int row = 1; row <= kScoreRows; ++row) {
            const HighScoreEntry& e = entry.Table.Rows[static_cast<std::size_t>(row)];
            if (e.AddedThisRun) {
                EnterHighScoreRow(file[key].Table, e);
            }
        }
    }
    return file;
}

} // namespace kelmar
