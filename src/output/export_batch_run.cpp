#include "output/export_batch_run.h"

#include "batch/Barcode_Binding.h"
#include "batch/DataBinding.h"
#include "platform/thread_handoff.h"
#include "platform/threads.h"

#include <QMutexLocker>

Export_Batch_Run::Export_Batch_Run(const card_export::Export_Request& request, const QString& folder,
                                   std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots,
                                   const std::atomic<int>* stop)
    : request(request)
    , folder(folder)
    , snapshots(std::move(snapshots))
    , cards(request.side, this->snapshots.empty() ? 0 : this->snapshots.front()->Total_Batch_Excel_Card())
    , stop_(stop)
{
    // Pictures are decoded and 2-D symbols made for the export's resolution.
    for (const std::shared_ptr<Binding_Run_Snapshot>& snapshot : this->snapshots) {
        snapshot->output_dpi = request.dpi;
        snapshot->output_resolutions = Export_Resolutions();
        cards.Add_Problem_Source([snapshot] { return snapshot->Problems(); });
    }
}

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

// The first failure ends the run; its path and reason are kept.
void Export_Batch_Run::Fail(const QString& path, const QString& reason)
{
    QMutexLocker lock(&mutex_);
    if (!failed.exchange(true)) {
        fail_path_ = path;
        fail_reason_ = reason;
    }
}

QString Export_Batch_Run::Fail_Path() const
{
    QMutexLocker lock(&mutex_);
    return fail_path_;
}

QString Export_Batch_Run::Fail_Reason() const
{
    QMutexLocker lock(&mutex_);
    return fail_reason_;
}

void Export_Batch_Run::Work(Binding_Run_Snapshot& snapshot)
{
    const bool combined = cards.Sides().front && cards.Sides().back && request.combined;
    auto render = [&](int row, const QString& side) {
        const CardPicture picture = snapshot.Render_Side(row, side, false);
        return picture.isNull() ? QImage() : picture.toImage(request.dpi);
    };
    while (!(stop_ && *stop_) && !failed) {
        const int row = cards.Claim_Row();
        if (row < 0)
            break;
        const QString base = folder + QStringLiteral("/Card_%1.%2").arg(row + 1).arg(request.extension);
        // A card that cannot be drawn is named by the run; the next goes on.
        const output::Run_Card<QImage> card = cards.Draw(row, render);
        if (card.drawn && combined) {
            if (!Write(card_export::Combine_Front_Back(card.front, card.back), base))
                break;
        } else if (card.drawn) {
            if (cards.Sides().back && !Write(card.back, card_export::Create_Back_Card_Path(base)))
                break;
            if (cards.Sides().front && !Write(card.front, base))
                break;
        }
        const int finished = ++done;
        if (card_done)
            card_done(finished);
    }
}

void Export_Batch_Run::Start(std::function<void()> ended)
{
    // The last to leave ends the run; this start holds one share until
    // every worker it could start has.
    const int count = int(snapshots.size());
    workers_left_ = count + 1;
    auto leave = [this, ended] {
        if (--workers_left_ == 0) {
            // The run's files go to disk together, so a run that reports
            // them written has them on disk.
            QString reason;
            if (files > 0 && !card_export::Sync_Run_Folder(folder, &reason))
                Fail(folder, reason);
            ended();
        }
    };
    int started = 0;
    for (const std::shared_ptr<Binding_Run_Snapshot>& snapshot : snapshots) {
        if (!platform::startThread(threads, platform::handedOff([this, snapshot, leave] {
                                       Work(*snapshot);
                                       leave();
                                   })))
            break;
        ++started;
    }
    // A system that refuses every worker gets the run on this thread.
    if (started == 0 && count > 0)
        Work(*snapshots.front());
    workers_left_ -= count - started;
    leave();
}

void Export_Batch_Run::Join()
{
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
}

QString Export_Batch_Run::End_Message() const
{
    const QString problems = cards.Problems_Text();
    if (problems.isEmpty())
        return QStringLiteral("Card has been exported successfully.");
    return QStringLiteral("%1 of %2 cards were exported.\n%3")
        .arg(done - cards.Not_Drawn())
        .arg(cards.Cards())
        .arg(problems);
}
