// The right-hand property panel: the card of the current side or one graphic,
// its tabs chosen by kind and loaded from the record, the standard edit
// buttons, the alignment and lock tabs and the print check box.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "platform/pasteboard.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

// Brackets a load: write-backs stay off and the tab view does not repaint
// until the last control is set, on every way out (an exception included).
class PanelLoad {
public:
    PanelLoad(QBXWindowController& c, const GraphicPtr& graphic)
        : m_c(c)
    {
        Not_Draw_Only_Prop_Change = true;
        m_c.m_loadingGraphic = graphic;
        if (m_c.sett_tab)
            m_c.sett_tab->setUpdatesEnabled(false);
    }
    ~PanelLoad()
    {
        m_c.m_loadingGraphic.reset();
        Not_Draw_Only_Prop_Change = false;
        if (m_c.sett_tab)
            m_c.sett_tab->setUpdatesEnabled(true);
    }

private:
    QBXWindowController& m_c;
};

QString shapeLabel(const QString& code)
{
    static const QHash<QString, QString> labels{
        {QStringLiteral("R"), QStringLiteral("Rectangle Properties")},
        {QStringLiteral("C"), QStringLiteral("Ellipse Properties")},
        {QStringLiteral("RR"), QStringLiteral("Rounded Rectangle Properties")},
        {QStringLiteral("T"), QStringLiteral("Triangle Properties")},
        {QStringLiteral("D"), QStringLiteral("Diamond Properties")},
        {QStringLiteral("S"), QStringLiteral("Star Properties")},
        {QStringLiteral("DS"), QStringLiteral("Double Star Properties")},
        {QStringLiteral("P"), QStringLiteral("Polygon Properties")}};
    return labels.value(code);
}

bool contains(const GraphicList& list, const GraphicPtr& g)
{
    return std::find(list.begin(), list.end(), g) != list.end();
}

} // namespace

// ---------------------------------------------------------------- the filler

void QBXWindowController::Show_RHS_Properties(const GraphicPtr& graphic)
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    try {
        selectArrowTool();
        if (!graphic) {
            showCardPanel();
            return;
        }
        Enable_Standard_Button_For_Control();
        if (graphic->ctrl_is_locked)
            Disable_Standard_Button_For_Lock();
        else
            Enable_Standard_Button_For_Unlock();
        if (graphic == Last_Selected_Graphic.lock())
            return;
        loadGraphicPanel(graphic);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::showCardPanel()
{
    const PanelLoad load(*this, nullptr);
    if (QBXGraphicView* canvas = currentSideCanvas())
        canvas->Clear_Control_Selection();
    Disable_Standard_Button_For_Card();
    Last_Selected_Graphic.reset();
    Remove_All_Tab_Items();
    card_setting_tab->insertInto(sett_tab, 0);
    card_bkgd_tab->insertInto(sett_tab, 1);
    card_brdr_tab->insertInto(sett_tab, 2);
    sett_tab->setCurrentIndex(0);
    Load_Card_Panel();
    const Card_Property& side = Card_Front_Or_Back == 1 ? Back_card_Prop : Front_card_Prop;
    card_prop_set(side.Card_fill_style);
    sett_tab->update();
}

void QBXWindowController::loadGraphicPanel(const GraphicPtr& g)
{
    Last_Selected_Graphic = g;
    // The flag goes up before the tabs leave: a field losing focus as its tab
    // hides must not write the old tab into this graphic.
    const PanelLoad load(*this, g);
    Remove_All_Tab_Items();
    print_object_chk->setChecked(g->print_object != 0);
    sel_control_name->setText(QStringLiteral("NONE"));

    const bool locked = g->ctrl_is_locked;
    const QString kind = g->className();
    QString lockLabel;
    auto show = [&](platform::TabItem* item, int index) {
        if (!locked)
            item->insertInto(sett_tab, index);
    };
    if (kind == QLatin1String("QBXText")) {
        show(text_edtng_tab, 0);
        show(text_prop_tab, 1);
        datasource_tab->setLabel(QStringLiteral("Text Source"));
        data_source_title->setText(QStringLiteral("Text Source"));
        show(datasource_tab, 2);
        manual_brws_box->hide();
        sel_control_name->setText(QStringLiteral("T"));
        lockLabel = QStringLiteral("Text Properties");
        Load_Text_Panel(g);
        Load_Source_Panel(g);
    } else if (kind == QLatin1String("QBXImage")) {
        datasource_tab->setLabel(QStringLiteral("Image Source"));
        data_source_title->setText(QStringLiteral("Image Source"));
        show(datasource_tab, 0);
        show(image_tab, 1);
        manual_brws_box->show();
        sel_control_name->setText(QStringLiteral("I"));
        lockLabel = QStringLiteral("Image Properties");
        {
            const QSignalBlocker quiet(Manual_image_path);
            Manual_image_path->setText(g->_file_path);
        }
        Load_Source_Panel(g);
        Load_Image_Panel(g);
    } else if (kind == QLatin1String("QBXLine")) {
        show(line_tab, 0);
        lockLabel = QStringLiteral("Line Properties");
        Load_Line_Panel(g);
    } else if (kind == QLatin1String("QBXSignature")) {
        const bool signature = g->sign_or_fingureprint == QLatin1String("S");
        sign_tab->setLabel(signature ? QStringLiteral("Signature Properties") : QStringLiteral("FingrePrint Properties"));
        show(sign_tab, 0);
        sel_control_name->setText(g->sign_or_fingureprint);
        lockLabel = QStringLiteral("Signature Properties");
        Load_Source_Panel(g);
        Load_Sign_Panel(g);
    } else if (kind == QLatin1String("QBXBarcode")) {
        show(barcode_tab, 0);
        lockLabel = QStringLiteral("Barcode Properties");
    } else {
        // Corner radius, star kind and polygon kind show for their shapes.
        const QString code = g->Get_shape_type();
        const std::pair<QString, std::vector<QWidget*>> own[] = {
            {QStringLiteral("RR"), {shape_cor_radius_Label, shape_cor_radius_Stepper, shape_cor_radius_Text}},
            {QStringLiteral("DS"), {double_star_Label, double_star_Stepper, double_star_Text}},
            {QStringLiteral("P"), {polygon_Label, polygon_Stepper, polygon_Text}}};
        for (const auto& [shape, widgets] : own) {
            for (QWidget* w : widgets)
                w->setVisible(!locked && code == shape);
        }
        lockLabel = shapeLabel(code);
        if (!lockLabel.isEmpty()) {
            shape_tab->setLabel(lockLabel);
            Shape_prop_title->setText(lockLabel);
        } else {
            lockLabel = shape_tab->label();
        }
        show(shape_tab, 0);
        Load_Shape_Panel(g);
    }
    if (locked) {
        Lock_tab->setLabel(lockLabel);
        Lock_tab->insertInto(sett_tab, 0);
    } else {
        aligmnt_tab->addTo(sett_tab);
    }
    sett_tab->setCurrentIndex(0);
    sett_tab->update();
}

void QBXWindowController::Reload_Shown_Graphic()
{
    const GraphicPtr shown = Last_Selected_Graphic.lock();
    const bool cardShown = card_setting_tab->indexIn(sett_tab) >= 0;
    if (!shown && cardShown)
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    const GraphicList side = canvas ? canvas->graphics() : GraphicList();
    if (!shown || !contains(side, shown)) {
        Show_RHS_Properties(nullptr);
        return;
    }
    if (Not_Draw_Only_Prop_Change.load())
        return;
    try {
        Enable_Standard_Button_For_Control();
        if (shown->ctrl_is_locked)
            Disable_Standard_Button_For_Lock();
        else
            Enable_Standard_Button_For_Unlock();
        const int tab = sett_tab->currentIndex();
        loadGraphicPanel(shown);
        if (tab >= 0 && tab < sett_tab->count())
            sett_tab->setCurrentIndex(tab);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Remove_All_Tab_Items()
{
    if (!sett_tab)
        return;
    for (platform::TabItem* item : {card_setting_tab, card_bkgd_tab, card_brdr_tab, line_tab, shape_tab,
                                    text_edtng_tab, text_prop_tab, image_tab, sign_tab, datasource_tab, aligmnt_tab,
                                    barcode_tab, Lock_tab}) {
        if (item)
            item->removeFrom(sett_tab);
    }
    while (sett_tab->count() > 0)
        sett_tab->removeTab(0);
}

void QBXWindowController::Print_object_chk_changed(QObject*)
{
    if (QBXGraphicView* canvas = currentSideCanvas())
        canvas->print_contol_or_not(print_object_chk->isChecked() ? 1 : 0);
}

// ---------------------------------------------------------------- targets

GraphicPtr QBXWindowController::panelCurrentGraphic() const
{
    if (m_loadingGraphic)
        return m_loadingGraphic;
    QBXGraphicView* canvas = currentSideCanvas();
    return canvas ? canvas->Selected_Graphic() : nullptr;
}

GraphicList QBXWindowController::panelSelection() const
{
    QBXGraphicView* canvas = currentSideCanvas();
    return canvas ? canvas->selectedGraphics() : GraphicList();
}

void QBXWindowController::Refresh_Panel_Canvas()
{
    Refresh_Canvas();
    QBXGraphicView* canvas = currentSideCanvas();
    if (canvas && canvas == _graphicView_TEMP && !Card_Value_In_Process.load())
        canvas->setNeedsDisplay();
}

// ---------------------------------------------------------------- alignment, lock and print tabs

void QBXWindowController::buildAlignmentTab(QWidget* page)
{
    auto* layout = new QGridLayout(page);
    using Action = void (QBXWindowController::*)(QObject*);
    const std::pair<const char*, Action> actions[] = {
        {"Align Left", &QBXWindowController::Align_Left_Clicked},
        {"Align Right", &QBXWindowController::Align_Right_Clicked},
        {"Align Top", &QBXWindowController::Align_Top_Clicked},
        {"Align Bottom", &QBXWindowController::Align_Bottom_Clicked},
        {"Center Horizontally", &QBXWindowController::Align_Horz_Clicked},
        {"Center Vertically", &QBXWindowController::Align_Vert_Clicked},
        {"Center on Card", &QBXWindowController::Align_Center_Clicked},
        {"Align with Grid", &QBXWindowController::Align_To_Grid_Clicked}};
    int at = 0;
    for (const auto& [title, action] : actions) {
        auto* b = new QPushButton(QString::fromLatin1(title));
        layout->addWidget(b, at / 2, at % 2);
        ++at;
        const Action a = action;
        connect(b, &QPushButton::clicked, this, [this, a, b] { (this->*a)(b); });
    }
    print_object_chk = new QCheckBox(QStringLiteral("Do not print"));
    print_object_chk->setObjectName(QStringLiteral("print_object_chk"));
    layout->addWidget(print_object_chk, at / 2 + 1, 0, 1, 2);
    connect(print_object_chk, &QCheckBox::clicked, this, [this] { Print_object_chk_changed(print_object_chk); });
    sel_control_name = new QLabel(QStringLiteral("NONE"));
    sel_control_name->setObjectName(QStringLiteral("sel_control_name"));
    sel_control_name->hide();
    layout->addWidget(sel_control_name, at / 2 + 2, 0);
    layout->setRowStretch(at / 2 + 3, 1);
}

void QBXWindowController::buildLockTab(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("This control is locked. Unlock it to change its properties.")));
    layout->addStretch(1);
}

// ---------------------------------------------------------------- the canvas container and the standard buttons

void QBXWindowController::changeViewController(int index)
{
    QWidget* views[3] = {first_view, second_view, temp_design_view};
    if (index < 0 || index > 2 || !myTargetView || !views[index])
        return;
    myTargetView->setCurrentWidget(views[index]);
}
