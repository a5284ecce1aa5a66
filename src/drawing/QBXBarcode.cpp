#include "drawing/QBXBarcode.h"

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
