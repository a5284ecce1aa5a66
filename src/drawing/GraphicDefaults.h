#pragma once
// What the drawing model takes from the application around it, injected so
// that the model works (and is tested) without the main window:
// the window's current text font and colour, the resource folder, the default
// text font name, the front canvas bounds, the cascade position of pasted
// graphics, the application name and the log.
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

struct GraphicDefaults {
    std::function<QFont()> windowTextFont;       // the main window's current text font
    std::function<QColor()> windowTextColor;     // its text colour well
    std::function<QString()> resourcePath;       // the resource folder
    std::function<QString()> textCtrlFont;       // name of the default text font
    std::function<QRectF()> frontCanvasBounds;
    // The next cascade point of a side for a graphic (or group) of that size.
    std::function<QPointF(const QString& side, const QSizeF& size)> controlNewPoint;
    std::function<QString()> appName;
    std::function<void(const QString&)> log;
};

// The process-wide set; unset members fall back to the values below.
GraphicDefaults& graphicDefaults();

// Resolved values, with the fallbacks applied.
namespace graphic_defaults {
QString textCtrlFontName();       // fallback "TimesNewRomanPS-ItalicMT"
QFont windowTextFont();           // fallback: the default text font at 14 pt
QColor windowTextColor();         // fallback: black
QString resourcePath();           // fallback: the global Resource_Path
QRectF frontCanvasBounds();       // fallback: the empty rect
QPointF controlNewPoint(const QString& side, const QSizeF& size = QSizeF(50, 50)); // fallback: (0, 0)
QString appName();                // fallback: the application name
void log(const QString& text);    // fallback: Show_NSLog_Message

// A font that keeps the requested name and size, whatever is installed.
QFont namedFont(const QString& name, double pointSize);
}
