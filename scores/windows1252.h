// Windows-1252, the 8-bit character set of player names: in the game and in
// the settings file a name is a byte string, one byte per character; Qt's
// widgets see it as a QString. Conversion happens only at that boundary.
//
// The byte tables are in scores/code_page.h.
#pragma once

#include "scores/code_page.h"

#include <QString>
#include <string>

namespace kelmar {

// Decodes every byte; never fails.
QString FromWindows1252(const std::string& bytes);

// Encodes each code unit; one the character set cannot hold becomes '?'.
// Text accepted by Windows1252NameValidator never meets that case.
std::string ToWindows1252(const QString& text);

} // namespace kelmar
