// Geometry, drawing and hit testing of the line kind.
#include "drawing/QBXLine.h"

#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"
#include "platform/rects.h"

#include <QPainter>
#include <cmath>

using namespace drawing;

namespace {
const QString kBegin = QStringLiteral("beginPoint");
const QString kEnd = QStringLiteral("endPoint");
}

QRectF QBXLine::boundsWithBeginPoint(const QPointF& begin, const QPointF& end, bool* pointsRight, bool* pointsDown)
{
    if (pointsRight)
        *pointsRight = end.x() > begin.x();
    if (pointsDown)
        *pointsDown = end.y() > begin.y();
    return QRectF(std::min(begin.x(), end.x()), std::min(begin.y(), end.y()), std::abs(end.x() - begin.x()),
                  std::abs(end.y() - begin.y()));
}

QPointF QBXLine::beginPoint() const
{
    const QRectF b = bounds();
    return {_pointsRight ? b.x() : b.x() + b.width(), _pointsDown ? b.y() : b.y() + b.height()};
}

QPointF QBXLine::endPoint() const
{
    const QRectF b = bounds();
    return {_pointsRight ? b.x() + b.width() : b.x(), _pointsDown ? b.y() + b.height() : b.y()};
}

// Through keyed access: flags and bounds change under one notice.
void QBXLine::setBeginPoint(const QPointF& point)
{
    setValueForKey(kBegin, point);
}

void QBXLine::setEndPoint(const QPointF& point)
{
    setValueForKey(kEnd, point);
}

QPainterPath QBXLine::bezierPathForDrawing() const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.moveTo(beginPoint());
    path.lineTo(endPoint());
    return path;
}

void QBXLine::drawContentsInView(QPainter* painter, const DrawingContext& context, bool)
{
    if (!ctrl_is_visible || !painter)
        return;
    QRectF b;
    if (!usableBounds(bounds(), &b, QStringLiteral("Line")))
        return;
    static const Qt::PenCapStyle caps[] = {Qt::FlatCap, Qt::RoundCap, Qt::SquareCap};
    const Qt::PenCapStyle cap = _line_cap_style >= 0 && _line_cap_style <= 2 ? caps[_line_cap_style] : Qt::FlatCap;
    const QColor c = withOpacity(_strokeColor, alpha_val_stroke);
    if (c.isValid())
        strokePath(*painter, bezierPathForDrawing(), c, _strokeWidth, _stroke_border_type, cap);
    askRefresh(context);
}

void QBXLine::drawHandlesInView(QPainter* painter, const DrawingContext& context, bool lock_hai)
{
    drawHandleInView(painter, context, beginPoint(), lock_hai);
    drawHandleInView(painter, context, endPoint(), lock_hai);
}

bool QBXLine::isContentsUnderPoint(const QPointF& p) const
{
    const double d = _strokeWidth / 2.0 + 2.0;
    if (!std::isfinite(d))
        return false;
    QRectF area = bounds();
    // A level or upright line has no extent across: grow it by the distance.
    if (area.width() <= 0)
        area.adjust(-d, 0, d, 0);
    if (area.height() <= 0)
        area.adjust(0, -d, 0, d);
    if (!platform::pointInRect(p, area))
        return false;
    const QPointF b = beginPoint(), e = endPoint();
    const double dx = e.x() - b.x(), dy = e.y() - b.y();
    const double len = std::hypot(dx, dy);
    if (len == 0)
        return std::hypot(p.x() - b.x(), p.y() - b.y()) <= d;
    // Distance at right angles to the (extended) line.
    const double dist = std::abs(dx * (p.y() - b.y()) - dy * (p.x() - b.x())) / len;
    return dist <= d;
}

int QBXLine::handleUnderPoint(const QPointF& point) const
{
    if (isHandleAtPoint(beginPoint(), point))
        return 1;
    if (isHandleAtPoint(endPoint(), point))
        return 2;
    return 0;
}

int QBXLine::resizeByMovingHandle(int handle, const QPointF& point)
{
    if (handle == 1)
        setBeginPoint(point);
    else if (handle == 2)
        setEndPoint(point);
    return handle;
}

void QBXLine::setColor(const QColor& color)
{
    setValueForKey(QBXGraphicStrokeColorKey, color);
}
