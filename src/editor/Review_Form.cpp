#include "editor/Review_Form.h"

#include "app/AppHelpers.h"
#include "editor/Links.h"
#include "editor/QBXWindowController.h"
#include "editor/panel_controls.h"
#include "platform/modal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {

QString appName()
{
    return Main_App_wnd ? Main_App_wnd->App_Name : QString();
}

} // namespace

Review_Form* Review_Form::defaultInstance()
{
    static Review_Form* instance = new Review_Form;
    return instance;
}

Review_Form::Review_Form()
{
    setObjectName(QStringLiteral("Review_Window"));
    setWindowTitle(QStringLiteral("Review"));
    panel::applyDialogLook(this);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Thank you for using this program. Would you tell others what you think "
                                           "of it in a short review?"));
    text->setWordWrap(true);
    layout->addWidget(text);
    support_id = panel::linkButton(QStringLiteral("Mail support"), QStringLiteral("support_id"));
    website_1 = panel::linkButton(QStringLiteral("Website"), QStringLiteral("website_1"));
    layout->addWidget(support_id);
    layout->addWidget(website_1);
    auto* row = new QHBoxLayout;
    auto* review = new QPushButton(QStringLiteral("Write a Review"));
    review->setObjectName(QStringLiteral("review"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    row->addStretch();
    row->addWidget(review);
    row->addWidget(ok);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &Review_Form::OK_Clicked);
    connect(review, &QPushButton::clicked, this, &Review_Form::Review_Clicked);
    connect(support_id, &QPushButton::clicked, this,
            [] { links::open(links::commandLink(QStringLiteral("support_mail"), appName())); });
    connect(website_1, &QPushButton::clicked, this,
            [] { links::open(links::commandLink(QStringLiteral("website_1"), appName())); });
}

void Review_Form::showEvent(QShowEvent* event)
{
    const links::File file;
    panel::enableLink(support_id, file.commandLink(QStringLiteral("support_mail"), appName()));
    panel::enableLink(website_1, file.commandLink(QStringLiteral("website_1"), appName()));
    QDialog::showEvent(event);
}

void Review_Form::OK_Clicked()
{
    Open_Link(links::commandLink(QStringLiteral("review"), appName()).toString(QUrl::FullyEncoded));
    done(1);
}

void Review_Form::Review_Clicked()
{
    OK_Clicked();
}

void Review_Form::Open_Link(const QString& url)
{
    try {
        links::open(url);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

int Review_Form::Open_Review_Form_Window()
{
    try {
        const int code = platform::modal::run(*this);
        hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}
