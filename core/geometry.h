#pragma once

#include <cstdint>

namespace kelmar {

// A rectangle in board pixels; Right and Bottom are exclusive.
struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    constexpr int32_t width() const { return Right - Left; }
    constexpr int32_t height() const { return Bottom - Top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace kelmar
