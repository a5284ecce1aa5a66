// The signature panel: loaded from a signature or fingerprint graphic and
// written back into the selected ones.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "editor/panel_controls.h"
#include "platform/color_well.h"
#include "platform/modal.h"
#include "platform/stepper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

void QBXWindowController::buildSignTab(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    Sign_image_path = new QLineEdit;
    Sign_image_path->setObjectName(QStringLiteral("Sign_image_path"));
    Sign_image_path->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QStringLiteral("Sign_Browse_Btn"));
    layout->addWidget(new QLabel(QStringLiteral("Picture (PNG)")));
    layout->addWidget(Sign_image_path);
    layout->addWidget(browse);
    Sign_border_chk = new QCheckBox(QStringLiteral("Border"));
    Sign_border_chk->setObjectName(QStringLiteral("Sign_border_chk"));
    layout->addWidget(Sign_border_chk);
    Sign_Border_Box = new QGroupBox;
    Sign_Border_Box->setObjectName(QStringLiteral("Sign_Border_Box"));
    {
        auto* g = new QGridLayout(Sign_Border_Box);
        Sign_bordr_clr = panel::well(QStringLiteral("Sign_bordr_clr"));
        Sign_bor_Stepper = panel::stepper(QStringLiteral("Sign_bor_Stepper"), 1, 50);
        Sign_bor_Text = panel::field(QStringLiteral("Sign_bor_Text"));
        Sign_border_style = panel::combo(panel::borderStyleItems(), QStringLiteral("Sign_border_style"));
        g->addWidget(new QLabel(QStringLiteral("Colour")), 0, 0);
        g->addWidget(Sign_bordr_clr, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
        g->addWidget(Sign_bor_Text, 1, 1);
        g->addWidget(Sign_bor_Stepper, 1, 2);
        g->addWidget(new QLabel(QStringLiteral("Style")), 2, 0);
        g->addWidget(Sign_border_style, 2, 1, 1, 2);
    }
    layout->addWidget(Sign_Border_Box);
    layout->addStretch(1);

    connect(browse, &QPushButton::clicked, this, [this, browse] { Sign_Browse_Btn(browse); });
    connect(Sign_border_chk, &QCheckBox::clicked, this, [this] { Sign_Border_ChkBox(Sign_border_chk); });
    connect(Sign_bordr_clr, &platform::ColorWell::colorEdited, this, [this] { Set_SignControl_Clr(Sign_bordr_clr); });
    panel::pair(Sign_bor_Stepper, Sign_bor_Text, this, [this](QObject* s) { Sign_Border_Changed(s); });
}

void QBXWindowController::Load_Sign_Panel(const GraphicPtr& g)
{
    // The path shown is the shown graphic's own file.
    panel::setText(Sign_image_path, g->_file_path);
    Sign_border_chk->setChecked(g->_isDrawingStroke);
    Sign_bordr_clr->setColor(g->_strokeColor);
    Sign_bor_Stepper->setValue(int(g->_strokeWidth));
    panel::showInt(Sign_bor_Text, Sign_bor_Stepper->value());
    if (const int at = panel::borderIndex(g->_stroke_border_type); at >= 0)
        panel::setIndex(Sign_border_style, at);
    SetObjEnabled(Sign_Border_Box, Sign_border_chk->isChecked());
}

void QBXWindowController::Update_Sign_Graphics()
{
    Write_Picture_Graphics(Sign_border_chk, Sign_bordr_clr, Sign_bor_Stepper, Sign_border_style, Sign_image_path);
}

void QBXWindowController::Sign_Browse_Btn(QObject*)
{
    const std::optional<QString> chosen = platform::modal::openFile(
        QStringLiteral("Choose a signature picture"), QString(), {QStringLiteral("png"), QStringLiteral("PNG")});
    if (!chosen || chosen->isEmpty() || !Check_Picture_File(*chosen))
        return;
    panel::setText(Sign_image_path, *chosen);
    Update_Sign_Graphics();
    Read_Shown_Pictures();
}

void QBXWindowController::Sign_Border_ChkBox(QObject*)
{
    SetObjEnabled(Sign_Border_Box, Sign_border_chk->isChecked());
    Update_Sign_Graphics();
}

void QBXWindowController::Sign_Border_Changed(QObject* sender)
{
    panel::echo(sender, Sign_bor_Stepper, Sign_bor_Text);
    Update_Sign_Graphics();
}

void QBXWindowController::Set_SignControl_Clr(QObject*)
{
    Update_Sign_Graphics();
}
