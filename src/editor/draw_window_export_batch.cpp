// The batch export's side in the editor: the run's snapshots taken on the
// main thread before it starts, its progress sheet and its end box. A
// main-thread timer shows the progress, and the first card done shows it at
// once rather than at the timer's first tick; the last worker to end queues
// the end, which runs on the main thread and joins the workers.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "output/Send_Modeless.h"
#include "output/export_batch_run.h"
#include "platform/thread_handoff.h"
#include "platform/threads.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>

bool QBXWindowController::Export_Run_Active() const
{
    return m_exportRun != nullptr;
}

void QBXWindowController::Export_Batch_File(const QString& folder)
{
    if (m_exportRun)
        return;
    QString refused;
    if (!platform::keepImagePoolReady(&refused)) {
        Show_MessageBox(refused);
        return;
    }
    Card_Value_In_Process = true;
    Stop_SMS_Sending_Now = 0;
    const QString run_folder = card_export::Create_Run_Folder(folder);
    if (run_folder.isEmpty()) {
        Show_MessageBox(unable_saving_Msg);
        Card_Value_In_Process = false;
        return;
    }

    card_export::Export_Request request;
    request.side = export_card_side;
    request.combined = export_combined_image;
    request.extension = export_file_format;
    request.dpi = export_dpi;
    // One snapshot per worker: a snapshot fills one row at a time.
    std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots{Take_Binding_Run_Snapshot()};
    const int total = std::max(0, snapshots.front()->Total_Batch_Excel_Card());
    const int workers = std::clamp(std::min(QThread::idealThreadCount(), total), 1, 64);
    while (int(snapshots.size()) < workers)
        snapshots.push_back(Take_Binding_Run_Snapshot());
    auto run = std::make_shared<Export_Batch_Run>(request, run_folder, std::move(snapshots), &Stop_SMS_Sending_Now);
    m_exportRun = run;

    list_count = total;
    curr_barcode_count = 0;
    if (send_modls_wnd)
        send_modls_wnd->Prepare(total, QStringLiteral("%1 / %2 Card").arg(0).arg(total));
    Show_One_By_One_Modeless();
    startTimerThread();

    run->card_done = [this](int finished) {
        curr_barcode_count = double(finished);
        if (finished == 1)
            QMetaObject::invokeMethod(
                this, platform::handedOff([this] { update_sending_progress_bar(); }), Qt::QueuedConnection);
    };
    run->Start([this, run] {
        QMetaObject::invokeMethod(this, platform::handedOff([this, run] { Finish_Export_Batch(run); }),
                                  Qt::QueuedConnection);
    });
}

void QBXWindowController::Wait_For_Export_Workers()
{
    if (!m_exportRun)
        return;
    Stop_SMS_Sending_Now = 1;
    m_exportRun->Join();
}

void QBXWindowController::Finish_Export_Batch(const std::shared_ptr<Export_Batch_Run>& run)
{
    run->Join();
    stopTimerThread();
    update_sending_progress_bar();
    Hide_One_By_One_Modeless();
    Select_first_row_value_for_design(false);
    m_exportRun.reset();

    if (run->failed) {
        // The first failed write ended the run: its path and reason, once.
        Show_MessageBox(run->Fail_Path());
        Show_MessageBox(run->Fail_Reason());
        return;
    }
    Export_File_Path = run->folder;
    Export_File_Message = run->End_Message();
    Open_Export_File_Box();
}
