// The maker's links of the main window and the Help menu: each command opens
// its link from Links.plist through the desktop; an empty link opens
// nothing.
#include "editor/QBXWindowController.h"

#include "editor/Links.h"
#include "editor/Promotion_Form.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

void openCommand(const QBXWindowController& c, const char* command)
{
    links::open(links::commandLink(QString::fromLatin1(command), c.App_Name));
}

} // namespace

void QBXWindowController::Open_Support_Mail(QObject*) { openCommand(*this, "support_mail"); }
void QBXWindowController::Open_Reseller_Mail(QObject*) { openCommand(*this, "reseller_mail"); }
void QBXWindowController::Open_Website_1(QObject*) { openCommand(*this, "website_1"); }
void QBXWindowController::Open_Website_2(QObject*) { openCommand(*this, "website_2"); }
void QBXWindowController::Open_Website_3(QObject*) { openCommand(*this, "website_3"); }
void QBXWindowController::Open_Facebook_Share(QObject*) { openCommand(*this, "facebook_share"); }
void QBXWindowController::Open_Twitter_Share(QObject*) { openCommand(*this, "twitter_share"); }
void QBXWindowController::Open_Linkedin_Share(QObject*) { openCommand(*this, "linkedin_share"); }
void QBXWindowController::Open_Facebook_Like(QObject*) { openCommand(*this, "like"); }

void QBXWindowController::Open_Promotion(const QString& type)
{
    Promotion_Form* form = Promotion_Form::defaultInstance();
    form->software_type = type;
    form->Open_Promotion_Window();
}

void QBXWindowController::buildHelpMenu()
{
    helpMenu = window->menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addAction(QStringLiteral("Cardwright Help"), this, [this] { Help_Button(); });
    helpMenu->addSeparator();
    const std::pair<const char*, const char*> promotions[] = {
        {"Series and Spreadsheets...", "S"}, {"Printing Sheets of Cards...", "R"}, {"Barcodes on Cards...", "B"}};
    for (const auto& [title, type] : promotions) {
        const QString code = QString::fromLatin1(type);
        QAction* a = helpMenu->addAction(QString::fromLatin1(title), this, [this, code] { Open_Promotion(code); });
        a->setObjectName(QStringLiteral("promotion_") + code);
    }
    helpMenu->addSeparator();
    helpMenu->addAction(QStringLiteral("Website"), this, [this] { Open_Website_1(); });
    helpMenu->addAction(QStringLiteral("Mail Support"), this, [this] { Open_Support_Mail(); });
    // Links that cannot be opened are greyed each time the menu opens.
    connect(helpMenu, &QMenu::aboutToShow, this, [this] {
        const QList<QAction*> actions = helpMenu->actions();
        const links::File file;
        actions.at(actions.size() - 2)->setEnabled(links::usable(file.commandLink(QStringLiteral("website_1"), App_Name)));
        actions.last()->setEnabled(links::usable(file.commandLink(QStringLiteral("support_mail"), App_Name)));
    });
}
