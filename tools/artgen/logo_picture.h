// The logo picture KLMRLogo.jpg: 640 x 480, the name and a small pyramid of
// tiles. The lower-left corner (0..260 x 390..480) stays dark and calm,
// because the logo, pause and about screens write white lines there. At
// other zoom levels the same picture, every length scaled by percent/100.
#pragma once

#include "board_preview.h"

#include <QImage>

namespace kelmar::art {

constexpr int kLogoWidth = 640;
constexpr int kLogoHeight = 480;

// `pictures` are the tile pictures drawn for `percent`.
QImage makeLogo(const TilePictures& pictures, int percent = 100);

} // namespace kelmar::art
