#include "editor/Help_Support.h"

#include "app/AppHelpers.h"
#include "editor/Links.h"
#include "editor/QBXWindowController.h"
#include "editor/panel_controls.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The commands behind the link buttons, as the controller opens them.
using Command = void (QBXWindowController::*)(QObject*);

} // namespace

Help_Support::Help_Support(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Help"));
    panel::applyDialogLook(this);
    auto* layout = new QVBoxLayout(this);
    _Help_File_Label = panel::linkButton(QStringLiteral("Open the help file"), QStringLiteral("_Help_File_Label"));
    layout->addWidget(_Help_File_Label);
    connect(_Help_File_Label, &QPushButton::clicked, this, &Help_Support::HelpFilePressed);

    const struct {
        QPushButton* Help_Support::*field;
        const char* name;
        const char* title;
        Command command;
    } links[] = {
        {&Help_Support::support_id, "support_id", "Mail support", &QBXWindowController::Open_Support_Mail},
        {&Help_Support::support_id_2, "support_id_2", "Support pages", &QBXWindowController::Open_Website_2},
        {&Help_Support::website_1, "website_1", "Website", &QBXWindowController::Open_Website_1},
        {&Help_Support::reseller_1, "reseller_1", "Become a reseller", &QBXWindowController::Open_Reseller_Mail},
        {&Help_Support::reseller_2, "reseller_2", "Reseller pages", &QBXWindowController::Open_Website_3},
        {nullptr, "facebook_share", "Share on Facebook", &QBXWindowController::Open_Facebook_Share},
        {nullptr, "twitter_share", "Share on Twitter", &QBXWindowController::Open_Twitter_Share},
        {nullptr, "linkedin_share", "Share on LinkedIn", &QBXWindowController::Open_Linkedin_Share},
        {nullptr, "like", "Like us", &QBXWindowController::Open_Facebook_Like},
    };
    for (const auto& link : links) {
        QPushButton* b = panel::linkButton(QString::fromLatin1(link.title), QString::fromLatin1(link.name));
        if (link.field)
            this->*link.field = b;
        layout->addWidget(b);
        const Command command = link.command;
        connect(b, &QPushButton::clicked, this, [command, b] {
            if (Main_App_wnd)
                (Main_App_wnd->*command)(b);
        });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(1); });
    layout->addWidget(buttons);
}

void Help_Support::HelpFilePressed()
{
    Open_Help_File();
}

void Help_Support::showEvent(QShowEvent* event)
{
    refreshLinks();
    QDialog::showEvent(event);
}

void Help_Support::refreshLinks()
{
    // Every link button is named after its command.
    const QString app = Main_App_wnd ? Main_App_wnd->App_Name : QString();
    const std::pair<const char*, const char*> commands[] = {
        {"support_id", "support_mail"}, {"support_id_2", "website_2"},         {"website_1", "website_1"},
        {"reseller_1", "reseller_mail"}, {"reseller_2", "website_3"},          {"facebook_share", "facebook_share"},
        {"twitter_share", "twitter_share"}, {"linkedin_share", "linkedin_share"}, {"like", "like"}};
    const links::File file;
    for (const auto& [name, command] : commands) {
        if (auto* b = findChild<QPushButton*>(QString::fromLatin1(name)))
            panel::enableLink(b, file.commandLink(QString::fromLatin1(command), app));
    }
}
