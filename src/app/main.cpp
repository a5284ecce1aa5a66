#include "app/AppHelpers.h"
#include "app/EditorStart.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    if (!Prepare_Resource_Folder())
        return 1;
    Check_Path_And_Create_Files();
    return Start_Editor();
}
