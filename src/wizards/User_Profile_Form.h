#pragma once
// The user-profile form the editor and the card wizards share: eleven rows
// (ten texts and a photo), each typed by hand or bound to a series or a
// spreadsheet column, a preview of the side with the values placed, and the
// fills of the three profile records. Built in code from the record's field
// table; `Show_User_Profile` (editor, reads the side back) and
// `User_profile` (wizards, opens blank, fills both sides) are its two faces.
#include "drawing/QBXGraphic.h"

#include <QObject>
#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class User_Profile_Class;

class User_Profile_Form : public QObject {
    Q_OBJECT
public:
    static constexpr int Row_Count = 11;
    static constexpr int Photo_Row = Row_Count - 1;

    // The controls of one row; the photo row has no label, value or check
    // boxes, the wizard form no check boxes and the editor form no side combo.
    struct Row {
        QLineEdit* label = nullptr;
        QCheckBox* label_chk = nullptr;
        QLineEdit* value = nullptr;
        QCheckBox* value_chk = nullptr;
        QComboBox* ds_combo = nullptr;
        QComboBox* ser_col_cb = nullptr;
        QPushButton* view_btn = nullptr;
        QComboBox* side_combo = nullptr;
    };

    ~User_Profile_Form() override;

    // Resets or (load on) reads the side back, runs modally; 1 OK, 0 Cancel.
    int Open_Wnd(bool load);

    void Reset_all_Ctrl();
    bool Check_Validation();
    bool Fill_Front_User_profile_value_in_Variable();
    bool Fill_Back_User_profile_value_in_Variable();
    bool Fill_TEMP_User_profile_value_in_Variable();
    void Create_and_Set_template_picture();
    void Create_and_Set_Preview_picture();
    void Set_User_Image(const QString& path);
    void Add_Excel_in_Data_Source_Combo();
    void Remove_Excel_in_Data_Source_Combo();
    void View_Data_Series_By_Name(QComboBox* combo);

    // ---- actions ----
    void OK_Btn_Clicked();
    void Cancel_Btn_Clicked();
    void Reset_Btn_Clicked();
    void Help_Btn_Clicked();
    void Browse_excel_Btn_Clicked();
    void View_Excel_Btn_Clicked();
    void Batch_Series_Btn_Clicked();
    void Browse_image_Btn_Clicked();
    void Clear_image_Btn_Clicked();
    void Preview_Btn_Clicked();
    // A selection change of any combo; index -1 (a cleared list) is ignored.
    void comboBoxSelectionDidChange(QComboBox* combo);

    QDialog* window = nullptr;
    std::array<Row, Row_Count> rows{};
    QLineEdit* image_path_val = nullptr;
    QLabel* user_picture = nullptr;
    QPushButton* browse_pic_btn = nullptr;
    QPushButton* clear_pic_btn = nullptr;
    QLineEdit* excel_path_field = nullptr;
    QLabel* Preivew_picture = nullptr;
    QLabel* Template_picture = nullptr; // the wizard form only
    QLabel* select_side_label = nullptr; // the wizard form only
    QPushButton* excel_browse_btn = nullptr;
    QPushButton* view_excel_btn = nullptr;
    QPushButton* batch_series_btn = nullptr;
    QPushButton* ok_btn = nullptr;
    QPushButton* cancel_btn = nullptr;
    QPushButton* reset_btn = nullptr;
    QPushButton* preview_btn = nullptr;
    QPushButton* help_btn = nullptr;

    QString load_side;
    GraphicList Graphics_array;
    QString checked_field_name;

    // The size the side pictures are shown at, in pixels.
    static QSize Preview_Size();

protected:
    // wizard: the side combos and the template picture, no check boxes.
    explicit User_Profile_Form(bool wizard);

private:
    void Build();
    void Source_Changed(int row);
    void Choice_Changed(int row);
    // Reads the side's visible profile graphics into the rows.
    void Read_Back(const GraphicList& list);
    // Excel entries exactly when the binding table has rows.
    void Match_Excel_Entries();
    bool Photo_Path_Acceptable();
    bool Fill(User_Profile_Class* record, bool sideRecord);
    void Show_Picture(QLabel* view, const GraphicList& list);

    bool wizard_ = false;
};
