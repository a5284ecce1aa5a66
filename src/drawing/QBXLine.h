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

    // Geometry, drawing and hit testing (QBXLine_draw.cpp).
    // The rectangle spanned by two points; the direction flags are written
    // where places are given.
    static QRectF boundsWithBeginPoint(const QPointF& begin, const QPointF& end, bool* pointsRight, bool* pointsDown);
    QPointF beginPoint() const;
    QPointF endPoint() const;
    void setBeginPoint(const QPointF& point);
    void setEndPoint(const QPointF& point);

    bool isDrawingFill() const override { return false; }
    bool isDrawingStroke() const override { return true; }
    bool canSetDrawingFill() const override { return false; }
    bool canSetDrawingStroke() const override { return false; }
    bool canMakeNaturalSize() const override { return false; }
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;
    QPainterPath bezierPathForDrawing() const override;
    void drawHandlesInView(QPainter* painter, const DrawingContext& context, bool lock_hai) override;
    // Hit within strokeWidth / 2 + 2 of the line, measured at right angles,
    // inside the bounds (a zero extent grown by that distance).
    bool isContentsUnderPoint(const QPointF& point) const override;
    int handleUnderPoint(const QPointF& point) const override;
    int resizeByMovingHandle(int handle, const QPointF& point) override;
    void setColor(const QColor& color) override;
    int creationSizingHandle() const override { return 2; }
    // Property dictionary (QBXKinds_properties.cpp).
    QVariantMap properties() override;
    void initWithProperties(const QVariantMap& properties) override;

    // Observation and undo: "beginPoint" and "endPoint" depend on "bounds";
    // the undoable keys are the base's without "bounds", with the two points,
    // so undoing a drag past the other end restores the direction too.
    QVariant valueForKey(const QString& key) const override;
    void setValueForKey(const QString& key, const QVariant& value) override;
    QStringList keysAffectedByKey(const QString& key) const override;
    QStringList keysForValuesToObserveForUndo() const override;
    std::optional<QString> presentablePropertyNameForKey(const QString& key) const override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
