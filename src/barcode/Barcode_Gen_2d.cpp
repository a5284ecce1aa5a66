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
#include <QLocale>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>

namespace {

QString Count(qint64 n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// "Too many <unit> for <name>: <count>; at most <fitting> fit<where>.": the
// value counted in the symbology's bytes when it takes more bytes than
// characters, else in digits or characters.
QString Too_Many(const QString& name, const QString& value, const QByteArray& bytes, qint64 fitting,
                 const QString& where)
{
    const qint64 characters = value.toUcs4().size();
    const bool inBytes = bytes.size() > characters;
    const bool digits = std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    QString count = Count(inBytes ? bytes.size() : characters);
    if (inBytes)
        count += characters == 1 ? QStringLiteral(" (1 character)")
                                 : QStringLiteral(" (%1 characters)").arg(Count(characters));
    const QString unit = inBytes ? QStringLiteral("bytes")
        : digits                 ? QStringLiteral("digits")
                                 : QStringLiteral("characters");
    QString text = QStringLiteral("Too many %1 for %2: %3; at most %4 fit%5.")
                       .arg(unit, name, count, Count(fitting), where);
    if (!inBytes && std::any_of(value.begin(), value.end(), [](QChar c) { return c.unicode() > 127; }))
        text += QStringLiteral(" Letters with accents and other signs take more room than plain letters.");
    return text;
}

// The most leading bytes that fit, of bytes that do not all fit. A longer
// value takes no less room, so halving the span between a length that fits
// and one that does not finds the edge in a few tries of the encoder.
qint64 Fitting_Length(const QByteArray& bytes, const std::function<bool(const QByteArray&)>& fits)
{
    qint64 lo = 0, hi = bytes.size();
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (fits(bytes.left(mid)) ? lo : hi) = mid;
    }
    return lo;
}

} // namespace

int Barcode_Gen::Snap_Module_Pixels(double design, double fit, double k)
{
    const double most = fit * k + 1e-9;
    for (const double px : {std::ceil(design * k - 1e-9), std::round(design * k)})
        if (px >= 1 && px <= most)
            return int(px);
    return int(std::floor(most));
}

PointPicture Barcode_Gen::Fit_Run_Symbol(const QImage& units, QSizeF room, bool squareModules, double design)
{
    symbol_room = room;
    if (units.isNull() || !(room.width() > 0) || !(room.height() > 0))
        return {};
    const double k = run_device_dpi / 72.0;
    double mx = room.width() / units.width(), my = room.height() / units.height();
    if (squareModules)
        mx = my = std::min(mx, my);
    const int px = k > 0 ? Snap_Module_Pixels(mx, mx, k) : 0, py = k > 0 ? Snap_Module_Pixels(my, my, k) : 0;
    const bool whole = px >= 1 && py >= 1;
    drawn_modules = Drawn_Modules{std::min(mx, my), design, mx, units.width(), room.width(), whole};
    if (whole) {
        mx = px / k;
        my = py / k;
        drawn_modules.module = std::min(mx, my);
    }
    return PointPicture::fromImage(units, QSizeF(units.width() * mx, units.height() * my));
}

QSizeF Barcode_Gen::Run_Symbol_Room(QSizeF own, bool mayGrow)
{
    if (run_frame.isEmpty())
        return own;
    Read_Margins(true);
    const double hh = hideHeaderCheckbox.intValue() == 1 ? 0 : m_headerHeight * 72.0;
    const double fh = hideFooterCheckbox.intValue() == 1 ? 0 : m_footerHeight * 72.0;
    const QSizeF room(run_frame.width() - 2 * LR_margin - (LR_margin > 0 ? 15 : 0),
                      run_frame.height() - hh - header_margin - fh - footer_margin - 2 * TB_margin);
    return mayGrow ? room : own.boundedTo(room);
}

QString Barcode_Gen::QR_Capacity_Text(const QString& value, int level, int version)
{
    const QByteArray bytes = value.toUtf8();
    const qint64 fitting = Fitting_Length(
        bytes, [&](const QByteArray& part) { return QRSymbolEncoder::fits(level, version, part); });
    QString where = QStringLiteral(" at error correction %1").arg(QLatin1Char("LMQH"[std::clamp(level, 0, 3)]));
    if (version >= 1 && version <= 40)
        where = QStringLiteral(" in the chosen version %1%2").arg(version).arg(where);
    return Too_Many(QStringLiteral("QR Code"), value, bytes, fitting, where);
}

QString Barcode_Gen::QR_Size_Text(int64_t n, int size)
{
    // A size holds as many modules as it has pixels (see paintDataMatrix).
    return QStringLiteral("No QR Code picture can be made at this size: the symbol of this value is %1 modules wide "
                          "and the picture size %2 holds at most %2 modules. A size of %1 or more holds it.")
        .arg(n)
        .arg(size);
}

QString Barcode_Gen::QR_Raster_Text(int size, double dpi)
{
    // The picture is raised to the resolution as a square raster of at
    // most kMaxRasterBytes.
    dpi = platform::clampRasterDpi(dpi);
    const auto fits = [dpi](qint64 s) {
        const qint64 side = platform::pixelsForPoints(double(s), dpi);
        return side * side * 4 <= platform::kMaxRasterBytes;
    };
    const qint64 most = qint64(std::sqrt(double(platform::kMaxRasterBytes / 4)));
    qint64 largest = qint64(double(most) * 72.0 / dpi);
    while (largest > 0 && !fits(largest))
        --largest;
    if (fits(size))
        return QStringLiteral("No QR Code picture can be made at this size.");
    return QStringLiteral("No QR Code picture can be made at this size: at %1 dpi a size of %2 is %3 pixels wide, more "
                          "than the %4 a picture can have. A size of %5 or less can be made.")
        .arg(QString::number(dpi), Count(size), Count(platform::pixelsForPoints(double(size), dpi)), Count(most),
             Count(largest));
}

QString Barcode_Gen::PDF417_Capacity_Text(const QString& value, int errorLevel)
{
    // The encoder lowers the error level to what a full symbol leaves room
    // for, so the level chosen does not bound what fits.
    const QByteArray bytes = value.toLatin1();
    const qint64 fitting
        = Fitting_Length(bytes, [&](const QByteArray& part) { return PDF417_View::fits(part, errorLevel); });
    return Too_Many(QStringLiteral("PDF417"), value, bytes, fitting, {});
}

QString Barcode_Gen::PDF417_Character_Text(const QString& value)
{
    const QList<uint> characters = value.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (characters[i] <= 0xFF)
            continue;
        const char32_t c = characters[i];
        return QStringLiteral("PDF417 cannot hold \u201C%1\u201D (U+%2), character %3 of the value: it holds "
                              "only Latin-1 letters and signs (Western European).")
            .arg(QString::fromUcs4(&c, 1), QStringLiteral("%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper(),
                 Count(i + 1));
    }
    return {};
}

QString Barcode_Gen::DataMatrix_Capacity_Text(const QString& value, int width, int height, const QString& encoding)
{
    const QByteArray bytes = value.toUtf8();
    const qint64 fitting = Fitting_Length(
        bytes, [&](const QByteArray& part) { return ecc200::fits(part, width, height, encoding); });
    const QString name = width > 0 || height > 0
        ? QStringLiteral("the chosen Data Matrix size %1 x %2").arg(height).arg(width)
        : QStringLiteral("Data Matrix");
    // An encodation chosen bounds what fits, so it is named.
    QString where;
    if (encoding == QLatin1String("Ascii"))
        where = QStringLiteral(" in ASCII encoding");
    else if (encoding == QLatin1String("C40") || encoding == QLatin1String("Text")
             || encoding == QLatin1String("Base256"))
        where = QStringLiteral(" in %1 encoding").arg(encoding);
    return Too_Many(name, value, bytes, fitting, where);
}

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
        last_failure = QR_Capacity_Text(value, level, version);
        return;
    }
    const int S = HeightText_2D.intValue();
    const int64_t n = matrix->dimension();
    if (run_record && run_device_dpi > 0 && n > 0) {
        // One pixel a module with its four-module quiet zone, fitted into
        // the room the design's picture size gives.
        // The design's picture gives each module whole points of its size
        // where they fit (see paintDataMatrix).
        const double units = double(n + 8);
        image_2d = Fit_Run_Symbol(QRSymbolEncoder::paintDataMatrix(matrix.get(), int(n + 8)),
                                  Run_Symbol_Room(QSizeF(S, S), false), true,
                                  S >= n + 8 ? std::floor(S / units) : S / units);
        if (image_2d.isNull())
            last_failure = QStringLiteral("No QR Code picture can be made of this value.");
        return;
    }
    image_2d = QRSymbolEncoder::renderDataMatrix(matrix.get(), S);
    if (image_2d.isNull() && n > S)
        last_failure = QR_Size_Text(n, S);
    else if (image_2d.isNull())
        last_failure = QR_Raster_Text(S, Current_Used_Dpi());
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
    pdf_barcode->fixedColumns = 0;
    const int state = pdf_barcode->drawWithText(value);
    image_2d = {};
    // Only a picture of this value: after a failure the view still holds the
    // previous value's picture.
    if (state == 0)
        image_2d = pdf_barcode->getImage();
    if (image_2d.isNull()) {
        last_failure = pdf_barcode->tooLong() ? PDF417_Capacity_Text(value, pdf_barcode->errorLevel)
                                              : PDF417_Character_Text(value);
        if (last_failure.isEmpty())
            last_failure = QStringLiteral("No PDF417 symbol can be made of this value.");
        return;
    }
    if (run_record && run_device_dpi > 0) {
        // The design's picture spreads the rows over its frame size.
        const QSize units = pdf_barcode->moduleRows().size();
        const QSizeF frame = pdf_barcode->frameSize();
        image_2d = Fit_Run_Symbol(pdf_barcode->moduleRows(), Run_Symbol_Room(frame, false), false,
                                  units.isEmpty() ? 0 : std::min(frame.width() / units.width(),
                                                                 frame.height() / units.height()));
    }
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
        last_failure = DataMatrix_Capacity_Text(value, W, H, dm_encoding_ComboBox);
        ecc200::Symbol any;
        if (W > 0 && ecc200::encode(data, 0, 0, dm_encoding_ComboBox, &any, false))
            last_failure += QStringLiteral(" The value needs the size %1 x %2.").arg(any.H).arg(any.W);
        else if (W > 0)
            last_failure += QStringLiteral(" No size holds it.");
        return;
    }
    makeEPS_Data_Matrix(data, symbol.W, symbol.H, symbol.grid.data());
    if (image_2d.isNull()) {
        last_failure = QStringLiteral("No Data Matrix picture can be made at this size.");
        return;
    }
    if (run_record && run_device_dpi > 0) {
        // The symbol with its one-unit border, as the design shows it, in
        // the room the frame leaves (a longer value's larger symbol too).
        // The design's picture spreads the symbol and its border over the
        // module size times the symbol's modules.
        const double design = std::min(image_2d.size().width() / (symbol.W + 2),
                                       image_2d.size().height() / (symbol.H + 2));
        image_2d = Fit_Run_Symbol(ecc200::raster(symbol.W, symbol.H, symbol.grid.data()),
                                  Run_Symbol_Room(image_2d.size(), true), true, design);
        if (image_2d.isNull())
            last_failure = QStringLiteral("No Data Matrix picture can be made of this value.");
    }
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
