#pragma once
// The export-result box's buttons: OK opens the exported file or folder when
// the box's check box is on, turns the check box on again for next time and
// ends the run with 1; Cancel turns the check box on too and ends it with 0.
#include <QObject>

class QCheckBox;
class QDialog;

class Open_Export_Log : public QObject {
    Q_OBJECT
public:
    Open_Export_Log(QDialog* box, QCheckBox* openCheck, QObject* parent = nullptr);
    void OKPressed();
    void CancelPressed();

private:
    QDialog* m_box;
    QCheckBox* _open_log_chk;
};
