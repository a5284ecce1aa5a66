#pragma once
// The review request shown when the program ends: OK and Review both open
// the review page and end the run with 1; two link buttons open the support
// mail and the website.
#include <QDialog>

class QPushButton;

class Review_Form : public QDialog {
    Q_OBJECT
public:
    static Review_Form* defaultInstance();
    // Runs the window modally and returns its code; an exception gives 0.
    int Open_Review_Form_Window();
    void OK_Clicked();
    void Review_Clicked();
    // Opens a link through the desktop (checked, logged when refused).
    static void Open_Link(const QString& url);

    QPushButton* support_id = nullptr;
    QPushButton* website_1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Review_Form();
};
