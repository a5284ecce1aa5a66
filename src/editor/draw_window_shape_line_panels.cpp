// The shape and line tabs of the property panel: built here, loaded from the
// graphic the panel shows, and written back into every selected graphic.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "editor/panel_controls.h"
#include "platform/color_well.h"
#include "platform/stepper.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using panel::combo;
using panel::radio;
using panel::setRadios;

} // namespace

// ---------------------------------------------------------------- building

void QBXWindowController::buildShapeTab(QWidget* page)
{
    using C = QBXWindowController;
    auto act = [this](void (C::*a)(QObject*)) { return [this, a](QObject* s) { (this->*a)(s); }; };
    auto* layout = new QVBoxLayout(page);
    Shape_prop_title = new QLabel(QStringLiteral("Rectangle Properties"));
    Shape_prop_title->setObjectName(QStringLiteral("Shape_prop_title"));
    layout->addWidget(Shape_prop_title);

    // Border.
    Shape_border_chk = new QCheckBox(QStringLiteral("Border"));
    Shape_border_chk->setObjectName(QStringLiteral("Shape_border_chk"));
    layout->addWidget(Shape_border_chk);
    Shape_Border_Box = new QGroupBox;
    Shape_Border_Box->setObjectName(QStringLiteral("Shape_Border_Box"));
    {
        auto* g = new QGridLayout(Shape_Border_Box);
        shape_bordr_clr = panel::well(QStringLiteral("shape_bordr_clr"));
        shape_bor_Stepper = panel::stepper(QStringLiteral("shape_bor_Stepper"), 1, 50);
        shape_bor_Text = panel::field(QStringLiteral("shape_bor_Text"));
        shape_border_style = combo(panel::borderStyleItems(), QStringLiteral("shape_border_style"));
        g->addWidget(new QLabel(QStringLiteral("Colour")), 0, 0);
        g->addWidget(shape_bordr_clr, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
        g->addWidget(shape_bor_Text, 1, 1);
        g->addWidget(shape_bor_Stepper, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Style")), 2, 0);
        g->addWidget(shape_border_style, 2, 1, 1, 2);
    }
    layout->addWidget(Shape_Border_Box);

    // Fill.
    Shape_fill_chk = new QCheckBox(QStringLiteral("Fill"));
    Shape_fill_chk->setObjectName(QStringLiteral("Shape_fill_chk"));
    layout->addWidget(Shape_fill_chk);
    Shape_Fill_Box = new QGroupBox;
    Shape_Fill_Box->setObjectName(QStringLiteral("Shape_Fill_Box"));
    {
        auto* g = new QGridLayout(Shape_Fill_Box);
        Shape_solid_fill_rd = radio(QStringLiteral("Solid"), QStringLiteral("Shape_solid_fill_rd"));
        Shape_gradient_fill_rd = radio(QStringLiteral("Gradient"), QStringLiteral("Shape_gradient_fill_rd"));
        Shape_Style_fill_rd = radio(QStringLiteral("Pattern"), QStringLiteral("Shape_Style_fill_rd"));
        shape_fill_clr = panel::well(QStringLiteral("shape_fill_clr"));
        shape_fill_Grd_1_clr = panel::well(QStringLiteral("shape_fill_Grd_1_clr"));
        shape_fill_Grd_2_clr = panel::well(QStringLiteral("shape_fill_Grd_2_clr"));
        shape_grad_Stepper = panel::stepper(QStringLiteral("shape_grad_Stepper"), 0, 360);
        shape_grad_Text = panel::field(QStringLiteral("shape_grad_Text"));
        shape_hatch_style = combo({}, QStringLiteral("shape_hatch_style"));
        shape_hatch_bk_clr = panel::well(QStringLiteral("shape_hatch_bk_clr"));
        g->addWidget(Shape_solid_fill_rd, 0, 0);
        g->addWidget(shape_fill_clr, 0, 1);
        g->addWidget(Shape_gradient_fill_rd, 1, 0);
        g->addWidget(shape_fill_Grd_1_clr, 1, 1);
        g->addWidget(shape_fill_Grd_2_clr, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Angle")), 2, 0);
        g->addWidget(shape_grad_Text, 2, 1);
        g->addWidget(shape_grad_Stepper, 2, 2);
        g->addWidget(Shape_Style_fill_rd, 3, 0);
        g->addWidget(shape_hatch_style, 3, 1);
        g->addWidget(shape_hatch_bk_clr, 3, 2);
    }
    layout->addWidget(Shape_Fill_Box);

    // Opacity and the kind's own values.
    auto* more = new QGridLayout;
    shape_alpha_Stepper = panel::stepper(QStringLiteral("shape_alpha_Stepper"), 0, 100);
    shape_alpha_Text = panel::field(QStringLiteral("shape_alpha_Text"));
    shape_cor_radius_Label = new QLabel(QStringLiteral("Corner radius"));
    shape_cor_radius_Stepper = panel::stepper(QStringLiteral("shape_cor_radius_Stepper"), 0, 100);
    shape_cor_radius_Text = panel::field(QStringLiteral("shape_cor_radius_Text"));
    double_star_Label = new QLabel(QStringLiteral("Star kind"));
    double_star_Stepper = panel::stepper(QStringLiteral("double_star_Stepper"), 1, 5);
    double_star_Text = panel::field(QStringLiteral("double_star_Text"));
    polygon_Label = new QLabel(QStringLiteral("Polygon kind"));
    polygon_Stepper = panel::stepper(QStringLiteral("polygon_Stepper"), 1, 5);
    polygon_Text = panel::field(QStringLiteral("polygon_Text"));
    more->addWidget(new QLabel(QStringLiteral("Opacity %")), 0, 0);
    more->addWidget(shape_alpha_Text, 0, 1);
    more->addWidget(shape_alpha_Stepper, 0, 2);
    more->addWidget(shape_cor_radius_Label, 1, 0);
    more->addWidget(shape_cor_radius_Text, 1, 1);
    more->addWidget(shape_cor_radius_Stepper, 1, 2);
    more->addWidget(double_star_Label, 2, 0);
    more->addWidget(double_star_Text, 2, 1);
    more->addWidget(double_star_Stepper, 2, 2);
    more->addWidget(polygon_Label, 3, 0);
    more->addWidget(polygon_Text, 3, 1);
    more->addWidget(polygon_Stepper, 3, 2);
    layout->addLayout(more);
    layout->addStretch(1);

    connect(Shape_border_chk, &QCheckBox::clicked, this, [this] { Shape_Border_ChkBox(Shape_border_chk); });
    connect(Shape_fill_chk, &QCheckBox::clicked, this, [this] { Shape_Fill_Chk_Box(Shape_fill_chk); });
    connect(Shape_solid_fill_rd, &QRadioButton::clicked, this, [this] { Shape_Solid_RD_Sel(Shape_solid_fill_rd); });
    connect(Shape_gradient_fill_rd, &QRadioButton::clicked, this,
            [this] { Shape_Gradient_RD_Sel(Shape_gradient_fill_rd); });
    connect(Shape_Style_fill_rd, &QRadioButton::clicked, this, [this] { Shape_Hatch_RD_Sel(Shape_Style_fill_rd); });
    for (platform::ColorWell* w : {shape_bordr_clr, shape_fill_clr, shape_fill_Grd_1_clr, shape_fill_Grd_2_clr,
                                   shape_hatch_bk_clr})
        connect(w, &platform::ColorWell::colorEdited, this, [this, w] { Set_Control_Clr(w); });
    panel::pair(shape_bor_Stepper, shape_bor_Text, this, act(&C::Shape_Border_Changed));
    panel::pair(shape_grad_Stepper, shape_grad_Text, this, act(&C::Shape_Gradient_Changed));
    panel::pair(shape_alpha_Stepper, shape_alpha_Text, this, act(&C::Shape_Alpha_Changed));
    panel::pair(shape_cor_radius_Stepper, shape_cor_radius_Text, this, act(&C::Shape_Corner_Radius_Changed), true);
    panel::pair(double_star_Stepper, double_star_Text, this, act(&C::Double_Star_Shape_Changed));
    panel::pair(polygon_Stepper, polygon_Text, this, act(&C::Polygon_Shape_Changed));
    for (QComboBox* c : {shape_border_style, shape_hatch_style})
        connect(c, &QComboBox::activated, this, [this, c] { comboBoxSelectionDidChange(c); });
}

void QBXWindowController::buildLineTab(QWidget* page)
{
    using C = QBXWindowController;
    auto act = [this](void (C::*a)(QObject*)) { return [this, a](QObject* s) { (this->*a)(s); }; };
    auto* g = new QGridLayout(page);
    Line_clr = panel::well(QStringLiteral("Line_clr"));
    Line_Wdt_Stepper = panel::stepper(QStringLiteral("Line_Wdt_Stepper"), 1, 50);
    Line_Wdt_Text = panel::field(QStringLiteral("Line_Wdt_Text"));
    Line_border_style = combo(panel::borderStyleItems(), QStringLiteral("Line_border_style"));
    Line_ori_style = combo({QStringLiteral("Free"), QStringLiteral("Horizontal"), QStringLiteral("Vertical")},
                           QStringLiteral("Line_ori_style"));
    Line_cap_style = combo({QStringLiteral("Butt"), QStringLiteral("Round"), QStringLiteral("Square")},
                           QStringLiteral("Line_cap_style"));
    Line_alpha_Stepper = panel::stepper(QStringLiteral("Line_alpha_Stepper"), 0, 100);
    Line_alpha_Text = panel::field(QStringLiteral("Line_alpha_Text"));
    int r = 0;
    g->addWidget(new QLabel(QStringLiteral("Colour")), r, 0);
    g->addWidget(Line_clr, r++, 1);
    g->addWidget(new QLabel(QStringLiteral("Width")), r, 0);
    g->addWidget(Line_Wdt_Text, r, 1);
    g->addWidget(Line_Wdt_Stepper, r++, 2);
    g->addWidget(new QLabel(QStringLiteral("Style")), r, 0);
    g->addWidget(Line_border_style, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Orientation")), r, 0);
    g->addWidget(Line_ori_style, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Cap")), r, 0);
    g->addWidget(Line_cap_style, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Opacity %")), r, 0);
    g->addWidget(Line_alpha_Text, r, 1);
    g->addWidget(Line_alpha_Stepper, r++, 2);
    g->setRowStretch(r, 1);

    connect(Line_clr, &platform::ColorWell::colorEdited, this, [this] { Set_LineControl_Clr(Line_clr); });
    panel::pair(Line_Wdt_Stepper, Line_Wdt_Text, this, act(&C::Line_Width_Changed));
    panel::pair(Line_alpha_Stepper, Line_alpha_Text, this, act(&C::Line_Alpha_Changed));
    for (QComboBox* c : {Line_border_style, Line_ori_style, Line_cap_style})
        connect(c, &QComboBox::activated, this, [this, c] { comboBoxSelectionDidChange(c); });
}

// ---------------------------------------------------------------- loading

void QBXWindowController::Load_Shape_Panel(const GraphicPtr& g)
{
    Shape_border_chk->setChecked(g->_isDrawingStroke);
    shape_bor_Stepper->setValue(int(g->_strokeWidth));
    panel::showInt(shape_bor_Text, shape_bor_Stepper->value());
    shape_bordr_clr->setColor(g->_strokeColor);
    if (const int at = panel::borderIndex(g->_stroke_border_type); at >= 0)
        panel::setIndex(shape_border_style, at);

    Shape_fill_chk->setChecked(g->_isDrawingFill);
    shape_fill_clr->setColor(g->_fillColor);
    const QString fill = g->_fill_type;
    if (fill == QLatin1String("G"))
        setRadios(Shape_gradient_fill_rd, {Shape_solid_fill_rd, Shape_Style_fill_rd});
    else if (fill == QLatin1String("H"))
        setRadios(Shape_Style_fill_rd, {Shape_solid_fill_rd, Shape_gradient_fill_rd});
    else
        setRadios(Shape_solid_fill_rd, {Shape_gradient_fill_rd, Shape_Style_fill_rd});

    shape_fill_Grd_1_clr->setColor(g->_fill_Grad_clr1);
    shape_fill_Grd_2_clr->setColor(g->_fill_Grad_clr2);
    shape_hatch_bk_clr->setColor(g->_fill_htch_clr);
    panel::setIndex(shape_hatch_style,
                    g->_fill_hatch_type.isEmpty() ? -1 : shape_hatch_style->findText(g->_fill_hatch_type));

    shape_grad_Stepper->setValue(g->_fill_grad_angle);
    panel::showFloat(shape_grad_Text, shape_grad_Stepper->value());
    shape_alpha_Stepper->setValue(panel::percentOf(g->alpha_val));
    panel::showInt(shape_alpha_Text, shape_alpha_Stepper->intValue());
    shape_cor_radius_Stepper->setValue(g->cor_rad_val_val);
    panel::showFloat(shape_cor_radius_Text, shape_cor_radius_Stepper->value());
    double_star_Stepper->setValue(g->double_star_type);
    panel::showInt(double_star_Text, double_star_Stepper->value());
    polygon_Stepper->setValue(g->polygon_type);
    panel::showInt(polygon_Text, polygon_Stepper->value());

    SetObjEnabled(Shape_Border_Box, Shape_border_chk->isChecked());
    SetObjEnabled(Shape_Fill_Box, Shape_fill_chk->isChecked());
    if (fill == QLatin1String("G"))
        Shape_Gradient_RD_Sel(nullptr);
    else if (fill == QLatin1String("H"))
        Shape_Hatch_RD_Sel(nullptr);
    else
        Shape_Solid_RD_Sel(nullptr);
}

void QBXWindowController::Load_Line_Panel(const GraphicPtr& g)
{
    Line_Wdt_Stepper->setValue(int(g->_strokeWidth));
    panel::showInt(Line_Wdt_Text, Line_Wdt_Stepper->value());
    Line_clr->setColor(g->_strokeColor);
    if (const int at = panel::borderIndex(g->_stroke_border_type); at >= 0)
        panel::setIndex(Line_border_style, at);
    panel::setIndex(Line_ori_style, g->_line_ori);
    panel::setIndex(Line_cap_style, g->_line_cap_style);
    Line_alpha_Stepper->setValue(panel::percentOf(g->alpha_val_stroke));
    panel::showInt(Line_alpha_Text, Line_alpha_Stepper->intValue());
}

// ---------------------------------------------------------------- write-backs

void QBXWindowController::Update_Shape_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    const GraphicList selected = panelSelection();
    if (selected.empty())
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    const bool stroke = Shape_border_chk->isChecked();
    const bool fill = Shape_fill_chk->isChecked();
    const QString border = panel::borderCode(shape_border_style->currentIndex());
    QString fillType = QStringLiteral("S");
    if (fill && Shape_gradient_fill_rd->isChecked())
        fillType = QStringLiteral("G");
    else if (fill && Shape_Style_fill_rd->isChecked())
        fillType = QStringLiteral("H");
    const QString hatch =
        shape_hatch_style->currentIndex() >= 0 ? shape_hatch_style->currentText() : QStringLiteral("");
    for (const GraphicPtr& g : selected) {
        // Locked graphics keep their look, as in every other panel.
        if (g->ctrl_is_locked)
            continue;
        g->_isDrawingStroke = stroke;
        if (stroke) {
            g->_strokeColor = shape_bordr_clr->color();
            g->_strokeWidth = shape_bor_Stepper->intValue();
        }
        if (!border.isEmpty())
            g->_stroke_border_type = border;
        g->_isDrawingFill = fill;
        if (fill)
            g->_fillColor = shape_fill_clr->color();
        g->_fill_type = fillType;
        g->_fill_Grad_clr1 = shape_fill_Grd_1_clr->color();
        g->_fill_Grad_clr2 = shape_fill_Grd_2_clr->color();
        g->_fill_grad_angle = shape_grad_Stepper->value();
        g->_fill_htch_clr = shape_hatch_bk_clr->color();
        g->_fill_hatch_type = hatch;
        g->alpha_val = float(shape_alpha_Stepper->value() / 100.0);
        g->cor_rad_val_val = float(shape_cor_radius_Stepper->value());
        g->double_star_type = double_star_Stepper->intValue();
        g->polygon_type = polygon_Stepper->intValue();
        g->print_object = print_object_chk->isChecked() ? 1 : 0;
        canvas->startEditingGraphic(g);
    }
    Refresh_Panel_Canvas();
}

void QBXWindowController::Update_Line_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    const GraphicList selected = panelSelection();
    if (selected.empty())
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    const QString border = panel::borderCode(Line_border_style->currentIndex());
    for (const GraphicPtr& g : selected) {
        if (g->ctrl_is_locked)
            continue;
        g->_isDrawingStroke = true;
        g->_strokeColor = Line_clr->color();
        g->_strokeWidth = Line_Wdt_Stepper->intValue();
        g->print_object = print_object_chk->isChecked() ? 1 : 0;
        if (!border.isEmpty())
            g->_stroke_border_type = border;
        g->_line_cap_style = std::max(0, Line_cap_style->currentIndex());
        g->_line_ori = std::max(0, Line_ori_style->currentIndex());
        g->alpha_val_stroke = float(Line_alpha_Stepper->value() / 100.0);
        canvas->startEditingGraphic(g);
    }
    Refresh_Panel_Canvas();
}

// ---------------------------------------------------------------- actions

void QBXWindowController::Set_Control_Clr(QObject*)
{
    Update_Shape_Graphics();
}

void QBXWindowController::Shape_Border_ChkBox(QObject*)
{
    SetObjEnabled(Shape_Border_Box, Shape_border_chk->isChecked());
    Update_Shape_Graphics();
}

void QBXWindowController::Shape_Border_Changed(QObject* sender)
{
    panel::echo(sender, shape_bor_Stepper, shape_bor_Text);
    Update_Shape_Graphics();
}

void QBXWindowController::Shape_Fill_Chk_Box(QObject*)
{
    SetObjEnabled(Shape_Fill_Box, Shape_fill_chk->isChecked());
    Update_Shape_Graphics();
}

void QBXWindowController::Shape_Gradient_Changed(QObject* sender)
{
    panel::echo(sender, shape_grad_Stepper, shape_grad_Text);
    Update_Shape_Graphics();
}

// The three radio actions; a null sender only sets the radios' enabling (the
// loader's use).
void QBXWindowController::Shape_Solid_RD_Sel(QObject* sender)
{
    setRadios(Shape_solid_fill_rd, {Shape_gradient_fill_rd, Shape_Style_fill_rd});
    SetObjEnabled(shape_fill_clr, true);
    for (QObject* c : std::initializer_list<QObject*>{shape_fill_Grd_1_clr, shape_fill_Grd_2_clr, shape_grad_Text,
                                                     shape_grad_Stepper, shape_hatch_style, shape_hatch_bk_clr})
        SetObjEnabled(c, false);
    if (sender)
        Update_Shape_Graphics();
}

void QBXWindowController::Shape_Gradient_RD_Sel(QObject* sender)
{
    setRadios(Shape_gradient_fill_rd, {Shape_solid_fill_rd, Shape_Style_fill_rd});
    SetObjEnabled(shape_fill_clr, false);
    for (QObject* c : std::initializer_list<QObject*>{shape_fill_Grd_1_clr, shape_fill_Grd_2_clr, shape_grad_Text,
                                                     shape_grad_Stepper})
        SetObjEnabled(c, true);
    SetObjEnabled(shape_hatch_style, false);
    SetObjEnabled(shape_hatch_bk_clr, false);
    if (sender)
        Update_Shape_Graphics();
}

void QBXWindowController::Shape_Hatch_RD_Sel(QObject* sender)
{
    setRadios(Shape_Style_fill_rd, {Shape_solid_fill_rd, Shape_gradient_fill_rd});
    for (QObject* c : std::initializer_list<QObject*>{shape_fill_clr, shape_fill_Grd_1_clr, shape_fill_Grd_2_clr,
                                                     shape_grad_Text, shape_grad_Stepper})
        SetObjEnabled(c, false);
    SetObjEnabled(shape_hatch_style, true);
    SetObjEnabled(shape_hatch_bk_clr, true);
    if (sender)
        Update_Shape_Graphics();
}

void QBXWindowController::Shape_Alpha_Changed(QObject* sender)
{
    panel::echo(sender, shape_alpha_Stepper, shape_alpha_Text);
    Update_Shape_Graphics();
}

void QBXWindowController::Shape_Corner_Radius_Changed(QObject* sender)
{
    panel::echo(sender, shape_cor_radius_Stepper, shape_cor_radius_Text, true);
    Update_Shape_Graphics();
}

void QBXWindowController::Double_Star_Shape_Changed(QObject* sender)
{
    panel::echo(sender, double_star_Stepper, double_star_Text);
    Update_Shape_Graphics();
}

void QBXWindowController::Polygon_Shape_Changed(QObject* sender)
{
    panel::echo(sender, polygon_Stepper, polygon_Text);
    Update_Shape_Graphics();
}

void QBXWindowController::Line_Alpha_Changed(QObject* sender)
{
    panel::echo(sender, Line_alpha_Stepper, Line_alpha_Text);
    Update_Line_Graphics();
}

void QBXWindowController::Line_Width_Changed(QObject* sender)
{
    panel::echo(sender, Line_Wdt_Stepper, Line_Wdt_Text);
    Update_Line_Graphics();
}

void QBXWindowController::Set_LineControl_Clr(QObject*)
{
    Update_Line_Graphics();
}
