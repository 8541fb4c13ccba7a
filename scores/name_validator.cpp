#include "scores/name_validator.h"

#include "scores/windows1252.h"

namespace kelmar {

bool Windows1252NameValidator::acceptsChar(QChar c) {
    const char16_t unit = c.unicode();
    // Control characters would break the settings line or cannot be seen.
    if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) {
        return false;
    }
    return Windows1252Byte(unit) >= 0;
}

QValidator::State Windows1252NameValidator::validate(QString& input, int& /*pos*/) const {
    for (const QChar c : input) {
        if (!acceptsChar(c)) {
            return Invalid;
        }
    }
    return Acceptable;
}

} // namespace kelmar
