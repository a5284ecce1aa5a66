#include "app/EditorStart.h"
#include "platform/picture_decode.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cardwright"));
    platform::setPictureAllocationLimit();
    return Start_Editor();
}
