#pragma once
// The grid dialog: the grid's colour, spacing and showing. The controls are
// the main window's own (its handlers change the grid at once); the dialog
// holds them and only runs the window: OK ends with 1, Cancel with 0, and
// neither undoes what the controls changed.
#include <QDialog>
#include <QPointer>

class Grid_Wizard : public QDialog {
    Q_OBJECT
public:
    static Grid_Wizard* defaultInstance();
    // Runs the dialog modally; its result (1 OK, 0 Cancel).
    int Open_Wnd();
    // Puts the owner's controls into the dialog, above the buttons; controls
    // held before are deleted.
    void Hold_Controls(QWidget* show_check, QWidget* options_box);

    void OK_Btn_Clicked() { done(1); }
    void Cancel_Btn_Clicked() { done(0); }

private:
    Grid_Wizard();
    class QVBoxLayout* m_controls = nullptr;
    QPointer<QWidget> m_check;
    QPointer<QWidget> m_box;
};
