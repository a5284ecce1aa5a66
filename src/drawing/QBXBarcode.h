#pragma once
// Shows the barcode picture prepared by the barcode designer, at its own size,
// top left on the frame's top left. The picture is never cut at the frame:
// the graphic's drawing bounds are the union of its frame and its picture,
// on the canvas and on every output surface alike.
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphic.h"
#include "platform/PointPicture.h"

class QBXBarcode : public QBXGraphic {
public:
    QBXBarcode() = default;

    platform::StoredPicture _contents; // the picture shown: the prepared picture or the sample
    // An output run's picture for the current row, drawn in place of the
    // stored one at the surface's own resolution, from the frame's corner
    // on the device's pixel grid and never larger than the stored picture's
    // frame; null outside runs. Never stored in a design file.
    PointPicture row_picture;

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    bool isDrawingFill() const override { return false; }
    bool isDrawingStroke() const override { return false; }

    // Where the picture drawn lies: its own size in points (the run's row
    // picture when there is one) from the frame's top left; empty without
    // a picture.
    QRectF pictureRect() const;
    // Where the picture runs past the card's frame: "is 63 x 112 mm and
    // runs past the card's edge at the bottom"; "" when it lies inside (or
    // the graphic is hidden or has no picture).
    QString pastCardEdge(const QRectF& card) const;
    QRectF drawingBounds() const override;
    // The visible picture is part of the graphic, inside its frame or not.
    bool isContentsUnderPoint(const QPointF& point) const override;
    // Natural size is the picture's own size.
    bool canMakeNaturalSize() const override;
    void makeNaturalSize() override;

    // Creation and drawing (QBXBarcode_draw.cpp).
    static std::shared_ptr<QBXBarcode> initWithPosition(const QPointF& centre);
    // _contents becomes the prepared picture, or the sample when none.
    void barcode_image_var_assign();
    // The picture drawn, worked out without writing into the graphic and
    // without decoding it.
    platform::StoredPicture storedPicture() const;
    // Its pixels for its own size at pixelsPerPoint (by default the highest
    // output resolution).
    drawing::PicturePtr pictureForDrawing(double pixelsPerPoint = drawing::kMaxOutputDpi / 72.0) const;
    // The stored picture unless a run's row picture is drawn in its place;
    // it needs the pixels of its own size in points.
    platform::StoredPicture pictureShown() const override;
    QSize picturePixelsNeeded(double pixelsPerPoint) const override;
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
