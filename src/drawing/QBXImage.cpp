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
    // Only the header is read now; the pixels when drawn.
    const QString file = drawing::standardizedPath(path);
    QString why;
    _contents = platform::StoredPicture::fromFile(file, &why);
    if (_contents.isNull() && !file.isEmpty())
        drawing::logOnce(QStringLiteral("picture:") + file,
                         QStringLiteral("The picture %1 cannot be read: %2").arg(file, why));
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
