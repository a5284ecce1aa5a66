#include "drawing/QBXGrid.h"

#include <QPainter>
#include <QPen>
#include <QTimer>
#include <cmath>

namespace {

double snap(double value, double spacing)
{
    return std::floor(value / spacing + 0.5) * spacing;
}

} // namespace

QBXGrid::QBXGrid(QObject* parent) : QObject(parent), _color(Qt::lightGray) {}

QBXGrid::~QBXGrid()
{
    cancelHidingTimer();
}

void QBXGrid::cancelHidingTimer()
{
    if (!_hidingTimer)
        return;
    _hidingTimer->stop();
    delete _hidingTimer;
    _hidingTimer = nullptr;
}

bool QBXGrid::isShowing() const
{
    return isUsable() && (_isAlwaysShown || _hidingTimer != nullptr);
}

void QBXGrid::setConstraining(bool flag)
{
    _isConstraining = flag;
    emit constrainingChanged(flag);
    emit changed();
}

void QBXGrid::setAlwaysShown(bool flag)
{
    if (flag != _isAlwaysShown) {
        _isAlwaysShown = flag;
        cancelHidingTimer();
    }
    emit alwaysShownChanged(_isAlwaysShown);
    emit changed();
}

void QBXGrid::setSpacing(double spacing)
{
    if (spacing != _spacing) {
        _spacing = spacing;
        if (spacing > 0 && !_isAlwaysShown) {
            if (!_hidingTimer) {
                _hidingTimer = new QTimer(this);
                _hidingTimer->setSingleShot(true);
                connect(_hidingTimer, &QTimer::timeout, this, &QBXGrid::stopShowingGridForTimer);
            }
            // A pending showing is extended to a full period from now.
            _hidingTimer->start(int(QBXGridTemporaryShowingTime * 1000));
        }
    }
    emit spacingChanged(_spacing);
    emit changed();
}

void QBXGrid::stopShowingGridForTimer()
{
    if (_hidingTimer) {
        _hidingTimer->deleteLater();
        _hidingTimer = nullptr;
    }
    emit changed();
}

QPointF QBXGrid::constrainedPoint(const QPointF& point) const
{
    if (!isUsable() || !_isConstraining)
        return point;
    return QPointF(snap(point.x(), _spacing), snap(point.y(), _spacing));
}

QRectF QBXGrid::alignedRect(const QRectF& rect) const
{
    const double left = snap(rect.x(), _spacing);
    const double bottom = snap(rect.y(), _spacing);
    const double right = snap(rect.x() + rect.width(), _spacing);
    const double top = snap(rect.y() + rect.height(), _spacing);
    return QRectF(left, bottom, right - left, top - bottom);
}

QPainterPath QBXGrid::linePath(const QRectF& dirty) const
{
    QPainterPath path;
    if (!isShowing())
        return path;
    const double s = _spacing;
    const double x = dirty.x(), y = dirty.y(), w = dirty.width(), h = dirty.height();
    for (double i = std::ceil(x / s), last = std::floor((x + w) / s); i <= last; ++i) {
        path.moveTo(i * s, y);
        path.lineTo(i * s, y + h);
    }
    for (double j = std::ceil(y / s), last = std::floor((y + h) / s); j <= last; ++j) {
        path.moveTo(x, j * s);
        path.lineTo(x + w, j * s);
    }
    return path;
}

void QBXGrid::drawRect(QPainter& painter, const QRectF& dirty) const
{
    const QPainterPath path = linePath(dirty);
    if (path.isEmpty())
        return;
    painter.save();
    QPen pen(_color);
    pen.setWidthF(0); // cosmetic: the thinnest line the device draws
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}
