#pragma once
// Points, sizes and rectangles as text: "{x, y}", "{w, h}" and
// "{{x, y}, {w, h}}", with the shortest numbers that read back exactly and
// no locale. Malformed text reads as zeros.
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace platform {

QString numberText(double value); // shortest round-trip form, "." decimal
QString pointToText(const QPointF& point);
QString sizeToText(const QSizeF& size);
QString rectToText(const QRectF& rect);

QPointF pointFromText(QStringView text);
QSizeF sizeFromText(QStringView text);
QRectF rectFromText(QStringView text);

} // namespace platform
