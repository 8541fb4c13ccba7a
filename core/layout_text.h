// The layout text: a layout written by hand in an editor, as a picture of
// each layer. Parsing is a pure function from the text to a layout or to
// the first rule it breaks; finding and reading files is storage's job.
//
//   ; a line starting with ';' is a comment and counts as no row
//   Name: Kleine Brücke        the name the player sees (UTF-8, 1..40 bytes)
//   Ebene 1                    a layer, 1..15, each after the one before
//   ##..##
//   ##..##
//   Ebene 2
//   .####.
//   .####.
//
// In a layer's picture one character is half a tile: column c of a row is
// X = 19 * c, row r (counted from the line after "Ebene") is Y = 27 * r, so
// a tile is a 2 x 2 block of '#' and tiles can sit half a tile apart. '.'
// and blanks are empty; an empty line is an empty row. The blocks are read
// top row first, each row left to right: a '#' not yet taken opens a tile
// with the three cells right of and below it. Slot order is the reading
// order, layer by layer upwards.
#pragma once

#include "core/layout.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelmar {

struct LayoutTextError {
    int Line = 0;        // 1-based line the rule is broken on; 0 for the file as a whole
    std::string Message; // German, without file name or line
};

struct LayoutTextResult {
    std::optional<Layout> layout; // set when the text keeps every rule
    LayoutTextError error;        // the first broken rule otherwise
};

// Parses `text` into a layout named `shortName` (taken as it is). The rules,
// each reported with its line: a "Name:" line before anything else; layer
// headers "Ebene N" with N in 1..15 rising; only '#', '.' and blanks in a
// picture; every '#' part of a whole 2 x 2 tile (a tile that overlaps
// another on its layer leaves a part over); every tile's frame (the face
// after the layer shift with its 9 px side) inside the 640 x 480 board
// surface, which also keeps X and Y within the saved game's 10-bit fields;
// and exactly 144 tiles (line 0).
LayoutTextResult ParseLayoutText(std::string_view text, const std::string& shortName);

// True when a tile at `p` with its frame lies inside the board surface.
bool PositionOnBoardSurface(const LayoutPosition& p);

} // namespace kelmar
