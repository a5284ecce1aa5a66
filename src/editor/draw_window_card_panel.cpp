// The card panel: border, fill, background picture, all-text colour and font,
// sides, name, preset, size and shape of the current side, loaded from its
// record and written back into it.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "editor/panel_controls.h"
#include "platform/color_well.h"
#include "platform/modal.h"
#include "platform/picture/picture_decode.h"
#include "platform/stepper.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>

// ---------------------------------------------------------------- building

void QBXWindowController::buildCardTabs(QGridLayout* setting, int row, QWidget* background, QWidget* border)
{
    using C = QBXWindowController;
    auto act = [this](void (C::*a)(QObject*)) { return [this, a](QObject* s) { (this->*a)(s); }; };

    // All texts: colour and font, on the setting tab under the shape.
    All_Text_clr = panel::well(QStringLiteral("All_Text_clr"));
    All_Text_font_value = new QLabel;
    All_Text_font_value->setObjectName(QStringLiteral("All_Text_font_value"));
    auto* fontButton = new QPushButton(QStringLiteral("Font..."));
    fontButton->setObjectName(QStringLiteral("Content_Font_Clicked"));
    setting->addWidget(new QLabel(QStringLiteral("All texts")), row, 0);
    setting->addWidget(All_Text_clr, row, 1);
    setting->addWidget(fontButton, row++, 2);
    setting->addWidget(All_Text_font_value, row++, 0, 1, 4);
    setting->setRowStretch(row, 1);

    // Fill, picture and opacity.
    auto* bg = new QVBoxLayout(background);
    Card_fill_chk = new QCheckBox(QStringLiteral("Fill"));
    Card_fill_chk->setObjectName(QStringLiteral("Card_fill_chk"));
    bg->addWidget(Card_fill_chk);
    Card_Fill_Box = new QGroupBox;
    Card_Fill_Box->setObjectName(QStringLiteral("Card_Fill_Box"));
    {
        auto* g = new QGridLayout(Card_Fill_Box);
        Card_solid_fill_rd = panel::radio(QStringLiteral("Solid"), QStringLiteral("Card_solid_fill_rd"));
        Card_gradient_fill_rd = panel::radio(QStringLiteral("Gradient"), QStringLiteral("Card_gradient_fill_rd"));
        Card_Style_fill_rd = panel::radio(QStringLiteral("Pattern"), QStringLiteral("Card_Style_fill_rd"));
        Card_Image_fill_rd = panel::radio(QStringLiteral("Picture"), QStringLiteral("Card_Image_fill_rd"));
        Card_fill_clr = panel::well(QStringLiteral("Card_fill_clr"));
        Card_fill_Grd_1_clr = panel::well(QStringLiteral("Card_fill_Grd_1_clr"));
        Card_fill_Grd_2_clr = panel::well(QStringLiteral("Card_fill_Grd_2_clr"));
        Card_grad_Stepper = panel::stepper(QStringLiteral("Card_grad_Stepper"), 0, 360);
        Card_grad_Text = panel::field(QStringLiteral("Card_grad_Text"));
        Card_hatch_style = panel::combo({}, QStringLiteral("Card_hatch_style"));
        Card_hatch_bk_clr = panel::well(QStringLiteral("Card_hatch_bk_clr"));
        Card_image_box = new QGroupBox;
        Card_image_box->setObjectName(QStringLiteral("Card_image_box"));
        Card_Image_path = new QLineEdit;
        Card_Image_path->setObjectName(QStringLiteral("Card_Image_path"));
        Card_Image_path->setReadOnly(true);
        Card_image_layout = panel::combo({QStringLiteral("Stretch"), QStringLiteral("Tile")},
                                         QStringLiteral("Card_image_layout"));
        auto* browse = new QPushButton(QStringLiteral("Browse..."));
        browse->setObjectName(QStringLiteral("Card_Image_Browse_Btn"));
        auto* library = new QPushButton(QStringLiteral("Library..."));
        library->setObjectName(QStringLiteral("Card_Image_Library_Btn"));
        {
            auto* p = new QGridLayout(Card_image_box);
            p->addWidget(Card_Image_path, 0, 0, 1, 2);
            p->addWidget(browse, 1, 0);
            p->addWidget(library, 1, 1);
            p->addWidget(new QLabel(QStringLiteral("Layout")), 2, 0);
            p->addWidget(Card_image_layout, 2, 1);
        }
        g->addWidget(Card_solid_fill_rd, 0, 0);
        g->addWidget(Card_fill_clr, 0, 1);
        g->addWidget(Card_gradient_fill_rd, 1, 0);
        g->addWidget(Card_fill_Grd_1_clr, 1, 1);
        g->addWidget(Card_fill_Grd_2_clr, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Angle")), 2, 0);
        g->addWidget(Card_grad_Text, 2, 1);
        g->addWidget(Card_grad_Stepper, 2, 2);
        g->addWidget(Card_Style_fill_rd, 3, 0);
        g->addWidget(Card_hatch_style, 3, 1);
        g->addWidget(Card_hatch_bk_clr, 3, 2);
        g->addWidget(Card_Image_fill_rd, 4, 0);
        g->addWidget(Card_image_box, 5, 0, 1, 3);
        connect(browse, &QPushButton::clicked, this, [this, browse] { Card_Image_Browse_Btn(browse); });
        connect(library, &QPushButton::clicked, this, [this, library] { Card_Image_Library_Btn(library); });
    }
    bg->addWidget(Card_Fill_Box);
    auto* opacity = new QHBoxLayout;
    Card_alpha_Stepper = panel::stepper(QStringLiteral("Card_alpha_Stepper"), 0, 100);
    Card_alpha_Text = panel::field(QStringLiteral("Card_alpha_Text"));
    opacity->addWidget(new QLabel(QStringLiteral("Opacity %")));
    opacity->addWidget(Card_alpha_Text);
    opacity->addWidget(Card_alpha_Stepper);
    bg->addLayout(opacity);
    bg->addStretch(1);

    // Border.
    auto* bd = new QVBoxLayout(border);
    Card_border_chk = new QCheckBox(QStringLiteral("Border"));
    Card_border_chk->setObjectName(QStringLiteral("Card_border_chk"));
    bd->addWidget(Card_border_chk);
    Card_Border_Box = new QGroupBox;
    Card_Border_Box->setObjectName(QStringLiteral("Card_Border_Box"));
    {
        auto* g = new QGridLayout(Card_Border_Box);
        Card_bordr_clr = panel::well(QStringLiteral("Card_bordr_clr"));
        Card_bor_Text = panel::field(QStringLiteral("Card_bor_Text"));
        Card_bor_Stepper = panel::stepper(QStringLiteral("Card_bor_Stepper"), 1, 50);
        Card_border_style = panel::combo(panel::borderStyleItems(), QStringLiteral("Card_border_style"));
        g->addWidget(new QLabel(QStringLiteral("Colour")), 0, 0);
        g->addWidget(Card_bordr_clr, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
        g->addWidget(Card_bor_Text, 1, 1);
        g->addWidget(Card_bor_Stepper, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Style")), 2, 0);
        g->addWidget(Card_border_style, 2, 1, 1, 2);
    }
    bd->addWidget(Card_Border_Box);
    bd->addStretch(1);

    // Actions.
    connect(Card_border_chk, &QCheckBox::clicked, this, [this] { Card_Border_ChkBox(Card_border_chk); });
    connect(Card_fill_chk, &QCheckBox::clicked, this, [this] { Card_Fill_Chk_Box(Card_fill_chk); });
    connect(Card_solid_fill_rd, &QRadioButton::clicked, this, [this] { Card_Solid_RD_Sel(Card_solid_fill_rd); });
    connect(Card_gradient_fill_rd, &QRadioButton::clicked, this,
            [this] { Card_Gradient_RD_Sel(Card_gradient_fill_rd); });
    connect(Card_Style_fill_rd, &QRadioButton::clicked, this, [this] { Card_Hatch_RD_Sel(Card_Style_fill_rd); });
    connect(Card_Image_fill_rd, &QRadioButton::clicked, this, [this] { Card_Image_RD_Sel(Card_Image_fill_rd); });
    for (platform::ColorWell* w : {Card_bordr_clr, Card_fill_clr, Card_fill_Grd_1_clr, Card_fill_Grd_2_clr,
                                   Card_hatch_bk_clr})
        connect(w, &platform::ColorWell::colorEdited, this, [this, w] { Set_Card_Clr(w); });
    connect(All_Text_clr, &platform::ColorWell::colorEdited, this, [this] { Contect_Color_Clicked(All_Text_clr); });
    connect(fontButton, &QPushButton::clicked, this, [this, fontButton] { Content_Font_Clicked(fontButton); });
    panel::pair(Card_bor_Stepper, Card_bor_Text, this, act(&C::Card_Border_Changed));
    panel::pair(Card_grad_Stepper, Card_grad_Text, this, act(&C::Card_Gradient_Changed));
    panel::pair(Card_alpha_Stepper, Card_alpha_Text, this, act(&C::Card_Alpha_Changed));
    panel::pair(width_Stepper, width_Text, this, act(&C::Card_Width_Changed), true);
    panel::pair(height_Stepper, height_Text, this, act(&C::Card_Height_Changed), true);
    connect(card_name, &QLineEdit::editingFinished, this, [this] {
        if (card_name->isModified()) {
            card_name->setModified(false);
            Update_Card_Graphics();
        }
    });
    connect(matrix_card_shape, &QButtonGroup::idClicked, this, [this] { card_shape_CellClick(matrix_card_shape); });
}

// ---------------------------------------------------------------- loading and enabling

void QBXWindowController::Show_All_Text_Font()
{
    if (All_Text_font_value)
        All_Text_font_value->setText(panel::fontLabel(All_Text_font));
}

void QBXWindowController::Load_Card_Panel()
{
    Card_Property& side = Card_Front_Or_Back == 1 ? Back_card_Prop : Front_card_Prop;
    Card_border_chk->setChecked(side.Card_border_chk);
    Card_bordr_clr->setColor(side.Card_bordr_clr);
    Card_bor_Stepper->setValue(side.Card_bor_Stepper);
    panel::showInt(Card_bor_Text, Card_bor_Stepper->value());
    if (const int at = panel::borderIndex(side.Card_border_style); at >= 0)
        panel::setIndex(Card_border_style, at);
    Card_fill_chk->setChecked(side.Card_fill_chk);
    Card_fill_clr->setColor(side.Card_fill_clr);
    Card_fill_Grd_1_clr->setColor(side.Card_fill_Grd_1_clr);
    Card_fill_Grd_2_clr->setColor(side.Card_fill_Grd_2_clr);
    Card_grad_Stepper->setValue(side.Card_grad_Stepper);
    panel::showFloat(Card_grad_Text, Card_grad_Stepper->value());
    Card_hatch_bk_clr->setColor(side.Card_hatch_bk_clr);
    if (side.Card_fill_style == QLatin1String("H"))
        panel::setIndex(Card_hatch_style,
                        side.Card_hatch_style.isEmpty() ? -1 : Card_hatch_style->findText(side.Card_hatch_style));
    Card_alpha_Stepper->setValue(panel::percentOf(side.Card_alpha_Stepper));
    panel::showFloat(Card_alpha_Text, Card_alpha_Stepper->value());
    panel::setText(Card_Image_path, side.Card_BG_Image_Path);
    if (const int at = Card_image_layout->findText(side.Card_BG_Image_Layout); at >= 0)
        panel::setIndex(Card_image_layout, at);
    All_Text_clr->setColor(side.Card_Content_clr);
    All_Text_font = side.Card_Content_font;
    Show_All_Text_Font();
    All_Text_font_COPY = All_Text_font;
    All_Text_clr_COPY = All_Text_clr->color();
    if (QAbstractButton* row = matrix_card_shape->button(Card_Shape.load()))
        row->setChecked(true);
    panel::setText(card_name, side.Card_Name);
    if (_graphicView) {
        side.Card_Location = _graphicView->bounds().topLeft();
        side.Card_Size = _graphicView->bounds().size();
    }
    if (const int at = Preset_ComboBox->findText(side.Card_Preset); at >= 0)
        panel::setIndex(Preset_ComboBox, at);
    if (const int at = Category_ComboBox->findText(side.Card_Category); at >= 0)
        panel::setIndex(Category_ComboBox, at);
    // The size list is the shown category's, with the preset of the card's
    // size selected: the stored row names it only while the size agrees (a
    // design may carry a row its size does not have); none for a size typed in.
    Fill_Size_List(Category_ComboBox->currentIndex());
    Select_Matching_Preset(Card_Size_MM(), side.Card_Cat_index);
}

void QBXWindowController::card_prop_set(const QString& style)
{
    if (!Card_solid_fill_rd)
        return;
    QRadioButton* radios[] = {Card_solid_fill_rd, Card_gradient_fill_rd, Card_Style_fill_rd, Card_Image_fill_rd};
    int on = 0;
    if (style == QLatin1String("G"))
        on = 1;
    else if (style == QLatin1String("H"))
        on = 2;
    else if (style == QLatin1String("I"))
        on = 3;
    for (int i = 0; i < 4; ++i)
        radios[i]->setChecked(i == on);
    SetObjEnabled(Card_Border_Box, Card_border_chk->isChecked());
    SetObjEnabled(Card_Fill_Box, Card_fill_chk->isChecked());
    SetObjEnabled(Card_fill_clr, on == 0);
    for (QObject* c : std::initializer_list<QObject*>{Card_fill_Grd_1_clr, Card_fill_Grd_2_clr, Card_grad_Text,
                                                     Card_grad_Stepper})
        SetObjEnabled(c, on == 1);
    SetObjEnabled(Card_hatch_style, on == 2);
    SetObjEnabled(Card_hatch_bk_clr, on == 2);
    SetObjEnabled(Card_image_box, on == 3);
    if (sett_tab)
        sett_tab->update();
}

// ---------------------------------------------------------------- write-back

void QBXWindowController::Update_Card_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    Card_Property& side = Card_Front_Or_Back == 1 ? Back_card_Prop : Front_card_Prop;
    if (Card_border_chk) {
        const double a = Card_alpha_Stepper->value() / 100.0;
        auto withAlpha = [a](QColor c) {
            c.setAlphaF(float(a));
            return c;
        };
        // 1-2. Border.
        side.Card_border_chk = Card_border_chk->isChecked();
        if (side.Card_border_chk) {
            side.Card_bordr_clr = Card_bordr_clr->color();
            side.Card_bor_Stepper = Card_bor_Stepper->intValue();
        }
        if (const QString code = panel::borderCode(Card_border_style->currentIndex()); !code.isEmpty())
            side.Card_border_style = code;
        // 3-4. Fill and its style: on the back the radios count only while
        // the fill is on.
        side.Card_fill_chk = Card_fill_chk->isChecked();
        if (side.Card_fill_chk)
            side.Card_fill_clr = withAlpha(Card_fill_clr->color());
        QString style = QStringLiteral("S");
        if (Card_Front_Or_Back != 1 || side.Card_fill_chk) {
            if (Card_gradient_fill_rd->isChecked())
                style = QStringLiteral("G");
            else if (Card_Style_fill_rd->isChecked())
                style = QStringLiteral("H");
            else if (Card_Image_fill_rd->isChecked())
                style = QStringLiteral("I");
        }
        side.Card_fill_style = style;
        // 5-6.
        side.Card_fill_Grd_1_clr = withAlpha(Card_fill_Grd_1_clr->color());
        side.Card_fill_Grd_2_clr = withAlpha(Card_fill_Grd_2_clr->color());
        side.Card_grad_Stepper = Card_grad_Stepper->intValue();
        side.Card_hatch_bk_clr = withAlpha(Card_hatch_bk_clr->color());
        side.Card_hatch_style = Card_hatch_style->currentIndex() >= 0 ? Card_hatch_style->currentText() : QString();
        side.Card_BG_Image_Path = Card_Image_path->text();
        if (Card_image_layout->currentIndex() >= 0)
            side.Card_BG_Image_Layout = Card_image_layout->currentText();
        side.Card_alpha_Stepper = float(a);
        side.Card_Content_clr = All_Text_clr->color();
        side.Card_Content_font = All_Text_font;
    }
    // 7-9. Sides, shape, name.
    if (Sides_ComboBox)
        side.Card_Side = Sides_ComboBox->currentIndex() == 0 ? QStringLiteral("2") : QStringLiteral("1");
    side.Card_Side_Name = Card_Front_Or_Back == 1 ? QStringLiteral("B") : QStringLiteral("F");
    side.Card_Shape = Card_Property::Card_Shape_Code(Card_Shape.load());
    if (card_name) {
        const QString name = Trim_Str(card_name->text());
        side.Card_Name = name.isEmpty() ? QStringLiteral("Untitled") : name;
    }
    // 10. The card's place and size: the front canvas's bounds.
    if (_graphicView) {
        side.Card_Location = _graphicView->bounds().topLeft();
        side.Card_Size = _graphicView->bounds().size();
    }
    // 11-12. Preset, category and the size list's row.
    if (Preset_ComboBox && Preset_ComboBox->currentIndex() >= 0)
        side.Card_Preset = Preset_ComboBox->currentText();
    if (Category_ComboBox && Category_ComboBox->currentIndex() >= 0)
        side.Card_Category = Category_ComboBox->currentText();
    if (ColList && ColList->selectionModel()) {
        const int row = Selected_Size_Row();
        side.Card_Sub_Category = row >= 0 ? Get_Item_Text(row) : QString();
        side.Card_Cat_index = row;
    }
    side.Card_Create_Mode = QStringLiteral("W");
    Refresh_Canvas();
}

void QBXWindowController::Update_All_Card_Content()
{
    const GraphicList list = Card_Front_Or_Back != 0 ? Get_Back_Controls_Array() : Get_Front_Controls_Array();
    const QColor colour = All_Text_clr ? All_Text_clr->color() : QColor();
    const bool colourChanged = colour != All_Text_clr_COPY;
    const bool fontChanged = All_Text_font != All_Text_font_COPY;
    for (const GraphicPtr& g : list) {
        if (!g || g->className() != QLatin1String("QBXText"))
            continue;
        if (colourChanged)
            g->txt_clr = colour;
        if (fontChanged)
            g->text_ctrl_font = All_Text_font;
    }
    // What has been applied counts as shown: a later size or shape change
    // must not recolour texts the text panel has changed since.
    All_Text_clr_COPY = colour;
    All_Text_font_COPY = All_Text_font;
    Update_Card_Graphics();
}

// ---------------------------------------------------------------- actions

void QBXWindowController::Apply_Size_Clicked(QObject*)
{
    const QSizeF size(MM_to_Points_Convert(float(width_Stepper->value())),
                      MM_to_Points_Convert(float(height_Stepper->value())));
    Set_Document_Size(size);
    SetDocumentCanvasSize(size);
    if (_graphicView)
        _graphicView->Refresh_ScrollView();
    Select_Matching_Preset(Card_Size_MM(), Selected_Size_Row());
    Update_All_Card_Content();
}

void QBXWindowController::card_shape_CellClick(QObject* sender)
{
    Card_Shape = std::max(0, matrix_card_shape->checkedId());
    Apply_Size_Clicked(sender);
    Refresh_Canvas();
}

void QBXWindowController::Set_Card_Clr(QObject*)
{
    Update_Card_Graphics();
}

void QBXWindowController::Card_Border_ChkBox(QObject*)
{
    SetObjEnabled(Card_Border_Box, Card_border_chk->isChecked());
    Update_Card_Graphics();
}

void QBXWindowController::Card_Border_Changed(QObject* sender)
{
    panel::echo(sender, Card_bor_Stepper, Card_bor_Text);
    Update_Card_Graphics();
}

void QBXWindowController::Card_Fill_Chk_Box(QObject*)
{
    SetObjEnabled(Card_Fill_Box, Card_fill_chk->isChecked());
    const Card_Property& side = Card_Front_Or_Back != 0 ? Back_card_Prop : Front_card_Prop;
    card_prop_set(side.Card_fill_style);
    Update_Card_Graphics();
}

void QBXWindowController::Card_Gradient_Changed(QObject* sender)
{
    panel::echo(sender, Card_grad_Stepper, Card_grad_Text);
    Update_Card_Graphics();
}

void QBXWindowController::Card_Solid_RD_Sel(QObject*)
{
    card_prop_set(QStringLiteral("S"));
    Update_Card_Graphics();
}

void QBXWindowController::Card_Gradient_RD_Sel(QObject*)
{
    card_prop_set(QStringLiteral("G"));
    Update_Card_Graphics();
}

void QBXWindowController::Card_Hatch_RD_Sel(QObject*)
{
    card_prop_set(QStringLiteral("H"));
    Update_Card_Graphics();
}

void QBXWindowController::Card_Image_RD_Sel(QObject*)
{
    card_prop_set(QStringLiteral("I"));
    Update_Card_Graphics();
}

void QBXWindowController::Card_Alpha_Changed(QObject* sender)
{
    panel::echo(sender, Card_alpha_Stepper, Card_alpha_Text);
    Update_Card_Graphics();
}

namespace {

void setSideBackground(QBXWindowController& c, const QString& path)
{
    if (Card_Front_Or_Back != 0)
        c.set_Back_BG_Image(path);
    else
        c.set_Front_BG_Image(path);
}

} // namespace

void QBXWindowController::Card_Image_Browse_Btn(QObject*)
{
    const std::optional<QString> chosen =
        platform::modal::openFile(QStringLiteral("Choose a background picture"), QString(),
                                  platform::pictureFileSuffixes());
    if (!chosen || chosen->isEmpty() || !Check_Picture_File(*chosen))
        return;
    setSideBackground(*this, *chosen);
    Update_Card_Graphics();
}

void QBXWindowController::Card_Image_Library_Btn(QObject*)
{
    if (Open_Image_Library_Window(QStringLiteral("B")) == 1 && Check_Picture_File(lib_window_sel_file))
        setSideBackground(*this, lib_window_sel_file);
    Update_Card_Graphics();
}

void QBXWindowController::Card_Width_Changed(QObject* sender)
{
    panel::echo(sender, width_Stepper, width_Text, true);
    Apply_Size_Clicked(sender);
}

void QBXWindowController::Card_Height_Changed(QObject* sender)
{
    panel::echo(sender, height_Stepper, height_Text, true);
    Apply_Size_Clicked(sender);
}

// The content font's size buttons change nothing.
void QBXWindowController::Content_Font_Decrease_Clicked(QObject*) {}
void QBXWindowController::Contect_Font_Increase_Clicked(QObject*) {}

void QBXWindowController::Contect_Color_Clicked(QObject*)
{
    Update_All_Card_Content();
}

void QBXWindowController::changeAllTextFont(const QFont& chosen)
{
    try {
        All_Text_font = chosen;
        Show_All_Text_Font();
        Update_All_Card_Content();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Content_Font_Clicked(QObject*)
{
    if (const std::optional<QFont> chosen = platform::modal::chooseFont(All_Text_font, QStringLiteral("Fonts")))
        changeAllTextFont(*chosen);
}
