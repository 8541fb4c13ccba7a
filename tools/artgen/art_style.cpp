#include "art_style.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace kelmar::art {

QFont glyphFont(int pixelSize, bool bold, bool serif) {
    QFont font(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Hinting would move stems by up to a pixel, which shows at 38 x 54.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void drawCentredText(QPainter& painter, const QString& text, const QFont& font, QPointF centre,
                     const QColor& color) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

QPainterPath starPath(QPointF centre, double outerRadius, double innerRadius, int points) {
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const double radius = i % 2 == 0 ? outerRadius : innerRadius;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / points;
        const QPointF p(centre.x() + radius * std::cos(angle),
                        centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QPainterPath polylinePath(std::span<const QPointF> points) {
    QPainterPath path;
    if (points.empty())
        return path;
    path.moveTo(points.front());
    for (const QPointF& p : points.subspan(1))
        path.lineTo(p);
    return path;
}

QPainterPath polylinePath(std::initializer_list<QPointF> points) {
    return polylinePath(std::span<const QPointF>(points.begin(), points.size()));
}

QPainterPath polygonPath(std::span<const QPointF> points) {
    QPainterPath path = polylinePath(points);
    if (!points.empty())
        path.closeSubpath();
    return path;
}

QPainterPath polygonPath(std::initializer_list<QPointF> points) {
    return polygonPath(std::span<const QPointF>(points.begin(), points.size()));
}

QPainterPath cubicPath(QPointF start, std::initializer_list<CubicSegment> segments) {
    QPainterPath path;
    path.moveTo(start);
    for (const CubicSegment& s : segments)
        path.cubicTo(s.control1, s.control2, s.end);
    return path;
}

void drawPathAt(QPainter& painter, const QPainterPath& path, QPointF origin, double degrees) {
    painter.save();
    painter.translate(origin);
    painter.rotate(degrees);
    painter.drawPath(path);
    painter.restore();
}

} // namespace kelmar::art
