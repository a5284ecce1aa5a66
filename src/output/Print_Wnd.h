#pragma once
// The print window: several cards laid on each sheet, printed on a printer
// or previewed. The user picks the printer, paper orientation, card size,
// rows and columns, gaps, a 3 x 3 alignment or automatic centring, the side
// (front, back or both paired below or to the right), whether data rows are
// printed and how many cards. A sheet preview shows the layout after every
// change. Every opening starts from the card's own size and one cell.
#include "output/PrintHost.h"
#include "output/sheet_layout.h"
#include "platform/printers.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
namespace platform {
class Stepper;
}

class Print_Wnd : public QDialog {
    Q_OBJECT
public:
    static Print_Wnd* defaultInstance();

    static float MM_to_Points_Convert(float value) { return sheet_layout::MM_to_Points_Convert(value); }
    static float Points_to_MM_Convert(float value) { return sheet_layout::Points_to_MM_Convert(value); }
    // The name of a paper by its size text in millimetres ("210.00"), or "".
    static QString Find_Papaer_Name_From_Size(const QString& width, const QString& height);
    // The names of the alignment pictures, plain then selected, keypad order.
    static const std::array<QString, 9>& Alignment_Picture_Names(bool selected);

    // Opens the window modally for the host's design; false when the
    // opening failed (the reason shown).
    bool Open_Print_Wnd(PrintHost& host);

    // Handlers (each control's own; tests call them after setting a control).
    void Set_values_From_Printer();
    void Refresh_Preview();
    void Check_Max_Cell_Value();
    // Prints or previews; does nothing while a run of either is going.
    void Execute_Printing(bool preview);
    void pagesetup();
    void Horz_Margin_Changed(bool from_stepper);
    void Vert_Margin_Changed(bool from_stepper);
    void Width_Changed(bool from_stepper);
    void Height_Changed(bool from_stepper);
    void Row_Changed(bool from_stepper);
    void Col_Changed(bool from_stepper);
    void Total_Val_Changed(bool from_stepper);
    void Copies_Val_Changed(bool from_stepper);
    void Align_btn_clicked(int align);
    void Set_Reset_Alignemnt_Image();
    void Show_Margin_Checked();
    void Auto_Center_Checked();
    void card_side_CellClick();
    void Printer_Selection_Changed(int index);
    void Orientation_Selection_Changed(int index);
    void Alignment_Selection_Changed(int index);
    void Print_With_Batch_Changed();
    void Print_With_Excel_Changed();
    void Verify_Card_Count();

    // The print layout settings the views read, copied per run.
    sheet_layout::Print_Layout layout;
    platform::Print_Settings printInfo;
    int Total_Label = 1;
    std::int64_t barcode_counter = 0;
    bool Show_margin_rect = true;
    bool loading = false;
    QString card_side_str = QStringLiteral("F");
    CardPicture front_image, back_image;
    PrintHost::Print_Data data;

    QComboBox* Printer_ComboBox = nullptr;
    QComboBox* Orient_ComboBox = nullptr;
    QLabel *Paper_id = nullptr, *Size_id = nullptr;
    QLabel *l_mar_id = nullptr, *r_mar_id = nullptr, *t_mar_id = nullptr, *b_mar_id = nullptr;
    platform::Stepper *horz_mar_Stepper = nullptr, *vert_mar_Stepper = nullptr, *width_Stepper = nullptr,
                      *height_Stepper = nullptr, *Row_Stepper = nullptr, *Col_Stepper = nullptr,
                      *Total_Stepper = nullptr, *Copies_Stepper = nullptr;
    QLineEdit *horz_mar_Text = nullptr, *vert_mar_Text = nullptr, *width_Text = nullptr, *height_Text = nullptr,
              *Row_Text = nullptr, *Col_Text = nullptr, *Total_Text = nullptr, *Copies_Text = nullptr;
    QCheckBox* Show_Margins = nullptr;
    QLabel* test_image_view = nullptr;
    std::array<QToolButton*, 9> align_btns{}; // top left .. bottom right
    QGroupBox* align_Gp_Bx = nullptr;
    QCheckBox* Auto_Center_chk_bx = nullptr;
    std::array<QImage, 9> align_images, align_images_sel;
    QCheckBox* print_with_batch_chk = nullptr;
    QCheckBox* print_with_excel_chk = nullptr;
    QButtonGroup* matrix_card_side = nullptr; // 0 both, 1 front, 2 back
    QComboBox* print_alignment = nullptr;     // 0 back below, 1 back right

    // Ends the modal run, except while printing or previewing.
    void done(int result) override;

private:
    Print_Wnd();
    void Length_Changed(QLineEdit* text, platform::Stepper* stepper, bool from_stepper, const QString& refusal,
                        bool refit);
    void Count_Changed(QLineEdit* text, platform::Stepper* stepper, bool from_stepper, bool refit);
    void Set_Total(int total);
    void Fill_Printers();

    PrintHost* host_ = nullptr;
    bool running_ = false; // Execute_Printing is under way
};
