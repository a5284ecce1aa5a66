#include "drawing/KindDrawing.h"

#include "drawing/GraphicDefaults.h"
#include "drawing/PaintStyle.h"
#include "drawing/QBXGraphic.h"
#include "drawing/PictureStore.h"

#include <algorithm>
#include <cmath>

namespace drawing {

QColor withOpacity(const QColor& colour, float opacity)
{
    if (!colour.isValid() || !std::isfinite(opacity))
        return {};
    QColor c = colour;
    c.setAlphaF(std::clamp(opacity, 0.0f, 1.0f));
    return c;
}

void logNotFinite(const QString& what)
{
    logOnce(QStringLiteral("nan:") + what, QStringLiteral("%1 is not a number; it is not drawn.").arg(what));
}

bool usableBounds(const QRectF& bounds, QRectF* out, const QString& what)
{
    if (!std::isfinite(bounds.x()) || !std::isfinite(bounds.y()) || !std::isfinite(bounds.width())
        || !std::isfinite(bounds.height())) {
        logNotFinite(what + QStringLiteral(" bounds"));
        return false;
    }
    *out = bounds.normalized();
    return true;
}

void askRefresh(const DrawingContext& context)
{
    if (context.refreshCanvas)
        context.refreshCanvas();
}

QString resourceFolder()
{
    return graphic_defaults::resourcePath();
}

void strokeFrame(QPainter& painter, const QBXGraphic& graphic, const QRectF& frame)
{
    if (!graphic.isDrawingStroke())
        return;
    const QColor c = withOpacity(graphic._strokeColor, graphic.alpha_val_stroke);
    if (!c.isValid())
        return;
    QPainterPath path;
    path.addRect(frame);
    strokePath(painter, path, c, graphic._strokeWidth, graphic._stroke_border_type);
}

} // namespace drawing
