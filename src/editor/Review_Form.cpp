#include "editor/Review_Form.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <exception>

Review_Form* Review_Form::defaultInstance()
{
    static Review_Form* instance = new Review_Form;
    return instance;
}

Review_Form::Review_Form()
{
    setObjectName(QStringLiteral("Review_Window"));
    setWindowTitle(QStringLiteral("Review"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { done(1); });
    layout->addWidget(buttons);
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
