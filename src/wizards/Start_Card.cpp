#include "wizards/Start_Card.h"

#include "app/AppHelpers.h"
#include "platform/process_end.h"
#include "wizards/WizardGlobals.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

Start_Card::Start_Card()
{
    window = new QDialog;
    window->setObjectName(QStringLiteral("Start_Card"));
    auto* layout = new QVBoxLayout(window);
    auto* templ = new QPushButton(QStringLiteral("Use a template"));
    auto* wizard = new QPushButton(QStringLiteral("New card"));
    auto* open = new QPushButton(QStringLiteral("Open design"));
    auto* help = new QPushButton(QStringLiteral("Help"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    for (QPushButton* b : {templ, wizard, open, help, cancel}) {
        b->setAutoDefault(false);
        layout->addWidget(b);
    }
    QObject::connect(templ, &QPushButton::clicked, window, [this] { Using_Template_Click(); });
    QObject::connect(wizard, &QPushButton::clicked, window, [this] { Using_Wizard_Click(); });
    QObject::connect(open, &QPushButton::clicked, window, [this] { Open_Log_Click(); });
    QObject::connect(help, &QPushButton::clicked, window, [this] { HelpClick(); });
    QObject::connect(cancel, &QPushButton::clicked, window, [this] { CancelClick(); });
}

Start_Card::~Start_Card()
{
    delete window;
}

void Start_Card::Using_Template_Click()
{
    Select_card_option(0);
}

void Start_Card::Using_Wizard_Click()
{
    Select_card_option(1);
}

void Start_Card::Open_Log_Click()
{
    Select_card_option(2);
}

void Start_Card::Select_card_option(int option)
{
    static const QString codes[] = {QStringLiteral("T"), QStringLiteral("W"), QStringLiteral("L")};
    if (option >= 0 && option <= 2)
        Start_Card_Option = codes[option];
    OK_Click();
}

void Start_Card::OK_Click()
{
    window->done(1);
}

void Start_Card::CancelClick()
{
    Start_Card_Option = QStringLiteral("");
    window->done(0);
    platform::endProcess(0);
}

void Start_Card::HelpClick()
{
    Open_Help_File();
}
