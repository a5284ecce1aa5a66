#include "drawing/QBXImage.h"


namespace {
const QString FlippedHorizontallyKey = QStringLiteral("flippedHorizontally");
const QString FlippedVerticallyKey = QStringLiteral("flippedVertically");
} // namespace

QString QBXImage::className() const
{
    return QStringLiteral("QBXImage");
}

GraphicPtr QBXImage::newOfSameKind() const
{
    return std::make_shared<QBXImage>();
}

GraphicPtr QBXImage::copyWithZone() const
{
    GraphicPtr copy = QBXGraphic::copyWithZone();
    copyKindStateTo(*copy);
    return copy;
}

void QBXImage::setFilePath(const QString& path)
{
    Set_Control_File_path(path);
    // Through the picture store: only regular files are opened (a FIFO or a
    // device never blocks the thread) and large pictures decode scaled.
    const drawing::PicturePtr picture = drawing::loadPicture(drawing::standardizedPath(path));
    _contents = picture ? picture->image : QImage();
}

void QBXImage::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* image = dynamic_cast<QBXImage*>(&copy))
        image->_contents = _contents;
}

void QBXImage::setFlippedHorizontally(bool flag)
{
    willChangeValueForKey(FlippedHorizontallyKey);
    _isFlippedHorizontally = flag;
    didChangeValueForKey(FlippedHorizontallyKey);
}

void QBXImage::setFlippedVertically(bool flag)
{
    willChangeValueForKey(FlippedVerticallyKey);
    _isFlippedVertically = flag;
    didChangeValueForKey(FlippedVerticallyKey);
}

QVariant QBXImage::valueForKey(const QString& key) const
{
    if (key == FlippedHorizontallyKey)
        return _isFlippedHorizontally;
    if (key == FlippedVerticallyKey)
        return _isFlippedVertically;
    return QBXGraphic::valueForKey(key);
}

void QBXImage::setValueForKey(const QString& key, const QVariant& value)
{
    if (key == FlippedHorizontallyKey)
        setFlippedHorizontally(value.toBool());
    else if (key == FlippedVerticallyKey)
        setFlippedVertically(value.toBool());
    else
        QBXGraphic::setValueForKey(key, value);
}

QStringList QBXImage::keysAffectedByKey(const QString& key) const
{
    if (key == FlippedHorizontallyKey || key == FlippedVerticallyKey)
        return {QBXGraphicDrawingContentsKey};
    return QBXGraphic::keysAffectedByKey(key);
}

QStringList QBXImage::keysForValuesToObserveForUndo() const
{
    return QBXGraphic::keysForValuesToObserveForUndo() << FlippedHorizontallyKey << FlippedVerticallyKey;
}

std::optional<QString> QBXImage::presentablePropertyNameForKey(const QString& key) const
{
    if (key == FlippedHorizontallyKey)
        return QStringLiteral("Horizontal Flipping");
    if (key == FlippedVerticallyKey)
        return QStringLiteral("Vertical Flipping");
    return QBXGraphic::presentablePropertyNameForKey(key);
}
