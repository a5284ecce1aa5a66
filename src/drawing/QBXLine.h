#pragma once
// A straight line from a begin point to an end point. The line stores the
// rectangle spanned by the segment (the bounds) and two direction flags that
// say at which corners of it the points lie.
#include "drawing/QBXGraphic.h"

class QBXLine : public QBXGraphic {
public:
    QBXLine() = default;

    bool _pointsRight = false; // the end point lies right of the begin point
    bool _pointsDown = false;  // the end point lies below the begin point

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    GraphicPtr copyWithZone() const override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
