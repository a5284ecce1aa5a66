#pragma once
// A picture with an explicit size in points (1/72 inch): either a vector
// recording (QPicture) or a raster (QImage) whose pixel count is independent
// of its point size. Barcode pictures travel between threads in this form;
// it never touches QPixmap, so any thread may draw or rasterise it.
#include <QImage>
#include <QPicture>
#include <QSizeF>
#include <QString>

class QPainter;
class QRectF;

class PointPicture {
public:
    PointPicture() = default;
    static PointPicture fromImage(const QImage& raster, QSizeF points);
    static PointPicture fromPicture(const QPicture& vector, QSizeF points);

    // No content, or a size with no area.
    bool isNull() const;
    QSizeF size() const { return m_size; }
    // Changes the point size only; the content is stretched to it when drawn.
    void setSize(QSizeF points) { m_size = points; }

    bool hasRaster() const { return !m_raster.isNull(); }
    const QImage& raster() const { return m_raster; }
    bool hasVector() const { return m_hasVector; }
    const QPicture& vector() const { return m_vector; }

    // Draws the whole picture into target (painter units), without smoothing.
    void draw(QPainter& painter, const QRectF& target) const;
    // A raster of the picture at dpi dots per inch; a null image when the
    // picture is null or the raster would break the budget (reason set).
    QImage toImage(double dpi, QString* reason = nullptr) const;

private:
    QSizeF m_size;
    QImage m_raster;
    QPicture m_vector;
    bool m_hasVector = false;
};

namespace platform {
// Rasters larger than this many bytes are refused rather than allocated.
constexpr qint64 kMaxRasterBytes = qint64(1) << 28;
// Lowest and highest resolution a raster is made at.
constexpr double kMinRasterDpi = 72.0;
constexpr double kMaxRasterDpi = 2400.0;
// dpi clamped into [kMinRasterDpi, kMaxRasterDpi]; NaN gives the lowest.
double clampRasterDpi(double dpi);
// Pixels for a length in points at dpi: ceil(points * dpi / 72), narrowed to
// single precision first as the picture code always did.
qint64 pixelsForPoints(double points, double dpi);
// An ARGB32 raster of w x h, or a null image (reason set) when w or h is not
// positive, the byte budget is exceeded or memory runs out.
QImage allocateRaster(qint64 w, qint64 h, QString* reason);
// Dots per meter for a resolution in dots per inch.
int dotsPerMeter(double dpi);
}
