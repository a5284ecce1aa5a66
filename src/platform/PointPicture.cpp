#include "platform/PointPicture.h"

#include <QPainter>
#include <QRectF>
#include <cmath>

PointPicture PointPicture::fromImage(const QImage& raster, QSizeF points)
{
    PointPicture p;
    p.m_raster = raster;
    p.m_size = points;
    return p;
}

PointPicture PointPicture::fromPicture(const QPicture& vector, QSizeF points)
{
    PointPicture p;
    p.m_vector = vector;
    p.m_hasVector = true;
    p.m_size = points;
    return p;
}

bool PointPicture::isNull() const
{
    if (!(m_size.width() > 0) || !(m_size.height() > 0))
        return true;
    return m_raster.isNull() && !m_hasVector;
}

void PointPicture::draw(QPainter& painter, const QRectF& target) const
{
    if (isNull() || target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (hasRaster()) {
        painter.drawImage(target, m_raster, QRectF(m_raster.rect()));
    } else {
        // Playing a picture moves a read position inside its shared data:
        // a private copy lets threads draw the same picture at once.
        QPicture own;
        own.setData(m_vector.data(), m_vector.size());
        // A picture plays scaled by the device's resolution over its own (a
        // printer at 1200 dpi would draw it many times too large): that
        // scale is taken back, so painter units decide the size everywhere.
        const QPaintDevice* device = painter.device();
        const double rx = device && device->logicalDpiX() > 0 ? double(own.logicalDpiX()) / device->logicalDpiX() : 1;
        const double ry = device && device->logicalDpiY() > 0 ? double(own.logicalDpiY()) / device->logicalDpiY() : 1;
        painter.translate(target.topLeft());
        painter.scale(target.width() / m_size.width() * rx, target.height() / m_size.height() * ry);
        painter.drawPicture(QPointF(0, 0), own);
    }
    painter.restore();
}

QImage PointPicture::toImage(double dpi, QString* reason) const
{
    if (isNull()) {
        if (reason)
            *reason = QStringLiteral("Invalid image");
        return {};
    }
    dpi = platform::clampRasterDpi(dpi);
    QImage out = platform::allocateRaster(platform::pixelsForPoints(m_size.width(), dpi),
                                          platform::pixelsForPoints(m_size.height(), dpi), reason);
    if (out.isNull())
        return out;
    out.fill(Qt::transparent);
    {
        QPainter painter(&out);
        if (!painter.isActive()) {
            if (reason)
                *reason = QStringLiteral("Invalid image");
            return {};
        }
        draw(painter, QRectF(0, 0, out.width(), out.height()));
    }
    out.setDotsPerMeterX(platform::dotsPerMeter(dpi));
    out.setDotsPerMeterY(platform::dotsPerMeter(dpi));
    return out;
}

namespace platform {
double clampRasterDpi(double dpi)
{
    if (std::isnan(dpi) || dpi < kMinRasterDpi)
        return kMinRasterDpi;
    return dpi > kMaxRasterDpi ? kMaxRasterDpi : dpi;
}

qint64 pixelsForPoints(double points, double dpi)
{
    const float q = float(dpi * points / 72.0);
    if (!(q > 0))
        return 0;
    if (q > 1e12f)
        return qint64(1e12);
    return qint64(std::ceil(q));
}

QImage allocateRaster(qint64 w, qint64 h, QString* reason)
{
    if (w <= 0 || h <= 0 || w > kMaxRasterBytes / 4 || h > kMaxRasterBytes / 4
        || w * h * 4 > kMaxRasterBytes) {
        if (reason)
            *reason = QStringLiteral("Invalid image");
        return {};
    }
    QImage img(int(w), int(h), QImage::Format_ARGB32_Premultiplied);
    if (img.isNull() && reason)
        *reason = QStringLiteral("Invalid image");
    return img;
}

int dotsPerMeter(double dpi) { return int(std::lround(dpi / 0.0254)); }
}
