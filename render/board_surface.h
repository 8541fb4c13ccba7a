// What the renderer needs of the main window: the board surface `Field` and
// status panel 0. The main window implements it; tests use a fake.
#pragma once

#include <QColor>
#include <QString>

namespace kelmar {

class Bitmap;

class BoardSurface {
public:
    virtual ~BoardSurface() = default;
    // Show `backBuffer` (640 x 480, any pixel format) on the board surface at
    // (0, 0). Drops any text lines drawn on the surface since the last call.
    virtual void present(const Bitmap& backBuffer) = 0;
    // Set the text of status panel 0.
    virtual void setStatusText(const QString& text) = 0;
    // Draw `text` straight onto the surface, over the presented picture and
    // not into the BackBuffer, top-left corner at (x, y), in Tahoma 8 pt
    // regular, without background. Stays until the next present().
    virtual void drawSurfaceText(int x, int y, const QColor& color, const QString& text) = 0;
};

} // namespace kelmar
