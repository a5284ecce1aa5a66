#pragma once
// A design of one plain card for the print window, without the editor: a
// solid picture of the card's size and no data.
#include "drawing/QBXImage.h"
#include "output/PrintHost.h"

#include <memory>

inline CardPicture Solid_Card(double w, double h, const QColor& colour)
{
    auto g = std::make_shared<QBXImage>();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    g->_contents = image;
    g->setBounds(QRectF(0, 0, w, h));
    CardRenderContext context;
    context.frame = QRectF(0, 0, w, h);
    context.side = 0;
    return QBXRenderingView::image_From_Card_Graphics({g}, false, context);
}

struct Plain_Print_Host : PrintHost {
    QColor colour = Qt::blue;
    QSizeF card{252, 144}; // points
    Print_Data Check_Series_Or_Excel_Use_or_not() override { return {}; }
    Print_Data Verify_Card_Count(bool, bool) override { return {}; }
    CardPicture Render_Design_Side(int) override { return Solid_Card(card.width(), card.height(), colour); }
    // The design's barcode problems, and the sides and resolutions asked.
    QList<Card_Problem> barcode_problems;
    QStringList barcodes_asked;
    QList<Card_Problem> Card_Barcode_Problems(const QString& side, double dpi) override
    {
        barcodes_asked << QStringLiteral("%1 %2").arg(side).arg(dpi);
        return barcode_problems;
    }
    std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot() override { return {}; }
    void Select_first_row_value_for_design(bool) override {}
};
