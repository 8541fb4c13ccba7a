// A small reader for the settings file: look up a value by section and key.
//
// Lookup rules: section and key match without regard to ASCII letter case;
// the first line with a matching section and key wins; the value is
// returned without surrounding blanks (space, tab) and with at most 2047
// characters. Lines end with LF or CR LF; a line "[name]" opens a section;
// "key=value" lines before any section, lines without "=" and lines starting
// with ";" are ignored. A leading UTF-8 byte order mark is skipped. Bytes are
// taken as they are (Windows-1252), nothing is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmar {

constexpr std::size_t kIniMaxValueChars = 2047;
// The game's own file is well under 1 KiB; a larger file is not ours, and
// only its first part is looked at.
constexpr std::size_t kIniMaxFileBytes = 1 << 20;

// Number rule of the settings file: a value of more than two characters that
// starts with "0x" or "0X" is hexadecimal after those two characters; a
// leading "$" (after an optional sign) also marks hexadecimal; otherwise a
// decimal integer with optional sign. Must fit 32 bits (hexadecimal up to
// FFFFFFFF, taken as two's complement). nullopt when the value is no number.
std::optional<int32_t> ParseIniNumber(std::string_view value);

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
    // The names of the sections that hold at least one key, in lower case,
    // each once, in the order of their first key.
    std::vector<std::string> sections() const;

private:
    struct Entry {
        std::string section; // lower case
        std::string key;     // lower case
        std::string value;
    };
    std::vector<Entry> entries_;
};

} // namespace kelmar
