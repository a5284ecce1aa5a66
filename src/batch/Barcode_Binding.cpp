#include "batch/Barcode_Binding.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "batch/Card_Problems.h"
#include "drawing/QBXBarcode.h"

#include <QLocale>
#include <QMutex>
#include <QPainter>
#include <QPicture>
#include <QSet>
#include <cmath>
#include <tuple>

namespace {

const QStringList& Alignment_Titles()
{
    static const QStringList titles{QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")};
    return titles;
}

const QStringList& Encoding_Titles()
{
    static const QStringList titles{QStringLiteral("Auto"), QStringLiteral("Ascii"), QStringLiteral("C40"),
                                    QStringLiteral("Text"), QStringLiteral("Base256")};
    return titles;
}

// A damaged design log repeats its damage on every row: each complaint is
// logged the first time only.
void Log_Once(const QString& text)
{
    static QMutex mutex;
    static QSet<QString> logged;
    {
        QMutexLocker hold(&mutex);
        if (logged.contains(text))
            return;
        logged.insert(text);
    }
    Show_NSLog_Message(text);
}

QString Title_At(const QStringList& titles, int index, int fallback, const char* field)
{
    if (index >= 0 && index < titles.size())
        return titles.at(index);
    Log_Once(QStringLiteral("Stored %1 %2 is not in its list; \"%3\" is used.")
                 .arg(QLatin1String(field), QString::number(index), titles.at(fallback)));
    return titles.at(fallback);
}

// A stored number kept within [low, high]; NaN gives the default.
double Checked(double v, double low, double high, double fallback, const char* field)
{
    double kept = v;
    if (std::isnan(v))
        kept = fallback;
    else
        kept = std::clamp(v, low, high);
    if (kept != v)
        Log_Once(QStringLiteral("Stored %1 %2 is out of range; %3 is used.")
                     .arg(QLatin1String(field), QString::number(v), QString::number(kept)));
    return kept;
}

BarcodeTextEntry Number_Entry(double v)
{
    return BarcodeTextEntry{QString::number(v), true};
}

int Index_Of(const QStringList& titles, const QString& title)
{
    return int(std::max<qsizetype>(0, titles.indexOf(title)));
}

// The narrowest module, in device pixels, at which every picture of a
// symbology reads back with zxing-cpp or zbar, at any position on the
// device: with modules on whole pixels, as runs draw them, and resampled,
// as a stored picture is drawn at another resolution or a row is drawn
// smaller to stay in its frame. Found by drawing some 30,000 pictures of
// random values a symbology at 40 to 420 dpi (see the calibration program
// beside the barcode tests): each figure lies 0.05 px above the largest
// module at which neither decoder read a picture. Resampled bars miss at
// some scales only (Code 39 near 1.96 px, Codabar up to 3.46 px, where
// its wide bars, twice the narrow, can be drawn only half as wide again):
// those misses count. One PDF417 of 20,000 missed at 5.2 px is not taken for
// its module size: every other read from 1.35 px.
double Least_Module_Pixels(const QString& title, bool wholePixels)
{
    struct Least {
        const char* title;
        double whole, resampled;
    };
    static const Least table[] = {
        {"Code 39", 1, 2.05},
        // zxing-cpp, its one reader, misses resampled bars up to 4.96 px.
        {"Extended Code 39", 1, 5.05},
        {"Interleaved 2 of 5", 1, 1.05},
        {"UPCA", 1, 1.6},
        {"UPCE", 1, 2.05},
        {"EAN-13", 1, 1.7},
        {"EAN-8", 1, 1.65},
        {"Code 128", 1, 1.7},
        {"Code 128 SET A", 1, 1.7},
        {"Code 128 SET B", 1, 1.7},
        {"Code 128 SET C", 1, 1.7},
        {"Codabar", 1, 3.55},
        {"QR Code", 1, 2.2},
        {"PDF417", 1, 1.4},
        // Two whole pixels a module read here, yet 16 x 16 symbols drawn so
        // have been seen to fail one time in ten.
        {"DataMatrix", 3, 2.15},
        // No decoder reads these: the widest figure of the wide and narrow
        // bars that do (bars of one width, the postal codes, take 2).
        {"Industrial 2 of 5", 1, 3.55},
        {"Modified Plessey", 1, 3.55},
        {"Modified Plessey (Hex)", 1, 3.55},
    };
    for (const Least& l : table)
        if (title == QLatin1String(l.title))
            return wholePixels ? l.whole : l.resampled;
    return wholePixels ? 1 : 2;
}

// A design picture is whole points; read back from its raster it carries
// the rounding of the raster's pixels (121.08 pt for 121).
QSizeF Whole_Points(QSizeF size)
{
    return QSizeF(std::floor(size.width() + 0.01), std::floor(size.height() + 0.01));
}

// The name a sentence gives the symbology.
QString Symbology_Name(const QString& title)
{
    if (title == QLatin1String("DataMatrix"))
        return QStringLiteral("Data Matrix");
    if (title == QLatin1String("UPCA"))
        return QStringLiteral("UPC-A");
    if (title == QLatin1String("UPCE"))
        return QStringLiteral("UPC-E");
    return title;
}

QString Millimetres(double points)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(std::ceil(points * 25.4 / 72.0 - 1e-6), 'f', 0);
}

// Two significant figures: 0.5, 0.04, 1.3.
QString Figure(double v)
{
    return QString::number(v, 'g', 2);
}

// What a too-fine line says: "has bars of 0.5 px (0.18 mm) at 72 dpi; it
// reads at 150 dpi, or in a frame 42 mm wide." `ways` are what makes it
// read; none: the value is too long for its frame.
QString Too_Fine_Line(const QString& name, const QString& title, double points, double dpi, const QStringList& ways)
{
    QString text = QStringLiteral("%1 has %2 of %3 px (%4 mm) at %5 dpi")
                       .arg(name, Barcode_Gen::Is_2D_Title(title) ? QStringLiteral("modules") : QStringLiteral("bars"),
                            Figure(points * dpi / 72.0), Figure(points * 25.4 / 72.0), QString::number(dpi));
    if (ways.isEmpty())
        return text + QStringLiteral("; the value is too long for its frame at any resolution this output offers.");
    return text + QStringLiteral("; it reads ") + ways.join(QStringLiteral(", or ")) + QLatin1Char('.');
}

// Where a remedy found is said: "at 150 dpi" (or "exported at 150 dpi"
// from a mail) and "in a frame 42 mm wide", in the order a user of that
// output would try them.
QStringList Ways(const Barcode_Run_Target& t, int dpi, double width)
{
    QStringList ways;
    const QString resolution = dpi > 0 ? QStringLiteral("%1 at %2 dpi")
                                             .arg(t.mailed ? QStringLiteral("when exported") : QString(), QString::number(dpi))
                                             .trimmed()
                                       : QString();
    const QString frame = width > 0 ? QStringLiteral("in a frame %1 mm wide").arg(Millimetres(width)) : QString();
    for (const QString& way : t.mailed ? QStringList{frame, resolution} : QStringList{resolution, frame})
        if (!way.isEmpty())
            ways << way;
    return ways;
}

// The smallest frame width (whole millimetres, in points) from `from` up to
// `most` at which reads(width) holds; 0 when none does. Reads is taken to
// grow with the width; every width returned was asked.
double Least_Reading_Width(double from, double most, const std::function<bool(double)>& reads)
{
    const double mm = 72.0 / 25.4;
    int lo = int(std::floor(from / mm)), hi = int(std::floor(most / mm + 1e-6));
    if (hi <= lo || !reads(hi * mm))
        return 0;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        (reads(mid * mm) ? hi : lo) = mid;
    }
    return hi * mm;
}

// The widest `frame` may grow to and still fit in `largest` (empty: no
// room known): a 2-D frame grows in both directions.
double Widest_Frame(const QString& title, QSizeF frame, QSizeF largest)
{
    if (frame.isEmpty() || largest.isEmpty())
        return 0;
    if (Barcode_Gen::Is_2D_Title(title))
        return std::min(largest.width(), frame.width() * largest.height() / frame.height());
    return largest.width();
}

// A run row as the output draws it, with the module it drew (points) and
// whether that reads.
struct Made_Row {
    Barcode_Row_Picture row;
    double module = 0;
    int across = 0;
    QSizeF size; // before it was drawn smaller
    bool reads = true;
};

Made_Row Make_Row(const QBXGraphic& settings, const QString& value, const QString& header, const QString& footer,
                  const Barcode_Run_Target& target, double width = 0)
{
    // The shared designer exists before any run record, so a run record is
    // never taken for it.
    Barcode_Gen::defaultInstance();
    Barcode_Gen gen;
    gen.run_record = true;
    Load_Barcode_Settings(gen, settings);
    if (target.in_run) {
        gen.run_device_dpi = target.dpi;
        gen.run_frame = Whole_Points(target.frame);
        if (width > 0 && !gen.run_frame.isEmpty()) {
            // A wider frame; a 2-D symbol's frame and design size grow alike.
            const double grow = width / gen.run_frame.width();
            if (gen.liner_or_2D_font == 0) {
                gen.run_frame.setWidth(width);
            } else {
                gen.run_frame = QSizeF(width, std::floor(gen.run_frame.height() * grow));
                auto scaled = [grow](const BarcodeTextEntry& e) {
                    return BarcodeTextEntry{QString::number(std::floor(e.floatValue() * grow)), true};
                };
                gen.HeightText_2D = scaled(gen.HeightText_2D);
                gen.Pdf_widthText_2D = scaled(gen.Pdf_widthText_2D);
                gen.pdf_HeightText_2D = scaled(gen.pdf_HeightText_2D);
            }
        }
    }
    Thread_Designer_Scope scope(gen);
    Made_Row made;
    Barcode_Row_Picture& row = made.row;
    row.picture = gen.Get_Image_From_Val(value, header, footer, target.in_run);
    row.dpi = gen.run_dpi;
    if (row.picture.isNull()) {
        row.failure = gen.last_failure;
        return made;
    }
    row.change = gen.last_change;
    if (!target.in_run)
        return made;
    // Never past the frame: what the fitted symbol leaves over (a header or
    // value text wider than the frame) is drawn smaller, a device pixel in
    // from every edge (the frame's edge pixels are only partly its own),
    // clipped so that no glyph drawn at the smaller size reaches out.
    const QSizeF size = row.picture.size(), frame = gen.run_frame;
    Barcode_Gen::Drawn_Modules d = gen.drawn_modules;
    if (!frame.isEmpty() && (size.width() > frame.width() + 0.01 || size.height() > frame.height() + 0.01)) {
        const double pixel = target.dpi > 0 ? 72.0 / target.dpi : 0;
        const double scale = std::min((frame.width() - 2 * pixel) / size.width(),
                                      (frame.height() - 2 * pixel) / size.height());
        const QRectF smaller(QPointF(pixel, pixel), size * scale);
        QPicture picture;
        QPainter painter(&picture);
        painter.setClipRect(smaller);
        row.picture.draw(painter, smaller);
        painter.end();
        row.picture = PointPicture::fromPicture(picture, smaller.size() + QSizeF(2 * pixel, 2 * pixel));
        d.module *= scale;
        d.whole_pixels = false;
    }
    if (d.module > 0 && target.dpi > 0) {
        made.module = d.module;
        made.across = d.across;
        made.size = size;
        row.module_pixels = d.module * target.dpi / 72.0;
        row.whole_pixels = d.whole_pixels;
        made.reads = d.module * target.dpi / 72.0
            >= Least_Module_Pixels(gen.barcodeTypePopup, d.whole_pixels) - 1e-6;
    }
    return made;
}

// What makes a too-fine row read, each made as the output would make it
// and asked by the same rule: the first higher resolution the output
// offers, the narrowest frame that fits on the card.
void Find_Remedies(const QBXGraphic& settings, const QString& value, const QString& header, const QString& footer,
                   const Barcode_Run_Target& target, Barcode_Row_Picture& row)
{
    const auto reads = [&](const Barcode_Run_Target& at, double width) {
        const Made_Row tried = Make_Row(settings, value, header, footer, at, width);
        return !tried.row.picture.isNull() && tried.reads;
    };
    for (const int r : target.resolutions) {
        Barcode_Run_Target at = target;
        at.dpi = r;
        if (r > target.dpi && reads(at, 0)) {
            row.remedy_dpi = r;
            break;
        }
    }
    const QSizeF frame = Whole_Points(target.frame);
    const double most = Widest_Frame(Barcode_Symbology_Titles().value(settings.barcode_font_index), frame,
                                     target.largest_frame);
    row.remedy_frame_width =
        Least_Reading_Width(frame.width(), most, [&](double width) { return reads(target, width); });
}

} // namespace

const QList<int>& Export_Resolutions()
{
    static const QList<int> resolutions{72, 96, 150, 200, 300, 600};
    return resolutions;
}


const QStringList& Barcode_Symbology_Titles()
{
    static const QStringList titles{
        QStringLiteral("Code 39"), QStringLiteral("Extended Code 39"), QStringLiteral("Interleaved 2 of 5"),
        QStringLiteral("UPCA"), QStringLiteral("PostNet"), QStringLiteral("Modified Plessey"),
        QStringLiteral("Modified Plessey (Hex)"), QStringLiteral("Industrial 2 of 5"), QStringLiteral("EAN-13"),
        QStringLiteral("Code 128"), QStringLiteral("Code 128 SET A"), QStringLiteral("Code 128 SET B"),
        QStringLiteral("Code 128 SET C"), QStringLiteral("Codabar"), QStringLiteral("UPCE"), QStringLiteral("EAN-8"),
        QStringLiteral("Royal Mail Barcode (RM4SCC / CBC)"), QStringLiteral("Planet"),
        QStringLiteral("Japan Post Barcode"), QStringLiteral("QR Code"), QStringLiteral("PDF417"),
        QStringLiteral("DataMatrix")};
    return titles;
}

const QStringList& DataMatrix_Format_Titles()
{
    static const QStringList titles{
        QStringLiteral("Auto"),     QStringLiteral("C10X10"),   QStringLiteral("C12X12"),   QStringLiteral("C14X14"),
        QStringLiteral("C16X16"),   QStringLiteral("C18X18"),   QStringLiteral("C20X20"),   QStringLiteral("C22X22"),
        QStringLiteral("C24X24"),   QStringLiteral("C26X26"),   QStringLiteral("C32X32"),   QStringLiteral("C36X36"),
        QStringLiteral("C40X40"),   QStringLiteral("C44X44"),   QStringLiteral("C48X48"),   QStringLiteral("C52X52"),
        QStringLiteral("C64X64"),   QStringLiteral("C72X72"),   QStringLiteral("C80X80"),   QStringLiteral("C88X88"),
        QStringLiteral("C96X96"),   QStringLiteral("C104X104"), QStringLiteral("C120X120"), QStringLiteral("C132X132"),
        QStringLiteral("C144X144"), QStringLiteral("C8X18"),    QStringLiteral("C8X32"),    QStringLiteral("C12X26"),
        QStringLiteral("C12X36"),   QStringLiteral("C16X36"),   QStringLiteral("C16X48")};
    return titles;
}

const QStringList& Barcode_Resolution_Titles()
{
    static const QStringList titles{QStringLiteral("Auto"), QStringLiteral("72"),   QStringLiteral("150"),
                                    QStringLiteral("300"),  QStringLiteral("600"),  QStringLiteral("1200"),
                                    QStringLiteral("2400"), QStringLiteral("Custom")};
    return titles;
}

void Load_Barcode_Settings(Barcode_Gen& gen, const QBXGraphic& g)
{
    using R = Barcode_Field_Ranges;
    gen.barcodeTypePopup = Title_At(Barcode_Symbology_Titles(), g.barcode_font_index, 0, "barcode_font_index");
    // The family follows the symbology, so a damaged flag cannot pair a
    // linear title with the 2-D paths.
    gen.liner_or_2D_font = Barcode_Gen::Is_2D_Title(gen.barcodeTypePopup) ? 1 : 0;
    if (gen.liner_or_2D_font != g.linear_or_2d)
        Log_Once(QStringLiteral("Stored linear_or_2d %1 does not match \"%2\".")
                     .arg(QString::number(g.linear_or_2d), gen.barcodeTypePopup));
    gen.dataText.text = g.linear_font_val;
    gen.dataText_2D.text = g.two_d_font_val;
    gen.HeaderText.text = g.header_val;
    gen.FooterText.text = g.footer_val;
    gen.hideHeaderCheckbox.state = g.show_hide_hdr;
    gen.hideFooterCheckbox.state = g.show_hide_ftr;
    gen.captionCheckbox.state = g.show_hide_val;
    gen.showinTopCheckbox.state = g.show_val_on_top;
    if (g.stretch_val == 0 || g.stretch_val == 1) {
        gen.kerning_value_Checkbox.state = g.stretch_val;
    } else if (Barcode_Gen* designer = Barcode_Gen::defaultInstance(); designer != &gen) {
        // Saved before each barcode kept its own: the designer's, as then.
        auto lock = designer->Lock_Generation();
        gen.kerning_value_Checkbox.state = designer->kerning_value_Checkbox.state;
    }
    gen.align_hdr_combo = Title_At(Alignment_Titles(), g.align_hdr_index, 1, "align_hdr_index");
    gen.align_ftr_combo = Title_At(Alignment_Titles(), g.align_ftr_index, 1, "align_ftr_index");
    gen.HeightText = Number_Entry(Checked(g.linear_height_val, R::bar_height.low, R::bar_height.high, 0.6,
                                          "linear_height_val"));
    gen.widthText =
        Number_Entry(Checked(g.linear_width_val, R::bar_width.low, R::bar_width.high, 20, "linear_width_val"));
    gen.HeightText_2D = Number_Entry(Checked(g.qr_size_val, R::qr_size.low, R::qr_size.high, 60, "qr_size_val"));
    const int version = int(Checked(g.qr_version_index, 0, 40, 0, "qr_version_index"));
    const int level = int(Checked(g.qr_ec_index, 0, 3, 0, "qr_ec_index"));
    if (gen.run_record) {
        gen.run_qr_version = version;
        gen.run_qr_ec_level = level;
    } else {
        QR_Version_Val = version;
        QR_EC_Level_Val = level;
    }
    gen.pdf_HeightText_2D =
        Number_Entry(Checked(g.pdf_hgt_val, R::pdf_height.low, R::pdf_height.high, 20, "pdf_hgt_val"));
    gen.Pdf_widthText_2D = Number_Entry(Checked(g.pdf_wdt_val, R::pdf_width.low, R::pdf_width.high, 100, "pdf_wdt_val"));
    gen.pdf_ec_lvl_Text = Number_Entry(Checked(g.pdf_ec_val, R::pdf_level.low, R::pdf_level.high, 2, "pdf_ec_val"));
    gen.dm_moduleText_2D =
        Number_Entry(Checked(g.dm_module_val, R::dm_module.low, R::dm_module.high, 2, "dm_module_val"));
    gen.dm_format_ComboBox = Title_At(DataMatrix_Format_Titles(), g.dm_format_index, 0, "dm_format_index");
    gen.dm_encoding_ComboBox = Title_At(Encoding_Titles(), g.dm_encoding_index, 0, "dm_encoding_index");
    gen.hdr_mar_Text = Number_Entry(Checked(g.hdr_margin_val, R::margin.low, R::margin.high, 0.1, "hdr_margin_val"));
    gen.ftr_mar_Text = Number_Entry(Checked(g.ftr_margin_val, R::margin.low, R::margin.high, 0.1, "ftr_margin_val"));
    gen.val_mar_Text = Number_Entry(Checked(g.val_margin_val, R::margin.low, R::margin.high, 0.1, "val_margin_val"));
    gen.TB_mar_Text = Number_Entry(Checked(g.TB_marging_val, R::margin.low, R::margin.high, 0.1, "TB_marging_val"));
    gen.LR_mar_Text = Number_Entry(Checked(g.LR_margin_val, R::margin.low, R::margin.high, 0.1, "LR_margin_val"));
    gen.value_font = g.value_font_val;
    gen.header_font = g.header_font_val;
    gen.footer_font = g.footer_font_val;
    gen.bar_hdr_clr = g.barcode_hdr_clr_val;
    gen.bar_ftr_clr = g.barcode_ftr_clr_val;
    gen.bar_val_clr = g.barcode_val_clr_val;
    gen.bar_back_clr = g.barcode_back_clr_val;
    gen.barcode_clr = g.barcode_clr_val;
    gen.DPI_ComboBox = Title_At(Barcode_Resolution_Titles(), g.dpi_val_index, 0, "dpi_val_index");
    gen.dpi_Text = BarcodeTextEntry{g.dpi_custom_val, true};
    bool usable = true;
    const int dpi = Barcode_Gen::Resolution_For(gen.DPI_ComboBox, gen.dpi_Text.text, &usable);
    if (!usable)
        Log_Once(QStringLiteral("Stored custom resolution \"%1\" is no number; %2 dpi is used.")
                     .arg(g.dpi_custom_val, QString::number(dpi)));
    if (gen.run_record) {
        gen.run_dpi = dpi;
    } else {
        USED_DPI_VALUE = dpi;
        Measument_Unit_Is = 1;
        last_unit_val = 1;
    }
}

void Store_Barcode_Settings(QBXGraphic& g, const Barcode_Gen& gen)
{
    g.linear_or_2d = gen.liner_or_2D_font;
    g.barcode_font_index = Index_Of(Barcode_Symbology_Titles(), gen.barcodeTypePopup);
    g.linear_font_val = gen.dataText.text;
    g.two_d_font_val = gen.dataText_2D.text;
    g.header_val = gen.HeaderText.text;
    g.footer_val = gen.FooterText.text;
    g.show_hide_hdr = gen.hideHeaderCheckbox.state;
    g.show_hide_ftr = gen.hideFooterCheckbox.state;
    g.show_hide_val = gen.captionCheckbox.state;
    g.show_val_on_top = gen.showinTopCheckbox.state;
    g.stretch_val = gen.kerning_value_Checkbox.state;
    g.align_hdr_index = Index_Of(Alignment_Titles(), gen.align_hdr_combo);
    g.align_ftr_index = Index_Of(Alignment_Titles(), gen.align_ftr_combo);
    g.linear_height_val = gen.HeightText.floatValue();
    g.linear_width_val = gen.widthText.floatValue();
    g.qr_size_val = gen.HeightText_2D.intValue();
    g.qr_version_index = gen.run_record ? gen.run_qr_version : QR_Version_Val.load();
    g.qr_ec_index = gen.run_record ? gen.run_qr_ec_level : QR_EC_Level_Val.load();
    g.pdf_hgt_val = gen.pdf_HeightText_2D.intValue();
    g.pdf_wdt_val = gen.Pdf_widthText_2D.intValue();
    g.pdf_ec_val = gen.pdf_ec_lvl_Text.intValue();
    g.dm_module_val = gen.dm_moduleText_2D.intValue();
    g.dm_format_index = Index_Of(DataMatrix_Format_Titles(), gen.dm_format_ComboBox);
    g.dm_encoding_index = Index_Of(Encoding_Titles(), gen.dm_encoding_ComboBox);
    g.hdr_margin_val = gen.hdr_mar_Text.floatValue();
    g.ftr_margin_val = gen.ftr_mar_Text.floatValue();
    g.val_margin_val = gen.val_mar_Text.floatValue();
    g.TB_marging_val = gen.TB_mar_Text.floatValue();
    g.LR_margin_val = gen.LR_mar_Text.floatValue();
    g.value_font_val = gen.value_font;
    g.header_font_val = gen.header_font;
    g.footer_font_val = gen.footer_font;
    g.barcode_hdr_clr_val = gen.bar_hdr_clr;
    g.barcode_ftr_clr_val = gen.bar_ftr_clr;
    g.barcode_val_clr_val = gen.bar_val_clr;
    g.barcode_back_clr_val = gen.bar_back_clr;
    g.barcode_clr_val = gen.barcode_clr;
    g.dpi_val_index = Index_Of(Barcode_Resolution_Titles(), gen.DPI_ComboBox);
    g.dpi_custom_val = gen.dpi_Text.text;
}

Barcode_Row_Picture Barcode_Row_Picture_For_Graphic(const QBXGraphic& settings, const QString& value,
                                                    const QString& header, const QString& footer,
                                                    const Barcode_Run_Target& target)
{
    Made_Row made = Make_Row(settings, value, header, footer, target);
    if (made.reads)
        return made.row;
    // What would make it read, sought once for rows drawn alike.
    Barcode_Row_Picture& row = made.row;
    if (!target.remedies) {
        Find_Remedies(settings, value, header, footer, target, row);
    } else {
        const QString key = QStringLiteral("%1 %2 %3 %4x%5")
                                .arg(quintptr(&settings))
                                .arg(made.module)
                                .arg(made.across)
                                .arg(made.size.width())
                                .arg(made.size.height());
        QMutexLocker hold(&target.remedies->mutex);
        const auto it = target.remedies->found.constFind(key);
        if (it != target.remedies->found.constEnd()) {
            std::tie(row.remedy_dpi, row.remedy_frame_width) = *it;
        } else {
            hold.unlock();
            Find_Remedies(settings, value, header, footer, target, row);
            hold.relock();
            target.remedies->found.insert(key, {row.remedy_dpi, row.remedy_frame_width});
        }
    }
    row.too_fine = Too_Fine_Line(target.name.isEmpty() ? Barcode_Name(settings) : target.name,
                                 Barcode_Symbology_Titles().value(settings.barcode_font_index), made.module, target.dpi,
                                 Ways(target, row.remedy_dpi, row.remedy_frame_width));
    return row;
}

Barcode_Row_Picture Barcode_Row_Picture_In_Frame(const QBXGraphic& settings, const QString& value,
                                                 const QString& header, const QString& footer,
                                                 const Barcode_Run_Target& target, double width)
{
    return Make_Row(settings, value, header, footer, target, width).row;
}

QImage Barcode_Picture_For_Graphic(const QBXGraphic& settings, const QString& value, const QString& header,
                                   const QString& footer)
{
    return Barcode_Row_Picture_For_Graphic(settings, value, header, footer).raster();
}

QSizeF Barcode_Frame_Size(const QBXGraphic& graphic)
{
    const auto* barcode = dynamic_cast<const QBXBarcode*>(&graphic);
    return barcode ? barcode->storedPicture().pointSize() : QSizeF();
}

QString Barcode_Name(const QBXGraphic& graphic)
{
    const QString name =
        Symbology_Name(Barcode_Symbology_Titles().value(graphic.barcode_font_index, QStringLiteral("Code 39")));
    if (graphic.show_hide_hdr == 1 || graphic.header_val.isEmpty())
        return QStringLiteral("the %1 barcode").arg(name);
    QString header = graphic.header_val.simplified();
    if (header.size() > 20)
        header = header.left(20) + QStringLiteral("\u2026");
    return QStringLiteral("the %1 headed \"%2\"").arg(name, header);
}

QHash<const QBXGraphic*, QString> Barcode_Names(const GraphicList& side)
{
    QHash<const QBXGraphic*, QString> names;
    QHash<QString, int> uses;
    for (const GraphicPtr& g : side)
        if (dynamic_cast<const QBXBarcode*>(g.get()) && g->ctrl_is_visible && g->print_object == 0)
            ++uses[names[g.get()] = Barcode_Name(*g)];
    for (auto it = names.begin(); it != names.end(); ++it)
        if (uses.value(it.value()) > 1) {
            const QRectF b = it.key()->bounds().normalized();
            it.value() += QStringLiteral(" %1 mm from the left, %2 mm from the top")
                              .arg(Millimetres(b.left()), Millimetres(b.top()));
        }
    return names;
}

QString Design_Barcode_Too_Fine(const QBXGraphic& graphic, const QString& name, const Barcode_Run_Target& target)
{
    Barcode_Gen::defaultInstance();
    Barcode_Gen gen;
    gen.run_record = true;
    Load_Barcode_Settings(gen, graphic);
    gen.run_device_dpi = target.dpi;
    gen.run_frame = Whole_Points(Barcode_Frame_Size(graphic));
    Thread_Designer_Scope scope(gen);
    const QString value = gen.liner_or_2D_font != 0 ? gen.dataText_2D.text : gen.dataText.text;
    if (gen.Get_Image_From_Val(value, gen.HeaderText.text, gen.FooterText.text, true).isNull())
        return {};
    // The stored picture is drawn as it is, resampled: its module grows
    // with the resolution. A wider frame is not offered: the picture keeps
    // its own size, whatever its frame.
    const Barcode_Gen::Drawn_Modules& d = gen.drawn_modules;
    const double module = std::min(d.design, d.fit), least = Least_Module_Pixels(gen.barcodeTypePopup, false);
    const auto reads = [&](double dpi) { return module * dpi / 72.0 >= least - 1e-6; };
    if (!(module > 0) || !(target.dpi > 0) || reads(target.dpi))
        return {};
    int dpi = 0;
    for (const int r : target.resolutions)
        if (r > target.dpi && reads(r)) {
            dpi = r;
            break;
        }
    return Too_Fine_Line(name, gen.barcodeTypePopup, module, target.dpi, Ways(target, dpi, 0));
}

QSizeF Largest_Frame_On_Card(const QBXGraphic& graphic, const QRectF& card)
{
    const QRectF b = graphic.bounds().normalized();
    if (card.isEmpty() || !card.contains(b.topLeft()))
        return {};
    return QSizeF(card.right() - b.left(), card.bottom() - b.top());
}

QList<Card_Problem> Design_Barcode_Problems(const GraphicList& side, const QRectF& card,
                                            const Barcode_Run_Target& target,
                                            const std::function<bool(const QBXGraphic&)>& skip)
{
    QList<Card_Problem> problems;
    const QHash<const QBXGraphic*, QString> names = Barcode_Names(side);
    for (const GraphicPtr& g : side) {
        const auto* barcode = dynamic_cast<const QBXBarcode*>(g.get());
        if (!barcode || barcode->print_object != 0 || !barcode->ctrl_is_visible || (skip && skip(*barcode)))
            continue;
        QString name = names.value(barcode);
        name[0] = name[0].toUpper();
        const QString past = barcode->pastCardEdge(card);
        if (!past.isEmpty())
            problems << Card_Problem{Problem_Kind::Barcode_Past_Edge, 0, {},
                                     QStringLiteral("%1 %2: the card cuts it there.").arg(name, past)};
        const QString fine = Design_Barcode_Too_Fine(*barcode, name, target);
        if (!fine.isEmpty())
            problems << Card_Problem{Problem_Kind::Barcode_Too_Fine, 0, {}, fine};
    }
    return problems;
}
