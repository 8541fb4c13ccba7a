// `Field`, the 640 x 480 board surface. Every paint draws the BackBuffer as
// it is at that moment and, over it, the text lines written since the last
// present (the logo-screen lines). Mouse presses and releases of any button
// are passed on in Field coordinates; Qt's implicit grab delivers a release
// even outside the widget, with coordinates that may lie outside the board.
#pragma once

#include "render/bitmap.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace kelmar {

class TField final : public QWidget {
    Q_OBJECT
public:
    using MouseHandler = std::function<void(Qt::MouseButton, int x, int y)>;

    explicit TField(QWidget* parent = nullptr);

    // The bitmap that paints show; null (shown black) before the bitmaps
    // exist and after they are freed.
    using PictureSource = std::function<const Bitmap*()>;

    void setMouseHandlers(MouseHandler down, MouseHandler up);
    void setPictureSource(PictureSource source);

    // Drops the text lines and asks for a paint of the picture source.
    void present();
    // Adds a line over the picture: top-left corner at (x, y), Tahoma 8 pt.
    void drawTextLine(int x, int y, const QColor& color, const QString& text);

    // What a paint would draw now, without the text lines.
    QImage picture() const;
    struct TextLine {
        int x;
        int y;
        QColor color;
        QString text;
    };
    const std::vector<TextLine>& textLines() const { return lines_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const Bitmap* sourceBitmap() const; // null without a source

    PictureSource source_;
    QImage scratch_; // the converted picture of formats other than Device
    std::vector<TextLine> lines_;
    QFont lineFont_;
    MouseHandler down_;
    MouseHandler up_;
};

} // namespace kelmar
