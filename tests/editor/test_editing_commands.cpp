// Tools, sides, edit and arrange buttons and the clipboard through the
// started main window.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXImage.h"
#include "platform/color_well.h"
#include "platform/pasteboard.h"
#include "support/test_responder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Action = void (QBXWindowController::*)(QObject*);

struct ToolCase {
    Action action;
    int tool;
    QString kind;
    QString shape;
    QSizeF size;
};

std::vector<ToolCase> toolCases()
{
    using C = QBXWindowController;
    const QSizeF s(50, 50);
    return {{&C::Line_Tool_Clicked, 1, "QBXLine", "", s},
            {&C::Text_Tool_Clicked, 2, "QBXText", "", s},
            {&C::Rect_Tool_Clicked, 3, "Shape_Control", "R", s},
            {&C::Circle_Tool_Clicked, 4, "Shape_Control", "C", s},
            {&C::Round_Rect_Tool_Clicked, 5, "Shape_Control", "RR", s},
            {&C::Triangle_Tool_Clicked, 6, "Shape_Control", "T", s},
            {&C::Diamond_Tool_Clicked, 7, "Shape_Control", "D", s},
            {&C::Barcode_Tool_Clicked, 10, "QBXBarcode", "", QSizeF(120, 60)},
            {&C::Signature_Tool_Clicked, 11, "QBXSignature", "", QSizeF(100, 50)},
            {&C::Fingure_Print_Tool_Clicked, 12, "QBXSignature", "", s},
            {&C::Star_Tool_Clicked, 13, "Shape_Control", "S", s},
            {&C::Double_Star_Tool_Clicked, 14, "Shape_Control", "DS", s},
            {&C::Polygon_Tool_Clicked, 15, "Shape_Control", "P", s}};
}

struct Commands : ::testing::Test {
    StartedEditor editor;
    QBXDocument& doc() { return *editor.document; }
    QBXGraphicView* front() { return editor->_graphicView; }
    QBXGraphicView* back() { return editor->_graphicView_BACK; }
    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        testResponder().reset();
    }
    void TearDown() override
    {
        Card_Front_Or_Back = 0;
        testResponder().reset();
    }
    void endEvent() { doc().undoManager()->closeEventGroup(); }
};

TEST_F(Commands, EveryToolCreatesOnTheCurrentSideAndReturnsToTheArrow)
{
    for (int side : {0, 1}) {
        Card_Front_Or_Back = side;
        for (const ToolCase& c : toolCases()) {
            last_ctrl_X = 10.0f;
            last_ctrl_Y = 10.0f;
            (editor.controller.get()->*c.action)(nullptr);
            const GraphicList& list = side == 1 ? doc().graphics_back() : doc().graphics();
            ASSERT_FALSE(list.empty()) << c.tool;
            const GraphicPtr g = list[0];
            EXPECT_EQ(g->className(), c.kind) << c.tool;
            if (!c.shape.isEmpty()) {
                EXPECT_EQ(g->Get_shape_type(), c.shape) << c.tool;
            }
            const int n = int(list.size()) - 1;
            const double step = std::max(n, 20);
            EXPECT_EQ(g->bounds(), QRectF(QPointF(10 + step, 10 + step), c.size)) << c.tool;
            QBXGraphicView* canvas = side == 1 ? back() : front();
            EXPECT_EQ(canvas->selectionIndexes(), platform::IndexSet({0})) << c.tool;
            EXPECT_EQ(canvas->Selected_Graphic(), g);
            EXPECT_EQ(editor->Selected_Control_Tool, 0) << c.tool;
        }
        if (side == 1) {
            EXPECT_EQ(doc().graphics().size(), toolCases().size()) << "the back side leaves the front alone";
        }
    }
    EXPECT_EQ(doc().graphics()[3]->sign_or_fingureprint, QStringLiteral("F")) << "the fingerprint";
    // Arrow and numbers outside the tools create nothing.
    const size_t count = doc().graphics_back().size();
    editor->Arrow_Tool_Clicked(nullptr);
    editor->Selected_Control_Tool = 16;
    editor->Select_tool_action();
    EXPECT_EQ(doc().graphics_back().size(), count);
    EXPECT_EQ(editor->Selected_Control_Tool, 0);
}

TEST_F(Commands, TemporarySideCreatesPastesAndDeletesOnItsOwnList)
{
    editor->Temp_Card_Btn_Clicked(nullptr);
    editor->Text_Tool_Clicked(nullptr);
    ASSERT_EQ(doc().graphics_temp().size(), 1u);
    EXPECT_TRUE(doc().graphics().empty()) << "nothing appears on the hidden front";
    QBXGraphicView* temp = editor->_graphicView_TEMP;
    EXPECT_EQ(temp->selectionIndexes(), platform::IndexSet({0}));
    editor->Copy_Clicked(nullptr);
    editor->Paste_Clicked(nullptr);
    EXPECT_EQ(doc().graphics_temp().size(), 2u);
    EXPECT_FALSE(editor->Undo_btn->isEnabled()) << "the temporary list keeps no history";
    editor->Undo_Clicked(nullptr);
    EXPECT_EQ(doc().graphics_temp().size(), 2u);
    editor->Delete_Clicked(nullptr);
    EXPECT_EQ(doc().graphics_temp().size(), 1u);
    EXPECT_TRUE(doc().graphics().empty());
    // Assigning twice holds the side's own graphics once.
    editor->Select_front_side();
    editor->Rect_Tool_Clicked(nullptr);
    editor->Temp_Card_Btn_Clicked(nullptr);
    editor->Temp_Design_Control_Assign();
    ASSERT_EQ(doc().graphics_temp().size(), 1u);
    EXPECT_EQ(doc().graphics_temp()[0], doc().graphics()[0]);
}

// The edit buttons follow the shown canvas's selection, its lock state and
// the front's history after side switches, undo and deletion.
TEST_F(Commands, EditButtonsFollowTheShownSelectionAndHistory)
{
    const auto enabled = [this] {
        QString on;
        for (QPushButton* b : {editor->Undo_btn, editor->Redo_btn, editor->Cut_btn, editor->Copy_btn,
                               editor->Delete_btn, editor->Lock_btn, editor->Unlock_btn})
            on += b->isEnabled() ? b->objectName().section('_', 0, 0) + ' ' : QString();
        return on.trimmed();
    };
    editor->Rect_Tool_Clicked(nullptr);
    endEvent();
    EXPECT_EQ(enabled(), "Undo Cut Copy Delete Lock");
    editor->Select_back_side();
    EXPECT_EQ(enabled(), "") << "the empty back, no history";
    editor->Select_front_side();
    EXPECT_EQ(enabled(), "Undo") << "the side switch shows the card: no selection, the front's history";
    front()->changeSelectionIndexes({0});
    EXPECT_EQ(enabled(), "Undo Cut Copy Delete Lock") << "the selected rectangle and its history";
    editor->Lock_Clicked(nullptr);
    EXPECT_EQ(enabled(), "Undo Unlock");
    editor->Unlock_Clicked(nullptr);
    editor->Text_Tool_Clicked(nullptr);
    endEvent();
    editor->Delete_Clicked(nullptr);
    endEvent();
    EXPECT_EQ(enabled(), "Undo");
    QTest::keyClick(front(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(front()->selectedGraphics(), GraphicList({doc().graphics()[0]}));
    EXPECT_EQ(doc().graphics()[0]->className(), QStringLiteral("QBXText"));
    EXPECT_EQ(enabled(), "Undo Redo Cut Copy Delete Lock") << "the restored text is selected";
    front()->changeSelectionIndexes({});
    EXPECT_EQ(enabled(), "Undo Redo");
}

TEST_F(Commands, PictureToolsCancelledOrWithAFile)
{
    testResponder().answerFilePanel({});
    editor->Image_Tool_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());
    EXPECT_EQ(editor->Selected_Control_Tool, 0);
    testResponder().onDialog([](QDialog& d) { d.reject(); }); // the library cancelled
    editor->Image_Library_Tool_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tiny.png"));
    QImage tiny(4, 3, QImage::Format_ARGB32);
    tiny.fill(Qt::red);
    ASSERT_TRUE(tiny.save(path));
    testResponder().answerFilePanel({path});
    editor->Image_Tool_Clicked(nullptr);
    ASSERT_EQ(doc().graphics().size(), 1u);
    EXPECT_EQ(doc().graphics()[0]->FilePath(), path);
    EXPECT_EQ(doc().graphics()[0]->bounds().size(), QSizeF(50, 50));
}

TEST_F(Commands, UndoIsOneStepAndOffOnTheBackSide)
{
    editor->Rect_Tool_Clicked(nullptr);
    endEvent();
    EXPECT_TRUE(editor->Undo_btn->isEnabled());
    Card_Front_Or_Back = 1;
    editor->Undo_Redo_Button_state();
    EXPECT_FALSE(editor->Undo_btn->isEnabled());
    editor->Undo_Clicked(nullptr);
    EXPECT_EQ(doc().graphics().size(), 1u) << "undo on the back leaves the front alone";
    Card_Front_Or_Back = 0;
    editor->Undo_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());
    editor->Redo_Clicked(nullptr);
    EXPECT_EQ(doc().graphics().size(), 1u);
    // Print flag and lock leave no step.
    endEvent();
    const int steps = doc().undoManager()->undoCount();
    front()->changeSelectionIndexes({0});
    front()->print_contol_or_not(1);
    editor->Lock_Clicked(nullptr);
    endEvent();
    EXPECT_EQ(doc().undoManager()->undoCount(), steps);
}

TEST_F(Commands, GuardsAndLockKeepTheSelection)
{
    const auto expectAlert = [](const QString& text) {
        const QStringList texts = testResponder().texts(QStringLiteral("alert"));
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_EQ(texts.back().trimmed(), text);
    };
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Lock_Clicked(nullptr);
    expectAlert(QStringLiteral("Please select a control to Lock."));
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Unlock_Clicked(nullptr);
    expectAlert(QStringLiteral("Please select a control to Unlock."));
    editor->Rect_Tool_Clicked(nullptr);
    editor->Rect_Tool_Clicked(nullptr);
    front()->changeSelectionIndexes({1});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Make_Same_Width_Clicked(nullptr);
    expectAlert(QStringLiteral("Please select more than one control."));
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Align_To_Grid_Clicked(nullptr);
    expectAlert(QStringLiteral("Please use grid option first."));
    front()->changeSelectionIndexes({0, 1});
    editor->Lock_Clicked(nullptr);
    EXPECT_EQ(front()->selectionIndexes(), platform::IndexSet({0, 1}));
    EXPECT_TRUE(doc().graphics()[0]->ctrl_is_locked && doc().graphics()[1]->ctrl_is_locked);
    EXPECT_TRUE(editor->Unlock_btn->isEnabled());
    EXPECT_FALSE(editor->Lock_btn->isEnabled());
}

TEST_F(Commands, GridControlsLoadWithoutFiringAndDriveTheGrid)
{
    QBXGrid* grid = editor->_grid;
    grid->setSpacing(12);
    testResponder().onDialog([](QDialog& d) { d.accept(); });
    editor->toggleGridShowing(nullptr);
    EXPECT_EQ(editor->Grid_Space_slidr->value(), 12);
    EXPECT_FALSE(grid->isAlwaysShown()) << "loading the slider does not show the grid";
    EXPECT_FALSE(editor->Grid_Opt_box->isEnabled());
    editor->Grid_Space_slidr->setValue(20);
    EXPECT_EQ(grid->spacing(), 20);
    EXPECT_TRUE(grid->isAlwaysShown());
    editor->Show_hide_grid_chk->setChecked(false);
    editor->Grid_Show_Hide_Changed(nullptr);
    EXPECT_FALSE(grid->isAlwaysShown());
    editor->toggleGridConstraining(nullptr);
    EXPECT_TRUE(grid->isConstraining());
}

TEST_F(Commands, TemplateExportReplacesThePairAndAFailedWriteKeepsIt)
{
    const QString folder = Resource_Path + QStringLiteral("/Templates/User");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString design = folder + QStringLiteral("/Party.dcard");
    const QString preview = folder + QStringLiteral("/Party.png");
    for (const QString& p : {design, preview}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    Project_File_Name = QStringLiteral("/somewhere/design.dcard");
    // A design log writer that writes its header, atomically.
    QBXWindowController::designLogWriter() = [](const QString& path) {
        QSaveFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("VELTCARDPROJECTHEADER") > 0 && f.commit();
    };
    // The dialog's own OK: an existing name asks before it is replaced; a
    // name the dialog refuses leaves it open, and it is cancelled.
    const auto name = [](const QString& text) {
        testResponder().onDialog([text](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("template_name"))->setText(text);
            d.findChild<QPushButton*>(QStringLiteral("OKPressed"))->click();
            if (d.isVisible())
                d.findChild<QPushButton*>(QStringLiteral("CancelPressed"))->click();
        });
    };
    name(QStringLiteral("Party"));
    testResponder().answerAlert(platform::modal::AlertAnswer::Yes);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Export_As_Template_Clicked(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")).value(0).trimmed(),
              QStringLiteral("Template with this name already exists, Do you want to replace the existing template?"));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).back().trimmed(),
              QStringLiteral("Template exported successfully."));
    QFile d(design);
    ASSERT_TRUE(d.open(QIODevice::ReadOnly));
    EXPECT_TRUE(d.readAll().contains("VELTCARDPROJECTHEADER"));
    EXPECT_EQ(QImage(preview).isNull(), false);
    EXPECT_EQ(Project_File_Name, QStringLiteral("/somewhere/design.dcard"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporaries left";

    // An escaping name is refused, naming the character.
    testResponder().reset();
    name(QStringLiteral("a/../../x"));
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Export_As_Template_Clicked(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).back().trimmed(),
              QStringLiteral("Template name cannot contain the character \"/\"."));

    // A failed write (the folder's place taken by a file) keeps the old pair
    // and reports no success.
    testResponder().reset();
    const QString blocked = folder + QStringLiteral("/.Party.design.tmp");
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    name(QStringLiteral("Party"));
    testResponder().answerAlert(platform::modal::AlertAnswer::Yes);
    editor->Export_As_Template_Clicked(nullptr);
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).filter(QStringLiteral("successfully")).isEmpty());
    EXPECT_TRUE(QFileInfo(design).isFile());
    EXPECT_FALSE(QImage(preview).isNull());
    QBXWindowController::designLogWriter() = nullptr;
}

// ---------------------------------------------------------------- clipboard

TEST_F(Commands, CopyAndPasteRoundTripAndCascade)
{
    editor->Rect_Tool_Clicked(nullptr);
    GraphicPtr original = doc().graphics()[0];
    original->setFillColor(Qt::green);
    original->control_ID = QStringLiteral("X1");
    front()->changeSelectionIndexes({0});
    editor->Copy_Clicked(nullptr);
    const QStringList types = platform::pasteboard::types();
    EXPECT_TRUE(types.contains(QBXGraphicViewPasteboardType));
    EXPECT_TRUE(types.contains(QStringLiteral("application/pdf")));
    EXPECT_TRUE(types.contains(QStringLiteral("image/tiff")));
    EXPECT_TRUE(editor->Paste_btn->isEnabled());
    EXPECT_EQ(front()->_pasteCascadeNumber, 1);
    std::vector<QPointF> places;
    for (int i = 0; i < 3; ++i) {
        editor->Paste_Clicked(nullptr);
        endEvent();
        EXPECT_EQ(front()->selectionIndexes(), platform::IndexSet({0}));
        places.push_back(doc().graphics()[0]->bounds().topLeft());
    }
    EXPECT_EQ(front()->_pasteCascadeNumber, 4);
    EXPECT_NE(places[0], places[1]);
    EXPECT_NE(places[1], places[2]);
    const GraphicPtr pasted = doc().graphics()[0];
    EXPECT_EQ(pasted->className(), original->className());
    EXPECT_EQ(pasted->control_ID, QStringLiteral("X1"));
    EXPECT_EQ(pasted->fillColor(), original->fillColor());
    EXPECT_EQ(pasted->bounds().size(), original->bounds().size());
    editor->Undo_Clicked(nullptr);
    EXPECT_EQ(doc().graphics().size(), 3u) << "a paste is one step";

    // Front to back: the first paste keeps the positions, the second moves.
    Card_Front_Or_Back = 1;
    editor->Paste_Clicked(nullptr);
    EXPECT_EQ(doc().graphics_back()[0]->bounds(), original->bounds());
    editor->Paste_Clicked(nullptr);
    EXPECT_NE(doc().graphics_back()[0]->bounds().topLeft(), original->bounds().topLeft());
}

TEST_F(Commands, ForeignClipboardContents)
{
    QClipboard* board = QGuiApplication::clipboard();
    // Garbage under the private type: an error, nothing inserted.
    auto* garbage = new QMimeData;
    garbage->setData(QBXGraphicViewPasteboardType, "not a list");
    board->setMimeData(garbage);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Paste_Clicked(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 1);
    EXPECT_TRUE(doc().graphics().empty());
    EXPECT_EQ(front()->_pasteCascadeNumber, 0);
    // File names only: nothing.
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
    board->setMimeData(files);
    editor->Paste_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());
    editor->Set_Paste_Button_Status();
    EXPECT_FALSE(editor->Paste_btn->isEnabled());
    // A picture of 40 x 20: centred on (50, 30), stored and reloaded from its file.
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    picture.setDotsPerMeterX(2835); // 72 dpi: one pixel is one point
    picture.setDotsPerMeterY(2835);
    board->setImage(picture);
    editor->Paste_Clicked(nullptr);
    ASSERT_EQ(doc().graphics().size(), 1u);
    const GraphicPtr g = doc().graphics()[0];
    EXPECT_EQ(g->className(), QStringLiteral("QBXImage"));
    EXPECT_EQ(g->bounds(), QRectF(30, 20, 40, 20));
    EXPECT_TRUE(g->FilePath().startsWith(Resource_Path + QStringLiteral("/PastedImage/")));
    EXPECT_EQ(QImage(g->FilePath()).size(), QSize(40, 20));
    // Contents from a larger card that miss this one are cascaded onto it.
    auto far = QBXGraphic::graphicOfClass(QStringLiteral("Shape_Control"));
    far->setBounds(QRectF(900, 700, 20, 20));
    auto* foreign = new QMimeData;
    foreign->setData(QBXGraphicViewPasteboardType, QBXGraphic::pasteboardDataWithGraphics({far}));
    board->setMimeData(foreign);
    editor->Paste_Clicked(nullptr);
    ASSERT_EQ(doc().graphics().size(), 2u);
    EXPECT_TRUE(doc().graphics()[0]->bounds().intersects(front()->bounds()));
}

TEST_F(Commands, CutForgetsTheCurrentGraphic)
{
    editor->Rect_Tool_Clicked(nullptr);
    front()->changeSelectionIndexes({0});
    ASSERT_NE(front()->Selected_Graphic(), nullptr);
    editor->Cut_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());
    EXPECT_EQ(front()->Selected_Graphic(), nullptr);
    EXPECT_TRUE(platform::pasteboard::types().contains(QBXGraphicViewPasteboardType));
}

} // namespace

TEST_F(Commands, APictureThatCannotBeStoredIsNotPasted)
{
    QFile blocker(Resource_Path + QStringLiteral("/PastedImage"));
    QDir(Resource_Path + QStringLiteral("/PastedImage")).removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder goes
    blocker.close();
    QImage picture(8, 8, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(picture);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    editor->Paste_Clicked(nullptr);
    EXPECT_TRUE(doc().graphics().empty());
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 2);
    QFile::remove(blocker.fileName());
}

TEST_F(Commands, RulerMarksAndHiddenHandlesEndWithTheGesture)
{
    editor->Rect_Tool_Clicked(nullptr);
    QBXGraphicView* canvas = front();
    const QPointF c = doc().graphics()[0]->bounds().center();
    canvas->mouseDownAt(c, false, 1);
    canvas->mouseDraggedTo(c + QPointF(10, 4));
    EXPECT_FALSE(canvas->_rulerEchoedBounds.isNull()) << "the rulers are shown at start-up";
    EXPECT_TRUE(canvas->_isHidingHandles);
    canvas->mouseUpAt(c + QPointF(10, 4));
    EXPECT_TRUE(canvas->_rulerEchoedBounds.isNull());
    EXPECT_FALSE(canvas->_isHidingHandles);
    // A nudge hides the handles for half a second; another restarts the period.
    canvas->moveRight();
    ASSERT_NE(canvas->_handleShowingTimer, nullptr);
    EXPECT_TRUE(canvas->_handleShowingTimer->isActive());
    QTest::qWait(200);
    canvas->moveRight();
    EXPECT_GT(canvas->_handleShowingTimer->remainingTime(), 400);
    EXPECT_TRUE(canvas->_isHidingHandles);
    canvas->unhideHandlesForTimer();
    EXPECT_FALSE(canvas->_isHidingHandles);
}
