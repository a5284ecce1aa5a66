#include "output/Printing_View.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

using namespace sheet_layout;

const QString Printing_View::kPreviewCapMessage = QStringLiteral(
    "For Qualitative and Performance reason, previewer shows print previews of only first 50 sheets. However, "
    "printing has no such restriction.");

Printing_View::Printing_View(Print_Job job) : job_(std::move(job))
{
    job_.layout.Print_Row = std::max(1, job_.layout.Print_Row);
    job_.layout.Print_Col = std::max(1, job_.layout.Print_Col);
    if (job_.data_in_use) {
        run_ = std::make_unique<output::Card_Run>(
            job_.layout.Print_Card_Side,
            int(std::min<std::int64_t>(std::max<std::int64_t>(0, job_.Total_Label_Real), job_.data_rows)));
        run_->Add_Problem_Source(job_.row_problems);
    }
}

std::uint64_t Printing_View::numberOfPages(bool preview, bool* capped) const
{
    std::uint64_t pages = Page_Count(job_.Total_Label_Real, job_.layout.Print_Row, job_.layout.Print_Col);
    const bool cap = preview && pages > kPreviewCap;
    if (capped)
        *capped = cap;
    return cap ? kPreviewCap : pages;
}

void Printing_View::Begin_Run()
{
    barcode_counter = 0;
    count = 0;
}

void Printing_View::Fill_Rest(Print_Progress* progress)
{
    if (!run_ || !job_.render_row)
        return;
    std::int64_t filled = 0;
    run_->Draw_Rest(job_.render_row, progress ? &progress->stop : nullptr, [&](int) {
        if (!progress)
            return;
        progress->cards = ++filled;
        if (filled == 1 && progress->changed)
            progress->changed();
    });
}

QString Printing_View::Problems_Text(const QString& not_drawn_heading) const
{
    if (run_)
        return run_->Problems_Text(not_drawn_heading);
    // Without data: what the design's own barcodes have against them.
    return job_.row_problems ? ::Problems_Text(job_.row_problems(), 0) : QString();
}

int Printing_View::Get_Curr_Label_Index(int row, int col) const
{
    return sheet_layout::Get_Curr_Label_Index(job_.layout, row, col);
}

void Printing_View::Draw_Label_String(QPainter& painter, const QRectF& rect, const QString& text, int row, int col)
{
    QString shown = text;
    QColor colour = Qt::red;
    if (text == QLatin1String("Label")) {
        shown = QStringLiteral("%1 %2").arg(text).arg(Get_Curr_Label_Index(row, col) + 1);
        colour = Qt::gray;
    }
    Draw_Cell_Caption(painter, job_.layout, rect, shown, colour);
}

void Printing_View::drawRect(QPainter& painter)
{
    const Print_Layout& L = job_.layout;
    painter.fillRect(QRectF(0, 0, L.paper_w, L.paper_h), Qt::white);
    if (barcode_counter == 0)
        count = 0;
    const QString& side = L.Print_Card_Side;
    const bool both = side == QLatin1String("BOTH"), back_only = side == QLatin1String("B");
    for (int r = 1; r <= L.Print_Row; ++r) {
        for (int c = 1; c <= L.Print_Col && barcode_counter < job_.Total_Label_Real; ++c) {
            if (stop_ && *stop_)
                return;
            CardPicture front = job_.front_image, back = job_.back_image;
            bool drawable = true;
            if (job_.data_in_use) {
                if (count >= job_.data_rows) {
                    // Beyond the data: the cell stays free for nothing more.
                    ++count;
                    ++barcode_counter;
                    continue;
                }
                const int row = int(count);
                // Without a renderer every row shows the window's card.
                const auto card = run_->Draw(row, [this](int r, const QString& s) {
                    return job_.render_row ? job_.render_row(r, s)
                                           : s == QLatin1String("B") ? job_.back_image : job_.front_image;
                });
                if (both || back_only)
                    back = card.back;
                if (!back_only)
                    front = card.front;
                drawable = card.drawn;
            } else {
                drawable = !(back_only ? back : front).isNull();
            }
            const CardPicture& shown = back_only ? back : front;
            const QSizeF size = !shown.isNull() ? shown.size()
                                                : (!job_.front_image.isNull() ? job_.front_image.size() : QSizeF());
            const Cell_Place place = Place_Cell(L, r, c, size);
            if (!drawable) {
                Draw_Label_String(painter, place.picture.isEmpty() ? place.cell : place.picture,
                                  QStringLiteral("Invalid Data"), r, c);
            } else {
                shown.draw(painter, Qt_Rect(L, place.picture));
                if (both && place.back)
                    back.draw(painter, Qt_Rect(L, *place.back));
            }
            ++count;
            ++barcode_counter;
            if (progress_) {
                progress_->cards = barcode_counter;
                if (barcode_counter == 1 && progress_->changed)
                    progress_->changed();
            }
        }
    }
}

void Printing_View::Draw_Sheet(QPainter& painter, std::uint64_t sheet, const std::atomic<bool>* stop)
{
    // Every cell of a sheet counts, drawn or skipped, so the run's counters
    // at the start of a sheet follow from its number alone.
    barcode_counter = std::int64_t(sheet) * job_.layout.Print_Row * job_.layout.Print_Col;
    count = barcode_counter;
    stop_ = stop;
    drawRect(painter);
    stop_ = nullptr;
}

bool Printing_View::Print(QPagedPaintDevice& device, std::uint64_t pages, Print_Progress* progress)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // One unit is one point; the device maps its own resolution.
    const double scale = device.logicalDpiX() / 72.0;
    painter.scale(scale, device.logicalDpiY() / 72.0);
    Begin_Run();
    progress_ = progress;
    stop_ = progress ? &progress->stop : nullptr;
    bool ok = true;
    for (std::uint64_t p = 0; p < pages && ok && !(progress && progress->stop); ++p) {
        ok = p == 0 || device.newPage();
        if (ok)
            drawRect(painter);
        if (progress && progress->changed)
            progress->changed();
    }
    progress_ = nullptr;
    stop_ = nullptr;
    return painter.end() && ok;
}
