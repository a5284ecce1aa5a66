#include "barcode/BarcodeText.h"

#include "platform/font_resolve.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace barcode_text {
namespace {
QImage measuringDevice(int dotsPerMeter)
{
    QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    return img;
}

// A 72-dpi device per thread for measuring (2835 dots per meter reads as
// 72 dpi logical resolution).
const QPaintDevice* device72()
{
    thread_local QImage image = measuringDevice(2835);
    return &image;
}

// Pictures are painted on 96-dpi devices (Qt drops absolute letter spacing
// at 72 dpi); text with letter spacing is measured on one as well.
const QPaintDevice* device96()
{
    thread_local QImage image = measuringDevice(3780);
    return &image;
}

// The face the captions are drawn with, as card texts are (the stored name
// resolved through fontconfig), with the letter spacing given.
QFont withKerning(const QFont& stored, qreal kerning)
{
    QFont font = platform::drawnFace(stored);
    font.setLetterSpacing(QFont::AbsoluteSpacing, kerning);
    font.setKerning(false);
    return font;
}

// The font as pictures draw it: resized for the 96-dpi device, so that its
// units are points there.
QFont drawnFont(const QFont& font, qreal kerning)
{
    const QPaintDevice* device = device96();
    return QFont(fontForDevice(font, device, kerning), device);
}

QFontMetricsF drawnMetrics(const QFont& font, qreal kerning = 0)
{
    return QFontMetricsF(drawnFont(font, kerning), device96());
}

// A recorded picture replays a text line from its top, found through the
// font's ascent rounded to whole units, so text drawn in points would land
// up to half a point off its band. Drawn this many times larger under the
// inverse scale, it lands within 0.5 / scale points (a hundredth of a point
// up to 64 pt); the enlarged size stays at most 4,096 units, far below the
// sizes fonts still render at (about 16,000 units).
double textScale(const QFont& font)
{
    constexpr double kMaxScale = 64, kMaxScaledSize = 4096;
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    return size > 0 ? std::clamp(std::floor(kMaxScaledSize / size), 1.0, kMaxScale) : 1.0;
}
}

qreal capHeight(const QFont& font)
{
    QFont f(withKerning(font, 0), device72());
    return QFontMetricsF(f, device72()).capHeight();
}

qreal lineHeight(const QFont& font)
{
    const QFontMetricsF fm = drawnMetrics(font);
    return fm.ascent() + fm.descent() + 2 * kLineClearance;
}

qreal baselineBelowTop(const QFont& font)
{
    return kLineClearance + drawnMetrics(font).ascent();
}

qreal baselineAboveBottom(const QFont& font)
{
    return kLineClearance + drawnMetrics(font).descent();
}

qreal drawnWidth(const QString& text, const QFont& font, qreal kerning)
{
    return drawnMetrics(font, kerning).horizontalAdvance(text);
}

void drawLine(QPainter& painter, const QString& text, const QFont& font, qreal kerning, QPointF origin)
{
    const double s = textScale(font);
    QFont f = fontForDevice(font, painter.device(), kerning * s);
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * s);
    else
        f.setPixelSize(int(f.pixelSize() * s));
    painter.save();
    painter.translate(origin);
    painter.scale(1 / s, 1 / s);
    painter.setFont(f);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

QSizeF naturalSize(const QString& text, const QFont& font, qreal kerning)
{
    QFont f(withKerning(font, 0), device72());
    QFontMetricsF fm(f, device72());
    qreal width = fm.horizontalAdvance(text);
    if (kerning != 0)
        width = drawnWidth(text, font, kerning); // as drawn
    return QSizeF(width, fm.ascent() + fm.descent());
}

QFont fontForDevice(const QFont& font, const QPaintDevice* device, qreal kerning)
{
    QFont f = withKerning(font, kerning);
    const int dpi = device ? device->logicalDpiY() : 72;
    if (dpi > 0 && dpi != 72) {
        // Pixel-sized fonts already span painter units; only point sizes scale.
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * 72.0 / dpi);
    }
    return f;
}
}
