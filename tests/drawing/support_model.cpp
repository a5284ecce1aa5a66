#include "support_model.h"

#include "drawing/QBXLine.h"

#include <QPainter>

#include <functional>
#include <map>

namespace {
QColor colour(int seed, int k)
{
    return QColor::fromRgbF(float((seed * 7 + k * 13) % 97) / 97.0f, float((seed * 3 + k * 29) % 89) / 89.0f,
                            float((seed * 11 + k * 5) % 83) / 83.0f, 0.25f + float(k % 3) * 0.25f);
}
QFont font(const QString& name, double size)
{
    QFont f(name);
    f.setPointSizeF(size);
    return f;
}
} // namespace

void fillDistinct(QBXGraphic& g, int s, bool makeText)
{
    const QString tag = QString::number(s);
    g._bounds = QRectF(1.5 + s, 2.25 + s, 30.125 + s, 40.5 + s);
    g.ctrl_is_locked = true;
    g._isDrawingFill = false;
    g._fillColor = colour(s, 1);
    g._isDrawingStroke = false;
    g._strokeColor = colour(s, 2);
    g._strokeWidth = 0.1 + s;
    g._stroke_border_type = QStringLiteral("DD") + tag;
    g._fill_type = QStringLiteral("G") + tag;
    g._fill_Grad_clr1 = colour(s, 3);
    g._fill_Grad_clr2 = colour(s, 4);
    g._fill_grad_angle = 33.3 + s;
    g._fill_htch_clr = colour(s, 5);
    g._fill_hatch_type = QStringLiteral("Hatch ") + tag;
    g._isFlippedHorizontally = true;
    g._isFlippedVertically = true;
    g.invert_clr = true;
    g.gray_Scale = true;
    g.Sepia = true;
    g.img_trnsp_val = 0.5f + float(s);
    g.hue_val = 1.25f + float(s);
    g.sat_val = 1.5f + float(s);
    g.brt_val = 0.125f + float(s);
    g.con_val = 2.5f + float(s);
    g.srp_val = 0.75f + float(s);
    g.ev_val = -1.5f - float(s);
    g.blr_val = 3.0f + float(s);
    g.data_source_type = 1 + s % 2;
    g.rotate_image = 45.5f + float(s);
    g._file_path = QStringLiteral("/tmp/picture ") + tag + QStringLiteral(".png");
    g.sign_or_fingureprint = QStringLiteral("F");
    g.batch_list_name = QStringLiteral("Series ") + tag;
    g.batch_list_index = 7 + s;
    g._line_ori = 3 + s;
    g._line_cap_style = 1 + s % 2;
    g.cor_rad_val_val = 12.5f + float(s);
    g.alpha_val = 0.5f;
    g.alpha_val_stroke = 0.25f;
    g.text_ctrl_font = font(QStringLiteral("NoSuchFontInstalled-BoldMT ") + tag, 17.5 + s);
    g.txt_clr = colour(s, 6);
    if (makeText) {
        TextStorage& t = g.Text_contents();
        t.text = QStringLiteral("Rich text ") + tag + QStringLiteral(" \u00e9\u4e2d");
        t.font = font(QStringLiteral("AnotherMissingFont"), 9.5 + s);
        t.color = colour(s, 7);
    } else {
        g._Text_contents.reset();
    }
    g._shape_type = QStringLiteral("DS");
    g.linear_or_2d = 1;
    g.barcode_font_index = 4 + s;
    g.linear_font_val = QStringLiteral("ABC-") + tag;
    g.two_d_font_val = QStringLiteral("QR data ") + tag;
    g.header_val = QStringLiteral("Head ") + tag;
    g.footer_val = QStringLiteral("Foot ") + tag;
    g.show_hide_hdr = 1;
    g.show_hide_ftr = 1;
    g.show_hide_val = 1;
    g.show_val_on_top = 1;
    g.stretch_val = 1;
    g.align_hdr_index = 2;
    g.align_ftr_index = 0;
    g.linear_height_val = 1.5f + float(s);
    g.linear_width_val = 2.5f + float(s);
    g.qr_size_val = 90 + s;
    g.qr_version_index = 5 + s;
    g.qr_ec_index = 2;
    g.pdf_hgt_val = 33 + s;
    g.pdf_wdt_val = 44 + s;
    g.pdf_ec_val = 5;
    g.dm_module_val = 6;
    g.dm_format_index = 7;
    g.dm_encoding_index = 3;
    g.hdr_margin_val = 0.2f + float(s);
    g.ftr_margin_val = 0.3f + float(s);
    g.val_margin_val = 0.4f + float(s);
    g.TB_marging_val = 0.5f + float(s);
    g.LR_margin_val = 0.6f + float(s);
    g.value_font_val = font(QStringLiteral("Value Font ") + tag, 11.0);
    g.header_font_val = font(QStringLiteral("Header Font ") + tag, 12.0);
    g.footer_font_val = font(QStringLiteral("Footer Font ") + tag, 13.0);
    g.barcode_hdr_clr_val = colour(s, 8);
    g.barcode_ftr_clr_val = colour(s, 9);
    g.barcode_val_clr_val = colour(s, 10);
    g.barcode_back_clr_val = colour(s, 11);
    g.barcode_clr_val = colour(s, 12);
    if (s % 2 == 0) {
        QImage img(7 + s, 5, QImage::Format_ARGB32);
        img.fill(colour(s, 13));
        img.setPixelColor(1, 1, QColor(10, 20, 30, 40));
        g._barcode_image = img;
    } else {
        g._barcode_image = QImage();
    }
    g.dpi_val_index = 2;
    g.dpi_custom_val = QStringLiteral("300") + tag;
    g.barcode_unit_val = 0;
    g.text_alignmnet = 2;
    g.text_transfrom_case = 3;
    g.text_kerning = 1.75f + float(s);
    g.print_object = 1;
    g.control_ID = QStringLiteral("PARTY_TITLE_") + tag;
    g.excel_binding = true;
    g.excel_col_indx = 4 + s;
    g.Text_Value = QStringLiteral("Value ") + tag;
    g.ctrl_is_visible = false;
    g.double_star_type = 4;
    g.polygon_type = 5;
}

std::vector<std::string> fieldDifferences(const QBXGraphic& a, const QBXGraphic& b, bool floatDoubles)
{
    std::vector<std::string> d;
#define CMP(f)                                                                                                         \
    if (!(a.f == b.f))                                                                                                 \
        d.push_back(#f);
#define CMPFONT(f)                                                                                                     \
    if (!(a.f == b.f) || a.f.family() != b.f.family() || a.f.pointSizeF() != b.f.pointSizeF())                         \
        d.push_back(#f);
    CMP(_bounds.x()) CMP(_bounds.y()) CMP(_bounds.width()) CMP(_bounds.height())
    CMP(_isDrawingFill) CMP(_fillColor) CMP(_isDrawingStroke) CMP(_strokeColor)
    if (floatDoubles) {
        if (float(a._strokeWidth) != float(b._strokeWidth))
            d.push_back("_strokeWidth");
        if (float(a._fill_grad_angle) != float(b._fill_grad_angle))
            d.push_back("_fill_grad_angle");
    } else {
        CMP(_strokeWidth) CMP(_fill_grad_angle)
    }
    CMP(_stroke_border_type) CMP(_fill_type) CMP(_fill_Grad_clr1) CMP(_fill_Grad_clr2) CMP(_fill_htch_clr)
    CMP(_fill_hatch_type) CMP(_isFlippedHorizontally) CMP(_isFlippedVertically) CMP(invert_clr) CMP(gray_Scale)
    CMP(Sepia) CMP(img_trnsp_val) CMP(hue_val) CMP(sat_val) CMP(brt_val) CMP(con_val) CMP(srp_val) CMP(ev_val)
    CMP(blr_val) CMP(data_source_type) CMP(rotate_image) CMP(_file_path) CMP(sign_or_fingureprint)
    CMP(batch_list_name) CMP(batch_list_index) CMP(_line_ori) CMP(_line_cap_style) CMP(cor_rad_val_val)
    CMP(alpha_val) CMP(alpha_val_stroke) CMPFONT(text_ctrl_font) CMP(txt_clr)
    CMP(_Text_contents.has_value())
    if (a._Text_contents && b._Text_contents) {
        CMP(_Text_contents->text) CMP(_Text_contents->color) CMPFONT(_Text_contents->font)
    }
    CMP(_shape_type) CMP(_barcode_image.isNull())
    if (!a._barcode_image.isNull() && !b._barcode_image.isNull()) {
        if (a._barcode_image.image().convertToFormat(QImage::Format_ARGB32)
            != b._barcode_image.image().convertToFormat(QImage::Format_ARGB32))
            d.push_back("_barcode_image pixels");
    }
    CMP(linear_or_2d) CMP(barcode_font_index) CMP(linear_font_val) CMP(two_d_font_val) CMP(header_val)
    CMP(footer_val) CMP(show_hide_hdr) CMP(show_hide_ftr) CMP(show_hide_val) CMP(show_val_on_top)
    CMP(stretch_val)
    CMP(align_hdr_index) CMP(align_ftr_index) CMP(linear_height_val) CMP(linear_width_val) CMP(qr_size_val)
    CMP(qr_version_index) CMP(qr_ec_index) CMP(pdf_hgt_val) CMP(pdf_wdt_val) CMP(pdf_ec_val) CMP(dm_module_val)
    CMP(dm_format_index) CMP(dm_encoding_index) CMP(hdr_margin_val) CMP(ftr_margin_val) CMP(val_margin_val)
    CMP(TB_marging_val) CMP(LR_margin_val) CMPFONT(value_font_val) CMPFONT(header_font_val)
    CMPFONT(footer_font_val) CMP(barcode_hdr_clr_val) CMP(barcode_ftr_clr_val) CMP(barcode_val_clr_val)
    CMP(barcode_back_clr_val) CMP(barcode_clr_val) CMP(dpi_val_index) CMP(dpi_custom_val) CMP(barcode_unit_val)
    CMP(ctrl_is_locked) CMP(text_alignmnet) CMP(text_transfrom_case) CMP(text_kerning) CMP(print_object)
    CMP(control_ID) CMP(excel_binding) CMP(excel_col_indx) CMP(Text_Value) CMP(ctrl_is_visible)
    CMP(double_star_type) CMP(polygon_type)
#undef CMP
#undef CMPFONT
    if (a.className() != b.className())
        d.push_back("class");
    const auto* la = dynamic_cast<const QBXLine*>(&a);
    const auto* lb = dynamic_cast<const QBXLine*>(&b);
    if (la && lb && (la->_pointsRight != lb->_pointsRight || la->_pointsDown != lb->_pointsDown))
        d.push_back("line flags");
    return d;
}

GraphicList oneOfEachClass()
{
    GraphicList list;
    for (const char* name :
         {"QBXGraphic", "QBXLine", "QBXText", "QBXImage", "QBXBarcode", "Shape_Control", "QBXSignature"})
        list.push_back(QBXGraphic::graphicOfClass(QString::fromLatin1(name)));
    return list;
}

bool holdsDocumentedDefault(const QBXGraphic& g, const QString& key)
{
    static const QColor white = QColor::fromRgbF(1, 1, 1, 1);
    static const QColor black = QColor::fromRgbF(0, 0, 0, 1);
    static const auto times10 = [](const QFont& f) {
        return f.family() == "Times New Roman" && f.pointSizeF() == 10.0;
    };
    static const std::map<QString, std::function<bool(const QBXGraphic&)>> table = {
        {"_bounds", [](const QBXGraphic& g) { return g._bounds == QRectF(0, 0, 0, 0); }},
        {"ctrl_is_locked", [](const QBXGraphic& g) { return !g.ctrl_is_locked; }},
        {"_isDrawingFill", [](const QBXGraphic& g) { return g._isDrawingFill; }},
        {"_fillColor", [](const QBXGraphic& g) { return g._fillColor == white; }},
        {"_isDrawingStroke", [](const QBXGraphic& g) { return g._isDrawingStroke; }},
        {"_strokeColor", [](const QBXGraphic& g) { return g._strokeColor == black; }},
        {"_strokeWidth", [](const QBXGraphic& g) { return g._strokeWidth == 1.0; }},
        {"_stroke_border_type", [](const QBXGraphic& g) { return g._stroke_border_type == "S"; }},
        {"_fill_type", [](const QBXGraphic& g) { return g._fill_type == "S"; }},
        {"_fill_Grad_clr1", [](const QBXGraphic& g) { return g._fill_Grad_clr1 == white; }},
        {"_fill_Grad_clr2", [](const QBXGraphic& g) { return g._fill_Grad_clr2 == white; }},
        {"_fill_grad_angle", [](const QBXGraphic& g) { return g._fill_grad_angle == 0.0; }},
        {"_fill_htch_clr", [](const QBXGraphic& g) { return g._fill_htch_clr == white; }},
        {"_fill_hatch_type", [](const QBXGraphic& g) { return g._fill_hatch_type == ""; }},
        {"_isFlippedHorizontally", [](const QBXGraphic& g) { return !g._isFlippedHorizontally; }},
        {"_isFlippedVertically", [](const QBXGraphic& g) { return !g._isFlippedVertically; }},
        {"invert_clr", [](const QBXGraphic& g) { return !g.invert_clr; }},
        {"gray_Scale", [](const QBXGraphic& g) { return !g.gray_Scale; }},
        {"Sepia", [](const QBXGraphic& g) { return !g.Sepia; }},
        {"img_trnsp_val", [](const QBXGraphic& g) { return g.img_trnsp_val == 100.0f; }},
        {"hue_val", [](const QBXGraphic& g) { return g.hue_val == 0.0f; }},
        {"sat_val", [](const QBXGraphic& g) { return g.sat_val == 1.0f; }},
        {"brt_val", [](const QBXGraphic& g) { return g.brt_val == 0.0f; }},
        {"con_val", [](const QBXGraphic& g) { return g.con_val == 1.0f; }},
        {"srp_val", [](const QBXGraphic& g) { return g.srp_val == 0.0f; }},
        {"ev_val", [](const QBXGraphic& g) { return g.ev_val == 0.0f; }},
        {"blr_val", [](const QBXGraphic& g) { return g.blr_val == 0.0f; }},
        {"data_source_type", [](const QBXGraphic& g) { return g.data_source_type == 0; }},
        {"rotate_image", [](const QBXGraphic& g) { return g.rotate_image == 0.0f; }},
        {"_file_path", [](const QBXGraphic& g) { return g._file_path.endsWith("/no.png"); }},
        {"sign_or_fingureprint", [](const QBXGraphic& g) { return g.sign_or_fingureprint == "S"; }},
        {"batch_list_name", [](const QBXGraphic& g) { return g.batch_list_name == ""; }},
        {"batch_list_index", [](const QBXGraphic& g) { return g.batch_list_index == 0; }},
        {"_line_ori", [](const QBXGraphic& g) { return g._line_ori == 0; }},
        {"_line_cap_style", [](const QBXGraphic& g) { return g._line_cap_style == 0; }},
        {"alpha_val", [](const QBXGraphic& g) { return g.alpha_val == 100.0f; }},
        {"alpha_val_stroke", [](const QBXGraphic& g) { return g.alpha_val_stroke == 100.0f; }},
        {"text_ctrl_font",
         [](const QBXGraphic& g) {
             return g.text_ctrl_font.family() == "TimesNewRomanPS-ItalicMT" && g.text_ctrl_font.pointSizeF() == 14.0;
         }},
        {"txt_clr", [](const QBXGraphic& g) { return g.txt_clr == black; }},
        {"_Text_contents", [](const QBXGraphic& g) { return !g._Text_contents.has_value(); }},
        {"_shape_type", [](const QBXGraphic& g) { return g._shape_type == "R"; }},
        {"cor_rad_val_val", [](const QBXGraphic& g) { return g.cor_rad_val_val == 10.0f; }},
        {"_barcode_image", [](const QBXGraphic& g) { return g._barcode_image.isNull(); }},
        {"linear_or_2d", [](const QBXGraphic& g) { return g.linear_or_2d == 0; }},
        {"barcode_font_index", [](const QBXGraphic& g) { return g.barcode_font_index == 0; }},
        {"linear_font_val", [](const QBXGraphic& g) { return g.linear_font_val == "0123"; }},
        {"two_d_font_val", [](const QBXGraphic& g) { return g.two_d_font_val == "0123"; }},
        {"header_val", [](const QBXGraphic& g) { return g.header_val == "HEADER"; }},
        {"footer_val", [](const QBXGraphic& g) { return g.footer_val == "FOOTER"; }},
        {"show_hide_hdr", [](const QBXGraphic& g) { return g.show_hide_hdr == 0; }},
        {"show_hide_ftr", [](const QBXGraphic& g) { return g.show_hide_ftr == 0; }},
        {"show_hide_val", [](const QBXGraphic& g) { return g.show_hide_val == 0; }},
        {"show_val_on_top", [](const QBXGraphic& g) { return g.show_val_on_top == 0; }},
        {"stretch_val", [](const QBXGraphic& g) { return g.stretch_val == 0; }},
        {"align_hdr_index", [](const QBXGraphic& g) { return g.align_hdr_index == 1; }},
        {"align_ftr_index", [](const QBXGraphic& g) { return g.align_ftr_index == 1; }},
        {"linear_height_val", [](const QBXGraphic& g) { return g.linear_height_val == 0.6f; }},
        {"linear_width_val", [](const QBXGraphic& g) { return g.linear_width_val == 20.0f; }},
        {"qr_size_val", [](const QBXGraphic& g) { return g.qr_size_val == 60; }},
        {"qr_version_index", [](const QBXGraphic& g) { return g.qr_version_index == 0; }},
        {"qr_ec_index", [](const QBXGraphic& g) { return g.qr_ec_index == 0; }},
        {"pdf_hgt_val", [](const QBXGraphic& g) { return g.pdf_hgt_val == 20; }},
        {"pdf_wdt_val", [](const QBXGraphic& g) { return g.pdf_wdt_val == 100; }},
        {"pdf_ec_val", [](const QBXGraphic& g) { return g.pdf_ec_val == 2; }},
        {"dm_module_val", [](const QBXGraphic& g) { return g.dm_module_val == 2; }},
        {"dm_format_index", [](const QBXGraphic& g) { return g.dm_format_index == 0; }},
        {"dm_encoding_index", [](const QBXGraphic& g) { return g.dm_encoding_index == 0; }},
        {"hdr_margin_val", [](const QBXGraphic& g) { return g.hdr_margin_val == 0.1f; }},
        {"ftr_margin_val", [](const QBXGraphic& g) { return g.ftr_margin_val == 0.1f; }},
        {"val_margin_val", [](const QBXGraphic& g) { return g.val_margin_val == 0.1f; }},
        {"TB_marging_val", [](const QBXGraphic& g) { return g.TB_marging_val == 0.1f; }},
        {"LR_margin_val", [](const QBXGraphic& g) { return g.LR_margin_val == 0.1f; }},
        {"value_font_val", [](const QBXGraphic& g) { return times10(g.value_font_val); }},
        {"header_font_val", [](const QBXGraphic& g) { return times10(g.header_font_val); }},
        {"footer_font_val", [](const QBXGraphic& g) { return times10(g.footer_font_val); }},
        {"barcode_hdr_clr_val", [](const QBXGraphic& g) { return g.barcode_hdr_clr_val == black; }},
        {"barcode_ftr_clr_val", [](const QBXGraphic& g) { return g.barcode_ftr_clr_val == black; }},
        {"barcode_val_clr_val", [](const QBXGraphic& g) { return g.barcode_val_clr_val == black; }},
        {"barcode_back_clr_val", [](const QBXGraphic& g) { return g.barcode_back_clr_val == white; }},
        {"barcode_clr_val", [](const QBXGraphic& g) { return g.barcode_clr_val == black; }},
        {"dpi_val_index", [](const QBXGraphic& g) { return g.dpi_val_index == 0; }},
        {"dpi_custom_val", [](const QBXGraphic& g) { return g.dpi_custom_val == "0"; }},
        {"barcode_unit_val", [](const QBXGraphic& g) { return g.barcode_unit_val == 1; }},
        {"text_alignmnet", [](const QBXGraphic& g) { return g.text_alignmnet == 0; }},
        {"text_transfrom_case", [](const QBXGraphic& g) { return g.text_transfrom_case == 0; }},
        {"text_kerning", [](const QBXGraphic& g) { return g.text_kerning == 0.0f; }},
        {"print_object", [](const QBXGraphic& g) { return g.print_object == 0; }},
        {"control_ID", [](const QBXGraphic& g) { return g.control_ID == ""; }},
        {"excel_binding", [](const QBXGraphic& g) { return !g.excel_binding; }},
        {"excel_col_indx", [](const QBXGraphic& g) { return g.excel_col_indx == 0; }},
        {"Text_Value", [](const QBXGraphic& g) { return g.Text_Value == "Text here"; }},
        {"ctrl_is_visible", [](const QBXGraphic& g) { return g.ctrl_is_visible; }},
        {"double_star_type", [](const QBXGraphic& g) { return g.double_star_type == 1; }},
        {"polygon_type", [](const QBXGraphic& g) { return g.polygon_type == 1; }},
    };
    const auto it = table.find(key);
    return it != table.end() && it->second(g);
}
