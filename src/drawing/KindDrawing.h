#pragma once
// Small rules every graphic kind follows when it draws: colours with the
// record's opacity (computed, never written back, so drawing leaves the
// shared record alone), finite geometry, and the refresh request.
#include "drawing/DrawingContext.h"

#include <QColor>
#include <QRectF>
#include <QString>

class QBXGraphic;
class QPainter;

namespace drawing {

// The colour with its alpha replaced by the opacity clamped to 0..1 (values
// above 1, such as the 100.0 of a new record, are opaque). An invalid colour
// or a non-finite opacity gives an invalid colour: nothing is painted.
QColor withOpacity(const QColor& colour, float opacity);

// The bounds with negative sizes normalised; false (and a log line once per
// kind of fault) when a coordinate is not finite.
bool usableBounds(const QRectF& bounds, QRectF* out, const QString& what);

// Logs once per text that a value of the graphic is not a number.
void logNotFinite(const QString& what);

// Asks for the canvas refresh through the context (the refresh seam).
void askRefresh(const DrawingContext& context);

// Strokes the graphic's rectangular frame (pictures and signatures) with its
// stroke colour, width and border style, when it draws its stroke.
void strokeFrame(QPainter& painter, const QBXGraphic& graphic, const QRectF& frame);

// Resource folder used by the kinds (sample pictures and hatch tiles).
QString resourceFolder();

} // namespace drawing
