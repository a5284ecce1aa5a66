#pragma once
// Shows the barcode picture prepared by the barcode designer, at its own size.
#include "drawing/QBXGraphic.h"

class QBXBarcode : public QBXGraphic {
public:
    QBXBarcode() = default;

    QImage _contents; // the picture shown: the prepared picture or the sample

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    bool isDrawingFill() const override { return false; }
    bool isDrawingStroke() const override { return false; }

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
