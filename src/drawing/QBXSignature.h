#pragma once
// A signature or fingerprint picture read from a file, stretched to the bounds.
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphic.h"

class QBXSignature : public QBXGraphic {
public:
    QBXSignature() = default;

    platform::StoredPicture _contents_img; // the picture being shown
    QString file_path;    // the path it was read from; null when none

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    bool isDrawingFill() const override { return false; }

    // Creation, file and drawing (QBXSignature_draw.cpp).
    static std::shared_ptr<QBXSignature> initWithPosition(const QPointF& centre, const QImage& contents,
                                                          const QString& sign_or_FP);
    // "Default" stands for the sample picture of the kind; the path goes to
    // both places and the picture is read from it (none when unreadable).
    void setFilePath(const QString& path);
    QString samplePath() const;
    // The picture shown: the one held while the record's path is unchanged,
    // else the record's file (read once per file version, never written into
    // the graphic while drawing).
    drawing::PicturePtr pictureForDrawing(QSize need = {}) const;
    platform::StoredPicture pictureShown() const override;
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited) override;

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
