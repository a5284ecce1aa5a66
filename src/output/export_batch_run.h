#pragma once
// The batch export's run: one picture file (or pair) per data row, written
// into the run's new folder by worker threads (on the calling thread when
// the system refuses them). Each worker renders from a run snapshot of its
// own, so the live design is never touched; cards are claimed in order, so
// a stopped run leaves Card_1 .. Card_k. The editor starts it, shows its
// progress and its end box.
#include "output/card_export.h"
#include "output/card_run.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class Binding_Run_Snapshot;

struct Export_Batch_Run {
    // `snapshots`: one per worker, all of the same design and rows.
    Export_Batch_Run(const card_export::Export_Request& request, const QString& folder,
                     std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots, const std::atomic<int>* stop);

    const card_export::Export_Request request;
    const QString folder;
    const std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots;
    output::Card_Run cards;
    std::atomic<int> done{0};
    std::atomic<int> files{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads; // started and joined on one thread

    // Told on the worker that finished card `finished` (a count).
    std::function<void(int finished)> card_done;

    // Starts one worker per snapshot (the run on this thread when none can
    // be started); `ended` is called on the last to leave, after the files
    // went to disk.
    void Start(std::function<void()> ended);
    // Waits for every worker (they end at the next card once stopped).
    void Join();

    // The first failed write, which ended the run: its path and reason.
    QString Fail_Path() const;
    QString Fail_Reason() const;
    // The end box's message.
    QString End_Message() const;

private:
    void Work(Binding_Run_Snapshot& snapshot);
    bool Write(const QImage& picture, const QString& path);
    void Fail(const QString& path, const QString& reason);

    const std::atomic<int>* stop_;
    std::atomic<int> workers_left_{0};
    mutable QMutex mutex_; // guards the two below
    QString fail_path_, fail_reason_;
};
