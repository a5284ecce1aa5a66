#include "drawing/QBXSignature.h"

QString QBXSignature::className() const
{
    return QStringLiteral("QBXSignature");
}

GraphicPtr QBXSignature::newOfSameKind() const
{
    return std::make_shared<QBXSignature>();
}

void QBXSignature::copyKindStateTo(QBXGraphic& copy) const
{
    if (auto* signature = dynamic_cast<QBXSignature*>(&copy)) {
        signature->_contents_img = _contents_img;
        signature->file_path = file_path;
    }
}
