// The keyed archive of a card side record: one entry per field under its own
// name. Reading starts from the defaults and takes each usable entry.
#include "drawing/Card_Property.h"
#include "platform/geometry_text.h"
#include "platform/keyed_archive.h"

#include <cmath>

using platform::KeyedArchiver;
using platform::KeyedUnarchiver;

QByteArray Card_Property::encodeWithCoder() const
{
    KeyedArchiver out(QStringLiteral("Card_Property"), {QStringLiteral("NSObject")});
    out.encodeBool("Card_border_chk", Card_border_chk);
    out.encodeBool("Card_fill_chk", Card_fill_chk);
    out.encodeInt32("Card_bor_Stepper", Card_bor_Stepper);
    out.encodeInt32("Card_grad_Stepper", Card_grad_Stepper);
    out.encodeInt32("Card_Cat_index", Card_Cat_index);
    out.encodeFloat("Card_alpha_Stepper", Card_alpha_Stepper);
    out.encodeColor("Card_bordr_clr", Card_bordr_clr);
    out.encodeColor("Card_fill_clr", Card_fill_clr);
    out.encodeColor("Card_fill_Grd_1_clr", Card_fill_Grd_1_clr);
    out.encodeColor("Card_fill_Grd_2_clr", Card_fill_Grd_2_clr);
    out.encodeColor("Card_hatch_bk_clr", Card_hatch_bk_clr);
    out.encodeString("Card_border_style", Card_border_style);
    out.encodeString("Card_fill_style", Card_fill_style);
    out.encodeString("Card_hatch_style", Card_hatch_style);
    out.encodeString("Card_Side", Card_Side);
    out.encodeString("Card_Side_Name", Card_Side_Name);
    out.encodeString("Card_Shape", Card_Shape);
    out.encodeString("Card_Name", Card_Name);
    out.encodeString("Card_Preset", Card_Preset);
    out.encodeString("Card_Category", Card_Category);
    out.encodeString("Card_Sub_Category", Card_Sub_Category);
    out.encodeString("Card_Create_Mode", Card_Create_Mode);
    out.encodeString("Card_BG_Image_Path", Card_BG_Image_Path);
    out.encodeString("Card_BG_Image_Layout", Card_BG_Image_Layout);
    out.encodeImage("Card_BG_Image", Card_BG_Image);
    out.encodeString("Card_Location", platform::pointToText(Card_Location));
    out.encodeString("Card_Size", platform::sizeToText(Card_Size));
    out.encodeColor("Card_Content_clr", Card_Content_clr);
    out.encodeFont("Card_Content_font", Card_Content_font);
    return out.finish();
}

Card_Property Card_Property::initWithCoder(const QByteArray& data, bool* ok)
{
    Card_Property p;
    std::optional<KeyedUnarchiver> in;
    try {
        in = KeyedUnarchiver::open(data);
    } catch (...) {
        in.reset();
    }
    if (ok)
        *ok = in.has_value();
    if (!in)
        return p;
    auto readBool = [&](const char* key, bool& field) {
        if (auto v = in->decodeBool(key))
            field = *v;
    };
    auto readInt = [&](const char* key, int32_t& field) {
        if (auto v = in->decodeInt32(key))
            field = *v;
    };
    auto readString = [&](const char* key, QString& field) {
        if (auto v = in->decodeString(key))
            field = *v;
    };
    auto readColor = [&](const char* key, QColor& field) {
        if (auto v = in->decodeColor(key); v && v->isValid())
            field = v->toRgb();
    };
    auto finite = [](double a, double b) { return std::isfinite(a) && std::isfinite(b); };
    readBool("Card_border_chk", p.Card_border_chk);
    readBool("Card_fill_chk", p.Card_fill_chk);
    readInt("Card_bor_Stepper", p.Card_bor_Stepper);
    readInt("Card_grad_Stepper", p.Card_grad_Stepper);
    readInt("Card_Cat_index", p.Card_Cat_index);
    if (auto v = in->decodeFloat("Card_alpha_Stepper"); v && std::isfinite(*v))
        p.Card_alpha_Stepper = *v;
    readColor("Card_bordr_clr", p.Card_bordr_clr);
    readColor("Card_fill_clr", p.Card_fill_clr);
    readColor("Card_fill_Grd_1_clr", p.Card_fill_Grd_1_clr);
    readColor("Card_fill_Grd_2_clr", p.Card_fill_Grd_2_clr);
    readColor("Card_hatch_bk_clr", p.Card_hatch_bk_clr);
    readString("Card_border_style", p.Card_border_style);
    readString("Card_fill_style", p.Card_fill_style);
    readString("Card_hatch_style", p.Card_hatch_style);
    readString("Card_Side", p.Card_Side);
    readString("Card_Side_Name", p.Card_Side_Name);
    readString("Card_Shape", p.Card_Shape);
    readString("Card_Name", p.Card_Name);
    readString("Card_Preset", p.Card_Preset);
    readString("Card_Category", p.Card_Category);
    readString("Card_Sub_Category", p.Card_Sub_Category);
    readString("Card_Create_Mode", p.Card_Create_Mode);
    readString("Card_BG_Image_Path", p.Card_BG_Image_Path);
    readString("Card_BG_Image_Layout", p.Card_BG_Image_Layout);
    if (auto v = in->decodeImage("Card_BG_Image"); v && !v->isNull())
        p.Card_BG_Image = *v;
    if (auto v = in->decodeString("Card_Location")) {
        const QPointF pt = platform::pointFromText(*v);
        if (finite(pt.x(), pt.y()))
            p.Card_Location = pt;
    }
    if (auto v = in->decodeString("Card_Size")) {
        const QSizeF sz = platform::sizeFromText(*v);
        if (finite(sz.width(), sz.height()))
            p.Card_Size = sz;
    }
    readColor("Card_Content_clr", p.Card_Content_clr);
    if (auto v = in->decodeFont("Card_Content_font"); v && !v->family().isEmpty())
        p.Card_Content_font = *v;
    return p;
}
