// Data of the document's types: the native binary property list of the front
// list, and PDF or TIFF through the card renderer's hook.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXDocument.h"
#include "platform/plist.h"

#include <QFileInfo>

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

QString QBXDocument::printJobTitle(const QString& documentFilePath) const
{
    if (documentFilePath.isEmpty())
        return displayName();
    return QFileInfo(documentFilePath).completeBaseName();
}

QBXDocument::PrintHook& QBXDocument::printHook()
{
    static PrintHook hook;
    return hook;
}

bool QBXDocument::printOperationWithSettings(const QVariantMap& settings, const QString& documentFilePath) const
{
    const PrintHook& hook = printHook();
    if (!hook)
        return false;
    const QSizeF size = canvasSize(true, QSizeF());
    return hook(_graphics, QRectF(QPointF(0, 0), size), printJobTitle(documentFilePath), m_printInfo, settings);
}

bool QBXDocument::makeWindowControllers(const std::function<void()>& create)
{
    static int made = 0;
    if (made++ > 0)
        return false;
    if (create)
        create();
    return true;
}
