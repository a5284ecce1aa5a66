#include "output/Print_Wnd.h"

#include "app/AppHelpers.h"
#include "batch/DataBinding.h"
#include "output/Printing_View.h"
#include "output/Sample_Preview.h"
#include "output/Send_Modeless.h"
#include "platform/threads.h"
#include "platform/print_preview.h"
#include "platform/modal.h"
#include "platform/resource_folders.h"
#include "platform/stepper.h"
#include "platform/thread_handoff.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <thread>
#include <tuple>

using namespace sheet_layout;

namespace {

constexpr double kMaxLengthMM = 10000.0;
constexpr int kMaxCells = 999;
constexpr QSize kPreviewBox(300, 400);
// The fields show two decimals of the card's own size; typing that text
// back must not count as smaller than the card.
constexpr double kTypedSlackMM = 0.005;

QString Two_Places(double value) { return QString::asprintf("%0.2f", value); }

// The sheet preview: the whole sheet, as large as the room beside the
// settings allows, whatever the window's size.
class Sheet_View final : public QLabel {
public:
    Sheet_View()
    {
        setMinimumSize(kPreviewBox);
        // Its pictures never ask for more room: the window gives what it has.
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        setAlignment(Qt::AlignCenter);
    }
    void Show_Sheet(const QImage& sheet)
    {
        sheet_ = sheet;
        Fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        Fit();
    }

private:
    void Fit()
    {
        if (sheet_.isNull())
            clear();
        else
            setPixmap(QPixmap::fromImage(
                sheet_.scaled(contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    QImage sheet_;
};

// Runs `work` (a print, or the filling of the cards a preview did not show)
// on a worker while the progress sheet counts the cards and offers Stop,
// which ends the work after the cards done. The sheet has no parent window,
// so only application modality keeps the print window's controls from
// starting another run meanwhile. Returns when the work has ended, with its
// result.
bool Run_With_Progress(const std::function<bool(Print_Progress&)>& work, std::int64_t cards)
{
    Send_Modeless& sheet = *Send_Modeless::defaultInstance();
    sheet.Prepare(int(cards), QStringLiteral("%1 / %2 Card").arg(0).arg(cards));
    sheet.setWindowModality(Qt::ApplicationModal);
    sheet.open();
    QEventLoop loop;
    Print_Progress progress;
    progress.changed = [&] {
        QMetaObject::invokeMethod(
            &loop, platform::handedOff([&] { sheet.Update_Progress(double(progress.cards), int(cards)); }),
            Qt::QueuedConnection);
    };
    const QMetaObject::Connection stop =
        QObject::connect(&sheet, &Send_Modeless::stopConfirmed, &loop, [&progress] { progress.stop = true; });
    bool printed = false;
    // A system that refuses the thread gets the print on this one.
    std::thread worker;
    platform::startThreadOrRun(worker, [&] {
        printed = work(progress);
        QMetaObject::invokeMethod(&loop, platform::handedOff([&loop] { loop.quit(); }), Qt::QueuedConnection);
    });
    loop.exec();
    if (worker.joinable())
        worker.join();
    QObject::disconnect(stop);
    sheet.hide();
    return printed;
}

} // namespace

Print_Wnd* Print_Wnd::defaultInstance()
{
    static Print_Wnd* instance = new Print_Wnd;
    return instance;
}

const std::array<QString, 9>& Print_Wnd::Alignment_Picture_Names(bool selected)
{
    static const std::array<QString, 9> plain{
        QStringLiteral("top_left"),    QStringLiteral("top_center"),    QStringLiteral("top_right"),
        QStringLiteral("middle_left"), QStringLiteral("middle_center"), QStringLiteral("middle_right"),
        QStringLiteral("bootom_left"), QStringLiteral("bootom_center"), QStringLiteral("boottom_right")};
    static const std::array<QString, 9> sel{
        QStringLiteral("top_left - sel"),    QStringLiteral("top_center - sel"), QStringLiteral("top_right - sel"),
        QStringLiteral("middle_left - sel"), QStringLiteral("middle_center_sel"), QStringLiteral("middle_right - sel"),
        QStringLiteral("bootom_left - sel"), QStringLiteral("bootom_center - sel"),
        QStringLiteral("boottom_right - sel")};
    return selected ? sel : plain;
}

QString Print_Wnd::Find_Papaer_Name_From_Size(const QString& width, const QString& height)
{
    static const std::pair<const char*, const char*> papers[] = {
        {"297.00 x 420.00", "A3"},
        {"210.00 x 297.00", "A4"},
        {"148.00 x 210.00", "A5"},
        {"176.00 x 250.00", "B5"},
        {"105.00 x 241.00", "Envelope #10"},
        {"120.00 x 235.00", "Envelope Choukei 3"},
        {"110.00 x 220.00", "Envelope DL"},
        {"182.00 x 257.00", "JIS B5"},
        {"197.00 x 273.00", "ROC 16K"},
        {"330.00 x 483.00", "Super B/A3"},
        {"279.00 x 432.00", "Tabloid"},
        {"305.00 x 457.00", "Tabloid Oversize"},
        {"216.00 x 356.00", "US Legal"},
        {"216.00 x 279.00", "US Letter"},
        {"215.90 x 279.40", "Letter"},
        {"100.00 x 148.00", "Postcard"},
        {"184.00 x 267.00", "Executive"},
    };
    QString name;
    for (const auto& [size, paper] : papers) {
        const QString text = QString::fromLatin1(size);
        if (text.contains(width) && text.contains(height))
            name = QString::fromLatin1(paper);
    }
    return name;
}

Print_Wnd::Print_Wnd()
{
    setObjectName(QStringLiteral("Print_Wnd"));
    setWindowTitle(QStringLiteral("Print"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(241, 244, 250));
    setPalette(pal);
    setAutoFillBackground(true);

    const QString folder = platform::defaultSeedFolder();
    for (int i = 0; i < 9; ++i) {
        align_images[i] = QImage(QDir(folder).filePath(Alignment_Picture_Names(false)[i] + QStringLiteral(".png")));
        align_images_sel[i] = QImage(QDir(folder).filePath(Alignment_Picture_Names(true)[i] + QStringLiteral(".png")));
    }

    // The settings in two columns beside the sheet preview, the action
    // buttons below all three: the window fits a 1366 x 768 screen whole.
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top, 1);
    auto* paper = new QVBoxLayout;
    auto* placing = new QVBoxLayout;
    top->addLayout(paper);
    top->addLayout(placing);

    // Printer and paper.
    auto* printerBox = new QGroupBox(QStringLiteral("Printer"));
    auto* pg = new QGridLayout(printerBox);
    Printer_ComboBox = new QComboBox;
    Printer_ComboBox->setObjectName(QStringLiteral("Printer_ComboBox"));
    Orient_ComboBox = new QComboBox;
    Orient_ComboBox->setObjectName(QStringLiteral("Orient_ComboBox"));
    Orient_ComboBox->addItems({QStringLiteral("Portrait"), QStringLiteral("Landscape")});
    auto* setupButton = new QPushButton(QStringLiteral("Page Setup..."));
    pg->addWidget(new QLabel(QStringLiteral("Printer:")), 0, 0);
    pg->addWidget(Printer_ComboBox, 0, 1, 1, 3);
    pg->addWidget(new QLabel(QStringLiteral("Orientation:")), 1, 0);
    pg->addWidget(Orient_ComboBox, 1, 1);
    pg->addWidget(setupButton, 1, 2, 1, 2);
    // Paper and margins: caption and value, two to a row.
    const std::tuple<QLabel**, const char*, const char*> values[] = {
        {&Paper_id, "Paper_id", "Paper:"},         {&Size_id, "Size_id", "Size (mm):"},
        {&l_mar_id, "l_mar_id", "Left margin (mm):"}, {&r_mar_id, "r_mar_id", "Right margin (mm):"},
        {&t_mar_id, "t_mar_id", "Top margin (mm):"},  {&b_mar_id, "b_mar_id", "Bottom margin (mm):"}};
    for (int i = 0; i < 6; ++i) {
        auto [field, name, caption] = values[i];
        *field = new QLabel(QStringLiteral("0.00"));
        (*field)->setObjectName(QString::fromLatin1(name));
        pg->addWidget(new QLabel(QString::fromLatin1(caption)), 2 + i / 2, (i % 2) * 2);
        pg->addWidget(*field, 2 + i / 2, (i % 2) * 2 + 1);
    }
    paper->addWidget(printerBox);

    // Card size, rows and columns, gaps.
    auto* cardBox = new QGroupBox(QStringLiteral("Cards on the sheet"));
    auto* cg = new QGridLayout(cardBox);
    int row = 0;
    auto pair = [&](const QString& label, const QString& name, QLineEdit*& text, platform::Stepper*& stepper,
                    double minimum, double maximum, double increment, void (Print_Wnd::*handler)(bool)) {
        text = new QLineEdit;
        text->setObjectName(name + QStringLiteral("_Text"));
        stepper = new platform::Stepper;
        stepper->setObjectName(name + QStringLiteral("_Stepper"));
        stepper->setRange(minimum, maximum);
        stepper->setIncrement(increment);
        connect(text, &QLineEdit::editingFinished, this, [this, handler] { (this->*handler)(false); });
        connect(stepper, &platform::Stepper::valueEdited, this, [this, handler] { (this->*handler)(true); });
        cg->addWidget(new QLabel(label), row, 0);
        cg->addWidget(text, row, 1);
        cg->addWidget(stepper, row, 2);
        ++row;
    };
    pair(QStringLiteral("Card width (mm):"), QStringLiteral("width"), width_Text, width_Stepper, kMinCardMM,
         kMaxLengthMM, 1, &Print_Wnd::Width_Changed);
    pair(QStringLiteral("Card height (mm):"), QStringLiteral("height"), height_Text, height_Stepper, kMinCardMM,
         kMaxLengthMM, 1, &Print_Wnd::Height_Changed);
    pair(QStringLiteral("Rows:"), QStringLiteral("Row"), Row_Text, Row_Stepper, 1, kMaxCells, 1, &Print_Wnd::Row_Changed);
    pair(QStringLiteral("Columns:"), QStringLiteral("Col"), Col_Text, Col_Stepper, 1, kMaxCells, 1,
         &Print_Wnd::Col_Changed);
    pair(QStringLiteral("Column gap (mm):"), QStringLiteral("horz_mar"), horz_mar_Text, horz_mar_Stepper, 0,
         kMaxLengthMM, 0.5, &Print_Wnd::Horz_Margin_Changed);
    pair(QStringLiteral("Row gap (mm):"), QStringLiteral("vert_mar"), vert_mar_Text, vert_mar_Stepper, 0, kMaxLengthMM,
         0.5, &Print_Wnd::Vert_Margin_Changed);
    paper->addWidget(cardBox);
    paper->addStretch();

    // Alignment of the grid.
    align_Gp_Bx = new QGroupBox(QStringLiteral("Alignment"));
    align_Gp_Bx->setObjectName(QStringLiteral("align_Gp_Bx"));
    auto* ag = new QGridLayout(align_Gp_Bx);
    for (int i = 0; i < 9; ++i) {
        auto* button = new QToolButton;
        button->setObjectName(Alignment_Picture_Names(false)[i]);
        button->setIconSize(QSize(24, 24));
        button->setToolTip(Alignment_Picture_Names(false)[i]);
        connect(button, &QToolButton::clicked, this, [this, i] { Align_btn_clicked(i + 1); });
        ag->addWidget(button, i / 3, i % 3);
        align_btns[i] = button;
    }
    Auto_Center_chk_bx = new QCheckBox(QStringLiteral("Centre automatically"));
    Auto_Center_chk_bx->setObjectName(QStringLiteral("Auto_Center_chk_bx"));
    connect(Auto_Center_chk_bx, &QCheckBox::clicked, this, [this] { Auto_Center_Checked(); });
    auto* alignRow = new QHBoxLayout;
    alignRow->addWidget(align_Gp_Bx);
    alignRow->addWidget(Auto_Center_chk_bx);
    placing->addLayout(alignRow);

    // Side, and the pairing below it.
    auto* sideBox = new QGroupBox(QStringLiteral("Card side"));
    auto* sl = new QGridLayout(sideBox);
    matrix_card_side = new QButtonGroup(this);
    const QStringList sides{QStringLiteral("Both sides"), QStringLiteral("Front"), QStringLiteral("Back")};
    for (int i = 0; i < sides.size(); ++i) {
        auto* radio = new QRadioButton(sides[i]);
        matrix_card_side->addButton(radio, i);
        sl->addWidget(radio, 0, i);
    }
    connect(matrix_card_side, &QButtonGroup::idClicked, this, [this] { card_side_CellClick(); });
    print_alignment = new QComboBox;
    print_alignment->setObjectName(QStringLiteral("print_alignment"));
    print_alignment->addItems({QStringLiteral("Back below the front"), QStringLiteral("Back right of the front")});
    sl->addWidget(print_alignment, 1, 0, 1, 3);
    placing->addWidget(sideBox);

    // Data, total, copies, outlines.
    auto* runBox = new QGroupBox(QStringLiteral("Print run"));
    auto* rg = new QGridLayout(runBox);
    print_with_batch_chk = new QCheckBox(QStringLiteral("Print with series values"));
    print_with_batch_chk->setObjectName(QStringLiteral("print_with_batch_chk"));
    print_with_excel_chk = new QCheckBox(QStringLiteral("Print with spreadsheet values"));
    print_with_excel_chk->setObjectName(QStringLiteral("print_with_excel_chk"));
    connect(print_with_batch_chk, &QCheckBox::clicked, this, [this] { Print_With_Batch_Changed(); });
    connect(print_with_excel_chk, &QCheckBox::clicked, this, [this] { Print_With_Excel_Changed(); });
    Show_Margins = new QCheckBox(QStringLiteral("Show card outlines"));
    Show_Margins->setObjectName(QStringLiteral("Show_Margins"));
    connect(Show_Margins, &QCheckBox::clicked, this, [this] { Show_Margin_Checked(); });
    rg->addWidget(print_with_batch_chk, 0, 0, 1, 3);
    rg->addWidget(print_with_excel_chk, 1, 0, 1, 3);
    cg = rg; // the pairs below go into this box
    row = 2;
    pair(QStringLiteral("Cards to print:"), QStringLiteral("Total"), Total_Text, Total_Stepper, 1, kMaxTotal, 1,
         &Print_Wnd::Total_Val_Changed);
    pair(QStringLiteral("Copies:"), QStringLiteral("Copies"), Copies_Text, Copies_Stepper, 1, 999, 1,
         &Print_Wnd::Copies_Val_Changed);
    rg->addWidget(Show_Margins, row, 0, 1, 3);
    placing->addWidget(runBox);
    placing->addStretch();

    auto* buttons = new QHBoxLayout;
    auto* previewButton = new QPushButton(QStringLiteral("Preview"));
    auto* printButton = new QPushButton(QStringLiteral("Print"));
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"));
    // Return in a field ends its editing only: no button is pressed by it.
    for (QPushButton* button : {setupButton, previewButton, printButton, cancelButton})
        button->setAutoDefault(false);
    previewButton->setObjectName(QStringLiteral("Preview"));
    printButton->setObjectName(QStringLiteral("Print"));
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    buttons->addStretch();
    buttons->addWidget(previewButton);
    buttons->addWidget(printButton);
    buttons->addWidget(cancelButton);

    test_image_view = new Sheet_View;
    test_image_view->setObjectName(QStringLiteral("test_image_view"));
    top->addWidget(test_image_view, 1);
    outer->addLayout(buttons);

    // Combos report the user's choices only; code selects with signals off.
    connect(Printer_ComboBox, &QComboBox::activated, this, [this](int i) { Printer_Selection_Changed(i); });
    connect(Orient_ComboBox, &QComboBox::activated, this, [this](int i) { Orientation_Selection_Changed(i); });
    connect(print_alignment, &QComboBox::activated, this, [this](int i) { Alignment_Selection_Changed(i); });
    connect(setupButton, &QPushButton::clicked, this, [this] { pagesetup(); });
    connect(previewButton, &QPushButton::clicked, this, [this] { Execute_Printing(true); });
    connect(printButton, &QPushButton::clicked, this, [this] { Execute_Printing(false); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(0); });
}

bool Print_Wnd::Open_Print_Wnd(PrintHost& host)
{
    // The window draws the card; its print and preview draw every card.
    QString refused;
    if (!platform::keepImagePoolReady(&refused)) {
        Show_MessageBox(refused);
        return false;
    }
    try {
        host_ = &host;
        loading = true;
        matrix_card_side->button(1)->setChecked(true);
        card_side_str = QStringLiteral("F");
        layout = Print_Layout();
        layout.Print_Card_Side = card_side_str;
        layout.Print_Card_Algn = QStringLiteral("U");
        print_alignment->setCurrentIndex(0);
        print_alignment->setEnabled(false);
        Auto_Center_chk_bx->setChecked(false);
        Show_margin_rect = true;
        Show_Margins->setChecked(true);
        Total_Label = 1;
        barcode_counter = 0;

        // Both sides now, so that any side chosen later prints its picture.
        back_image = host.Render_Design_Side(1);
        front_image = host.Render_Design_Side(0);

        data = host.Check_Series_Or_Excel_Use_or_not();
        print_with_batch_chk->setEnabled(data.series);
        print_with_batch_chk->setChecked(data.series);
        print_with_excel_chk->setEnabled(data.excel);
        print_with_excel_chk->setChecked(data.excel);
        Total_Label = data.inUse() ? data.cards : 1;
        Total_Stepper->setRange(1, data.inUse() ? std::max(1, data.cards) : kMaxTotal);
        Set_Total(Total_Label);

        // The opening size is the card's own.
        const QSizeF card = front_image.isNull() ? QSizeF() : front_image.size();
        layout.label_width = card.width();
        layout.label_hight = card.height();
        // A cell smaller than the card would let cards overlap: the card's
        // own size is the least the steppers and fields take.
        width_Stepper->setRange(std::max(kMinCardMM, double(Points_to_MM_Convert(float(card.width())))), kMaxLengthMM);
        height_Stepper->setRange(std::max(kMinCardMM, double(Points_to_MM_Convert(float(card.height())))),
                                 kMaxLengthMM);
        width_Stepper->setValue(width_Stepper->minimum());
        height_Stepper->setValue(height_Stepper->minimum());
        width_Text->setText(Two_Places(width_Stepper->value()));
        height_Text->setText(Two_Places(height_Stepper->value()));
        for (auto [text, stepper] : {std::pair{Row_Text, Row_Stepper}, std::pair{Col_Text, Col_Stepper},
                                     std::pair{Copies_Text, Copies_Stepper}}) {
            stepper->setValue(1);
            text->setText(QStringLiteral("1"));
        }
        for (auto [text, stepper] : {std::pair{horz_mar_Text, horz_mar_Stepper}, std::pair{vert_mar_Text, vert_mar_Stepper}}) {
            stepper->setValue(0);
            text->setText(Two_Places(0));
            text->setEnabled(true);
            stepper->setEnabled(true);
        }
        for (QLabel* label : {l_mar_id, r_mar_id, t_mar_id, b_mar_id})
            label->setText(Two_Places(0));
        align_Gp_Bx->setEnabled(true);
        layout.label_align_val = 1;
        Set_Reset_Alignemnt_Image();

        Fill_Printers();
        Set_values_From_Printer();
        loading = false;
        Check_Max_Cell_Value();

        const int code = platform::modal::run(*this);
        hide();
        host_ = nullptr;
        return code == 0 || code == 1;
    } catch (const std::exception& e) {
        host_ = nullptr;
        loading = false;
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        Show_MessageBox(QString::fromUtf8(e.what()));
        return false;
    }
}

void Print_Wnd::Fill_Printers()
{
    const QSignalBlocker blocker(Printer_ComboBox);
    Printer_ComboBox->clear();
    Printer_ComboBox->addItems(platform::printerNames());
    Printer_ComboBox->setCurrentIndex(0);
    // The list does not report a selection made here: set it on the settings.
    const std::optional<platform::Printer_Desc> first = platform::printerDesc(Printer_ComboBox->itemText(0));
    printInfo = platform::Print_Settings(first.value_or(platform::Printer_Desc()));
}

void Print_Wnd::Set_values_From_Printer()
{
    Paper_id->setText(printInfo.paperName());
    const QSizeF paper = printInfo.paperSize();
    layout.paper_w = paper.width();
    layout.paper_h = paper.height();
    Size_id->setText(QString::asprintf("%.2f x %.2f", Points_to_MM_Convert(float(paper.width())),
                                       Points_to_MM_Convert(float(paper.height()))));
    const QRectF area = printInfo.imageableRect();
    layout.Left_Mar = float(area.x());
    layout.Rite_Mar = float(paper.width() - area.x() - area.width());
    layout.Top_Mar = float(paper.height() - area.y() - area.height());
    layout.Bot_Mar = float(area.y());
    {
        const QSignalBlocker blocker(Orient_ComboBox);
        Orient_ComboBox->setCurrentIndex(printInfo.orientation() == QPageLayout::Portrait ? 0 : 1);
    }
    l_mar_id->setText(Two_Places(Points_to_MM_Convert(float(layout.Left_Mar))));
    r_mar_id->setText(Two_Places(Points_to_MM_Convert(float(layout.Rite_Mar))));
    t_mar_id->setText(Two_Places(Points_to_MM_Convert(float(layout.Top_Mar))));
    b_mar_id->setText(Two_Places(Points_to_MM_Convert(float(layout.Bot_Mar))));
    Refresh_Preview();
}

void Print_Wnd::Refresh_Preview()
{
    if (loading)
        return;
    static_cast<Sheet_View*>(test_image_view)
        ->Show_Sheet(Sample_Preview::imageRepresentation(layout, front_image.isNull() ? QSizeF() : front_image.size(),
                                                         !front_image.isNull(), Show_margin_rect));
}

void Print_Wnd::Check_Max_Cell_Value()
{
    barcode_counter = 0;
    layout.auto_center_flag = Auto_Center_chk_bx->isChecked();
    layout.Print_Card_Side = card_side_str;
    Fit_Request request;
    request.card_w_mm = width_Stepper->value();
    request.card_h_mm = height_Stepper->value();
    request.col_gap_mm = horz_mar_Stepper->value();
    request.row_gap_mm = vert_mar_Stepper->value();
    request.rows = Row_Stepper->intValue();
    request.cols = Col_Stepper->intValue();
    sheet_layout::Check_Max_Cell_Value(request, layout);
    if (layout.Print_Col != request.cols) {
        Col_Stepper->setValue(layout.Print_Col);
        Col_Text->setText(QString::number(layout.Print_Col));
    }
    if (layout.Print_Row != request.rows) {
        Row_Stepper->setValue(layout.Print_Row);
        Row_Text->setText(QString::number(layout.Print_Row));
    }
    if (!data.inUse())
        Set_Total(layout.Print_Row * layout.Print_Col);
    Refresh_Preview();
    // The fit only ever lowers rows and columns: say so, and show what fits.
    // Said last, with the fields already showing the fit: the box takes the
    // focus, and the field that loses it reports its value once more.
    if (layout.Print_Row != request.rows || layout.Print_Col != request.cols)
        Show_MessageBox(QStringLiteral("%1 \u00d7 %2 does not fit: %3 \u00d7 %4 fits")
                            .arg(request.rows)
                            .arg(request.cols)
                            .arg(layout.Print_Row)
                            .arg(layout.Print_Col));
}

void Print_Wnd::Set_Total(int total)
{
    Total_Label = total;
    Total_Stepper->setValue(total);
    Total_Text->setText(QString::number(total));
}

void Print_Wnd::Length_Changed(QLineEdit* text, platform::Stepper* stepper, bool from_stepper, const QString& refusal,
                               bool refit)
{
    std::optional<double> refused;
    if (!from_stepper) {
        // Text that is no length keeps the last valid value; so does a length
        // below the stepper's least, said with `refusal` when given.
        const std::optional<double> value = Parse_Length(text->text(), 0);
        if (value && *value + kTypedSlackMM >= stepper->minimum())
            stepper->setValue(std::max(*value, stepper->minimum()));
        else if (value && !refusal.isEmpty())
            refused = value;
    }
    // The field shows the value kept before any box takes its focus.
    text->setText(Two_Places(stepper->value()));
    if (refused)
        Show_MessageBox(refusal.arg(Two_Places(*refused), Two_Places(stepper->minimum())));
    if (refit)
        Check_Max_Cell_Value();
}

void Print_Wnd::Count_Changed(QLineEdit* text, platform::Stepper* stepper, bool from_stepper, bool refit)
{
    if (!from_stepper) {
        const std::optional<int> value = Parse_Count(text->text());
        if (value && *value <= stepper->maximum())
            stepper->setValue(*value);
    }
    text->setText(QString::number(stepper->intValue()));
    if (refit)
        Check_Max_Cell_Value();
}

void Print_Wnd::Horz_Margin_Changed(bool s) { Length_Changed(horz_mar_Text, horz_mar_Stepper, s, {}, true); }
void Print_Wnd::Vert_Margin_Changed(bool s) { Length_Changed(vert_mar_Text, vert_mar_Stepper, s, {}, true); }
void Print_Wnd::Width_Changed(bool s)
{
    Length_Changed(width_Text, width_Stepper, s,
                   QStringLiteral("A card width of %1 mm is smaller than the card (%2 mm): cards would overlap."), true);
}
void Print_Wnd::Height_Changed(bool s)
{
    Length_Changed(height_Text, height_Stepper, s,
                   QStringLiteral("A card height of %1 mm is smaller than the card (%2 mm): cards would overlap."), true);
}
void Print_Wnd::Row_Changed(bool s) { Count_Changed(Row_Text, Row_Stepper, s, true); }
void Print_Wnd::Col_Changed(bool s) { Count_Changed(Col_Text, Col_Stepper, s, true); }
void Print_Wnd::Copies_Val_Changed(bool s) { Count_Changed(Copies_Text, Copies_Stepper, s, false); }

void Print_Wnd::Total_Val_Changed(bool from_stepper)
{
    if (from_stepper) {
        Total_Text->setText(QString::number(Total_Stepper->intValue()));
        return;
    }
    // A typed number stays as typed: printing refuses or bounds it. Text
    // that is no number shows the last value again.
    QString typed = Total_Text->text().trimmed();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(typed, &ok);
    if (ok && std::isfinite(value))
        Total_Stepper->setValue(value);
    else
        Total_Text->setText(QString::number(Total_Stepper->intValue()));
}

void Print_Wnd::Align_btn_clicked(int align)
{
    layout.label_align_val = align;
    Set_Reset_Alignemnt_Image();
    Refresh_Preview();
}

void Print_Wnd::Set_Reset_Alignemnt_Image()
{
    for (int i = 0; i < 9; ++i) {
        const QImage& picture = i + 1 == layout.label_align_val ? align_images_sel[i] : align_images[i];
        align_btns[i]->setIcon(QIcon(QPixmap::fromImage(picture)));
        align_btns[i]->setText(picture.isNull() ? QString::number(i + 1) : QString());
    }
}

void Print_Wnd::Show_Margin_Checked()
{
    Show_margin_rect = Show_Margins->isChecked();
    Refresh_Preview();
}

void Print_Wnd::Auto_Center_Checked()
{
    const bool on = Auto_Center_chk_bx->isChecked();
    layout.auto_center_flag = on;
    for (QWidget* w : std::initializer_list<QWidget*>{horz_mar_Stepper, horz_mar_Text, vert_mar_Stepper,
                                                     vert_mar_Text, align_Gp_Bx})
        w->setEnabled(!on);
    Check_Max_Cell_Value();
}

void Print_Wnd::card_side_CellClick()
{
    const int row = matrix_card_side->checkedId();
    card_side_str = row == 0 ? QStringLiteral("BOTH") : row == 1 ? QStringLiteral("F") : QStringLiteral("B");
    print_alignment->setEnabled(row == 0);
    layout.Print_Card_Side = card_side_str;
    Check_Max_Cell_Value();
}

void Print_Wnd::Printer_Selection_Changed(int index)
{
    const std::optional<platform::Printer_Desc> printer = platform::printerDesc(Printer_ComboBox->itemText(index));
    if (!printer) {
        Show_NSLog_Message(QStringLiteral("Printer not found: ") + Printer_ComboBox->itemText(index));
        return;
    }
    printInfo.setPrinter(*printer);
    Set_values_From_Printer();
}

void Print_Wnd::Orientation_Selection_Changed(int index)
{
    printInfo.setOrientation(index == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    Set_values_From_Printer();
    Check_Max_Cell_Value();
}

void Print_Wnd::Alignment_Selection_Changed(int index)
{
    layout.Print_Card_Algn = index == 0 ? QStringLiteral("U") : QStringLiteral("L");
    Check_Max_Cell_Value();
}

void Print_Wnd::Verify_Card_Count()
{
    if (host_)
        data = host_->Verify_Card_Count(print_with_batch_chk->isChecked(), print_with_excel_chk->isChecked());
}

void Print_Wnd::Print_With_Batch_Changed()
{
    Verify_Card_Count();
    Set_Total(data.inUse() ? data.cards : 1);
}

void Print_Wnd::Print_With_Excel_Changed()
{
    Print_With_Batch_Changed();
}

void Print_Wnd::pagesetup()
{
    if (!platform::runPageSetup(printInfo, this))
        return;
    Set_values_From_Printer();
    Check_Max_Cell_Value();
}

void Print_Wnd::done(int result)
{
    // Cancel, Escape or the close button while a run prints: the run's Stop
    // ends it, the window stays.
    if (!running_)
        QDialog::done(result);
}

void Print_Wnd::Execute_Printing(bool preview)
{
    if (running_)
        return;
    running_ = true;
    const auto ended = qScopeGuard([this] { running_ = false; });
    const Print_Layout& L = layout;
    if (L.label_width + L.Left_Mar + L.Rite_Mar + L.horz_mar > L.paper_w ||
        L.label_hight + L.Top_Mar + L.Bot_Mar + L.vert_mar > L.paper_h) {
        if (!Show_YES_NO_MessageBox(QStringLiteral("'Card Size' is bigger than selected 'Paper Size' or drawn label may "
                                                   "be out of margin area.\n\nDo you want to continue?")))
            return;
    }
    barcode_counter = 0;

    // Everything the run reads, copied now: the window and the design may
    // change afterwards without touching it.
    Print_Job job;
    job.layout = layout;
    job.front_image = front_image;
    job.back_image = back_image;
    job.data_in_use = data.inUse();
    std::shared_ptr<Binding_Run_Snapshot> snapshot;
    // Without data the design's barcodes are checked once the printer's
    // resolution is known.
    auto design_problems = std::make_shared<QList<Card_Problem>>();
    job.row_problems = [design_problems] { return *design_problems; };
    // Once the printer's resolution is known: a run's rows are made at it,
    // a design without data is checked at it.
    const auto at_resolution = [&](int dpi) {
        if (snapshot)
            snapshot->output_dpi = dpi;
        else if (host_)
            *design_problems = host_->Card_Barcode_Problems(layout.Print_Card_Side, dpi);
    };
    if (job.data_in_use && host_) {
        snapshot = host_->Take_Binding_Run_Snapshot();
        job.data_rows = snapshot ? snapshot->Total_Batch_Excel_Card() : 0;
        if (snapshot) {
            job.render_row = [snapshot](int row, const QString& side) { return snapshot->Render_Side(row, side, true); };
            job.row_problems = [snapshot] { return snapshot->Problems(); };
        }
    }
    QString typed = Total_Text->text().trimmed();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(typed, &ok);
    Total_Label = Clamp_Total(ok ? value : 0.0, job.data_in_use, job.data_rows);
    if (Total_Label == 0) {
        Show_MessageBox(QStringLiteral("There is no barcode to print."));
        return;
    }
    job.Total_Label_Real = Total_Label;

    Printing_View view(std::move(job));
    bool capped = false;
    const std::uint64_t pages = view.numberOfPages(preview, &capped);
    const QString printer_name = printInfo.printer().name;
    if (preview) {
        // Said once, before the preview draws anything.
        if (capped)
            Show_MessageBox(Printing_View::kPreviewCapMessage);
        // Sheets are drawn as the preview shows them, on its worker: the view
        // is only read there until the preview has closed.
        QPrinter printer(QPrinter::HighResolution);
        static_cast<void>(printInfo.apply(printer)); // only its resolution is read
        at_resolution(printer.logicalDpiX());
        platform::runPrintPreview(int(pages), printInfo.paperSize(), printer.logicalDpiX(),
                                  [&view](QPainter& painter, int sheet, const std::atomic<bool>& stop) {
                                      view.Draw_Sheet(painter, sheet, &stop);
                                  }, this);
        // The box counts every card of the run, as Print's does: the cards
        // of the sheets not looked at are filled too.
        if (view.Rest() > 0)
            Run_With_Progress([&view](Print_Progress& progress) {
                view.Fill_Rest(&progress);
                return true;
            }, view.Rest());
    } else {
        QPrinter printer(QPrinter::HighResolution);
        if (!printInfo.apply(printer)) {
            Show_MessageBox(QStringLiteral("The printer \"%1\" does not take the paper %2 in %3 orientation.")
                                .arg(printer_name, printInfo.paperName(), Orient_ComboBox->currentText()));
            return;
        }
        printer.setCopyCount(Copies_Stepper->intValue());
        // Each row's 2-D symbol is made readable at the printer's resolution,
        // its pictures decoded as the printer draws them.
        at_resolution(printer.logicalDpiX());
        if (snapshot)
            snapshot->output_vector = true;
        printer.setDocName(QStringLiteral("Cards"));
        if (!Run_With_Progress([&](Print_Progress& progress) { return view.Print(printer, pages, &progress); },
                               Total_Label))
            Show_MessageBox(QStringLiteral("The printer \"%1\" could not print the cards.").arg(printer_name));
    }
    if (data.inUse() && host_)
        host_->Select_first_row_value_for_design(true);

    const QString problems =
        view.Problems_Text(QStringLiteral("Cards that could not be drawn (their cells show \"Invalid Data\"):"));
    if (!problems.isEmpty())
        Show_MessageBox(problems);
}
