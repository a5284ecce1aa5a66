#include "drawing/GraphicDefaults.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"

#include <QCoreApplication>

GraphicDefaults& graphicDefaults()
{
    static GraphicDefaults defaults;
    return defaults;
}

namespace graphic_defaults {

QFont namedFont(const QString& name, double pointSize)
{
    QFont font(name);
    font.setPointSizeF(pointSize);
    return font;
}

QString textCtrlFontName()
{
    const auto& d = graphicDefaults();
    if (d.textCtrlFont) {
        const QString name = d.textCtrlFont();
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("TimesNewRomanPS-ItalicMT");
}

QFont windowTextFont()
{
    const auto& d = graphicDefaults();
    if (d.windowTextFont)
        return d.windowTextFont();
    return namedFont(textCtrlFontName(), 14.0);
}

QColor windowTextColor()
{
    const auto& d = graphicDefaults();
    if (d.windowTextColor) {
        const QColor c = d.windowTextColor();
        if (c.isValid())
            return c.toRgb();
    }
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
}

QString resourcePath()
{
    const auto& d = graphicDefaults();
    if (d.resourcePath)
        return d.resourcePath();
    return Resource_Path;
}

QRectF frontCanvasBounds()
{
    const auto& d = graphicDefaults();
    return d.frontCanvasBounds ? d.frontCanvasBounds() : QRectF();
}

QPointF controlNewPoint(const QString& side, const QSizeF& size)
{
    const auto& d = graphicDefaults();
    return d.controlNewPoint ? d.controlNewPoint(side, size) : QPointF();
}

QString appName()
{
    const auto& d = graphicDefaults();
    return d.appName ? d.appName() : QCoreApplication::applicationName();
}

void log(const QString& text)
{
    const auto& d = graphicDefaults();
    if (d.log)
        d.log(text);
    else
        Show_NSLog_Message(text);
}

} // namespace graphic_defaults
