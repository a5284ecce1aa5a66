#pragma once
// The card-size wizard: the card's outline (rectangle, rounded rectangle,
// ellipse) and a preset size, horizontal or vertical, adjustable in
// millimetres. OK sizes the editor's three canvases; the caller puts the
// size and outline into the card. The sides box and the card name are shown
// only: nothing reads them.
#include <QObject>
#include <QString>

class QButtonGroup;
class QComboBox;
class QDialog;
class QLineEdit;
class Card_Size_List;

class Card_Wizard : public QObject {
    Q_OBJECT
public:
    Card_Wizard();
    ~Card_Wizard() override;
    static Card_Wizard* defaultInstance();

    // 1 after OK, 0 after Cancel or when an exception ended the opening.
    int Open_Wnd();
    void OK_Click();
    void CancelClick();
    void card_shape_CellClick();
    void User_Profile_Click();

    QDialog* window = nullptr;
    QLineEdit* card_name = nullptr;
    QComboBox* Sides_ComboBox = nullptr;
    Card_Size_List* size_list = nullptr;
    QButtonGroup* matrix_card_shape = nullptr;
    // Card_Shape when the wizard opened: Cancel puts it back.
    int shape_at_opening = 0;
    // The wizard-time profile form ended with OK during this opening.
    bool profile_filled = false;

private:
    void buildWindow();
};
