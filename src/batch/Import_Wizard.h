#pragma once
// The series import wizard: values from a spreadsheet, a text file (.txt,
// .csv, .rtf), pasted text or a picture folder, written to a new series file
// (file_name_required 1) or handed to the series manager's value list.
// Main thread only.
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class Import_Wizard : public QObject {
    Q_OBJECT
public:
    static Import_Wizard* defaultInstance();

    // Resets every field and runs the wizard modally; the code of the run.
    int Open_Wnd();

    void Excel_RD_Pressed();
    void Text_RD_Pressed();
    void Manual_RD_Pressed();
    void Image_RD_Pressed();
    void Browse_Excel_Pressed();
    void Browse_Text_Pressed();
    void Browse_Image_Pressed();
    void OKPressed();
    void CancelPressed();
    void HelpPressed();

    void Enable_Disable_Excel_Option(bool on);
    void Enable_Disable_Text_Option(bool on);
    void Enable_Disable_Manual_Option(bool on);
    void Enable_Disable_Image_Option(bool on);
    static QString chk_and_insert_validation(const QString& value);
    bool Create_And_Save_Text_Data_Sheet(const QString& path);
    bool Create_And_Save_Manual_Paste_data_Sheet();
    bool Create_And_Save_Image_data_Sheet(const QString& path);

    QDialog* window = nullptr;
    QRadioButton* Excel_RD = nullptr;
    QRadioButton* Text_RD = nullptr;
    QRadioButton* Mnul_RD = nullptr;
    QRadioButton* Image_RD = nullptr;
    QLineEdit* Excel_path = nullptr;
    QPushButton* Excel_btn = nullptr;
    QLineEdit* Text_file_name = nullptr;
    QLineEdit* Text_path = nullptr;
    QPushButton* Text_btn = nullptr;
    QPlainTextEdit* ManualEdit = nullptr;
    QLineEdit* Manual_file_name = nullptr;
    QLineEdit* Image_file_name = nullptr;
    QLineEdit* Image_path = nullptr;
    QPushButton* Image_btn = nullptr;
    int import_option = 0;
    int file_name_required = 0;
    int file_name_Insert = 0;

private:
    Import_Wizard();
    void Choose(int option);
    // The series name of a file import after cleaning, or none after the
    // message when it is empty.
    std::optional<QString> Series_Name(QLineEdit* field);
    // Asks before replacing an existing series; false on No.
    bool Prepare_Destination(const QString& name);
    // Writes the values to the series (or the manager's list); false when
    // the series could not be written.
    bool Deliver(const std::optional<QString>& name, const QStringList& values, int how);
    // Writes the bytes of a series file made beforehand; false when the
    // series could not be written.
    bool Deliver_Series_Bytes(const QString& name, const QByteArray& bytes);
};

extern Import_Wizard* Import_Wizard_DefaultInstance;
