#include "wizards/Grid_Wizard.h"

#include "platform/modal.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

Grid_Wizard::Grid_Wizard()
{
    setObjectName(QStringLiteral("Grid_Wizard"));
    setWindowTitle(QStringLiteral("Grid"));
    auto* layout = new QVBoxLayout(this);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(box);
}

Grid_Wizard* Grid_Wizard::defaultInstance()
{
    static Grid_Wizard* instance = new Grid_Wizard;
    return instance;
}

int Grid_Wizard::Open_Wnd()
{
    return platform::modal::run(*this);
}
