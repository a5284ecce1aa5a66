// Data of the document's types: the native binary property list of the front
// list, and PDF or TIFF through the card renderer's hook.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXDocument.h"
#include "platform/plist.h"

QByteArray QBXDocument::dataOfType(const QString& type, QBXError* error) const
{
    if (type == NativeTypeIdentifier || type == NativeTypeName) {
        platform::Plist graphicsArray = platform::Plist::array();
        for (QByteArray& item : QBXGraphic::propertiesWithGraphics(_graphics))
            graphicsArray.append(platform::Plist::data(item));
        platform::Plist root = platform::Plist::dict();
        root.insert(QStringLiteral("version"), platform::Plist::integer(2));
        root.insert(QStringLiteral("graphics"), std::move(graphicsArray));
        root.insert(QStringLiteral("printInfo"), platform::Plist::data(m_printInfo));
        return root.toBinary();
    }
    QString format;
    if (type == PDFType || type == QLatin1String("application/pdf") || type == QLatin1String("PDF"))
        format = QStringLiteral("PDF");
    else if (type == TIFFType || type == QLatin1String("image/tiff") || type == QLatin1String("TIFF"))
        format = QStringLiteral("TIFF");
    if (format.isEmpty()) {
        Q_ASSERT_X(false, "QBXDocument::dataOfType", "unknown document type");
        graphic_defaults::log(QStringLiteral("No data of the unknown type \"%1\".").arg(type));
        return {};
    }
    const RenderDataHook& hook = renderDataHook();
    if (!hook) {
        if (error && format == QLatin1String("TIFF"))
            *error = QBXGraphic::QBXErrorWithCode(3);
        return {};
    }
    return hook(_graphics, format, error);
}
