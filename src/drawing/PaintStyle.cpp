#include "drawing/PaintStyle.h"

#include "drawing/PictureStore.h"

#include <QBrush>
#include <QDir>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace drawing {

QVector<qreal> dashPatternPoints(const QString& code)
{
    if (code == QLatin1String("DA"))
        return {8, 2};
    if (code == QLatin1String("DO"))
        return {4, 6};
    if (code == QLatin1String("DD"))
        return {24, 10, 6, 10};
    if (code == QLatin1String("DDD"))
        return {24, 8, 8, 8, 8, 8};
    return {};
}

double deviceScale(const QPainter& painter)
{
    const QTransform t = painter.deviceTransform();
    const double s = std::sqrt(std::abs(t.determinant()));
    return s > 0 && std::isfinite(s) ? s : 1.0;
}

double picturePixelsPerPoint(double devicePixelsPerPoint, bool vector)
{
    double s = std::isfinite(devicePixelsPerPoint) && devicePixelsPerPoint > 0 ? devicePixelsPerPoint
                                                                              : kMaxOutputDpi / 72.0;
    if (vector)
        s = std::max(s, 300.0 / 72.0);
    return std::min(s, kMaxOutputDpi / 72.0);
}

double pictureScale(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return picturePixelsPerPoint(deviceScale(painter), engine && engine->type() != QPaintEngine::Raster);
}

QPen strokePen(const QPainter& painter, const QColor& colour, double width, const QString& code,
               Qt::PenCapStyle cap)
{
    // A zero width is a hairline: one device pixel, measured here in points so
    // its dashes can stay in points.
    const double w = width > 0 ? width : 1.0 / deviceScale(painter);
    QPen pen(QBrush(colour), w, Qt::SolidLine, cap, Qt::MiterJoin);
    pen.setMiterLimit(10.0);
    pen.setCosmetic(false);
    QVector<qreal> dashes = dashPatternPoints(code);
    if (!dashes.isEmpty()) {
        for (qreal& d : dashes)
            d /= w;
        pen.setDashPattern(dashes);
        pen.setDashOffset(0);
    }
    return pen;
}

void strokePath(QPainter& painter, const QPainterPath& path, const QColor& colour, double width,
                const QString& code, Qt::PenCapStyle cap)
{
    if (!std::isfinite(width) || width < 0) {
        logOnce(QStringLiteral("stroke-width"), QStringLiteral("A line width that is not a number or negative is not drawn."));
        return;
    }
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(strokePen(painter, colour, width, code, cap));
    painter.drawPath(path);
    painter.restore();
}

void fillGradient(QPainter& painter, const QPainterPath& path, const QColor& from, const QColor& to,
                  double angleDegrees)
{
    if (!std::isfinite(angleDegrees)) {
        logOnce(QStringLiteral("gradient-angle"), QStringLiteral("A gradient angle that is not a number is not drawn."));
        return;
    }
    if (!from.isValid() || !to.isValid())
        return;
    const QRectF r = path.boundingRect();
    const double a = angleDegrees * M_PI / 180.0;
    const double dx = std::cos(a), dy = std::sin(a);
    // Half the extent of the bounds along the direction: the colours sit at
    // the corners that project furthest back and forward.
    const double half = (r.width() * std::abs(dx) + r.height() * std::abs(dy)) / 2.0;
    const QPointF c = r.center();
    QLinearGradient g(c - QPointF(dx * half, dy * half), c + QPointF(dx * half, dy * half));
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    painter.fillPath(path, QBrush(g));
}

QImage hatchTile(const QString& resourceFolder, const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QLatin1String(".."))) {
        if (!name.isEmpty())
            logOnce(QStringLiteral("hatch:") + name, QStringLiteral("The hatch pattern name \"%1\" is not read.").arg(name));
        return {};
    }
    const QString path = QDir(resourceFolder).filePath(QStringLiteral("Fill_Style_Image/") + name + QStringLiteral(".png"));
    PicturePtr pic = loadPicture(path);
    return pic ? pic->image : QImage();
}

void fillHatch(QPainter& painter, const QPainterPath& path, const QColor& background,
               const QString& resourceFolder, const QString& name)
{
    if (background.isValid())
        painter.fillPath(path, background);
    const QImage tile = hatchTile(resourceFolder, name);
    if (tile.isNull())
        return;
    QBrush brush(tile);
    const QSizeF pt = pointSizeOf(tile);
    brush.setTransform(QTransform::fromScale(pt.width() / tile.width(), pt.height() / tile.height()));
    painter.fillPath(path, brush);
}

} // namespace drawing
