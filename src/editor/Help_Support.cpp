#include "editor/Help_Support.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

Help_Support::Help_Support(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Help"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(1); });
    layout->addWidget(buttons);
}
