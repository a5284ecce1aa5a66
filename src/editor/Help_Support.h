#pragma once
// The help and support window run by the help command: the help file, the
// maker's mail and web links and the social links. Close ends the run
// with 1. Link buttons whose link is empty are disabled.
#include <QDialog>

class QPushButton;

class Help_Support : public QDialog {
    Q_OBJECT
public:
    explicit Help_Support(QWidget* parent = nullptr);

    // Opens Help.pdf of the resource folder, or says it is missing.
    void HelpFilePressed();
    void Social_Comments_Clicked() {}

    QPushButton* support_id = nullptr;
    QPushButton* support_id_2 = nullptr;
    QPushButton* website_1 = nullptr;
    QPushButton* reseller_1 = nullptr;
    QPushButton* reseller_2 = nullptr;
    QPushButton* _Help_File_Label = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshLinks();
};
