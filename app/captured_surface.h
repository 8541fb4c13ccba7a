// A board surface that keeps the last picture the renderer presents, for the
// choosers' small previews; status and surface texts are not wanted there.
#pragma once

#include "render/board_surface.h"
#include "render/display_image.h"

#include <QImage>

namespace kelmar {

class CapturedSurface final : public BoardSurface {
public:
    void present(const Bitmap& backBuffer) override { picture = BitmapToImage(backBuffer); }
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
    QImage picture;
};

} // namespace kelmar
