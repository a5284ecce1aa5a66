#pragma once
// The e-mail window: the card (front, back or both), one card per data row,
// or a file of the user's choice, mailed to a comma-separated list of
// recipients through the mail script. Send checks everything and takes
// what the run needs on the main thread, then a worker thread sends, one
// mail per recipient, with a pause every N mails, under the progress sheet.
#include "output/mail_run.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <thread>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class Send_Modeless;
namespace platform {
class Stepper;
}

class Send_Mail : public QDialog {
    Q_OBJECT
public:
    static Send_Mail* defaultInstance();
    ~Send_Mail() override;

    QLineEdit* from_txt = nullptr;
    QLineEdit* to_txt = nullptr;
    QString card_side_str = QStringLiteral("F");
    QRadioButton* side_both = nullptr; // the side matrix: both, front, back
    QRadioButton* side_front = nullptr;
    QRadioButton* side_back = nullptr;
    QRadioButton* rd_without_barcode = nullptr;
    QRadioButton* rd_mail_curr_barcode = nullptr;
    QGroupBox* send_sett_box = nullptr;
    QGroupBox* delayed_box = nullptr;
    QLineEdit* file_name_txt = nullptr;
    QCheckBox* send_with_batch_chk = nullptr;
    QCheckBox* send_with_excel_chk = nullptr;
    QRadioButton* rd_all_to_every = nullptr;
    QRadioButton* rd_one_per_recp = nullptr;
    QCheckBox* delayed_delv_chk = nullptr;
    QLineEdit* mail_count_txt = nullptr;
    platform::Stepper* mail_count_stepper = nullptr;
    QLineEdit* hour_txt = nullptr;
    platform::Stepper* hour_stepper = nullptr;
    QLineEdit* min_text = nullptr;
    platform::Stepper* min_stepper = nullptr;
    QLineEdit* sec_txt = nullptr;
    platform::Stepper* sec_stepper = nullptr;
    QLineEdit* subject_txt = nullptr;
    QPlainTextEdit* message_txt = nullptr;
    QLineEdit* attachment = nullptr;
    QPushButton* browse_att = nullptr;
    QPushButton* clear_att = nullptr;
    QPushButton* setting_btn = nullptr;
    QPushButton* send_btn = nullptr;
    QPushButton* close_btn = nullptr;
    Send_Modeless* send_modls_wnd = nullptr;

    // Resets the window and runs it modally.
    int Open_Wnd();
    void Setting_Button();
    void browse_att_Button();
    void clear_att_Button();
    void Without_barcode_rd_select();
    void send_barcode_rd_select();
    void send_with_chk_select();
    void delayed_delv_chk_select();
    void mail_card_side_CellClick(int row);
    // Checks the window; when it passes starts the run and returns true.
    bool Send_Button();
    void Close_Button();
    bool Run_Active() const { return m_worker.joinable(); }
    // Stops a running send and waits for its worker.
    void Stop_And_Join();

    // The checks of Send and the request they give; nullopt (the message
    // shown) when a check fails.
    std::optional<mail::Mail_Request> Take_Request();

    void reject() override;

private:
    Send_Mail();
    void Finish_Run(const mail::Mail_Report& report);
    void update_sending_progress_bar();
    void update_pause_timer_label();

    std::thread m_worker;
    std::shared_ptr<mail::Mail_Progress> m_progress;
    bool m_dataRun = false;
    QTimer* msend_modTimer = nullptr;
    QTimer* Pause_Timer = nullptr;
    QMetaObject::Connection m_stopConnection;
};
