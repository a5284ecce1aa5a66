#include "drawing/QBXLine.h"

#include <cmath>

namespace {
const QString BeginPointKey = QStringLiteral("beginPoint");
const QString EndPointKey = QStringLiteral("endPoint");

// The ends of the segment: at the corners of the bounds the flags name.
QPointF beginOf(const QRectF& b, bool right, bool down)
{
    return {right ? b.x() : b.x() + b.width(), down ? b.y() : b.y() + b.height()};
}

QPointF endOf(const QRectF& b, bool right, bool down)
{
    return {right ? b.x() + b.width() : b.x(), down ? b.y() + b.height() : b.y()};
}
} // namespace

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

QVariant QBXLine::valueForKey(const QString& key) const
{
    if (key == BeginPointKey)
        return beginOf(bounds(), _pointsRight, _pointsDown);
    if (key == EndPointKey)
        return endOf(bounds(), _pointsRight, _pointsDown);
    return QBXGraphic::valueForKey(key);
}

void QBXLine::setValueForKey(const QString& key, const QVariant& value)
{
    if (key != BeginPointKey && key != EndPointKey) {
        QBXGraphic::setValueForKey(key, value);
        return;
    }
    const QPointF p = value.toPointF();
    const QRectF b = bounds();
    const QPointF begin = key == BeginPointKey ? p : beginOf(b, _pointsRight, _pointsDown);
    const QPointF end = key == EndPointKey ? p : endOf(b, _pointsRight, _pointsDown);
    // Flags and bounds change inside one "bounds" notice, so observers of
    // either point see the old points before and the new ones after.
    willChangeValueForKey(QBXGraphicBoundsKey);
    _pointsRight = end.x() > begin.x();
    _pointsDown = end.y() > begin.y();
    _bounds = QRectF(std::min(begin.x(), end.x()), std::min(begin.y(), end.y()), std::abs(end.x() - begin.x()),
                     std::abs(end.y() - begin.y()));
    didChangeValueForKey(QBXGraphicBoundsKey);
}

QStringList QBXLine::keysAffectedByKey(const QString& key) const
{
    QStringList keys = QBXGraphic::keysAffectedByKey(key);
    if (key == QBXGraphicBoundsKey)
        keys << BeginPointKey << EndPointKey;
    return keys;
}

QStringList QBXLine::keysForValuesToObserveForUndo() const
{
    QStringList keys = QBXGraphic::keysForValuesToObserveForUndo();
    keys.removeAll(QBXGraphicBoundsKey);
    keys << BeginPointKey << EndPointKey;
    return keys;
}

std::optional<QString> QBXLine::presentablePropertyNameForKey(const QString& key) const
{
    if (key == BeginPointKey)
        return QStringLiteral("Beginpoint");
    if (key == EndPointKey)
        return QStringLiteral("Endpoint");
    return QBXGraphic::presentablePropertyNameForKey(key);
}
