#include "scores/statistics.h"

#include "scores/score_text.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <optional>

namespace kelmar {

int32_t GroupStatistics::BestTimeMs() const {
    return BestTimes.empty() ? -1 : BestTimes.front();
}

int32_t GroupStatistics::MeanTimeMs() const {
    if (Wins <= 0) {
        return -1;
    }
    const int64_t mean = (WinTimeSumMs + Wins / 2) / Wins;
    return static_cast<int32_t>(std::clamp<int64_t>(mean, 0, std::numeric_limits<int32_t>::max()));
}

int GroupStatistics::WinPercent() const {
    return Games <= 0 ? 0 : static_cast<int>((Wins * 100 + Games / 2) / Games);
}

void CountGame(GroupStatistics& group, const GameRecord& record) {
    ++group.Games;
    group.LastDay = record.Day;
    const bool won = record.Result == GameResult::Won;
    if (record.DayGame != 0) {
        ++group.DayGames;
        group.DayWins += won ? 1 : 0;
    }
    if (!won) {
        group.CurrentStreak = 0;
        return;
    }
    ++group.Wins;
    ++group.CurrentStreak;
    group.LongestStreak = std::max(group.LongestStreak, group.CurrentStreak);
    group.WinTimeSumMs += record.TimeMs;
    auto& best = group.BestTimes;
    best.insert(std::upper_bound(best.begin(), best.end(), record.TimeMs), record.TimeMs);
    if (best.size() > kKeptBestTimes) {
        best.pop_back();
    }
    group.LastTimes.push_back(record.TimeMs);
    if (group.LastTimes.size() > kChartedTimes) {
        group.LastTimes.erase(group.LastTimes.begin());
    }
}

namespace {

constexpr std::array<Grade, 4> kGroupGrades = {Grade::Any, Grade::Easy, Grade::Medium, Grade::Hard};

std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

// The order of the groups: every layout first, then the layouts by short
// name without regard to letter case, the unknown layout last.
std::string sortKey(std::string_view layout) {
    if (layout == kAllLayouts) {
        return "0";
    }
    if (layout == kUnknownLayout) {
        return "2";
    }
    return "1" + lowerCase(layout);
}

// The groups of one layout (or of all), indexed by the grade's code.
using LayoutGroups = std::array<std::optional<GroupStatistics>, kGroupGrades.size()>;

class Accumulator {
public:
    void take(const GroupStatistics& summary) { slot(summary.Layout, summary.DealGrade) = summary; }

    void count(const GameRecord& record) {
        countIn(kAllLayouts, record);
        countIn(record.Layout, record);
    }

    std::vector<GroupStatistics> groups() && {
        std::vector<GroupStatistics> result;
        for (auto& entry : layouts_) {
            for (auto& group : entry.second) {
                if (group) {
                    result.push_back(std::move(*group));
                }
            }
        }
        return result;
    }

private:
    std::optional<GroupStatistics>& slot(std::string_view layout, Grade grade) {
        LayoutGroups& groups = layouts_[sortKey(layout)];
        return groups[static_cast<std::size_t>(grade) % groups.size()];
    }

    void countIn(std::string_view layout, const GameRecord& record) {
        countInGroup(layout, Grade::Any, record);
        if (record.DealGrade != Grade::Any) {
            countInGroup(layout, record.DealGrade, record);
        }
    }

    void countInGroup(std::string_view layout, Grade grade, const GameRecord& record) {
        std::optional<GroupStatistics>& group = slot(layout, grade);
        if (!group) {
            group.emplace();
            group->DealGrade = grade;
        }
        group->Layout = layout; // the latest spelling of the name
        CountGame(*group, record);
    }

    std::map<std::string, LayoutGroups> layouts_;
};

Accumulator accumulate(const GameRecordBook& book, std::size_t recordCount) {
    Accumulator accumulator;
    for (const GroupStatistics& summary : book.Summaries) {
        accumulator.take(summary);
    }
    for (std::size_t i = 0; i < recordCount; ++i) {
        accumulator.count(book.Records[i]);
    }
    return accumulator;
}

bool sameLayout(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lowerCase(a) == lowerCase(b);
}

} // namespace

const GroupStatistics* RecordStatistics::find(std::string_view layout, Grade grade) const {
    for (const GroupStatistics& group : Groups) {
        if (group.DealGrade == grade && sameLayout(group.Layout, layout)) {
            return &group;
        }
    }
    return nullptr;
}

RecordStatistics ComputeStatistics(const GameRecordBook& book) {
    RecordStatistics result;
    result.Groups = accumulate(book, book.Records.size()).groups();
    for (auto it = book.Records.rbegin(); it != book.Records.rend(); ++it) {
        if (it->DayGame != 0) {
            result.DayGames.push_back({it->DayGame, it->Layout, it->Result, it->TimeMs});
        }
    }
    std::stable_sort(result.DayGames.begin(), result.DayGames.end(),
                     [](const DayGameResult& a, const DayGameResult& b) { return a.Day > b.Day; });
    return result;
}

void SummariseOldest(GameRecordBook& book, std::size_t count) {
    count = std::min(count, book.Records.size());
    book.Summaries = accumulate(book, count).groups();
    book.Records.erase(book.Records.begin(),
                       book.Records.begin() + static_cast<std::ptrdiff_t>(count));
}

WinRank RankOfWin(const GroupStatistics& group, int32_t timeMs) {
    const auto& best = group.BestTimes;
    const auto atMost = std::upper_bound(best.begin(), best.end(), timeMs) - best.begin();
    const bool complete = static_cast<int64_t>(best.size()) >= group.Wins;
    if (atMost < static_cast<std::ptrdiff_t>(best.size()) || complete) {
        return {std::max<int64_t>(atMost, 1), true};
    }
    return {static_cast<int64_t>(best.size()) + 1, false};
}

std::string WinRankText(int32_t timeMs, WinRank rank, const std::string& layoutName) {
    std::string text = "Zeit " + FormatScoreTime(timeMs) + " \u2013 ";
    if (!rank.Exact) {
        text += "nicht unter Ihren " + std::to_string(kKeptBestTimes) + " besten Spielen";
    } else if (rank.Rank <= 1) {
        text += "Ihr bestes Spiel";
    } else {
        text += "Ihr " + std::to_string(rank.Rank) + ". bestes Spiel";
    }
    return text + " auf " + layoutName;
}

} // namespace kelmar
