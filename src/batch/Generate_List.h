#pragma once
// The series generator: sequential numbers with prefix, suffix and optional
// zero padding, one constant value repeated, or random numbers of a chosen
// length, written to a new series file (file_name_required 1) or handed to
// the series manager's value list. Main thread only.
#include <QObject>
#include <QString>

class QDialog;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace platform {
class Stepper;
}

class Generate_List : public QObject {
    Q_OBJECT
public:
    static Generate_List* defaultInstance();

    // Resets every field, selects the sequential mode and runs modally.
    int Open_Wnd();

    void Sequintial_Radio_Pressed();
    void Constant_Radio_Pressed();
    void Random_Radio_Pressed();
    void Count_Stepper_Pressed(QObject* sender);
    void Random_Length_Stepper_Pressed(QObject* sender);
    void Random_Count_Stepper_Pressed(QObject* sender);
    void Help_btn_Pressed();
    void OKPressed();
    void CancelPressed();
    // The typing filter of the count and length fields.
    void controlTextDidChange(QLineEdit* field);

    static int getRandomNumberBetweenMin(int min, int max);
    static QString PadZero(const QString& text, int length);

    QDialog* window = nullptr;
    QRadioButton* radioButton_Sequntial = nullptr;
    QRadioButton* radioButton_Constant = nullptr;
    QRadioButton* radioButton_Random = nullptr;
    QLineEdit* prefix_txt = nullptr;
    QLineEdit* suffix_txt = nullptr;
    QLineEdit* from_txt = nullptr;
    QLineEdit* to_txt = nullptr;
    QLineEdit* value_txt = nullptr;
    QLineEdit* count_txt = nullptr;
    platform::Stepper* count_stepper = nullptr;
    QLineEdit* rand_prefix_txt = nullptr;
    QLineEdit* rand_suffix_txt = nullptr;
    QLineEdit* rand_length_txt = nullptr;
    platform::Stepper* rand_length_stepper = nullptr;
    QLineEdit* rand_count_txt = nullptr;
    platform::Stepper* rand_count_stepper = nullptr;
    QCheckBox* manage_digit_chk = nullptr;
    QPushButton* help_btn = nullptr;
    int file_name_required = 0;
    int file_name_Insert = 0;
    QLineEdit* seq_file_name = nullptr;
    QLineEdit* const_file_name = nullptr;
    QLineEdit* rndm_file_name = nullptr;

private:
    Generate_List();
    void Choose(int mode);
    void Pair(QLineEdit* field, platform::Stepper* stepper, QObject* sender);
    // Shows the message and focuses the field; always false.
    bool Refuse(const QString& message, QLineEdit* field);
};

extern Generate_List* Gen_List_DefaultInstance;
