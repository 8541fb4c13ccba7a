// `Field`, the 640 x 480 board surface. It shows the picture last presented
// and, over it, the text lines written since (the logo-screen lines). Mouse
// presses and releases of any button are passed on in Field coordinates;
// Qt's implicit grab delivers a release even outside the widget, with
// coordinates that may lie outside the board.
#pragma once

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

    void setMouseHandlers(MouseHandler down, MouseHandler up);

    // Shows the picture that `fill(QImage&)` writes straight into the
    // surface's own buffer (no copy per present) and drops the text lines.
    template <typename Fill> void fillPicture(Fill&& fill) {
        fill(picture_);
        lines_.clear();
        update();
    }
    // Adds a line over the picture: top-left corner at (x, y), Tahoma 8 pt.
    void drawTextLine(int x, int y, const QColor& color, const QString& text);

    const QImage& picture() const { return picture_; }
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
    QImage picture_;
    std::vector<TextLine> lines_;
    QFont lineFont_;
    MouseHandler down_;
    MouseHandler up_;
};

} // namespace kelmar
