#pragma once
// The grid dialog: the grid's colour, spacing and showing, edited through the
// main window's grid controls while it is open.
#include <QDialog>

class Grid_Wizard : public QDialog {
    Q_OBJECT
public:
    static Grid_Wizard* defaultInstance();
    // Runs the dialog modally; its result (1 OK, 0 Cancel).
    int Open_Wnd();

private:
    Grid_Wizard();
};
