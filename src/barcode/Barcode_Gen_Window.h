#pragma once
// The barcode designer dialog: edits the settings record (Barcode_Gen) of one
// barcode graphic with a live preview. The caller loads the record, hands it
// in with the graphic's binding and a few services, and on OK writes the
// record and binding back; nothing is written while the dialog is open, so
// Cancel changes nothing. Every refresh copies the controls into the record
// and renders under one hold of its generation lock. Main thread only.
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/PointPicture.h"

class Barcode_Gen;
class BCXBarcodeImageView;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QWidget;

namespace platform {
class ColorWell;
class Stepper;
class TabItem;
}

// What the designer asks of its caller: list titles whose positions are
// stored, the series and spreadsheet columns a value may come from, and the
// viewers and help it opens. A missing function offers nothing.
struct Barcode_Designer_Services {
    QStringList symbology_titles;  // position = barcode_font_index
    QStringList format_titles;     // Data Matrix sizes, "Auto" first
    QStringList resolution_titles; // "Auto" first, "Custom" among them
    bool spreadsheet_bound = false; // offer "Excel" as a source
    std::function<QStringList()> series_names;
    std::function<QString(const QString&)> first_series_value;
    std::function<QStringList()> column_titles;
    std::function<QString(int)> first_column_value;
    // Shows a series by name (source 1) or the spreadsheet binding (source 2).
    std::function<void(int source, const QString& name)> view_source;
    std::function<void(const QString& title, const QString& text)> show_help;
    std::function<void(const QString& text)> show_message;
};

// The value source of the graphic being designed, held until OK.
struct Barcode_Source_Choice {
    int data_source_type = 0; // 0 manual, 1 series, 2 spreadsheet column
    QString batch_list_name;
    int batch_list_index = 0;
    int excel_col_indx = 0;
};

class Barcode_Gen_Window : public QObject {
    Q_OBJECT
public:
    explicit Barcode_Gen_Window(Barcode_Designer_Services services);
    ~Barcode_Gen_Window() override;
    // The designer window that exists now (the last one made), or none.
    static Barcode_Gen_Window* defaultInstance();

    // Loads the record and the binding into the controls, previews and runs
    // the dialog modally. 1 for OK: the record holds the dialog's settings,
    // source() the binding and Barcode_output_image the composed picture;
    // 0 for Cancel (button, Esc or closing): the caller loads the record
    // again from its graphic.
    int Open_Wnd(Barcode_Gen& record, const Barcode_Source_Choice& binding);
    const Barcode_Source_Choice& source() const { return m_source; }

    // ---- preview panel ----
    void Set_Barcode_On_Panel(const PointPicture& picture);
    void Set_Blank_Image(const QString& reason = QString());
    bool Preview_Is_Blank() const { return !m_panel_shown; }
    void Encode_btn();
    void DPI_Value_Changed(QObject* sender);
    void DPI_Help_Label();
    void View_batch_Series_Button();

    // ---- load, OK, Cancel ----
    void Set_Barcode_Prop_To_Control();
    void OK_Btn_Clicked();
    void Cancel_Btn_Clicked();

    // ---- kind switching, value check, refresh ----
    void goButtonActionPerformed();
    bool Check_And_Validat_Barcode();
    void barcodeTypeChanged();
    void Liner_Barcode_Opt_Select();
    void two_d_barcode_Opt_Select();
    void _setLabels();
    void controlTextDidChange(QObject* sender);
    void textDidChange();
    void Value_Font_Changed();
    void Header_Font_Changed();
    void Footer_Font_Changed();
    void Set_Font_Clr();
    void captionChanged();
    void showinTopChanged();
    void hideHeaderChanged();
    void hideFooterChanged();

    // ---- combo boxes, source, pairs ----
    void comboBoxSelectionDidChange(QObject* sender);
    void Check_And_Set_QR_size_Acc_Version(int version);
    void data_matrix_barcode_size_acc_format();
    void Pair_Changed(QObject* sender);
    void Help_Button(const QString& title, const QString& text);
    // The please-wait panel over the designer (window-modal, not waited on).
    void Show_Create_Modeless();
    void Hide_Destroy_Modeless();
    static QImage flipImageVertically(const QImage& image);
    static QImage flipImageHorizontally(const QImage& image);

    // Full regenerations (encodings) made since the window was built.
    int encode_count = 0;
    // The composed picture on the panel: a linear preview's, and a 2-D
    // preview's once OK composes it (the panel shows a raster of it).
    PointPicture panel_picture;

    // ---- controls ----
    QDialog* window = nullptr;
    QDialog* plz_wait_Window = nullptr;
    QComboBox* barcodeTypePopup = nullptr;
    QLineEdit* dataText = nullptr;
    QPlainTextEdit* dataText_2D = nullptr;
    QScrollArea* image_scroll = nullptr;
    BCXBarcodeImageView* barcodeImage = nullptr;
    QLabel* barcode_error_label = nullptr;
    QTabWidget* sett_tab = nullptr;
    std::unique_ptr<platform::TabItem> dpi_tab_item;
    QLineEdit* HeaderText = nullptr;
    QLineEdit* FooterText = nullptr;
    QCheckBox* captionCheckbox = nullptr;
    QCheckBox* showinTopCheckbox = nullptr;
    QCheckBox* hideHeaderCheckbox = nullptr;
    QCheckBox* hideFooterCheckbox = nullptr;
    QCheckBox* kerning_value_Checkbox = nullptr;
    QComboBox* align_hdr_combo = nullptr;
    QComboBox* align_ftr_combo = nullptr;
    QComboBox* bar_align_combo = nullptr;
    QComboBox* bar_orient_combo = nullptr;
    QLabel* value_font_value = nullptr;
    QLabel* header_font_value = nullptr;
    QLabel* footer_font_value = nullptr;
    QLabel* val_font_label = nullptr;
    QPushButton* val_font_btn = nullptr;
    QPushButton* hdr_font_btn = nullptr;
    QPushButton* ftr_font_btn = nullptr;
    platform::ColorWell* barcode_clr = nullptr;
    platform::ColorWell* bar_back_clr = nullptr;
    platform::ColorWell* bar_val_clr = nullptr;
    platform::ColorWell* bar_hdr_clr = nullptr;
    platform::ColorWell* bar_ftr_clr = nullptr;
    QLabel* val_clr_label = nullptr;
    QLabel* bar_clr_label = nullptr;
    QLabel* bar_bk_clr_label = nullptr;
    QGroupBox* linear_sett_box = nullptr;
    QGroupBox* two_d_sett_box = nullptr;
    QGroupBox* pdf_2d_sett_box = nullptr;
    QGroupBox* dm_2d_sett_box = nullptr;
    QGroupBox* margin_box = nullptr;
    QLabel* barHeightLabel = nullptr;
    QLabel* barWidthLabel = nullptr;
    QLabel* val_mar_label = nullptr;
    QLineEdit* HeightText = nullptr;
    platform::Stepper* HeightStepper = nullptr;
    QLineEdit* widthText = nullptr;
    platform::Stepper* widthStepper = nullptr;
    QLineEdit* HeightText_2D = nullptr;
    platform::Stepper* HeightStepper_2D = nullptr;
    QComboBox* qr_enc_mode_ComboBox = nullptr;
    QComboBox* qr_version_ComboBox = nullptr;
    QComboBox* qr_ec_lvl_ComboBox = nullptr;
    QLineEdit* pdf_HeightText_2D = nullptr;
    platform::Stepper* pdf_HeightStepper_2D = nullptr;
    QLineEdit* Pdf_widthText_2D = nullptr;
    platform::Stepper* Pdf_widthStepper_2D = nullptr;
    QLineEdit* pdf_ec_lvl_Text = nullptr;
    platform::Stepper* pdf_ec_lvl_Stepper = nullptr;
    QLineEdit* pdf_row_Text = nullptr;
    platform::Stepper* pdf_row_Stepper = nullptr;
    QLineEdit* pdf_col_Text = nullptr;
    platform::Stepper* pdf_col_Stepper = nullptr;
    QLineEdit* dm_moduleText_2D = nullptr;
    platform::Stepper* dm_moduleStepper_2D = nullptr;
    QLineEdit* dm_widthText_2D = nullptr;
    platform::Stepper* dm_widthStepper_2D = nullptr;
    QLineEdit* dm_HeightText_2D = nullptr;
    platform::Stepper* dm_HeightStepper_2D = nullptr;
    QComboBox* dm_format_ComboBox = nullptr;
    QComboBox* dm_encoding_ComboBox = nullptr;
    QLineEdit* val_mar_Text = nullptr;
    platform::Stepper* val_mar_Stepper = nullptr;
    QLineEdit* hdr_mar_Text = nullptr;
    platform::Stepper* hdr_mar_Stepper = nullptr;
    QLineEdit* ftr_mar_Text = nullptr;
    platform::Stepper* ftr_mar_Stepper = nullptr;
    QLineEdit* TB_mar_Text = nullptr;
    platform::Stepper* TB_mar_Stepper = nullptr;
    QLineEdit* LR_mar_Text = nullptr;
    platform::Stepper* LR_mar_Stepper = nullptr;
    QComboBox* DPI_ComboBox = nullptr;
    QLineEdit* dpi_Text = nullptr;
    platform::Stepper* dpi_Stepper = nullptr;
    QComboBox* Data_source_type = nullptr;
    QComboBox* Batch_Series = nullptr;
    QPushButton* view_series_btn = nullptr;
    QPushButton* ok_button = nullptr;
    QPushButton* cancel_button = nullptr;
    QPushButton* encode_button = nullptr;

    int liner_or_2D_font = 0;
    QFont value_font, header_font, footer_font;

private:
    struct Pair;
    QWidget* Build_Preview();
    QWidget* Build_Text_Tab();
    QWidget* Build_Size_Tab();
    QWidget* Build_Margin_Tab();
    QWidget* Build_Resolution_Tab();
    QWidget* Build_Source_Box();
    Pair* Add_Pair(QWidget* parent, class QGridLayout* grid, int row, const QString& caption, QLineEdit*& field,
                   platform::Stepper*& stepper, double low, double high, double step, bool integer);
    void Wire();
    QString Current_Value() const;
    // Copies every control into the record (generation lock held by caller).
    void Write_Controls_To_Record();
    void Show_Linear(const std::shared_ptr<class BCXBarcode>& model);
    void Two_D_Recomposition();
    // Shows the record's 2-D symbol with its bands (generation lock held).
    void Show_2D_Symbol();
    void Show_Raster(const QImage& shown);
    bool m_panel_shown = false;
    void Linear_Redraw();
    void Refresh_For_Kind(bool recompose2D);
    void Apply_Source(bool loading);
    void Apply_Series_Choice(bool loading);
    void Apply_Resolution();
    void Set_Value_Quietly(const QString& value);
    void Show_Font(QLabel* label, const QFont& font);
    void Choose_Font(QFont& font, QLabel* label);
    bool Is_Source(const char* title) const;

    Barcode_Designer_Services m_services;
    Barcode_Gen* m_record = nullptr;
    Barcode_Source_Choice m_source;
    std::vector<std::unique_ptr<Pair>> m_pairs;
};
