// Windows-1252 byte by byte, without Qt: the settings file and the name
// field both convert through these.
//
// Bytes 0x00..0x7F and 0xA0..0xFF are the Unicode characters of the same
// number; 0x80..0x9F hold the euro sign, typographic quotes, dashes and a few
// letters (Š š Ž ž Œ œ Ÿ ƒ). The five bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D
// have no character; they decode to the C1 control of the same number and
// encode back from it, so every byte string survives a round trip.
#pragma once

namespace kelmar {

// The UTF-16 code unit of a byte.
char16_t Windows1252Unicode(unsigned char byte);

// The byte for one UTF-16 code unit, or -1 when Windows-1252 cannot hold it.
int Windows1252Byte(char16_t unit);

// True when the byte has a character (all but 0x81, 0x8D, 0x8F, 0x90, 0x9D).
bool IsDefinedWindows1252Byte(unsigned char byte);

} // namespace kelmar
