// Cards of one design drawn on eight workers at once, as export, print and
// mail draw them: each worker from a run snapshot of its own, while the
// main thread draws the design itself. Every card must come out as the
// same card drawn alone, round after round, and no worker may corrupt
// another's fonts or pictures (a fault here crashes the program or shows
// as a sanitizer report).
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kRows = 16, kWorkers = 8, kRounds = 120;
constexpr double kDpi = 150;
const QRectF kCard(0, 0, 360, 252);

std::shared_ptr<QBXText> Bound_Text(int column, QRectF r)
{
    auto t = std::make_shared<QBXText>();
    t->text_ctrl_font = QFont(QStringLiteral("DejaVu Sans"));
    t->text_ctrl_font.setPointSizeF(11);
    t->setBounds(r);
    t->Set_Data_source_type(2);
    t->Set_Excel_binding_Index(column);
    return t;
}

// A barcode bound to a column, with the header, value and footer a new
// barcode shows, framed by its picture for the row-0 value.
std::shared_ptr<QBXBarcode> Bound_Barcode(const QString& symbology, int column, QPointF at, const QString& sample)
{
    auto b = std::make_shared<QBXBarcode>();
    b->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(symbology));
    b->linear_or_2d = Barcode_Gen::Is_2D_Title(symbology) ? 1 : 0;
    b->qr_size_val = 50;
    b->linear_width_val = 12;
    b->Set_Data_source_type(2);
    b->Set_Excel_binding_Index(column);
    const QSizeF size = Barcode_Row_Picture_For_Graphic(*b, sample, b->header_val, b->footer_val,
                                                       Barcode_Run_Target{true, 0, {}})
                            .picture.size();
    b->setBounds(QRectF(at, size));
    return b;
}

struct Design {
    Binding_Table_Model table;
    Binding_Design design;
    Data_Binding binding;

    Design()
    {
        table.Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("Code"), QStringLiteral("Link"),
                                 QStringLiteral("Card"), QStringLiteral("Serial")});
        auto cells = [](int i) {
            return QStringList{QStringLiteral("Guest %1").arg(i + 1), QStringLiteral("CW%1").arg(i, 8, 10, QChar('0')),
                               QStringLiteral("https://example.org/card/%1").arg(i),
                               QStringLiteral("CARD-%1-PDF417").arg(i), QStringLiteral("SN%1").arg(7000 + i)};
        };
        for (int i = 0; i < kRows; ++i)
            table.Create_List_By_Array(cells(i), 5);
        const QStringList first = cells(0);
        design.front = {Bound_Text(1, QRectF(8, 8, 160, 18)), Bound_Text(4, QRectF(8, 28, 160, 18)),
                        Bound_Text(2, QRectF(8, 48, 160, 18)),
                        Bound_Barcode(QStringLiteral("Code 128"), 2, QPointF(8, 70), first[1]),
                        Bound_Barcode(QStringLiteral("QR Code"), 3, QPointF(190, 8), first[2]),
                        Bound_Barcode(QStringLiteral("PDF417"), 4, QPointF(8, 160), first[3]),
                        Bound_Barcode(QStringLiteral("DataMatrix"), 5, QPointF(260, 150), first[4])};
        binding.Check_Series_Or_Excel_Use_or_not(design, {}, table.ListData(), QString());
    }

    std::shared_ptr<Binding_Run_Snapshot> Snapshot()
    {
        auto run = std::make_shared<Binding_Run_Snapshot>(binding, design, table.ListData());
        run->render_context.frame = kCard;
        run->render_context.side = 0;
        run->output_dpi = kDpi;
        return run;
    }
};

QImage Card(Binding_Run_Snapshot& run, int row)
{
    return run.Render_Side(row, QStringLiteral("F"), false).toImage(kDpi);
}

} // namespace

TEST(CardWorkers, EightWorkersDrawCaptionedBarcodesAndTextsAsOneWorkerDoes)
{
    Design d;
    ASSERT_EQ(d.binding.counts.Total_Batch_Excel_Card, kRows);
    std::vector<QImage> alone;
    {
        auto run = d.Snapshot();
        for (int row = 0; row < kRows; ++row)
            alone.push_back(Card(*run, row));
    }
    ASSERT_FALSE(alone.front().isNull());
    // A snapshot's fonts equal the design's but share no private part with
    // them (Qt changes that part while it draws).
    {
        auto run = d.Snapshot();
        const GraphicList& clones = run->Fill_Side(0, QStringLiteral("F"));
        for (size_t i = 0; i < clones.size(); ++i) {
            const QBXGraphic &mine = *clones[i], &design = *d.design.front[i];
            for (auto font : {&QBXGraphic::text_ctrl_font, &QBXGraphic::value_font_val, &QBXGraphic::header_font_val,
                              &QBXGraphic::footer_font_val}) {
                EXPECT_EQ(mine.*font, design.*font) << i;
                EXPECT_EQ((mine.*font).resolveMask(), (design.*font).resolveMask()) << i;
                EXPECT_FALSE((mine.*font).isCopyOf(design.*font)) << i;
            }
        }
    }
    CardRenderContext canvas;
    canvas.frame = kCard;
    canvas.side = 0;

    std::atomic<int> differ{0};
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::shared_ptr<Binding_Run_Snapshot>> runs;
        for (int w = 0; w < kWorkers; ++w)
            runs.push_back(d.Snapshot());
        std::atomic<int> next{0};
        std::vector<std::thread> workers;
        for (int w = 0; w < kWorkers; ++w)
            workers.emplace_back([&, run = runs[size_t(w)]] {
                for (int i; (i = next++) < kRows;)
                    if (Card(*run, i) != alone[size_t(i)])
                        ++differ;
            });
        // Meanwhile the design is drawn here, as the canvas draws it.
        for (int i = 0; i < 2; ++i)
            QBXRenderingView::image_From_Card_Graphics(d.design.front, false, canvas).toImage(kDpi);
        for (std::thread& t : workers)
            t.join();
    }
    EXPECT_EQ(differ.load(), 0) << "cards drawn on workers differ from the same cards drawn alone";
}
