// The batch export: one picture file (or pair) per data row, written into a
// new folder by worker threads (on the calling thread when the system
// refuses them). Each worker renders from a snapshot of its own, taken on
// the main thread before it starts, so the live design and the editor's
// side are never touched; rows are claimed in order from one counter, so a
// stopped run leaves Card_1 .. Card_k. A main-thread timer shows the
// progress, and the first card done shows it at once rather than at the
// timer's first tick; the last worker to end queues the end, which runs on
// the main thread and joins the workers.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "output/Send_Modeless.h"
#include "output/card_export.h"
#include "platform/thread_handoff.h"
#include "platform/threads.h"

#include <QMetaObject>
#include <QMutex>
#include <QThread>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

struct Export_Batch_Run {
    card_export::Export_Request request;
    QString folder;
    int total = 0;
    std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots;
    std::atomic<int> next_row{0};
    std::atomic<int> done{0};
    std::atomic<int> files{0};
    std::atomic<bool> failed{false};
    std::atomic<int> workers_left{0};
    std::vector<std::thread> threads; // started and joined on the main thread
    QMutex mutex; // guards the three below
    QString fail_path, fail_reason;
    QList<Card_Problem> bad_rows;

    // Called on the worker that finishes the run's first card.
    std::function<void()> first_done;

    void Work(Binding_Run_Snapshot& snapshot);
    bool Write(const QImage& picture, const QString& path);
    void Sync();
    void Fail(const QString& path, const QString& reason);
};

bool Export_Batch_Run::Write(const QImage& picture, const QString& path)
{
    QString reason;
    if (card_export::Write_Run_Picture(picture, path, &reason)) {
        ++files;
        return true;
    }
    Fail(path, reason);
    return false;
}

// Called by the last worker: the run's files go to disk together, so a run
// that reports them written has them on disk.
void Export_Batch_Run::Sync()
{
    QString reason;
    if (files > 0 && !card_export::Sync_Run_Folder(folder, &reason))
        Fail(folder, reason);
}

// The first failure ends the run; its path and reason are kept.
void Export_Batch_Run::Fail(const QString& path, const QString& reason)
{
    QMutexLocker lock(&mutex);
    if (!failed.exchange(true)) {
        fail_path = path;
        fail_reason = reason;
    }
}

void Export_Batch_Run::Work(Binding_Run_Snapshot& snapshot)
{
    const bool both = request.side == QLatin1String("BOTH");
    const bool front_only = request.side == QLatin1String("F");
    auto render = [&](int row, const QString& side) {
        const CardPicture picture = snapshot.Render_Side(row, side, false);
        return picture.isNull() ? QImage() : picture.toImage(request.dpi);
    };
    while (!Stop_SMS_Sending_Now && !failed) {
        const int row = next_row++;
        if (row >= total)
            break;
        const QString base = folder + QStringLiteral("/Card_%1.%2").arg(row + 1).arg(request.extension);
        QImage front, back;
        if (both || !front_only)
            back = render(row, QStringLiteral("B"));
        if (both || front_only)
            front = render(row, QStringLiteral("F"));
        const bool rendered = (both || front_only ? !front.isNull() : true) && (front_only || !back.isNull());
        if (!rendered) {
            QMutexLocker lock(&mutex);
            bad_rows.append(Card_Problem{Problem_Kind::Card_Not_Drawn, row + 1, QString(),
                                         QStringLiteral("the card could not be drawn.")});
        } else if (both && request.combined) {
            if (!Write(card_export::Combine_Front_Back(front, back), base))
                break;
        } else {
            if (!front_only && !Write(back, card_export::Create_Back_Card_Path(base)))
                break;
            if (!front.isNull() && !Write(front, base))
                break;
        }
        const int finished = ++done;
        curr_barcode_count = double(finished);
        if (finished == 1 && first_done)
            first_done();
    }
}

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

    auto run = std::make_shared<Export_Batch_Run>();
    run->request.side = export_card_side;
    run->request.combined = export_combined_image;
    run->request.extension = export_file_format;
    run->request.dpi = export_dpi;
    run->folder = run_folder;
    // One snapshot per worker: a snapshot fills one row at a time; its
    // pictures are decoded for the export's resolution.
    run->snapshots.push_back(Take_Binding_Run_Snapshot());
    run->total = std::max(0, run->snapshots.front()->Total_Batch_Excel_Card());
    const int workers = std::clamp(std::min(QThread::idealThreadCount(), run->total), 1, 64);
    while (int(run->snapshots.size()) < workers)
        run->snapshots.push_back(Take_Binding_Run_Snapshot());
    for (const std::shared_ptr<Binding_Run_Snapshot>& snapshot : run->snapshots)
        snapshot->output_dpi = run->request.dpi;
    m_exportRun = run;

    list_count = run->total;
    curr_barcode_count = 0;
    if (send_modls_wnd)
        send_modls_wnd->Prepare(run->total, QStringLiteral("%1 / %2 Card").arg(0).arg(run->total));
    Show_One_By_One_Modeless();
    startTimerThread();

    run->first_done = [this] {
        QMetaObject::invokeMethod(
            this, platform::handedOff([this] { update_sending_progress_bar(); }), Qt::QueuedConnection);
    };
    // The last to leave ends the run; this start holds one share until
    // every worker it could start has.
    const int snapshots = int(run->snapshots.size());
    run->workers_left = snapshots + 1;
    auto leave = [this, run] {
        if (--run->workers_left == 0) {
            run->Sync();
            QMetaObject::invokeMethod(
                this, platform::handedOff([this, run] { Finish_Export_Batch(run); }), Qt::QueuedConnection);
        }
    };
    int started = 0;
    for (const std::shared_ptr<Binding_Run_Snapshot>& snapshot : run->snapshots) {
        if (!platform::startThread(run->threads, platform::handedOff([run, snapshot, leave] {
                                       run->Work(*snapshot);
                                       leave();
                                   })))
            break;
        ++started;
    }
    // A system that refuses every worker gets the run on this thread.
    if (started == 0)
        run->Work(*run->snapshots.front());
    run->workers_left -= snapshots - started;
    leave();
}

void QBXWindowController::Wait_For_Export_Workers()
{
    if (!m_exportRun)
        return;
    Stop_SMS_Sending_Now = 1;
    for (std::thread& thread : m_exportRun->threads)
        if (thread.joinable())
            thread.join();
}

void QBXWindowController::Finish_Export_Batch(const std::shared_ptr<Export_Batch_Run>& run)
{
    for (std::thread& thread : run->threads)
        if (thread.joinable())
            thread.join();
    stopTimerThread();
    update_sending_progress_bar();
    Hide_One_By_One_Modeless();
    Select_first_row_value_for_design(false);
    m_exportRun.reset();

    if (run->failed) {
        // The first failed write ended the run: its path and reason, once.
        Show_MessageBox(run->fail_path);
        Show_MessageBox(run->fail_reason);
        return;
    }
    // Workers meet rows out of order and each keeps its own problems: the
    // list orders them by card.
    QList<Card_Problem> problems = run->bad_rows;
    for (const auto& snapshot : run->snapshots)
        Merge_Problems(problems, snapshot->Problems());
    Export_File_Path = run->folder;
    if (problems.isEmpty())
        Export_File_Message = QStringLiteral("Card has been exported successfully.");
    else
        Export_File_Message = QStringLiteral("%1 of %2 cards were exported.\n%3")
                                  .arg(run->done - run->bad_rows.size())
                                  .arg(run->total)
                                  .arg(Problems_Text(problems, run->total));
    Open_Export_File_Box();
}
