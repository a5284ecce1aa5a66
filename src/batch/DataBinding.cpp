#include "batch/DataBinding.h"

#include "app/AppHelpers.h"
#include "batch/Barcode_Binding.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXBarcode.h"
#include "drawing/PaintStyle.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"

#include <QMutexLocker>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

QMutex g_barcode_fn_mutex;
Barcode_Picture_Fn g_barcode_fn = &Barcode_Row_Picture_For_Graphic;

QString Empty()
{
    return QString(QLatin1String(""));
}

void Note(Binding_Problems* problems, const QString& text)
{
    Show_NSLog_Message(text);
    if (problems)
        problems->Add(text);
}

void Note(Binding_Problems* problems, Problem_Kind kind, int row, const QString& value, const QString& cause)
{
    const Card_Problem problem{kind, row + 1, value, cause};
    Show_NSLog_Message(Problem_Line(problem));
    if (problems)
        problems->Add(problem);
}

enum class Kind { None, Text, Picture, Barcode };

Kind Kind_Of(const QBXGraphic& g)
{
    const QString kind = g.className();
    if (kind == QLatin1String("QBXText"))
        return Kind::Text;
    if (kind == QLatin1String("QBXImage"))
        return Kind::Picture;
    if (kind == QLatin1String("QBXBarcode"))
        return Kind::Barcode;
    return Kind::None;
}

// A row's picture: the file's picture, each file's header read once per run
// and decoded now for what the frame needs on the run's device (the drawing
// finds it kept), so a damaged file is listed with its reason, and a picture
// read with fewer pixels than its frame needs, or only in part, is named.
// `empty` says why the value is empty.
void Fill_Picture(QBXImage& picture, int row, const QString& value, const QString& empty, const Fill_Sources& s)
{
    if (!s.pictures) {
        picture.setFilePath(value);
        if (picture._contents.isNull() && s.problems)
            Note(s.problems, Problem_Kind::Picture_Left_Off, row, value,
                 value.isEmpty() ? empty : QStringLiteral("cannot be read."));
        return;
    }
    // Same outcome as setFilePath.
    picture.Set_Control_File_path(value);
    if (value.isEmpty()) {
        picture._contents = {};
        Note(s.problems, Problem_Kind::Picture_Left_Off, row, value, empty);
        return;
    }
    auto it = s.pictures->constFind(value);
    if (it == s.pictures->constEnd()) {
        Run_Picture met;
        met.picture = platform::StoredPicture::fromFile(drawing::standardizedPath(value), &met.problem);
        it = s.pictures->insert(value, met);
    }
    picture._contents = it->picture;
    QString why = it->problem;
    const double scale = drawing::picturePixelsPerPoint(s.dpi / 72.0, s.vector);
    const QSize need = picture.picturePixelsNeeded(scale);
    const drawing::PicturePtr pic =
        picture._contents.isNull() ? nullptr : drawing::pictureFor(picture._contents, need, &why);
    if (!pic) {
        Note(s.problems, Problem_Kind::Picture_Left_Off, row, value, QStringLiteral("cannot be read: %1.").arg(why));
        return;
    }
    if (const QSize wanted = platform::sizeCovering(pic->fullSize, need);
        pic->image.width() < wanted.width() && pic->image.height() < wanted.height())
        Note(s.problems, Problem_Kind::Picture_Coarse, row, value,
             QStringLiteral("is read at %1 x %2 pixels, fewer than its frame needs at %3 dpi.")
                 .arg(pic->image.width())
                 .arg(pic->image.height())
                 .arg(std::round(scale * 72)));
    if (!pic->notice.isEmpty())
        Note(s.problems, Problem_Kind::Picture_Partial, row, value, QStringLiteral("is shown in part: %1.").arg(pic->notice));
}

// A row's barcode: made for the run's device; in a run one that cannot be
// made is hidden and listed, one cut or past the card's edge is listed.
void Fill_Barcode(QBXGraphic& g, int row, const QString& value, const QString& empty, const Fill_Sources& s)
{
    auto* barcode = dynamic_cast<QBXBarcode*>(&g);
    // The barcode as the side's lines name it (empty: its own name).
    const QString name = s.names ? s.names->value(&g) : QString();
    Barcode_Row_Picture made;
    if (!value.isEmpty()) {
        const Barcode_Picture_Fn& fn = s.barcode ? s.barcode : Default_Barcode_Picture_Function();
        Barcode_Run_Target target;
        target.in_run = s.in_run;
        target.dpi = s.dpi;
        if (s.in_run) {
            target.frame = Barcode_Frame_Size(g);
            target.resolutions = s.resolutions;
            target.mailed = s.mailed;
            target.largest_frame = Largest_Frame_On_Card(g, s.card);
            target.name = name;
            target.remedies = s.remedies;
        }
        if (fn)
            made = fn(g, value, g.header_val, g.footer_val, target);
    }
    if (s.in_run && barcode) {
        // Runs draw the row's picture itself at the card's resolution
        // (bars and captions as vectors in a PDF); the design keeps its
        // stored raster.
        barcode->row_picture = made.picture;
    } else {
        g.Set_Barcode_image(made.raster());
    }
    if (made.picture.isNull()) {
        if (s.in_run) {
            // Never print a sample barcode in place of the row's value.
            g.Set_Ctrl_Is_Visible(false);
            QString cause = empty;
            if (!value.isEmpty())
                cause = made.failure.isEmpty() ? QStringLiteral("cannot be encoded.")
                                               : QStringLiteral("cannot be encoded: ") + made.failure;
            Note(s.problems, Problem_Kind::Barcode_Left_Off, row, value, cause);
        }
    } else if (s.in_run && barcode && g.ctrl_is_visible) {
        if (!made.change.isEmpty())
            Note(s.problems, Problem_Kind::Barcode_Changed, row, value, made.change);
        // Cards with the same too-fine modules make one line; each barcode
        // has its own.
        if (!made.too_fine.isEmpty())
            Note(s.problems, Problem_Kind::Barcode_Too_Fine, row, QString(), made.too_fine);
        // The row's picture is drawn whole from the frame's corner; what
        // the card's edge would cut is said, never left silent.
        const QString past = barcode->pastCardEdge(s.card);
        if (!past.isEmpty()) {
            const double mm = 25.4 / 72;
            Note(s.problems, Problem_Kind::Barcode_Past_Edge, row, value,
                 QStringLiteral("in %1 ").arg(name.isEmpty() ? Barcode_Name(g) : name) + past
                     + QStringLiteral(" (the card is %1 x %2 mm).")
                            .arg(std::round(s.card.width() * mm)).arg(std::round(s.card.height() * mm)));
        }
    }
}

// `empty` says why the value is empty (said when an empty value leaves a
// picture or barcode off).
void Fill_One(QBXGraphic& g, Kind kind, int row, const QString& value, const QString& empty,
              const Fill_Sources& s)
{
    switch (kind) {
    case Kind::Text:
        g.Text_contents().text = value;
        break;
    case Kind::Picture:
        Fill_Picture(static_cast<QBXImage&>(g), row, value, empty, s);
        break;
    case Kind::Barcode:
        Fill_Barcode(g, row, value, empty, s);
        break;
    case Kind::None:
        break;
    }
}

} // namespace

QString Excel_Column_Key(int col)
{
    if (col < 0)
        return QString();
    if (col == 0)
        return QStringLiteral("Extension");
    return QStringLiteral("Column") + QString::number(col);
}

int Series_Table::Slot_For_Graphic(const QBXGraphic& graphic) const
{
    return Slot_Of(graphic.batch_list_name, graphic.batch_list_index);
}

int Series_Table::Slot_Of(const QString& name, int index) const
{
    const QString clean = Trim_Str(name);
    if (!clean.isEmpty())
        return slot_of_name.value(clean, -1);
    return index >= 0 && index < size() ? index : -1;
}

Barcode_Picture_Fn Default_Barcode_Picture_Function()
{
    QMutexLocker lock(&g_barcode_fn_mutex);
    return g_barcode_fn;
}

void Set_Default_Barcode_Picture_Function(Barcode_Picture_Fn fn)
{
    QMutexLocker lock(&g_barcode_fn_mutex);
    g_barcode_fn = std::move(fn);
}

bool Side_Uses_Source(const GraphicList& side, int type)
{
    return std::any_of(side.begin(), side.end(), [type](const GraphicPtr& g) {
        return g && series::Takes_Part_In_Binding(*g) && g->data_source_type == type;
    });
}

Series_Table Create_Dataset_binding_table(const Binding_Design& design, const QStringList& series_names,
                                          const QString& folder, Binding_Problems* problems)
{
    Series_Table table;
    table.entries.reserve(series_names.size());
    for (const QString& name : series_names) {
        table.slot_of_name.insert(name, int(table.entries.size()));
        table.entries.push_back(Series_Slot{name, false, {}});
    }
    QSet<int> tried;
    QSet<QString> unlisted;
    auto load = [&](const GraphicList& list) {
        for (const GraphicPtr& g : list) {
            if (!g || !series::Takes_Part_In_Binding(*g) || g->data_source_type != 1)
                continue;
            const int slot = table.Slot_For_Graphic(*g);
            if (slot < 0) {
                const QString name = Trim_Str(g->batch_list_name);
                const QString shown = name.isEmpty() ? QString::number(g->batch_list_index) : name;
                if (!unlisted.contains(shown)) {
                    unlisted.insert(shown);
                    Note(problems, QStringLiteral("Series \"%1\" is no longer in the series list.").arg(Quote_Short(shown)));
                }
                continue;
            }
            if (tried.contains(slot))
                continue;
            tried.insert(slot);
            Series_Slot& target = table.entries[size_t(slot)];
            if (auto rows = series::Read_Series_Rows(target.name, folder)) {
                target.values = std::move(*rows);
                target.loaded = true;
            } else {
                Note(problems, QStringLiteral("Series \"%1\" is missing or is not UTF-8 text.").arg(Quote_Short(target.name)));
            }
        }
    };
    load(design.front);
    if (design.card_side_str == QLatin1String("2"))
        load(design.back);
    return table;
}

int Calculate_data_table_rows(const Series_Table& table)
{
    int rows = 0;
    for (const Series_Slot& slot : table.entries)
        if (slot.loaded)
            rows = std::max(rows, int(slot.values.size()));
    return rows;
}

QString Get_sel_row_col_value_of_dataset(const Series_Table& table, int row, int slot)
{
    if (slot < 0 || slot >= table.size())
        return Empty();
    const Series_Slot& s = table.entries[size_t(slot)];
    if (!s.loaded || row < 0 || row >= s.values.size())
        return Empty();
    return s.values.at(row);
}

QString Get_sel_row_col_value_of_Excel(const Binding_Rows& rows, int row, int col)
{
    if (row < 0 || row >= rows.size() || col < 0)
        return Empty();
    const QVariant value = rows.at(row).value(Excel_Column_Key(col));
    if (value.typeId() != QMetaType::QString)
        return Empty();
    return value.toString();
}

QString Get_First_Value_Of_Excel_Binding(const Binding_Rows& rows, int col)
{
    return Get_sel_row_col_value_of_Excel(rows, 0, col);
}

void Data_Binding::Check_Data_Sheet_Value_Use_or_Not(const Binding_Design& design, const QStringList& series_names,
                                                     const QString& folder)
{
    data_table_content = Series_Table();
    counts.Use_Data_Sheet_Values = Side_Uses_Source(design.front, 1)
        || (design.card_side_str == QLatin1String("2") && Side_Uses_Source(design.back, 1));
    if (!counts.Use_Data_Sheet_Values)
        return;
    data_table_content = Create_Dataset_binding_table(design, series_names, folder, problems.get());
    counts.Data_table_rows = Calculate_data_table_rows(data_table_content);
    if (counts.Data_table_rows == 0)
        counts.Use_Data_Sheet_Values = false;
}

void Data_Binding::Check_Excel_Binding_Value_Use_or_Not(const Binding_Design& design, const Binding_Rows& rows)
{
    counts.Use_Excel_Binding_Values = Side_Uses_Source(design.front, 2)
        || (design.card_side_str == QLatin1String("2") && Side_Uses_Source(design.back, 2));
    if (!counts.Use_Excel_Binding_Values)
        return;
    counts.Excel_table_rows = int(rows.size());
    if (counts.Excel_table_rows == 0)
        counts.Use_Excel_Binding_Values = false;
}

void Data_Binding::Get_total_Card_count(const Binding_Rows& rows)
{
    counts.Data_table_rows = counts.Use_Data_Sheet_Values ? Calculate_data_table_rows(data_table_content) : 0;
    counts.Excel_table_rows = counts.Use_Excel_Binding_Values ? int(rows.size()) : 0;
    counts.Total_Batch_Excel_Card = std::max(counts.Data_table_rows, counts.Excel_table_rows);
}

void Data_Binding::Check_Series_Or_Excel_Use_or_not(const Binding_Design& design, const QStringList& series_names,
                                                    const Binding_Rows& rows, const QString& folder)
{
    problems->Clear();
    Check_Data_Sheet_Value_Use_or_Not(design, series_names, folder);
    Check_Excel_Binding_Value_Use_or_Not(design, rows);
    Get_total_Card_count(rows);
}

void Assign_Batch_Values_To_Control(const GraphicList& graphics, int row, const Fill_Sources& sources)
{
    for (const GraphicPtr& g : graphics) {
        if (!g)
            continue;
        const Kind kind = Kind_Of(*g);
        if (kind == Kind::None)
            continue;
        QString value;
        QString empty; // why the value is empty
        if (g->data_source_type == 1 && sources.use_series && sources.series) {
            const int slot = sources.series->Slot_For_Graphic(*g);
            value = Trim_Str(Get_sel_row_col_value_of_dataset(*sources.series, row, slot));
            if (value.isEmpty()) {
                const Series_Slot* entry = slot >= 0 ? &sources.series->entries[size_t(slot)] : nullptr;
                const QString name = Quote_Short(entry ? entry->name : Trim_Str(g->batch_list_name));
                if (!entry || !entry->loaded)
                    empty = QStringLiteral("no value: the series \"%1\" cannot be read.").arg(name);
                else if (row >= entry->values.size())
                    empty = QStringLiteral("no value: the series \"%1\" has %2 rows.").arg(name).arg(entry->values.size());
            }
        } else if (g->data_source_type == 2 && sources.use_excel && sources.rows) {
            value = Trim_Str(Get_sel_row_col_value_of_Excel(*sources.rows, row, g->excel_col_indx));
            if (value.isEmpty() && row >= sources.rows->size())
                empty = QStringLiteral("no value: the spreadsheet has %1 rows.").arg(sources.rows->size());
        } else {
            continue;
        }
        if (empty.isEmpty())
            empty = QStringLiteral("no value: its row is empty.");
        try {
            Fill_One(*g, kind, row, value, empty, sources);
        } catch (const std::exception& e) {
            Note(sources.problems, Problem_Kind::Data, row, QString(),
                 QStringLiteral("a bound graphic could not be filled: %1").arg(QString::fromUtf8(e.what())));
        }
    }
}

// ---------------------------------------------------------------- run snapshot

namespace {
// A graphic the rows fill.
bool Filled(const QBXGraphic& g, const Binding_Counts& counts)
{
    return Kind_Of(g) != Kind::None
        && ((g.data_source_type == 1 && counts.Use_Data_Sheet_Values)
            || (g.data_source_type == 2 && counts.Use_Excel_Binding_Values));
}

// Printed graphics at the bottom of a side that no row fills: the run draws
// them (with the background) once per resolution. Graphics left out of
// print do not end the count.
int Unchanging_Bottom(const GraphicList& list, const Binding_Counts& counts)
{
    int n = 0;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const QBXGraphic* g = it->get();
        if (!g || g->print_object != 0)
            continue;
        if (Filled(*g, counts))
            break;
        ++n;
    }
    return n;
}

GraphicList Clone_List(const GraphicList& list, std::vector<bool>& visible)
{
    GraphicList clones;
    clones.reserve(list.size());
    visible.clear();
    visible.reserve(list.size());
    for (const GraphicPtr& g : list) {
        clones.push_back(g ? g->fullCopy() : GraphicPtr());
        visible.push_back(g && g->ctrl_is_visible);
    }
    return clones;
}
} // namespace

Binding_Run_Snapshot::Binding_Run_Snapshot(const Data_Binding& state, const Binding_Design& design,
                                           const Binding_Rows& rows, const Card_Property& front_record,
                                           const Card_Property& back_record, Barcode_Picture_Fn barcode)
    : counts_(state.counts)
    , card_side_str_(design.card_side_str)
    , front_record_(front_record)
    , back_record_(back_record)
    , series_(state.data_table_content)
    , rows_(rows)
    , barcode_(barcode ? std::move(barcode) : Default_Barcode_Picture_Function())
    , problems_(std::make_shared<Binding_Problems>())
{
    // Deep copies: nothing here shares mutable data with the design.
    card_side_str_.detach();
    rows_.detach();
    for (const Card_Problem& p : state.problems->List())
        problems_->Add(p);
    front_ = Clone_List(design.front, front_visible_);
    back_ = Clone_List(design.back, back_visible_);
    front_underlay_ = std::make_shared<CardUnderlay>(Unchanging_Bottom(front_, counts_));
    back_underlay_ = std::make_shared<CardUnderlay>(Unchanging_Bottom(back_, counts_));
    front_names_ = Barcode_Names(front_);
    back_names_ = Barcode_Names(back_);
}

const GraphicList& Binding_Run_Snapshot::Fill_Side(int row, const QString& side)
{
    const bool front = side == QLatin1String("F");
    GraphicList& list = front ? front_ : back_;
    const std::vector<bool>& visible = front ? front_visible_ : back_visible_;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i])
            list[i]->ctrl_is_visible = visible[i];
    Fill_Sources sources;
    sources.series = &series_;
    sources.rows = &rows_;
    sources.use_series = counts_.Use_Data_Sheet_Values;
    sources.use_excel = counts_.Use_Excel_Binding_Values;
    sources.barcode = barcode_;
    sources.in_run = true;
    sources.problems = problems_.get();
    sources.pictures = &pictures_;
    sources.card = render_context.frame;
    sources.dpi = output_dpi;
    sources.vector = output_vector;
    sources.resolutions = output_resolutions;
    sources.mailed = output_mailed;
    sources.names = front ? &front_names_ : &back_names_;
    sources.remedies = remedies_.get();
    if (bool& checked = front ? front_checked_ : back_checked_; !checked) {
        // The barcodes no row fills go out as the design shows them.
        checked = true;
        Barcode_Run_Target target;
        target.dpi = output_dpi;
        target.resolutions = output_resolutions;
        target.mailed = output_mailed;
        const Binding_Counts& counts = counts_;
        for (const Card_Problem& p : Design_Barcode_Problems(
                 list, render_context.frame, target, [&counts](const QBXGraphic& g) { return Filled(g, counts); }))
            problems_->Add(p);
    }
    Assign_Batch_Values_To_Control(list, row, sources);
    return list;
}

CardPicture Binding_Run_Snapshot::Render_Side(int row, const QString& side, bool print_box)
{
    const GraphicList& list = Fill_Side(row, side);
    CardRenderContext context = render_context;
    const bool front = side == QLatin1String("F");
    context.side = front ? 0 : 1;
    return QBXRenderingView::image_From_Card_Graphics(list, print_box, context,
                                                      front ? front_underlay_ : back_underlay_);
}
