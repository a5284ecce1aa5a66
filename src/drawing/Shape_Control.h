#pragma once
// Every geometric element: rectangle, ellipse, rounded rectangle, triangle,
// diamond, star, multi-point star and polygon, chosen by _shape_type.
#include "drawing/QBXGraphic.h"

class Shape_Control : public QBXGraphic {
public:
    Shape_Control() = default;

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
};
