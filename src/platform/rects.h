#pragma once
// Rectangle rules of the drawing layer, which differ from QRectF's:
// - a point is inside from the low edges up to, but not on, the high edges;
// - a union skips rects whose width or height is zero or less;
// - a rect of zero width or height intersects nothing.
#include <QPointF>
#include <QRectF>

#include <algorithm>

namespace platform {

inline bool rectIsEmpty(const QRectF& r)
{
    return !(r.width() > 0.0) || !(r.height() > 0.0);
}

inline bool pointInRect(const QPointF& p, const QRectF& r)
{
    return p.x() >= r.x() && p.x() < r.x() + r.width() && p.y() >= r.y() && p.y() < r.y() + r.height();
}

inline QRectF rectUnion(const QRectF& a, const QRectF& b)
{
    if (rectIsEmpty(b))
        return a;
    if (rectIsEmpty(a))
        return b;
    const double x0 = std::min(a.x(), b.x());
    const double y0 = std::min(a.y(), b.y());
    const double x1 = std::max(a.x() + a.width(), b.x() + b.width());
    const double y1 = std::max(a.y() + a.height(), b.y() + b.height());
    return QRectF(x0, y0, x1 - x0, y1 - y0);
}

inline bool rectsIntersect(const QRectF& a, const QRectF& b)
{
    if (rectIsEmpty(a) || rectIsEmpty(b))
        return false;
    return a.x() < b.x() + b.width() && b.x() < a.x() + a.width() && a.y() < b.y() + b.height()
        && b.y() < a.y() + a.height();
}

// Grows (or with a negative d shrinks) a rect by d on every side.
inline QRectF insetRect(const QRectF& r, double d)
{
    return QRectF(r.x() + d, r.y() + d, r.width() - 2 * d, r.height() - 2 * d);
}

} // namespace platform
