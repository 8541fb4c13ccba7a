#include "scores/windows1252.h"

namespace kelmar {

QString FromWindows1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        text.append(QChar(Windows1252Unicode(static_cast<unsigned char>(c))));
    }
    return text;
}

std::string ToWindows1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const int b = Windows1252Byte(c.unicode());
        bytes.push_back(static_cast<char>(b < 0 ? '?' : b));
    }
    return bytes;
}

} // namespace kelmar
