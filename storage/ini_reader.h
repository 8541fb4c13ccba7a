// A small reader for the settings file: look up a value by section and key.
//
// Lookup rules: section and key match without regard to ASCII letter case;
// the first line with a matching section and key wins; the value is
// returned without surrounding blanks (space, tab) and with at most 2047
// characters. Lines end with LF, CR LF or CR alone; a line "[name]" opens a section;
// "key=value" lines before any section, lines without "=" and lines starting
// with ";" are ignored. A leading UTF-8 byte order mark is skipped. Bytes are
// taken as they are (Windows-1252), nothing is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kelmar {

constexpr std::size_t kIniMaxValueChars = 2047;
// The game's own file is well under 1 KiB and grows by about 300 bytes per
// layout with best times; a larger file is read whole, a file above this
// size is not ours and is refused whole (never read in part).
constexpr std::size_t kIniMaxFileBytes = std::size_t{16} << 20;

// Number rule of the settings file: a value of more than two characters that
// starts with "0x" or "0X" is hexadecimal after those two characters; a
// leading "$" (after an optional sign) also marks hexadecimal; otherwise a
// decimal integer with optional sign. Must fit 32 bits (hexadecimal up to
// FFFFFFFF, taken as two's complement). nullopt when the value is no number.
std::optional<int32_t> ParseIniNumber(std::string_view value);

// The lower-case name of the section a line "[name]" opens (blanks around
// the line and the name dropped, the name ending at "]" or the line's end);
// nullopt for any other line.
std::optional<std::string> IniSectionName(std::string_view line);

// Parsing and every lookup take time linear in the text and the key: the
// lines are indexed once.
class IniFile {
public:
    static IniFile Parse(std::string_view text);

    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    // The number rule above; the default when missing or no number.
    int32_t getNumber(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // A number with the default 1 or 0; every number but 0 is true.
    bool getBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // The names of the sections that hold at least one key, each once (as
    // the first line that opens it writes it, blanks around it dropped), in
    // the order of their first key.
    std::vector<std::string> sections() const;
    // True when a line "[section]" opens it, even with no key in it.
    bool hasSection(std::string_view section) const;

private:
    // Key: lower-case section, '\n', lower-case key; the first line wins.
    std::unordered_map<std::string, std::string> values_;
    std::unordered_set<std::string> opened_;  // lower case, every section opened
    std::unordered_set<std::string> withKey_; // lower case, sections in sections_
    std::vector<std::string> sections_;       // as written, in the order of their first key
};

// The name of the section a line "[name]" opens, as written there (blanks
// around the line and the name dropped); nullopt for any other line.
std::optional<std::string> IniSectionNameAsWritten(std::string_view line);

} // namespace kelmar
