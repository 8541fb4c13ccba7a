// A review picture of everything the generator makes: the sheet enlarged,
// a mock board with a highlighted tile, the frame, the icons enlarged on
// light and dark ground, and the logo with sample lines.
#pragma once

#include "board_preview.h"

#include <QImage>

namespace kelmar::art {

QImage makeContactSheet(const TilePictures& pictures, const QImage& felt, const QImage& logo);

} // namespace kelmar::art
