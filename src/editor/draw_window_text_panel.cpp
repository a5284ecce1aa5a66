// The two text tabs of the property panel: the text itself with the date,
// time and template inserters, and the text's border, fill, opacity, colour,
// font, alignment, case and kerning, written into every selected graphic.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "editor/panel_controls.h"
#include "platform/color_well.h"
#include "platform/date_pattern.h"
#include "platform/modal.h"
#include "platform/stepper.h"
#include "wizards/Insert_Template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

#include <exception>

namespace {

constexpr int kMaxTextLength = 250;
const QString kPlaceholder = QStringLiteral("Text here");


void setPlainTextQuietly(QPlainTextEdit* view, const QString& text)
{
    const QSignalBlocker quiet(view);
    view->setPlainText(text);
}

} // namespace

// ---------------------------------------------------------------- building

void QBXWindowController::buildTextTabs(QWidget* editing, QWidget* properties)
{
    using C = QBXWindowController;
    auto act = [this](void (C::*a)(QObject*)) { return [this, a](QObject* s) { (this->*a)(s); }; };

    // The text, the inserters and the template button.
    {
        auto* g = new QGridLayout(editing);
        Text_value_Edit = new QPlainTextEdit;
        Text_value_Edit->setObjectName(QStringLiteral("Text_value_Edit"));
        Text_Date_style = new QComboBox;
        Text_Date_style->setObjectName(QStringLiteral("Text_Date_style"));
        Text_Time_style = new QComboBox;
        Text_Time_style->setObjectName(QStringLiteral("Text_Time_style"));
        Text_Insert_Date_btn = new QPushButton(QStringLiteral("Insert Date"));
        Text_Insert_Date_btn->setObjectName(QStringLiteral("Text_Insert_Date_btn"));
        Text_Insert_Time_btn = new QPushButton(QStringLiteral("Insert Time"));
        Text_Insert_Time_btn->setObjectName(QStringLiteral("Text_Insert_Time_btn"));
        insert_template_btn = new QPushButton(QStringLiteral("Use Template Title"));
        insert_template_btn->setObjectName(QStringLiteral("insert_template_btn"));
        insert_template_btn->hide();
        g->addWidget(Text_value_Edit, 0, 0, 1, 2);
        g->addWidget(Text_Date_style, 1, 0);
        g->addWidget(Text_Insert_Date_btn, 1, 1);
        g->addWidget(Text_Time_style, 2, 0);
        g->addWidget(Text_Insert_Time_btn, 2, 1);
        g->addWidget(insert_template_btn, 3, 0, 1, 2);
        g->setRowStretch(4, 1);
        connect(Text_value_Edit, &QPlainTextEdit::textChanged, this, [this] { textDidChange(); });
        connect(Text_Insert_Date_btn, &QPushButton::clicked, this, [this] { Text_Insert_Date(Text_Insert_Date_btn); });
        connect(Text_Insert_Time_btn, &QPushButton::clicked, this, [this] { Text_Insert_Time(Text_Insert_Time_btn); });
        connect(insert_template_btn, &QPushButton::clicked, this,
                [this] { Insert_Template_Button(insert_template_btn); });
    }

    // Border, fill, opacity, colour, font, alignment, case, kerning.
    auto* layout = new QVBoxLayout(properties);
    Text_border_chk = new QCheckBox(QStringLiteral("Border"));
    Text_border_chk->setObjectName(QStringLiteral("Text_border_chk"));
    layout->addWidget(Text_border_chk);
    Text_Border_Box = new QGroupBox;
    Text_Border_Box->setObjectName(QStringLiteral("Text_Border_Box"));
    {
        auto* g = new QGridLayout(Text_Border_Box);
        Text_bordr_clr = panel::well(QStringLiteral("Text_bordr_clr"));
        Text_bor_Stepper = panel::stepper(QStringLiteral("Text_bor_Stepper"), 1, 50);
        Text_bor_Text = panel::field(QStringLiteral("Text_bor_Text"));
        Text_border_style = new QComboBox;
        Text_border_style->setObjectName(QStringLiteral("Text_border_style"));
        Text_border_style->addItems(panel::borderStyleItems());
        g->addWidget(Text_bordr_clr, 0, 0);
        g->addWidget(Text_bor_Text, 0, 1);
        g->addWidget(Text_bor_Stepper, 0, 2);
        g->addWidget(Text_border_style, 1, 0, 1, 3);
    }
    layout->addWidget(Text_Border_Box);
    Text_fill_chk = new QCheckBox(QStringLiteral("Fill"));
    Text_fill_chk->setObjectName(QStringLiteral("Text_fill_chk"));
    layout->addWidget(Text_fill_chk);
    Text_Fill_Box = new QGroupBox;
    Text_Fill_Box->setObjectName(QStringLiteral("Text_Fill_Box"));
    {
        auto* g = new QGridLayout(Text_Fill_Box);
        Text_solid_fill_rd = new QRadioButton(QStringLiteral("Solid"));
        Text_solid_fill_rd->setObjectName(QStringLiteral("Text_solid_fill_rd"));
        Text_solid_fill_rd->setAutoExclusive(false);
        Text_gradient_fill_rd = new QRadioButton(QStringLiteral("Gradient"));
        Text_gradient_fill_rd->setObjectName(QStringLiteral("Text_gradient_fill_rd"));
        Text_gradient_fill_rd->setAutoExclusive(false);
        Text_fill_clr = panel::well(QStringLiteral("Text_fill_clr"));
        Text_fill_Grd_1_clr = panel::well(QStringLiteral("Text_fill_Grd_1_clr"));
        Text_fill_Grd_2_clr = panel::well(QStringLiteral("Text_fill_Grd_2_clr"));
        Text_grad_Stepper = panel::stepper(QStringLiteral("Text_grad_Stepper"), 0, 360);
        Text_grad_Text = panel::field(QStringLiteral("Text_grad_Text"));
        g->addWidget(Text_solid_fill_rd, 0, 0);
        g->addWidget(Text_fill_clr, 0, 1);
        g->addWidget(Text_gradient_fill_rd, 1, 0);
        g->addWidget(Text_fill_Grd_1_clr, 1, 1);
        g->addWidget(Text_fill_Grd_2_clr, 1, 2);
        g->addWidget(Text_grad_Text, 2, 1);
        g->addWidget(Text_grad_Stepper, 2, 2);
    }
    layout->addWidget(Text_Fill_Box);
    auto* g = new QGridLayout;
    Text_alpha_Stepper = panel::stepper(QStringLiteral("Text_alpha_Stepper"), 0, 100);
    Text_alpha_Text = panel::field(QStringLiteral("Text_alpha_Text"));
    Text_clr = panel::well(QStringLiteral("Text_clr"));
    Text_font_btn = new QPushButton(QStringLiteral("Font..."));
    Text_font_btn->setObjectName(QStringLiteral("Text_font_btn"));
    Text_font_value = new QLabel(panel::fontLabel(Text_font));
    Text_font_value->setObjectName(QStringLiteral("Text_font_value"));
    // Stored codes: 0 left, 1 right, 2 centre, 3 justified.
    Text_align_combo = new QComboBox;
    Text_align_combo->setObjectName(QStringLiteral("Text_align_combo"));
    Text_align_combo->addItems(
        {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Center"), QStringLiteral("Justified")});
    Text_case_combo = new QComboBox;
    Text_case_combo->setObjectName(QStringLiteral("Text_case_combo"));
    Text_case_combo->addItems({QStringLiteral("As Typed"), QStringLiteral("UPPER CASE"), QStringLiteral("lower case"),
                               QStringLiteral("Title Case")});
    Text_Kern_Stepper = panel::stepper(QStringLiteral("Text_Kern_Stepper"), -20, 20, 0.5);
    Text_Kern_Text = panel::field(QStringLiteral("Text_Kern_Text"));
    int r = 0;
    g->addWidget(new QLabel(QStringLiteral("Opacity %")), r, 0);
    g->addWidget(Text_alpha_Text, r, 1);
    g->addWidget(Text_alpha_Stepper, r++, 2);
    g->addWidget(new QLabel(QStringLiteral("Colour")), r, 0);
    g->addWidget(Text_clr, r++, 1);
    // The font's name on a line of its own: long names show whole.
    g->addWidget(Text_font_btn, r++, 0);
    g->addWidget(Text_font_value, r++, 0, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Alignment")), r, 0);
    g->addWidget(Text_align_combo, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Case")), r, 0);
    g->addWidget(Text_case_combo, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Kerning")), r, 0);
    g->addWidget(Text_Kern_Text, r, 1);
    g->addWidget(Text_Kern_Stepper, r++, 2);
    layout->addLayout(g);
    layout->addStretch(1);

    connect(Text_border_chk, &QCheckBox::clicked, this, [this] { Text_Border_ChkBox(Text_border_chk); });
    connect(Text_fill_chk, &QCheckBox::clicked, this, [this] { Text_Fill_Chk_Box(Text_fill_chk); });
    connect(Text_solid_fill_rd, &QRadioButton::clicked, this, [this] { Text_Solid_RD_Sel(Text_solid_fill_rd); });
    connect(Text_gradient_fill_rd, &QRadioButton::clicked, this,
            [this] { Text_Gradient_RD_Sel(Text_gradient_fill_rd); });
    for (platform::ColorWell* w : {Text_bordr_clr, Text_fill_clr, Text_fill_Grd_1_clr, Text_fill_Grd_2_clr, Text_clr})
        connect(w, &platform::ColorWell::colorEdited, this, [this, w] { Set_TextControl_Clr(w); });
    panel::pair(Text_bor_Stepper, Text_bor_Text, this, act(&C::Text_Border_Changed));
    panel::pair(Text_grad_Stepper, Text_grad_Text, this, act(&C::Text_Gradient_Changed));
    panel::pair(Text_alpha_Stepper, Text_alpha_Text, this, act(&C::Text_Alpha_Changed));
    panel::pair(Text_Kern_Stepper, Text_Kern_Text, this, act(&C::Text_Kerning_Changed), true);
    connect(Text_font_btn, &QPushButton::clicked, this, [this] { Text_Font_Changed(Text_font_btn); });
    for (QComboBox* c : {Text_border_style, Text_align_combo, Text_case_combo, Text_Date_style, Text_Time_style})
        connect(c, &QComboBox::activated, this, [this, c] { comboBoxSelectionDidChange(c); });
}

// ---------------------------------------------------------------- loading

void QBXWindowController::Load_Text_Panel(const GraphicPtr& g)
{
    if (g->control_ID == QLatin1String("PARTY_TITLE")) {
        insert_template_btn->setText(QStringLiteral("Use Template Title"));
        insert_template_btn->show();
    } else if (g->control_ID == QLatin1String("PARTY_MSG")) {
        insert_template_btn->setText(QStringLiteral("Use Template Message"));
        insert_template_btn->show();
    } else {
        insert_template_btn->hide();
    }
    setPlainTextQuietly(Text_value_Edit, g->Text_contents().text);
    {
        const QSignalBlocker quiet(Text_value_Edit);
        Text_value_Edit->selectAll();
    }

    Text_border_chk->setChecked(g->_isDrawingStroke);
    Text_fill_chk->setChecked(g->_isDrawingFill);
    Text_bor_Stepper->setValue(int(g->_strokeWidth));
    panel::showInt(Text_bor_Text, Text_bor_Stepper->value());
    Text_bordr_clr->setColor(g->_strokeColor);
    if (const int at = panel::borderIndex(g->_stroke_border_type); at >= 0)
        panel::setIndex(Text_border_style, at);

    Text_fill_clr->setColor(g->_fillColor);
    const bool gradient = g->_fill_type == QLatin1String("G");
    Text_gradient_fill_rd->setChecked(gradient);
    Text_solid_fill_rd->setChecked(!gradient);
    Text_fill_Grd_1_clr->setColor(g->_fill_Grad_clr1);
    Text_fill_Grd_2_clr->setColor(g->_fill_Grad_clr2);
    Text_grad_Stepper->setValue(g->_fill_grad_angle);
    panel::showFloat(Text_grad_Text, Text_grad_Stepper->value());
    Text_alpha_Stepper->setValue(panel::percentOf(g->alpha_val));
    panel::showInt(Text_alpha_Text, Text_alpha_Stepper->intValue());

    SetObjEnabled(Text_Fill_Box, Text_fill_chk->isChecked());
    SetObjEnabled(Text_Border_Box, Text_border_chk->isChecked());
    if (gradient)
        Text_Gradient_RD_Sel(nullptr);
    else
        Text_Solid_RD_Sel(nullptr);

    Text_clr->setColor(g->txt_clr);
    Text_font = g->text_ctrl_font;
    panel::setIndex(Text_align_combo, g->text_alignmnet);
    panel::setIndex(Text_case_combo, g->text_transfrom_case);
    Text_Kern_Stepper->setValue(g->text_kerning);
    panel::showFloat(Text_Kern_Text, Text_Kern_Stepper->value());
    Text_font_value->setText(panel::fontLabel(Text_font));
}

// ---------------------------------------------------------------- write-back

void QBXWindowController::Update_Text_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    const GraphicList selected = panelSelection();
    if (selected.empty())
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    const bool stroke = Text_border_chk->isChecked();
    const bool fill = Text_fill_chk->isChecked();
    const QString border = panel::borderCode(Text_border_style->currentIndex());
    const bool one = selected.size() == 1;
    const QString text = Text_value_Edit->toPlainText();
    for (const GraphicPtr& g : selected) {
        // Locked graphics keep their look and text, as in every other panel.
        if (g->ctrl_is_locked)
            continue;
        g->print_object = print_object_chk->isChecked() ? 1 : 0;
        g->_isDrawingStroke = stroke;
        if (stroke) {
            g->_strokeColor = Text_bordr_clr->color();
            g->_strokeWidth = Text_bor_Stepper->intValue();
        }
        if (!border.isEmpty())
            g->_stroke_border_type = border;
        g->_isDrawingFill = fill;
        if (fill)
            g->_fillColor = Text_fill_clr->color();
        g->_fill_type = fill && Text_gradient_fill_rd->isChecked() ? QStringLiteral("G") : QStringLiteral("S");
        g->_fill_Grad_clr1 = Text_fill_Grd_1_clr->color();
        g->_fill_Grad_clr2 = Text_fill_Grd_2_clr->color();
        g->_fill_grad_angle = Text_grad_Stepper->value();
        g->txt_clr = Text_clr->color();
        g->text_ctrl_font = Text_font;
        if (one)
            g->Text_contents().text = text;
        g->alpha_val = float(Text_alpha_Stepper->value() / 100.0);
        // No selection stores 0, as the line tab does.
        g->text_alignmnet = std::max(0, Text_align_combo->currentIndex());
        g->text_transfrom_case = std::max(0, Text_case_combo->currentIndex());
        g->text_kerning = float(Text_Kern_Stepper->value());
        canvas->startEditingGraphic(g);
    }
    Refresh_Panel_Canvas();
}

// ---------------------------------------------------------------- property actions

void QBXWindowController::Text_Border_ChkBox(QObject*)
{
    SetObjEnabled(Text_Border_Box, Text_border_chk->isChecked());
    Update_Text_Graphics();
}

void QBXWindowController::Text_Border_Changed(QObject* sender)
{
    panel::echo(sender, Text_bor_Stepper, Text_bor_Text);
    Update_Text_Graphics();
}

void QBXWindowController::Text_Fill_Chk_Box(QObject*)
{
    SetObjEnabled(Text_Fill_Box, Text_fill_chk->isChecked());
    Update_Text_Graphics();
}

void QBXWindowController::Text_Gradient_Changed(QObject* sender)
{
    panel::echo(sender, Text_grad_Stepper, Text_grad_Text);
    Update_Text_Graphics();
}

// A null sender only sets the radios and their enabling (the loader's use).
void QBXWindowController::Text_Solid_RD_Sel(QObject* sender)
{
    Text_solid_fill_rd->setChecked(true);
    Text_gradient_fill_rd->setChecked(false);
    SetObjEnabled(Text_fill_clr, true);
    for (QObject* c : std::initializer_list<QObject*>{Text_fill_Grd_1_clr, Text_fill_Grd_2_clr, Text_grad_Text,
                                                     Text_grad_Stepper})
        SetObjEnabled(c, false);
    if (sender)
        Update_Text_Graphics();
}

void QBXWindowController::Text_Gradient_RD_Sel(QObject* sender)
{
    Text_gradient_fill_rd->setChecked(true);
    Text_solid_fill_rd->setChecked(false);
    SetObjEnabled(Text_fill_clr, false);
    for (QObject* c : std::initializer_list<QObject*>{Text_fill_Grd_1_clr, Text_fill_Grd_2_clr, Text_grad_Text,
                                                     Text_grad_Stepper})
        SetObjEnabled(c, true);
    if (sender)
        Update_Text_Graphics();
}

void QBXWindowController::Text_Alpha_Changed(QObject* sender)
{
    panel::echo(sender, Text_alpha_Stepper, Text_alpha_Text);
    Update_Text_Graphics();
}

void QBXWindowController::Text_Kerning_Changed(QObject* sender)
{
    panel::echo(sender, Text_Kern_Stepper, Text_Kern_Text, true);
    Update_Text_Graphics();
}

void QBXWindowController::Set_TextControl_Clr(QObject*)
{
    Update_Text_Graphics();
}

// ---------------------------------------------------------------- font

void QBXWindowController::Text_Font_Changed(QObject*)
{
    // The tab is written as the panel opens, whatever is then chosen.
    Update_Text_Graphics();
    if (const std::optional<QFont> chosen = platform::modal::chooseFont(Text_font, QStringLiteral("Font")))
        changeTextFont(*chosen);
}

void QBXWindowController::changeTextFont(const QFont& chosen)
{
    try {
        // Family, style and size; underline and strike-out are not text
        // attributes here.
        QFont font = chosen;
        font.setUnderline(false);
        font.setStrikeOut(false);
        Text_font = font;
        Text_font_value->setText(panel::fontLabel(Text_font));
        Update_Text_Graphics();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

// ---------------------------------------------------------------- text, date and time

std::function<QDateTime()>& QBXWindowController::panelClock()
{
    static std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    return clock;
}

namespace {

void insertAtCursor(QPlainTextEdit* view, const QString& value)
{
    QTextCursor cursor = view->textCursor();
    {
        const QSignalBlocker quiet(view);
        cursor.insertText(value);
    }
    view->setTextCursor(cursor);
}

} // namespace

void QBXWindowController::Text_Insert_Date(QObject*)
{
    const QString pattern = Trim_Str(Text_Date_style->currentText());
    if (pattern.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please select Date format."));
        return;
    }
    insertAtCursor(Text_value_Edit, platform::formatDate(panelClock()(), pattern));
    Update_Text_Graphics();
}

void QBXWindowController::Text_Insert_Time(QObject*)
{
    const QString pattern = Trim_Str(Text_Time_style->currentText());
    if (pattern.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please select Time format."));
        return;
    }
    insertAtCursor(Text_value_Edit, platform::formatDate(panelClock()(), pattern));
    Update_Text_Graphics();
}

void QBXWindowController::textDidChange()
{
    try {
        QString text = Text_value_Edit->toPlainText();
        bool changed = false;
        if (text.contains(kPlaceholder)) {
            text.remove(kPlaceholder);
            changed = true;
        }
        if (text.size() > kMaxTextLength) {
            // Never half of a surrogate pair.
            const int keep = text.at(kMaxTextLength - 1).isHighSurrogate() ? kMaxTextLength - 1 : kMaxTextLength;
            text.truncate(keep);
            changed = true;
        }
        if (changed) {
            setPlainTextQuietly(Text_value_Edit, text);
            QTextCursor end = Text_value_Edit->textCursor();
            end.movePosition(QTextCursor::End);
            Text_value_Edit->setTextCursor(end);
        }
        Update_Text_Graphics();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Insert_Template_Button(QObject*)
{
    Insert_Template* dialog = Insert_Template::defaultInstance();
    dialog->title_or_msg = insert_template_btn->text() == QLatin1String("Use Template Title") ? QStringLiteral("T")
                                                                                             : QStringLiteral("M");
    if (dialog->Open_Template_Dialog() != 1)
        return;
    setPlainTextQuietly(Text_value_Edit, Template_Msg_Val);
    Update_Text_Graphics();
}
