// `Field`, the board surface. It shows the BackBuffer as it is at the moment
// of each paint and, over it, the text lines written since the last present
// (the logo-screen lines).
//
// The board is shown at a scale (50 to 600 %), centred in the widget;
// where the widget is larger than the board, the background picture fills
// the rest, continuing the board's own background, or, while a logo screen
// covers the board, that screen's edge pixels drawn on outwards. At 100 %
// in a widget of 640 x 480 logical pixels the board fills it exactly, as it
// always has.
// The BackBuffer may hold more pixels than the board's logical size (a
// screen with more device pixels per logical pixel): it is then drawn at
// device resolution, one BackBuffer pixel per device pixel where the sizes
// agree, and smoothly scaled otherwise.
//
// Mouse presses and releases of any button are passed on in board
// coordinates (640 x 480 board pixels, whatever the level); Qt's implicit
// grab delivers a release even outside the widget, with coordinates that may
// lie outside the board.
#pragma once

#include "render/bitmap.h"
#include "render/shown_picture.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
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
    // The background picture that fills the widget around the board; its
    // pixels are as large as the BackBuffer's. Read again after
    // backgroundChanged().
    void setBackgroundSource(PictureSource source);
    void backgroundChanged();
    // Whether a logo, pause or about screen covers the board: the screen's
    // edges then continue to the widget's edges instead of the felt.
    void setScreenSource(std::function<bool()> showing);
    // Called (from the event loop) when the widget's size or its device
    // pixel ratio has changed, so that the owner can choose a new level.
    void setGeometryHandler(std::function<void()> handler);

    // Drops the text lines and asks for a paint of the picture source: of
    // the whole board after text lines or when the board is drawn scaled,
    // otherwise of the parts that differ from what the screen shows.
    void present();
    // Asks for a paint of the whole field (by way of the whole window when
    // that is large; see requestPaint).
    void requestFullPaint() { requestPaint(rect()); }
    // Adds a line over the picture: top-left corner at (x, y) in board
    // pixels, Tahoma 8 pt scaled with the board.
    void drawTextLine(int x, int y, const QColor& color, const QString& text);

    // The scale the board is shown at, in logical pixels (a percentage,
    // clamped to kMinScale..kMaxScale), and where it lies in the widget.
    void setBoardLevel(int percent);
    int boardLevel() const { return level_; }
    QRect boardRect() const;
    // A point of the widget (logical pixels) in board pixels, rounded down.
    QPoint toBoard(QPointF at) const;

    // What a paint would draw now as the board, without the text lines.
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
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The largest rectangle, in bytes of 32-bit window pixels, that a paint
    // of only part of the window may send; see requestPaint.
    static constexpr double kLargestSentRectBytes = 1024 * 1024;

    // Asks for a paint of `area` (widget pixels): of the whole window when
    // one of its rectangles is larger than kLargestSentRectBytes.
    void requestPaint(const QRegion& area);
    void repaintWindow();
    const Bitmap* sourceBitmap() const; // null without a source
    void paintBackgroundAround(QPainter& painter, const QRect& board, double pixelRatio);
    void paintScreenEdgesAround(QPainter& painter, const QRect& board, const QImage& image);
    void geometryChanged();
    // BackBuffer pixels per logical pixel when the board is drawn one
    // BackBuffer pixel per device pixel and that is a whole number; else 0.
    int exactPixelRatio(const Bitmap& bitmap) const;
    // Between BackBuffer pixels, `ratio` x `ratio` of them per logical pixel,
    // and the widget: the whole logical pixels that cover a BackBuffer area,
    // and the BackBuffer pixels of a widget rectangle clipped to the board.
    QRect inWidget(const Rect& area, int ratio) const;
    Rect inPicture(const QRect& area, int ratio) const;
    void recordPainted(const Bitmap& bitmap, const QRegion& painted, int ratio);
    // The window's own pixels under the board when they hold the
    // BackBuffer's bytes as they are (see the source); else first is null.
    ScreenRows windowRows(const Bitmap& bitmap, int ratio) const;

    PictureSource source_;
    PictureSource background_;
    std::function<bool()> screenShowing_;
    QImage scratch_;     // the converted picture of formats other than Device
    ShownPicture shown_; // what the screen shows of the BackBuffer, or which cells
    QPixmap backgroundTile_;
    bool backgroundStale_ = true;
    std::vector<TextLine> lines_;
    QFont lineFont_;
    MouseHandler down_;
    MouseHandler up_;
    std::function<void()> onGeometry_;
    bool geometryPending_ = false;
    double paintedRatio_ = 0; // device pixel ratio of the last paint
    int level_ = 100;
};

} // namespace kelmar
