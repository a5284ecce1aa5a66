// The design log writer as far as the template export needs it: the header
// and each side's graphic archives in an XML property list, written
// atomically. The full record (card sides, binding data) comes with the
// design-log work.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "platform/plist.h"

#include <QFileInfo>
#include <QMainWindow>

bool QBXWindowController::Save_project_file(bool, bool show_msg)
{
    platform::Plist root = platform::Plist::dict();
    root.insert(QStringLiteral("Header"), platform::Plist::string(QStringLiteral("VELTCARDPROJECTHEADER")));
    for (const auto& [key, list] : {std::pair{QStringLiteral("Front"), Get_Front_Controls_Array()},
                                    std::pair{QStringLiteral("Back"), Get_Back_Controls_Array()}}) {
        platform::Plist side = platform::Plist::array();
        for (const GraphicPtr& g : list)
            side.append(platform::Plist::data(QBXGraphic::archivedDataWithGraphic(*g)));
        root.insert(key, side);
    }
    QString error;
    const bool ok = platform::writePlistFile(Project_File_Name, root, platform::Plist::Format::Xml, &error);
    if (!ok)
        Show_NSLog_Message(error);
    if (ok && show_msg)
        Show_MessageBox(QStringLiteral("File saved successfully."));
    return ok;
}

void QBXWindowController::Set_Log_Name_In_Title()
{
    if (window)
        window->setWindowTitle(Project_File_Name.isEmpty() ? App_Name : QFileInfo(Project_File_Name).fileName());
}
