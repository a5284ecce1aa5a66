#include "wizards/Grid_Wizard.h"

#include "platform/modal.h"
#include "wizards/Dialog_Window.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

Grid_Wizard::Grid_Wizard()
{
    setObjectName(QStringLiteral("Grid_Wizard"));
    setWindowTitle(QStringLiteral("Grid"));
    wizards::Set_Dialog_Look(this);
    auto* layout = new QVBoxLayout(this);
    m_controls = new QVBoxLayout;
    layout->addLayout(m_controls);
    layout->addStretch(1);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(box->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, &Grid_Wizard::OK_Btn_Clicked);
    connect(box->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &Grid_Wizard::Cancel_Btn_Clicked);
    layout->addWidget(box);
}

Grid_Wizard* Grid_Wizard::defaultInstance()
{
    static Grid_Wizard* instance = new Grid_Wizard;
    return instance;
}

int Grid_Wizard::Open_Wnd()
{
    const int code = platform::modal::run(*this);
    hide();
    return code;
}

void Grid_Wizard::Hold_Controls(QWidget* show_check, QWidget* options_box)
{
    for (QWidget* old : {m_check.data(), m_box.data()}) {
        if (old && old != show_check && old != options_box)
            delete old;
    }
    m_check = show_check;
    m_box = options_box;
    for (QWidget* w : {show_check, options_box}) {
        if (w)
            m_controls->addWidget(w);
    }
}
