#include "storage/high_score_record.h"

#include <algorithm>
#include <cmath>

namespace kelmar {
namespace {

constexpr std::string_view kDigits = "0123456789ABCDEF";

// Place of the character in kDigits after a..z -> A..Z, or -1.
int digitValue(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    const auto place = kDigits.find(c);
    return place == std::string_view::npos ? -1 : static_cast<int>(place);
}

// Whole days of a day count, low 32 bits. The fraction (time of day) is cut
// off toward zero; a value no 64-bit integer can hold counts as day 0.
uint32_t wholeDays(double date) {
    if (!std::isfinite(date) || std::fabs(date) >= 9.0e18) {
        return 0;
    }
    return static_cast<uint32_t>(static_cast<int64_t>(std::trunc(date)));
}

} // namespace

void HexByte(std::string& record, uint8_t value) {
    record += kDigits[value >> 4];
    record += kDigits[value & 0x0F];
}

void HexWord(std::string& record, uint16_t value) {
    HexByte(record, static_cast<uint8_t>(value >> 8));
    HexByte(record, static_cast<uint8_t>(value & 0xFF));
}

void HexLong(std::string& record, uint32_t value) {
    HexWord(record, static_cast<uint16_t>(value >> 16));
    HexWord(record, static_cast<uint16_t>(value & 0xFFFF));
}

RecordCursor::RecordCursor(std::string_view value)
    : length(static_cast<int>(std::min<std::size_t>(value.size(), kScoreRecordMaxChars))) {
    std::copy_n(value.begin(), length, text.begin());
}

char RecordCursor::at(int index) const {
    return index >= 0 && index < length ? text[static_cast<std::size_t>(index)] : '\0';
}

uint8_t ParseHexByte(RecordCursor& cursor) {
    const int high = digitValue(cursor.at(cursor.position));
    const int low = digitValue(cursor.at(cursor.position + 1));
    cursor.position += 2;
    return static_cast<uint8_t>(((16 * high) & 0xFF) | (low & 0xFF));
}

uint16_t ParseHexWord(RecordCursor& cursor) {
    const uint16_t high = ParseHexByte(cursor);
    const uint16_t low = ParseHexByte(cursor);
    return static_cast<uint16_t>((high << 8) | low);
}

uint32_t ParseHexLong(RecordCursor& cursor) {
    const uint32_t high = ParseHexWord(cursor);
    const uint32_t low = ParseHexWord(cursor);
    return (high << 16) | low;
}

std::string EncodeHighScore(const HighScoreEntry& entry) {
    const std::size_t length = std::min(entry.Name.size(), kMaxScoreNameLength);
    std::string record;
    record.reserve(2 * (1 + length + 2 + 4));
    HexByte(record, static_cast<uint8_t>(length));
    for (std::size_t i = 0; i < length; ++i) {
        HexByte(record, static_cast<uint8_t>(entry.Name[i]));
    }
    HexWord(record, static_cast<uint16_t>(entry.Time / 1000));
    HexLong(record, wholeDays(entry.Date));
    return record;
}

bool DecodeHighScore(std::string_view value, HighScoreEntry& entry) {
    RecordCursor cursor(value);
    if (std::string_view(cursor.text.data(), static_cast<std::size_t>(cursor.length)) ==
        kMissingScoreValue) {
        return false;
    }
    const uint8_t length = ParseHexByte(cursor);
    if (length == 0 || length > kMaxScoreNameLength) {
        return false;
    }
    std::string name;
    for (int i = 0; i < length; ++i) {
        name += static_cast<char>(ParseHexByte(cursor));
    }
    entry.Name = std::move(name);
    entry.Time = static_cast<int32_t>(ParseHexWord(cursor)) * 1000;
    entry.Date = static_cast<double>(ParseHexLong(cursor)) + 0.5;
    return true;
}

} // namespace kelmar
