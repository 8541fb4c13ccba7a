// The logo picture KLMRLogo.jpg: 640 x 480, the name and a small pyramid of
// tiles. The lower-left corner (0..260 x 390..480) stays dark and calm,
// because the logo, pause and about screens write white lines there.
#pragma once

#include "board_preview.h"

#include <QImage>

namespace kelmar::art {

constexpr int kLogoWidth = 640;
constexpr int kLogoHeight = 480;

QImage makeLogo(const TilePictures& pictures);

} // namespace kelmar::art
