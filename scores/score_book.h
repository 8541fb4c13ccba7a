// Every best-times table of a run, one per layout, named by the layout's
// short name (in any case): the pyramid's table, stored in [Highscores], and
// one for each other layout that has one, stored in [Highscores NAME]
// (storage/layout_scores.h). Plain data, no Qt.
#pragma once

#include "scores/high_score_table.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kelmar {

struct LayoutScoreTable {
    std::string ShortName; // as written in the section name
    HighScoreTable Table;
};

// The tables of the layouts other than the pyramid. Key: the short name in
// lower case (section names match in any case).
using LayoutScores = std::map<std::string, LayoutScoreTable>;

// The key of `shortName` in LayoutScores: the name in lower case.
std::string LayoutScoreKey(std::string_view shortName);

// The table of `shortName`, created empty (EmptyScoreTable) when there is
// none.
HighScoreTable& LayoutScoreTableFor(LayoutScores& scores, const std::string& shortName);

// The table of `shortName`, or null.
const HighScoreTable* FindLayoutScoreTable(const LayoutScores& scores,
                                           const std::string& shortName);

class ScoreBook {
public:
    // The table shown for the layout `shortName`: its own, or, for a layout
    // that has none yet, an empty table (a scratch copy, never stored).
    HighScoreTable& table(const std::string& shortName);

    // The table a win of `timeMs` on the layout `shortName` enters: its own,
    // made empty when it has none yet (a table is only made, and written,
    // for a time that enters it); null when a layout without a table gets a
    // time that would not enter (a negative one).
    HighScoreTable* tableForWin(const std::string& shortName, int32_t timeMs);

    // The table of `shortName` when it has one, else null.
    const HighScoreTable* find(const std::string& shortName) const;

    // The player's best time on `shortName` (PlayerBestTime), -1 for none.
    int32_t playerBest(const std::string& shortName) const;

    // For the settings file: the pyramid's table and the other layouts'.
    HighScoreTable& pyramid() { return pyramid_; }
    LayoutScores& others() { return others_; }
    const HighScoreTable& pyramid() const { return pyramid_; }
    const LayoutScores& others() const { return others_; }

private:
    HighScoreTable pyramid_;
    LayoutScores others_;
    HighScoreTable scratch_;
};

} // namespace kelmar
