#include "output/Send_Modeless.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

Send_Modeless* Send_Modeless::defaultInstance()
{
    static Send_Modeless* instance = new Send_Modeless;
    return instance;
}

Send_Modeless::Send_Modeless()
{
    setObjectName(QStringLiteral("Send_Modeless"));
    auto* layout = new QVBoxLayout(this);
    msg_lbl = new QLabel(this);
    progress = new QProgressBar(this);
    layout->addWidget(msg_lbl);
    layout->addWidget(progress);
}
