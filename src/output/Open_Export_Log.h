#pragma once
// The export-result box's buttons: OK opens the exported file or folder when
// the box's check box is on (saying on screen why when it cannot), turns the
// check box on again for next time and ends the run with 1; Cancel turns the
// check box on too and ends it with 0.
#include "platform/locked_value.h"

#include <QObject>
#include <QString>

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

// The exported file or folder and the result message: written by the export
// worker, read by the main thread.
extern platform::LockedValue<QString> Export_File_Path;
extern platform::LockedValue<QString> Export_File_Message;
