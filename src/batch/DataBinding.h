#pragma once
// Data binding: text, picture and barcode graphics take their value from a
// series (data_source_type 1) or from a column of the spreadsheet binding
// table (data_source_type 2); data row i fills card i.
//
// Headless code over explicit inputs: the graphic lists of the two sides, the
// number of sides, the series list, the binding-table rows. The window
// controller wraps it for the editor; output runs work on a Binding_Run_Snapshot
// taken on the main thread before any worker starts.
#include "batch/Barcode_Binding.h"
#include "batch/Card_Problems.h"
#include "drawing/Card_Property.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXRenderingView.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// One row of the spreadsheet binding table: "Extension" holds the 1-based row
// number, "Column1".."ColumnK" the values of the chosen sheet columns.
using Binding_Rows = QList<QVariantMap>;

// Key of binding-table column `col`: "Extension" for 0, "Column<k>" for k > 0;
// empty for a negative column.
QString Excel_Column_Key(int col);

// ---- series binding table ---------------------------------------------------

// Slot k holds series k of the current series list: unloaded (name only) or
// loaded with the series' rows (row i of the file is value i, untrimmed).
struct Series_Slot {
    QString name;
    bool loaded = false;
    QStringList values;
};

struct Series_Table {
    std::vector<Series_Slot> entries;
    QHash<QString, int> slot_of_name;

    int size() const { return int(entries.size()); }
    // The slot a graphic reads: found by its series name; by its stored slot
    // number only when the name is empty (designs made before names were
    // kept). -1 when the graphic's series is not in the list.
    int Slot_For_Graphic(const QBXGraphic& graphic) const;
    // The same for a series name and stored slot number.
    int Slot_Of(const QString& name, int index) const;
};

// ---- barcode pictures -----------------------------------------------------------

// The picture of a barcode graphic's settings with another value, header and
// footer; a null image when the value cannot be encoded. The target says
// whether it is a run's picture and for what device (see
// Barcode_Row_Picture_For_Graphic). Must be safe off the main thread (one
// generation at a time) and touch no widget.
using Barcode_Picture_Fn = std::function<Barcode_Row_Picture(const QBXGraphic& settings, const QString& value,
                                                             const QString& header, const QString& footer,
                                                             const Barcode_Run_Target& target)>;
// The function binding uses unless one is injected: Barcode_Row_Picture_For_Graphic.
Barcode_Picture_Fn Default_Barcode_Picture_Function();
void Set_Default_Barcode_Picture_Function(Barcode_Picture_Fn fn);

// ---- the algorithms over explicit inputs ------------------------------------

struct Binding_Design {
    GraphicList front;
    GraphicList back;
    QString card_side_str = QStringLiteral("1"); // "2": the back side takes part
};

// A text, picture or barcode graphic of the list has data_source_type `type`.
bool Side_Uses_Source(const GraphicList& side, int type);

// Slot k = series k of `series_names`; every series bound by a graphic of a
// side that takes part is loaded, each file read once. Missing or undecodable
// series and bound names no longer listed are logged and added to problems.
Series_Table Create_Dataset_binding_table(const Binding_Design& design, const QStringList& series_names,
                                          const QString& folder, Binding_Problems* problems);

// Largest row count of the loaded entries; 0 when none is loaded.
int Calculate_data_table_rows(const Series_Table& table);

// Value `row` of slot `slot`, untrimmed; "" for any index out of range or an
// unloaded slot.
QString Get_sel_row_col_value_of_dataset(const Series_Table& table, int row, int slot);
// The value of binding-table row `row` in column `col`, untrimmed; "" for any
// index out of range, a missing key or a value that is not text.
QString Get_sel_row_col_value_of_Excel(const Binding_Rows& rows, int row, int col);
// Row 0 of the binding table in column `col` ("" for an empty table).
QString Get_First_Value_Of_Excel_Binding(const Binding_Rows& rows, int col);

// The state a use check leaves behind (the five batch globals).
struct Binding_Counts {
    bool Use_Data_Sheet_Values = false;
    bool Use_Excel_Binding_Values = false;
    int Data_table_rows = 0;
    int Excel_table_rows = 0;
    int Total_Batch_Excel_Card = 0;
};

// The use check and card count of an output run, kept between the check and
// the run (main thread).
class Data_Binding {
public:
    // Rebuilds the series table and decides the series flag.
    void Check_Data_Sheet_Value_Use_or_Not(const Binding_Design& design, const QStringList& series_names,
                                           const QString& folder = {});
    // Decides the spreadsheet flag from the binding table's rows.
    void Check_Excel_Binding_Value_Use_or_Not(const Binding_Design& design, const Binding_Rows& rows);
    // Recomputes both row counts and the number of cards from the flags.
    void Get_total_Card_count(const Binding_Rows& rows);
    // The three steps above, in this order (problems cleared first).
    void Check_Series_Or_Excel_Use_or_not(const Binding_Design& design, const QStringList& series_names,
                                          const Binding_Rows& rows, const QString& folder = {});

    Series_Table data_table_content;
    Binding_Counts counts;
    std::shared_ptr<Binding_Problems> problems = std::make_shared<Binding_Problems>();
};

// A picture a run has met: its header only (the pixels are decoded when
// drawn), or null with the reason it cannot be read.
struct Run_Picture {
    platform::StoredPicture picture;
    QString problem;
};

// What filling a list with one data row reads.
struct Fill_Sources {
    const Series_Table* series = nullptr;
    const Binding_Rows* rows = nullptr;
    bool use_series = false;
    bool use_excel = false;
    Barcode_Picture_Fn barcode;      // empty: the default function
    // In a run a barcode with no picture is hidden (nothing is printed) and
    // listed; on the design canvas it shows its sample.
    bool in_run = false;
    Binding_Problems* problems = nullptr;
    // The pictures a run has met by path; none on the design canvas.
    QHash<QString, Run_Picture>* pictures = nullptr;
    // The card's frame in a run (empty: not checked): a row's barcode
    // picture reaching past it is listed.
    QRectF card;
    // The resolution a run's cards go out at (0: not a run): a row's 2-D
    // symbol is made readable there, and a row's picture is decoded for it
    // when it is bound, so the drawing finds it kept.
    double dpi = 0;
    bool vector = false; // that device draws vector output (a printer)
    // What a too-fine barcode's line may offer (see Barcode_Run_Target).
    QList<int> resolutions;
    bool mailed = false;
    // The barcodes' names on the side filled (none: Barcode_Name).
    const QHash<const QBXGraphic*, QString>* names = nullptr;
    // What made the run's too-fine rows read so far (none: not kept).
    Barcode_Remedies* remedies = nullptr;
};

// Writes row `row`'s values into the bound graphics of the list. Each graphic
// is filled on its own: a failure is recorded and the walk goes on.
void Assign_Batch_Values_To_Control(const GraphicList& graphics, int row, const Fill_Sources& sources);

// ---- the run snapshot ----------------------------------------------------------

// Everything an output run reads, taken on the main thread after the use
// check and card count and before any worker starts: clones of both sides'
// graphics, both card records, the loaded series, the binding-table rows,
// the flags and counts and the number of sides. Filling touches only the
// clones, so the design stays as it is while the run goes on.
class Binding_Run_Snapshot {
public:
    Binding_Run_Snapshot(const Data_Binding& state, const Binding_Design& design, const Binding_Rows& rows,
                         const Card_Property& front_record = Card_Property(),
                         const Card_Property& back_record = Card_Property(), Barcode_Picture_Fn barcode = {});

    int Total_Batch_Excel_Card() const { return counts_.Total_Batch_Excel_Card; }
    const Binding_Counts& Counts() const { return counts_; }
    const QString& CARD_SIDE_STR() const { return card_side_str_; }
    const Card_Property& Front_Record() const { return front_record_; }
    const Card_Property& Back_Record() const { return back_record_; }

    // Fills the clones of a side ("F" front, anything else back) with data
    // row `row` and returns them (index 0 topmost). The list stays valid and
    // unchanged until the next fill of the same side. One thread at a time.
    const GraphicList& Fill_Side(int row, const QString& side);

    // Fill_Side, then the side rendered with render_context (its side set
    // explicitly; the global current side is never read or written).
    CardPicture Render_Side(int row, const QString& side, bool print_box);
    // Card records, shape, frame and resource folder for Render_Side; set
    // before the first render and left as it is (each side's unchanging
    // bottom is drawn with it once per resolution).
    CardRenderContext render_context;
    // The resolution of the device the run's cards go to (export, printer
    // or mail), set before the first fill: each row's 2-D symbol is made
    // readable at it and its pictures are decoded for it.
    double output_dpi = 300;
    // The device draws vector output (a printer): pictures need at least
    // 300 dpi there, as they are drawn.
    bool output_vector = false;
    // The other resolutions the output can be set to, and whether it is a
    // mail: what a too-fine barcode's line may offer.
    QList<int> output_resolutions;
    bool output_mailed = false;

    // Problems of the use check and of every fill so far.
    QList<Card_Problem> Problems() const { return problems_->List(); }

    // Cancels a run from any thread; runs poll it between cards.
    std::atomic<bool> cancelled{false};

private:
    Binding_Counts counts_;
    QString card_side_str_;
    Card_Property front_record_;
    Card_Property back_record_;
    Series_Table series_;
    Binding_Rows rows_;
    GraphicList front_;
    GraphicList back_;
    std::vector<bool> front_visible_;
    std::vector<bool> back_visible_;
    QHash<const QBXGraphic*, QString> front_names_;
    QHash<const QBXGraphic*, QString> back_names_;
    // The barcodes no row fills are checked once a side, at its first fill.
    bool front_checked_ = false;
    bool back_checked_ = false;
    std::shared_ptr<Barcode_Remedies> remedies_ = std::make_shared<Barcode_Remedies>();
    std::shared_ptr<CardUnderlay> front_underlay_;
    std::shared_ptr<CardUnderlay> back_underlay_;
    Barcode_Picture_Fn barcode_;
    std::shared_ptr<Binding_Problems> problems_;
    QHash<QString, Run_Picture> pictures_;
};
