// Pieces of the game's plain-text files: lines and whole decimal numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmar {

// `text` read as a whole decimal number: one or more digits '0'..'9' and
// nothing else (no sign, no space) of a value at most `high`; nullopt
// otherwise. The value is checked after every digit, so no run of digits
// wraps (`high` at most 10^18).
inline std::optional<uint64_t> ParseDigits(std::string_view text, uint64_t high) {
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > high) {
            return std::nullopt;
        }
    }
    return value;
}

// Takes the next line off the front of `text`: up to the next '\n' (or the
// end), without it and without a '\r' just before it.
inline std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace kelmar
