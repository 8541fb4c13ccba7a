#include "scores/score_book.h"

#include "core/layout.h"

#include <algorithm>
#include <cctype>

namespace kelmar {

namespace {

bool isPyramid(const std::string& shortName) {
    return LayoutScoreKey(shortName) == LayoutScoreKey(PyramidLayout().ShortName);
}

} // namespace

std::string LayoutScoreKey(std::string_view shortName) {
    std::string key(shortName);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

HighScoreTable& LayoutScoreTableFor(LayoutScores& scores, const std::string& shortName) {
    auto [it, added] = scores.try_emplace(LayoutScoreKey(shortName));
    if (added) {
        it->second.ShortName = shortName;
        it->second.Table = EmptyScoreTable();
    }
    return it->second.Table;
}

const HighScoreTable* FindLayoutScoreTable(const LayoutScores& scores,
                                           const std::string& shortName) {
    const auto it = scores.find(LayoutScoreKey(shortName));
    return it == scores.end() ? nullptr : &it->second.Table;
}

const HighScoreTable* ScoreBook::find(const std::string& shortName) const {
    return isPyramid(shortName) ? &pyramid_ : FindLayoutScoreTable(others_, shortName);
}

HighScoreTable& ScoreBook::table(const std::string& shortName) {
    if (find(shortName) == nullptr) {
        scratch_ = isPyramid(shortName) ? HighScoreTable() : EmptyScoreTable();
        return scratch_;
    }
    return isPyramid(shortName) ? pyramid_ : LayoutScoreTableFor(others_, shortName);
}

HighScoreTable* ScoreBook::tableForWin(const std::string& shortName, int32_t timeMs) {
    if (find(shortName) == nullptr) {
        HighScoreTable fresh = EmptyScoreTable();
        if (FindRank(fresh, timeMs) == 0) {
            return nullptr;
        }
    }
    return isPyramid(shortName) ? &pyramid_ : &LayoutScoreTableFor(others_, shortName);
}

int32_t ScoreBook::playerBest(const std::string& shortName) const {
    const HighScoreTable* table = find(shortName);
    return table != nullptr ? PlayerBestTime(*table) : -1;
}

} // namespace kelmar
