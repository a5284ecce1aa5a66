#pragma once
// The one main window controller of the card editor: the window with its three
// canvases (front, back, temporary design side), the two card side records,
// the three user-profile records, the grid and the zoom, the property panel
// and the small dialogs. Every subsystem reaches it through Main_App_wnd.
//
// The window is built in code: every control the controller reads or writes
// is a typed member; each concern has its own draw_window_*.cpp (set-up,
// sizes, services, ...). Members of a panel are added by that panel's code.
#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "batch/DataBinding.h"
#include "drawing/CanvasHost.h"
#include "drawing/Card_Property.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXRenderingView.h"
#include "platform/locked_value.h"
#include "platform/observation.h"
#include "platform/selection_holder.h"
#include "wizards/EditorHost.h"
#include "wizards/Picture_Browser_List.h"
#include "wizards/WizardGlobals.h"
#include "output/Open_Export_Log.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>


class QBXGrid;
class QBXGraphicView;
class QBXZoomingScrollView;
class User_Profile_Class;
class Send_Modeless;
class Open_Export_Log;
class QMainWindow;
class QWidget;
class QStackedWidget;
class QTabWidget;
class QComboBox;
class QLineEdit;
class QLabel;
class QPushButton;
class QCheckBox;
class QButtonGroup;
class QTableView;
class QDialog;
class QPlainTextEdit;
class QRadioButton;
class QGroupBox;
class QGridLayout;
class QAbstractTableModel;
class QTimer;
struct Export_Batch_Run;
namespace design_log {
struct Stage;
}
namespace platform {
class DoubleSlider;
class TabItem;
class Stepper;
class ColorWell;
} // namespace platform

class QBXWindowController : public QObject,
                            public platform::Observer,
                            public CanvasHost,
                            public EditorHost,
                            public Picture_Browser_List {
    Q_OBJECT
public:
    // init: the records, the grid, the preset names and the bundle pictures;
    // stores itself in Main_App_wnd. The window is built by awakeFromNib.
    QBXWindowController();
    ~QBXWindowController() override;
    static QBXWindowController* defaultInstance();

    // Builds the window and runs the start-up steps. False when start-up
    // stops (the resource folder cannot be made): the caller ends the program
    // with a failure status.
    bool awakeFromNib();
    void windowDidLoad() {}

    // ---- document ----
    QBXDocument* document() const { return m_document; }
    // Binds the canvases to the document's lists (nil: unbinds them) and
    // follows its canvas size.
    void setDocument(QBXDocument* document);
    void observeValueForKey(const QString& key, platform::Observable* object, const platform::Change& change,
                            void* context) override;
    // A close request of the window: ignored, and runs Exit_App (once, while
    // it is not asking already). True when the window may close: the
    // program is ending.
    bool windowShouldClose();
    void newDocumentWindow();

    // ---- CanvasHost ----
    void Card_Base_Drawing(QPainter& painter, const QRectF& cardRect, const QRectF& dirty) override;
    std::pair<platform::StoredPicture, QSize> cardBackgroundPicture(const QRectF& cardRect,
                                                                    double pixelsPerPoint) override;
    int cardShape() const override;
    void selectionSizeChanged(int count) override;

    // ---- canvas refresh (safe from any thread; coalesced) ----
    void Refresh_Canvas();

    // ---- zoom ----
    double zoomFactor() const { return _zoomFactor; }
    // Sets the zoom of the three canvases; zero, negative or non-finite
    // factors are ignored.
    void setZoomFactor(double factor);
    QBXGrid* grid() const { return _grid; }

    // ---- card-size presets and canvas size ----
    QSizeF Get_My_card_Size(const QString& category, const QString& preset, int list_index);
    // Shows a size (millimetres) in the card panel, with the preset of the
    // shown category and orientation that has that size selected, or none.
    void Set_Card_Size_In_Control(const QSizeF& size);
    // Selects the preset of the shown category and orientation whose size is
    // `size` (millimetres, to a hundredth): `preferred` when it is one of
    // them (presets may share a size), else the first; none when no preset
    // has that size.
    void Select_Matching_Preset(const QSizeF& size, int preferred = -1);
    // The card's size in millimetres: the front canvas's.
    QSizeF Card_Size_MM() const;
    // The selected row of the size list, -1 for none.
    int Selected_Size_Row() const;
    void Set_Document_Size(const QSizeF& size);
    void SetDocumentCanvasSize(const QSizeF& size);
    void Create_List(const QString& name);
    // Lists the presets of the category (0 PVC cards, else paper), none selected.
    void Fill_Size_List(int category);
    QString Get_Item_Text(int row);
    void Mark_List_New_Selection(int row);
    int numberOfRowsInTableView(const QTableView* table) const;
    QVariant tableView_objectValueForTableColumn(const QTableView* table, const QString& column, int row) const;
    void tableView_setObjectValue(const QTableView* table, const QVariant& value, const QString& column, int row);

    // ---- controller services ----
    GraphicList Get_Front_Controls_Array() const;
    GraphicList Get_Back_Controls_Array() const;
    GraphicList Get_Temp_Controls_Array() const;
    int Get_Front_Control_Count() const;
    int Get_Back_Control_Count() const;
    static float Points_to_MM_Convert(float value);
    // The next cascade point of a side; a graphic of `size` there lies wholly
    // on the card (else the cascade starts again at the top left offset).
    QPointF Control_New_Point(const QString& side, const QSizeF& size = QSizeF(50, 50));
    // Resamples to the dpi keeping the size in points; null (logged
    // "Invalid image") for an invalid or unallocatable picture.
    static QImage Increase_DPI(const QImage& picture, double dpi);
    // Always PNG, written atomically; on failure the old file is kept and the
    // path, then the error, are shown. True when written.
    static bool Save_gen_image(const QImage& picture, const QString& file_path_val);
    static void Get_Email_Details();
    static int Get_OS_Version();
    void Open_Export_File_Box();
    // Sizes the export-result box to its message, within the screen.
    void Fit_Export_Box_To_Message();
    static QStringList Get_Files_Array_At_Path(const QString& path);
    QStringList Get_datasheet_File_Name_Array() const;
    bool Check_Batch_File_In_Use_Validation(const QString& name);
    static void Delete_Excel_File_Temp_Folder();
    static QString Get_date_Value(const QString& format);
    static QString Get_time_Value(const QString& format);
    static QString Convert_Path_From_URL(const QUrl& url);
    static bool Check_And_Validate_File_Path(const QString& path);
    void Show_Create_Modeless();
    void Hide_Destroy_Modeless();
    void Show_One_By_One_Modeless();
    void Hide_One_By_One_Modeless();

    // ---- new design and the start wizard (new_design.cpp) ----
    // One clean state: empty front and back lists, default side records, no
    // file, no undo history, no binding, front side.
    void New_Project_Setting_Reset();
    // The reset, then the start wizard; a wizard that does not end with OK
    // ends the program.
    void New_Project();
    // The New command: offers to save first; a save that did not write stops
    // it. Returns whether a new design was started.
    bool New_Btn_Clicked(QObject* sender = nullptr);
    // Runs the start wizard and, for a new card, lays its texts on the front.
    void Open_Start_Window();
    // The wizard's texts as text graphics down the front, over its picture
    // (invitation_placement.cpp).
    void Fill_Party_Invidation_Details();

    // ---- design log (design_log.cpp) ----
    // Reads a design log: 1 when the whole log was applied; anything else
    // leaves the design as it was, with undo registration and the panel flag
    // restored. Replaceable (tests install fakes).
    using Design_Log_Reader = std::function<int(const QString& path, const QString& log_or_template)>;
    // Writes the current design to a path; true when the file was written.
    using Design_Log_Writer = std::function<bool(const QString& path)>;
    static Design_Log_Reader& designLogReader();
    static Design_Log_Writer& designLogWriter();
    int Read_and_load_design_Log(const QString& path, const QString& log_or_template);
    // An open panel for design logs, then the reader: 1 when loaded, 0 when
    // cancelled or not loaded.
    int Open_Log_File();
    // True when the design was written. A failed write is told by "fail"
    // and the reason: shown when show_msg, and put in *failure (when given;
    // left empty for a cancelled save panel).
    bool Save_project_file(bool save_as, bool show_msg, QString* failure = nullptr);
    void Set_Log_Name_In_Title();
    // The design as a log stores it: both records, the binding, the front
    // and back graphics (never the temporary side).
    design_log::Stage Design_Log_Stage() const;

    // ---- file, output and exit commands (draw_window_file_commands.cpp) ----
    // Each catches what it must so that no exception leaves a Qt handler.
    void Open_Btn_Clicked(QObject* sender = nullptr);
    void Save_Btn_Clicked(QObject* sender = nullptr);
    void SaveAs_Btn_Clicked(QObject* sender = nullptr);
    void Export_Button(QObject* sender = nullptr);
    void Mail_Button(QObject* sender = nullptr);
    void Print_Button(QObject* sender = nullptr);
    void Print_method();
    // Opens the print window on this design (draw_window_print.cpp).
    void Open_Print_Window();
    void Help_Button(QObject* sender = nullptr);
    void Exit_Btn_Clicked(QObject* sender = nullptr);
    // Offers to save, shows the review request and ends the program with 0;
    // stays when a Yes-save did not write.
    void Exit_App();
    void Batch_Series_Button(QObject* sender = nullptr);
    void Import_Wizard_Button(QObject* sender = nullptr);
    void Create_Series_Button(QObject* sender = nullptr);
    // The File menu with its shortcuts, the file buttons and the close watch.
    void buildFileCommands();
    class ExportWindow* exportWindow = nullptr;
    // The export dialog's own handlers (draw_window_export.cpp): the
    // resolution's enabling, the format rows, the side and the combined box.
    void Connect_Export_Dialog();
    void exportFileTypeChanged();
    void export_file_type_CellClick();
    void export_card_side_CellClick();
    QDialog* HelpWindow = nullptr;
    class QMenu* fileMenu = nullptr;

    // ---- sides, panel and card background ----
    // Sides and the edit buttons are in draw_window_sides.cpp.
    void Select_front_side();
    // Sets every edit button (undo, redo, clipboard, delete, order, lock,
    // same size) from the shown canvas, the clipboard and the front's history.
    void Undo_Redo_Button_state();
    void Show_RHS_Properties(const GraphicPtr& graphic);
    void Update_Card_Graphics();
    void set_Front_BG_Image(const QString& path);

    // ---- sides and rulers ----
    void Show_Hide_Ruler_ChkBox(QObject* sender);

    // ---- window and shell ----
    QMainWindow* window = nullptr;
    QWidget* Main_wnd = nullptr;
    QString App_Name;
    QLabel* Front_back_label = nullptr;
    QWidget* first_view = nullptr;
    QWidget* second_view = nullptr;
    QWidget* temp_design_view = nullptr;
    QStackedWidget* myTargetView = nullptr;

    // ---- drawing state ----
    platform::SelectionHolder* _graphicsController = nullptr;
    platform::SelectionHolder* _graphicsController_back = nullptr;
    platform::SelectionHolder* _graphicsController_TEMP = nullptr;
    QBXGrid* _grid = nullptr;
    double _zoomFactor = 1.0;
    QBXGraphicView* _graphicView = nullptr;
    QBXZoomingScrollView* _zoomingScrollView = nullptr;
    QBXGraphicView* _graphicView_BACK = nullptr;
    QBXZoomingScrollView* _zoomingScrollView_BACK = nullptr;
    QBXGraphicView* _graphicView_TEMP = nullptr;
    QBXZoomingScrollView* _zoomingScrollView_TEMP = nullptr;
    int Selected_Control_Tool = 0;
    // The graphic the panel shows: a weak reference (null once destroyed).
    std::weak_ptr<QBXGraphic> Last_Selected_Graphic;

    // ---- card and profile records ----
    Card_Property Front_card_Prop;
    Card_Property Back_card_Prop;
    User_Profile_Class* Front_user_profile = nullptr;
    User_Profile_Class* Back_user_profile = nullptr;
    User_Profile_Class* TEMP_user_profile = nullptr;

    // ---- card size and shape controls ----
    QStringList paper_card_arry;
    QStringList pvc_card_arry;
    QButtonGroup* matrix_card_shape = nullptr;
    QComboBox* Sides_ComboBox = nullptr;
    QComboBox* Preset_ComboBox = nullptr;
    QComboBox* Category_ComboBox = nullptr;
    QLineEdit* card_name = nullptr;
    platform::Stepper* width_Stepper = nullptr;
    QLineEdit* width_Text = nullptr;
    platform::Stepper* height_Stepper = nullptr;
    QLineEdit* height_Text = nullptr;

    // ---- preset list and binding tables ----
    QList<QVariantMap> ListData;
    QTableView* ColList = nullptr;
    GraphicList Graphics_array_Batch;

    // ---- bundle pictures (null when missing) ----
    QImage no_image;
    QImage sign_sample_img;
    QImage barcode_sample_img;
    QImage fp_sample_img;
    QImage banner_image;
    QImage promotion_pattern_image;
    QImage wizard_pattern_image;

    // ---- property panel: the tab view and its items ----
    // Card controls live on the three card tabs; no other card tab exists.
    QTabWidget* sett_tab = nullptr;
    platform::TabItem* card_setting_tab = nullptr;
    platform::TabItem* card_bkgd_tab = nullptr;
    platform::TabItem* card_brdr_tab = nullptr;
    platform::TabItem* line_tab = nullptr;
    platform::TabItem* shape_tab = nullptr;
    platform::TabItem* text_edtng_tab = nullptr;
    platform::TabItem* text_prop_tab = nullptr;
    platform::TabItem* image_tab = nullptr;
    platform::TabItem* sign_tab = nullptr;
    platform::TabItem* datasource_tab = nullptr;
    platform::TabItem* aligmnt_tab = nullptr;
    platform::TabItem* barcode_tab = nullptr;
    platform::TabItem* Lock_tab = nullptr;

    // Controls the start-up loads (the panels own the rest of each tab).
    QComboBox* shape_border_style = nullptr;
    QComboBox* shape_hatch_style = nullptr;
    QComboBox* Text_Date_style = nullptr;
    QComboBox* Text_Time_style = nullptr;
    QComboBox* Text_align_combo = nullptr;
    QComboBox* Text_case_combo = nullptr;
    QComboBox* Card_image_layout = nullptr;
    QComboBox* Card_hatch_style = nullptr;
    QLineEdit* Card_bor_Text = nullptr;
    platform::Stepper* Card_bor_Stepper = nullptr;
    QComboBox* Card_border_style = nullptr;
    QFont Text_font;
    QFont All_Text_font;
    QFont All_Text_font_COPY;

    // ---- edit and arrange buttons ----
    QPushButton* Undo_btn = nullptr;
    QPushButton* Redo_btn = nullptr;
    QPushButton* Cut_btn = nullptr;
    QPushButton* Copy_btn = nullptr;
    QPushButton* Paste_btn = nullptr;
    QPushButton* Delete_btn = nullptr;
    QPushButton* Begin_Front_btn = nullptr;
    QPushButton* Send_Back_btn = nullptr;
    QPushButton* Lock_btn = nullptr;
    QPushButton* Unlock_btn = nullptr;
    QPushButton* Make_same_width_btn = nullptr;
    QPushButton* Make_same_height_btn = nullptr;
    QPushButton* Make_natural_size_btn = nullptr;
    QPushButton* Align_with_grid_btn = nullptr;

    // ---- dialogs and sheets ----
    QDialog* Open_Export_Files = nullptr;
    QCheckBox* _open_log_chk = nullptr;
    QLabel* _open_log_message = nullptr;
    QLabel* _open_log_path = nullptr;
    QDialog* plz_wait_Window = nullptr;
    QLabel* modeless_msg_lbl = nullptr;
    QDialog* Send_Models_Window = nullptr;
    Send_Modeless* send_modls_wnd = nullptr;

    // ==== data binding (series and spreadsheet values; added by the batch
    // data code) ====
    // Thin members over the headless binding (batch/DataBinding.h); bodies in
    // draw_window_binding.cpp. Main thread only. The batch globals
    // (Use_Data_Sheet_Values, Use_Excel_Binding_Values, Data_table_rows,
    // Excel_table_rows, Total_Batch_Excel_Card) mirror Binding_State.counts;
    // an output run may clear the two flags before Get_total_Card_count.
    Data_Binding Binding_State;
    const Series_Table& data_table_content() const { return Binding_State.data_table_content; }
    void setData_table_content(const Series_Table& table) { Binding_State.data_table_content = table; }
    // Property panel: the data-source combo box ("Manual", "Series" and,
    // while a spreadsheet is bound, "Excel") and the series or column list.
    QComboBox* Data_source_type = nullptr;
    QComboBox* Batch_Series = nullptr;

    void Check_Series_Or_Excel_Use_or_not();
    void Check_Data_Sheet_Value_Use_or_Not();
    void Check_Excel_Binding_Value_Use_or_Not();
    bool Check_Front_Side_Dataset_Is_Used();
    bool Check_Back_Side_Dataset_Is_Used();
    bool Check_Front_Side_Excel_Binding_Is_Used();
    bool Check_Back_Side_Excel_Binding_Is_Used();
    void Create_Dataset_binding_table();
    // Loads the series the name (or, for an empty name, the slot) denotes.
    void Add_dataset_col_in_binding_table(const QString& name, int dataset_index);
    void Calculate_data_table_rows();
    void Calculate_Excel_table_rows();
    void Get_total_Card_count();
    // Fills the design's own side ("F" front, else back) with a row and
    // renders it: previews and putting row 0 back after a run. Output runs
    // use Take_Binding_Run_Snapshot instead.
    CardPicture Set_data_table_value_to_card(int row, const QString& card_side, bool print_box);
    void Assign_Batch_Values_To_Control(int row);
    QString Get_sel_row_col_value_of_dataset(int row, int col) const;
    QString Get_sel_row_col_value_of_Excel(int row, int col) const;
    QString Get_First_Value_Of_Dataset(const QString& name) const;
    QString Get_First_Value_Of_Excel_Binding(int col) const;
    void Fill_Excel_Col_Name_In_Combo(QComboBox* combo);
    void Fill_Data_Set_File_Name_In_Combo(QComboBox* combo);
    void Add_Excel_Col_Name_In_Combo(QComboBox* combo);
    void Remove_Excel_Col_Name_In_Combo(QComboBox* combo);
    // Selection handlers of the two combo boxes for the selected graphic
    // (Last_Selected_Graphic); index -1 (a cleared list) is ignored.
    void Data_Source_Selection_Changed(int index);
    void Batch_Series_Selection_Changed(int index);
    void View_batch_Series_Button(QObject* sender);
    void Data_Source_Help_Button(QObject* sender);
    // Once the run has checked which sources the design uses and counted its
    // cards, before any worker starts: everything a run reads, copied.
    std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot();
    // The render settings of the design now (card records, shape, frame).
    CardRenderContext Card_Render_Context(int side) const;
    // Opens the series viewer for a series name (set at start-up).
    std::function<void(const QString&)> Open_Series_Viewer;
    // The series dialogs' host and the viewer hook (draw_window_series.cpp).
    void Install_Series_Services();
    void Remove_Series_Services();
    // The mail window's host (draw_window_mail.cpp).
    void Install_Mail_Services();
    void Remove_Mail_Services();
    // ==== end of data binding ====

    // ==== canvas editing: tools, sides, edit and arrange commands (added by
    // the canvas editing code; bodies in draw_window_tools.cpp,
    // draw_window_sides.cpp and draw_window_arrange.cpp) ====
    // Tool buttons and the tool change (draw_window_tools.cpp).
    void Arrow_Tool_Clicked(QObject* sender);
    void Line_Tool_Clicked(QObject* sender);
    void Text_Tool_Clicked(QObject* sender);
    void Rect_Tool_Clicked(QObject* sender);
    void Circle_Tool_Clicked(QObject* sender);
    void Round_Rect_Tool_Clicked(QObject* sender);
    void Triangle_Tool_Clicked(QObject* sender);
    void Diamond_Tool_Clicked(QObject* sender);
    void Image_Tool_Clicked(QObject* sender);
    void Image_Library_Tool_Clicked(QObject* sender);
    void Barcode_Tool_Clicked(QObject* sender);
    void Signature_Tool_Clicked(QObject* sender);
    void Fingure_Print_Tool_Clicked(QObject* sender);
    void Star_Tool_Clicked(QObject* sender);
    void Double_Star_Tool_Clicked(QObject* sender);
    void Polygon_Tool_Clicked(QObject* sender);
    void Select_tool_action();
    void selectArrowTool();
    // The observer of "QBXSelectedToolDidChange" (null: called directly).
    void selectedToolDidChange(QObject* notificationSender);
    QString currentGraphicClass() const override;
    int selectedControlTool() const override { return Selected_Control_Tool; }
    void showProperties(const GraphicPtr& graphic) override;
    void openBarcodeWindow() override;
    void undoRedoButtonState() override { Undo_Redo_Button_state(); }
    void pasteButtonStatus() override;
    QString libraryImagePath() const override;
    QImage placeholderPicture(const QString& which) const override;
    CardRenderContext cardRenderContext() const override;
    QString storePastedPicture(const QImage& picture) override;
    QImage wizardPatternImage() const override { return wizard_pattern_image; }
    // Builds the tool, side, grid and command controls and wires them and
    // the edit buttons; registers the tool observer.
    void buildEditingControls();
    // The canvas that is shown: the temporary design side's while it is up,
    // else the back one when Card_Front_Or_Back is 1, else the front one.
    QBXGraphicView* currentSideCanvas() const;

    // Sides and edit commands (draw_window_sides.cpp).
    void Select_back_side();
    void Select_temp_design_side();
    void Front_Card_Btn_Clicked(QObject* sender);
    void Back_Card_Btn_Clicked(QObject* sender);
    void Temp_Card_Btn_Clicked(QObject* sender);
    void Temp_Design_Control_Assign();
    void Undo_Clicked(QObject* sender);
    void Redo_Clicked(QObject* sender);
    void Cut_Clicked(QObject* sender);
    void Copy_Clicked(QObject* sender);
    void Paste_Clicked(QObject* sender);
    void Delete_Clicked(QObject* sender);
    void Begin_Front_Clicked(QObject* sender);
    void Send_Back_Clicked(QObject* sender);
    void Lock_Clicked(QObject* sender);
    void Unlock_Clicked(QObject* sender);
    void Card_Prop_Clicked(QObject* sender);
    void Card_Bckgrnd_Clicked(QObject* sender);
    void Export_As_Template_Clicked(QObject* sender);
    void User_Profile_Button_Clicked(QObject* sender);
    void Share_It_Button_Clicked(QObject* sender);
    void toggleGridConstraining(QObject* sender);
    void toggleGridShowing(QObject* sender);
    void Grid_Clr_Changed(QObject* sender);
    void Grid_Slider_Changed(QObject* sender);
    void Grid_Show_Hide_Changed(QObject* sender);

    // Arrangement (draw_window_arrange.cpp).
    void Align_Center_Clicked(QObject* sender);
    void Align_Left_Clicked(QObject* sender);
    void Align_Right_Clicked(QObject* sender);
    void Align_Top_Clicked(QObject* sender);
    void Align_Bottom_Clicked(QObject* sender);
    void Align_Horz_Clicked(QObject* sender);
    void Align_Vert_Clicked(QObject* sender);
    void Make_Natural_Clicked(QObject* sender);
    void Make_Same_Width_Clicked(QObject* sender);
    void Make_Same_Height_Clicked(QObject* sender);
    void Align_To_Grid_Clicked(QObject* sender);

    // The Edit and Arrange menus (draw_window_menus.cpp): the buttons'
    // commands with the standard shortcuts; Menu_Item_State enables each
    // item as the shown canvas validates it (run with the edit buttons).
    void buildEditMenus();
    void Menu_Item_State();
    void Select_All_Clicked(QObject* sender);
    class QMenu* editMenu = nullptr;
    class QMenu* arrangeMenu = nullptr;
    QList<class QAction*> m_menuItems;

    // Grid options and the tool buttons.
    platform::ColorWell* Grid_clr = nullptr;
    class QSlider* Grid_Space_slidr = nullptr;
    QCheckBox* Show_hide_grid_chk = nullptr;
    QGroupBox* Grid_Opt_box = nullptr;
    QButtonGroup* tool_buttons = nullptr;

    // Entry points of the panels, dialogs and writers, each defined in the
    // file named beside it.
    // property_panel.cpp (with Show_RHS_Properties and Update_Card_Graphics):
    void changeViewController(int index);
    void Set_Paste_Button_Status();
    void Enable_Standard_Button_For_Control();
    void Enable_Standard_Button_For_Unlock();
    void Disable_Standard_Button_For_Card();
    void Disable_Standard_Button_For_Lock();
    void card_prop_set(const QString& style);
    bool Browse_User_Image_Manually();                           // draw_window_image_panel.cpp
    int Open_Image_Library_Window(const QString& mode);
    void Open_Barcode_Window();                                  // draw_window_barcode_panel.cpp
    void set_Back_BG_Image(const QString& path);                 // card_background.cpp

    // ---- card export (draw_window_export.cpp, draw_window_export_batch.cpp) ----
    // Exports the current design by export_card_side and the combined check
    // (the template export uses it); true when every file was written.
    bool Export_Single_File(const QString& path, bool show_msg);
    // Asks before each file of that export that exists already; false when
    // the user keeps one.
    bool Confirm_Single_Export_Replace(const QString& path);
    // What output makes of the printed barcodes of a list, one sentence
    // each: a picture past the card's edge ("The Code 128 headed
    // \"HEADER\" is 63 x 112 mm and runs past the card's edge at the
    // bottom: the card cuts it there."), and the design's value with
    // modules too fine to read at dpi, with what would make it read.
    static QStringList Barcode_Notices(const GraphicList& graphics, const QRectF& card, double dpi,
                                       const QList<int>& resolutions);
    // The same for the design's side "F", "B" or "BOTH" going out at dpi, as
    // problems of no single card; `resolutions` and `mailed` say what the
    // output offers instead.
    QList<Card_Problem> Card_Barcode_Problems(const QString& side, double dpi, const QList<int>& resolutions,
                                              bool mailed);
    // Starts the batch export into a new folder inside `folder` and returns;
    // the run ends on the main thread (Export_Run_Active turns false).
    void Export_Batch_File(const QString& folder);
    bool Export_Run_Active() const;
    // Writes a picture in the format its extension names; with show, the
    // export-done box. False (the path and the reason shown) on failure.
    // With show_msg the end box shows the message ("" the plain one).
    bool Export_File_Function(const QString& path, const QImage& original, bool show_msg,
                              const QString& message = {});
    bool Export_Combined_Image(const QImage& front, const QImage& back, const QString& path, bool show_msg,
                               const QString& message = {});
    static QString Create_Front_Card_Path(const QString& path) { return path; }
    static QString Create_Back_Card_Path(const QString& path);
    // Puts data row 0 back on both sides of the design (main thread), clears
    // Card_Value_In_Process and refreshes the canvas; the side is kept.
    void Select_first_row_value_for_design(bool print_box);
    // The progress timer: a 0.5 s main-thread timer over the run's atomics.
    void startTimerThread();
    void Timer_Curr_Prg_Send_Modeless();
    void update_sending_progress_bar();
    void stopTimerThread();
    int Open_User_Profile_Window(int mode, const QString& load_side); // profile_placement.cpp
    void Fill_User_profile_info_front_side();
    void Fill_User_profile_info_back_side();
    // Places TEMP_user_profile on the temporary design side (the preview).
    void Fill_User_profile_info_TEMP_side();
    // The front placement, then the back one (the wizards' profile, once
    // their OK has set the front card size).
    void Fill_User_profile_Details();
    // Where a new profile graphic with this control id goes on the card, in
    // points, y down; an empty rectangle for an id outside the eleven.
    QRectF Get_Control_Rect_From_Template(const QString& control_id);
    // Puts a record's fields on a canvas: found graphics updated and shown,
    // missing ones created at their layout rectangle, each bound to its
    // source; profile graphics left hidden are unbound. Tool and
    // Library_Selected_Image are kept.
    void Place_User_Profile(User_Profile_Class* record, QBXGraphicView* canvas);
    // The data-source combo offers "Excel" exactly while the binding is used.
    void Align_Data_Source_Combo_With_Excel();
    // Fills the temporary side with copies of the current side's graphics,
    // places TEMP_user_profile on them and returns them; the cascade point
    // is kept.
    GraphicList Preview_User_Profile();
    void Open_Share_It_Dl();                                     // draw_window_dialogs.cpp
    // Runs the template-name window; 1 on OK (draw_window_dialogs.cpp).
    int Run_Export_Template_Window();

    // ---- the template browser and the card-size wizard
    // (draw_window_templates.cpp) ----
    QStringList Card_Size_Names(int category) const override;
    // "Templates...": the chosen template replaces the design after New's
    // save question; a profile filled in the browser is placed on it.
    void Templates_Btn_Clicked(QObject* sender);
    // "Card Size...": the chosen size and outline go into the front record.
    void Card_Size_Btn_Clicked(QObject* sender);
    QPushButton* Make_Card_Size_Button();
    QPushButton* Card_Size_btn = nullptr;
    // Checks the outline row of Card_Shape without running its handler.
    void Show_Card_Shape_Row();

    // ==== property panels: the host, the shape, line and text panels and
    // the combo-box handler (property_panel.cpp,
    // draw_window_shape_line_panels.cpp, draw_window_text_panel.cpp,
    // draw_window_combo_handler.cpp) ====
    void Remove_All_Tab_Items();
    void Print_object_chk_changed(QObject* sender);
    // Reloads the graphic the panel shows after a change made elsewhere
    // (undo, redo, profile placement), leaving the selection alone; a graphic
    // no longer on the side gives the card panel.
    void Reload_Shown_Graphic();
    // The graphic the data-source controls bind: the one being loaded during
    // a load, else the shown canvas's current graphic.
    GraphicPtr panelCurrentGraphic() const;
    GraphicList panelSelection() const;
    // Redraws the panel canvas after a write-back.
    void Refresh_Panel_Canvas();
    void Load_Source_Panel(const GraphicPtr& graphic);
    // The card, picture and signature panels (their own files).
    void Load_Card_Panel();
    void Load_Image_Panel(const GraphicPtr& graphic);
    void Load_Sign_Panel(const GraphicPtr& graphic);
    void Update_Image_Graphics();
    void Update_Sign_Graphics();
    void Manual_Image_Browse_Btn(QObject* sender);
    void Manual_Library_Browse_Btn(QObject* sender);

    // Shape and line panels.
    void Load_Shape_Panel(const GraphicPtr& graphic);
    void Load_Line_Panel(const GraphicPtr& graphic);
    void Update_Shape_Graphics();
    void Update_Line_Graphics();
    void Set_Control_Clr(QObject* sender);
    void Shape_Border_ChkBox(QObject* sender);
    void Shape_Border_Changed(QObject* sender);
    void Shape_Fill_Chk_Box(QObject* sender);
    void Shape_Gradient_Changed(QObject* sender);
    void Shape_Solid_RD_Sel(QObject* sender);
    void Shape_Gradient_RD_Sel(QObject* sender);
    void Shape_Hatch_RD_Sel(QObject* sender);
    void Shape_Alpha_Changed(QObject* sender);
    void Shape_Corner_Radius_Changed(QObject* sender);
    void Double_Star_Shape_Changed(QObject* sender);
    void Polygon_Shape_Changed(QObject* sender);
    void Line_Alpha_Changed(QObject* sender);
    void Line_Width_Changed(QObject* sender);
    void Set_LineControl_Clr(QObject* sender);

    // Text panel.
    void Load_Text_Panel(const GraphicPtr& graphic);
    void Update_Text_Graphics();
    void Text_Border_ChkBox(QObject* sender);
    void Text_Border_Changed(QObject* sender);
    void Text_Fill_Chk_Box(QObject* sender);
    void Text_Gradient_Changed(QObject* sender);
    void Text_Solid_RD_Sel(QObject* sender);
    void Text_Gradient_RD_Sel(QObject* sender);
    void Text_Alpha_Changed(QObject* sender);
    void Text_Kerning_Changed(QObject* sender);
    void Set_TextControl_Clr(QObject* sender);
    // Writes the tab, then runs the font panel; a chosen font goes to
    // changeTextFont.
    void Text_Font_Changed(QObject* sender);
    void changeTextFont(const QFont& chosen);
    void Text_Insert_Date(QObject* sender);
    void Text_Insert_Time(QObject* sender);
    void textDidChange();
    void Insert_Template_Button(QObject* sender);
    // The clock of the date and time inserters (replaceable for tests).
    static std::function<QDateTime()>& panelClock();

    // Every combo box of the window reports its user selections here; code
    // that relies on a selection's effect selects silently and calls it.
    void comboBoxSelectionDidChange(QComboBox* combo);

    // The graphic the panel is loading (null outside a load).
    GraphicPtr m_loadingGraphic;
    QCheckBox* print_object_chk = nullptr;
    QLabel* sel_control_name = nullptr;
    QLabel* Shape_prop_title = nullptr;
    QLabel* data_source_title = nullptr;
    QPushButton* insert_template_btn = nullptr;
    QPushButton* view_series_btn = nullptr;
    QPushButton* data_source_help_btn = nullptr;
    QGroupBox* manual_brws_box = nullptr;
    QLineEdit* Manual_image_path = nullptr;
    QPushButton* Back_Side_btn = nullptr;
    // Shape tab.
    QGroupBox* Shape_Border_Box = nullptr;
    QCheckBox* Shape_border_chk = nullptr;
    platform::ColorWell* shape_bordr_clr = nullptr;
    platform::Stepper* shape_bor_Stepper = nullptr;
    QLineEdit* shape_bor_Text = nullptr;
    QGroupBox* Shape_Fill_Box = nullptr;
    platform::Stepper* shape_alpha_Stepper = nullptr;
    QLineEdit* shape_alpha_Text = nullptr;
    QLabel* shape_cor_radius_Label = nullptr;
    platform::Stepper* shape_cor_radius_Stepper = nullptr;
    QLineEdit* shape_cor_radius_Text = nullptr;
    QLabel* double_star_Label = nullptr;
    platform::Stepper* double_star_Stepper = nullptr;
    QLineEdit* double_star_Text = nullptr;
    QLabel* polygon_Label = nullptr;
    platform::Stepper* polygon_Stepper = nullptr;
    QLineEdit* polygon_Text = nullptr;
    QCheckBox* Shape_fill_chk = nullptr;
    QRadioButton* Shape_solid_fill_rd = nullptr;
    QRadioButton* Shape_gradient_fill_rd = nullptr;
    QRadioButton* Shape_Style_fill_rd = nullptr;
    platform::ColorWell* shape_fill_clr = nullptr;
    platform::ColorWell* shape_fill_Grd_1_clr = nullptr;
    platform::ColorWell* shape_fill_Grd_2_clr = nullptr;
    platform::ColorWell* shape_hatch_bk_clr = nullptr;
    platform::Stepper* shape_grad_Stepper = nullptr;
    QLineEdit* shape_grad_Text = nullptr;
    // Line tab.
    platform::ColorWell* Line_clr = nullptr;
    platform::Stepper* Line_Wdt_Stepper = nullptr;
    QLineEdit* Line_Wdt_Text = nullptr;
    QComboBox* Line_border_style = nullptr;
    QComboBox* Line_ori_style = nullptr;
    QComboBox* Line_cap_style = nullptr;
    platform::Stepper* Line_alpha_Stepper = nullptr;
    QLineEdit* Line_alpha_Text = nullptr;
    // Text tabs.
    QPlainTextEdit* Text_value_Edit = nullptr;
    QPushButton* Text_Insert_Date_btn = nullptr;
    QPushButton* Text_Insert_Time_btn = nullptr;
    QGroupBox* Text_Border_Box = nullptr;
    QCheckBox* Text_border_chk = nullptr;
    platform::ColorWell* Text_bordr_clr = nullptr;
    platform::Stepper* Text_bor_Stepper = nullptr;
    QLineEdit* Text_bor_Text = nullptr;
    QComboBox* Text_border_style = nullptr;
    QGroupBox* Text_Fill_Box = nullptr;
    platform::Stepper* Text_alpha_Stepper = nullptr;
    QLineEdit* Text_alpha_Text = nullptr;
    QCheckBox* Text_fill_chk = nullptr;
    QRadioButton* Text_solid_fill_rd = nullptr;
    QRadioButton* Text_gradient_fill_rd = nullptr;
    platform::ColorWell* Text_fill_clr = nullptr;
    platform::ColorWell* Text_fill_Grd_1_clr = nullptr;
    platform::ColorWell* Text_fill_Grd_2_clr = nullptr;
    platform::Stepper* Text_grad_Stepper = nullptr;
    QLineEdit* Text_grad_Text = nullptr;
    platform::Stepper* Text_Kern_Stepper = nullptr;
    QLineEdit* Text_Kern_Text = nullptr;
    platform::ColorWell* Text_clr = nullptr;
    QPushButton* Text_font_btn = nullptr;
    QLabel* Text_font_value = nullptr;
    // ==== end of property panels ====

    // ==== the card, picture, signature and barcode panels, the background
    // browser and the links (draw_window_card_panel.cpp,
    // draw_window_image_panel.cpp, draw_window_sign_panel.cpp,
    // draw_window_barcode_panel.cpp, draw_window_backgrounds.cpp,
    // draw_window_links.cpp) ====
    // Card panel actions.
    void Apply_Size_Clicked(QObject* sender);
    void card_shape_CellClick(QObject* sender);
    void Set_Card_Clr(QObject* sender);
    void Card_Border_ChkBox(QObject* sender);
    void Card_Border_Changed(QObject* sender);
    void Card_Fill_Chk_Box(QObject* sender);
    void Card_Gradient_Changed(QObject* sender);
    void Card_Solid_RD_Sel(QObject* sender);
    void Card_Gradient_RD_Sel(QObject* sender);
    void Card_Hatch_RD_Sel(QObject* sender);
    void Card_Image_RD_Sel(QObject* sender);
    void Card_Alpha_Changed(QObject* sender);
    void Card_Image_Browse_Btn(QObject* sender);
    void Card_Image_Library_Btn(QObject* sender);
    void Card_Width_Changed(QObject* sender);
    void Card_Height_Changed(QObject* sender);
    void Content_Font_Decrease_Clicked(QObject* sender);
    void Contect_Font_Increase_Clicked(QObject* sender);
    void Update_All_Card_Content();
    void Contect_Color_Clicked(QObject* sender);
    // The font panel's answer for the all-text font.
    void changeAllTextFont(const QFont& chosen);
    void Content_Font_Clicked(QObject* sender);
    // Shows the all-text font as "name ( size )".
    void Show_All_Text_Font();
    // Picture checks of every chooser: true when the file decodes as a
    // picture, else the message naming it; one whose data is damaged is
    // taken, saying that only part of it is shown. A large one is read off
    // the main thread.
    static bool Check_Picture_File(const QString& path);
    // Reads the pictures the current side's canvas shows that are not read
    // for its zoom yet off the main thread, so its next paint finds them;
    // with sayShownInPart, says those whose data is damaged.
    void Read_Shown_Pictures(bool sayShownInPart = false);

    QCheckBox* Card_border_chk = nullptr;
    QGroupBox* Card_Border_Box = nullptr;
    platform::ColorWell* Card_bordr_clr = nullptr;
    QCheckBox* Card_fill_chk = nullptr;
    QGroupBox* Card_Fill_Box = nullptr;
    QRadioButton* Card_solid_fill_rd = nullptr;
    QRadioButton* Card_gradient_fill_rd = nullptr;
    QRadioButton* Card_Style_fill_rd = nullptr;
    QRadioButton* Card_Image_fill_rd = nullptr;
    platform::ColorWell* Card_fill_clr = nullptr;
    platform::ColorWell* Card_fill_Grd_1_clr = nullptr;
    platform::ColorWell* Card_fill_Grd_2_clr = nullptr;
    platform::Stepper* Card_grad_Stepper = nullptr;
    QLineEdit* Card_grad_Text = nullptr;
    platform::ColorWell* Card_hatch_bk_clr = nullptr;
    QGroupBox* Card_image_box = nullptr;
    QLineEdit* Card_Image_path = nullptr;
    platform::Stepper* Card_alpha_Stepper = nullptr;
    QLineEdit* Card_alpha_Text = nullptr;
    platform::ColorWell* All_Text_clr = nullptr;
    QColor All_Text_clr_COPY;
    QLabel* All_Text_font_value = nullptr;

    // Picture panel.
    void Reset_Image_Editing_Controls();
    void resetImageEditingControls() override { Reset_Image_Editing_Controls(); }
    void Image_reset_Button(QObject* sender);
    void Set_ImageControl_Clr(QObject* sender);
    void Image_Border_ChkBox(QObject* sender);
    void Image_Border_Changed(QObject* sender);
    void Image_Effect_Chked(QObject* sender);
    // The nine sliders' actions: the slider's value into its field, then
    // the write-back (the rotation slider's is Rotate_Slider_Changed).
    void Image_Slider_Changed(QObject* sender);
    // The write-back of the picture and signature panels: print flag and
    // border to every selected unlocked graphic, then `more`; the path
    // field's file to the shown graphic alone; one redraw.
    void Write_Picture_Graphics(QCheckBox* border, platform::ColorWell* colour, platform::Stepper* width,
                                QComboBox* style, QLineEdit* path,
                                const std::function<void(QBXGraphic&)>& more = {});
    void Rotate_Slider_Changed(QObject* sender);
    QCheckBox* Image_border_chk = nullptr;
    QGroupBox* Image_Border_Box = nullptr;
    platform::ColorWell* Image_bordr_clr = nullptr;
    platform::Stepper* Image_bor_Stepper = nullptr;
    QLineEdit* Image_bor_Text = nullptr;
    QComboBox* Image_border_style = nullptr;
    QCheckBox* Image_Gray_Scale_chk = nullptr;
    QCheckBox* Image_Sepia_chk = nullptr;
    QCheckBox* Image_Invert_chk = nullptr;
    QCheckBox* Image_FIV_chk = nullptr;
    QCheckBox* Image_FIH_chk = nullptr;
    platform::DoubleSlider* Trsp_slidr = nullptr;
    platform::DoubleSlider* Rotate_slidr = nullptr;
    platform::DoubleSlider* Hue_slidr = nullptr;
    platform::DoubleSlider* Sat_slidr = nullptr;
    platform::DoubleSlider* Brt_slidr = nullptr;
    platform::DoubleSlider* Con_slidr = nullptr;
    platform::DoubleSlider* shrp_slidr = nullptr;
    platform::DoubleSlider* ev_slidr = nullptr;
    platform::DoubleSlider* blr_slidr = nullptr;
    QLineEdit* Trsp_slidr_val = nullptr;
    QLineEdit* Rotate_slidr_val = nullptr;
    QLineEdit* Hue_slidr_val = nullptr;
    QLineEdit* Sat_slidr_val = nullptr;
    QLineEdit* Brt_slidr_val = nullptr;
    QLineEdit* Con_slidr_val = nullptr;
    QLineEdit* shrp_slidr_val = nullptr;
    QLineEdit* ev_slidr_val = nullptr;
    QLineEdit* blr_slidr_val = nullptr;

    // Signature and barcode panels.
    void Sign_Browse_Btn(QObject* sender);
    void Sign_Border_ChkBox(QObject* sender);
    void Sign_Border_Changed(QObject* sender);
    void Set_SignControl_Clr(QObject* sender);
    void Update_Barcode_Graphics(const GraphicPtr& source);
    // The same with the picture already rasterised (the designer's OK has it).
    void Update_Barcode_Graphics(const GraphicPtr& source, const QImage& picture);
    void View_barcode_prop_Button(QObject* sender);
    QLineEdit* Sign_image_path = nullptr;
    QCheckBox* Sign_border_chk = nullptr;
    QGroupBox* Sign_Border_Box = nullptr;
    platform::ColorWell* Sign_bordr_clr = nullptr;
    platform::Stepper* Sign_bor_Stepper = nullptr;
    QLineEdit* Sign_bor_Text = nullptr;
    QComboBox* Sign_border_style = nullptr;

    // Background browser: the pictures of the resource folder's
    // "Background" folder (the list rules are Picture_Browser_List's); a
    // chosen one becomes the front background.
    void Load_and_fill_backgrounds();
    void Picture_Chosen(const QString& path) override;
    QString selected_image;

    // Links of the maker (Links.plist in the resource folder, read at each
    // use) and the Help menu.
    void Open_Support_Mail(QObject* sender = nullptr);
    void Open_Reseller_Mail(QObject* sender = nullptr);
    void Open_Website_1(QObject* sender = nullptr);
    void Open_Website_2(QObject* sender = nullptr);
    void Open_Website_3(QObject* sender = nullptr);
    void Open_Facebook_Share(QObject* sender = nullptr);
    void Open_Twitter_Share(QObject* sender = nullptr);
    void Open_Linkedin_Share(QObject* sender = nullptr);
    void Open_Facebook_Like(QObject* sender = nullptr);
    void Open_Promotion(const QString& type);
    void buildHelpMenu();
    class QMenu* helpMenu = nullptr;
    // ==== end of card, picture, signature and barcode panels ====

signals:
    // "QBXSelectedToolDidChange", delivered directly inside the post.
    void selectedToolDidChangeNotification(QObject* sender);

public:
    // ==== end of canvas editing ====

private:
    // Set-up steps, one per concern (draw_window_setup.cpp).
    void buildWindow();
    void buildCanvases();
    void buildPanel();
    // Tab builders of the panels (each in its panel's file).
    void buildShapeTab(QWidget* page);
    void buildLineTab(QWidget* page);
    void buildTextTabs(QWidget* editing, QWidget* properties);
    void buildSourceTab(QWidget* page);
    void buildAlignmentTab(QWidget* page);
    void buildLockTab(QWidget* page);
    void buildCardTabs(QGridLayout* setting, int row, QWidget* background, QWidget* border);
    void buildImageTab(QWidget* page);
    void buildSignTab(QWidget* page);
    void buildBarcodeTab(QWidget* page);
    void loadGraphicPanel(const GraphicPtr& graphic);
    void showCardPanel();
    void buildDialogs();
    void loadBundlePictures();
    void attachPresetModel();
    void bindCanvases();
    void unbindCanvases();
    QDialog* oneByOneSheet() const;

    QPointer<QBXDocument> m_document;
    std::unique_ptr<QBXDocument> m_ownedDocument;
    QAbstractTableModel* m_presetModel = nullptr;
    QObject* m_closeFilter = nullptr;
    bool m_exitAsking = false; // Exit_App is waiting on the user
    bool m_exiting = false;    // the program is ending: closes go through
    Open_Export_Log* m_exportLog = nullptr;
    // Export runs: the running batch (its workers waited for on
    // destruction and at the program's end) and the progress timer.
    QTimer* msend_modTimer = nullptr;
    std::shared_ptr<Export_Batch_Run> m_exportRun;
    void Finish_Export_Batch(const std::shared_ptr<Export_Batch_Run>& run);
    // Stops a running batch after the rows in flight and waits for its workers.
    void Wait_For_Export_Workers();
    // Whether the clipboard holds our graphics: 1 yes, 0 no, -1 not asked
    // since it last changed.
    int m_pasteState = -1;
};

// ---- the controller and the globals kept beside it ----
extern QBXWindowController* Main_App_wnd;
extern QBXWindowController* app_DefaultInstance;

extern const QString QBXSelectedToolDidChangeNotification;      // "QBXSelectedToolDidChange"
extern const char* const QBXWindowControllerCanvasSizeObservationContext;
extern const QString Text_Ctrl_Font;                           // "TimesNewRomanPS-ItalicMT"
extern QString CARD_SIDE_STR;                                  // "2" two-sided, "1" one-sided
extern QString Project_File_Name;
extern float last_ctrl_X;
extern float last_ctrl_Y;
extern QString Library_Selected_Image;
extern QString lib_window_sel_file;
extern std::atomic<bool> Card_Value_In_Process;
extern const QString Title_Name, Title_Title, Title_Company_name, Title_slogan, Title_address, Title_phone,
    Title_fax, Title_email, Title_website, Title_unique, Title_image;
extern bool Fill_User_Profile;
// Called before each profile field is placed (field index); tests use it.
extern std::function<void(int)> Profile_Field_Placement_Hook;
extern bool Excel_Binding_Use, overwrite_text_load_row;
// Batch flags and counts: read by output runs on other threads, so atomic.
extern std::atomic<bool> Use_Data_Sheet_Values, Use_Excel_Binding_Values;
extern QString Excel_Source_Path, Excel_File_Path;
extern std::atomic<int> Data_table_rows, Excel_table_rows, Total_Batch_Excel_Card;
extern int Excel_Sheet_Columns, Excel_Sheet_Number;
extern QString Cutom_Msg_Title, Cutom_Msg_Val, Custom_Msg_Title, Custom_Msg_Val;
extern bool Msg_Apply_All_Chk;
extern QString export_card_side;                               // "BOTH", "F", "B"
extern bool export_combined_image;                            // the combined-picture check box
extern QString export_file_format;                             // the format pop-up's title ("PNG")
extern double export_dpi;                                      // the resolution entry (72)
// Written by the export worker, read by the main thread.
extern const QString unable_saving_Msg;
// The mail settings copy, written on the mail thread too.
extern platform::LockedValue<QString> sender_email, sender_pwd, sending_server, sending_port, send_enable_ssl;
extern std::atomic<int> Stop_SMS_Sending_Now;
extern std::atomic<int> list_count;
extern std::atomic<double> curr_barcode_count;
extern platform::LockedValue<QString> curr_msg_count;
extern int PDF_Col, PDF_Row, QR_Enc_Mode_Val;
