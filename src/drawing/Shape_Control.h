#pragma once
// Every geometric element: rectangle, ellipse, rounded rectangle, triangle,
// diamond, star, multi-point star and polygon, chosen by _shape_type.
#include "drawing/QBXGraphic.h"

class Shape_Control : public QBXGraphic {
public:
    Shape_Control() = default;

    QString className() const override;
    GraphicPtr newOfSameKind() const override;

    // Drawing and hit testing (Shape_Control_draw.cpp).
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;
    QPainterPath bezierPathForDrawing() const override;
    bool isContentsUnderPoint(const QPointF& point) const override;

    // Outline builders on the (normalised) bounds; winding fill.
    QPainterPath Rectangle_path() const;
    QPainterPath Circle_path() const;
    QPainterPath Rounded_Rectangle_path() const;
    QPainterPath Triangle_path() const;
    QPainterPath Diamond_path() const;
    // The star path of n points (even n: the polygon of n/2 corners traced
    // twice); empty for n <= 0 and for n above kMaxStarPoints (logged).
    QPainterPath Polygon_With_Diffrent_Sides(int n) const;
    QPainterPath Custom_Polygon() const;
    static constexpr int kMaxStarPoints = 1000;
};
