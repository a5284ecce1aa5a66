#pragma once
// The review request shown when the program ends. Minimal until the small
// dialogs land: a titled window with an OK button (1).
#include <QDialog>

class Review_Form : public QDialog {
    Q_OBJECT
public:
    static Review_Form* defaultInstance();
    // Runs the window modally and returns its code; an exception gives 0.
    int Open_Review_Form_Window();

private:
    Review_Form();
};
