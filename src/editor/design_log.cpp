// Design-log files: opening through the open panel and the reader, saving
// through the save panel and the writer, and the window title.
//
// The reader and the writer are installed by the design-log code; until one
// is installed, reading loads nothing (0) and writing writes nothing (false).
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/modal.h"

#include <QFileInfo>
#include <QMainWindow>
#include <exception>

QBXWindowController::Design_Log_Reader& QBXWindowController::designLogReader()
{
    static Design_Log_Reader reader;
    return reader;
}

QBXWindowController::Design_Log_Writer& QBXWindowController::designLogWriter()
{
    static Design_Log_Writer writer;
    return writer;
}

int QBXWindowController::Read_and_load_design_Log(const QString& path, const QString& log_or_template)
{
    const Design_Log_Reader& reader = designLogReader();
    if (!reader) {
        Show_NSLog_Message(QStringLiteral("No design log reader: ") + path);
        return 0;
    }
    return reader(path, log_or_template);
}

int QBXWindowController::Open_Log_File()
{
    try {
        const std::optional<QString> path =
            platform::modal::openFile(QStringLiteral("Open Design"), QString(), {design_file_EXT});
        if (!path || path->isEmpty())
            return 0;
        return Read_and_load_design_Log(*path, QStringLiteral("L")) == 1 ? 1 : 0;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

bool QBXWindowController::Save_project_file(bool save_as, bool show_msg)
{
    try {
        QString path = Project_File_Name;
        if (save_as || Trim_Str(path).isEmpty()) {
            const std::optional<QString> chosen = platform::modal::saveFile(
                QStringLiteral("Save Design"), QString(), QStringLiteral("Untitled"), design_file_EXT);
            if (!chosen || chosen->isEmpty())
                return false;
            path = *chosen;
        }
        const Design_Log_Writer& writer = designLogWriter();
        if (!writer || !writer(path)) {
            Show_NSLog_Message(QStringLiteral("Design log not written: ") + path);
            return false;
        }
        Project_File_Name = path;
        Set_Log_Name_In_Title();
        if (show_msg)
            Show_MessageBox(QStringLiteral("Greeting Card Design Log has been saved successfully."));
        return true;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return false;
    }
}

void QBXWindowController::Set_Log_Name_In_Title()
{
    if (!window)
        return;
    const QFileInfo file(Project_File_Name);
    if (!Project_File_Name.isEmpty() && file.exists())
        window->setWindowTitle(QStringLiteral("%1 ( %2 )").arg(App_Name, file.fileName()));
    else
        window->setWindowTitle(App_Name);
}
