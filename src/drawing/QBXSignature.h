#pragma once
// A signature or fingerprint picture read from a file, stretched to the bounds.
#include "drawing/QBXGraphic.h"

class QBXSignature : public QBXGraphic {
public:
    QBXSignature() = default;

    QImage _contents_img; // the picture being shown
    QString file_path;    // the path it was read from; null when none

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    bool isDrawingFill() const override { return false; }

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
