// The template-name window: a name for the design saved as a user template.
#include "wizards/WizardGlobals.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

QString export_template_name = QStringLiteral("");

int Run_Export_Template_Window()
{
    QDialog window;
    window.setObjectName(QStringLiteral("Export_Template_Window"));
    window.setWindowTitle(QStringLiteral("Export Template"));
    auto* layout = new QVBoxLayout(&window);
    auto* template_name = new QLineEdit;
    template_name->setObjectName(QStringLiteral("template_name"));
    auto* template_passed = new QLineEdit;
    template_passed->setObjectName(QStringLiteral("template_passed"));
    template_passed->hide();
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(template_name);
    layout->addWidget(template_passed);
    layout->addWidget(box);
    const int result = platform::modal::run(window);
    if (result == 1)
        export_template_name = Trim_Str(template_name->text());
    return result;
}
