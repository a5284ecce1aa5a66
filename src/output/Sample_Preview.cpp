#include "output/Sample_Preview.h"

#include <QPainter>

using namespace sheet_layout;

namespace Sample_Preview {

namespace {

void Draw_Label_String(QPainter& painter, const Print_Layout& L, const QRectF& rect, const QString& text, int row,
                       int col)
{
    QString shown = text;
    QColor colour = Qt::red;
    if (text == QLatin1String("Front") || text == QLatin1String("Back") || text == QLatin1String("Card")) {
        shown = QStringLiteral("%1 %2").arg(text).arg(Get_Curr_Label_Index(L, row, col) + 1);
        colour = Qt::gray;
    }
    Draw_Cell_Caption(painter, L, rect, shown, colour);
}

void Draw_Margin_rect(QPainter& painter, const Print_Layout& L, const QRectF& rect, bool show)
{
    if (!show)
        return;
    painter.save();
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(Qt_Rect(L, rect));
    painter.restore();
}

} // namespace

void drawRect(QPainter& painter, const Print_Layout& L, const QSizeF& picture, bool has_front, bool Show_margin_rect)
{
    painter.fillRect(QRectF(0, 0, L.paper_w, L.paper_h), Qt::white);
    const QString& side = L.Print_Card_Side;
    for (int r = 1; r <= std::max(1, L.Print_Row); ++r) {
        for (int c = 1; c <= std::max(1, L.Print_Col); ++c) {
            const Cell_Place place = Place_Cell(L, r, c, picture);
            if (!has_front) {
                Draw_Label_String(painter, L, place.cell, QStringLiteral("Invalid Data"), r, c);
                Draw_Margin_rect(painter, L, place.cell, Show_margin_rect);
                continue;
            }
            Draw_Label_String(painter, L, place.cell,
                              side == QLatin1String("B") ? QStringLiteral("Back") : QStringLiteral("Card"), r, c);
            Draw_Margin_rect(painter, L, place.cell, Show_margin_rect);
            if (place.back) {
                Draw_Label_String(painter, L, *place.back, QStringLiteral("Back"), r, c);
                Draw_Margin_rect(painter, L, *place.back, Show_margin_rect);
            }
        }
    }
}

QImage imageRepresentation(const Print_Layout& L, const QSizeF& picture, bool has_front, bool Show_margin_rect)
{
    if (!(L.paper_w >= 1 && L.paper_h >= 1) || L.paper_w > 20000 || L.paper_h > 20000)
        return {};
    QImage image(QSizeF(L.paper_w, L.paper_h).toSize(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    drawRect(painter, L, picture, has_front, Show_margin_rect);
    return image;
}

} // namespace Sample_Preview
