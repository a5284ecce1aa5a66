#pragma once
// A picture read from a file, drawn stretched into the bounds.
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphic.h"

class QBXImage : public QBXGraphic {
public:
    QBXImage() = default;

    // The picture drawn: the file's, or bytes or an image handed over;
    // none when the file could not be read.
    platform::StoredPicture _contents;

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    GraphicPtr copyWithZone() const override;
    bool isDrawingFill() const override { return false; }
    bool canSetDrawingFill() const override { return false; }
    bool canSetDrawingStroke() const override { return false; }
    // Stores the path and reads the picture from it (none when unreadable).
    virtual void setFilePath(const QString& path);

    // Creation, sizing and drawing (QBXImage_draw.cpp).
    // A picture graphic of the file's picture at its full size in points,
    // centred on the point.
    static std::shared_ptr<QBXImage> initWithPath(const QPointF& centre, const QString& path);
    // A picture handed over in memory (paste, drop) together with the file it
    // was saved to, so it draws and round-trips as that file.
    static std::shared_ptr<QBXImage> initWithPosition(const QPointF& centre, const QImage& contents,
                                                      const QString& path);
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;
    // The picture drawn: the file's (one per file version), else the picture
    // held; null when neither exists. Nothing is decoded.
    platform::StoredPicture storedPicture() const;
    // The stored picture while a file is named (the draw shows none without).
    platform::StoredPicture pictureShown() const override;
    // Its pixels with at least need's pixels each way (empty: full size).
    drawing::PicturePtr pictureForDrawing(QSize need = {}) const;
    // Unless locked: the picture's capped size at the same origin, no flips.
    void makeNaturalSize() override;
    // Property dictionary (QBXKinds_properties.cpp).
    QVariantMap properties() override;
    void initWithProperties(const QVariantMap& properties) override;
    // The flips are observable and undoable ("flippedHorizontally",
    // "flippedVertically"); they also change "drawingContents".
    void setFlippedHorizontally(bool flag) override;
    void setFlippedVertically(bool flag) override;
    void flipHorizontally() override { setFlippedHorizontally(!_isFlippedHorizontally); }
    void flipVertically() override { setFlippedVertically(!_isFlippedVertically); }
    QVariant valueForKey(const QString& key) const override;
    void setValueForKey(const QString& key, const QVariant& value) override;
    QStringList keysAffectedByKey(const QString& key) const override;
    QStringList keysForValuesToObserveForUndo() const override;
    std::optional<QString> presentablePropertyNameForKey(const QString& key) const override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
