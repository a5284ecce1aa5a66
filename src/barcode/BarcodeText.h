#pragma once
// Text measurement in points. Fonts follow a device's logical resolution, so
// every barcode text is measured at 72 dpi (one unit = one point) and drawn
// on any device with the font resized so that it again spans points.
#include <QFont>
#include <QSizeF>
#include <QString>

class QPaintDevice;

namespace barcode_text {
// Extra points after each character of the header, the footer and the
// centred value text, as pictures draw them.
constexpr qreal kCaptionSpacing = 2.0;
// Cap height of the font in points.
qreal capHeight(const QFont& font);
// Natural width and height (ascent + descent) of a one-line text in points,
// with kerning extra points after each character (measured as drawn).
QSizeF naturalSize(const QString& text, const QFont& font, qreal kerning = 0);
// Height in points of a header or footer band: the font's ascent and
// descent as the pictures draw it, so accents and descenders stay inside.
qreal lineHeight(const QFont& font);
// Descent of the font in points.
qreal descent(const QFont& font);
// The font resized for a device so that its units are points, with kerning.
QFont fontForDevice(const QFont& font, const QPaintDevice* device, qreal kerning);
}
