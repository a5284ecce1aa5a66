#pragma once
// The start wizard: the first window of every piece of work on a card. From
// its start screen the user builds a new card in four pages (card size,
// background picture, title and message, sender and addressee), opens a
// saved design log, or ends the program.
//
// Pages live in a stacked widget whose index is `next_counter` (0 the start
// screen, 1 to 4 the pages). The wizard hands its result over in the
// `Invite_*` globals and `Start_Card_Option`, sets the card size on the main
// window controller when the last page is confirmed, and returns 1 from
// Open_Wnd when a card was built or a design log was loaded.
#include "wizards/Picture_Browser_List.h"
#include "wizards/Title_Message_Lists.h"

#include <QObject>
#include <QString>

class QDialog;
class QWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QDateEdit;
class QTimeEdit;
namespace platform {
class Stepper;
}

class Invitation_Wizard : public QObject, public Picture_Browser_List, public Title_Message_Lists {
    Q_OBJECT
public:
    Invitation_Wizard();
    ~Invitation_Wizard() override;
    // The singleton, made on first use.
    static Invitation_Wizard* defaultInstance();

    // Resets to the start screen, runs modally and returns the modal code;
    // 0 when an exception ended the run (logged).
    int Open_Wnd();

    // ---- actions ----
    void Using_Wizard_Click();
    void Open_Log_Click();
    void Select_card_option(int option);
    void OK_Click();
    void Back_Click();
    void CancelClick();
    void ExitClick();
    void HelpClick();
    void Title_Back_Click();
    void Title_Next_Click();
    void Msg_Back_Click();
    void Msg_Next_Click();
    void Clear_Details_Click();
    void datePickerAction();
    void timePickerAction();
    // Length limits of the field that changed (user edits only).
    void controlTextDidChange(QLineEdit* field);

    void Show_Hide_Card_Start_Screen(bool show);
    void Reset_All();
    void Clear_Details();
    void Load_and_fill_backgrounds();

    // ---- window and controls ----
    QDialog* window = nullptr;
    QStackedWidget* pages = nullptr;
    platform::Stepper* width_Stepper = nullptr;
    QLineEdit* width_Text = nullptr;
    platform::Stepper* height_Stepper = nullptr;
    QLineEdit* height_Text = nullptr;
    QWidget* Start_card_box = nullptr;
    QWidget* first_box = nullptr;
    QWidget* second_box = nullptr;
    QWidget* third_box = nullptr;
    QWidget* fourth_box = nullptr;
    QWidget* button_box = nullptr;
    QString selected_image;
    QLabel* APP_path_label = nullptr;
    QLineEdit* msg_title = nullptr;
    QPushButton* title_bk_btn = nullptr;
    QPushButton* title_nxt_btn = nullptr;
    QLineEdit* msg_value = nullptr;
    QPushButton* msg_bk_btn = nullptr;
    QPushButton* msg_nxt_btn = nullptr;
    QPushButton* Using_Wizard_btn = nullptr;
    QPushButton* Open_Log_btn = nullptr;
    QPushButton* Back_Btn = nullptr;
    QPushButton* Next_btn = nullptr;
    QPushButton* Cancel_btn = nullptr;
    QPushButton* Exit_btn = nullptr;
    QPushButton* Help_btn_1 = nullptr;
    QPushButton* Help_btn_2 = nullptr;
    QPushButton* Contact_us_btn = nullptr;
    int next_counter = 0;
    QString selected_title;
    QString selected_msg;
    QLineEdit* from_value = nullptr;
    QLineEdit* to_value = nullptr;
    QLineEdit* venue_value = nullptr;
    QLabel* venue_label = nullptr;
    QLabel* date_label = nullptr;
    QLabel* time_label = nullptr;
    QDateEdit* Date_picker = nullptr;
    QTimeEdit* Time_picker = nullptr;
    QString selected_date;
    QString selected_time;
    QLineEdit* Date_ctrl_value = nullptr;
    QLineEdit* Time_ctrl_value = nullptr;
    QPushButton* clear_details_btn = nullptr;
    bool auto_background_selection = false;
    // Set by Exit: the program is ending.
    bool exit_requested = false;

protected:
    // A picture chosen in the browser: the choice, and Next on page 2 unless
    // the wizard selected it itself.
    void Picture_Chosen(const QString& path) override;

private:
    void buildWindow();
    void showOnly(QWidget* page);
};
