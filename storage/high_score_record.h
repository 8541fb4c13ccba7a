// One best-times row as a string of hexadecimal digits, two per byte, high
// digit first (digits from "0123456789ABCDEF"):
//
//   digits  0-1    name length n, 0..20
//   digits  2..    n name bytes (Windows-1252)
//   next 4         whole seconds of Time, low 16 bits, high byte first
//   next 8         whole days of Date, low 32 bits, high byte first
//
// 14 to 54 digits. The parser is lenient by design: it never rejects a
// record, it reads invalid digits and positions after the end as described
// at ParseHexByte.
#pragma once

#include "scores/high_score_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelmar {

// The default of a missing row ("nüscht" in Windows-1252): the row keeps what
// it holds.
constexpr std::string_view kMissingScoreValue = "n\xFC"
                                                "scht";
// Characters of a value the parser looks at; the rest is cut off.
constexpr int kScoreRecordMaxChars = 63;

// Append 2, 4 or 8 upper-case digits to `record`. HexWord is HexByte of the
// high byte then of the low byte; HexLong is HexWord of the high half then of
// the low half.
void HexByte(std::string& record, uint8_t value);
void HexWord(std::string& record, uint16_t value);
void HexLong(std::string& record, uint32_t value);

// A record being parsed: its first 63 characters; every position after its
// end reads as the zero character.
struct RecordCursor {
    explicit RecordCursor(std::string_view value);
    char at(int index) const;

    std::array<char, kScoreRecordMaxChars> text{};
    int length = 0;
    int position = 0;
};

// Two digits at the cursor, which moves past them. Letters a..z count as
// A..Z; a character outside "0123456789ABCDEF" has the digit value -1. The
// byte is (16 * first & 0xFF) | (second & 0xFF): an invalid first digit gives
// the high digit F, an invalid second digit gives 0xFF.
uint8_t ParseHexByte(RecordCursor& cursor);
// High part first, each as above.
uint16_t ParseHexWord(RecordCursor& cursor);
uint32_t ParseHexLong(RecordCursor& cursor);

// The record of one row. A name longer than 20 bytes is cut to its first 20
// (the length byte could not say more and the row would not be read back).
std::string EncodeHighScore(const HighScoreEntry& entry);

// Takes a stored value into `entry`. Returns false, leaving `entry` as it is,
// when the value is "nüscht" or its name length is 0 or above 20. Otherwise
// Name gets the n bytes, Time the whole seconds * 1000 ms, Date the whole
// days (unsigned) + 0.5 (noon).
bool DecodeHighScore(std::string_view value, HighScoreEntry& entry);

} // namespace kelmar
