#pragma once
// What the series dialogs ask of the main window, without depending on the
// editor: the in-use rule against the open design, the export notice, the
// long-message dialog and the help-text globals. The controller installs
// itself at start-up; without a host a series is never in use, the notice
// and the help texts are skipped and a long question is answered No.
#include <QString>

class BatchHost {
public:
    virtual ~BatchHost() = default;

    // True when a graphic of the design is bound to the series.
    virtual bool Check_Batch_File_In_Use_Validation(const QString& name) = 0;
    // The export notice for a written file or folder and its message.
    virtual void Open_Export_File_Box(const QString& path, const QString& message) = 0;

    struct Long_Answer {
        int code = 0;           // 1 OK, 0 the other button
        bool apply_all = false; // the apply-to-all box on OK
    };
    // The long-message dialog with a question title and text; the
    // apply-to-all box shows when apply_chk_show is set.
    virtual Long_Answer Open_Long_sms_Dialog(const QString& title, const QString& text, bool apply_chk_show) = 0;
    // Stores the help title and text other dialogs show.
    virtual void Set_Custom_Msg(const QString& title, const QString& text) = 0;
};

namespace batch {
BatchHost* batchHost();
void setBatchHost(BatchHost* host);
} // namespace batch
