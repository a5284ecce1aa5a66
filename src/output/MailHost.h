#pragma once
// What the mail window and the e-mail settings dialog ask of the main window
// controller, without the output code depending on the editor. The
// controller installs itself; with no host the windows still open but
// nothing is rendered.
#include "batch/Card_Problems.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// The copy of the stored settings the sending uses.
struct Mail_Settings {
    QString sender, password, server, port, enable_ssl;
};

// The rows of a data run, taken on the main thread; rendering then reads
// only this copy, on any one thread.
struct Mail_Rows {
    int count = 0;
    std::function<QImage(int row, const QString& side)> render;
    std::function<QList<Card_Problem>()> problems;
};

class MailHost {
public:
    virtual ~MailHost() = default;
    // Recomputes which data sources the design uses; reports them.
    virtual void Check_Series_Or_Excel_Use_or_not() = 0;
    virtual bool Series_Values_In_Use() const = 0;
    virtual bool Excel_Values_In_Use() const = 0;
    // Reads the settings store again into the sending copy and returns it.
    virtual Mail_Settings Reload_Mail_Settings() = 0;
    // The current design's side (0 front, 1 back) as a picture.
    virtual QImage Render_Card_Side(int side) = 0;
    // The problems of the design's barcodes mailed as the design stands
    // (side "F", "B" or "BOTH").
    virtual QList<Card_Problem> Card_Barcode_Problems(const QString&) { return {}; }
    // The rows of the sources kept (the other source's use is cleared).
    virtual Mail_Rows Take_Mail_Rows(bool series, bool excel) = 0;
    // After a data run: row 0 back on the design.
    virtual void Mail_Data_Run_Ended() = 0;
    virtual QString Application_Name() const = 0;
};

namespace output {
MailHost* mailHost();
void setMailHost(MailHost* host);
} // namespace output
