#pragma once
// The one-by-one progress sheet of batch export and mail sending: a message
// and a progress bar. One instance per process (defaultInstance).
#include <QDialog>

class QLabel;
class QProgressBar;

class Send_Modeless : public QDialog {
    Q_OBJECT
public:
    static Send_Modeless* defaultInstance();
    QLabel* msg_lbl = nullptr;
    QProgressBar* progress = nullptr;

private:
    Send_Modeless();
};
