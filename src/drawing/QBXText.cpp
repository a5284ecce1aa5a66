#include "drawing/QBXText.h"

QString QBXText::className() const
{
    return QStringLiteral("QBXText");
}

GraphicPtr QBXText::newOfSameKind() const
{
    return std::make_shared<QBXText>();
}

QStringList QBXText::keysForValuesToObserveForUndo() const
{
    QStringList keys = QBXGraphic::keysForValuesToObserveForUndo();
    if (_contentsBeingChangedByScripting)
        keys.append(QStringLiteral("undoContents"));
    if (_boundsBeingChangedToMatchContents)
        keys.removeAll(QBXGraphicBoundsKey);
    return keys;
}

std::optional<QString> QBXText::presentablePropertyNameForKey(const QString& key) const
{
    if (key == QLatin1String("undoContents"))
        return QStringLiteral("Text");
    return QBXGraphic::presentablePropertyNameForKey(key);
}

void QBXText::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* text = dynamic_cast<QBXText*>(&copy))
        text->contents_val = contents_val;
}
