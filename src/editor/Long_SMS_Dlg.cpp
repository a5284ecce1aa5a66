#include "editor/Long_SMS_Dlg.h"

#include "editor/QBXWindowController.h"
#include "platform/modal.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Long_SMS_Dlg* Long_SMS_Dlg::defaultInstance()
{
    static Long_SMS_Dlg* instance = new Long_SMS_Dlg;
    return instance;
}

Long_SMS_Dlg::Long_SMS_Dlg()
    : QObject(nullptr) // lives for the whole process
{
    window = new QDialog;
    window->setObjectName(QStringLiteral("Long_SMS_Dlg"));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(241, 244, 250));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(window);
    _Msg_Title = new QLabel;
    QFont bold = _Msg_Title->font();
    bold.setBold(true);
    _Msg_Title->setFont(bold);
    _Msg_Val = new QLabel;
    _Msg_Val->setWordWrap(true);
    apply_chk = new QCheckBox(QStringLiteral("Apply to all"));
    yes_button = new QPushButton(QStringLiteral("OK"));
    yes_button->setObjectName(QStringLiteral("yes"));
    no_button = new QPushButton(QStringLiteral("No"));
    no_button->setObjectName(QStringLiteral("no"));
    no_button->setAutoDefault(false);
    layout->addWidget(_Msg_Title);
    layout->addWidget(_Msg_Val);
    layout->addWidget(apply_chk);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(yes_button);
    row->addWidget(no_button);
    layout->addLayout(row);
    connect(yes_button, &QPushButton::clicked, this, &Long_SMS_Dlg::OKPressed);
    connect(no_button, &QPushButton::clicked, this, &Long_SMS_Dlg::CancelPressed);
}

int Long_SMS_Dlg::Open_Long_sms_Dialog()
{
    // No title, or an empty one, shows the help texts.
    if (title_val && !title_val->isEmpty()) {
        _Msg_Title->setText(*title_val);
        _Msg_Val->setText(msg_val_str);
        no_button->setVisible(true);
    } else {
        _Msg_Title->setText(Cutom_Msg_Title);
        _Msg_Val->setText(Cutom_Msg_Val);
        no_button->setVisible(false);
    }
    apply_chk->setVisible(apply_chk_show);
    const int code = platform::modal::run(*window);
    window->hide();
    return code;
}

void Long_SMS_Dlg::OKPressed()
{
    Msg_Apply_All_Chk = apply_chk->isChecked();
    window->done(1);
}

void Long_SMS_Dlg::CancelPressed()
{
    window->done(0);
}
