#include "drawing/QBXBarcode.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

QString QBXBarcode::className() const
{
    return QStringLiteral("QBXBarcode");
}

GraphicPtr QBXBarcode::newOfSameKind() const
{
    return std::make_shared<QBXBarcode>();
}

void QBXBarcode::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* barcode = dynamic_cast<QBXBarcode*>(&copy)) {
        barcode->_contents = _contents;
        barcode->row_picture = row_picture;
    }
}

QString QBXBarcode::pastCardEdge(const QRectF& card) const
{
    const QRectF drawn = pictureRect();
    if (!ctrl_is_visible || drawn.isEmpty() || card.isEmpty())
        return {};
    const double slack = 0.01;
    QStringList edges;
    if (drawn.top() < card.top() - slack)
        edges << QStringLiteral("top");
    if (drawn.bottom() > card.bottom() + slack)
        edges << QStringLiteral("bottom");
    if (drawn.left() < card.left() - slack)
        edges << QStringLiteral("left");
    if (drawn.right() > card.right() + slack)
        edges << QStringLiteral("right");
    if (edges.isEmpty())
        return {};
    auto mm = [](double points) {
        return QLocale(QLocale::English, QLocale::UnitedStates).toString(std::ceil(points * 25.4 / 72.0 - 1e-6), 'f', 0);
    };
    return QStringLiteral("is %1 x %2 mm and runs past the card's edge at the %3")
        .arg(mm(drawn.width()), mm(drawn.height()), edges.join(QStringLiteral(" and ")));
}
