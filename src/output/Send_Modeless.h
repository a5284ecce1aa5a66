#pragma once
// The progress sheet of batch export and mail sending: the total, the
// current count over the total, a progress bar, the pause line of mail
// sending and Stop. One instance per process (defaultInstance). Main thread
// only: runs hand their counts over through atomics that a main-thread timer
// reads (Update_Progress).
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class Send_Modeless : public QDialog {
    Q_OBJECT
public:
    static Send_Modeless* defaultInstance();

    QLabel* _tot_msg_cnt = nullptr;
    QLabel* _curr_msg_cnt = nullptr;
    QProgressBar* _Curr_Progress = nullptr;
    QPushButton* _stop_btn = nullptr;
    QLabel* pause_label = nullptr;

    // Asks "Are you sure you want to continue?"; Yes emits stopConfirmed
    // (the run's owner raises its stop flag).
    void Stop_Sending_Pressed();
    // Readies the sheet for a run of `total` items with its first text.
    void Prepare(int total, const QString& first_text);
    // Shows the current count ("%d / %d ") and the bar's value; returns
    // the text shown.
    QString Update_Progress(double current, int total);

signals:
    void stopConfirmed();

private:
    Send_Modeless();
};
