// Every combo box of the main window reports here: style combos run their
// tab's write-back, the data-source pair binds the current graphic, and the
// sides, preset and category combos set the card's sides and size list. Also
// the data-source tab, which the text, picture and signature panels share.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "editor/panel_controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>

#include <exception>

void QBXWindowController::comboBoxSelectionDidChange(QComboBox* combo)
{
    if (!combo)
        return;
    try {
        if (combo == Card_image_layout || combo == Card_border_style || combo == Card_hatch_style) {
            Update_Card_Graphics();
        } else if (combo == Line_border_style || combo == Line_ori_style || combo == Line_cap_style) {
            Update_Line_Graphics();
        } else if (combo == Text_border_style || combo == Text_align_combo || combo == Text_case_combo) {
            Update_Text_Graphics();
        } else if (combo == shape_border_style || combo == shape_hatch_style) {
            Update_Shape_Graphics();
        } else if (combo == Image_border_style) {
            Update_Image_Graphics();
        } else if (combo == Sign_border_style) {
            Update_Sign_Graphics();
        } else if (combo == Data_source_type) {
            Data_Source_Selection_Changed(Data_source_type->currentIndex());
        } else if (combo == Batch_Series) {
            Batch_Series_Selection_Changed(Batch_Series->currentIndex());
        } else if (combo == Sides_ComboBox) {
            const bool two = Sides_ComboBox->currentIndex() == 0;
            CARD_SIDE_STR = two ? QStringLiteral("2") : QStringLiteral("1");
            if (Back_Side_btn)
                Back_Side_btn->setEnabled(two);
        } else if (combo == Preset_ComboBox) {
            const int c = Category_ComboBox ? Category_ComboBox->currentIndex() : -1;
            if (c == -1)
                return;
            panel::setIndex(Category_ComboBox, -1);
            panel::setIndex(Category_ComboBox, c);
            comboBoxSelectionDidChange(Category_ComboBox);
        } else if (combo == Category_ComboBox) {
            // The new category's preset of the card's size, if it has one.
            Fill_Size_List(Category_ComboBox->currentIndex());
            Select_Matching_Preset(Card_Size_MM());
        }
        // Any other combo box (the date and time formats) has no effect.
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

// ---------------------------------------------------------------- the data-source tab

void QBXWindowController::buildSourceTab(QWidget* page)
{
    auto* g = new QGridLayout(page);
    data_source_title = new QLabel(QStringLiteral("Text Source"));
    data_source_title->setObjectName(QStringLiteral("data_source_title"));
    Data_source_type = new QComboBox;
    Data_source_type->setObjectName(QStringLiteral("Data_source_type"));
    Data_source_type->addItems({QStringLiteral("Manual"), QStringLiteral("Series")});
    Batch_Series = new QComboBox;
    Batch_Series->setObjectName(QStringLiteral("Batch_Series"));
    view_series_btn = new QPushButton(QStringLiteral("View"));
    view_series_btn->setObjectName(QStringLiteral("view_series_btn"));
    data_source_help_btn = new QPushButton(QStringLiteral("?"));
    data_source_help_btn->setObjectName(QStringLiteral("data_source_help_btn"));
    manual_brws_box = new QGroupBox(QStringLiteral("Picture file"));
    manual_brws_box->setObjectName(QStringLiteral("manual_brws_box"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QStringLiteral("Manual_Image_Browse_Btn"));
    auto* library = new QPushButton(QStringLiteral("Library..."));
    library->setObjectName(QStringLiteral("Manual_Library_Browse_Btn"));
    {
        auto* box = new QGridLayout(manual_brws_box);
        Manual_image_path = new QLineEdit;
        Manual_image_path->setObjectName(QStringLiteral("Manual_image_path"));
        Manual_image_path->setReadOnly(true);
        box->addWidget(Manual_image_path, 0, 0, 1, 2);
        box->addWidget(browse, 1, 0);
        box->addWidget(library, 1, 1);
    }
    g->addWidget(data_source_title, 0, 0, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Source")), 1, 0);
    g->addWidget(Data_source_type, 1, 1);
    g->addWidget(data_source_help_btn, 1, 2);
    g->addWidget(Batch_Series, 2, 0, 1, 2);
    g->addWidget(view_series_btn, 2, 2);
    g->addWidget(manual_brws_box, 3, 0, 1, 3);
    g->setRowStretch(4, 1);
    SetObjEnabled(view_series_btn, false);
    SetObjEnabled(Batch_Series, false);

    for (QComboBox* c : {Data_source_type, Batch_Series})
        connect(c, &QComboBox::activated, this, [this, c] { comboBoxSelectionDidChange(c); });
    connect(view_series_btn, &QPushButton::clicked, this, [this] { View_batch_Series_Button(view_series_btn); });
    connect(data_source_help_btn, &QPushButton::clicked, this,
            [this] { Data_Source_Help_Button(data_source_help_btn); });
    connect(browse, &QPushButton::clicked, this, [this, browse] { Manual_Image_Browse_Btn(browse); });
    connect(library, &QPushButton::clicked, this, [this, library] { Manual_Library_Browse_Btn(library); });
}

void QBXWindowController::Load_Source_Panel(const GraphicPtr& g)
{
    const int source = g->data_source_type;
    if (source < 0 || source >= Data_source_type->count()) {
        // A spreadsheet binding while no spreadsheet is offered: nothing is
        // shown, bound or changed.
        panel::setIndex(Data_source_type, -1);
        return;
    }
    panel::setIndex(Data_source_type, source);
    comboBoxSelectionDidChange(Data_source_type);
    // The stored series by name; only a series binding has one that counts.
    if (source != 1 || g->batch_list_name.isEmpty())
        return;
    const int at = Batch_Series->findText(g->batch_list_name);
    if (at < 0 || at == Batch_Series->currentIndex())
        return;
    panel::setIndex(Batch_Series, at);
    comboBoxSelectionDidChange(Batch_Series);
}
