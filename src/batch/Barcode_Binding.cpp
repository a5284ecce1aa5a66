#include "batch/Barcode_Binding.h"

#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"

namespace {

QString Title_At(const QStringList& titles, int index)
{
    return index >= 0 && index < titles.size() ? titles.at(index) : QString();
}

BarcodeTextEntry Number_Entry(double v)
{
    return BarcodeTextEntry{QString::number(v), true};
}

} // namespace

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

void Load_Barcode_Settings(Barcode_Gen& gen, const QBXGraphic& g)
{
    static const QStringList alignments{QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")};
    static const QStringList encodings{QStringLiteral("Auto"), QStringLiteral("Ascii"), QStringLiteral("C40"),
                                       QStringLiteral("Text"), QStringLiteral("Base256")};
    gen.liner_or_2D_font = g.linear_or_2d;
    gen.barcodeTypePopup = Title_At(Barcode_Symbology_Titles(), g.barcode_font_index);
    gen.dataText.text = g.linear_font_val;
    gen.dataText_2D.text = g.two_d_font_val;
    gen.HeaderText.text = g.header_val;
    gen.FooterText.text = g.footer_val;
    gen.hideHeaderCheckbox.state = g.show_hide_hdr;
    gen.hideFooterCheckbox.state = g.show_hide_ftr;
    gen.captionCheckbox.state = g.show_hide_val;
    gen.showinTopCheckbox.state = g.show_val_on_top;
    gen.align_hdr_combo = Title_At(alignments, g.align_hdr_index);
    gen.align_ftr_combo = Title_At(alignments, g.align_ftr_index);
    gen.HeightText = Number_Entry(g.linear_height_val);
    gen.widthText = Number_Entry(g.linear_width_val);
    gen.HeightText_2D = Number_Entry(g.qr_size_val);
    if (gen.run_record) {
        gen.run_qr_version = g.qr_version_index;
        gen.run_qr_ec_level = g.qr_ec_index;
    } else {
        QR_Version_Val = g.qr_version_index;
        QR_EC_Level_Val = g.qr_ec_index;
    }
    gen.pdf_HeightText_2D = Number_Entry(g.pdf_hgt_val);
    gen.Pdf_widthText_2D = Number_Entry(g.pdf_wdt_val);
    gen.pdf_ec_lvl_Text = Number_Entry(g.pdf_ec_val);
    gen.dm_moduleText_2D = Number_Entry(g.dm_module_val);
    gen.dm_format_ComboBox = Title_At(DataMatrix_Format_Titles(), g.dm_format_index);
    gen.dm_encoding_ComboBox = Title_At(encodings, g.dm_encoding_index);
    gen.hdr_mar_Text = Number_Entry(g.hdr_margin_val);
    gen.ftr_mar_Text = Number_Entry(g.ftr_margin_val);
    gen.val_mar_Text = Number_Entry(g.val_margin_val);
    gen.TB_mar_Text = Number_Entry(g.TB_marging_val);
    gen.LR_mar_Text = Number_Entry(g.LR_margin_val);
    gen.value_font = g.value_font_val;
    gen.header_font = g.header_font_val;
    gen.footer_font = g.footer_font_val;
    gen.bar_hdr_clr = g.barcode_hdr_clr_val;
    gen.bar_ftr_clr = g.barcode_ftr_clr_val;
    gen.bar_val_clr = g.barcode_val_clr_val;
    gen.bar_back_clr = g.barcode_back_clr_val;
    gen.barcode_clr = g.barcode_clr_val;
    if (!gen.run_record) {
        Measument_Unit_Is = 1;
        last_unit_val = 1;
    }
}

QImage Barcode_Picture_For_Graphic(const QBXGraphic& settings, const QString& value, const QString& header,
                                   const QString& footer)
{
    // The shared designer exists before any run record, so a run record is
    // never taken for it.
    Barcode_Gen::defaultInstance();
    Barcode_Gen gen;
    gen.run_record = true;
    Load_Barcode_Settings(gen, settings);
    Thread_Designer_Scope scope(gen);
    const PointPicture picture = gen.Get_Image_From_Val(value, header, footer);
    if (picture.isNull())
        return QImage();
    return picture.toImage(USED_DPI_VALUE.load());
}
