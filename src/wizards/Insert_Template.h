#pragma once
// The insert dialog: offers the ready-made titles ("T") or messages (any
// other `title_or_msg`) for a title or message graphic. OK hands the field's
// text, trimmed, back in Template_Msg_Val.
#include "wizards/Title_Message_Lists.h"

#include <QString>

class QDialog;
class QLineEdit;
class QPushButton;

class Insert_Template : public Title_Message_Lists {
public:
    Insert_Template();
    ~Insert_Template();
    static Insert_Template* defaultInstance();

    // 1 after OK with the text in Template_Msg_Val; 0 after Cancel with "".
    int Open_Template_Dialog();
    void Msg_Back_Click();
    void Msg_Next_Click();
    void OKPressed();
    void CancelPressed();

    QDialog* window = nullptr;
    QLineEdit* msg_value = nullptr;
    QPushButton* back_btn = nullptr;
    QPushButton* next_btn = nullptr;
    QPushButton* ok_btn = nullptr;
    QPushButton* cancel_btn = nullptr;
    QString title_or_msg;

private:
    bool titles() const { return title_or_msg == QLatin1String("T"); }
};
