// The drawing tools: sixteen buttons choose the kind of graphic; choosing one
// creates it at once on the current side and the panel returns the tool to
// the arrow. Also what the canvases ask of the controller while editing.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "editor/Links.h"
#include "platform/color_well.h"
#include "platform/files.h"
#include "platform/tab_item.h"
#include "wizards/Grid_Wizard.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUuid>
#include <QVBoxLayout>

namespace {

const char* const kToolNames[16] = {"Arrow", "Line", "Text", "Rect", "Circle", "RoundRect", "Triangle", "Diamond",
                                    "Image", "Library", "Barcode", "Signature", "Fingerprint", "Star", "DoubleStar",
                                    "Polygon"};

} // namespace

void QBXWindowController::Arrow_Tool_Clicked(QObject*) { Selected_Control_Tool = 0; Select_tool_action(); }
void QBXWindowController::Line_Tool_Clicked(QObject*) { Selected_Control_Tool = 1; Select_tool_action(); }
void QBXWindowController::Text_Tool_Clicked(QObject*) { Selected_Control_Tool = 2; Select_tool_action(); }
void QBXWindowController::Rect_Tool_Clicked(QObject*) { Selected_Control_Tool = 3; Select_tool_action(); }
void QBXWindowController::Circle_Tool_Clicked(QObject*) { Selected_Control_Tool = 4; Select_tool_action(); }
void QBXWindowController::Round_Rect_Tool_Clicked(QObject*) { Selected_Control_Tool = 5; Select_tool_action(); }
void QBXWindowController::Triangle_Tool_Clicked(QObject*) { Selected_Control_Tool = 6; Select_tool_action(); }
void QBXWindowController::Diamond_Tool_Clicked(QObject*) { Selected_Control_Tool = 7; Select_tool_action(); }
void QBXWindowController::Image_Tool_Clicked(QObject*) { Selected_Control_Tool = 8; Select_tool_action(); }
void QBXWindowController::Image_Library_Tool_Clicked(QObject*) { Selected_Control_Tool = 9; Select_tool_action(); }
void QBXWindowController::Barcode_Tool_Clicked(QObject*) { Selected_Control_Tool = 10; Select_tool_action(); }
void QBXWindowController::Signature_Tool_Clicked(QObject*) { Selected_Control_Tool = 11; Select_tool_action(); }
void QBXWindowController::Fingure_Print_Tool_Clicked(QObject*) { Selected_Control_Tool = 12; Select_tool_action(); }
void QBXWindowController::Star_Tool_Clicked(QObject*) { Selected_Control_Tool = 13; Select_tool_action(); }
void QBXWindowController::Double_Star_Tool_Clicked(QObject*) { Selected_Control_Tool = 14; Select_tool_action(); }
void QBXWindowController::Polygon_Tool_Clicked(QObject*) { Selected_Control_Tool = 15; Select_tool_action(); }

QBXGraphicView* QBXWindowController::currentSideCanvas() const
{
    if (myTargetView && temp_design_view && myTargetView->currentWidget() == temp_design_view)
        return _graphicView_TEMP;
    return Card_Front_Or_Back == 1 ? _graphicView_BACK : _graphicView;
}

void QBXWindowController::Select_tool_action()
{
    try {
        emit selectedToolDidChangeNotification(this);
        Refresh_Canvas();
        QBXGraphicView* canvas = currentSideCanvas();
        Show_RHS_Properties(canvas ? canvas->Selected_Graphic() : nullptr);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::selectArrowTool()
{
    Selected_Control_Tool = 0;
    emit selectedToolDidChangeNotification(this);
}

QString QBXWindowController::currentGraphicClass() const
{
    switch (Selected_Control_Tool) {
    case 1: return QStringLiteral("QBXLine");
    case 2: return QStringLiteral("QBXText");
    case 3: case 4: case 5: case 6: case 7: case 13: case 14: case 15: return QStringLiteral("Shape_Control");
    case 8: case 9: return QStringLiteral("QBXImage");
    case 10: return QStringLiteral("QBXBarcode");
    case 11:
    // The fingerprint tool makes a signature-kind graphic showing the
    // fingerprint sample.
    case 12: return QStringLiteral("QBXSignature");
    default: return {};
    }
}

void QBXWindowController::selectedToolDidChange(QObject*)
{
    QRectF rect(0, 0, 50, 50);
    QString graphicClass = currentGraphicClass();
    const int tool = Selected_Control_Tool;
    if (graphicClass == QLatin1String("QBXImage")) {
        if (tool == 8) {
            if (!Browse_User_Image_Manually())
                return;
        } else if (tool == 9) {
            // A library file that gives no picture makes no graphic.
            if (Open_Image_Library_Window(QStringLiteral("C")) == 1 && Check_Picture_File(lib_window_sel_file)) {
                Library_Selected_Image = lib_window_sel_file;
                Show_NSLog_Message(Library_Selected_Image);
            } else {
                graphicClass.clear();
            }
        }
    }
    if (graphicClass == QLatin1String("QBXBarcode") && tool == 10)
        rect.setSize(QSizeF(120, 60));
    if (graphicClass == QLatin1String("QBXSignature") && tool == 11)
        rect.setSize(QSizeF(100, 50));
    if (graphicClass.isEmpty())
        return;
    QBXGraphicView* canvas = currentSideCanvas();
    if (!canvas)
        return;
    canvas->createGraphicOfClass(graphicClass, std::nullopt, true, rect,
                                 Card_Front_Or_Back == 1 ? QStringLiteral("B") : QStringLiteral("F"), QString(),
                                 QString());
    Read_Shown_Pictures();
}

// ---------------------------------------------------------------- canvas host: editing

void QBXWindowController::showProperties(const GraphicPtr& graphic)
{
    Show_RHS_Properties(graphic);
}

void QBXWindowController::openBarcodeWindow()
{
    Open_Barcode_Window();
}

void QBXWindowController::pasteButtonStatus()
{
    m_pasteState = -1;
    Set_Paste_Button_Status();
}

QString QBXWindowController::libraryImagePath() const
{
    return Library_Selected_Image;
}

QImage QBXWindowController::placeholderPicture(const QString& which) const
{
    if (which == QLatin1String("sign"))
        return sign_sample_img;
    if (which == QLatin1String("fp"))
        return fp_sample_img;
    return no_image;
}

CardRenderContext QBXWindowController::cardRenderContext() const
{
    return Card_Render_Context(-1);
}

QString QBXWindowController::storePastedPicture(const QImage& picture)
{
    const QString folder = Resource_Path + QStringLiteral("/PastedImage");
    const QString path = folder + QStringLiteral("/Pasted_") + QUuid::createUuid().toString(QUuid::WithoutBraces)
        + QStringLiteral(".png");
    if (!platform::makeFolder(folder)) {
        // The writer's two messages: the path, then the reason.
        Show_MessageBox(path);
        Show_MessageBox(QStringLiteral("The folder cannot be created."));
        return {};
    }
    Save_gen_image(picture, path);
    return QFileInfo(path).isFile() ? path : QString();
}

// ---------------------------------------------------------------- controls

void QBXWindowController::buildEditingControls()
{
    if (!window || tool_buttons)
        return;
    // The tools.
    auto* tools = new QToolBar(QStringLiteral("Tools"), window);
    tools->setObjectName(QStringLiteral("tool_bar"));
    tool_buttons = new QButtonGroup(tools);
    using Action = void (QBXWindowController::*)(QObject*);
    const Action actions[16] = {&QBXWindowController::Arrow_Tool_Clicked, &QBXWindowController::Line_Tool_Clicked,
                                &QBXWindowController::Text_Tool_Clicked, &QBXWindowController::Rect_Tool_Clicked,
                                &QBXWindowController::Circle_Tool_Clicked,
                                &QBXWindowController::Round_Rect_Tool_Clicked,
                                &QBXWindowController::Triangle_Tool_Clicked,
                                &QBXWindowController::Diamond_Tool_Clicked, &QBXWindowController::Image_Tool_Clicked,
                                &QBXWindowController::Image_Library_Tool_Clicked,
                                &QBXWindowController::Barcode_Tool_Clicked,
                                &QBXWindowController::Signature_Tool_Clicked,
                                &QBXWindowController::Fingure_Print_Tool_Clicked,
                                &QBXWindowController::Star_Tool_Clicked,
                                &QBXWindowController::Double_Star_Tool_Clicked,
                                &QBXWindowController::Polygon_Tool_Clicked};
    for (int i = 0; i < 16; ++i) {
        auto* b = new QToolButton;
        b->setText(QString::fromLatin1(kToolNames[i]));
        b->setObjectName(QStringLiteral("tool_") + QString::number(i));
        tool_buttons->addButton(b, i);
        tools->addWidget(b);
        const Action a = actions[i];
        connect(b, &QToolButton::clicked, this, [this, a, b] { (this->*a)(b); });
    }
    window->addToolBar(Qt::TopToolBarArea, tools);

    // Sides, card tasks, grid, rulers and arrangement.
    auto* commands = new QToolBar(QStringLiteral("Commands"), window);
    commands->setObjectName(QStringLiteral("command_bar"));
    auto add = [&](const QString& title, Action a) {
        auto* b = new QPushButton(title);
        b->setObjectName(title);
        commands->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, a, b] { (this->*a)(b); });
        return b;
    };
    add(QStringLiteral("Front"), &QBXWindowController::Front_Card_Btn_Clicked);
    Back_Side_btn = add(QStringLiteral("Back"), &QBXWindowController::Back_Card_Btn_Clicked);
    Back_Side_btn->setObjectName(QStringLiteral("Back_Side_btn"));
    // The sides combo's choice reaches the button it enables.
    comboBoxSelectionDidChange(Sides_ComboBox);
    add(QStringLiteral("Temp"), &QBXWindowController::Temp_Card_Btn_Clicked);
    add(QStringLiteral("Card"), &QBXWindowController::Card_Prop_Clicked);
    add(QStringLiteral("Background"), &QBXWindowController::Card_Bckgrnd_Clicked);
    add(QStringLiteral("Export Template"), &QBXWindowController::Export_As_Template_Clicked);
    add(QStringLiteral("User Profile"), &QBXWindowController::User_Profile_Button_Clicked);
    // Greyed without a sharing page, as the dialogs' links are.
    add(QStringLiteral("Share"), &QBXWindowController::Share_It_Button_Clicked)
        ->setEnabled(links::usable(links::commandLink(QStringLiteral("share"), App_Name)));
    add(QStringLiteral("Ruler"), &QBXWindowController::Show_Hide_Ruler_ChkBox);
    add(QStringLiteral("Snap"), &QBXWindowController::toggleGridConstraining);
    add(QStringLiteral("Grid"), &QBXWindowController::toggleGridShowing);
    add(QStringLiteral("Align Center"), &QBXWindowController::Align_Center_Clicked);
    add(QStringLiteral("Align Left"), &QBXWindowController::Align_Left_Clicked);
    add(QStringLiteral("Align Right"), &QBXWindowController::Align_Right_Clicked);
    add(QStringLiteral("Align Top"), &QBXWindowController::Align_Top_Clicked);
    add(QStringLiteral("Align Bottom"), &QBXWindowController::Align_Bottom_Clicked);
    add(QStringLiteral("Align Horizontal"), &QBXWindowController::Align_Horz_Clicked);
    add(QStringLiteral("Align Vertical"), &QBXWindowController::Align_Vert_Clicked);
    window->addToolBarBreak();
    window->addToolBar(Qt::TopToolBarArea, commands);

    // The edit buttons the window already has.
    auto wire = [this](QPushButton* b, Action a) {
        if (b)
            connect(b, &QPushButton::clicked, this, [this, a, b] { (this->*a)(b); });
    };
    wire(Undo_btn, &QBXWindowController::Undo_Clicked);
    wire(Redo_btn, &QBXWindowController::Redo_Clicked);
    wire(Cut_btn, &QBXWindowController::Cut_Clicked);
    wire(Copy_btn, &QBXWindowController::Copy_Clicked);
    wire(Paste_btn, &QBXWindowController::Paste_Clicked);
    wire(Delete_btn, &QBXWindowController::Delete_Clicked);
    wire(Begin_Front_btn, &QBXWindowController::Begin_Front_Clicked);
    wire(Send_Back_btn, &QBXWindowController::Send_Back_Clicked);
    wire(Lock_btn, &QBXWindowController::Lock_Clicked);
    wire(Unlock_btn, &QBXWindowController::Unlock_Clicked);
    wire(Make_same_width_btn, &QBXWindowController::Make_Same_Width_Clicked);
    wire(Make_same_height_btn, &QBXWindowController::Make_Same_Height_Clicked);
    wire(Make_natural_size_btn, &QBXWindowController::Make_Natural_Clicked);
    wire(Align_with_grid_btn, &QBXWindowController::Align_To_Grid_Clicked);
    // Aligning needs the grid shown.
    if (Align_with_grid_btn && _grid) {
        Align_with_grid_btn->setEnabled(_grid->isAlwaysShown());
        connect(_grid, &QBXGrid::alwaysShownChanged, Align_with_grid_btn, &QPushButton::setEnabled);
    }
    // An empty canvas asks for the card's own properties at each redraw
    // (after a keyboard undo removed its last graphic, say). Only the shown
    // canvas's request counts, and a card panel already shown stays as it
    // is, on the tab the user chose.
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK, _graphicView_TEMP}) {
        if (canvas)
            connect(canvas, &QBXGraphicView::showCardPropertiesRequested, this, [this, canvas] {
                if (canvas == currentSideCanvas() && card_setting_tab && card_setting_tab->indexIn(sett_tab) < 0)
                    Show_RHS_Properties(nullptr);
            });
    }

    // Grid options.
    Grid_Opt_box = new QGroupBox(QStringLiteral("Grid"));
    Grid_Opt_box->setObjectName(QStringLiteral("Grid_Opt_box"));
    auto* gridLayout = new QHBoxLayout(Grid_Opt_box);
    Grid_clr = new platform::ColorWell;
    Grid_clr->setObjectName(QStringLiteral("Grid_clr"));
    Grid_Space_slidr = new QSlider(Qt::Horizontal);
    Grid_Space_slidr->setObjectName(QStringLiteral("Grid_Space_slidr"));
    Grid_Space_slidr->setRange(1, 100);
    gridLayout->addWidget(Grid_clr);
    gridLayout->addWidget(Grid_Space_slidr);
    Show_hide_grid_chk = new QCheckBox(QStringLiteral("Show Grid"));
    Show_hide_grid_chk->setObjectName(QStringLiteral("Show_hide_grid_chk"));
    // They live in the grid dialog, which the Grid command opens.
    Grid_Wizard::defaultInstance()->Hold_Controls(Show_hide_grid_chk, Grid_Opt_box);
    connect(Grid_clr, &platform::ColorWell::colorEdited, this, [this] { Grid_Clr_Changed(Grid_clr); });
    connect(Grid_Space_slidr, &QSlider::valueChanged, this, [this] { Grid_Slider_Changed(Grid_Space_slidr); });
    connect(Show_hide_grid_chk, &QCheckBox::clicked, this, [this] { Grid_Show_Hide_Changed(Show_hide_grid_chk); });

    // The Paste button follows the clipboard's changes (a format query is a
    // round trip to the X server: never asked per paint).
    if (QClipboard* board = QGuiApplication::clipboard())
        connect(board, &QClipboard::dataChanged, this, [this] {
            m_pasteState = -1;
            Set_Paste_Button_Status();
        });
    Set_Paste_Button_Status();

    // The tool observer: runs at once, inside the post.
    selectedToolDidChange(nullptr);
    connect(this, &QBXWindowController::selectedToolDidChangeNotification, this,
            &QBXWindowController::selectedToolDidChange, Qt::DirectConnection);
}
