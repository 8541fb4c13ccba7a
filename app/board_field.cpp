#include "app/board_field.h"

#include "render/display_image.h"
#include "render/text.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelmar {

TField::TField(QWidget* parent) : QWidget(parent), lineFont_(MakeFont(LogoLineFontStyle())) {
    setObjectName(QStringLiteral("Field"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(640, 480);
}

void TField::setMouseHandlers(MouseHandler down, MouseHandler up) {
    down_ = std::move(down);
    up_ = std::move(up);
}

void TField::setPictureSource(PictureSource source) {
    source_ = std::move(source);
}

void TField::present() {
    lines_.clear();
    update();
}

const Bitmap* TField::sourceBitmap() const {
    return source_ ? source_() : nullptr;
}

QImage TField::picture() const {
    const Bitmap* bitmap = sourceBitmap();
    return bitmap != nullptr ? BitmapToImage(*bitmap) : QImage();
}

void TField::drawTextLine(int x, int y, const QColor& color, const QString& text) {
    lines_.push_back({x, y, color, text});
    update();
}

void TField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Bitmap* bitmap = sourceBitmap();
    if (bitmap == nullptr || bitmap->isEmpty()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        painter.drawImage(0, 0, DisplayImage(*bitmap, scratch_));
    }
    painter.setFont(lineFont_);
    for (const TextLine& line : lines_) {
        painter.setPen(line.color);
        painter.drawText(QRect(line.x, line.y, width(), height()), Qt::AlignLeft | Qt::AlignTop,
                         line.text);
    }
}

void TField::mousePressEvent(QMouseEvent* event) {
    if (down_) {
        const QPoint at = event->position().toPoint();
        down_(event->button(), at.x(), at.y());
    }
}

void TField::mouseReleaseEvent(QMouseEvent* event) {
    if (up_) {
        const QPoint at = event->position().toPoint();
        up_(event->button(), at.x(), at.y());
    }
}

// Qt sends the second press of a double click as a double-click event; the
// board counts it as an ordinary press.
void TField::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace kelmar
