#include "app/board_field.h"

#include "core/zoom.h"
#include "render/display_image.h"
#include "render/text.h"

#include <QBackingStore>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace kelmar {

namespace {
constexpr int kBoardWidth = 640;
constexpr int kBoardHeight = 480;

// a mod b for b > 0, never negative.
double positiveModulo(double a, double b) {
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}
} // namespace

TField::TField(QWidget* parent) : QWidget(parent), lineFont_(MakeFont(LogoLineFontStyle())) {
    setObjectName(QStringLiteral("Field"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(ScaleLength(kBoardWidth, kMinScale), ScaleLength(kBoardHeight, kMinScale));
    resize(kBoardWidth, kBoardHeight);
}

void TField::setMouseHandlers(MouseHandler down, MouseHandler up) {
    down_ = std::move(down);
    up_ = std::move(up);
}

void TField::setPictureSource(PictureSource source) {
    source_ = std::move(source);
}

void TField::setBackgroundSource(PictureSource source) {
    background_ = std::move(source);
    backgroundChanged();
}

void TField::backgroundChanged() {
    backgroundStale_ = true;
    backgroundTile_ = QPixmap();
    requestPaint(rect());
}

void TField::setScreenSource(std::function<bool()> showing) {
    screenShowing_ = std::move(showing);
}

void TField::setGeometryHandler(std::function<void()> handler) {
    onGeometry_ = std::move(handler);
}

// Asks for a paint of only the parts of the board that differ from what the
// screen shows: on the X server without shared memory every painted pixel
// travels through the socket, and a move changes a few tiles of the board.
void TField::present() {
    const bool hadLines = !lines_.empty();
    lines_.clear();
    const Bitmap* bitmap = sourceBitmap();
    const int ratio = bitmap != nullptr ? exactPixelRatio(*bitmap) : 0;
    if (hadLines || ratio == 0) {
        requestPaint(rect());
        return;
    }
    const ScreenRows screen = windowRows(*bitmap, ratio);
    QRegion changed;
    for (const Rect& area : screen.first != nullptr ? shown_.changedAreas(*bitmap, screen)
                                                    : shown_.changedAreas(*bitmap)) {
        changed += inWidget(area, ratio);
    }
    if (!changed.isEmpty()) {
        requestPaint(changed);
    }
}

// On an X server without shared memory (see main.cpp) Qt sends every
// painted rectangle that is not the whole window through a copy of its
// pixels in a buffer that it keeps, at the size of the largest rectangle
// ever sent: one paint of the whole field at full screen would hold 8 MB
// for the rest of the run. The whole window it sends from its own pixels,
// without a copy. So a large area repaints the whole window as well (the
// menu, tool and status bars cost little beside the board), while moves,
// hints and the clock still send only their few small rectangles.
// Every visible widget of the window, the window itself included: the
// window's own update leaves out its children, and a child that is not
// repainted leaves a hole in what is sent.
void TField::repaintWindow() {
    QWidget* top = window();
    top->update();
    for (QWidget* child : top->findChildren<QWidget*>()) {
        if (child->window() == top && child->isVisible()) {
            child->update();
        }
    }
}

void TField::requestPaint(const QRegion& area) {
    update(area);
    const double ratio = devicePixelRatioF();
    const double largest = kLargestSentRectBytes / (4 * ratio * ratio); // logical pixels
    for (const QRect& part : area) {
        if (double(part.width()) * part.height() > largest) {
            repaintWindow();
            return;
        }
    }
}

int TField::exactPixelRatio(const Bitmap& bitmap) const {
    const QRect board = boardRect();
    if (bitmap.isEmpty() || board.width() == 0 || bitmap.width() % board.width() != 0 ||
        bitmap.height() != bitmap.width() / board.width() * board.height()) {
        return 0;
    }
    const int ratio = bitmap.width() / board.width();
    return std::abs(ratio - devicePixelRatioF()) < 1e-9 ? ratio : 0;
}

void TField::setBoardLevel(int percent) {
    percent = ClampScale(percent);
    if (percent != level_) {
        level_ = percent;
        requestPaint(rect());
    }
}

QRect TField::boardRect() const {
    const int w = ScaleLength(kBoardWidth, level_);
    const int h = ScaleLength(kBoardHeight, level_);
    return {std::max(0, (width() - w) / 2), std::max(0, (height() - h) / 2), w, h};
}

QPoint TField::toBoard(QPointF at) const {
    const QRect board = boardRect();
    const auto x = static_cast<int32_t>(std::floor(at.x())) - board.left();
    const auto y = static_cast<int32_t>(std::floor(at.y())) - board.top();
    return {UnscaleLength(x, level_), UnscaleLength(y, level_)};
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
    requestPaint(rect());
}

// The background repeated with one copy's corner on the board's corner, so
// that it runs on from the board's own background without a seam.
void TField::paintBackgroundAround(QPainter& painter, const QRect& board, double pixelRatio) {
    if (backgroundStale_) {
        backgroundStale_ = false;
        const Bitmap* tile = background_ ? background_() : nullptr;
        if (tile != nullptr && !tile->isEmpty()) {
            backgroundTile_ = QPixmap::fromImage(BitmapToImage(*tile));
        }
    }
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(board)));
    if (backgroundTile_.isNull()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        backgroundTile_.setDevicePixelRatio(pixelRatio);
        const QSizeF tile = backgroundTile_.deviceIndependentSize();
        painter.drawTiledPixmap(rect(), backgroundTile_,
                                QPointF(positiveModulo(-board.left(), tile.width()),
                                        positiveModulo(-board.top(), tile.height())));
    }
    painter.restore();
}

void TField::paintEvent(QPaintEvent* event) {
    if (paintedRatio_ != devicePixelRatioF()) {
        if (paintedRatio_ != 0) {
            geometryChanged(); // moved to a screen of another pixel ratio
        }
        paintedRatio_ = devicePixelRatioF();
    }
    QPainter painter(this);
    const QRect board = boardRect();
    const Bitmap* bitmap = sourceBitmap();
    if (bitmap == nullptr || bitmap->isEmpty()) {
        shown_.forget();
        painter.fillRect(rect(), Qt::black);
    } else {
        // BackBuffer pixels per logical pixel of the board.
        const double pixelRatio = double(bitmap->width()) / board.width();
        const bool onePixelPerDevicePixel = std::abs(pixelRatio - devicePixelRatioF()) < 1e-9;
        if (onePixelPerDevicePixel) {
            // Given to the scratch picture while nothing shares it: the image
            // below shares its pixels and would copy them all to change it.
            scratch_.setDevicePixelRatio(pixelRatio);
        }
        // A board drawn pixel for pixel needs only its painted part
        // converted; a screen continued around the board needs its edges.
        const bool screenAround = board != rect() && screenShowing_ && screenShowing_();
        const int ratio = exactPixelRatio(*bitmap);
        QImage image =
            ratio != 0 && !screenAround
                ? DisplayImage(*bitmap, scratch_, inPicture(event->region().boundingRect(), ratio))
                : DisplayImage(*bitmap, scratch_);
        if (screenAround) {
            paintScreenEdgesAround(painter, board, image);
        } else if (board != rect()) {
            paintBackgroundAround(painter, board, pixelRatio);
        }
        if (onePixelPerDevicePixel) {
            image.setDevicePixelRatio(pixelRatio); // one pixel per device pixel
            painter.drawImage(board.topLeft(), image);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(board), image);
        }
        recordPainted(*bitmap, event->region(), ratio);
    }
    if (!lines_.empty()) {
        painter.translate(board.topLeft());
        if (level_ != 100) {
            painter.scale(level_ / 100.0, level_ / 100.0);
        }
        painter.setFont(lineFont_);
        for (const TextLine& line : lines_) {
            painter.setPen(line.color);
            painter.drawText(QRect(line.x, line.y, kBoardWidth, kBoardHeight),
                             Qt::AlignLeft | Qt::AlignTop, line.text);
        }
    }
}

// A logo, pause or about screen has no felt around it: its outermost
// columns and rows are drawn on to the widget's edges, so the screen's sky
// fills the whole surface and shows no box.
void TField::paintScreenEdgesAround(QPainter& painter, const QRect& board, const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    const QRect all = rect();
    const int left = board.left();
    const int top = board.top();
    const int right = board.left() + board.width();
    const int bottom = board.top() + board.height();
    struct Band {
        QRect target;
        QRect source; // picture pixels, stretched over the target
    };
    const Band bands[] = {
        {QRect(0, top, left, board.height()), QRect(0, 0, 1, h)},
        {QRect(right, top, all.width() - right, board.height()), QRect(w - 1, 0, 1, h)},
        {QRect(left, 0, board.width(), top), QRect(0, 0, w, 1)},
        {QRect(left, bottom, board.width(), all.height() - bottom), QRect(0, h - 1, w, 1)},
        {QRect(0, 0, left, top), QRect(0, 0, 1, 1)},
        {QRect(right, 0, all.width() - right, top), QRect(w - 1, 0, 1, 1)},
        {QRect(0, bottom, left, all.height() - bottom), QRect(0, h - 1, 1, 1)},
        {QRect(right, bottom, all.width() - right, all.height() - bottom),
         QRect(w - 1, h - 1, 1, 1)},
    };
    for (const Band& band : bands) {
        if (!band.target.isEmpty()) {
            painter.drawImage(band.target, image, band.source);
        }
    }
}

QRect TField::inWidget(const Rect& area, int ratio) const {
    const QPoint corner = boardRect().topLeft();
    const int left = area.Left / ratio;
    const int top = area.Top / ratio;
    return {corner.x() + left, corner.y() + top, (area.Right + ratio - 1) / ratio - left,
            (area.Bottom + ratio - 1) / ratio - top};
}

Rect TField::inPicture(const QRect& area, int ratio) const {
    const QRect board = boardRect();
    const QRect inBoard = (area & board).translated(-board.topLeft());
    if (inBoard.isEmpty()) {
        return {};
    }
    return {inBoard.left() * ratio, inBoard.top() * ratio, (inBoard.right() + 1) * ratio,
            (inBoard.bottom() + 1) * ratio};
}

// Notes which BackBuffer pixels this paint put on the screen. Only a board
// drawn pixel for pixel (ratio > 0) is recorded exactly; a scaled one is not
// recorded at all, so its next present paints it whole.
void TField::recordPainted(const Bitmap& bitmap, const QRegion& painted, int ratio) {
    if (ratio == 0) {
        shown_.forget();
        return;
    }
    const bool onWindow = windowRows(bitmap, ratio).first != nullptr;
    for (const QRect& area : painted) {
        if (onWindow) {
            shown_.recordShown(bitmap, inPicture(area, ratio));
        } else {
            shown_.record(bitmap, inPicture(area, ratio));
        }
    }
}

// A Device BackBuffer drawn pixel for pixel into a window image of 32-bit
// pixels arrives there byte for byte (its X bytes are 0xFF, so even a window
// with alpha keeps them): the window's pixels are then exactly what the
// screen shows of the board, and keeping a copy of them would only cost
// memory (5.5 MB for a full-screen board on 1920 x 1080). Other formats are
// converted on the way and keep their own copy.
ScreenRows TField::windowRows(const Bitmap& bitmap, int ratio) const {
    if (ratio == 0 || bitmap.format() != PixelFormatSetting::Device) {
        return {};
    }
    QBackingStore* store = backingStore();
    QPaintDevice* device = store != nullptr ? store->paintDevice() : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) {
        return {};
    }
    const auto* image = static_cast<const QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return {};
    }
    const QPoint corner = mapTo(window(), boardRect().topLeft()) * ratio;
    if (corner.x() < 0 || corner.y() < 0 || corner.x() + bitmap.width() > image->width() ||
        corner.y() + bitmap.height() > image->height()) {
        return {};
    }
    return {image->constScanLine(corner.y()) + std::ptrdiff_t{corner.x()} * 4,
            image->bytesPerLine()};
}

void TField::resizeEvent(QResizeEvent*) {
    geometryChanged();
}

// Reported from the event loop, never from inside a paint or a resize.
void TField::geometryChanged() {
    if (!onGeometry_ || geometryPending_) {
        return;
    }
    geometryPending_ = true;
    QTimer::singleShot(0, this, [this] {
        geometryPending_ = false;
        if (onGeometry_) {
            onGeometry_();
        }
    });
}

void TField::mousePressEvent(QMouseEvent* event) {
    if (down_) {
        const QPoint at = toBoard(event->position());
        down_(event->button(), at.x(), at.y());
    }
}

void TField::mouseReleaseEvent(QMouseEvent* event) {
    if (up_) {
        const QPoint at = toBoard(event->position());
        up_(event->button(), at.x(), at.y());
    }
}

// Qt sends the second press of a double click as a double-click event; the
// board counts it as an ordinary press.
void TField::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace kelmar
