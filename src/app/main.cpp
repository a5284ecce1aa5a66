#include "app/EditorStart.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cardwright"));
    return Start_Editor();
}
