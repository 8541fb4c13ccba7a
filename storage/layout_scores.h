// Best times of the layouts other than the pyramid: one table per layout in
// a section of its own after [Highscores], named after the layout's short
// name and holding its rows in the record format of [Highscores]; a row no
// win has taken yet is not written (a table starts empty):
//
//   [Highscores Ring]
//   1=04416E6E61005F0000AFC8
//   ... rows 2 up to 10
//
// A section is written only once its layout has a table (a best time was
// entered, or the file had one). A table the run adds no time to, and every
// section of a layout this run does not know (a player's file that was
// removed), is carried over line for line as the file holds it.
#pragma once

#include "scores/score_book.h"
#include "storage/ini_reader.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelmar {

// The section name of a layout's table, "Highscores NAME".
std::string LayoutScoreSection(const std::string& shortName);

// The NAME of a section name "Highscores NAME" (any letter case; NAME not
// empty, as written), else nullopt.
std::optional<std::string> LayoutOfScoreSection(std::string_view sectionName);

// Every [Highscores NAME] section of `ini` (NAME not empty, kept as the file
// writes it); each row is read as in [Highscores], over an empty table, so
// a missing or damaged row stays empty and touches nothing else.
LayoutScores ReadLayoutScores(const IniFile& ini);

// The lines "N=record" of the rows of `table` that are not empty, CR LF
// line ends.
std::string LayoutScoreRowsText(const HighScoreTable& table);

// The sections, each after an empty line, CR LF line ends.
std::string LayoutScoresText(const LayoutScores& scores);

} // namespace kelmar
