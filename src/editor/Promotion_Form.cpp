#include "editor/Promotion_Form.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "editor/Links.h"
#include "editor/QBXWindowController.h"
#include "editor/panel_controls.h"
#include "platform/modal.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {

QString appName()
{
    return Main_App_wnd ? Main_App_wnd->App_Name : QString();
}

bool knownType(const QString& type)
{
    return type == QLatin1String("S") || type == QLatin1String("R") || type == QLatin1String("B");
}

using Command = void (QBXWindowController::*)(QObject*);

// A link button that runs a controller link command.
QPushButton* commandButton(QWidget* owner, const char* title, const char* name, Command command)
{
    QPushButton* b = panel::linkButton(QString::fromLatin1(title), QString::fromLatin1(name));
    QObject::connect(b, &QPushButton::clicked, owner, [command, b] {
        if (Main_App_wnd)
            (Main_App_wnd->*command)(b);
    });
    return b;
}

} // namespace

void Promotion_Pattern::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        const QImage pattern = Main_App_wnd ? Main_App_wnd->promotion_pattern_image : QImage();
        if (!pattern.isNull())
            p.fillRect(rect(), QBrush(pattern));
    }
    QLabel::paintEvent(event);
}

Promotion_Form* Promotion_Form::defaultInstance()
{
    static Promotion_Form* instance = new Promotion_Form;
    return instance;
}

Promotion_Form::Promotion_Form()
{
    setObjectName(QStringLiteral("Promotion_Window"));
    setWindowTitle(QStringLiteral("Cardwright Features"));
    panel::applyDialogLook(this);
    auto* layout = new QHBoxLayout(this);
    bundle_image = new Promotion_Pattern;
    bundle_image->setObjectName(QStringLiteral("bundle_image"));
    bundle_image->setFixedSize(260, 180);
    bundle_image->setAlignment(Qt::AlignCenter);
    layout->addWidget(bundle_image);
    auto* column = new QVBoxLayout;
    Software_title = new QLabel;
    Software_title->setObjectName(QStringLiteral("Software_title"));
    QFont bold = Software_title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 3);
    Software_title->setFont(bold);
    short_descp = new QLabel;
    short_descp->setObjectName(QStringLiteral("short_descp"));
    short_descp->setWordWrap(true);
    long_descp = new QLabel;
    long_descp->setObjectName(QStringLiteral("long_descp"));
    long_descp->setWordWrap(true);
    column->addWidget(Software_title);
    column->addWidget(short_descp);
    column->addWidget(long_descp);
    mail_btn = panel::linkButton(QStringLiteral("Mail me about it"), QStringLiteral("mail_btn"));
    contact_btn = panel::linkButton(QStringLiteral("Contact us"), QStringLiteral("contact_btn"));
    order_btn = panel::linkButton(QStringLiteral("Order"), QStringLiteral("order_btn"));
    video_btn = panel::linkButton(QStringLiteral("Watch the video"), QStringLiteral("video_btn"));
    support_id = commandButton(this, "Mail support", "support_id", &QBXWindowController::Open_Support_Mail);
    website_1 = commandButton(this, "Website", "website_1", &QBXWindowController::Open_Website_1);
    for (QPushButton* b : {mail_btn, contact_btn, order_btn, video_btn, support_id, website_1})
        column->addWidget(b);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    column->addWidget(buttons);
    layout->addLayout(column, 1);
    connect(mail_btn, &QPushButton::clicked, this, &Promotion_Form::Mail_Clicked);
    connect(contact_btn, &QPushButton::clicked, this, &Promotion_Form::Contact_us_Clicked);
    connect(order_btn, &QPushButton::clicked, this, &Promotion_Form::Order_Clicked);
    connect(video_btn, &QPushButton::clicked, this, &Promotion_Form::Video_Clicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &Promotion_Form::OK_Clicked);
}

QUrl Promotion_Form::productLink(const QString& command, const links::File& file) const
{
    if (!knownType(software_type))
        return {};
    return file.commandLink(command, appName(), software_type);
}

int Promotion_Form::Open_Promotion_Window()
{
    try {
        const bool known = knownType(software_type);
        const links::File file;
        auto text = [&](const char* key) {
            return known ? file.value(QString::fromLatin1(key), software_type) : QString();
        };
        const QString picture = text("Picture");
        bundle_image->setPixmap(picture.isEmpty() ? QPixmap()
                                                  : QPixmap::fromImage(QImage(Resource_Path + QLatin1Char('/') + picture)));
        Software_title->setText(text("Title"));
        short_descp->setText(text("Short"));
        long_descp->setText(text("Long"));
        panel::enableLink(mail_btn, productLink(QStringLiteral("mail"), file));
        panel::enableLink(contact_btn, productLink(QStringLiteral("contact"), file));
        panel::enableLink(order_btn, productLink(QStringLiteral("order"), file));
        panel::enableLink(video_btn, file.commandLink(QStringLiteral("video"), appName()));
        panel::enableLink(support_id, file.commandLink(QStringLiteral("support_mail"), appName()));
        panel::enableLink(website_1, file.commandLink(QStringLiteral("website_1"), appName()));
        const int code = platform::modal::run(*this);
        hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Promotion_Form::Mail_Clicked()
{
    Open_Link(productLink(QStringLiteral("mail")));
}

void Promotion_Form::Contact_us_Clicked()
{
    Open_Link(productLink(QStringLiteral("contact")));
}

void Promotion_Form::Order_Clicked()
{
    Open_Link(productLink(QStringLiteral("order")));
}

void Promotion_Form::Video_Clicked()
{
    Open_Link(links::commandLink(QStringLiteral("video"), appName()));
}

void Promotion_Form::Open_Link(const QUrl& url)
{
    try {
        links::open(url);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

Share_It_Dlg::Share_It_Dlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Share_It_Dlg"));
    setWindowTitle(QStringLiteral("Share"));
    panel::applyDialogLook(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(commandButton(this, "Share on Facebook", "facebook_share", &QBXWindowController::Open_Facebook_Share));
    layout->addWidget(commandButton(this, "Share on Twitter", "twitter_share", &QBXWindowController::Open_Twitter_Share));
    layout->addWidget(commandButton(this, "Share on LinkedIn", "linkedin_share", &QBXWindowController::Open_Linkedin_Share));
    layout->addWidget(commandButton(this, "Like us", "like", &QBXWindowController::Open_Facebook_Like));
    auto* go = new QPushButton(QStringLiteral("Share"));
    go->setObjectName(QStringLiteral("Go_Share_It"));
    layout->addWidget(go);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(go, &QPushButton::clicked, this, &Share_It_Dlg::Go_Share_It_Pressed);
    connect(buttons, &QDialogButtonBox::accepted, this, &Share_It_Dlg::OK_Pressed);
}
