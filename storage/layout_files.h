// The layouts players write themselves: every "*.txt" file in the layout
// folder, read once at start. A file that breaks a rule is skipped with one
// German message naming the file, the line and the rule; the others are
// offered after the built-in ones.
#pragma once

#include "core/layout.h"
#include "storage/player_folder.h"

#include <string>
#include <string_view>
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
// German name that is not LayoutNamePrintable, has a short name or German
// name that one of `known` or an earlier file already has (compared as
// LayoutNameKey), has the positions of one of them in the same slot order
// (its games would be taken for that layout's), or when the constructed
// deal finds no winnable deal on it (LayoutHasWinnableDeal). A missing
// folder gives nothing. Time linear in the number of files.
PlayerLayouts ReadPlayerLayouts(const std::string& folder, const std::vector<Layout>& known);

// True when the UTF-8 `name` is valid and every character is a printable
// one: no control, format (direction marks and overrides, zero widths),
// line or paragraph separator, private-use or unassigned character.
bool LayoutNamePrintable(std::string_view name);

// What two names are compared by: the UTF-8 `name` after Unicode
// compatibility and case folding (NFKC_Casefold), then reduced to its
// confusable skeleton (Cyrillic "Р" as Latin "P", ...), so names that look
// alike have the same key.
std::string LayoutNameKey(std::string_view name);

// How many skipped files the start-up warning names one by one.
constexpr std::size_t kSkippedLayoutsNamed = kPlayerFileMessagesNamed;

// The German warning for the messages of skipped files: the first
// kSkippedLayoutsNamed of them, then how many more there are.
std::string SkippedLayoutsText(const std::vector<std::string>& messages);

} // namespace kelmar
