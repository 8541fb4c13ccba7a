// Windows-1252, the 8-bit character set of player names: in the game and in
// the settings file a name is a byte string, one byte per character; Qt's
// widgets see it as a QString. Conversion happens only at that boundary.
//
// Bytes 0x00..0x7F and 0xA0..0xFF are the Unicode characters of the same
// number; 0x80..0x9F hold the euro sign, typographic quotes, dashes and a few
// letters (Š š Ž ž Œ œ Ÿ ƒ). The five bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D
// have no character; they decode to the C1 control of the same number and
// encode back from it, so every byte string survives a round trip.
#pragma once

#include <QString>
#include <string>

namespace kelmar {

// The byte for one UTF-16 code unit, or -1 when Windows-1252 cannot hold it.
int Windows1252Byte(char16_t unit);

// True when the byte has a character (all but 0x81, 0x8D, 0x8F, 0x90, 0x9D).
bool IsDefinedWindows1252Byte(unsigned char byte);

// Decodes every byte; never fails.
QString FromWindows1252(const std::string& bytes);

// Encodes each code unit; one the character set cannot hold becomes '?'.
// Text accepted by Windows1252NameValidator never meets that case.
std::string ToWindows1252(const QString& text);

} // namespace kelmar
