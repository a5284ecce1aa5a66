// The series dialogs' host: what the batch dialogs ask of the main window
// (in-use rule, export notice, long-message dialog, help texts), and the
// series viewer behind the property panel's view button.
#include "batch/BatchHost.h"
#include "batch/View_Data_Series.h"
#include "editor/Long_SMS_Dlg.h"
#include "editor/QBXWindowController.h"

namespace {

class Controller_Batch_Host : public BatchHost {
public:
    QBXWindowController* controller = nullptr;

    bool Check_Batch_File_In_Use_Validation(const QString& name) override
    {
        return controller && controller->Check_Batch_File_In_Use_Validation(name);
    }

    void Open_Export_File_Box(const QString& path, const QString& message) override
    {
        Export_File_Path.set(path);
        Export_File_Message.set(message);
        if (controller)
            controller->Open_Export_File_Box();
    }

    Long_Answer Open_Long_sms_Dialog(const QString& title, const QString& text, bool apply_chk_show) override
    {
        Long_SMS_Dlg* dialog = Long_SMS_Dlg::defaultInstance();
        dialog->title_val = title;
        dialog->msg_val_str = text;
        dialog->apply_chk_show = apply_chk_show;
        Long_Answer answer;
        answer.code = dialog->Open_Long_sms_Dialog();
        answer.apply_all = answer.code == 1 && Msg_Apply_All_Chk;
        // The question is cleared again so that help texts show their own.
        dialog->title_val.reset();
        dialog->msg_val_str.clear();
        dialog->apply_chk_show = false;
        return answer;
    }

    void Set_Custom_Msg(const QString& title, const QString& text) override
    {
        Custom_Msg_Title = title;
        Custom_Msg_Val = text;
    }
};

Controller_Batch_Host g_batchHost;

} // namespace

void QBXWindowController::Install_Series_Services()
{
    g_batchHost.controller = this;
    batch::setBatchHost(&g_batchHost);
    Open_Series_Viewer = [](const QString& name) {
        View_Data_Series* viewer = View_Data_Series::defaultInstance();
        viewer->file_name = name;
        viewer->Open_Wnd();
    };
}

void QBXWindowController::Remove_Series_Services()
{
    if (batch::batchHost() == &g_batchHost)
        batch::setBatchHost(nullptr);
    g_batchHost.controller = nullptr;
    Open_Series_Viewer = nullptr;
}
