// Start-up of the main window controller: init, the window built in code,
// awakeFromNib's steps, the document binding and the canvas host services.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/CardBackground.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXCenteringClipView.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXZoomingScrollView.h"
#include "drawing/RefreshSeam.h"
#include "editor/panel_controls.h"
#include "drawing/Repeat_Image.h"
#include "output/Open_Export_Log.h"
#include "output/Send_Modeless.h"
#include "platform/color_well.h"
#include "platform/process_end.h"
#include "platform/resource_folders.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"
#include "platform/image_browser.h"
#include "platform/window_fit.h"
#include "wizards/User_Profile_Class.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QImage loadBundlePicture(const QString& name)
{
    // The pictures ship with the program, beside the seed resources.
    const QString path = QDir(platform::defaultSeedFolder()).filePath(name);
    QImage picture(path);
    if (picture.isNull())
        Show_NSLog_Message(QStringLiteral("Missing picture: ") + path);
    return picture;
}

QComboBox* comboWith(const QStringList& items, const QString& name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}


} // namespace

// ---------------------------------------------------------------- init

QBXWindowController::QBXWindowController()
{
    setObjectName(QStringLiteral("DrawWindow"));
    Last_Selected_Graphic.reset();
    _grid = new QBXGrid(this);
    _zoomFactor = 1.0;
    Selected_Control_Tool = 0;
    app_DefaultInstance = this;
    Main_App_wnd = defaultInstance();

    Text_font = graphic_defaults::namedFont(Text_Ctrl_Font, 14.0);
    All_Text_font = Text_font;

    paper_card_arry = {QStringLiteral("Durable 1452 - Name Badge"), QStringLiteral("Durable 1453 - Name Badge"),
                       QStringLiteral("Durable 1454 - Name Badge"), QStringLiteral("Durable 1455 - Name Badge"),
                       QStringLiteral("Durable 1456 - Name Badge"), QStringLiteral("Durable 1457 - Name Badge"),
                       QStringLiteral("Durable 1458 - Name Badge"), QStringLiteral("Durable 1459 - Name Badge")};
    pvc_card_arry = {QStringLiteral("CR80-Credit Card Size"), QStringLiteral("CR79"), QStringLiteral("CR90-Over Sized"),
                     QStringLiteral("CR100-Military Size"), QStringLiteral("CR50"), QStringLiteral("CR60"),
                     QStringLiteral("CR70")};
    loadBundlePictures();
    App_Name = QGuiApplication::applicationDisplayName();

    Front_card_Prop = Card_Property();
    Back_card_Prop = Card_Property();
    Front_user_profile = new User_Profile_Class;
    Back_user_profile = new User_Profile_Class;
    TEMP_user_profile = new User_Profile_Class;
    for (User_Profile_Class* profile : {Front_user_profile, Back_user_profile, TEMP_user_profile})
        profile->Reset_All_Values();

    _graphicsController = new platform::SelectionHolder(this);
    _graphicsController_back = new platform::SelectionHolder(this);
    _graphicsController_TEMP = new platform::SelectionHolder(this);

    // What the drawing layer asks of the main window.
    drawing::setCanvasHost(this);
    wizards::setEditorHost(this);
    Install_Series_Services();
    Install_Mail_Services();
    GraphicDefaults& defaults = graphicDefaults();
    // New text takes the card's content font and colour (the card panel).
    defaults.windowTextFont = [] { return Main_App_wnd ? Main_App_wnd->All_Text_font : QFont(); };
    defaults.windowTextColor = [] {
        QBXWindowController* c = Main_App_wnd;
        return c && c->All_Text_clr ? c->All_Text_clr->color() : QColor();
    };
    defaults.textCtrlFont = [] { return Text_Ctrl_Font; };
    defaults.frontCanvasBounds = [] {
        return (Main_App_wnd && Main_App_wnd->_graphicView) ? Main_App_wnd->_graphicView->bounds() : QRectF();
    };
    defaults.controlNewPoint = [](const QString& side, const QSizeF& size) {
        return Main_App_wnd ? Main_App_wnd->Control_New_Point(side, size) : QPointF();
    };
    defaults.appName = [] { return Main_App_wnd ? Main_App_wnd->App_Name : QString(); };
    drawing::setRefreshHandler([] {
        QBXWindowController* c = Main_App_wnd;
        if (!c || Card_Value_In_Process.load())
            return;
        if (QBXGraphicView* canvas = c->currentSideCanvas())
            canvas->setNeedsDisplay();
    });
    Repeat_Image::setBannerSource([] { return Main_App_wnd ? Main_App_wnd->banner_image : QImage(); });
}

QBXWindowController::~QBXWindowController()
{
    Wait_For_Export_Workers();
    setDocument(nullptr);
    drawing::setRefreshHandler(nullptr);
    if (drawing::canvasHost() == this)
        drawing::setCanvasHost(nullptr);
    if (wizards::editorHost() == this)
        wizards::setEditorHost(nullptr);
    Remove_Series_Services();
    Remove_Mail_Services();
    Repeat_Image::setBannerSource(nullptr);
    GraphicDefaults& defaults = graphicDefaults();
    defaults.windowTextFont = nullptr;
    defaults.windowTextColor = nullptr;
    defaults.textCtrlFont = nullptr;
    defaults.frontCanvasBounds = nullptr;
    defaults.controlNewPoint = nullptr;
    defaults.appName = nullptr;
    // Tab items first: those out of the tab view own their pages.
    for (platform::TabItem* item : {card_setting_tab, card_bkgd_tab, card_brdr_tab, line_tab, shape_tab,
                                    text_edtng_tab, text_prop_tab, image_tab, sign_tab, datasource_tab, aligmnt_tab,
                                    barcode_tab, Lock_tab})
        delete item;
    delete Open_Export_Files;
    delete window; // with the sheets parented to it
    delete Front_user_profile;
    delete Back_user_profile;
    delete TEMP_user_profile;
    if (Main_App_wnd == this)
        Main_App_wnd = nullptr;
    if (app_DefaultInstance == this)
        app_DefaultInstance = nullptr;
}

QBXWindowController* QBXWindowController::defaultInstance()
{
    return app_DefaultInstance;
}

void QBXWindowController::loadBundlePictures()
{
    no_image = loadBundlePicture(QStringLiteral("no.png"));
    sign_sample_img = loadBundlePicture(QStringLiteral("sign_sample.png"));
    barcode_sample_img = loadBundlePicture(QStringLiteral("barcode_sample.png"));
    fp_sample_img = loadBundlePicture(QStringLiteral("fingerprints.png"));
    banner_image = loadBundlePicture(QStringLiteral("banner.png"));
    promotion_pattern_image = loadBundlePicture(QStringLiteral("pattern_1.jpg"));
    wizard_pattern_image = loadBundlePicture(QStringLiteral("Wizard_pattern.jpg"));
}

// ---------------------------------------------------------------- the window

void QBXWindowController::buildWindow()
{
    window = new QMainWindow;
    window->setObjectName(QStringLiteral("DrawWindow"));
    window->setWindowTitle(App_Name);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, QColor::fromRgbF(0.9450980392156862, 0.9568627450980393, 0.9803921568627451, 1.0));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
    Main_wnd = window;

    auto* central = new QWidget;
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(6, 6, 6, 6);

    // The banner strip tiles the banner picture (shown when it exists).
    auto* banner = new Repeat_Image;
    banner->setObjectName(QStringLiteral("banner"));
    banner->setFixedHeight(banner_image.isNull() ? 0 : std::min(banner_image.height(), 60));
    banner->setVisible(!banner_image.isNull());
    outer->addWidget(banner);

    // Edit and arrange buttons along the top.
    auto* buttons = new QGridLayout;
    int placed = 0;
    auto button = [&](QPushButton*& field, const QString& name, const QString& title) {
        field = new QPushButton(title);
        field->setObjectName(name);
        field->setEnabled(false);
        buttons->addWidget(field, placed / 7, placed % 7);
        ++placed;
    };
    button(Undo_btn, QStringLiteral("Undo_btn"), QStringLiteral("Undo"));
    button(Redo_btn, QStringLiteral("Redo_btn"), QStringLiteral("Redo"));
    button(Cut_btn, QStringLiteral("Cut_btn"), QStringLiteral("Cut"));
    button(Copy_btn, QStringLiteral("Copy_btn"), QStringLiteral("Copy"));
    button(Paste_btn, QStringLiteral("Paste_btn"), QStringLiteral("Paste"));
    button(Delete_btn, QStringLiteral("Delete_btn"), QStringLiteral("Delete"));
    button(Begin_Front_btn, QStringLiteral("Begin_Front_btn"), QStringLiteral("Bring to Front"));
    button(Send_Back_btn, QStringLiteral("Send_Back_btn"), QStringLiteral("Send to Back"));
    button(Lock_btn, QStringLiteral("Lock_btn"), QStringLiteral("Lock"));
    button(Unlock_btn, QStringLiteral("Unlock_btn"), QStringLiteral("Unlock"));
    button(Make_same_width_btn, QStringLiteral("Make_same_width_btn"), QStringLiteral("Same Width"));
    button(Make_same_height_btn, QStringLiteral("Make_same_height_btn"), QStringLiteral("Same Height"));
    button(Make_natural_size_btn, QStringLiteral("Make_natural_size_btn"), QStringLiteral("Natural Size"));
    button(Align_with_grid_btn, QStringLiteral("Align_with_grid_btn"), QStringLiteral("Align with Grid"));
    outer->addLayout(buttons);

    auto* body = new QHBoxLayout;
    auto* canvasColumn = new QVBoxLayout;
    Front_back_label = new QLabel(QStringLiteral("Front"));
    Front_back_label->setObjectName(QStringLiteral("Front_back_label"));
    canvasColumn->addWidget(Front_back_label);
    myTargetView = new QStackedWidget;
    myTargetView->setObjectName(QStringLiteral("myTargetView"));
    canvasColumn->addWidget(myTargetView, 1);
    // The background pictures under the canvas.
    imageBrowser = new platform::ImageBrowserView;
    imageBrowser->setObjectName(QStringLiteral("imageBrowser"));
    imageBrowser->setFixedHeight(140);
    imageBrowser->setFlow(QListView::LeftToRight);
    imageBrowser->setWrapping(false);
    canvasColumn->addWidget(imageBrowser);
    body->addLayout(canvasColumn, 1);

    sett_tab = new QTabWidget;
    sett_tab->setObjectName(QStringLiteral("sett_tab"));
    sett_tab->setFixedWidth(300);
    // The panel scrolls when the window is lower than its controls: on a
    // small screen every control stays reachable.
    auto* panelScroll = new QScrollArea;
    panelScroll->setObjectName(QStringLiteral("sett_tab_scroll"));
    panelScroll->setWidgetResizable(true);
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelScroll->setWidget(sett_tab);
    panelScroll->setFixedWidth(300 + panelScroll->verticalScrollBar()->sizeHint().width());
    body->addWidget(panelScroll);
    outer->addLayout(body, 1);
    window->setCentralWidget(central);

    buildCanvases();
    buildPanel();
    buildDialogs();

    buildFileCommands();
    buildEditMenus();
    buildHelpMenu();
}

void QBXWindowController::buildCanvases()
{
    auto host = [&](QWidget*& view, QBXZoomingScrollView*& scroll, QBXGraphicView*& canvas, const QString& side) {
        view = new QWidget;
        view->setObjectName(side + QStringLiteral("_view"));
        auto* layout = new QVBoxLayout(view);
        layout->setContentsMargins(0, 0, 0, 0);
        scroll = new QBXZoomingScrollView;
        scroll->setObjectName(QStringLiteral("_zoomingScrollView_") + side);
        canvas = new QBXGraphicView;
        canvas->setObjectName(QStringLiteral("_graphicView_") + side);
        scroll->setDocumentView(canvas);
        layout->addWidget(scroll);
        myTargetView->addWidget(view);
    };
    host(first_view, _zoomingScrollView, _graphicView, QStringLiteral("first"));
    host(second_view, _zoomingScrollView_BACK, _graphicView_BACK, QStringLiteral("second"));
    host(temp_design_view, _zoomingScrollView_TEMP, _graphicView_TEMP, QStringLiteral("temp_design"));
    myTargetView->setCurrentWidget(first_view);
}

void QBXWindowController::buildPanel()
{
    auto page = [](const QString& name) {
        auto* w = new QWidget;
        w->setObjectName(name);
        return w;
    };

    // Card setting: name, sides, orientation, category, presets, size, shape.
    QWidget* setting = page(QStringLiteral("card_setting_tab"));
    {
        auto* grid = new QGridLayout(setting);
        card_name = new QLineEdit;
        card_name->setObjectName(QStringLiteral("card_name"));
        Sides_ComboBox = comboWith({QStringLiteral("Two Sides"), QStringLiteral("One Side")}, QStringLiteral("Sides_ComboBox"));
        Preset_ComboBox = comboWith({QStringLiteral("Horizontal"), QStringLiteral("Vertical")}, QStringLiteral("Preset_ComboBox"));
        Category_ComboBox = comboWith({QStringLiteral("PVC Card"), QStringLiteral("Paper Card")}, QStringLiteral("Category_ComboBox"));
        ColList = new QTableView;
        ColList->setObjectName(QStringLiteral("ColList"));
        ColList->setSelectionMode(QAbstractItemView::SingleSelection);
        ColList->setSelectionBehavior(QAbstractItemView::SelectRows);
        ColList->horizontalHeader()->setStretchLastSection(true);
        ColList->verticalHeader()->hide();
        width_Stepper = new platform::Stepper;
        width_Stepper->setObjectName(QStringLiteral("width_Stepper"));
        width_Stepper->setRange(1, kMaxCardSideMM);
        width_Text = new QLineEdit;
        width_Text->setObjectName(QStringLiteral("width_Text"));
        height_Stepper = new platform::Stepper;
        height_Stepper->setObjectName(QStringLiteral("height_Stepper"));
        height_Stepper->setRange(1, kMaxCardSideMM);
        height_Text = new QLineEdit;
        height_Text->setObjectName(QStringLiteral("height_Text"));
        matrix_card_shape = new QButtonGroup(setting);
        auto* shapes = new QVBoxLayout;
        const QStringList shapeNames{QStringLiteral("Rectangle"), QStringLiteral("Rounded"), QStringLiteral("Ellipse")};
        for (int row = 0; row < shapeNames.size(); ++row) {
            auto* radio = new QRadioButton(shapeNames.at(row));
            matrix_card_shape->addButton(radio, row);
            shapes->addWidget(radio);
        }
        matrix_card_shape->button(0)->setChecked(true);
        int r = 0;
        grid->addWidget(new QLabel(QStringLiteral("Name")), r, 0);
        grid->addWidget(card_name, r++, 1, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("Sides")), r, 0);
        grid->addWidget(Sides_ComboBox, r++, 1, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("Orientation")), r, 0);
        grid->addWidget(Preset_ComboBox, r++, 1, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("Category")), r, 0);
        grid->addWidget(Category_ComboBox, r++, 1, 1, 3);
        grid->addWidget(ColList, r++, 0, 1, 4);
        grid->addWidget(new QLabel(QStringLiteral("Width")), r, 0);
        grid->addWidget(width_Text, r, 1);
        grid->addWidget(width_Stepper, r++, 2);
        grid->addWidget(new QLabel(QStringLiteral("Height")), r, 0);
        grid->addWidget(height_Text, r, 1);
        grid->addWidget(height_Stepper, r++, 2);
        grid->addWidget(Make_Card_Size_Button(), r++, 1, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("Shape")), r, 0);
        grid->addLayout(shapes, r++, 1, 1, 3);
        // The colour and font of all texts, the fill and border tabs.
        QWidget* background = page(QStringLiteral("card_bkgd_tab"));
        QWidget* border = page(QStringLiteral("card_brdr_tab"));
        buildCardTabs(grid, r, background, border);
        card_bkgd_tab = new platform::TabItem(background, QStringLiteral("Background"));
        card_brdr_tab = new platform::TabItem(border, QStringLiteral("Border"));
    }
    QWidget* shape = page(QStringLiteral("shape_tab"));
    buildShapeTab(shape);
    QWidget* line = page(QStringLiteral("line_tab"));
    buildLineTab(line);
    QWidget* textEditing = page(QStringLiteral("text_edtng_tab"));
    QWidget* textProps = page(QStringLiteral("text_prop_tab"));
    buildTextTabs(textEditing, textProps);
    QWidget* source = page(QStringLiteral("datasource_tab"));
    buildSourceTab(source);
    QWidget* alignment = page(QStringLiteral("aligmnt_tab"));
    buildAlignmentTab(alignment);
    QWidget* lock = page(QStringLiteral("Lock_tab"));
    buildLockTab(lock);

    card_setting_tab = new platform::TabItem(setting, QStringLiteral("Card"));
    line_tab = new platform::TabItem(line, QStringLiteral("Line Properties"));
    shape_tab = new platform::TabItem(shape, QStringLiteral("Rectangle Properties"));
    text_edtng_tab = new platform::TabItem(textEditing, QStringLiteral("Text"));
    text_prop_tab = new platform::TabItem(textProps, QStringLiteral("Text Properties"));
    QWidget* image = page(QStringLiteral("image_tab"));
    buildImageTab(image);
    image_tab = new platform::TabItem(image, QStringLiteral("Image Properties"));
    QWidget* sign = page(QStringLiteral("sign_tab"));
    buildSignTab(sign);
    sign_tab = new platform::TabItem(sign, QStringLiteral("Signature Properties"));
    datasource_tab = new platform::TabItem(source, QStringLiteral("Text Source"));
    aligmnt_tab = new platform::TabItem(alignment, QStringLiteral("Alignment"));
    QWidget* barcode = page(QStringLiteral("barcode_tab"));
    buildBarcodeTab(barcode);
    barcode_tab = new platform::TabItem(barcode, QStringLiteral("Barcode Properties"));
    Lock_tab = new platform::TabItem(lock, QStringLiteral("Properties"));
    for (platform::TabItem* item : {card_setting_tab, card_bkgd_tab, card_brdr_tab, line_tab, shape_tab,
                                    text_edtng_tab, text_prop_tab, image_tab, sign_tab, datasource_tab, aligmnt_tab,
                                    barcode_tab, Lock_tab})
        item->addTo(sett_tab);
    // The panel is as wide as the longest row of tabs a graphic shows, so
    // that no tab's title is cut or scrolled out of sight.
    int panelWidth = sett_tab->width();
    const QStringList rows[] = {
        {QStringLiteral("Text"), QStringLiteral("Text Properties"), QStringLiteral("Text Source"),
         QStringLiteral("Alignment")},
        {QStringLiteral("Image Source"), QStringLiteral("Image Properties"), QStringLiteral("Alignment")},
        {QStringLiteral("FingrePrint Properties"), QStringLiteral("Alignment")},
        {QStringLiteral("Rounded Rectangle Properties"), QStringLiteral("Alignment")}};
    for (const QStringList& row : rows) {
        QTabBar probe;
        probe.setFont(sett_tab->tabBar()->font());
        probe.setUsesScrollButtons(false);
        probe.setExpanding(false);
        for (const QString& label : row)
            probe.addTab(label);
        // The tab widget's frame takes a few pixels beside the bar.
        panelWidth = std::max(panelWidth, probe.sizeHint().width() + 6);
    }
    sett_tab->setFixedWidth(panelWidth);
    if (auto* scroll = qobject_cast<QScrollArea*>(sett_tab->parentWidget() ? sett_tab->parentWidget()->parentWidget()
                                                                            : nullptr))
        scroll->setFixedWidth(panelWidth + scroll->verticalScrollBar()->sizeHint().width());
    // The card combos report their user selections to the combo handler.
    for (QComboBox* combo : {Card_image_layout, Card_border_style, Card_hatch_style, Sides_ComboBox, Preset_ComboBox,
                             Category_ComboBox, Image_border_style, Sign_border_style})
        connect(combo, &QComboBox::activated, this, [this, combo] { comboBoxSelectionDidChange(combo); });
}

void QBXWindowController::buildDialogs()
{
    Open_Export_Files = new QDialog;
    Open_Export_Files->setObjectName(QStringLiteral("Open_Export_Files"));
    {
        auto* layout = new QVBoxLayout(Open_Export_Files);
        _open_log_message = new QLabel;
        // A long list of problems scrolls inside the box (Open_Export_File_Box
        // sizes it to each message).
        auto* messageScroll = new QScrollArea;
        messageScroll->setObjectName(QStringLiteral("message_scroll"));
        messageScroll->setFrameShape(QFrame::NoFrame);
        messageScroll->setWidgetResizable(true);
        messageScroll->setWidget(_open_log_message);
        _open_log_path = new QLabel;
        _open_log_chk = new QCheckBox(QStringLiteral("Open exported file."));
        _open_log_chk->setChecked(true);
        auto* ok = new QPushButton(QStringLiteral("OK"));
        layout->addWidget(messageScroll);
        layout->addWidget(_open_log_path);
        layout->addWidget(_open_log_chk);
        layout->addWidget(ok);
        m_exportLog = new Open_Export_Log(Open_Export_Files, _open_log_chk, this);
        connect(ok, &QPushButton::clicked, m_exportLog, &Open_Export_Log::OKPressed);
    }
    plz_wait_Window = new QDialog(window);
    plz_wait_Window->setObjectName(QStringLiteral("plz_wait_Window"));
    plz_wait_Window->setWindowModality(Qt::WindowModal);
    {
        QPalette pal = plz_wait_Window->palette();
        pal.setColor(QPalette::Window, QColor(241, 244, 250));
        plz_wait_Window->setPalette(pal);
        auto* layout = new QVBoxLayout(plz_wait_Window);
        modeless_msg_lbl = new QLabel;
        layout->addWidget(modeless_msg_lbl);
    }
}

// ---------------------------------------------------------------- awakeFromNib

bool QBXWindowController::awakeFromNib()
{
    // 1. The window: built, coloured, placed, shown.
    buildWindow();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize room = platform::windowRoom(*screen);
        if (room.width() >= 1000 && room.height() >= 800) {
            // Its bottom left corner 100 points right of the screen's.
            window->setGeometry(area.left() + 100, std::max(area.top(), area.bottom() - 800 + 1), 1000, 800);
        } else {
            // A smaller screen: as large as fits, centred, so that every
            // control stays reachable.
            window->resize(1000, 800);
            platform::fitToScreen(*window);
        }
    } else {
        window->setGeometry(100, 0, 1000, 800);
    }
    window->show();
    window->raise();
    window->activateWindow();

    // 2. The progress sheet, the data table, the mail settings copy.
    send_modls_wnd = Send_Modeless::defaultInstance();
    connect(send_modls_wnd, &Send_Modeless::stopConfirmed, this, [] { Stop_SMS_Sending_Now = 1; });
    // When the program ends, export workers stop after the rows in flight
    // and are waited for.
    platform::addShutdownHook([controller = QPointer<QBXWindowController>(this)] {
        if (controller)
            controller->Wait_For_Export_Workers();
    });
    setData_table_content(Series_Table());
    Get_Email_Details();

    // 3-4. The resource folder (created when missing) and its data folder.
    if (!Prepare_Resource_Folder())
        return false;

    // 6. Border style, preset list, rulers shown.
    {
        const QSignalBlocker block(shape_border_style);
        shape_border_style->setCurrentIndex(0);
    }
    ListData.clear();
    attachPresetModel();
    Show_Hide_Ruler_ChkBox(this);

    // 7. Only the card tabs stay; the panel host brings the others back.
    for (platform::TabItem* item : {line_tab, shape_tab, text_edtng_tab, text_prop_tab, image_tab, sign_tab,
                                    datasource_tab, aligmnt_tab, barcode_tab, Lock_tab})
        item->removeFrom(sett_tab);

    // 8. Initial control values, with write-back suppressed.
    Not_Draw_Only_Prop_Change = true;
    {
        const QSignalBlocker b1(Card_image_layout), b2(Sides_ComboBox), b3(Preset_ComboBox), b4(Category_ComboBox),
            b5(Text_Date_style), b6(Text_Time_style), b7(Text_align_combo), b8(Text_case_combo), b9(shape_hatch_style),
            b10(Card_border_style), b11(Card_hatch_style);
        Card_image_layout->setCurrentIndex(1);
        Sides_ComboBox->setCurrentIndex(0);
        Preset_ComboBox->setCurrentIndex(0);
        Category_ComboBox->setCurrentIndex(0);
        Text_Date_style->clear();
        Text_Date_style->addItems({QStringLiteral("M-d-yyyy"), QStringLiteral("M-d-yy"), QStringLiteral("MM-dd-yy"),
                                   QStringLiteral("MM-dd-yyyy"), QStringLiteral("yy-MM-dd"), QStringLiteral("yyyy-MM-dd"),
                                   QStringLiteral("dd-MMM-yy"), QStringLiteral("dd-MM-yyyy"), QStringLiteral("d-M-yy")});
        Text_Date_style->setCurrentIndex(0);
        Text_Time_style->clear();
        Text_Time_style->addItems({QStringLiteral("h:mm:ss a"), QStringLiteral("hh:mm:ss a"), QStringLiteral("H:mm:ss"),
                                   QStringLiteral("HH:mm:ss")});
        Text_Time_style->setCurrentIndex(0);
        Text_align_combo->setCurrentIndex(0);
        Text_case_combo->setCurrentIndex(0);
        shape_hatch_style->clear();
        shape_hatch_style->setCurrentIndex(-1);
        Card_bor_Text->setText(QStringLiteral("3"));
        Card_bor_Stepper->setValue(3);
        Card_border_style->setCurrentIndex(0);
        card_prop_set(QStringLiteral("S"));
        Show_All_Text_Font();
        const QStringList hatches = Get_Files_Array_At_Path(Resource_Path + QStringLiteral("/Fill_Style_Image"));
        Card_hatch_style->clear();
        shape_hatch_style->addItems(hatches);
        Card_hatch_style->addItems(hatches);
        if (!hatches.isEmpty()) {
            shape_hatch_style->setCurrentIndex(0);
            Card_hatch_style->setCurrentIndex(0);
        }
    }
    // The sides, preset and category selections take effect: two sides, the
    // PVC sizes listed, the first one selected.
    for (QComboBox* combo : {Sides_ComboBox, Preset_ComboBox, Category_ComboBox})
        comboBoxSelectionDidChange(combo);
    Not_Draw_Only_Prop_Change = false;

    // The background browser: the controller owns its items.
    images.clear();
    imageBrowser->setOwner(this);
    imageBrowser->setAllowsReordering(true);
    imageBrowser->setAnimates(true);
    imageBrowser->setZoomValue(0.4);
    Load_and_fill_backgrounds();

    // 9. Rulers on every scroll view.
    for (QBXZoomingScrollView* scroll : {_zoomingScrollView, _zoomingScrollView_BACK, _zoomingScrollView_TEMP}) {
        scroll->setHasHorizontalRuler(true);
        scroll->setHasVerticalRuler(true);
    }

    // 10. The default card size.
    SetDocumentCanvasSize(QBXDocument::canvasSize(true, QSizeF()));

    // 11. Selections, lists, grid and zoom.
    bindCanvases();

    // 12. Tools, sides and commands; the tool observer.
    buildEditingControls();

    // 13. A new design, then the front side.
    New_Project();
    myTargetView->setCurrentWidget(first_view);
    return true;
}

// ---------------------------------------------------------------- document

void QBXWindowController::bindCanvases()
{
    if (!_graphicView)
        return;
    _graphicView->bind(QBXGraphicViewSelectionIndexesBindingName, _graphicsController,
                       QStringLiteral("selectionIndexes"));
    _graphicView_BACK->bind(QBXGraphicViewSelectionIndexesBindingName, _graphicsController_back,
                            QStringLiteral("selectionIndexes"));
    _graphicView_TEMP->bind(QBXGraphicViewSelectionIndexesBindingName, _graphicsController_TEMP,
                            QStringLiteral("selectionIndexes"));
    if (m_document) {
        _graphicView->bind(QBXGraphicViewGraphicsBindingName, m_document.data(), QStringLiteral("document.graphics"));
        _graphicView_BACK->bind(QBXGraphicViewGraphicsBindingName_back, m_document.data(),
                                QStringLiteral("document.graphics_back"));
        _graphicView_TEMP->bind(QBXGraphicViewGraphicsBindingName_temp, m_document.data(),
                                QStringLiteral("document.graphics_temp"));
    }
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK, _graphicView_TEMP})
        canvas->bind(QBXGraphicViewGridBindingName, _grid);
    for (QBXZoomingScrollView* scroll : {_zoomingScrollView, _zoomingScrollView_BACK, _zoomingScrollView_TEMP}) {
        scroll->bindFactor([this](double factor) { setZoomFactor(factor); });
        scroll->setFactor(_zoomFactor);
    }
}

void QBXWindowController::unbindCanvases()
{
    if (!_graphicView)
        return;
    for (QBXZoomingScrollView* scroll : {_zoomingScrollView, _zoomingScrollView_BACK, _zoomingScrollView_TEMP})
        scroll->unbindFactor();
    _graphicView->unbind(QBXGraphicViewGridBindingName);
    _graphicView->unbind(QBXGraphicViewGraphicsBindingName);
    _graphicView_BACK->unbind(QBXGraphicViewGridBindingName);
    _graphicView_BACK->unbind(QBXGraphicViewGraphicsBindingName_back);
    _graphicView_TEMP->unbind(QBXGraphicViewGridBindingName);
    _graphicView_TEMP->unbind(QBXGraphicViewGraphicsBindingName_temp);
}

void QBXWindowController::setDocument(QBXDocument* document)
{
    if (!document)
        unbindCanvases();
    if (m_document)
        m_document->removeObserver(this, QStringLiteral("canvasSize"),
                                   const_cast<char*>(QBXWindowControllerCanvasSizeObservationContext));
    m_document = document;
    if (document) {
        document->addObserver(this, QStringLiteral("canvasSize"), platform::ObserveNew,
                              const_cast<char*>(QBXWindowControllerCanvasSizeObservationContext));
        // Explicit listeners follow the document: bind the lists to it.
        if (_graphicView && _graphicView->_selectionIndexesContainer)
            bindCanvases();
    }
}

void QBXWindowController::observeValueForKey(const QString& key, platform::Observable*, const platform::Change& change,
                                             void* context)
{
    if (context != QBXWindowControllerCanvasSizeObservationContext || key != QLatin1String("canvasSize"))
        return;
    if (change.isPrior || !change.newValue.isValid() || !change.newValue.canConvert<QSizeF>())
        return;
    SetDocumentCanvasSize(change.newValue.toSizeF());
}

void QBXWindowController::Show_Hide_Ruler_ChkBox(QObject*)
{
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK, _graphicView_TEMP}) {
        if (canvas)
            canvas->showOrHideRulers();
    }
}

// ---------------------------------------------------------------- canvas host

namespace {
CardBackgroundContext Background_Context(const Card_Property& front, const Card_Property& back, const QRectF& cardRect)
{
    CardBackgroundContext context;
    context.front = &front;
    context.back = &back;
    context.cardShape = Card_Shape.load();
    context.side = Card_Front_Or_Back;
    context.resourcePath = Resource_Path;
    context.cardRect = cardRect;
    return context;
}
} // namespace

void QBXWindowController::Card_Base_Drawing(QPainter& painter, const QRectF& cardRect, const QRectF& dirty)
{
    drawing::Card_Base_Drawing(painter, Background_Context(Front_card_Prop, Back_card_Prop, cardRect), dirty);
}

std::pair<platform::StoredPicture, QSize> QBXWindowController::cardBackgroundPicture(const QRectF& cardRect,
                                                                                     double pixelsPerPoint)
{
    return drawing::backgroundPicture(Background_Context(Front_card_Prop, Back_card_Prop, cardRect), pixelsPerPoint);
}

int QBXWindowController::cardShape() const
{
    return Card_Shape.load();
}

void QBXWindowController::selectionSizeChanged(int)
{
    Undo_Redo_Button_state();
}

void QBXWindowController::Refresh_Canvas()
{
    if (Card_Value_In_Process.load())
        return;
    // Safe from any thread: the request hops to the main thread, requests
    // arriving together redraw once, and those made while painting drop.
    drawing::requestRefresh();
}

void QBXWindowController::setZoomFactor(double factor)
{
    if (!std::isfinite(factor) || factor <= 0)
        return;
    _zoomFactor = factor;
    for (QBXZoomingScrollView* scroll : {_zoomingScrollView, _zoomingScrollView_BACK, _zoomingScrollView_TEMP}) {
        if (scroll)
            scroll->setFactor(factor);
    }
}
