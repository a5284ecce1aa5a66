#pragma once
// A smaller start dialog offering the start choices without pages (template,
// new card, open design). Nothing opens it; it is kept ready for a window
// that wants the choices alone.
#include <QString>

class QDialog;

class Start_Card {
public:
    Start_Card();
    ~Start_Card();

    void Using_Template_Click();
    void Using_Wizard_Click();
    void Open_Log_Click();
    // 0 "T", 1 "W", 2 "L" into Start_Card_Option, then OK.
    void Select_card_option(int option);
    // Ends the modal run with 1 whatever the option.
    void OK_Click();
    // "", ends the run with 0 and ends the program with status 0.
    void CancelClick();
    void HelpClick();

    QDialog* window = nullptr;
};
