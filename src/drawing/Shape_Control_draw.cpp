// Outlines, drawing and hit testing of the shape kind.
#include "drawing/Shape_Control.h"

#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"
#include "drawing/PictureStore.h"

#include <QPainter>
#include <cmath>

using namespace drawing;

namespace {

QRectF shapeRect(const QRectF& bounds)
{
    QRectF r;
    return usableBounds(bounds, &r, QStringLiteral("Shape")) ? r : QRectF();
}

QPainterPath closedPolygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    bool first = true;
    for (const QPointF& pt : points) {
        // Vertices are held in single precision.
        const QPointF f(float(pt.x()), float(pt.y()));
        if (first)
            path.moveTo(f);
        else
            path.lineTo(f);
        first = false;
    }
    path.closeSubpath();
    return path;
}

QPainterPath emptyPath()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    return path;
}

int starPoints(const QString& type, int variant)
{
    static const int doubleStar[] = {7, 9, 11, 13, 15};
    static const int polygon[] = {8, 10, 12, 14, 16};
    const int* table = type == QLatin1String("DS") ? doubleStar : polygon;
    return variant >= 1 && variant <= 5 ? table[variant - 1] : variant;
}

} // namespace

QPainterPath Shape_Control::Rectangle_path() const
{
    QPainterPath path = emptyPath();
    path.addRect(shapeRect(bounds()));
    return path;
}

QPainterPath Shape_Control::Circle_path() const
{
    QPainterPath path = emptyPath();
    path.addEllipse(shapeRect(bounds()));
    return path;
}

QPainterPath Shape_Control::Rounded_Rectangle_path() const
{
    const QRectF r = shapeRect(bounds());
    double radius = cor_rad_val_val;
    if (!std::isfinite(radius)) {
        logNotFinite(QStringLiteral("Corner radius"));
        return emptyPath();
    }
    radius = std::max(0.0, radius);
    // Each radius is limited to half the side it bends.
    const double rx = std::min(radius, r.width() / 2), ry = std::min(radius, r.height() / 2);
    QPainterPath path = emptyPath();
    path.addRoundedRect(r, rx, ry);
    return path;
}

QPainterPath Shape_Control::Triangle_path() const
{
    const QRectF r = shapeRect(bounds());
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    return closedPolygon({{x, y + h}, {x + w / 2, y}, {x + w, y + h}});
}

QPainterPath Shape_Control::Diamond_path() const
{
    const QRectF r = shapeRect(bounds());
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    return closedPolygon({{x, y + h / 2}, {x + w / 2, y}, {x + w, y + h / 2}, {x + w / 2, y + h}});
}

QPainterPath Shape_Control::Custom_Polygon() const
{
    const QRectF r = shapeRect(bounds());
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    return closedPolygon({{x, y}, {x + w / 2, y + h / 4}, {x + w, y}, {x + 3 * w / 4, y + h / 2}, {x + w, y + h},
                          {x + w / 2, y + 3 * h / 4}, {x, y + h}, {x + w / 4, y + h / 2}});
}

QPainterPath Shape_Control::Polygon_With_Diffrent_Sides(int n) const
{
    if (n <= 0)
        return emptyPath();
    if (n > kMaxStarPoints) {
        logOnce(QStringLiteral("star:%1").arg(n),
                QStringLiteral("A shape of %1 points is not drawn (at most %2).").arg(n).arg(kMaxStarPoints));
        return emptyPath();
    }
    const QRectF r = shapeRect(bounds());
    const float cx = float(r.x() + r.width() / 2), cy = float(r.y() + r.height() / 2);
    const float rx = float(r.width() / 2), ry = float(r.height() / 2);
    const double start = -1.5707963267948966, step = 12.566370614359172 / n;
    QPainterPath path = emptyPath();
    for (int k = 0; k < n; ++k) {
        const double a = start + k * step;
        const QPointF pt(float(cx + rx * std::cos(a)), float(cy + ry * std::sin(a)));
        if (k == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath Shape_Control::bezierPathForDrawing() const
{
    QRectF r;
    if (!usableBounds(bounds(), &r, QStringLiteral("Shape")))
        return emptyPath();
    const QString& t = _shape_type;
    if (t == QLatin1String("R"))
        return Rectangle_path();
    if (t == QLatin1String("C"))
        return Circle_path();
    if (t == QLatin1String("RR"))
        return Rounded_Rectangle_path();
    if (t == QLatin1String("T"))
        return Triangle_path();
    if (t == QLatin1String("D"))
        return Diamond_path();
    if (t == QLatin1String("S"))
        return Polygon_With_Diffrent_Sides(5);
    if (t == QLatin1String("DS"))
        return Polygon_With_Diffrent_Sides(starPoints(t, double_star_type));
    if (t == QLatin1String("P")) {
        const int n = starPoints(t, polygon_type);
        return n == 8 ? Custom_Polygon() : Polygon_With_Diffrent_Sides(n);
    }
    return emptyPath();
}

bool Shape_Control::isContentsUnderPoint(const QPointF& point) const
{
    return bezierPathForDrawing().contains(point);
}

void Shape_Control::drawContentsInView(QPainter* painter, const DrawingContext& context, bool)
{
    if (!ctrl_is_visible || !painter)
        return;
    const QPainterPath path = bezierPathForDrawing();
    if (isDrawingFill()) {
        if (_fill_type == QLatin1String("G")) {
            fillGradient(*painter, path, withOpacity(_fill_Grad_clr1, alpha_val), withOpacity(_fill_Grad_clr2, alpha_val),
                         _fill_grad_angle);
        } else if (_fill_type == QLatin1String("H")) {
            fillHatch(*painter, path, withOpacity(_fill_htch_clr, alpha_val), resourceFolder(), _fill_hatch_type);
        } else {
            const QColor c = withOpacity(_fillColor, alpha_val);
            if (c.isValid())
                painter->fillPath(path, c);
        }
    }
    if (isDrawingStroke()) {
        const QColor c = withOpacity(_strokeColor, alpha_val_stroke);
        if (c.isValid())
            strokePath(*painter, path, c, _strokeWidth, _stroke_border_type);
    }
    askRefresh(context);
}
