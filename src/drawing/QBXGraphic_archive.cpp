// The stored form of graphics: one keyed archive per graphic with one entry
// per field under the field's own name (93 entries; a line adds its two
// direction flags), lists of such archives, and the pasteboard data (a binary
// property list of that list).
//
// Reading starts from a graphic with every default and replaces a field only
// when its entry is present, of the right type and sensible: a missing entry,
// one of another type, a non-finite number or a closed code out of range
// leaves the default. Data that is not a graphic archive is dropped; nothing
// throws out of here.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "platform/keyed_archive.h"
#include "platform/plist.h"

#include <QFileInfo>
#include <QHash>

#include <cmath>

using platform::KeyedArchiver;
using platform::KeyedUnarchiver;

namespace {

const QString TextStorageClass = QStringLiteral("NSTextStorage");
const char* const TextStringKey = "NSString";
const char* const TextFontKey = "NSFont";
const char* const TextColorKey = "NSColor";

void encodeTextStorage(KeyedArchiver& out, const char* key, const std::optional<TextStorage>& text)
{
    if (!text) {
        out.encodeNull(key);
        return;
    }
    out.beginObject(key, TextStorageClass,
                    {QStringLiteral("NSMutableAttributedString"), QStringLiteral("NSAttributedString"),
                     QStringLiteral("NSObject")});
    out.encodeString(TextStringKey, text->text.isNull() ? QStringLiteral("") : text->text);
    out.encodeFont(TextFontKey, text->font);
    out.encodeColor(TextColorKey, text->color);
    out.endObject();
}

std::optional<TextStorage> decodeTextStorage(const KeyedUnarchiver& in, const char* key)
{
    const auto object = in.decodeObject(key);
    if (!object || object->className() != TextStorageClass)
        return std::nullopt;
    const auto text = object->decodeString(TextStringKey);
    if (!text)
        return std::nullopt;
    TextStorage storage;
    storage.text = *text;
    storage.font = object->decodeFont(TextFontKey)
                       .value_or(graphic_defaults::namedFont(graphic_defaults::textCtrlFontName(), 14.0));
    const auto color = object->decodeColor(TextColorKey);
    storage.color = color && color->isValid() ? rgbColor(*color) : QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    return storage;
}

// Readers that leave the field alone when the entry is not usable.
void readBool(const KeyedUnarchiver& in, const char* key, bool& field)
{
    if (auto v = in.decodeBool(key))
        field = *v;
}

void readInt(const KeyedUnarchiver& in, const char* key, int32_t& field)
{
    if (auto v = in.decodeInt32(key))
        field = *v;
}

void readCode(const KeyedUnarchiver& in, const char* key, int32_t& field, int32_t low, int32_t high)
{
    if (auto v = in.decodeInt32(key); v && *v >= low && *v <= high)
        field = *v;
}

void readFloat(const KeyedUnarchiver& in, const char* key, float& field)
{
    if (auto v = in.decodeFloat(key); v && std::isfinite(*v))
        field = *v;
}

void readWidened(const KeyedUnarchiver& in, const char* key, double& field)
{
    if (auto v = in.decodeFloat(key); v && std::isfinite(*v))
        field = double(*v);
}

void readString(const KeyedUnarchiver& in, const char* key, QString& field)
{
    if (auto v = in.decodeString(key))
        field = *v;
}

void readColor(const KeyedUnarchiver& in, const char* key, QColor& field)
{
    if (auto v = in.decodeColor(key); v && v->isValid())
        field = rgbColor(*v);
}

void readFont(const KeyedUnarchiver& in, const char* key, QFont& field)
{
    if (auto v = in.decodeFont(key)) {
        if (!v->family().isEmpty() && std::isfinite(v->pointSizeF()))
            field = *v;
    }
}

void readRect(const KeyedUnarchiver& in, const char* key, QRectF& field)
{
    if (auto v = in.decodeRect(key)) {
        if (std::isfinite(v->x()) && std::isfinite(v->y()) && std::isfinite(v->width())
            && std::isfinite(v->height()))
            field = *v;
    }
}

QStringList classChainOf(const QBXGraphic& g)
{
    if (g.className() == QLatin1String("QBXGraphic"))
        return {QStringLiteral("NSObject")};
    return {QStringLiteral("QBXGraphic"), QStringLiteral("NSObject")};
}

GraphicPtr unarchive(const QByteArray& data)
{
    const auto in = KeyedUnarchiver::open(data);
    if (!in)
        return nullptr;
    // Only the kinds draw: the base class has no drawing of its own, so an
    // archive naming it is refused like one of an unknown class.
    if (in->className() == QLatin1String("QBXGraphic"))
        return nullptr;
    GraphicPtr made = QBXGraphic::graphicOfClass(in->className());
    if (!made)
        return nullptr;
    QBXGraphic& g = *made;
    readRect(*in, "_bounds", g._bounds);
    readBool(*in, "ctrl_is_locked", g.ctrl_is_locked);
    readBool(*in, "_isDrawingFill", g._isDrawingFill);
    readColor(*in, "_fillColor", g._fillColor);
    readBool(*in, "_isDrawingStroke", g._isDrawingStroke);
    readColor(*in, "_strokeColor", g._strokeColor);
    readWidened(*in, "_strokeWidth", g._strokeWidth);
    readString(*in, "_stroke_border_type", g._stroke_border_type);
    readString(*in, "_fill_type", g._fill_type);
    readColor(*in, "_fill_Grad_clr1", g._fill_Grad_clr1);
    readColor(*in, "_fill_Grad_clr2", g._fill_Grad_clr2);
    readWidened(*in, "_fill_grad_angle", g._fill_grad_angle);
    readColor(*in, "_fill_htch_clr", g._fill_htch_clr);
    readString(*in, "_fill_hatch_type", g._fill_hatch_type);
    readBool(*in, "_isFlippedHorizontally", g._isFlippedHorizontally);
    readBool(*in, "_isFlippedVertically", g._isFlippedVertically);
    readBool(*in, "invert_clr", g.invert_clr);
    readBool(*in, "gray_Scale", g.gray_Scale);
    readBool(*in, "Sepia", g.Sepia);
    readFloat(*in, "img_trnsp_val", g.img_trnsp_val);
    readFloat(*in, "hue_val", g.hue_val);
    readFloat(*in, "sat_val", g.sat_val);
    readFloat(*in, "brt_val", g.brt_val);
    readFloat(*in, "con_val", g.con_val);
    readFloat(*in, "srp_val", g.srp_val);
    readFloat(*in, "ev_val", g.ev_val);
    readFloat(*in, "blr_val", g.blr_val);
    readCode(*in, "data_source_type", g.data_source_type, 0, 2);
    readFloat(*in, "rotate_image", g.rotate_image);
    readString(*in, "_file_path", g._file_path);
    readString(*in, "sign_or_fingureprint", g.sign_or_fingureprint);
    readString(*in, "batch_list_name", g.batch_list_name);
    readInt(*in, "batch_list_index", g.batch_list_index);
    readInt(*in, "_line_ori", g._line_ori);
    readCode(*in, "_line_cap_style", g._line_cap_style, 0, 2);
    readFloat(*in, "alpha_val", g.alpha_val);
    readFloat(*in, "alpha_val_stroke", g.alpha_val_stroke);
    readFont(*in, "text_ctrl_font", g.text_ctrl_font);
    readColor(*in, "txt_clr", g.txt_clr);
    g._Text_contents = decodeTextStorage(*in, "_Text_contents");
    readString(*in, "_shape_type", g._shape_type);
    readFloat(*in, "cor_rad_val_val", g.cor_rad_val_val);
    if (auto image = in->decodeImage("_barcode_image"); image && !image->isNull())
        g._barcode_image = *image;
    readInt(*in, "linear_or_2d", g.linear_or_2d);
    readInt(*in, "barcode_font_index", g.barcode_font_index);
    readString(*in, "linear_font_val", g.linear_font_val);
    readString(*in, "two_d_font_val", g.two_d_font_val);
    readString(*in, "header_val", g.header_val);
    readString(*in, "footer_val", g.footer_val);
    readInt(*in, "show_hide_hdr", g.show_hide_hdr);
    readInt(*in, "show_hide_ftr", g.show_hide_ftr);
    readInt(*in, "show_hide_val", g.show_hide_val);
    readInt(*in, "show_val_on_top", g.show_val_on_top);
    g.stretch_val = kStretchOfDesigner;
    readCode(*in, "stretch_val", g.stretch_val, kStretchOfDesigner, 1);
    readInt(*in, "align_hdr_index", g.align_hdr_index);
    readInt(*in, "align_ftr_index", g.align_ftr_index);
    readFloat(*in, "linear_height_val", g.linear_height_val);
    readFloat(*in, "linear_width_val", g.linear_width_val);
    readInt(*in, "qr_size_val", g.qr_size_val);
    readInt(*in, "qr_version_index", g.qr_version_index);
    readInt(*in, "qr_ec_index", g.qr_ec_index);
    readInt(*in, "pdf_hgt_val", g.pdf_hgt_val);
    readInt(*in, "pdf_wdt_val", g.pdf_wdt_val);
    readInt(*in, "pdf_ec_val", g.pdf_ec_val);
    readInt(*in, "dm_module_val", g.dm_module_val);
    readInt(*in, "dm_format_index", g.dm_format_index);
    readInt(*in, "dm_encoding_index", g.dm_encoding_index);
    readFloat(*in, "hdr_margin_val", g.hdr_margin_val);
    readFloat(*in, "ftr_margin_val", g.ftr_margin_val);
    readFloat(*in, "val_margin_val", g.val_margin_val);
    readFloat(*in, "TB_marging_val", g.TB_marging_val);
    readFloat(*in, "LR_margin_val", g.LR_margin_val);
    readFont(*in, "value_font_val", g.value_font_val);
    readFont(*in, "header_font_val", g.header_font_val);
    readFont(*in, "footer_font_val", g.footer_font_val);
    readColor(*in, "barcode_hdr_clr_val", g.barcode_hdr_clr_val);
    readColor(*in, "barcode_ftr_clr_val", g.barcode_ftr_clr_val);
    readColor(*in, "barcode_val_clr_val", g.barcode_val_clr_val);
    readColor(*in, "barcode_back_clr_val", g.barcode_back_clr_val);
    readColor(*in, "barcode_clr_val", g.barcode_clr_val);
    readInt(*in, "dpi_val_index", g.dpi_val_index);
    readString(*in, "dpi_custom_val", g.dpi_custom_val);
    readInt(*in, "barcode_unit_val", g.barcode_unit_val);
    readCode(*in, "text_alignmnet", g.text_alignmnet, 0, 4);
    readCode(*in, "text_transfrom_case", g.text_transfrom_case, 0, 3);
    readFloat(*in, "text_kerning", g.text_kerning);
    readInt(*in, "print_object", g.print_object);
    readString(*in, "control_ID", g.control_ID);
    readBool(*in, "excel_binding", g.excel_binding);
    readInt(*in, "excel_col_indx", g.excel_col_indx);
    readString(*in, "Text_Value", g.Text_Value);
    readBool(*in, "ctrl_is_visible", g.ctrl_is_visible);
    readInt(*in, "double_star_type", g.double_star_type);
    readInt(*in, "polygon_type", g.polygon_type);
    if (auto* line = dynamic_cast<QBXLine*>(made.get())) {
        // Archives written before the flags were stored read NO.
        readBool(*in, "_pointsRight", line->_pointsRight);
        readBool(*in, "_pointsDown", line->_pointsDown);
    }
    return made;
}

} // namespace

QByteArray QBXGraphic::archivedDataWithGraphic(const QBXGraphic& g)
{
    KeyedArchiver out(g.className(), classChainOf(g));
    out.encodeRect("_bounds", g._bounds);
    out.encodeBool("ctrl_is_locked", g.ctrl_is_locked);
    out.encodeBool("_isDrawingFill", g._isDrawingFill);
    out.encodeColor("_fillColor", g._fillColor);
    out.encodeBool("_isDrawingStroke", g._isDrawingStroke);
    out.encodeColor("_strokeColor", g._strokeColor);
    out.encodeFloat("_strokeWidth", float(g._strokeWidth));
    out.encodeString("_stroke_border_type", g._stroke_border_type);
    out.encodeString("_fill_type", g._fill_type);
    out.encodeColor("_fill_Grad_clr1", g._fill_Grad_clr1);
    out.encodeColor("_fill_Grad_clr2", g._fill_Grad_clr2);
    out.encodeFloat("_fill_grad_angle", float(g._fill_grad_angle));
    out.encodeColor("_fill_htch_clr", g._fill_htch_clr);
    out.encodeString("_fill_hatch_type", g._fill_hatch_type);
    out.encodeBool("_isFlippedHorizontally", g._isFlippedHorizontally);
    out.encodeBool("_isFlippedVertically", g._isFlippedVertically);
    out.encodeBool("invert_clr", g.invert_clr);
    out.encodeBool("gray_Scale", g.gray_Scale);
    out.encodeBool("Sepia", g.Sepia);
    out.encodeFloat("img_trnsp_val", g.img_trnsp_val);
    out.encodeFloat("hue_val", g.hue_val);
    out.encodeFloat("sat_val", g.sat_val);
    out.encodeFloat("brt_val", g.brt_val);
    out.encodeFloat("con_val", g.con_val);
    out.encodeFloat("srp_val", g.srp_val);
    out.encodeFloat("ev_val", g.ev_val);
    out.encodeFloat("blr_val", g.blr_val);
    out.encodeInt32("data_source_type", g.data_source_type);
    out.encodeFloat("rotate_image", g.rotate_image);
    out.encodeString("_file_path", g._file_path);
    out.encodeString("sign_or_fingureprint", g.sign_or_fingureprint);
    out.encodeString("batch_list_name", g.batch_list_name);
    out.encodeInt32("batch_list_index", g.batch_list_index);
    out.encodeInt32("_line_ori", g._line_ori);
    out.encodeInt32("_line_cap_style", g._line_cap_style);
    out.encodeFloat("alpha_val", g.alpha_val);
    out.encodeFloat("alpha_val_stroke", g.alpha_val_stroke);
    out.encodeFont("text_ctrl_font", g.text_ctrl_font);
    out.encodeColor("txt_clr", g.txt_clr);
    encodeTextStorage(out, "_Text_contents", g._Text_contents);
    out.encodeString("_shape_type", g._shape_type);
    out.encodeFloat("cor_rad_val_val", g.cor_rad_val_val);
    out.encodeImage("_barcode_image", g._barcode_image);
    out.encodeInt32("linear_or_2d", g.linear_or_2d);
    out.encodeInt32("barcode_font_index", g.barcode_font_index);
    out.encodeString("linear_font_val", g.linear_font_val);
    out.encodeString("two_d_font_val", g.two_d_font_val);
    out.encodeString("header_val", g.header_val);
    out.encodeString("footer_val", g.footer_val);
    out.encodeInt32("show_hide_hdr", g.show_hide_hdr);
    out.encodeInt32("show_hide_ftr", g.show_hide_ftr);
    out.encodeInt32("show_hide_val", g.show_hide_val);
    out.encodeInt32("show_val_on_top", g.show_val_on_top);
    out.encodeInt32("stretch_val", g.stretch_val);
    out.encodeInt32("align_hdr_index", g.align_hdr_index);
    out.encodeInt32("align_ftr_index", g.align_ftr_index);
    out.encodeFloat("linear_height_val", g.linear_height_val);
    out.encodeFloat("linear_width_val", g.linear_width_val);
    out.encodeInt32("qr_size_val", g.qr_size_val);
    out.encodeInt32("qr_version_index", g.qr_version_index);
    out.encodeInt32("qr_ec_index", g.qr_ec_index);
    out.encodeInt32("pdf_hgt_val", g.pdf_hgt_val);
    out.encodeInt32("pdf_wdt_val", g.pdf_wdt_val);
    out.encodeInt32("pdf_ec_val", g.pdf_ec_val);
    out.encodeInt32("dm_module_val", g.dm_module_val);
    out.encodeInt32("dm_format_index", g.dm_format_index);
    out.encodeInt32("dm_encoding_index", g.dm_encoding_index);
    out.encodeFloat("hdr_margin_val", g.hdr_margin_val);
    out.encodeFloat("ftr_margin_val", g.ftr_margin_val);
    out.encodeFloat("val_margin_val", g.val_margin_val);
    out.encodeFloat("TB_marging_val", g.TB_marging_val);
    out.encodeFloat("LR_margin_val", g.LR_margin_val);
    out.encodeFont("value_font_val", g.value_font_val);
    out.encodeFont("header_font_val", g.header_font_val);
    out.encodeFont("footer_font_val", g.footer_font_val);
    out.encodeColor("barcode_hdr_clr_val", g.barcode_hdr_clr_val);
    out.encodeColor("barcode_ftr_clr_val", g.barcode_ftr_clr_val);
    out.encodeColor("barcode_val_clr_val", g.barcode_val_clr_val);
    out.encodeColor("barcode_back_clr_val", g.barcode_back_clr_val);
    out.encodeColor("barcode_clr_val", g.barcode_clr_val);
    out.encodeInt32("dpi_val_index", g.dpi_val_index);
    out.encodeString("dpi_custom_val", g.dpi_custom_val);
    out.encodeInt32("barcode_unit_val", g.barcode_unit_val);
    out.encodeInt32("text_alignmnet", g.text_alignmnet);
    out.encodeInt32("text_transfrom_case", g.text_transfrom_case);
    out.encodeFloat("text_kerning", g.text_kerning);
    out.encodeInt32("print_object", g.print_object);
    out.encodeString("control_ID", g.control_ID);
    out.encodeBool("excel_binding", g.excel_binding);
    out.encodeInt32("excel_col_indx", g.excel_col_indx);
    out.encodeString("Text_Value", g.Text_Value);
    out.encodeBool("ctrl_is_visible", g.ctrl_is_visible);
    out.encodeInt32("double_star_type", g.double_star_type);
    out.encodeInt32("polygon_type", g.polygon_type);
    if (const auto* line = dynamic_cast<const QBXLine*>(&g)) {
        // The direction of the line: without it a line comes back reversed.
        out.encodeBool("_pointsRight", line->_pointsRight);
        out.encodeBool("_pointsDown", line->_pointsDown);
    }
    return out.finish();
}

GraphicPtr QBXGraphic::graphicWithArchivedData(const QByteArray& data)
{
    try {
        return unarchive(data);
    } catch (...) {
        return nullptr;
    }
}

std::vector<QByteArray> QBXGraphic::propertiesWithGraphics(const GraphicList& graphics)
{
    std::vector<QByteArray> list;
    list.reserve(graphics.size());
    for (const auto& g : graphics) {
        if (g)
            list.push_back(archivedDataWithGraphic(*g));
    }
    return list;
}

QByteArray QBXGraphic::pasteboardDataWithGraphics(const GraphicList& graphics)
{
    platform::Plist array = platform::Plist::array();
    for (QByteArray& item : propertiesWithGraphics(graphics))
        array.append(platform::Plist::data(item));
    return array.toBinary();
}

GraphicList QBXGraphic::graphicsWithProperties(const std::vector<QByteArray>& properties, int* dropped)
{
    GraphicList graphics;
    graphics.reserve(properties.size());
    int lost = 0;
    // A property list may name one stored archive many times (its elements
    // then share their bytes): it is read once, and copied for the others.
    QHash<const char*, GraphicPtr> read;
    for (const QByteArray& item : properties) {
        GraphicPtr g;
        if (const auto it = read.constFind(item.constData()); it != read.constEnd() && !item.isEmpty()) {
            if (*it)
                g = (*it)->fullCopy();
        } else {
            g = graphicWithArchivedData(item);
            read.insert(item.constData(), g);
        }
        if (!g) {
            ++lost;
            continue;
        }
        if (g->className() == QLatin1String("QBXImage")) {
            // A picture is read again from its file; a missing file leaves
            // the path without a picture.
            graphic_defaults::log(g->_file_path);
            if (!g->_file_path.isEmpty() && QFileInfo(g->_file_path).isFile())
                static_cast<QBXImage&>(*g).setFilePath(g->_file_path);
        }
        graphics.push_back(std::move(g));
    }
    if (dropped)
        *dropped = lost;
    return graphics;
}

std::optional<GraphicList> QBXGraphic::graphicsWithPasteboardData(const QByteArray& data, QBXError* error,
                                                                  int* dropped)
{
    // Any program can offer data of the private type: it is read as
    // untrusted bytes.
    QString reason;
    const std::optional<platform::Plist> root = platform::Plist::fromData(data, &reason);
    if (!root || !root->isArray()) {
        graphic_defaults::log(QStringLiteral("Clipboard data not read: %1")
                                  .arg(root ? QStringLiteral("no array at the top") : reason));
    } else if (root->size() > kMaxPastedGraphics) {
        graphic_defaults::log(QStringLiteral("The clipboard names %1 graphics, more than the %2 one paste takes: "
                                             "nothing is pasted.")
                                  .arg(root->size())
                                  .arg(kMaxPastedGraphics));
    }
    if (!root || !root->isArray() || root->size() > kMaxPastedGraphics) {
        if (error) {
            *error = QBXErrorWithCode(2);
            // Data that could not be read at all says why.
            if (!root)
                error->localizedFailureReason = QStringLiteral("The clipboard data cannot be read: %1.").arg(reason);
        }
        if (dropped)
            *dropped = 0;
        return std::nullopt;
    }
    std::vector<QByteArray> items;
    items.reserve(size_t(root->size()));
    int notData = 0;
    for (int i = 0; i < root->size(); ++i) {
        if (root->at(i).type() == platform::Plist::Type::Data)
            items.push_back(root->at(i).toData());
        else
            ++notData;
    }
    int lost = 0;
    GraphicList graphics = graphicsWithProperties(items, &lost);
    if (dropped)
        *dropped = lost + notData;
    return graphics;
}
