// Creation, sizing and drawing of the picture kind.
#include "drawing/QBXImage.h"

#include "drawing/ImageProcesser.h"
#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"

#include <QPainter>
#include <cmath>

using namespace drawing;

namespace {
QRectF centredOn(const QPointF& centre, QSizeF size)
{
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}
} // namespace

std::shared_ptr<QBXImage> QBXImage::initWithPath(const QPointF& centre, const QString& path)
{
    auto g = std::make_shared<QBXImage>();
    g->setFilePath(path);
    // Creation uses the picture's full size; only the natural-size command caps it.
    g->setBounds(centredOn(centre, g->storedPicture().pointSize()));
    return g;
}

std::shared_ptr<QBXImage> QBXImage::initWithPosition(const QPointF& centre, const QImage& contents, const QString& path)
{
    auto g = std::make_shared<QBXImage>();
    g->_contents = contents;
    g->Set_Control_File_path(path);
    g->setBounds(centredOn(centre, g->_contents.pointSize()));
    return g;
}

platform::StoredPicture QBXImage::storedPicture() const
{
    if (!_file_path.isEmpty()) {
        if (const platform::StoredPicture file = platform::StoredPicture::fromFile(standardizedPath(_file_path));
            !file.isNull())
            return file;
    }
    return _contents;
}

platform::StoredPicture QBXImage::pictureShown() const
{
    return _file_path.isEmpty() ? platform::StoredPicture() : storedPicture();
}

PicturePtr QBXImage::pictureForDrawing(QSize need) const
{
    return pictureFor(storedPicture(), need);
}

void QBXImage::drawContentsInView(QPainter* painter, const DrawingContext& context, bool)
{
    if (!ctrl_is_visible || !painter || _file_path.isEmpty())
        return;
    QRectF b;
    if (!usableBounds(bounds(), &b, QStringLiteral("Picture")))
        return;
    const PictureEffects effects{gray_Scale, Sepia, invert_clr, hue_val, sat_val, brt_val, con_val, srp_val, ev_val, blr_val};
    if (!effects.finite() || !std::isfinite(rotate_image) || !std::isfinite(img_trnsp_val)) {
        logNotFinite(QStringLiteral("A picture effect, rotation or opacity"));
        return;
    }
    strokeFrame(*painter, *this, b);
    // Decoded for what the frame needs on this surface; effects run on a
    // copy reduced to that size.
    const QSize target = picturePixelsNeeded(pictureScale(*painter));
    const PicturePtr pic = pictureForDrawing(target);
    if (pic && b.width() > 0 && b.height() > 0) {
        const QImage processed = ImageProcesser::processForDrawing(pic, effects, target);
        if (!processed.isNull()) {
            // Whole degrees after the turn is taken modulo 360.
            const int degrees = int(std::fmod(rotate_image, 360.0f));
            painter->save();
            painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter->setOpacity(std::clamp(img_trnsp_val / 100.0, 0.0, 1.0));
            // The picture fills the bounds, turns about their centre
            // (counter-clockwise on the card), then the flips mirror it.
            painter->translate(b.center());
            painter->scale(_isFlippedHorizontally ? -1 : 1, _isFlippedVertically ? -1 : 1);
            painter->rotate(-degrees);
            painter->drawImage(QRectF(-b.width() / 2, -b.height() / 2, b.width(), b.height()), processed);
            painter->restore();
        }
    }
    askRefresh(context);
}

void QBXImage::makeNaturalSize()
{
    if (ctrl_is_locked)
        return;
    const platform::StoredPicture picture = storedPicture();
    if (picture.isNull())
        return;
    setBounds(QRectF(bounds().topLeft(), cappedPointSize(picture.pointSize())));
    setFlippedHorizontally(false);
    setFlippedVertically(false);
}
