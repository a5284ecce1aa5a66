#include "output/Send_Modeless.h"

#include "app/AppHelpers.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

Send_Modeless* Send_Modeless::defaultInstance()
{
    static Send_Modeless* instance = new Send_Modeless;
    return instance;
}

Send_Modeless::Send_Modeless()
{
    setObjectName(QStringLiteral("Send_Modeless"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(241, 244, 250));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* layout = new QGridLayout(this);
    _tot_msg_cnt = new QLabel(this);
    _curr_msg_cnt = new QLabel(this);
    _Curr_Progress = new QProgressBar(this);
    pause_label = new QLabel(this);
    _stop_btn = new QPushButton(QStringLiteral("Stop"), this);
    layout->addWidget(new QLabel(QStringLiteral("Total:"), this), 0, 0);
    layout->addWidget(_tot_msg_cnt, 0, 1);
    layout->addWidget(_curr_msg_cnt, 1, 0, 1, 2);
    layout->addWidget(_Curr_Progress, 2, 0, 1, 2);
    layout->addWidget(pause_label, 3, 0, 1, 2);
    layout->addWidget(_stop_btn, 4, 1);
    connect(_stop_btn, &QPushButton::clicked, this, [this] { Stop_Sending_Pressed(); });
}

void Send_Modeless::Stop_Sending_Pressed()
{
    if (Show_YES_NO_MessageBox(QStringLiteral("Are you sure you want to continue?")))
        emit stopConfirmed();
}

void Send_Modeless::Prepare(int total, const QString& first_text)
{
    _stop_btn->setEnabled(true);
    _Curr_Progress->setRange(0, std::max(0, total));
    _Curr_Progress->setValue(0);
    _tot_msg_cnt->setText(QString::number(total));
    _curr_msg_cnt->setText(first_text);
    pause_label->clear();
}

QString Send_Modeless::Update_Progress(double current, int total)
{
    _Curr_Progress->setValue(int(current));
    const QString text = QStringLiteral("%1 / %2 ").arg(int(current)).arg(total);
    _curr_msg_cnt->setText(text);
    return text;
}
