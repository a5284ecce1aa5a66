// The template-name window: a name for the design saved as a user template.
#include "wizards/Export_Template.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"
#include "wizards/Dialog_Window.h"
#include "wizards/Template_Store.h"
#include "wizards/WizardGlobals.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString export_template_name = QStringLiteral("");

Export_Template::Export_Template()
{
    window = wizards::Make_Dialog_Window(QStringLiteral("Export_Template_Window"), QStringLiteral("Export Template"));
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(QStringLiteral("Template name:")));
    template_name = new QLineEdit;
    template_name->setObjectName(QStringLiteral("template_name"));
    template_name->setMinimumWidth(280);
    template_passed = new QLineEdit;
    template_passed->setObjectName(QStringLiteral("template_passed"));
    template_passed->hide();
    layout->addWidget(template_name);
    layout->addWidget(template_passed);
    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelPressed"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKPressed"));
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &Export_Template::OKPressed);
    connect(cancel, &QPushButton::clicked, this, &Export_Template::CancelPressed);
}

Export_Template::~Export_Template()
{
    delete window;
}

void Export_Template::OKPressed()
{
    QString refusal;
    const std::optional<QString> name = template_store::Clean_Name(template_name->text(), &refusal);
    if (!name) {
        Show_MessageBox(refusal);
        return;
    }
    const QString old = Trim_Str(template_passed->text());
    const QString folder = template_store::User_Folder();
    if (old.isEmpty()) {
        if (template_store::Name_Taken(folder, *name)
            && !Show_YES_NO_MessageBox(
                QStringLiteral("Template with this name already exists, Do you want to replace the existing template?")))
            return;
    } else if (*name != old && template_store::Name_Taken(folder, *name)) {
        Show_MessageBox(QStringLiteral("Template with this name already exists."));
        return;
    }
    export_template_name = Remove_Reserve_Char_In_File_Name(*name);
    window->done(1);
}

void Export_Template::CancelPressed()
{
    template_name->clear();
    window->done(0);
}

int Run_Export_Template_Window(const QString& name, const QString& passed)
{
    Export_Template dialog;
    dialog.template_name->setText(name);
    dialog.template_passed->setText(passed);
    const int result = platform::modal::run(*dialog.window);
    dialog.window->hide();
    return result;
}
