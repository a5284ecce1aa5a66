#pragma once
// The e-mail settings dialog: sender, password, SMTP server, port, SSL or
// TLS and a test recipient. Opens with the stored values; Save checks and
// stores them, the test mail sends through the mail script without saving,
// Reset deletes the settings file.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class Email_Setting : public QDialog {
    Q_OBJECT
public:
    static Email_Setting* defaultInstance();

    QLineEdit* _send_mail_to = nullptr;
    QLineEdit* _send_mail_sender_mail = nullptr;
    QLineEdit* _send_mail_smtp = nullptr;
    QLineEdit* _send_mail_port = nullptr;
    QLineEdit* _send_mail_password = nullptr;
    QLineEdit* _send_mail_test_mail = nullptr;
    QPlainTextEdit* _send_mail_result_status = nullptr;
    QRadioButton* _send_mail_ssl = nullptr;
    QRadioButton* _send_mail_tls = nullptr;
    QDialog* plz_wait_Window = nullptr;
    QPushButton* save_btn = nullptr;
    QPushButton* close_btn = nullptr;
    QPushButton* test_btn = nullptr;
    QPushButton* reset_btn = nullptr;

    int Open_Wnd();
    void loadPreferences();
    // Stores the fields as typed; false when the file could not be written.
    bool flushPreferences();
    bool Check_Validation(bool test);
    void Save_Button();
    void Close_Button();
    void Send_Test_Email();
    void Reset_Button();
    void SSL_Selected();
    void TLS_Selected();
    // "Y" with SSL chosen, else "N".
    QString SSL_Flag() const;
    void Show_Create_Modeless();
    void Hide_Destroy_Modeless();

private:
    Email_Setting();
};
