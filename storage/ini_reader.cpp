#include "storage/ini_reader.h"

#include <algorithm>

namespace kelmar {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = lowerAscii(c);
    }
    return result;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Digits in base 16 or 10, at least one, value below 2^32; else nullopt.
std::optional<uint32_t> unsignedDigits(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

} // namespace

std::optional<int32_t> ParseIniNumber(std::string_view value) {
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        const auto hex = unsignedDigits(value.substr(2), 16);
        if (!hex) {
            return std::nullopt;
        }
        return static_cast<int32_t>(*hex);
    }
    bool negative = false;
    if (!value.empty() && (value[0] == '-' || value[0] == '+')) {
        negative = value[0] == '-';
        value.remove_prefix(1);
    }
    if (!value.empty() && value[0] == '$') {
        const auto hex = unsignedDigits(value.substr(1), 16);
        if (!hex) {
            return std::nullopt;
        }
        const auto word = static_cast<int32_t>(*hex);
        return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(word)) : word;
    }
    const auto decimal = unsignedDigits(value, 10);
    if (!decimal) {
        return std::nullopt;
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(*decimal) : *decimal;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(signedValue);
}

std::optional<std::string> IniSectionNameAsWritten(std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line[0] != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    return std::string(trimmed(
        line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
}

std::optional<std::string> IniSectionName(std::string_view line) {
    auto name = IniSectionNameAsWritten(line);
    return name ? std::optional<std::string>(lowered(*name)) : std::nullopt;
}

namespace {

std::string indexKey(std::string_view section, std::string_view key) {
    std::string result = lowered(section);
    result += '\n';
    result += lowered(key);
    return result;
}

} // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    bool inSection = false;
    std::string section;        // lower case
    std::string sectionWritten; // as written
    while (!text.empty()) {
        // CR LF, LF and a lone CR each end a line; the empty line between
        // the CR and the LF of a pair is skipped like any empty line.
        const auto end = text.find_first_of("\r\n");
        std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (auto name = IniSectionNameAsWritten(line)) {
            sectionWritten = std::move(*name);
            section = lowered(sectionWritten);
            inSection = true;
            ini.opened_.insert(section);
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = trimmed(line.substr(equals + 1));
        if (value.size() > kIniMaxValueChars) {
            // Cut first, then trim again, as a fixed-size result buffer would.
            value = trimmed(value.substr(0, kIniMaxValueChars));
        }
        ini.values_.try_emplace(indexKey(section, trimmed(line.substr(0, equals))), value);
        if (ini.withKey_.insert(section).second) {
            ini.sections_.push_back(sectionWritten);
        }
    }
    return ini;
}

std::vector<std::string> IniFile::sections() const {
    return sections_;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const auto it = values_.find(indexKey(section, key));
    return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::string IniFile::getString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    auto value = find(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

int32_t IniFile::getNumber(std::string_view section, std::string_view key,
                           int32_t defaultValue) const {
    const auto value = find(section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseIniNumber(*value).value_or(defaultValue);
}

bool IniFile::hasSection(std::string_view section) const {
    return opened_.count(lowered(section)) != 0;
}

bool IniFile::getBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return getNumber(section, key, defaultValue ? 1 : 0) != 0;
}

} // namespace kelmar
