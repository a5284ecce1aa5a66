#pragma once
// The barcode designer's settings record: the one live settings object from
// which every barcode picture is made. The linear models, the off-screen view
// and the 2-D paths read its fonts, colours, margins, check boxes and
// alignments at the moment they draw. The designer dialog edits these fields;
// here they are plain values (a check box is its state and enabled flag, a
// text field its text and enabled flag, a combo box its selected text).
//
// One generation at a time per record: every renderer, and every settings
// load together with the generation that follows it, holds the record's
// generation_lock (recursive, so a load-and-generate sequence may call the
// generation entry inside it). Runs draw from a record of their own
// (run_record), made current on their thread by Thread_Designer_Scope, so
// they neither wait for the shared designer nor change it.
#include <QColor>
#include <QFont>
#include <QString>
#include <memory>
#include <mutex>

#include "platform/PointPicture.h"

class BCXBarcode;

// A check box: its state (0 off, 1 on, -1 mixed) and whether it is enabled.
struct BarcodeCheckBox {
    int state = 0;
    bool enabled = true;
    int intValue() const { return state; }
};

// A text field: its text and whether it is enabled.
struct BarcodeTextEntry {
    QString text;
    bool enabled = true;
    // The leading number of the text as the platform's float reading gave
    // it: "1.5cm" reads 1.5, text that is no number reads 0.
    float floatValue() const;
    int intValue() const;
};

// Reads the leading decimal number of a text the way the designer's fields
// are read (leading blanks and one sign allowed, the rest ignored); 0 when
// there is none. Never locale-dependent.
double Read_Leading_Number(const QString& text);

// The ranges the designer keeps its sizes in: its steppers offer them and a
// stored or typed value outside is brought to the nearest end.
struct Barcode_Field_Ranges {
    struct Range {
        double low, high;
    };
    static constexpr Range bar_height{0.1, 30};   // designer unit
    static constexpr Range bar_width{5, 100};     // mils
    static constexpr Range qr_size{21, 2000};     // pixels
    static constexpr Range pdf_height{10, 2000};  // points
    static constexpr Range pdf_width{20, 4000};   // points
    static constexpr Range pdf_level{0, 8};
    static constexpr Range pdf_rows{3, 90};
    static constexpr Range pdf_columns{1, 30};
    static constexpr Range dm_module{1, 20};      // points per module
    static constexpr Range dm_size{1, 3000};      // points
    static constexpr Range margin{0, 10};         // designer unit
    static constexpr Range dpi{72, 2400};
};

class Barcode_Gen {
public:
    Barcode_Gen();
    ~Barcode_Gen();
    Barcode_Gen(const Barcode_Gen&) = delete;
    Barcode_Gen& operator=(const Barcode_Gen&) = delete;

    // The single designer of the process (created on first use).
    static Barcode_Gen* defaultInstance();
    // Start-up once created: publishes itself in Barcode_Gen_Var and sets the
    // designer unit to centimetres.
    void awakeFromNib();
    // Every setting back to the values of a new barcode graphic.
    void Restore_Defaults();

    // ---- generation lock ------------------------------------------------
    // A standard mutex: thread checkers see its ordering (Qt's own locks sit
    // in a library they cannot look into).
    std::recursive_mutex generation_lock;
    std::unique_lock<std::recursive_mutex> Lock_Generation() { return std::unique_lock<std::recursive_mutex>(generation_lock); }

    // A run's own record: its QR version, QR error correction and Data
    // Matrix module size are its own fields below, the process-wide ones are
    // neither read nor written, and a settings load in the designer does not
    // hold its generation back.
    bool run_record = false;
    int run_qr_version = 0;
    int run_qr_ec_level = 0;
    // Points per Data Matrix module of the generation under way.
    int module_size = 1;
    // A run record's own picture resolution (dots per inch).
    int run_dpi = 600;
    // The resolution of the device a run's picture goes to (export, print
    // or mail; 0: not known) and the frame the canvas shows its design
    // picture in, in points (empty: not known). A run's symbol fills the
    // room that frame leaves beside the bands, its modules on whole device
    // pixels where they fit, and the picture never exceeds the frame.
    double run_device_dpi = 0;
    QSizeF run_frame;
    // What the last run generation drew: the narrowest module in points as
    // drawn, the module the design asks for and the largest the frame's
    // room allows (points), the modules across the symbol (quiet zone
    // included), the width the frame leaves the symbol, and whether the
    // modules lie on whole device pixels. module 0: nothing measured.
    struct Drawn_Modules {
        double module = 0;
        double design = 0;
        double fit = 0;
        int across = 0;
        double room = 0;
        bool whole_pixels = false;
    };
    Drawn_Modules drawn_modules;
    // Whole device pixels (k per point) a module takes: the design's module
    // rounded up, else to the nearest, where that fits the room's largest
    // module, else as many as fit; 0 when not one pixel fits.
    static int Snap_Module_Pixels(double design, double fit, double k);
    // The room a run's 2-D symbol is centred in (empty: its own size).
    QSizeF symbol_room;

    // ---- symbology and values --------------------------------------------
    int liner_or_2D_font = 0;          // 0 linear, 1 two-dimensional
    QString barcodeTypePopup;          // title of the chosen symbology
    BarcodeTextEntry dataText;         // linear value
    BarcodeTextEntry dataText_2D;      // 2-D value (several lines allowed)
    BarcodeTextEntry HeaderText;
    BarcodeTextEntry FooterText;

    // ---- check boxes -----------------------------------------------------
    BarcodeCheckBox captionCheckbox;        // 1 hides the value text
    BarcodeCheckBox showinTopCheckbox;      // 1 puts the value text above the bars
    BarcodeCheckBox hideHeaderCheckbox;     // 1 hides the header
    BarcodeCheckBox hideFooterCheckbox;     // 1 hides the footer
    BarcodeCheckBox kerning_value_Checkbox; // 1 stretches the value text

    // ---- sizes as entered (designer unit; bar width in mils) --------------
    BarcodeTextEntry HeightText;
    BarcodeTextEntry widthText;
    BarcodeTextEntry val_mar_Text, hdr_mar_Text, ftr_mar_Text, TB_mar_Text, LR_mar_Text;
    // The margins in points as the renderers read them (0.1 at creation).
    float value_margin = 0.1f, header_margin = 0.1f, footer_margin = 0.1f;
    float LR_margin = 0.1f, TB_margin = 0.1f;

    // ---- alignment, colours, fonts ----------------------------------------
    QString align_hdr_combo;  // "Center", "Left", "Right"; anything else: natural
    QString align_ftr_combo;
    QColor barcode_clr, bar_back_clr, bar_val_clr, bar_hdr_clr, bar_ftr_clr;
    QFont value_font, header_font, footer_font;

    // ---- 2-D settings as entered -------------------------------------------
    BarcodeTextEntry HeightText_2D;     // QR picture size in pixels
    BarcodeTextEntry pdf_HeightText_2D; // PDF417 height
    BarcodeTextEntry Pdf_widthText_2D;  // PDF417 width
    BarcodeTextEntry pdf_ec_lvl_Text;   // PDF417 error-correction level
    BarcodeTextEntry dm_moduleText_2D;  // Data Matrix module size
    QString dm_format_ComboBox;         // "Auto" or "C<rows>X<cols>"
    QString dm_encoding_ComboBox;       // "Auto", "Ascii", "C40", "Text", "Base256"
    QString DPI_ComboBox;               // "Auto", "Custom" or a number of dots per inch
    BarcodeTextEntry dpi_Text;          // the custom resolution as typed

    // ---- barcode objects and the 2-D symbol ----------------------------------
    std::shared_ptr<BCXBarcode> testBarcode;     // last preview object
    std::shared_ptr<BCXBarcode> testBarcode_EXP; // last headless object
    // The 2-D encoder's symbol picture of the last generation (a raster with
    // its explicit point size); null when none was made.
    PointPicture image_2d;
    // Why the last generation made no picture ("" after a picture).
    QString last_failure;
    // What the last generation's symbol holds other than the value given
    // (a value cut to the symbol's capacity); "" when it holds it whole.
    QString last_change;

    // ---- 2-D size model ------------------------------------------------------
    void setContent(const QString& s) { m_content = s; }
    void setHeader(const QString& s) { m_header = s; }
    void setFooter(const QString& s) { m_footer = s; }
    QString caption() const { return m_content; }
    QString header() const { return m_header.isNull() ? QString(QLatin1String("")) : m_header; }
    QString footer() const { return m_footer.isNull() ? QString(QLatin1String("")) : m_footer; }
    void setHeight(float v) { m_height = v; }
    float height() const { return m_height; }
    void setWidth(float v) { m_width = v; }
    float width() const { return m_width; }
    void setPrintsCaption(bool f) { m_printsCaption = f; }
    bool printsCaption() const { return m_printsCaption; }
    void setPrintsHeader(bool f) { m_printsHeader = f; }
    bool printsHeader() const { return m_printsHeader; }
    void setPrintsFooter(bool f) { m_printsFooter = f; }
    bool printsFooter() const { return m_printsFooter; }
    void setCaptionHeight(float v) { m_captionHeight = v; }
    float captionHeight() const { return m_captionHeight; }
    void setHeaderHeight(float v) { m_headerHeight = v; }
    float headerHeight() const { return m_headerHeight; }
    void setFooterHeight(float v) { m_footerHeight = v; }
    float footerHeight() const { return m_footerHeight; }
    void setHeaderWidth(float v) { m_headerWidth = v; }
    float headerWidth() const { return m_headerWidth; }
    void setFooterWidth(float v) { m_footerWidth = v; }
    float footerWidth() const { return m_footerWidth; }
    float caption_fontSize() const { return m_captionFontSize; }
    float header_fontSize() const { return m_headerFontSize; }
    float footer_fontSize() const { return m_footerFontSize; }
    // Band heights from the fonts, in inches: the caption 1.35 cap heights,
    // header and footer the font's line as drawn (ascent and descent); header
    // and footer also measure their texts. The size argument is only stored.
    void setCaptionFontSize(float size);
    void setHeaderFontSize(float size);
    void setFooterFontSize(float size);

    // ---- sizes -------------------------------------------------------------------
    // A length entered in the designer unit, in points (1 cm = 28.346472 pt).
    static float To_Points(float value);
    // Reads the margins from their fields into points; hidden bands give 0.
    // Negative, NaN or infinite margins read 0.
    void Read_Margins(bool allFive);
    // Sets a linear barcode's total height from the bar height and bands.
    void Set_Barcode_Height(BCXBarcode& barcode);
    // The total width of a linear barcode picture in points.
    float Set_Linear_Barcode_Width(BCXBarcode& barcode);
    // The 2-D picture's total height and width from its symbol picture.
    void Set_2d_Barcode_Height(const PointPicture& symbol);
    void Set_2d_Barcode_Width(const PointPicture& symbol);
    // The total size those two give a symbol of this size, nothing stored.
    QSizeF Two_D_Frame_For(QSizeF symbol);
    // The resolution raise: a raster of the picture at dpi (clamped to
    // 72..2400) with the picture's point size kept; null (and "Invalid
    // image" logged) for a null picture or a raster over the byte budget.
    PointPicture Increase_DPI(PointPicture source, double dpi) const;

    // ---- generation -----------------------------------------------------------------
    // True when the caption check box is enabled and not ticked.
    bool Get_Print_State() const;
    // The symbology dispatch: a new linear barcode object made from the
    // value with the current settings, or none (reason in last_failure). In
    // the 2-D family the result is none and the symbol is left in image_2d.
    std::shared_ptr<BCXBarcode> Generate_Barcode_Variable(bool preview, const QString& value,
                                                          const QString& header, const QString& footer);
    // Headless picture of one value with the settings now in the designer
    // (vector picture of the whole barcode); null with last_failure set when
    // no picture can be made. Holds the generation lock. moduleShapes draws
    // a 2-D symbol as rectangles rather than holding its raster (runs: no
    // image to encode and decode in the picture, vector modules in print).
    PointPicture Get_Image_From_Val(const QString& value, const QString& header, const QString& footer,
                                    bool moduleShapes = false);
    // A linear barcode object of the symbology title with its code set
    // applied, not yet initialised; none for a title that is not linear.
    static std::unique_ptr<BCXBarcode> Create_Linear_Barcode(const QString& title);
    // True for the titles of the 2-D family ("QR Code", "PDF417", "DataMatrix").
    static bool Is_2D_Title(const QString& title);
    // The resolution a choice stands for: 600 for "Auto", the custom text's
    // number for "Custom", else the number the title starts with; always
    // within 72..2400. *usable is false when the choice or the custom text
    // holds no number (600 is then given).
    static int Resolution_For(const QString& choice, const QString& custom, bool* usable = nullptr);

private:
    QString m_content;
    QString m_header;
    QString m_footer;
    float m_height = 0;
    float m_width = 0;
    bool m_printsCaption = false;
    bool m_printsHeader = false;
    bool m_printsFooter = false;
    float m_captionFontSize = 0, m_headerFontSize = 0, m_footerFontSize = 0;
    float m_captionHeight = 0, m_headerHeight = 0, m_footerHeight = 0;
    float m_headerWidth = 0, m_footerWidth = 0;

public:
    // ==== 2-D drawing pipeline ====================================================
    // Filled by the 2-D symbologies (QR Code, PDF417, Data Matrix): their
    // drawing operations leave the symbol picture in image_2d (null when the
    // encoder makes none) and pass it through Increase_DPI at USED_DPI_VALUE.
    //
    // Draw_2D_Symbol is the one entry the dispatch calls for the 2-D family,
    // with the generation lock held: it draws the symbol of the given title
    // and returns whether image_2d now holds a picture.
    bool Draw_2D_Symbol(const QString& title, const QString& value);

    // QR Code of the value at QR_EC_Level_Val / QR_Version_Val (a run
    // record's own level and version), painted at
    // the pixel size of HeightText_2D; image_2d stays null when it does not fit.
    void Draw_QR_Barcode(const QString& value);
    // PDF417 of the value through the PDF417 view, framed by Pdf_widthText_2D
    // x pdf_HeightText_2D points; image_2d only when the encoding succeeded.
    void Draw_PDF_417_Barcode(const QString& value);
    // A run's symbol from its raster of one pixel a module (quiet zone
    // included) in the room given (points): whole device pixels a module
    // when at least one fits, else stretched to the room (rows and modules
    // on their own when squareModules is false). Sets drawn_modules, with
    // `design` the module the design's own picture draws.
    PointPicture Fit_Run_Symbol(const QImage& units, QSizeF room, bool squareModules, double design);
    // The room a run's frame leaves a 2-D symbol beside its bands; `own`
    // where the frame is not known; never more than `own` unless mayGrow.
    QSizeF Run_Symbol_Room(QSizeF own, bool mayGrow);
    // A run's linear bars fitted into its frame: the design's bar width, on
    // whole device pixels when they fit, narrower when the row needs it.
    void Fit_Linear_Run(BCXBarcode& barcode);
    // Why a value does not fit: how much of it fits at the chosen settings,
    // counted in bytes when it takes more bytes than characters.
    static QString QR_Capacity_Text(const QString& value, int level, int version);
    static QString PDF417_Capacity_Text(const QString& value, int errorLevel);
    static QString DataMatrix_Capacity_Text(const QString& value, int width, int height, const QString& encoding);
    // The first character of the value PDF417 cannot hold, named; "" when
    // there is none.
    static QString PDF417_Character_Text(const QString& value);
    // Why the designer's QR picture size cannot hold a symbol n modules wide.
    static QString QR_Size_Text(int64_t n, int size);
    // Why no QR picture of `size` can be raised to dpi, and the largest
    // size that can.
    static QString QR_Raster_Text(int size, double dpi);
    // Data Matrix of the value through libiec16022 with the size and
    // encodation of dm_format_ComboBox / dm_encoding_ComboBox.
    void Draw_DataMatrix_Barcode(const QString& value);
    // The EPS text of a symbol (grid W x H, row 0 at the bottom); also sets
    // image_2d to the symbol raised to USED_DPI_VALUE, W x H modules of
    // module_size points.
    QByteArray makeEPS_Data_Matrix(const QByteArray& text, int W, int H, const uint8_t* grid);
    // The composed 2-D picture (symbol with header and footer) after sizing
    // the 2-D frame from the symbol; null, and image_2d cleared, when there
    // is no symbol.
    PointPicture Get_Image_From_barcode_image(const PointPicture& symbol);
    // Composes again from the cached image_2d (2-D family only).
    PointPicture Get_2d_barcode_from_image();
    // The blank state: no symbol.
    void Set_Blank_Image();
    // Picture tools.
    PointPicture Resize_Image(const PointPicture& picture, QSizeF newSize) const;
    bool Save_Barcode_image(const PointPicture& picture, const QString& file_path_val) const;
    void Save_Barcode_gen_image(const PointPicture& picture, const QString& file_name) const;
    PointPicture Check_Orintation_And_Rotate_Image(const PointPicture& picture) const;
    // The PDF417 encoder view (made on first use).
    std::shared_ptr<class PDF417_View> pdf_barcode;
    // ===============================================================================
};

// The designer every renderer reads (set by awakeFromNib).
extern Barcode_Gen* Barcode_Gen_Var;
extern Barcode_Gen* barcode_gen_def_inst;
// Barcode_Gen_Var, the designer being created first when there is none yet
// (its creation is thread-safe, so any renderer may be the first).
// A run record made current on this thread comes first.
Barcode_Gen& Current_Barcode_Gen();
// The resolution of the 2-D pictures made on this thread: a current run
// record's own, else USED_DPI_VALUE.
int Current_Used_Dpi();

// Makes a run's own record the designer every renderer on this thread reads
// until the scope ends.
class Thread_Designer_Scope {
public:
    explicit Thread_Designer_Scope(Barcode_Gen& gen);
    ~Thread_Designer_Scope();
    Thread_Designer_Scope(const Thread_Designer_Scope&) = delete;
    Thread_Designer_Scope& operator=(const Thread_Designer_Scope&) = delete;

private:
    Barcode_Gen* m_previous;
};
