#pragma once
// Text measurement in points. Fonts follow a device's logical resolution, so
// barcode texts are measured with the font resized so that one unit is one
// point, and pictures draw them in that same font, placed alike on every
// device.
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPaintDevice;
class QPainter;

namespace barcode_text {
// Extra points after each character of the header, the footer and the
// centred value text, as pictures draw them.
constexpr qreal kCaptionSpacing = 2.0;
// Cap height of the font in points.
qreal capHeight(const QFont& font);
// Natural width and height (ascent + descent) of a one-line text in points,
// with kerning extra points after each character (measured as drawn).
QSizeF naturalSize(const QString& text, const QFont& font, qreal kerning = 0);
// Clear space in points kept above and below a text line inside its band:
// some fonts' descenders (and accents) reach their descent (ascent) exactly,
// and no text may meet the picture's edge or the symbol.
constexpr qreal kLineClearance = 0.5;
// Height in points of a header, footer or value band: the font's ascent
// and descent as the pictures draw it and the clearance above and below, so
// accents and descenders stay inside.
qreal lineHeight(const QFont& font);
// Distance in points from a band's top down to the baseline of its text,
// and from the band's bottom up to it.
qreal baselineBelowTop(const QFont& font);
qreal baselineAboveBottom(const QFont& font);
// Width in points of a one-line text as the pictures draw it, with kerning
// extra points after each character.
qreal drawnWidth(const QString& text, const QFont& font, qreal kerning);
// Draws a one-line text as text, as the pictures draw it, its baseline
// starting at `origin` (painter units are points). Text keeps every glyph
// whole, stays text in PDFs and prints as compactly as any card text.
void drawLine(QPainter& painter, const QString& text, const QFont& font, qreal kerning, QPointF origin);
// The font resized for a device so that its units are points, with kerning.
QFont fontForDevice(const QFont& font, const QPaintDevice* device, qreal kerning);
}
