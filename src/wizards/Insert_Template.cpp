#include "wizards/Insert_Template.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"
#include "wizards/WizardGlobals.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {
Insert_Template* g_instance = nullptr;
}

Insert_Template::Insert_Template()
{
    if (!g_instance)
        g_instance = this;
    window = new QDialog;
    window->setObjectName(QStringLiteral("Insert_Template"));
    window->setWindowTitle(QStringLiteral("Insert Template"));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(241.0f / 255, 244.0f / 255, 250.0f / 255, 1.0f));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(window);
    auto* row = new QHBoxLayout;
    back_btn = new QPushButton(QStringLiteral("<"));
    msg_value = new QLineEdit;
    msg_value->setMinimumWidth(360);
    next_btn = new QPushButton(QStringLiteral(">"));
    row->addWidget(back_btn);
    row->addWidget(msg_value, 1);
    row->addWidget(next_btn);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_btn = new QPushButton(QStringLiteral("OK"));
    cancel_btn = new QPushButton(QStringLiteral("Cancel"));
    buttons->addWidget(ok_btn);
    buttons->addWidget(cancel_btn);
    layout->addLayout(buttons);
    for (QPushButton* b : {back_btn, next_btn, ok_btn, cancel_btn})
        b->setAutoDefault(false);
    QObject::connect(back_btn, &QPushButton::clicked, window, [this] { Msg_Back_Click(); });
    QObject::connect(next_btn, &QPushButton::clicked, window, [this] { Msg_Next_Click(); });
    QObject::connect(ok_btn, &QPushButton::clicked, window, [this] { OKPressed(); });
    QObject::connect(cancel_btn, &QPushButton::clicked, window, [this] { CancelPressed(); });
    // Closing the window is Cancel.
    QObject::connect(window, &QDialog::rejected, window, [] { Template_Msg_Val = QStringLiteral(""); });
}

Insert_Template::~Insert_Template()
{
    if (g_instance == this)
        g_instance = nullptr;
    delete window;
}

Insert_Template* Insert_Template::defaultInstance()
{
    if (!g_instance)
        new Insert_Template; // lives for the whole process
    return g_instance;
}

int Insert_Template::Open_Template_Dialog()
{
    try {
        Template_Msg_Val = QStringLiteral("");
        title_index = 0;
        message_index = 0;
        Load_Msg_And_Title();
        msg_value->setText(titles() ? Get_Title() : Get_Message());
        const int code = platform::modal::run(*window);
        window->hide();
        return code;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

void Insert_Template::Msg_Back_Click()
{
    msg_value->setText(titles() ? Title_Back() : Msg_Back());
}

void Insert_Template::Msg_Next_Click()
{
    msg_value->setText(titles() ? Title_Next() : Msg_Next());
}

void Insert_Template::OKPressed()
{
    Template_Msg_Val = Trim_Str(msg_value->text());
    if (!Template_Msg_Val.isEmpty()) {
        window->done(1);
        return;
    }
    Show_MessageBox(QStringLiteral("Please select message."));
    msg_value->setFocus();
}

void Insert_Template::CancelPressed()
{
    Template_Msg_Val = QStringLiteral("");
    window->done(0);
}
