#include "drawing/QBXImage.h"

#include <QDir>
#include <QImageReader>

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
    QString standard = path;
    if (standard.startsWith(QLatin1Char('~')))
        standard.replace(0, 1, QDir::homePath());
    standard = QDir::cleanPath(standard);
    QImageReader reader(standard);
    reader.setAutoTransform(true);
    _contents = reader.read();
}

void QBXImage::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* image = dynamic_cast<QBXImage*>(&copy))
        image->_contents = _contents;
}
