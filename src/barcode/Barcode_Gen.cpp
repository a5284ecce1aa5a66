#include "barcode/Barcode_Gen.h"

#include <QHash>
#include <QtGlobal>
#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/AppHelpers.h"
#include "barcode/BCXBarcode.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXCode128Barcode.h"
#include "barcode/BCXCode39Barcode.h"
#include "barcode/BCXPostalBarcodes.h"
#include "barcode/BCXTwoOfFiveBarcodes.h"
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/BarcodeText.h"

Barcode_Gen* Barcode_Gen_Var = nullptr;
Barcode_Gen* barcode_gen_def_inst = nullptr;

double Read_Leading_Number(const QString& text)
{
    // Only the leading ASCII part can hold a number.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 127)
            break;
        bytes.append(char(c.unicode()));
    }
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p < end && (*p == '+' || *p == '-'))
        return 0; // a second sign is no number
    double value = 0;
    auto res = std::from_chars(p, end, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range)
        return negative ? -HUGE_VAL : HUGE_VAL;
    if (res.ec != std::errc())
        return 0;
    return negative ? -value : value;
}

float BarcodeTextEntry::floatValue() const { return float(Read_Leading_Number(text)); }

int BarcodeTextEntry::intValue() const
{
    const double v = Read_Leading_Number(text);
    if (!std::isfinite(v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return int(v);
}

Barcode_Gen::Barcode_Gen()
{
    if (!barcode_gen_def_inst)
        barcode_gen_def_inst = this;
    Restore_Defaults();
}

Barcode_Gen::~Barcode_Gen()
{
    if (Barcode_Gen_Var == this)
        Barcode_Gen_Var = nullptr;
    if (barcode_gen_def_inst == this)
        barcode_gen_def_inst = nullptr;
}

Barcode_Gen* Barcode_Gen::defaultInstance()
{
    static Barcode_Gen* instance = [] {
        auto* gen = new Barcode_Gen; // lives until the process ends
        gen->awakeFromNib();
        return gen;
    }();
    return instance;
}

namespace {
thread_local Barcode_Gen* t_thread_designer = nullptr;
}

Thread_Designer_Scope::Thread_Designer_Scope(Barcode_Gen& gen) : m_previous(t_thread_designer)
{
    t_thread_designer = &gen;
}

Thread_Designer_Scope::~Thread_Designer_Scope()
{
    t_thread_designer = m_previous;
}

Barcode_Gen& Current_Barcode_Gen()
{
    if (t_thread_designer)
        return *t_thread_designer;
    Barcode_Gen* first = Barcode_Gen::defaultInstance();
    return Barcode_Gen_Var ? *Barcode_Gen_Var : *first;
}

int Current_Used_Dpi()
{
    if (t_thread_designer && t_thread_designer->run_record)
        return t_thread_designer->run_dpi;
    return USED_DPI_VALUE.load();
}

int Barcode_Gen::Resolution_For(const QString& choice, const QString& custom, bool* usable)
{
    double dpi = 600;
    bool ok = true;
    if (choice == QLatin1String("Custom")) {
        const double typed = Read_Leading_Number(custom);
        ok = std::isfinite(typed) && typed > 0;
        if (ok)
            dpi = typed;
    } else if (choice != QLatin1String("Auto")) {
        const double leading = Read_Leading_Number(choice);
        ok = std::isfinite(leading) && leading > 0;
        if (ok)
            dpi = leading;
    }
    if (usable)
        *usable = ok;
    return int(std::clamp(dpi, platform::kMinRasterDpi, platform::kMaxRasterDpi));
}

void Barcode_Gen::awakeFromNib()
{
    Barcode_Gen_Var = this;
    liner_or_2D_font = 0;
    Measument_Unit_Is = 1;
    last_unit_val = 1;
}

void Barcode_Gen::Restore_Defaults()
{
    liner_or_2D_font = 0;
    barcodeTypePopup = QStringLiteral("Code 39");
    dataText = {QStringLiteral("0123"), true};
    dataText_2D = {QStringLiteral("0123"), true};
    HeaderText = {QStringLiteral("HEADER"), true};
    FooterText = {QStringLiteral("FOOTER"), true};
    captionCheckbox = {};
    showinTopCheckbox = {};
    hideHeaderCheckbox = {};
    hideFooterCheckbox = {};
    kerning_value_Checkbox = {};
    HeightText = {QStringLiteral("0.6"), true};
    widthText = {QStringLiteral("20"), true};
    val_mar_Text = hdr_mar_Text = ftr_mar_Text = TB_mar_Text = LR_mar_Text = {QStringLiteral("0.1"), true};
    value_margin = header_margin = footer_margin = LR_margin = TB_margin = 0.1f;
    align_hdr_combo = align_ftr_combo = QStringLiteral("Center");
    barcode_clr = bar_val_clr = bar_hdr_clr = bar_ftr_clr = QColor(Qt::black);
    bar_back_clr = QColor(Qt::white);
    QFont times(QStringLiteral("Times New Roman"));
    times.setPointSizeF(10);
    value_font = header_font = footer_font = times;
    HeightText_2D = {QStringLiteral("60"), true};
    pdf_HeightText_2D = {QStringLiteral("20"), true};
    Pdf_widthText_2D = {QStringLiteral("100"), true};
    pdf_ec_lvl_Text = {QStringLiteral("2"), true};
    dm_moduleText_2D = {QStringLiteral("2"), true};
    dm_format_ComboBox = dm_encoding_ComboBox = QStringLiteral("Auto");
    DPI_ComboBox = QStringLiteral("Auto");
    dpi_Text = {QStringLiteral("0"), true};
    testBarcode.reset();
    testBarcode_EXP.reset();
    image_2d = {};
    last_failure.clear();
    last_change.clear();
    m_content = m_header = m_footer = QString();
    m_height = m_width = 0;
    m_printsCaption = m_printsHeader = m_printsFooter = false;
    m_captionFontSize = m_headerFontSize = m_footerFontSize = 0;
    m_captionHeight = m_headerHeight = m_footerHeight = 0;
    m_headerWidth = m_footerWidth = 0;
    Measument_Unit_Is = 1;
    last_unit_val = 1;
}

// ---- band sizes ---------------------------------------------------------------

void Barcode_Gen::setCaptionFontSize(float size)
{
    m_captionFontSize = size;
    m_captionHeight = float(barcode_text::lineHeight(value_font) / 72.0);
}

void Barcode_Gen::setHeaderFontSize(float size)
{
    m_headerFontSize = size;
    m_headerHeight = float(barcode_text::lineHeight(header_font) / 72.0);
    m_headerWidth = float(barcode_text::naturalSize(header(), header_font, barcode_text::kCaptionSpacing).width());
}

void Barcode_Gen::setFooterFontSize(float size)
{
    m_footerFontSize = size;
    m_footerHeight = float(barcode_text::lineHeight(footer_font) / 72.0);
    m_footerWidth = float(barcode_text::naturalSize(footer(), footer_font, barcode_text::kCaptionSpacing).width());
}

// ---- sizes ----------------------------------------------------------------------

float Barcode_Gen::To_Points(float value)
{
    const double v = value;
    switch (Measument_Unit_Is.load()) {
    case 2:
        return float(v * 0.393701 * 72.0 / 10.0);
    case 1:
        return float(v * 0.393701 * 72.0);
    default:
        return float(v * 72.0);
    }
}

namespace {
// A margin as entered, in points: negative, NaN or infinite reads 0.
float marginPoints(const BarcodeTextEntry& entry)
{
    const float v = entry.floatValue();
    if (!std::isfinite(v) || v < 0)
        return 0;
    const float p = Barcode_Gen::To_Points(v);
    return std::isfinite(p) ? p : 0;
}

float largest(float a, float b, float c) { return std::max(a, std::max(b, c)); }
}

void Barcode_Gen::Read_Margins(bool allFive)
{
    LR_margin = marginPoints(LR_mar_Text);
    if (!allFive)
        return;
    value_margin = captionCheckbox.intValue() == 1 ? 0 : marginPoints(val_mar_Text);
    header_margin = hideHeaderCheckbox.intValue() == 1 ? 0 : marginPoints(hdr_mar_Text);
    footer_margin = hideFooterCheckbox.intValue() == 1 ? 0 : marginPoints(ftr_mar_Text);
    TB_margin = marginPoints(TB_mar_Text);
}

void Barcode_Gen::Set_Barcode_Height(BCXBarcode& b)
{
    Read_Margins(true);
    const float barHeight = To_Points(HeightText.floatValue());
    b.setHeight(b.printsCaption() ? float(barHeight + b.captionHeight() * 72.0 + value_margin) : barHeight);
    if (b.printsHeader())
        b.setHeight(float(b.height() + b.headerHeight() * 72.0 + header_margin));
    if (b.printsFooter())
        b.setHeight(float(b.height() + b.footerHeight() * 72.0 + footer_margin));
    b.setHeight(b.height() + 2 * TB_margin);
    // Postal symbols have bars of their own height: the picture keeps room
    // for every band and the tallest bar, so no bar is cut off.
    for (int round = 0; round < 3; ++round) {
        const float need = b.bandsHeight() + tallestBarOf(b);
        if (tallestBarOf(b) <= 0 || b.height() >= need)
            break;
        b.setHeight(need);
    }
}

float Barcode_Gen::Set_Linear_Barcode_Width(BCXBarcode& b)
{
    const float hw = hideHeaderCheckbox.intValue() == 1 ? 0 : b.headerWidth();
    const float fw = hideFooterCheckbox.intValue() == 1 ? 0 : b.footerWidth();
    // The value text drawn as one centred line with letter spacing.
    float cw = 0;
    if (b.printsCaption() && b.leftCaption().isEmpty() && !b.caption().contains(QLatin1Char('\t'))
        && kerning_value_Checkbox.intValue() != 1)
        cw = float(barcode_text::naturalSize(b.caption(), value_font, barcode_text::kCaptionSpacing).width());
    Read_Margins(false);
    const float m = LR_margin;
    return std::max(largest(hw, fw, b.width()) + 2 * m + (m > 0 ? 15 : 0), cw);
}

void Barcode_Gen::Set_2d_Barcode_Height(const PointPicture& symbol)
{
    m_height = float(Two_D_Frame_For(symbol_room.isEmpty() ? symbol.size() : symbol_room).height());
}

void Barcode_Gen::Set_2d_Barcode_Width(const PointPicture& symbol)
{
    m_width = float(Two_D_Frame_For(symbol_room.isEmpty() ? symbol.size() : symbol_room).width());
}

QSizeF Barcode_Gen::Two_D_Frame_For(QSizeF symbol)
{
    Read_Margins(true);
    const float hh = hideHeaderCheckbox.intValue() == 1 ? 0 : float(m_headerHeight * 72.0);
    const float fh = hideFooterCheckbox.intValue() == 1 ? 0 : float(m_footerHeight * 72.0);
    const float height = float(symbol.height() + hh + header_margin + fh + footer_margin + 2 * TB_margin);
    const float hw = hideHeaderCheckbox.intValue() == 1 ? 0 : m_headerWidth;
    const float fw = hideFooterCheckbox.intValue() == 1 ? 0 : m_footerWidth;
    const float m = LR_margin;
    const float width = largest(hw, fw, float(symbol.width())) + 2 * m + (m > 0 ? 15 : 0);
    return QSizeF(width, height);
}

PointPicture Barcode_Gen::Increase_DPI(PointPicture source, double dpi) const
{
    if (source.isNull()) {
        Show_NSLog_Message(QStringLiteral("Invalid image"));
        return {};
    }
    dpi = platform::clampRasterDpi(dpi);
    const QSizeF size = source.size();
    QString reason;
    QImage raster = platform::allocateRaster(platform::pixelsForPoints(size.width(), dpi),
                                             platform::pixelsForPoints(size.height(), dpi), &reason);
    if (raster.isNull()) {
        Show_NSLog_Message(reason);
        return {};
    }
    raster.fill(Qt::transparent);
    {
        QPainter painter(&raster);
        if (!painter.isActive()) {
            Show_NSLog_Message(QStringLiteral("Invalid image"));
            return {};
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
        source.draw(painter, QRectF(0, 0, raster.width(), raster.height()));
    }
    raster.setDotsPerMeterX(platform::dotsPerMeter(dpi));
    raster.setDotsPerMeterY(platform::dotsPerMeter(dpi));
    return PointPicture::fromImage(raster, size);
}

void Barcode_Gen::Fit_Linear_Run(BCXBarcode& b)
{
    const double design = b.barWidth();
    const double units = design > 0 ? b.width() / design : 0;
    if (!(units > 0))
        return;
    Read_Margins(false);
    const double room = run_frame.isEmpty() ? HUGE_VAL
                                            : run_frame.width() - 2 * LR_margin - (LR_margin > 0 ? 15 : 0);
    const double fit = room / units;
    const double k = run_device_dpi / 72.0;
    const int px = Snap_Module_Pixels(design, fit, k);
    const double bw = px >= 1 ? px / k : std::min(design, fit);
    if (!(bw > 0))
        return;
    drawn_modules = Drawn_Modules{bw, design, fit, int(std::lround(units)), room, px >= 1};
    b.setBarWidth(float(bw));
    b.calculateWidth();
}

// ---- generation -----------------------------------------------------------------

bool Barcode_Gen::Get_Print_State() const
{
    return captionCheckbox.enabled && captionCheckbox.intValue() != 1;
}

std::unique_ptr<BCXBarcode> Barcode_Gen::Create_Linear_Barcode(const QString& title)
{
    using Make = std::unique_ptr<BCXBarcode> (*)();
    static const QHash<QString, Make> table = {
        {QStringLiteral("Code 39"), [] { return std::unique_ptr<BCXBarcode>(new BCXCode39Barcode); }},
        {QStringLiteral("Extended Code 39"), [] { return std::unique_ptr<BCXBarcode>(new BCXExtendedCode39Barcode); }},
        {QStringLiteral("Interleaved 2 of 5"), [] { return std::unique_ptr<BCXBarcode>(new BCXInterleavedTwoOfFiveBarcode); }},
        {QStringLiteral("UPCA"), [] { return std::unique_ptr<BCXBarcode>(new BCXUPCABarcode); }},
        {QStringLiteral("PostNet"), [] { return std::unique_ptr<BCXBarcode>(new BCXPostnetBarcode); }},
        {QStringLiteral("Modified Plessey"), [] { return std::unique_ptr<BCXBarcode>(new BCXModifiedPlesseyBarcode); }},
        {QStringLiteral("Modified Plessey (Hex)"), [] { return std::unique_ptr<BCXBarcode>(new BCXModifiedPlesseyHexBarcode); }},
        {QStringLiteral("Industrial 2 of 5"), [] { return std::unique_ptr<BCXBarcode>(new BCXIndustrialTwoOfFiveBarcode); }},
        {QStringLiteral("EAN-13"), [] { return std::unique_ptr<BCXBarcode>(new BCXEAN13Barcode); }},
        {QStringLiteral("Code 128"), [] { return std::unique_ptr<BCXBarcode>(new BCXCode128Barcode(3)); }},
        {QStringLiteral("Code 128 SET A"), [] { return std::unique_ptr<BCXBarcode>(new BCXCode128Barcode(0)); }},
        {QStringLiteral("Code 128 SET B"), [] { return std::unique_ptr<BCXBarcode>(new BCXCode128Barcode(1)); }},
        {QStringLiteral("Code 128 SET C"), [] { return std::unique_ptr<BCXBarcode>(new BCXCode128Barcode(2)); }},
        {QStringLiteral("Codabar"), [] { return std::unique_ptr<BCXBarcode>(new BCXCodabarBarcode); }},
        {QStringLiteral("UPCE"), [] { return std::unique_ptr<BCXBarcode>(new BCXUPCEBarcode); }},
        {QStringLiteral("EAN-8"), [] { return std::unique_ptr<BCXBarcode>(new BCXEAN8Barcode); }},
        {QStringLiteral("Royal Mail Barcode (RM4SCC / CBC)"), [] { return std::unique_ptr<BCXBarcode>(new BCXRoyalMailBarcode); }},
        {QStringLiteral("Planet"), [] { return std::unique_ptr<BCXBarcode>(new BCXPlanetBarcode); }},
        {QStringLiteral("Japan Post Barcode"), [] { return std::unique_ptr<BCXBarcode>(new JapanPostBarcode); }},
    };
    const Make make = table.value(title, nullptr);
    return make ? make() : nullptr;
}

bool Barcode_Gen::Is_2D_Title(const QString& title)
{
    return title == QLatin1String("QR Code") || title == QLatin1String("PDF417")
        || title == QLatin1String("DataMatrix");
}

std::shared_ptr<BCXBarcode> Barcode_Gen::Generate_Barcode_Variable(bool preview, const QString& value,
                                                                   const QString& headerText,
                                                                   const QString& footerText)
{
    auto lock = Lock_Generation();
    last_failure.clear();
    last_change.clear();
    drawn_modules = {};
    symbol_room = {};
    if (!run_record && Not_Draw_Only_Prop_Change)
        return testBarcode; // settings are being loaded: the last preview stands
    if (value.isEmpty()) {
        last_failure = QStringLiteral("Please enter barcode value");
        return {};
    }
    const bool caption = Get_Print_State();
    const bool printsHdr = hideHeaderCheckbox.intValue() != 1;
    const bool printsFtr = hideFooterCheckbox.intValue() != 1;

    if (liner_or_2D_font == 0) {
        std::shared_ptr<BCXBarcode> b = Create_Linear_Barcode(barcodeTypePopup);
        if (!b) {
            last_failure = QStringLiteral("Unknown barcode type: %1").arg(barcodeTypePopup);
            return {};
        }
        if (!b->initWithContent_printsCaption(value, caption)) {
            last_failure = QStringLiteral("Please enter barcode value");
            return {};
        }
        const QString problem = b->contentProblem();
        if (!problem.isEmpty()) {
            last_failure = problem;
            return {};
        }
        last_change = b->contentChange();
        b->setHeader(headerText);
        b->setFooter(footerText);
        b->setPrintsCaption(caption);
        b->setPrintsHeader(printsHdr);
        b->setPrintsFooter(printsFtr);
        if (widthText.enabled) {
            float mils = widthText.floatValue();
            if (!(mils > 0)) {
                last_failure = QStringLiteral("Bar width must be greater than 0.");
                return {};
            }
            mils = std::min(mils, 100.0f);
            b->setBarWidth(float(mils / 1000.0f) * 72);
        }
        b->setCaptionFontSize(float(value_font.pointSizeF()));
        b->setHeaderFontSize(float(header_font.pointSizeF()));
        b->setFooterFontSize(float(footer_font.pointSizeF()));
        if (HeightText.enabled) {
            const float h = HeightText.floatValue();
            if (!(h > 0) || !std::isfinite(h)) {
                last_failure = QStringLiteral("Bar height must be greater than 0.");
                return {};
            }
            Set_Barcode_Height(*b);
        }
        b->calculateWidth();
        const bool fitted = run_record && run_device_dpi > 0;
        if (fitted)
            Fit_Linear_Run(*b);
        b->setWidth(Set_Linear_Barcode_Width(*b));
        // A narrower row is as wide as its frame, its bars centred in it as
        // the design's are.
        if (fitted && b->width() < run_frame.width())
            b->setWidth(float(run_frame.width()));
        if (preview)
            testBarcode = b;
        return b;
    }

    if (!Is_2D_Title(barcodeTypePopup)) {
        image_2d = {};
        last_failure = QStringLiteral("Unknown barcode type: %1").arg(barcodeTypePopup);
        return {};
    }
    setContent(value);
    setHeader(headerText);
    setFooter(footerText);
    setPrintsCaption(caption);
    setPrintsHeader(printsHdr);
    setPrintsFooter(printsFtr);
    setCaptionFontSize(float(value_font.pointSizeF()));
    setHeaderFontSize(float(header_font.pointSizeF()));
    setFooterFontSize(float(footer_font.pointSizeF()));
    module_size = barcodeTypePopup == QLatin1String("DataMatrix") ? dm_moduleText_2D.intValue() : 1;
    if (!run_record)
        Barcode_module_size = module_size;
    image_2d = {};
    if (!Draw_2D_Symbol(barcodeTypePopup, value) || image_2d.isNull()) {
        image_2d = {};
        if (last_failure.isEmpty())
            last_failure = QStringLiteral("No %1 symbol can be made of this value.").arg(barcodeTypePopup);
        return {};
    }
    // The 2-D frame follows the symbol of this generation.
    Set_2d_Barcode_Height(image_2d);
    Set_2d_Barcode_Width(image_2d);
    return {};
}

PointPicture Barcode_Gen::Get_Image_From_Val(const QString& value, const QString& headerText,
                                             const QString& footerText, bool moduleShapes)
{
    auto lock = Lock_Generation();
    try {
        std::shared_ptr<BCXBarcode> b = Generate_Barcode_Variable(false, value, headerText, footerText);
        testBarcode_EXP = b;
        if (!last_failure.isEmpty())
            return {};
        QString reason;
        PointPicture picture;
        if (liner_or_2D_font != 0)
            picture = BCXBarcodeImage::imageFromBarcodeImage(image_2d, &reason, moduleShapes);
        else if (b)
            picture = BCXBarcodeImage::imageFromBarcode(b.get(), &reason);
        else
            reason = QStringLiteral("Please enter barcode value");
        if (picture.isNull())
            last_failure = reason;
        return picture;
    } catch (const std::exception& e) {
        last_failure = QString::fromLocal8Bit(e.what());
        return {};
    } catch (...) {
        last_failure = QStringLiteral("Barcode generation failed.");
        return {};
    }
}
