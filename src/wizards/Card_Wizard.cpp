#include "wizards/Card_Wizard.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/modal.h"
#include "wizards/Dialog_Window.h"
#include "platform/stepper.h"
#include "wizards/Card_Size_List.h"
#include "wizards/EditorHost.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <exception>

namespace {
Card_Wizard* g_wizard = nullptr;
}

Card_Wizard::Card_Wizard()
{
    if (!g_wizard)
        g_wizard = this;
    buildWindow();
}

Card_Wizard::~Card_Wizard()
{
    if (g_wizard == this)
        g_wizard = nullptr;
    delete window;
}

Card_Wizard* Card_Wizard::defaultInstance()
{
    if (!g_wizard)
        new Card_Wizard; // lives for the whole process
    return g_wizard;
}

void Card_Wizard::buildWindow()
{
    window = wizards::Make_Dialog_Window(QStringLiteral("Card_Wizard"), QStringLiteral("Card Size"));

    auto* outer = new QVBoxLayout(window);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    int row = 0;
    card_name = new QLineEdit;
    card_name->setObjectName(QStringLiteral("card_name"));
    grid->addWidget(new QLabel(QStringLiteral("Card name:")), row, 0);
    grid->addWidget(card_name, row++, 1, 1, 2);
    Sides_ComboBox = new QComboBox;
    Sides_ComboBox->setObjectName(QStringLiteral("Sides_ComboBox"));
    Sides_ComboBox->addItems({QStringLiteral("Two Sides"), QStringLiteral("One Side")});
    grid->addWidget(new QLabel(QStringLiteral("Sides:")), row, 0);
    grid->addWidget(Sides_ComboBox, row++, 1, 1, 2);
    size_list = new Card_Size_List(window, grid, row);
    row += 5;
    matrix_card_shape = new QButtonGroup(window);
    auto* shapes = new QHBoxLayout;
    const QStringList names{QStringLiteral("Rectangle"), QStringLiteral("Rounded Rectangle"), QStringLiteral("Ellipse")};
    for (int i = 0; i < names.size(); ++i) {
        auto* radio = new QRadioButton(names.at(i));
        radio->setObjectName(QStringLiteral("shape_%1").arg(i));
        matrix_card_shape->addButton(radio, i);
        shapes->addWidget(radio);
    }
    matrix_card_shape->button(0)->setChecked(true);
    grid->addWidget(new QLabel(QStringLiteral("Outline:")), row, 0);
    grid->addLayout(shapes, row++, 1, 1, 2);

    auto* buttons = new QHBoxLayout;
    auto* profile = new QPushButton(QStringLiteral("User Profile..."));
    profile->setObjectName(QStringLiteral("User_Profile_Click"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelClick"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK_Click"));
    for (QPushButton* b : {profile, cancel, ok})
        b->setAutoDefault(false);
    buttons->addWidget(profile);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    outer->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, wizards::Guarded(this, &Card_Wizard::OK_Click));
    connect(cancel, &QPushButton::clicked, this, wizards::Guarded(this, &Card_Wizard::CancelClick));
    connect(profile, &QPushButton::clicked, this, wizards::Guarded(this, &Card_Wizard::User_Profile_Click));
    connect(matrix_card_shape, &QButtonGroup::idClicked, this, wizards::Guarded(this, &Card_Wizard::card_shape_CellClick));
    {
        const QSignalBlocker block(Sides_ComboBox);
        Sides_ComboBox->setCurrentIndex(-1);
    }
}

int Card_Wizard::Open_Wnd()
{
    try {
        shape_at_opening = Card_Shape.load();
        profile_filled = false;
        {
            // The display only: Card_Shape keeps its value.
            const QSignalBlocker block(matrix_card_shape);
            matrix_card_shape->button(0)->setChecked(true);
        }
        Sides_ComboBox->setCurrentIndex(0);
        size_list->Select_First_Items();
        const int code = platform::modal::run(*window);
        window->hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Card_Wizard::OK_Click()
{
    const float width = float(size_list->width_Stepper->value());
    const float height = float(size_list->height_Stepper->value());
    if (EditorHost* host = wizards::editorHost())
        host->SetDocumentCanvasSize(
            QSizeF(EditorHost::MM_to_Points_Convert(width), EditorHost::MM_to_Points_Convert(height)));
    window->done(1);
}

void Card_Wizard::CancelClick()
{
    // The outline of an open design stays as it was.
    Card_Shape = shape_at_opening;
    window->done(0);
}

void Card_Wizard::card_shape_CellClick()
{
    Card_Shape = matrix_card_shape->checkedId();
}

void Card_Wizard::User_Profile_Click()
{
    if (EditorHost* host = wizards::editorHost()) {
        if (host->Open_User_Profile_Window(0, QStringLiteral("")) == 1)
            profile_filled = true;
    }
}
