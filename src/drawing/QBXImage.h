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
