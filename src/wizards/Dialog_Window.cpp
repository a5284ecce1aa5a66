#include "wizards/Dialog_Window.h"

namespace wizards {

void Set_Dialog_Look(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(241, 244, 250));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QDialog* Make_Dialog_Window(const QString& objectName, const QString& title)
{
    auto* window = new QDialog;
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    Set_Dialog_Look(window);
    return window;
}

} // namespace wizards
