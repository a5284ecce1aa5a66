#include "output/sheet_layout.h"

#include <QFont>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sheet_layout {

namespace {

// Lengths above this (about 10 m) are typing slips, not cards.
constexpr double kMaxLengthMM = 10000.0;
// Quotients that should be whole (an exactly filled width) may land a hair
// below; this keeps them whole.
constexpr double kWhole = 1e-6;

int Fit_Count(int count, double avail, double extent, double gap, bool auto_center, double& gap_out,
              double whole_extra)
{
    if (auto_center) {
        const double s = (avail - count * extent) / (count + 1);
        if (s > 0) {
            gap_out = s;
            return count;
        }
        int n = int(std::trunc(avail / extent + kWhole));
        count = n < 1 ? 1 : std::min(count, n);
        gap_out = 0;
        return count;
    }
    gap_out = gap;
    const double s = (avail - count * extent - (count - 1) * gap) / (count + 1);
    if (s <= 0) {
        int n = int(std::floor((whole_extra + gap) / (extent + gap) + kWhole));
        count = n < 1 ? 1 : std::min(count, n);
    }
    return count;
}

bool Is_Top(int align) { return align >= 1 && align <= 3; }
bool Is_Middle(int align) { return align >= 4 && align <= 6; }
int Column_Group(int align) { return (align - 1) % 3; } // 0 left, 1 centre, 2 right

} // namespace

float MM_to_Points_Convert(float value) { return float(double(value) * 2.834645669291); }
float Points_to_MM_Convert(float value) { return float(double(value) * 0.3527777777778); }

void Check_Max_Cell_Value(const Fit_Request& request, Print_Layout& layout)
{
    const double min_pt = MM_to_Points_Convert(float(kMinCardMM));
    double lw = std::max<double>(MM_to_Points_Convert(float(request.card_w_mm)), min_pt);
    double lh = std::max<double>(MM_to_Points_Convert(float(request.card_h_mm)), min_pt);
    if (!std::isfinite(lw))
        lw = min_pt;
    if (!std::isfinite(lh))
        lh = min_pt;
    if (layout.Print_Card_Side == QLatin1String("BOTH")) {
        if (layout.Print_Card_Algn == QLatin1String("U"))
            lh *= 2;
        else
            lw *= 2;
    }
    layout.label_width = lw;
    layout.label_hight = lh;

    const double W = layout.paper_w, H = layout.paper_h;
    const double AW = W - layout.Left_Mar - layout.Rite_Mar;
    const double AH = H - layout.Top_Mar - layout.Bot_Mar;
    auto gap = [](double mm) {
        const double pt = MM_to_Points_Convert(float(mm));
        return std::isfinite(pt) && pt > 0 ? pt : 0.0;
    };
    const double hg = gap(request.col_gap_mm), vg = gap(request.row_gap_mm);
    const int cols = std::max(1, request.cols), rows = std::max(1, request.rows);

    layout.Print_Col = Fit_Count(cols, AW, lw, hg, layout.auto_center_flag, layout.horz_mar, AW);
    layout.Print_Row = Fit_Count(rows, AH, lh, vg, layout.auto_center_flag, layout.vert_mar, AH);
}

std::optional<double> Parse_Length(const QString& text, double minimum)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || v < minimum || v > kMaxLengthMM)
        return std::nullopt;
    return v;
}

std::optional<int> Parse_Count(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v) || v < 1 || v > kMaxTotal)
        return std::nullopt;
    return int(v);
}

int Clamp_Total(double typed, bool data_in_use, int data_rows)
{
    if (!std::isfinite(typed) || typed < 1)
        return 0;
    double total = std::min<double>(typed, kMaxTotal);
    if (data_in_use)
        total = std::min<double>(total, std::max(0, data_rows));
    return int(total);
}

std::uint64_t Page_Count(std::int64_t total, int rows, int cols)
{
    if (total <= 0)
        return 0;
    const std::uint64_t per_sheet = std::uint64_t(std::max(1, rows)) * std::uint64_t(std::max(1, cols));
    return (std::uint64_t(total) + per_sheet - 1) / per_sheet;
}

Cell_Place Place_Cell(const Print_Layout& L, int r, int c, const QSizeF& picture)
{
    const double W = L.paper_w, H = L.paper_h;
    const double lw = L.label_width, lh = L.label_hight, hg = L.horz_mar, vg = L.vert_mar;
    const double AW = W - L.Left_Mar - L.Rite_Mar, AH = H - L.Top_Mar - L.Bot_Mar;
    const double GW = L.Print_Col * lw + (L.Print_Col - 1) * hg;
    const double GH = L.Print_Row * lh + (L.Print_Row - 1) * vg;

    double y1;
    if (L.auto_center_flag)
        y1 = GH - lh + vg + L.Bot_Mar;
    else if (Is_Top(L.label_align_val))
        y1 = H - lh - L.Top_Mar;
    else if (Is_Middle(L.label_align_val))
        y1 = (AH - GH) / 2 + L.Bot_Mar + GH - lh;
    else
        y1 = GH - lh + L.Bot_Mar;
    const double y = y1 - (r - 1) * (lh + vg);

    double x;
    if (L.auto_center_flag)
        x = L.Left_Mar + c * hg + (c - 1) * lw;
    else if (Column_Group(L.label_align_val) == 0)
        x = L.Left_Mar + (c - 1) * (hg + lw);
    else if (Column_Group(L.label_align_val) == 1)
        x = L.Left_Mar + (AW - GW) / 2 + (c - 1) * (lw + hg);
    else
        x = W - GW - L.Rite_Mar + (c - 1) * (lw + hg);

    const double pw = picture.width(), ph = picture.height();
    Cell_Place out;
    if (L.Print_Card_Side == QLatin1String("BOTH") && L.Print_Card_Algn == QLatin1String("L")) {
        out.cell = QRectF(x, y, lw / 2, lh);
        out.origin = QPointF(2 * pw < lw ? x + (lw - 2 * pw) / 2 : x, ph < lh ? y + (lh - ph) / 2 : y);
        out.back = QRectF(out.origin.x() + pw, out.origin.y(), pw, ph);
    } else if (L.Print_Card_Side == QLatin1String("BOTH")) {
        out.cell = QRectF(x, y + lh / 2, lw, lh / 2);
        out.origin = QPointF(pw < lw ? x + (lw - pw) / 2 : x, 2 * ph < lh ? y + lh / 2 + (lh - 2 * ph) / 2 : y + lh / 2);
        out.back = QRectF(out.origin.x(), out.origin.y() - ph, pw, ph);
    } else {
        out.cell = QRectF(x, y, lw, lh);
        out.origin = QPointF(pw < lw ? x + (lw - pw) / 2 : x, ph < lh ? y + (lh - ph) / 2 : y);
    }
    out.picture = QRectF(out.origin, picture);
    return out;
}

int Get_Curr_Label_Index(const Print_Layout& layout, int r, int c)
{
    return (r - 1) * layout.Print_Col + c - 1;
}

QRectF Qt_Rect(const Print_Layout& layout, const QRectF& r)
{
    return QRectF(r.x(), layout.paper_h - r.y() - r.height(), r.width(), r.height());
}

void Draw_Cell_Caption(QPainter& painter, const Print_Layout& layout, const QRectF& cell, const QString& text,
                       const QColor& colour)
{
    // 11 points on paper: the painter's unit is one point, while a font's
    // point size resolves by the device's resolution (1200 on a printer).
    QFont font;
    font.setBold(true);
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    font.setPointSizeF(11.0 * 72.0 / (dpi > 0 ? dpi : 72));
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(Qt_Rect(layout, cell), Qt::AlignCenter | Qt::TextDontClip, text);
    painter.restore();
}

} // namespace sheet_layout
