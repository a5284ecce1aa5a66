#pragma once
// Stroke, gradient and hatch painting shared by the card background and by
// every graphic kind: one place for the dash table, the pen rules and the
// hatch tiles.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <QVector>

class QPainter;

namespace drawing {

// Dash lengths in points (dash, gap, ...) for a border style code; empty for
// "S" and every unknown code (solid).
QVector<qreal> dashPatternPoints(const QString& code);

// A pen of the given width in points with the style's dashes kept in points
// (Qt measures dashes in pen widths). Width 0 is a hairline one device pixel
// wide whose dashes still measure in points. Mitre joins (limit 10).
QPen strokePen(const QPainter& painter, const QColor& colour, double width, const QString& code,
               Qt::PenCapStyle cap = Qt::FlatCap);

// Strokes the path with strokePen; nothing for a non-finite width.
void strokePath(QPainter& painter, const QPainterPath& path, const QColor& colour, double width,
                const QString& code, Qt::PenCapStyle cap = Qt::FlatCap);

// Fills the path with a linear gradient at the angle in degrees: direction
// (cos a, sin a) in card coordinates (y down, so 90 runs top to bottom), the
// two colours at the extreme corners of the path's bounds.
void fillGradient(QPainter& painter, const QPainterPath& path, const QColor& from, const QColor& to,
                  double angleDegrees);

// Reads the hatch tile <resourceFolder>/Fill_Style_Image/<name>.png (cached,
// with its size in points); a null image for a missing or unreadable file or
// a name with "/" or "..".
QImage hatchTile(const QString& resourceFolder, const QString& name);

// Fills the path with the background colour, then tiles the hatch picture
// over it (tiles anchored at the card origin). A missing tile leaves the
// background colour alone.
void fillHatch(QPainter& painter, const QPainterPath& path, const QColor& background,
               const QString& resourceFolder, const QString& name);

// The scale from card points to device pixels of the painter (1 at 72 dpi).
double deviceScale(const QPainter& painter);
// Pixels per point a picture needs on a device of devicePixelsPerPoint:
// the device's own on pixel surfaces (the canvas at its zoom and pixel
// ratio, a picture exported at its dpi), at least 300 dpi on vector output
// (PDF, print), never more than kMaxOutputDpi. A device of no known
// resolution (0) takes kMaxOutputDpi.
double picturePixelsPerPoint(double devicePixelsPerPoint, bool vector);
// The same for the painter's device.
double pictureScale(const QPainter& painter);

} // namespace drawing
