#include "drawing/QBXLine.h"

QString QBXLine::className() const
{
    return QStringLiteral("QBXLine");
}

GraphicPtr QBXLine::newOfSameKind() const
{
    return std::make_shared<QBXLine>();
}

GraphicPtr QBXLine::copyWithZone() const
{
    GraphicPtr copy = QBXGraphic::copyWithZone();
    copyKindStateTo(*copy);
    return copy;
}

void QBXLine::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* line = dynamic_cast<QBXLine*>(&copy)) {
        line->_pointsRight = _pointsRight;
        line->_pointsDown = _pointsDown;
    }
}
