#pragma once
// The long-message dialog: a question with a title, a text, OK and No, and
// an optional apply-to-all check box; without a question title it shows the
// help texts Cutom_Msg_Title and Cutom_Msg_Val with OK alone. Main thread.
#include <QObject>
#include <QString>
#include <optional>

class QCheckBox;
class QDialog;
class QLabel;
class QPushButton;

class Long_SMS_Dlg : public QObject {
    Q_OBJECT
public:
    static Long_SMS_Dlg* defaultInstance();

    // 1 for OK, 0 for No. The caller sets title_val, msg_val_str and
    // apply_chk_show before each use; the dialog clears none of them.
    int Open_Long_sms_Dialog();
    // Msg_Apply_All_Chk takes the check box's state; ends the run with 1.
    void OKPressed();
    // Ends the run with 0; Msg_Apply_All_Chk is left as it was.
    void CancelPressed();

    QDialog* window = nullptr;
    QLabel* _Msg_Title = nullptr;
    QLabel* _Msg_Val = nullptr;
    QCheckBox* apply_chk = nullptr;
    std::optional<QString> title_val;
    QString msg_val_str;
    bool apply_chk_show = false;
    QPushButton* yes_button = nullptr;
    QPushButton* no_button = nullptr;

private:
    Long_SMS_Dlg();
};
