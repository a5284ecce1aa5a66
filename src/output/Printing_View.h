#pragma once
// The printed view: paginates a print run itself and lays out one sheet per
// page, each cell showing the card of its data row (or the same card when no
// data is printed), placed as the sheet layout says. Headless: it draws on
// any painter (a QPrinter, a PDF writer, the print preview).
#include "batch/Card_Problems.h"
#include "drawing/QBXRenderingView.h"
#include "output/card_run.h"
#include "output/sheet_layout.h"

#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class QPagedPaintDevice;

// Everything a run reads, copied once when Print or Preview is pressed.
struct Print_Job {
    sheet_layout::Print_Layout layout;
    std::int64_t Total_Label_Real = 0; // cards of the run, already bounded
    bool data_in_use = false;
    int data_rows = 0;                 // Total_Batch_Excel_Card of the run
    CardPicture front_image, back_image; // the card as the window rendered it
    // Renders data row `row` for side "F" or "B"; a null picture when the
    // row cannot be drawn. Called on the painting thread only.
    std::function<CardPicture(int row, const QString& side)> render_row;
    // The problems of the rows' values (the run snapshot's), or without
    // data those of the design's barcodes; may be empty.
    std::function<QList<Card_Problem>()> row_problems;
};

// What a print run on a worker shares with the thread that waits for it.
struct Print_Progress {
    std::atomic<bool> stop{false};       // set from any thread: the run ends at the next card
    std::atomic<std::int64_t> cards{0};  // cells handled so far
    // Called on the printing thread after the first card and each sheet.
    std::function<void()> changed;
};

class Printing_View {
public:
    explicit Printing_View(Print_Job job);

    static const QString kPreviewCapMessage;
    static constexpr std::uint64_t kPreviewCap = 50;

    // Sheets of the run; a preview holds at most kPreviewCap (the caller
    // shows kPreviewCapMessage before the preview when `capped`).
    std::uint64_t numberOfPages(bool preview, bool* capped = nullptr) const;
    // Restarts the run's counters (each preview pass starts over).
    void Begin_Run();
    // Draws the next sheet on a painter whose unit is one point, origin at
    // the paper's top left.
    void drawRect(QPainter& painter);
    // Sheet `sheet` (from 0) alone, as the run draws it: its cells continue
    // from the cells of the sheets before it. A raised `stop` ends it at the
    // next cell.
    void Draw_Sheet(QPainter& painter, std::uint64_t sheet, const std::atomic<bool>* stop = nullptr);
    // The whole run on a paged device (a QPrinter or a PDF writer), page
    // after page; false when the painter cannot start on it. With `progress`
    // it reports there and a stop ends the document after the cards drawn.
    bool Print(QPagedPaintDevice& device, std::uint64_t pages, Print_Progress* progress = nullptr);

    int Get_Curr_Label_Index(int row, int col) const;
    // The data rows of the cards not drawn so far, filled and dropped, so
    // that the problems of every card of the run are named (a preview draws
    // only the sheets looked at); with `progress` it reports there and a
    // stop ends it. Data rows not printed: nothing to do.
    void Fill_Rest(Print_Progress* progress = nullptr);
    // Cards of the run that no sheet drew yet.
    int Rest() const { return run_ ? run_->Rest() : 0; }
    // Cards that could not be drawn so far ("Invalid Data" took their cell),
    // then the problems of the rows' values.
    QList<Card_Problem> Problems() const { return run_ ? run_->Problems() : QList<Card_Problem>(); }
    // The end box's list over every card of the run.
    QString Problems_Text(const QString& not_drawn_heading) const;

    std::int64_t barcode_counter = 0;
    std::int64_t count = 0;

private:
    void Draw_Label_String(QPainter& painter, const QRectF& rect, const QString& text, int row, int col);

    Print_Job job_;
    std::unique_ptr<output::Card_Run> run_; // with data rows only
    Print_Progress* progress_ = nullptr; // during Print only
    const std::atomic<bool>* stop_ = nullptr; // during Print or Draw_Sheet
};
