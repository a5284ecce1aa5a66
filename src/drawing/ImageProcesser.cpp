#include "drawing/ImageProcesser.h"

#include "app/AppHelpers.h"
#include "platform/picture_filters.h"

#include <QHash>
#include <QMutex>
#include <QPainter>
#include <cmath>
#include <list>

namespace fl = platform::filters;

bool PictureEffects::finite() const
{
    return std::isfinite(hue) && std::isfinite(sat) && std::isfinite(brt) && std::isfinite(con)
        && std::isfinite(sharp) && std::isfinite(ev) && std::isfinite(blur);
}

namespace {

// Runs the effect steps in their fixed order; blur radius and sharpen radius
// in pixels of the picture given.
QImage applyEffects(QImage p, const PictureEffects& e, double radiusScale)
{
    if (e.gray)
        p = fl::grayScale(p);
    if (e.sepia)
        p = fl::sepia(p);
    if (e.invert)
        p = fl::invert(p);
    p = fl::hue(p, e.hue);
    p = fl::colorControls(p, e.sat, e.brt, e.con);
    p = fl::sharpen(p, e.sharp, 1.7 * radiusScale);
    p = fl::boxBlur(p, e.blur * radiusScale);
    p = fl::exposure(p, e.ev);
    return p;
}

QImage rotateBoundingBox(const QImage& p, double degrees)
{
    if (p.isNull() || !std::isfinite(degrees))
        return p;
    const double a = std::fmod(degrees, 360.0);
    if (a == 0.0)
        return p;
    // Card coordinates grow downwards: a turn of -a on screen is a
    // counter-clockwise turn of a on the card.
    QImage src = p.format() == QImage::Format_ARGB32_Premultiplied ? p : p.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out = src.transformed(QTransform().rotate(-a), Qt::SmoothTransformation);
    out.setDotsPerMeterX(p.dotsPerMeterX());
    out.setDotsPerMeterY(p.dotsPerMeterY());
    return out;
}

struct Key {
    qint64 image;
    PictureEffects effects;
    QSize target;
    bool operator==(const Key&) const = default;
};

QMutex gMutex;
std::list<std::pair<Key, QImage>> gLru; // most recent first
qint64 gBytes = 0;
// Pictures at their drawn size with their effects, kept for repaints; with
// the decoded pictures kept (kKeptPictureBytes) the pictures held between
// draws stay within 256 MB.
constexpr qint64 kLimitBytes = 96LL * 1024 * 1024;

} // namespace

QImage ImageProcesser::Get_Processed_Image(const QImage& picture, bool grayscale, bool sepia, bool invrtclr,
                                           float hue, float sat, float brt, float con, int rotate, float r,
                                           float g, float b, float tranprency)
{
    (void)tranprency;
    const PictureEffects e{grayscale, sepia, invrtclr, hue, sat, brt, con, r, g, b};
    if (picture.isNull() || !e.finite()) {
        Show_NSLog_Message(QStringLiteral("Get_Processed_Image: picture missing or effect value not finite"));
        return {};
    }
    return imageRotated(applyEffects(picture, e, 1.0), float(rotate));
}

QImage ImageProcesser::GrayScale(const QImage& p) { return fl::grayScale(p); }
QImage ImageProcesser::Sepia(const QImage& p) { return fl::sepia(p); }
QImage ImageProcesser::Invert_Color(const QImage& p) { return fl::invert(p); }
QImage ImageProcesser::adjust_Hue(const QImage& p, float hue) { return fl::hue(p, hue); }
QImage ImageProcesser::adjust_Color_Control(const QImage& p, float sat, float brt, float con)
{
    return fl::colorControls(p, sat, brt, con);
}
QImage ImageProcesser::adjust_Sharpness(const QImage& p, float value) { return fl::sharpen(p, value); }
QImage ImageProcesser::adjust_boxBlur(const QImage& p, float value) { return fl::boxBlur(p, value); }
QImage ImageProcesser::adjust_EV(const QImage& p, float value) { return fl::exposure(p, value); }
QImage ImageProcesser::adjust_Gamma(const QImage& p, float value) { return fl::gamma(p, value); }

QSizeF ImageProcesser::Set_Dimaension(QSizeF size) { return drawing::cappedPointSize(size); }

QImage ImageProcesser::imageTintedWithColor(const QImage& p, const QColor& tint)
{
    if (!tint.isValid() || p.isNull())
        return p;
    QImage out = p.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(out.rect(), tint);
    painter.end();
    return out;
}

QImage ImageProcesser::imageRotatedByDegrees(const QImage& p, double degrees) { return rotateBoundingBox(p, degrees); }
QImage ImageProcesser::adjust_Rotate(const QImage& p, float degrees) { return rotateBoundingBox(p, degrees); }
QImage imageRotated(const QImage& p, float degrees) { return rotateBoundingBox(p, degrees); }

QImage bitmapImageRepresentation(const QImage& p)
{
    if (p.isNull() || p.width() < 1 || p.height() < 1)
        return {};
    return p.convertToFormat(QImage::Format_RGBA8888);
}

QImage normalizeSize(const QImage& p) { return setDPI(p, 72); }

QImage setDPI(const QImage& p, int dpi)
{
    if (dpi <= 0 || p.isNull())
        return p;
    QImage out = p;
    const int dpm = int(std::lround(dpi / 0.0254));
    out.setDotsPerMeterX(dpm);
    out.setDotsPerMeterY(dpm);
    return out;
}

QImage ImageProcesser::processForDrawing(const drawing::PicturePtr& picture, const PictureEffects& effects,
                                         QSize targetPx)
{
    if (!picture || picture->image.isNull() || !effects.finite())
        return {};
    const QImage& src = picture->image;
    // Work at the drawn size when that is smaller than the picture.
    const bool reduce = targetPx.width() > 0 && targetPx.height() > 0
        && qint64(targetPx.width()) * targetPx.height() < qint64(src.width()) * src.height();
    const QSize work = reduce ? targetPx : src.size();
    if (!reduce && effects == PictureEffects{})
        return src;
    const Key key{src.cacheKey(), effects, work};
    {
        QMutexLocker lock(&gMutex);
        for (auto it = gLru.begin(); it != gLru.end(); ++it) {
            if (it->first == key) {
                gLru.splice(gLru.begin(), gLru, it);
                return it->second;
            }
        }
    }
    QImage working = reduce ? src.scaled(work, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : src;
    const double scale = reduce ? std::sqrt(double(work.width()) * work.height() / (double(src.width()) * src.height())) : 1.0;
    QImage out = applyEffects(working, effects, scale);
    if (out.format() != QImage::Format_ARGB32_Premultiplied)
        out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QMutexLocker lock(&gMutex);
    gLru.emplace_front(key, out);
    gBytes += out.sizeInBytes();
    while (gBytes > kLimitBytes && gLru.size() > 1) {
        gBytes -= gLru.back().second.sizeInBytes();
        gLru.pop_back();
    }
    return out;
}

void ImageProcesser::clearCache()
{
    QMutexLocker lock(&gMutex);
    gLru.clear();
    gBytes = 0;
}
