#include "barcode/Barcode_Gen_Window.h"

#include "app/AppHelpers.h"
#include "barcode/BCXBarcode.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "platform/color_well.h"
#include "platform/modal.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <cmath>
#include <exception>
#include <optional>

namespace {

using Ranges = Barcode_Field_Ranges;

const QStringList kAlignments{QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")};
const QStringList kEncodings{QStringLiteral("Auto"), QStringLiteral("Ascii"), QStringLiteral("C40"),
                             QStringLiteral("Text"), QStringLiteral("Base256")};
const QStringList kPreviewAlignments{QStringLiteral("Center"),     QStringLiteral("Top"),
                                     QStringLiteral("TopLeft"),    QStringLiteral("TopRight"),
                                     QStringLiteral("Left"),       QStringLiteral("Bottom"),
                                     QStringLiteral("BottomLeft"), QStringLiteral("BottomRight"),
                                     QStringLiteral("Right")};
const Qt::Alignment kPreviewAlignmentFlags[] = {
    Qt::AlignCenter, Qt::AlignTop | Qt::AlignHCenter, Qt::AlignTop | Qt::AlignLeft,
    Qt::AlignTop | Qt::AlignRight, Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignBottom | Qt::AlignHCenter,
    Qt::AlignBottom | Qt::AlignLeft, Qt::AlignBottom | Qt::AlignRight, Qt::AlignRight | Qt::AlignVCenter};

bool Is_Ascii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 127)
            return false;
    return true;
}

// Ends the load state on every way out of a load.
struct Load_Flag {
    Load_Flag() { Not_Draw_Only_Prop_Change = true; }
    ~Load_Flag() { Not_Draw_Only_Prop_Change = false; }
};

void Select_Text(QComboBox* combo, const QString& text, int fallback)
{
    const int at = combo->findText(text);
    combo->setCurrentIndex(at >= 0 ? at : fallback);
}

} // namespace

// A text field with its stepper: the stepper holds the one value (kept in
// its range); the field shows it.
struct Barcode_Gen_Window::Pair {
    QLineEdit* field = nullptr;
    platform::Stepper* stepper = nullptr;
    bool integer = false;
    std::function<void(QObject* sender)> refresh;

    QString Text_Of(double v) const { return integer ? QString::number(qint64(v)) : QString::number(v, 'g', 6); }
    void Set(double v) const
    {
        stepper->setValue(v);
        const QSignalBlocker quiet(field);
        field->setText(Text_Of(stepper->value()));
    }
    // The field's number, kept in range, into the stepper (the field keeps
    // the user's text until editing ends).
    void Take_Field() const
    {
        double v = Read_Leading_Number(field->text());
        if (!std::isfinite(v))
            v = v > 0 ? stepper->maximum() : stepper->minimum();
        stepper->setValue(integer ? std::trunc(v) : v);
    }
    QString Value_Text() const { return Text_Of(stepper->value()); }
};

namespace {
Barcode_Gen_Window* g_designer_window = nullptr;
}

Barcode_Gen_Window* Barcode_Gen_Window::defaultInstance()
{
    return g_designer_window;
}

Barcode_Gen_Window::Barcode_Gen_Window(Barcode_Designer_Services services) : m_services(std::move(services))
{
    g_designer_window = this;
    window = new QDialog;
    window->setObjectName(QStringLiteral("Barcode_Gen_Window"));
    window->setWindowTitle(QStringLiteral("Barcode Designer"));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(241, 244, 250));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    QFont times(QStringLiteral("Times New Roman"));
    times.setPointSizeF(10);
    value_font = header_font = footer_font = times;

    auto* top = new QHBoxLayout(window);
    auto* left = new QVBoxLayout;
    top->addLayout(left, 1);
    left->addWidget(Build_Preview(), 1);

    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Barcode Type :")));
    barcodeTypePopup = new QComboBox;
    barcodeTypePopup->setObjectName(QStringLiteral("barcodeTypePopup"));
    barcodeTypePopup->addItems(m_services.symbology_titles);
    typeRow->addWidget(barcodeTypePopup, 1);
    right->addLayout(typeRow);
    right->addWidget(new QLabel(QStringLiteral("Barcode Value :")));
    dataText = new QLineEdit;
    dataText->setObjectName(QStringLiteral("dataText"));
    right->addWidget(dataText);
    dataText_2D = new QPlainTextEdit;
    dataText_2D->setObjectName(QStringLiteral("dataText_2D"));
    dataText_2D->setFixedHeight(70);
    right->addWidget(dataText_2D);
    right->addWidget(Build_Source_Box());

    sett_tab = new QTabWidget;
    sett_tab->setObjectName(QStringLiteral("sett_tab"));
    sett_tab->addTab(Build_Text_Tab(), QStringLiteral("Text"));
    sett_tab->addTab(Build_Size_Tab(), QStringLiteral("Size"));
    sett_tab->addTab(Build_Margin_Tab(), QStringLiteral("Margins"));
    // The resolution tab is shown only for 2-D symbologies.
    dpi_tab_item = std::make_unique<platform::TabItem>(Build_Resolution_Tab(), QStringLiteral("Resolution"));
    right->addWidget(sett_tab, 1);

    auto* buttons = new QHBoxLayout;
    encode_button = new QPushButton(QStringLiteral("Encode"));
    encode_button->setObjectName(QStringLiteral("Encode_btn"));
    cancel_button = new QPushButton(QStringLiteral("Cancel"));
    cancel_button->setObjectName(QStringLiteral("Cancel_Btn"));
    ok_button = new QPushButton(QStringLiteral("OK"));
    ok_button->setObjectName(QStringLiteral("OK_Btn"));
    ok_button->setAutoDefault(false);
    cancel_button->setAutoDefault(false);
    encode_button->setAutoDefault(false);
    buttons->addWidget(encode_button);
    buttons->addStretch(1);
    buttons->addWidget(cancel_button);
    buttons->addWidget(ok_button);
    right->addLayout(buttons);

    Wire();
    _setLabels();
    Liner_Barcode_Opt_Select();
}

Barcode_Gen_Window::~Barcode_Gen_Window()
{
    if (g_designer_window == this)
        g_designer_window = nullptr;
    dpi_tab_item.reset();
    delete window;
}

QWidget* Barcode_Gen_Window::Build_Preview()
{
    auto* box = new QWidget;
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    image_scroll = new QScrollArea;
    image_scroll->setObjectName(QStringLiteral("image_scroll"));
    image_scroll->setMinimumSize(320, 240);
    image_scroll->setWidgetResizable(false);
    image_scroll->setAlignment(Qt::AlignCenter);
    barcodeImage = new BCXBarcodeImageView;
    barcodeImage->setObjectName(QStringLiteral("barcodeImage"));
    barcodeImage->setAlignment(Qt::AlignCenter);
    barcodeImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    image_scroll->setWidget(barcodeImage);
    v->addWidget(image_scroll, 1);
    barcode_error_label = new QLabel;
    barcode_error_label->setObjectName(QStringLiteral("barcode_error_label"));
    barcode_error_label->setWordWrap(true);
    barcode_error_label->setStyleSheet(QStringLiteral("color: #b00000"));
    barcode_error_label->hide();
    v->addWidget(barcode_error_label);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Position :")));
    bar_align_combo = new QComboBox;
    bar_align_combo->setObjectName(QStringLiteral("bar_align_combo"));
    bar_align_combo->addItems(kPreviewAlignments);
    row->addWidget(bar_align_combo);
    row->addWidget(new QLabel(QStringLiteral("Orientation :")));
    bar_orient_combo = new QComboBox;
    bar_orient_combo->setObjectName(QStringLiteral("bar_orient_combo"));
    bar_orient_combo->addItem(QStringLiteral("Upright"));
    row->addWidget(bar_orient_combo);
    v->addLayout(row);
    return box;
}

QWidget* Barcode_Gen_Window::Build_Source_Box()
{
    auto* box = new QGroupBox(QStringLiteral("Data Source"));
    auto* g = new QGridLayout(box);
    Data_source_type = new QComboBox;
    Data_source_type->setObjectName(QStringLiteral("Data_source_type"));
    Data_source_type->addItems({QStringLiteral("Manual"), QStringLiteral("Series")});
    if (m_services.spreadsheet_bound)
        Data_source_type->addItem(QStringLiteral("Excel"));
    Batch_Series = new QComboBox;
    Batch_Series->setObjectName(QStringLiteral("Batch_Series"));
    view_series_btn = new QPushButton(QStringLiteral("View"));
    view_series_btn->setObjectName(QStringLiteral("view_series_btn"));
    view_series_btn->setAutoDefault(false);
    g->addWidget(Data_source_type, 0, 0);
    g->addWidget(Batch_Series, 0, 1);
    g->addWidget(view_series_btn, 0, 2);
    return box;
}

Barcode_Gen_Window::Pair* Barcode_Gen_Window::Add_Pair(QWidget* parent, QGridLayout* grid, int row,
                                                       const QString& caption, QLineEdit*& field,
                                                       platform::Stepper*& stepper, double low, double high,
                                                       double step, bool integer)
{
    field = new QLineEdit(parent);
    stepper = new platform::Stepper(parent);
    stepper->setRange(low, high);
    stepper->setIncrement(step);
    field->setMaximumWidth(90);
    if (!caption.isEmpty())
        grid->addWidget(new QLabel(caption, parent), row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(stepper, row, 2);
    auto pair = std::make_unique<Pair>();
    pair->field = field;
    pair->stepper = stepper;
    pair->integer = integer;
    m_pairs.push_back(std::move(pair));
    return m_pairs.back().get();
}

QWidget* Barcode_Gen_Window::Build_Text_Tab()
{
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    int r = 0;
    g->addWidget(new QLabel(QStringLiteral("Header :")), r, 0);
    HeaderText = new QLineEdit;
    HeaderText->setObjectName(QStringLiteral("HeaderText"));
    g->addWidget(HeaderText, r, 1, 1, 2);
    align_hdr_combo = new QComboBox;
    align_hdr_combo->setObjectName(QStringLiteral("align_hdr_combo"));
    align_hdr_combo->addItems(kAlignments);
    g->addWidget(align_hdr_combo, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Footer :")), r, 0);
    FooterText = new QLineEdit;
    FooterText->setObjectName(QStringLiteral("FooterText"));
    g->addWidget(FooterText, r, 1, 1, 2);
    align_ftr_combo = new QComboBox;
    align_ftr_combo->setObjectName(QStringLiteral("align_ftr_combo"));
    align_ftr_combo->addItems(kAlignments);
    g->addWidget(align_ftr_combo, r++, 3);

    hideHeaderCheckbox = new QCheckBox(QStringLiteral("Hide header"));
    hideFooterCheckbox = new QCheckBox(QStringLiteral("Hide footer"));
    captionCheckbox = new QCheckBox(QStringLiteral("Hide value"));
    showinTopCheckbox = new QCheckBox(QStringLiteral("Value on top"));
    kerning_value_Checkbox = new QCheckBox(QStringLiteral("Stretch value"));
    g->addWidget(hideHeaderCheckbox, r, 0, 1, 2);
    g->addWidget(hideFooterCheckbox, r++, 2, 1, 2);
    g->addWidget(captionCheckbox, r, 0, 1, 2);
    g->addWidget(showinTopCheckbox, r++, 2, 1, 2);
    g->addWidget(kerning_value_Checkbox, r++, 0, 1, 2);

    auto fontRow = [&](const QString& caption, QLabel*& label, QPushButton*& button, QLabel** captionOut) {
        auto* c = new QLabel(caption);
        if (captionOut)
            *captionOut = c;
        label = new QLabel;
        button = new QPushButton(QStringLiteral("Font..."));
        button->setAutoDefault(false);
        g->addWidget(c, r, 0);
        g->addWidget(label, r, 1, 1, 2);
        g->addWidget(button, r++, 3);
    };
    fontRow(QStringLiteral("Value font :"), value_font_value, val_font_btn, &val_font_label);
    fontRow(QStringLiteral("Header font :"), header_font_value, hdr_font_btn, nullptr);
    fontRow(QStringLiteral("Footer font :"), footer_font_value, ftr_font_btn, nullptr);
    val_font_btn->setObjectName(QStringLiteral("val_font_btn"));
    hdr_font_btn->setObjectName(QStringLiteral("hdr_font_btn"));
    ftr_font_btn->setObjectName(QStringLiteral("ftr_font_btn"));

    auto well = [&](const QString& caption, platform::ColorWell*& w, QLabel** labelOut, const char* name,
                    const QColor& colour, int column) {
        auto* l = new QLabel(caption);
        if (labelOut)
            *labelOut = l;
        w = new platform::ColorWell;
        w->setObjectName(QLatin1String(name));
        w->setColor(colour);
        g->addWidget(l, r, column);
        g->addWidget(w, r, column + 1);
    };
    well(QStringLiteral("Bars :"), barcode_clr, &bar_clr_label, "barcode_clr", Qt::black, 0);
    well(QStringLiteral("Background :"), bar_back_clr, &bar_bk_clr_label, "bar_back_clr", Qt::white, 2);
    ++r;
    well(QStringLiteral("Value :"), bar_val_clr, &val_clr_label, "bar_val_clr", Qt::black, 0);
    well(QStringLiteral("Header :"), bar_hdr_clr, nullptr, "bar_hdr_clr", Qt::black, 2);
    ++r;
    well(QStringLiteral("Footer :"), bar_ftr_clr, nullptr, "bar_ftr_clr", Qt::black, 0);
    g->setRowStretch(r + 1, 1);
    return page;
}

QWidget* Barcode_Gen_Window::Build_Size_Tab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto refreshLinear = [this](QObject*) { Linear_Redraw(); };
    auto regenerate = [this](QObject*) { goButtonActionPerformed(); };

    linear_sett_box = new QGroupBox(QStringLiteral("Linear Barcode"));
    {
        auto* g = new QGridLayout(linear_sett_box);
        barHeightLabel = new QLabel;
        barWidthLabel = new QLabel;
        g->addWidget(barHeightLabel, 0, 0);
        g->addWidget(barWidthLabel, 1, 0);
        Add_Pair(linear_sett_box, g, 0, QString(), HeightText, HeightStepper, Ranges::bar_height.low,
                 Ranges::bar_height.high, 0.1, false)
            ->refresh = refreshLinear;
        Add_Pair(linear_sett_box, g, 1, QString(), widthText, widthStepper, Ranges::bar_width.low,
                 Ranges::bar_width.high, 1, false)
            ->refresh = refreshLinear;
    }
    v->addWidget(linear_sett_box);

    auto helpButton = [this](QGridLayout* g, int row, const QString& title, const QString& text) {
        auto* b = new QPushButton(QStringLiteral("?"));
        b->setAutoDefault(false);
        b->setMaximumWidth(28);
        g->addWidget(b, row, 3);
        connect(b, &QPushButton::clicked, this, [this, title, text] { Help_Button(title, text); });
    };

    two_d_sett_box = new QGroupBox(QStringLiteral("QR Code"));
    {
        auto* g = new QGridLayout(two_d_sett_box);
        Add_Pair(two_d_sett_box, g, 0, QStringLiteral("Size (pixels) :"), HeightText_2D, HeightStepper_2D,
                 Ranges::qr_size.low, Ranges::qr_size.high, 1, true)
            ->refresh = regenerate;
        g->addWidget(new QLabel(QStringLiteral("Mode :")), 1, 0);
        qr_enc_mode_ComboBox = new QComboBox;
        qr_enc_mode_ComboBox->addItems({QStringLiteral("Auto"), QStringLiteral("Numeric"),
                                        QStringLiteral("Alphanumeric"), QStringLiteral("Byte")});
        g->addWidget(qr_enc_mode_ComboBox, 1, 1, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Version :")), 2, 0);
        qr_version_ComboBox = new QComboBox;
        qr_version_ComboBox->setObjectName(QStringLiteral("qr_version_ComboBox"));
        qr_version_ComboBox->addItem(QStringLiteral("Auto"));
        for (int v = 1; v <= 40; ++v)
            qr_version_ComboBox->addItem(QStringLiteral("V%1").arg(v));
        g->addWidget(qr_version_ComboBox, 2, 1, 1, 2);
        helpButton(g, 2, QStringLiteral("Version :"),
                   QStringLiteral("Version is configuration or number of modules (combination of black and white "
                                  "dots)."));
        g->addWidget(new QLabel(QStringLiteral("EC Level :")), 3, 0);
        qr_ec_lvl_ComboBox = new QComboBox;
        qr_ec_lvl_ComboBox->setObjectName(QStringLiteral("qr_ec_lvl_ComboBox"));
        qr_ec_lvl_ComboBox->addItems({QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("Q"),
                                      QStringLiteral("H")});
        g->addWidget(qr_ec_lvl_ComboBox, 3, 1, 1, 2);
        helpButton(g, 3, QStringLiteral("Error correction (EC) level :"),
                   QStringLiteral("An error-correction mechanism is built in each symbol so that the symbol can "
                                  "still be decoded even if it is damaged."));
    }
    v->addWidget(two_d_sett_box);

    pdf_2d_sett_box = new QGroupBox(QStringLiteral("PDF417"));
    {
        auto* g = new QGridLayout(pdf_2d_sett_box);
        Add_Pair(pdf_2d_sett_box, g, 0, QStringLiteral("Height :"), pdf_HeightText_2D, pdf_HeightStepper_2D,
                 Ranges::pdf_height.low, Ranges::pdf_height.high, 1, true)
            ->refresh = regenerate;
        Add_Pair(pdf_2d_sett_box, g, 1, QStringLiteral("Width :"), Pdf_widthText_2D, Pdf_widthStepper_2D,
                 Ranges::pdf_width.low, Ranges::pdf_width.high, 1, true)
            ->refresh = regenerate;
        Add_Pair(pdf_2d_sett_box, g, 2, QStringLiteral("Rows :"), pdf_row_Text, pdf_row_Stepper,
                 Ranges::pdf_rows.low, Ranges::pdf_rows.high, 1, true)
            ->refresh = regenerate;
        helpButton(g, 2, QStringLiteral("PDF Rows :"), QStringLiteral("Number of rows in the PDF barcode."));
        Add_Pair(pdf_2d_sett_box, g, 3, QStringLiteral("Columns :"), pdf_col_Text, pdf_col_Stepper,
                 Ranges::pdf_columns.low, Ranges::pdf_columns.high, 1, true)
            ->refresh = regenerate;
        helpButton(g, 3, QStringLiteral("PDF Columns :"), QStringLiteral("Number of columns in the PDF barcode."));
        Add_Pair(pdf_2d_sett_box, g, 4, QStringLiteral("EC Level :"), pdf_ec_lvl_Text, pdf_ec_lvl_Stepper,
                 Ranges::pdf_level.low, Ranges::pdf_level.high, 1, true)
            ->refresh = regenerate;
        helpButton(g, 4, QStringLiteral("PDF EC Level :"),
                   QStringLiteral("An error-correction mechanism is built in each symbol so that the symbol can "
                                  "still be decoded even if it is damaged in PDF barcode."));
    }
    v->addWidget(pdf_2d_sett_box);

    dm_2d_sett_box = new QGroupBox(QStringLiteral("Data Matrix"));
    {
        auto* g = new QGridLayout(dm_2d_sett_box);
        Add_Pair(dm_2d_sett_box, g, 0, QStringLiteral("Module size :"), dm_moduleText_2D, dm_moduleStepper_2D,
                 Ranges::dm_module.low, Ranges::dm_module.high, 1, true)
            ->refresh = [this](QObject* sender) {
            // Stepping applies the size minimum; typing only re-encodes.
            if (sender == dm_moduleStepper_2D)
                data_matrix_barcode_size_acc_format();
            goButtonActionPerformed();
        };
        Add_Pair(dm_2d_sett_box, g, 1, QStringLiteral("Width :"), dm_widthText_2D, dm_widthStepper_2D,
                 Ranges::dm_size.low, Ranges::dm_size.high, 1, true)
            ->refresh = regenerate;
        Add_Pair(dm_2d_sett_box, g, 2, QStringLiteral("Height :"), dm_HeightText_2D, dm_HeightStepper_2D,
                 Ranges::dm_size.low, Ranges::dm_size.high, 1, true)
            ->refresh = regenerate;
        g->addWidget(new QLabel(QStringLiteral("Format :")), 3, 0);
        dm_format_ComboBox = new QComboBox;
        dm_format_ComboBox->setObjectName(QStringLiteral("dm_format_ComboBox"));
        dm_format_ComboBox->addItems(m_services.format_titles);
        g->addWidget(dm_format_ComboBox, 3, 1, 1, 2);
        helpButton(g, 3, QStringLiteral("Preferred Format :"),
                   QStringLiteral("Preferred Mode determines the smallest size of the symbol."));
        g->addWidget(new QLabel(QStringLiteral("Encoding :")), 4, 0);
        dm_encoding_ComboBox = new QComboBox;
        dm_encoding_ComboBox->setObjectName(QStringLiteral("dm_encoding_ComboBox"));
        dm_encoding_ComboBox->addItems(kEncodings);
        g->addWidget(dm_encoding_ComboBox, 4, 1, 1, 2);
        helpButton(g, 4, QStringLiteral("Encoding Mode :"),
                   QStringLiteral("Encoding Mode is mode of compaction to encode data in the symbol."));
    }
    v->addWidget(dm_2d_sett_box);
    v->addStretch(1);
    return page;
}

QWidget* Barcode_Gen_Window::Build_Margin_Tab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    margin_box = new QGroupBox;
    auto* g = new QGridLayout(margin_box);
    val_mar_label = new QLabel(QStringLiteral("Value :"));
    g->addWidget(val_mar_label, 0, 0);
    Add_Pair(margin_box, g, 0, QString(), val_mar_Text, val_mar_Stepper, Ranges::margin.low, Ranges::margin.high,
             0.1, false)
        ->refresh = [this](QObject*) { Refresh_For_Kind(false); };
    const auto bands = [this](QObject*) { Refresh_For_Kind(true); };
    Add_Pair(margin_box, g, 1, QStringLiteral("Header :"), hdr_mar_Text, hdr_mar_Stepper, Ranges::margin.low,
             Ranges::margin.high, 0.1, false)
        ->refresh = bands;
    Add_Pair(margin_box, g, 2, QStringLiteral("Footer :"), ftr_mar_Text, ftr_mar_Stepper, Ranges::margin.low,
             Ranges::margin.high, 0.1, false)
        ->refresh = bands;
    Add_Pair(margin_box, g, 3, QStringLiteral("Top and bottom :"), TB_mar_Text, TB_mar_Stepper, Ranges::margin.low,
             Ranges::margin.high, 0.1, false)
        ->refresh = bands;
    Add_Pair(margin_box, g, 4, QStringLiteral("Left and right :"), LR_mar_Text, LR_mar_Stepper, Ranges::margin.low,
             Ranges::margin.high, 0.1, false)
        ->refresh = bands;
    v->addWidget(margin_box);
    v->addStretch(1);
    return page;
}

QWidget* Barcode_Gen_Window::Build_Resolution_Tab()
{
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    g->addWidget(new QLabel(QStringLiteral("Resolution (dpi) :")), 0, 0);
    DPI_ComboBox = new QComboBox;
    DPI_ComboBox->setObjectName(QStringLiteral("DPI_ComboBox"));
    DPI_ComboBox->addItems(m_services.resolution_titles);
    g->addWidget(DPI_ComboBox, 0, 1);
    auto* help = new QPushButton(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("DPI_Help_Label"));
    help->setAutoDefault(false);
    help->setMaximumWidth(28);
    g->addWidget(help, 0, 3);
    connect(help, &QPushButton::clicked, this, [this] { DPI_Help_Label(); });
    dpi_Text = new QLineEdit;
    dpi_Text->setObjectName(QStringLiteral("dpi_Text"));
    dpi_Stepper = new platform::Stepper;
    dpi_Stepper->setRange(Ranges::dpi.low, Ranges::dpi.high);
    dpi_Stepper->setIncrement(1);
    dpi_Stepper->setValue(600);
    dpi_Text->setText(QStringLiteral("600"));
    g->addWidget(dpi_Text, 1, 1);
    g->addWidget(dpi_Stepper, 1, 2);
    g->setRowStretch(2, 1);
    return page;
}

void Barcode_Gen_Window::Wire()
{
    // Every handler is quiet while a load fills the controls.
    auto guarded = [](auto fn) {
        return [fn]() {
            if (!Not_Draw_Only_Prop_Change)
                fn();
        };
    };
    connect(barcodeTypePopup, &QComboBox::activated, this, guarded([this] { barcodeTypeChanged(); }));
    for (QComboBox* combo : {DPI_ComboBox, Data_source_type, Batch_Series, qr_enc_mode_ComboBox,
                             qr_version_ComboBox, qr_ec_lvl_ComboBox, dm_format_ComboBox, dm_encoding_ComboBox,
                             align_hdr_combo, align_ftr_combo, bar_align_combo, bar_orient_combo})
        connect(combo, &QComboBox::activated, this, guarded([this, combo] { comboBoxSelectionDidChange(combo); }));
    for (QLineEdit* field : {dataText, HeaderText, FooterText})
        connect(field, &QLineEdit::textEdited, this, guarded([this, field] { controlTextDidChange(field); }));
    connect(dataText_2D, &QPlainTextEdit::textChanged, this, guarded([this] { textDidChange(); }));
    connect(val_font_btn, &QPushButton::clicked, this, guarded([this] { Value_Font_Changed(); }));
    connect(hdr_font_btn, &QPushButton::clicked, this, guarded([this] { Header_Font_Changed(); }));
    connect(ftr_font_btn, &QPushButton::clicked, this, guarded([this] { Footer_Font_Changed(); }));
    for (platform::ColorWell* w : {barcode_clr, bar_back_clr, bar_val_clr, bar_hdr_clr, bar_ftr_clr})
        connect(w, &platform::ColorWell::colorEdited, this, guarded([this] { Set_Font_Clr(); }));
    connect(captionCheckbox, &QCheckBox::clicked, this, guarded([this] { captionChanged(); }));
    connect(showinTopCheckbox, &QCheckBox::clicked, this, guarded([this] { showinTopChanged(); }));
    connect(hideHeaderCheckbox, &QCheckBox::clicked, this, guarded([this] { hideHeaderChanged(); }));
    connect(hideFooterCheckbox, &QCheckBox::clicked, this, guarded([this] { hideFooterChanged(); }));
    connect(kerning_value_Checkbox, &QCheckBox::clicked, this, guarded([this] { Linear_Redraw(); }));
    for (const auto& pair : m_pairs) {
        Pair* p = pair.get();
        connect(p->stepper, &platform::Stepper::valueEdited, this,
                guarded([this, p] { Pair_Changed(p->stepper); }));
        connect(p->field, &QLineEdit::textEdited, this, guarded([this, p] { Pair_Changed(p->field); }));
        // When editing ends the field shows the value in use.
        connect(p->field, &QLineEdit::editingFinished, this, [p] {
            const QSignalBlocker quiet(p->field);
            p->field->setText(p->Value_Text());
        });
    }
    connect(dpi_Stepper, &platform::Stepper::valueEdited, this, guarded([this] { DPI_Value_Changed(dpi_Stepper); }));
    connect(dpi_Text, &QLineEdit::editingFinished, this, guarded([this] { DPI_Value_Changed(dpi_Text); }));
    connect(view_series_btn, &QPushButton::clicked, this, guarded([this] { View_batch_Series_Button(); }));
    connect(encode_button, &QPushButton::clicked, this, guarded([this] { Encode_btn(); }));
    connect(ok_button, &QPushButton::clicked, this, [this] { OK_Btn_Clicked(); });
    connect(cancel_button, &QPushButton::clicked, this, [this] { Cancel_Btn_Clicked(); });
}

// ---------------------------------------------------------------- preview panel

void Barcode_Gen_Window::Set_Barcode_On_Panel(const PointPicture& picture)
{
    QString reason;
    // One point of the picture is one pixel of the panel.
    const QImage shown = picture.isNull() ? QImage() : picture.toImage(72.0, &reason);
    if (shown.isNull()) {
        Set_Blank_Image(reason);
        return;
    }
    panel_picture = picture;
    Show_Raster(shown);
}

void Barcode_Gen_Window::Show_Raster(const QImage& shown)
{
    m_panel_shown = true;
    barcode_error_label->hide();
    const QSize view = image_scroll->viewport()->size();
    barcodeImage->setScaledContents(false);
    barcodeImage->setPixmap(QPixmap::fromImage(shown));
    barcodeImage->resize(std::max(shown.width(), view.width()), std::max(shown.height(), view.height()));
}

void Barcode_Gen_Window::Show_2D_Symbol()
{
    // The panel is drawn straight from the symbol: a composed (vector)
    // picture stores its raster compressed, which costs more than the
    // encoding, so it is composed only when OK hands it over.
    Barcode_Gen& g = *m_record;
    panel_picture = {};
    if (g.image_2d.isNull()) {
        Set_Blank_Image(g.last_failure);
        return;
    }
    g.Set_2d_Barcode_Height(g.image_2d);
    g.Set_2d_Barcode_Width(g.image_2d);
    QString reason;
    const QImage shown = BCXBarcodeImage::rasterFromBarcodeImage(g.image_2d, 72.0, &reason);
    barcodeImage->setAlignment(Qt::AlignCenter);
    if (shown.isNull())
        Set_Blank_Image(reason);
    else
        Show_Raster(shown);
}

void Barcode_Gen_Window::Set_Blank_Image(const QString& reason)
{
    panel_picture = {};
    m_panel_shown = false;
    if (m_record) {
        auto lock = m_record->Lock_Generation();
        m_record->Set_Blank_Image();
    }
    barcodeImage->clear();
    barcode_error_label->setText(reason.isEmpty() ? QStringLiteral("No barcode can be made of these settings.")
                                                   : reason);
    barcode_error_label->show();
}

void Barcode_Gen_Window::Encode_btn()
{
    try {
        goButtonActionPerformed();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
}

void Barcode_Gen_Window::DPI_Value_Changed(QObject* sender)
{
    // Stepper or typed value: kept in range, shown so, and applied at once.
    int dpi = dpi_Stepper->intValue();
    if (sender == dpi_Text) {
        const double typed = Read_Leading_Number(dpi_Text->text());
        dpi = int(std::clamp(std::isfinite(typed) ? typed : Ranges::dpi.low, Ranges::dpi.low, Ranges::dpi.high));
        dpi_Stepper->setValue(dpi);
    }
    {
        const QSignalBlocker quiet(dpi_Text);
        dpi_Text->setText(QString::number(dpi));
    }
    Apply_Resolution();
}

void Barcode_Gen_Window::DPI_Help_Label()
{
    Help_Button(QStringLiteral("DPI (Dots Per Inch) :"),
                QStringLiteral("Dots per inch is a measure of the resolution of printers in terms of Print "
                               "Quality.\n\nBigger the DPI, Better the Print Quality. But File size of image also "
                               "increases, as you choose bigger DPI."));
}

void Barcode_Gen_Window::View_batch_Series_Button()
{
    if (m_source.data_source_type == 2 && Is_Source("Excel")) {
        // A column is shown with the whole spreadsheet binding.
        if (m_services.view_source)
            m_services.view_source(2, QString());
        return;
    }
    const QString name = Trim_Str(Batch_Series->currentText());
    if (name.isEmpty() || !Is_Source("Series")) {
        if (m_services.show_message)
            m_services.show_message(QStringLiteral("Please select the series."));
        return;
    }
    if (m_services.view_source)
        m_services.view_source(1, name);
}

// ---------------------------------------------------------------- load, OK, Cancel

int Barcode_Gen_Window::Open_Wnd(Barcode_Gen& record, const Barcode_Source_Choice& binding)
{
    if (QThread::currentThread() != qApp->thread()) {
        Show_NSLog_Message(QStringLiteral("The barcode designer opens on the main thread only."));
        return 0;
    }
    m_record = &record;
    m_source = binding;
    try {
        Set_Barcode_Prop_To_Control();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
    sett_tab->setCurrentIndex(0);
    goButtonActionPerformed();
    const int code = platform::modal::run(*window);
    window->hide();
    if (code != 1)
        Barcode_output_image = {};
    return code == 1 ? 1 : 0;
}

void Barcode_Gen_Window::Set_Barcode_Prop_To_Control()
{
    const Load_Flag loading;
    // Controls filled here run no handler: each effect is applied below.
    QList<QObject*> controls = window->findChildren<QObject*>();
    if (!controls.contains(dpi_tab_item->view())) {
        controls.append(dpi_tab_item->view());
        controls.append(dpi_tab_item->view()->findChildren<QObject*>());
    }
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(size_t(controls.size()));
    for (QObject* control : controls)
        quiet.emplace_back(control);

    auto lock = m_record->Lock_Generation();
    const Barcode_Gen& g = *m_record;
    liner_or_2D_font = g.liner_or_2D_font;
    Select_Text(barcodeTypePopup, g.barcodeTypePopup, 0);
    dataText->setText(g.dataText.text);
    dataText_2D->setPlainText(g.dataText_2D.text);
    HeaderText->setText(g.HeaderText.text);
    FooterText->setText(g.FooterText.text);
    hideHeaderCheckbox->setChecked(g.hideHeaderCheckbox.state == 1);
    hideFooterCheckbox->setChecked(g.hideFooterCheckbox.state == 1);
    captionCheckbox->setChecked(g.captionCheckbox.state == 1);
    showinTopCheckbox->setChecked(g.showinTopCheckbox.state == 1);
    kerning_value_Checkbox->setChecked(g.kerning_value_Checkbox.state == 1);
    Select_Text(align_hdr_combo, g.align_hdr_combo, 1);
    Select_Text(align_ftr_combo, g.align_ftr_combo, 1);
    bar_align_combo->setCurrentIndex(0);
    bar_orient_combo->setCurrentIndex(0);
    showinTopCheckbox->setEnabled(!captionCheckbox->isChecked());

    const auto pairOf = [this](QLineEdit* field) -> Pair* {
        for (const auto& p : m_pairs)
            if (p->field == field)
                return p.get();
        return nullptr;
    };
    pairOf(HeightText)->Set(g.HeightText.floatValue());
    pairOf(widthText)->Set(g.widthText.floatValue());
    qr_version_ComboBox->setCurrentIndex(std::clamp(QR_Version_Val.load(), 0, 40));
    qr_ec_lvl_ComboBox->setCurrentIndex(std::clamp(QR_EC_Level_Val.load(), 0, 3));
    qr_enc_mode_ComboBox->setCurrentIndex(0);
    pairOf(HeightText_2D)->Set(g.HeightText_2D.intValue());
    Check_And_Set_QR_size_Acc_Version(qr_version_ComboBox->currentIndex());
    pairOf(pdf_HeightText_2D)->Set(g.pdf_HeightText_2D.intValue());
    pairOf(Pdf_widthText_2D)->Set(g.Pdf_widthText_2D.intValue());
    pairOf(pdf_ec_lvl_Text)->Set(g.pdf_ec_lvl_Text.intValue());
    pairOf(pdf_row_Text)->Set(pdf_row_Stepper->value());
    pairOf(pdf_col_Text)->Set(pdf_col_Stepper->value());
    pairOf(dm_moduleText_2D)->Set(g.dm_moduleText_2D.intValue());
    Select_Text(dm_format_ComboBox, g.dm_format_ComboBox, 0);
    Select_Text(dm_encoding_ComboBox, g.dm_encoding_ComboBox, 0);
    pairOf(dm_widthText_2D)->Set(dm_widthStepper_2D->value());
    pairOf(dm_HeightText_2D)->Set(dm_HeightStepper_2D->value());
    pairOf(val_mar_Text)->Set(g.val_mar_Text.floatValue());
    pairOf(hdr_mar_Text)->Set(g.hdr_mar_Text.floatValue());
    pairOf(ftr_mar_Text)->Set(g.ftr_mar_Text.floatValue());
    pairOf(TB_mar_Text)->Set(g.TB_mar_Text.floatValue());
    pairOf(LR_mar_Text)->Set(g.LR_mar_Text.floatValue());

    value_font = g.value_font;
    header_font = g.header_font;
    footer_font = g.footer_font;
    Show_Font(value_font_value, value_font);
    Show_Font(header_font_value, header_font);
    Show_Font(footer_font_value, footer_font);
    barcode_clr->setColor(g.barcode_clr);
    bar_back_clr->setColor(g.bar_back_clr);
    bar_val_clr->setColor(g.bar_val_clr);
    bar_hdr_clr->setColor(g.bar_hdr_clr);
    bar_ftr_clr->setColor(g.bar_ftr_clr);

    Select_Text(DPI_ComboBox, g.DPI_ComboBox, 0);
    // A stored custom text that holds no number stays as it is until
    // "Custom" is chosen; the stepper then offers 600.
    bool usable = true;
    const int custom = Barcode_Gen::Resolution_For(QStringLiteral("Custom"), g.dpi_Text.text, &usable);
    dpi_Stepper->setValue(custom);
    dpi_Text->setText(usable ? QString::number(custom) : g.dpi_Text.text);
    const bool isCustom = DPI_ComboBox->currentText() == QLatin1String("Custom");
    dpi_Text->setVisible(isCustom);
    dpi_Stepper->setVisible(isCustom);

    Measument_Unit_Is = 1;
    last_unit_val = 1;
    if (liner_or_2D_font == 0)
        Liner_Barcode_Opt_Select();
    else
        two_d_barcode_Opt_Select();
    _setLabels();

    // The source, then the bound series or column in its list. A source the
    // list does not offer (no spreadsheet bound) shows "Manual" and keeps
    // the binding.
    const int source = m_source.data_source_type;
    Data_source_type->setCurrentIndex(source >= 0 && source < Data_source_type->count() ? source : 0);
    Apply_Source(true);
}

void Barcode_Gen_Window::OK_Btn_Clicked()
{
    if (!Check_And_Validat_Barcode())
        return;
    if (m_source.data_source_type == 1 && Trim_Str(m_source.batch_list_name).isEmpty()) {
        if (m_services.show_message)
            m_services.show_message(QStringLiteral("Please select the series."));
        return;
    }
    if (Preview_Is_Blank()) {
        // The reason stays in the label; no settings without a picture.
        barcode_error_label->show();
        return;
    }
    {
        auto lock = m_record->Lock_Generation();
        const Thread_Designer_Scope edited(*m_record);
        Write_Controls_To_Record();
        if (liner_or_2D_font != 0)
            panel_picture = m_record->Get_Image_From_barcode_image(m_record->image_2d);
    }
    if (panel_picture.isNull()) {
        Set_Blank_Image(m_record->last_failure);
        return;
    }
    Barcode_output_image = panel_picture;
    window->done(1);
}

void Barcode_Gen_Window::Cancel_Btn_Clicked()
{
    Barcode_output_image = {};
    window->done(0);
}

// ---------------------------------------------------------------- refresh routes

QString Barcode_Gen_Window::Current_Value() const
{
    return liner_or_2D_font != 0 ? dataText_2D->toPlainText() : dataText->text();
}

bool Barcode_Gen_Window::Check_And_Validat_Barcode()
{
    barcode_error_label->hide();
    const QString value = Current_Value();
    if (value.isEmpty()) {
        Set_Blank_Image(QStringLiteral("Please enter barcode value"));
        return false;
    }
    if (!Is_Ascii(value)) {
        Set_Blank_Image(QStringLiteral("The value holds characters outside ASCII."));
        return false;
    }
    return true;
}

void Barcode_Gen_Window::Write_Controls_To_Record()
{
    Barcode_Gen& g = *m_record;
    const auto pairText = [this](QLineEdit* field) {
        for (const auto& p : m_pairs)
            if (p->field == field)
                return BarcodeTextEntry{p->Value_Text(), field->isEnabled()};
        return BarcodeTextEntry{};
    };
    const auto box = [](QCheckBox* c) { return BarcodeCheckBox{c->isChecked() ? 1 : 0, c->isEnabled()}; };
    g.liner_or_2D_font = liner_or_2D_font;
    g.barcodeTypePopup = barcodeTypePopup->currentText();
    g.dataText = {dataText->text(), dataText->isEnabled()};
    g.dataText_2D = {dataText_2D->toPlainText(), true};
    g.HeaderText = {HeaderText->text(), HeaderText->isEnabled()};
    g.FooterText = {FooterText->text(), FooterText->isEnabled()};
    g.captionCheckbox = box(captionCheckbox);
    g.showinTopCheckbox = box(showinTopCheckbox);
    g.hideHeaderCheckbox = box(hideHeaderCheckbox);
    g.hideFooterCheckbox = box(hideFooterCheckbox);
    g.kerning_value_Checkbox = box(kerning_value_Checkbox);
    g.HeightText = pairText(HeightText);
    g.widthText = pairText(widthText);
    g.val_mar_Text = pairText(val_mar_Text);
    g.hdr_mar_Text = pairText(hdr_mar_Text);
    g.ftr_mar_Text = pairText(ftr_mar_Text);
    g.TB_mar_Text = pairText(TB_mar_Text);
    g.LR_mar_Text = pairText(LR_mar_Text);
    g.align_hdr_combo = align_hdr_combo->currentText();
    g.align_ftr_combo = align_ftr_combo->currentText();
    g.barcode_clr = barcode_clr->color();
    g.bar_back_clr = bar_back_clr->color();
    g.bar_val_clr = bar_val_clr->color();
    g.bar_hdr_clr = bar_hdr_clr->color();
    g.bar_ftr_clr = bar_ftr_clr->color();
    g.value_font = value_font;
    g.header_font = header_font;
    g.footer_font = footer_font;
    g.HeightText_2D = pairText(HeightText_2D);
    g.pdf_HeightText_2D = pairText(pdf_HeightText_2D);
    g.Pdf_widthText_2D = pairText(Pdf_widthText_2D);
    g.pdf_ec_lvl_Text = pairText(pdf_ec_lvl_Text);
    g.dm_moduleText_2D = pairText(dm_moduleText_2D);
    g.dm_format_ComboBox = dm_format_ComboBox->currentText();
    g.dm_encoding_ComboBox = dm_encoding_ComboBox->currentText();
    g.DPI_ComboBox = DPI_ComboBox->currentText();
    g.dpi_Text = {dpi_Text->text(), true};
    QR_Version_Val = std::max(0, qr_version_ComboBox->currentIndex());
    QR_EC_Level_Val = std::max(0, qr_ec_lvl_ComboBox->currentIndex());
    USED_DPI_VALUE = Barcode_Gen::Resolution_For(g.DPI_ComboBox, g.dpi_Text.text);
}

void Barcode_Gen_Window::goButtonActionPerformed()
{
    if (!m_record || Not_Draw_Only_Prop_Change)
        return;
    if (!Check_And_Validat_Barcode())
        return;
    ++encode_count;
    auto lock = m_record->Lock_Generation();
    // The renderers read the record being edited.
    const Thread_Designer_Scope edited(*m_record);
    Write_Controls_To_Record();
    Barcode_Gen& g = *m_record;
    const std::shared_ptr<BCXBarcode> model =
        g.Generate_Barcode_Variable(true, Current_Value(), HeaderText->text(), FooterText->text());
    if (liner_or_2D_font == 0) {
        g.testBarcode = model;
        if (!model) {
            Set_Blank_Image(g.last_failure);
            return;
        }
        Show_Linear(model);
        return;
    }
    g.testBarcode.reset();
    Show_2D_Symbol();
}

void Barcode_Gen_Window::Show_Linear(const std::shared_ptr<BCXBarcode>& model)
{
    QString reason;
    const PointPicture picture =
        m_record->Check_Orintation_And_Rotate_Image(BCXBarcodeImage::imageFromBarcode(model.get(), &reason));
    barcodeImage->setAlignment(Qt::AlignCenter);
    if (picture.isNull())
        Set_Blank_Image(reason);
    else
        Set_Barcode_On_Panel(picture);
}

void Barcode_Gen_Window::Linear_Redraw()
{
    // The model is made again from the controls: encoding a linear value
    // costs less than keeping a second copy of every setting in step.
    if (liner_or_2D_font == 0 && m_record && m_record->testBarcode)
        goButtonActionPerformed();
}

void Barcode_Gen_Window::Two_D_Recomposition()
{
    if (!m_record || liner_or_2D_font == 0)
        return;
    if (!Check_And_Validat_Barcode())
        return;
    auto lock = m_record->Lock_Generation();
    const Thread_Designer_Scope edited(*m_record);
    Write_Controls_To_Record();
    Barcode_Gen& g = *m_record;
    g.setHeader(HeaderText->text());
    g.setFooter(FooterText->text());
    g.setPrintsHeader(!hideHeaderCheckbox->isChecked());
    g.setPrintsFooter(!hideFooterCheckbox->isChecked());
    g.setHeaderFontSize(float(header_font.pointSizeF()));
    g.setFooterFontSize(float(footer_font.pointSizeF()));
    Show_2D_Symbol();
}

void Barcode_Gen_Window::Refresh_For_Kind(bool recompose2D)
{
    if (liner_or_2D_font == 0)
        Linear_Redraw();
    else if (recompose2D)
        Two_D_Recomposition();
}

// ---------------------------------------------------------------- kind switching

void Barcode_Gen_Window::barcodeTypeChanged()
{
    const QString title = barcodeTypePopup->currentText();
    if (Barcode_Gen::Is_2D_Title(title))
        two_d_barcode_Opt_Select();
    else
        Liner_Barcode_Opt_Select();
    _setLabels();
    const QString value = Current_Value();
    if (liner_or_2D_font == 0)
        for (QWidget* w : std::initializer_list<QWidget*>{
                 HeightStepper, HeightText, widthStepper, widthText, captionCheckbox, hideHeaderCheckbox,
                 hideFooterCheckbox, FooterText, val_mar_Text, hdr_mar_Text, ftr_mar_Text, val_mar_Stepper,
                 hdr_mar_Stepper, ftr_mar_Stepper, align_hdr_combo, align_ftr_combo, showinTopCheckbox,
                 kerning_value_Checkbox})
            w->setEnabled(true);
    showinTopCheckbox->setEnabled(!captionCheckbox->isChecked());
    if (value.isEmpty()) {
        if (m_services.show_message)
            m_services.show_message(QStringLiteral("Please enter barcode value"));
        Set_Blank_Image(QStringLiteral("Please enter barcode value"));
        return;
    }
    static const QStringList upcEan{QStringLiteral("UPCE"), QStringLiteral("UPCA"), QStringLiteral("EAN-8"),
                                    QStringLiteral("EAN-13")};
    if (upcEan.contains(title))
        kerning_value_Checkbox->setEnabled(false);
    try {
        goButtonActionPerformed();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
}

void Barcode_Gen_Window::Liner_Barcode_Opt_Select()
{
    liner_or_2D_font = 0;
    dataText->setEnabled(true);
    dataText->setVisible(true);
    dataText_2D->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             showinTopCheckbox, captionCheckbox, val_mar_Text, val_mar_Stepper, val_mar_label, val_font_label,
             val_font_btn, value_font_value, barcode_clr, bar_back_clr, bar_val_clr, val_clr_label, bar_clr_label,
             bar_bk_clr_label, linear_sett_box})
        w->setVisible(true);
    two_d_sett_box->setVisible(false);
    pdf_2d_sett_box->setVisible(false);
    dm_2d_sett_box->setVisible(false);
    if (sett_tab->count() == 4)
        dpi_tab_item->removeFrom(sett_tab);
    sett_tab->setCurrentIndex(0);
}

void Barcode_Gen_Window::two_d_barcode_Opt_Select()
{
    liner_or_2D_font = 1;
    dataText->setEnabled(false);
    dataText->setVisible(false);
    dataText_2D->setVisible(true);
    for (QWidget* w : std::initializer_list<QWidget*>{
             showinTopCheckbox, captionCheckbox, val_mar_Text, val_mar_Stepper, val_mar_label, val_font_label,
             val_font_btn, value_font_value, barcode_clr, bar_back_clr, bar_val_clr, val_clr_label, bar_clr_label,
             bar_bk_clr_label, linear_sett_box})
        w->setVisible(false);
    const QString title = barcodeTypePopup->currentText();
    if (Barcode_Gen::Is_2D_Title(title)) {
        two_d_sett_box->setVisible(title == QLatin1String("QR Code"));
        pdf_2d_sett_box->setVisible(title == QLatin1String("PDF417"));
        dm_2d_sett_box->setVisible(title == QLatin1String("DataMatrix"));
    }
    if (sett_tab->count() == 3)
        dpi_tab_item->insertInto(sett_tab, 3);
}

void Barcode_Gen_Window::_setLabels()
{
    if (liner_or_2D_font != 0) {
        barHeightLabel->setText(QStringLiteral("Bar Height :"));
        barWidthLabel->setText(QStringLiteral("Bar Width :"));
        if (margin_box->title().isEmpty())
            margin_box->setTitle(QStringLiteral("Margins (cm)"));
        return;
    }
    const int unit = Measument_Unit_Is.load();
    const QString name = unit == 0 ? QStringLiteral("in") : unit == 1 ? QStringLiteral("cm") : QStringLiteral("mm");
    barHeightLabel->setText(QStringLiteral("Bar Height (%1):").arg(name));
    barWidthLabel->setText(QStringLiteral("Bar Width (Mils):"));
    margin_box->setTitle(QStringLiteral("Margins (%1)").arg(name));
}

// ---------------------------------------------------------------- text, fonts, colours, check boxes

void Barcode_Gen_Window::controlTextDidChange(QObject* sender)
{
    if (sender != dataText && sender != HeaderText && sender != FooterText)
        return;
    try {
        if (liner_or_2D_font == 0)
            goButtonActionPerformed();
        else if (sender != dataText)
            Two_D_Recomposition();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
}

void Barcode_Gen_Window::textDidChange()
{
    try {
        goButtonActionPerformed();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
}

void Barcode_Gen_Window::Show_Font(QLabel* label, const QFont& font)
{
    label->setText(QStringLiteral("%1 ( %2 )").arg(font.family()).arg(font.pointSizeF(), 0, 'f', 2));
}

void Barcode_Gen_Window::Choose_Font(QFont& font, QLabel* label)
{
    const std::optional<QFont> chosen = platform::modal::chooseFont(font, QStringLiteral("Font"));
    if (!chosen)
        return; // a cancelled panel changes nothing
    font = *chosen;
    Show_Font(label, font);
    Refresh_For_Kind(true);
}

void Barcode_Gen_Window::Value_Font_Changed() { Choose_Font(value_font, value_font_value); }
void Barcode_Gen_Window::Header_Font_Changed() { Choose_Font(header_font, header_font_value); }
void Barcode_Gen_Window::Footer_Font_Changed() { Choose_Font(footer_font, footer_font_value); }

void Barcode_Gen_Window::Set_Font_Clr() { Refresh_For_Kind(true); }

void Barcode_Gen_Window::captionChanged()
{
    showinTopCheckbox->setEnabled(captionCheckbox->isEnabled() && !captionCheckbox->isChecked());
    Refresh_For_Kind(true);
}

void Barcode_Gen_Window::showinTopChanged() { Refresh_For_Kind(false); }
void Barcode_Gen_Window::hideHeaderChanged() { Refresh_For_Kind(true); }
void Barcode_Gen_Window::hideFooterChanged() { Refresh_For_Kind(true); }

// ---------------------------------------------------------------- combo boxes

bool Barcode_Gen_Window::Is_Source(const char* title) const
{
    return Data_source_type->currentText() == QLatin1String(title);
}

void Barcode_Gen_Window::Apply_Resolution()
{
    USED_DPI_VALUE = Barcode_Gen::Resolution_For(DPI_ComboBox->currentText(), dpi_Text->text());
    if (liner_or_2D_font != 0)
        goButtonActionPerformed();
}

void Barcode_Gen_Window::comboBoxSelectionDidChange(QObject* sender)
{
    try {
        if (sender == DPI_ComboBox) {
            if (DPI_ComboBox->currentIndex() < 0)
                return;
            const bool custom = DPI_ComboBox->currentText() == QLatin1String("Custom");
            dpi_Stepper->setVisible(custom);
            dpi_Text->setVisible(custom);
            if (custom) {
                const QSignalBlocker quiet(dpi_Text);
                dpi_Text->setText(QString::number(dpi_Stepper->intValue()));
            }
            Apply_Resolution();
            return;
        }
        if (sender == Data_source_type) {
            Apply_Source(false);
            return;
        }
        if (sender == Batch_Series) {
            Apply_Series_Choice(false);
            return;
        }
        if (liner_or_2D_font != 0) {
            if (sender == qr_version_ComboBox) {
                QR_Version_Val = std::max(0, qr_version_ComboBox->currentIndex());
                Check_And_Set_QR_size_Acc_Version(qr_version_ComboBox->currentIndex());
                goButtonActionPerformed();
            } else if (sender == qr_ec_lvl_ComboBox) {
                QR_EC_Level_Val = std::max(0, qr_ec_lvl_ComboBox->currentIndex());
                goButtonActionPerformed();
            } else if (sender == dm_format_ComboBox) {
                data_matrix_barcode_size_acc_format();
                goButtonActionPerformed();
            } else if (sender == qr_enc_mode_ComboBox || sender == dm_encoding_ComboBox) {
                goButtonActionPerformed();
            } else if (sender == align_hdr_combo || sender == align_ftr_combo) {
                Two_D_Recomposition();
            }
            return;
        }
        if (!m_record || !m_record->testBarcode)
            return;
        if (sender == align_hdr_combo || sender == align_ftr_combo || sender == bar_orient_combo) {
            Linear_Redraw();
        } else if (sender == bar_align_combo) {
            const int at = kPreviewAlignments.indexOf(bar_align_combo->currentText());
            if (at >= 0)
                barcodeImage->setAlignment(kPreviewAlignmentFlags[at]);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromLocal8Bit(e.what()));
    }
}

void Barcode_Gen_Window::Set_Value_Quietly(const QString& value)
{
    const QSignalBlocker a(dataText);
    const QSignalBlocker b(dataText_2D);
    if (liner_or_2D_font != 0)
        dataText_2D->setPlainText(value);
    else
        dataText->setText(value);
}

void Barcode_Gen_Window::Apply_Source(bool loading)
{
    const QString source = Data_source_type->currentText();
    const bool manual = source == QLatin1String("Manual");
    view_series_btn->setEnabled(!manual);
    Batch_Series->setEnabled(!manual);
    dataText->setReadOnly(!manual);
    dataText_2D->setReadOnly(!manual);
    if (manual) {
        if (!loading) {
            m_source.data_source_type = 0;
            goButtonActionPerformed();
        }
        return;
    }
    {
        const QSignalBlocker quiet(Batch_Series);
        Batch_Series->setCurrentIndex(-1);
        Batch_Series->clear();
        if (source == QLatin1String("Series"))
            Batch_Series->addItems(m_services.series_names ? m_services.series_names() : QStringList());
        else
            Batch_Series->addItems(m_services.column_titles ? m_services.column_titles() : QStringList());
    }
    if (source == QLatin1String("Series")) {
        if (Batch_Series->count() == 0 && !loading) {
            if (m_services.show_message)
                m_services.show_message(QStringLiteral("Please create batch processing series first."));
            // Nothing can be bound: the source shown goes back to the one held.
            const QSignalBlocker quiet(Data_source_type);
            Data_source_type->setCurrentIndex(std::clamp(m_source.data_source_type, 0, Data_source_type->count() - 1));
            if (Data_source_type->currentText() != QLatin1String("Series"))
                Apply_Source(true);
            return;
        }
        if (!loading)
            m_source.data_source_type = 1;
        // A bound series no longer listed selects nothing and keeps the binding.
        const int at = m_source.batch_list_name.isEmpty() ? -1 : Batch_Series->findText(m_source.batch_list_name);
        {
            const QSignalBlocker quiet(Batch_Series);
            Batch_Series->setCurrentIndex(at);
        }
        if (at >= 0)
            Apply_Series_Choice(loading);
        else if (!loading)
            goButtonActionPerformed();
        return;
    }
    if (!loading)
        m_source.data_source_type = 2;
    const int column = m_source.excel_col_indx;
    {
        const QSignalBlocker quiet(Batch_Series);
        Batch_Series->setCurrentIndex(column >= 0 && column < Batch_Series->count() ? column : -1);
    }
    if (Batch_Series->currentIndex() >= 0)
        Apply_Series_Choice(loading);
    else if (!loading)
        goButtonActionPerformed();
}

void Barcode_Gen_Window::Apply_Series_Choice(bool loading)
{
    const int index = Batch_Series->currentIndex();
    if (index < 0)
        return;
    const QString item = Trim_Str(Batch_Series->itemText(index));
    if (item.isEmpty())
        return;
    QString value;
    if (Is_Source("Series")) {
        m_source.data_source_type = 1;
        m_source.batch_list_name = item;
        m_source.batch_list_index = index;
        value = m_services.first_series_value ? m_services.first_series_value(item) : QString();
    } else if (!Is_Source("Manual")) {
        m_source.data_source_type = 2;
        m_source.excel_col_indx = index;
        value = m_services.first_column_value ? m_services.first_column_value(index) : QString();
    } else {
        return;
    }
    Set_Value_Quietly(value);
    if (!loading)
        goButtonActionPerformed();
}

void Barcode_Gen_Window::Check_And_Set_QR_size_Acc_Version(int version)
{
    // The symbol's modules plus the four-module quiet zone on each side, one
    // pixel each; "Auto" assumes version 1.
    const int modules = 17 + 4 * std::clamp(version, 1, 40);
    const int minimum = modules + 8;
    HeightStepper_2D->setRange(minimum, Ranges::qr_size.high);
    for (const auto& p : m_pairs)
        if (p->stepper == HeightStepper_2D)
            p->Set(std::max<double>(HeightStepper_2D->value(), minimum));
}

void Barcode_Gen_Window::data_matrix_barcode_size_acc_format()
{
    const int k = dm_moduleStepper_2D->intValue();
    const QString f = dm_format_ComboBox->currentText();
    if (f == QLatin1String("Auto") || f.isEmpty())
        return;
    const QString rest = f.mid(1);
    const int x = rest.indexOf(QLatin1Char('X'));
    const int rows = x < 0 ? 0 : Trim_Str(rest.left(x)).toInt();
    const int cols = x < 0 ? 0 : Trim_Str(rest.mid(x + 1)).toInt();
    for (const auto& p : m_pairs) {
        if (p->stepper == dm_widthStepper_2D && p->stepper->value() < cols * k)
            p->Set(cols * k);
        if (p->stepper == dm_HeightStepper_2D && p->stepper->value() < rows * k)
            p->Set(rows * k);
    }
}

void Barcode_Gen_Window::Pair_Changed(QObject* sender)
{
    for (const auto& p : m_pairs) {
        if (sender != p->stepper && sender != p->field)
            continue;
        if (sender == p->stepper) {
            const QSignalBlocker quiet(p->field);
            p->field->setText(p->Value_Text());
        } else {
            p->Take_Field();
        }
        if (p->refresh)
            p->refresh(sender);
        return;
    }
}

void Barcode_Gen_Window::Help_Button(const QString& title, const QString& text)
{
    if (m_services.show_help)
        m_services.show_help(title, text);
    else if (m_services.show_message)
        m_services.show_message(text);
}

void Barcode_Gen_Window::Show_Create_Modeless()
{
    if (!plz_wait_Window) {
        plz_wait_Window = new QDialog(window);
        plz_wait_Window->setWindowModality(Qt::WindowModal);
        auto* layout = new QVBoxLayout(plz_wait_Window);
        layout->addWidget(new QLabel(QStringLiteral("Please wait...")));
    }
    plz_wait_Window->open();
}

void Barcode_Gen_Window::Hide_Destroy_Modeless()
{
    if (plz_wait_Window)
        plz_wait_Window->hide();
}

QImage Barcode_Gen_Window::flipImageVertically(const QImage& image)
{
    return image.mirrored(false, true);
}

QImage Barcode_Gen_Window::flipImageHorizontally(const QImage& image)
{
    return image.mirrored(true, false);
}
