#include "drawing/Shape_Control.h"

QString Shape_Control::className() const
{
    return QStringLiteral("Shape_Control");
}

GraphicPtr Shape_Control::newOfSameKind() const
{
    return std::make_shared<Shape_Control>();
}
