// The layouts players write themselves: every "*.txt" file in the layout
// folder, read once at start. A file that breaks a rule is skipped with one
// German message naming the file, the line and the rule; the others are
// offered after the built-in ones.
#pragma once

#include "core/layout.h"

#include <string>
#include <vector>

namespace kelmar {

// The largest layout file read; a picture of 15 layers needs under 10 KiB.
constexpr std::size_t kLayoutFileMaxBytes = 64 * 1024;

// $XDG_DATA_HOME/kelmar/layouts, or ~/.local/share/kelmar/layouts when
// XDG_DATA_HOME is unset, empty or not absolute; empty when neither it nor
// HOME gives an absolute folder.
std::string PlayerLayoutFolder();

struct PlayerLayouts {
    std::vector<Layout> layouts;       // in the order of their file names
    std::vector<std::string> messages; // German, one per skipped file
};

// Reads the "*.txt" files of `folder` in the order of their names. A
// layout's short name is its file name without ".txt" (letters, digits,
// '-' and '_', up to 32). A file is skipped when it cannot be read, is
// larger than kLayoutFileMaxBytes, breaks a rule of the layout text, has a
// short name or German name that one of `known` or an earlier file already
// has (letter case aside), or when the constructed deal finds no winnable
// deal on it (LayoutHasWinnableDeal). A missing folder gives nothing.
PlayerLayouts ReadPlayerLayouts(const std::string& folder, const std::vector<Layout>& known);

} // namespace kelmar
