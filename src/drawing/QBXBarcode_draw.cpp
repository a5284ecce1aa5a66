// Drawing of the barcode kind.
#include "drawing/QBXBarcode.h"

#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"

#include "platform/rects.h"

#include <QDir>
#include <QPainter>
#include <cmath>

using namespace drawing;

namespace {
QString samplePath()
{
    return QDir(resourceFolder()).filePath(QStringLiteral("barcode_sample.png"));
}
} // namespace

std::shared_ptr<QBXBarcode> QBXBarcode::initWithPosition(const QPointF& centre)
{
    auto g = std::make_shared<QBXBarcode>();
    g->barcode_image_var_assign();
    const QSizeF s = g->_contents.pointSize();
    g->setBounds(QRectF(centre.x() - s.width() / 2, centre.y() - s.height() / 2, s.width(), s.height()));
    return g;
}

void QBXBarcode::barcode_image_var_assign()
{
    _contents = storedPicture();
}

platform::StoredPicture QBXBarcode::storedPicture() const
{
    if (!_barcode_image.isNull())
        return _barcode_image;
    return platform::StoredPicture::fromFile(samplePath());
}

platform::StoredPicture QBXBarcode::pictureShown() const
{
    return row_picture.isNull() ? storedPicture() : platform::StoredPicture();
}

QSize QBXBarcode::picturePixelsNeeded(double pixelsPerPoint) const
{
    return pixelsNeeded(storedPicture().pointSize(), pixelsPerPoint);
}

PicturePtr QBXBarcode::pictureForDrawing(double pixelsPerPoint) const
{
    return pictureFor(storedPicture(), picturePixelsNeeded(pixelsPerPoint));
}

QRectF QBXBarcode::pictureRect() const
{
    const QRectF b = bounds().normalized();
    if (!std::isfinite(b.x()) || !std::isfinite(b.y()))
        return {};
    QSizeF size;
    if (!row_picture.isNull())
        size = row_picture.size();
    else
        size = storedPicture().pointSize();
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.isEmpty())
        return {};
    return QRectF(b.topLeft(), size);
}

QRectF QBXBarcode::drawingBounds() const
{
    const QRectF base = QBXGraphic::drawingBounds();
    const QRectF picture = pictureRect();
    // One point around the picture holds its smoothed edge pixels.
    return picture.isEmpty() ? base : platform::rectUnion(base, picture.adjusted(-1, -1, 1, 1));
}

bool QBXBarcode::isContentsUnderPoint(const QPointF& point) const
{
    return QBXGraphic::isContentsUnderPoint(point) || platform::pointInRect(point, pictureRect());
}

bool QBXBarcode::canMakeNaturalSize() const
{
    const QRectF picture = pictureRect();
    return !picture.isEmpty() && picture.size() != bounds().normalized().size();
}

void QBXBarcode::makeNaturalSize()
{
    if (ctrl_is_locked)
        return;
    const QRectF picture = pictureRect();
    if (!picture.isEmpty())
        setBounds(picture);
}

void QBXBarcode::drawContentsInView(QPainter* painter, const DrawingContext& context, bool)
{
    if (!ctrl_is_visible || !painter)
        return;
    QRectF b;
    if (!usableBounds(bounds(), &b, QStringLiteral("Barcode")))
        return;
    if (!row_picture.isNull()) {
        painter->save();
        // Images inside the picture (2-D symbols) stay lossless in a PDF.
        painter->setRenderHint(QPainter::LosslessImageRendering, true);
        // From the frame's corner moved back onto the device's pixel grid
        // (never out of the frame's pixels), so the modules the run laid on
        // whole pixels land on them.
        QPointF corner = b.topLeft();
        const QTransform device = painter->deviceTransform();
        if (device.type() <= QTransform::TxScale && device.isInvertible()) {
            const QPointF at = device.map(corner);
            corner = device.inverted().map(QPointF(std::floor(at.x() + 1e-6), std::floor(at.y() + 1e-6)));
            // Nothing reaches the pixels the frame (where one is known) only
            // partly covers: a glyph's smoothed edge at the picture's side.
            if (const QSizeF size = storedPicture().pointSize(); !size.isEmpty()) {
                const QRectF frame = device.mapRect(QRectF(b.topLeft(), size));
                const QRectF whole(QPointF(std::ceil(frame.left() - 1e-6), std::ceil(frame.top() - 1e-6)),
                                   QPointF(std::floor(frame.right() + 1e-6), std::floor(frame.bottom() + 1e-6)));
                if (whole.isValid())
                    painter->setClipRect(device.inverted().mapRect(whole), Qt::IntersectClip);
            }
        }
        row_picture.draw(*painter, QRectF(corner, row_picture.size()));
        painter->restore();
    } else if (const PicturePtr pic = pictureForDrawing(pictureScale(*painter))) {
        // At the picture's own size in points (its designer's dpi), top left
        // on the bounds' top left; the bounds do not scale it, and the
        // drawing bounds every surface clips to hold it whole.
        painter->save();
        // Bars stay crisp when enlarged; reductions are smoothed.
        const bool reducing = deviceScale(*painter) * pic->pointSize.width() < pic->image.width() - 0.5;
        painter->setRenderHint(QPainter::SmoothPixmapTransform, reducing);
        // Bars never go into a PDF as a lossy (JPEG) image.
        painter->setRenderHint(QPainter::LosslessImageRendering, true);
        painter->drawImage(QRectF(b.topLeft(), pic->pointSize), pic->image);
        painter->restore();
    }
    askRefresh(context);
}
