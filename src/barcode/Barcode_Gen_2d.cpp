// The designer's 2-D drawing and picture pipeline: QR Code, PDF417 and Data
// Matrix symbols into image_2d, raised to USED_DPI_VALUE, and the composed
// picture with header and footer. Every entry runs with the generation lock
// held (the dispatch takes it; the public entries here take it again), on
// whatever thread asks, and touches no widget.
#include "barcode/Barcode_Gen.h"

#include "app/AppHelpers.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/DataMatrix.h"
#include "barcode/PDF417_View.h"
#include "barcode/QRSymbolEncoder.h"

#include <QFile>
#include <QPainter>
#include <QSaveFile>
#include <exception>

bool Barcode_Gen::Draw_2D_Symbol(const QString& title, const QString& value)
{
    auto lock = Lock_Generation();
    image_2d = {};
    try {
        if (title == QLatin1String("QR Code"))
            Draw_QR_Barcode(value);
        else if (title == QLatin1String("PDF417"))
            Draw_PDF_417_Barcode(value);
        else if (title == QLatin1String("DataMatrix"))
            Draw_DataMatrix_Barcode(value);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
        image_2d = {};
    }
    return !image_2d.isNull();
}

void Barcode_Gen::Draw_QR_Barcode(const QString& value)
{
    auto lock = Lock_Generation();
    const int level = run_record ? run_qr_ec_level : QR_EC_Level_Val.load();
    const int version = run_record ? run_qr_version : QR_Version_Val.load();
    const auto matrix = QRSymbolEncoder::encodeWithECLevel(level, version, value);
    if (!matrix) {
        image_2d = {};
        last_failure = QStringLiteral("The value does not fit the chosen QR Code version.");
        return;
    }
    image_2d = QRSymbolEncoder::renderDataMatrix(matrix.get(), HeightText_2D.intValue());
    if (image_2d.isNull())
        last_failure = QStringLiteral("No QR Code picture can be made at this size.");
}

void Barcode_Gen::Draw_PDF_417_Barcode(const QString& value)
{
    auto lock = Lock_Generation();
    if (!pdf_barcode)
        pdf_barcode = std::make_shared<PDF417_View>();
    pdf_barcode->setFrameSize(QSizeF(Pdf_widthText_2D.intValue(), pdf_HeightText_2D.intValue()));
    // The level field holds the graphic's stored level; a level outside 0..8
    // gives the default level 2, never the level a previous value left.
    bool isNumber = false;
    const int level = Trim_Str(pdf_ec_lvl_Text.text).toInt(&isNumber);
    if (isNumber && level >= 0 && level <= 8) {
        pdf_barcode->errorLevel = level;
    } else {
        Show_NSLog_Message(
            QStringLiteral("PDF417 error level \"%1\" is not 0 to 8; level 2 is used.").arg(pdf_ec_lvl_Text.text));
        pdf_barcode->errorLevel = 2;
    }
    const int state = pdf_barcode->drawWithText(value);
    image_2d = {};
    // Only a picture of this value: after a failure the view still holds the
    // previous value's picture.
    if (state == 0)
        image_2d = pdf_barcode->getImage();
    if (image_2d.isNull())
        last_failure = QStringLiteral("No PDF417 symbol can be made of this value.");
}

void Barcode_Gen::Draw_DataMatrix_Barcode(const QString& value)
{
    auto lock = Lock_Generation();
    image_2d = {};
    int W = 0, H = 0;
    ecc200::sizeFromTitle(dm_format_ComboBox, &W, &H);
    const QByteArray data = value.toUtf8();
    ecc200::Symbol symbol;
    if (!ecc200::encode(data, W, H, dm_encoding_ComboBox, &symbol)) {
        Set_Blank_Image();
        last_failure = QStringLiteral("No barcode produced");
        return;
    }
    makeEPS_Data_Matrix(data, symbol.W, symbol.H, symbol.grid.data());
    if (image_2d.isNull())
        last_failure = QStringLiteral("No Data Matrix picture can be made at this size.");
}

QByteArray Barcode_Gen::makeEPS_Data_Matrix(const QByteArray& text, int W, int H, const uint8_t* grid)
{
    auto lock = Lock_Generation();
    try {
        const QByteArray eps = ecc200::makeEPS(text, W, H, grid);
        image_2d = {};
        const int module = module_size;
        const int dpi = Current_Used_Dpi();
        if (module < 1 || dpi <= 0) {
            Show_NSLog_Message(QStringLiteral("Invalid Data Matrix module size %1 or resolution %2.")
                                   .arg(QString::number(module), QString::number(dpi)));
            return eps;
        }
        // The symbol with its one-unit border, as the EPS bounding box has it.
        const QImage units = ecc200::raster(W, H, grid);
        if (units.isNull())
            return eps;
        Save_Barcode_gen_image(PointPicture::fromImage(units, QSizeF(W + 2, H + 2)), QStringLiteral("eps"));
        image_2d = Increase_DPI(PointPicture::fromImage(units, QSizeF(W + 2, H + 2)), dpi);
        if (!image_2d.isNull())
            image_2d.setSize(QSizeF(double(W) * module, double(H) * module));
        return eps;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
        image_2d = {};
        return {};
    }
}

PointPicture Barcode_Gen::Get_Image_From_barcode_image(const PointPicture& symbol)
{
    auto lock = Lock_Generation();
    try {
        if (image_2d.isNull() || symbol.isNull()) {
            Set_Blank_Image();
            return {};
        }
        Set_2d_Barcode_Height(symbol);
        Set_2d_Barcode_Width(symbol);
        QString reason;
        PointPicture picture = BCXBarcodeImage::imageFromBarcodeImage(symbol, &reason);
        if (picture.isNull())
            Show_NSLog_Message(reason);
        return picture;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
        return {};
    }
}

PointPicture Barcode_Gen::Get_2d_barcode_from_image()
{
    auto lock = Lock_Generation();
    if (image_2d.isNull()) {
        Set_Blank_Image();
        return {};
    }
    if (liner_or_2D_font == 0)
        return {};
    return Get_Image_From_barcode_image(image_2d);
}

void Barcode_Gen::Set_Blank_Image()
{
    auto lock = Lock_Generation();
    image_2d = {};
}

PointPicture Barcode_Gen::Resize_Image(const PointPicture& picture, QSizeF newSize) const
{
    try {
        if (picture.isNull()) {
            Show_NSLog_Message(QStringLiteral("Invalid image"));
            return {};
        }
        QString reason;
        QImage raster = platform::allocateRaster(qint64(newSize.width()), qint64(newSize.height()), &reason);
        if (raster.isNull()) {
            Show_NSLog_Message(reason);
            return {};
        }
        raster.fill(Qt::transparent);
        {
            QPainter painter(&raster);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            picture.draw(painter, QRectF(0, 0, raster.width(), raster.height()));
        }
        return PointPicture::fromImage(raster, QSizeF(raster.width(), raster.height()));
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
        return {};
    }
}

bool Barcode_Gen::Save_Barcode_image(const PointPicture& picture, const QString& file_path_val) const
{
    try {
        if (picture.isNull())
            return false;
        QString reason;
        const QImage raster = picture.hasRaster() ? picture.raster() : picture.toImage(72.0, &reason);
        if (raster.isNull()) {
            Show_NSLog_Message(reason);
            return false;
        }
        // Replaces an existing file only once the new one is complete.
        QSaveFile file(file_path_val);
        if (!file.open(QIODevice::WriteOnly) || !raster.save(&file, "PNG") || !file.commit()) {
            Show_NSLog_Message(file.errorString());
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

void Barcode_Gen::Save_Barcode_gen_image(const PointPicture&, const QString&) const {}

PointPicture Barcode_Gen::Check_Orintation_And_Rotate_Image(const PointPicture& picture) const { return picture; }
