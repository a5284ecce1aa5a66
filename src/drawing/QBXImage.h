#pragma once
// A picture read from a file, drawn stretched into the bounds.
#include "drawing/QBXGraphic.h"

class QBXImage : public QBXGraphic {
public:
    QBXImage() = default;

    QImage _contents; // the picture drawn; none when the file could not be read

    QString className() const override;
    GraphicPtr newOfSameKind() const override;
    GraphicPtr copyWithZone() const override;
    bool isDrawingFill() const override { return false; }
    bool canSetDrawingFill() const override { return false; }
    bool canSetDrawingStroke() const override { return false; }
    // Stores the path and reads the picture from it (none when unreadable).
    virtual void setFilePath(const QString& path);

protected:
    void copyKindStateTo(QBXGraphic& copy) const override;
};
