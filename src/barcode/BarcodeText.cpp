#include "barcode/BarcodeText.h"

#include "platform/font_resolve.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>

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
}

qreal capHeight(const QFont& font)
{
    QFont f(withKerning(font, 0), device72());
    return QFontMetricsF(f, device72()).capHeight();
}

qreal lineHeight(const QFont& font)
{
    const QPaintDevice* device = device96();
    const QFont drawn(fontForDevice(font, device, 0), device);
    const QFontMetricsF fm(drawn, device);
    return fm.ascent() + fm.descent();
}

qreal descent(const QFont& font)
{
    QFont f(withKerning(font, 0), device72());
    return QFontMetricsF(f, device72()).descent();
}

QSizeF naturalSize(const QString& text, const QFont& font, qreal kerning)
{
    QFont f(withKerning(font, 0), device72());
    QFontMetricsF fm(f, device72());
    qreal width = fm.horizontalAdvance(text);
    if (kerning != 0) {
        // As drawn: the font resized for a 96-dpi device spans points there.
        const QPaintDevice* device = device96();
        const QFont drawn(fontForDevice(font, device, kerning), device);
        width = QFontMetricsF(drawn, device).horizontalAdvance(text);
    }
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
