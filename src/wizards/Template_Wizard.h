#pragma once
// The template browser: the built-in or the user templates as previews. User
// templates can be copied, renamed and deleted here, as whole pairs. OK hands
// back the chosen template's design file in Selected_Template_Path; the
// caller loads it. The size list is shown only: it never changes the card.
#include "wizards/Picture_Browser_List.h"

#include <QObject>
#include <QString>

class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class QSlider;
class Card_Size_List;

class Template_Wizard : public QObject, public Picture_Browser_List {
    Q_OBJECT
public:
    Template_Wizard();
    ~Template_Wizard() override;
    static Template_Wizard* defaultInstance();

    // 1 after OK, 0 after Cancel or when an exception ended the opening.
    int Open_Template_Window();

    void OK_Click();
    void CancelClick();
    void Delete_Template_Click();
    void Copy_Templatee_Click();
    void Rename_Template_Click();
    void User_Profile_Click();
    void comboBoxSelectionDidChange(QComboBox* box);
    void Fill_Templates();
    void Fill_Templates_User_Defined();
    // true hides the three template buttons, false shows them.
    void Show_Hide_Template_Buttons(bool hide);

    QDialog* window = nullptr;
    QLabel* _zoom_label = nullptr;
    QSlider* _zoom_slider = nullptr;
    Card_Size_List* size_list = nullptr;
    QComboBox* cat_cmbo_bx = nullptr; // item 0 built-in, any other the user's
    QLabel* category_label = nullptr;
    QPushButton* Delete_temp_btn = nullptr;
    QPushButton* Copy_temp_btn = nullptr;
    QPushButton* Rename_temp_btn = nullptr;
    // Card_Shape when the browser opened: Cancel, or a load that fails,
    // puts it back.
    int shape_at_opening = 0;
    // The wizard-time profile form ended with OK during this opening.
    bool profile_filled = false;

protected:
    void Picture_Chosen(const QString& path) override;

private:
    void buildWindow();
    void Select_First_Template();
    // The current choice when it is a user template; otherwise "Please
    // select template." and empty.
    QString User_Choice();
};
