// Colours and the two fixed palettes of the indexed pixel formats.
//
// Index 0 is black in both palettes and no other entry is black, so "colour
// value 0" (the transparent colour of the tile frame) means black in every
// pixel format.
#pragma once

#include <array>
#include <cstdint>

namespace kelmar {

// A colour with components 0..255.
struct Rgb {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The 256-colour halftone palette of Bits8. Entry i and entry 255 - i are
// complementary colours (R, G, B) and (255 - R, 255 - G, 255 - B), so that the
// byte inversion of the highlight shows the inverse colour. Holds the 6x6x6
// colour cube, extra greys and the dark standard colours; 0 black, 255 white.
// Every entry converts back to its own index through NearestHalftoneIndex.
const std::array<Rgb, 256>& HalftonePalette();

// The standard 16-colour palette of Bits4: 0 black, 1..6 dark red, green,
// yellow, blue, magenta, cyan, 7 light grey, 8 dark grey, 9..14 the bright
// red, green, yellow, blue, magenta, cyan, 15 white. Index 15 - i is the
// inverse of index i (the nibble inversion of the highlight).
const std::array<Rgb, 16>& StandardPalette16();

// The index of the palette entry nearest to `c` (squared RGB distance on the
// colour reduced to 5 bits per channel; ties go to the lower index). Black and
// the darkest colours give 0. Constant time: a 32x32x32 lookup cube, built on
// first use.
uint8_t NearestHalftoneIndex(Rgb c);
uint8_t NearestStandard16Index(Rgb c);

// Like the two above but never index 0, for pictures drawn with black
// transparent: a colour whose nearest entry is some other entry gets that
// one; a colour whose nearest entry is black gets the non-black entry of the
// most similar hue (largest cosine between the RGB vectors of the 5-bit cell's
// centre and the entry; the nearer entry among equals). Every non-black entry
// is brighter than such a colour, so its hue is what can be kept: a dark grey
// becomes a grey, not the dark primary colour that plain distance would pick.
// Constant time, a second lookup cube built on first use.
uint8_t NearestNonBlackHalftoneIndex(Rgb c);
uint8_t NearestNonBlackStandard16Index(Rgb c);

} // namespace kelmar
