// Best times of the layouts other than the pyramid: one table per layout in
// a section of its own after [Highscores], named after the layout's short
// name and holding rows 1..10 in the record format of [Highscores]:
//
//   [Highscores Ring]
//   1=064B656C6D617200B400008EAE
//   ... rows 2 to 10
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
// writes it); each row is read as in [Highscores], over the initial rows, so
// a damaged row or section touches nothing else.
LayoutScores ReadLayoutScores(const IniFile& ini);

// The sections, each after an empty line, CR LF line ends.
std::string LayoutScoresText(const LayoutScores& scores);

} // namespace kelmar
