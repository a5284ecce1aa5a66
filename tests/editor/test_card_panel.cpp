// The card panel on the started window: its controls write the current
// side's record, the all-text colour and font reach the texts once, and the
// picture choosers refuse files that give no picture.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/RefreshSeam.h"
#include "platform/color_well.h"
#include "platform/stepper.h"
#include "support/test_responder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct CardPanel : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        testResponder().reset();
    }
    void TearDown() override
    {
        Card_Front_Or_Back = 0;
        Card_Shape = 0;
        EXPECT_TRUE(testResponder().reset()) << "a scripted answer was left unused";
    }
    void showSide(int side)
    {
        if (side == 1)
            c->Select_back_side();
        else
            c->Select_front_side();
        c->Show_RHS_Properties(nullptr);
        settle();
    }
    Card_Property& record(int side) { return side == 1 ? c->Back_card_Prop : c->Front_card_Prop; }
    // Runs a user action and counts the redraws it asked for.
    template <typename F>
    int redrawsOf(F action)
    {
        settle();
        const int before = drawing::refreshRunCount();
        action();
        settle();
        return drawing::refreshRunCount() - before;
    }
    GraphicPtr place(const QString& cls)
    {
        GraphicPtr g = QBXGraphic::graphicOfClass(cls);
        g->setBounds(QRectF(20, 20, 80, 40));
        QBXGraphicView* canvas = Card_Front_Or_Back == 1 ? c->_graphicView_BACK : c->_graphicView;
        editor.document->Enable_Disable_Undo_Registraion(false);
        canvas->insertGraphics({g}, {0});
        editor.document->Enable_Disable_Undo_Registraion(true);
        return g;
    }
};

} // namespace

TEST_F(CardPanel, ControlsWriteTheCurrentSideOnceWithoutUndo)
{
    for (int side : {0, 1}) {
        SCOPED_TRACE(side);
        showSide(side);
        Card_Property& r = record(side);
        EXPECT_EQ(redrawsOf([&] { c->Card_fill_chk->click(); }), 1);
        EXPECT_TRUE(r.Card_fill_chk);
        c->Card_gradient_fill_rd->click();
        EXPECT_EQ(r.Card_fill_style, QStringLiteral("G"));
        EXPECT_TRUE(c->Card_fill_Grd_1_clr->isEnabled());
        EXPECT_FALSE(c->Card_fill_clr->isEnabled());

        c->Card_alpha_Stepper->setValue(51);
        EXPECT_EQ(redrawsOf([&] { c->Card_alpha_Stepper->stepBy(-1); }), 1);
        EXPECT_FLOAT_EQ(r.Card_alpha_Stepper, 0.5f);
        EXPECT_EQ(c->Card_alpha_Text->text(), QStringLiteral("50"));
        for (const QColor& colour : {r.Card_fill_clr, r.Card_fill_Grd_1_clr, r.Card_fill_Grd_2_clr, r.Card_hatch_bk_clr})
            EXPECT_NEAR(colour.alphaF(), 0.5, 0.01);

        c->Card_border_chk->click();
        EXPECT_FALSE(r.Card_border_chk);
        c->Card_bordr_clr->setColor(Qt::red);
        emit c->Card_bordr_clr->colorEdited(Qt::red);
        EXPECT_NE(r.Card_bordr_clr, QColor(Qt::red)) << "border off keeps the stored colour";

        c->card_name->setFocus();
        c->card_name->selectAll();
        QTest::keyClicks(c->card_name, QStringLiteral("   "));
        QTest::keyClick(c->card_name, Qt::Key_Return);
        EXPECT_EQ(r.Card_Name, QStringLiteral("Untitled"));

        c->ColList->selectionModel()->clearSelection();
        c->Update_Card_Graphics();
        EXPECT_EQ(r.Card_Sub_Category, QString());
        EXPECT_EQ(r.Card_Cat_index, -1);
        EXPECT_EQ(r.Card_Side_Name, side == 1 ? QStringLiteral("B") : QStringLiteral("F"));
    }
    EXPECT_EQ(editor.document->undoManager()->undoCount(), 0);
}

TEST_F(CardPanel, FillOffStoresSolidOnTheBackOnlyAndShapeIsShared)
{
    for (int side : {0, 1}) {
        showSide(side);
        if (!c->Card_fill_chk->isChecked())
            c->Card_fill_chk->click();
        c->Card_Image_fill_rd->click();
        c->Card_fill_chk->click();
        EXPECT_EQ(record(side).Card_fill_style, side == 0 ? QStringLiteral("I") : QStringLiteral("S"));
    }
    c->matrix_card_shape->button(1)->click();
    EXPECT_EQ(Card_Shape.load(), 1);
    EXPECT_EQ(record(1).Card_Shape, QStringLiteral("RR"));
    showSide(0);
    c->Update_Card_Graphics();
    EXPECT_EQ(record(0).Card_Shape, QStringLiteral("RR"));
    EXPECT_EQ(c->cardShape(), 1);
}

TEST_F(CardPanel, AllTextColourReachesExactTextsOnce)
{
    showSide(0);
    const GraphicPtr text = place(QStringLiteral("QBXText"));
    const GraphicPtr shape = place(QStringLiteral("Shape_Control"));
    const QColor shapeFill = shape->_fillColor;
    c->Show_RHS_Properties(nullptr);
    c->All_Text_clr->setColor(Qt::red);
    emit c->All_Text_clr->colorEdited(Qt::red);
    EXPECT_EQ(text->txt_clr, QColor(Qt::red));
    EXPECT_EQ(shape->_fillColor, shapeFill);
    EXPECT_EQ(c->Front_card_Prop.Card_Content_clr, QColor(Qt::red));

    // The text panel recolours the text since: a size change must keep it.
    text->txt_clr = Qt::blue;
    c->width_Stepper->stepBy(1);
    EXPECT_EQ(text->txt_clr, QColor(Qt::blue));

    QFont font(QStringLiteral("DejaVu Serif"), 21);
    c->changeAllTextFont(font);
    EXPECT_EQ(text->text_ctrl_font, font);
    EXPECT_EQ(text->txt_clr, QColor(Qt::blue));
    EXPECT_EQ(c->All_Text_font_value->text(), QStringLiteral("%1 ( 21.00 )").arg(font.family()));
}

TEST_F(CardPanel, BackgroundChoosersRefuseFilesThatAreNoPictures)
{
    showSide(1);
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("broken.png"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG\r\n\x1a\n truncated");
    f.close();
    const Card_Property before = c->Back_card_Prop;
    testResponder().answerFilePanel({bad});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Card_Image_Browse_Btn(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nThis file cannot be used as a picture:\n") + bad
                          + QStringLiteral("\n\nIts PNG header is damaged (the picture data ends early).")});
    EXPECT_TRUE(c->Back_card_Prop == before);

    // A good file becomes the back side's background.
    const QString good = dir.filePath(QStringLiteral("good.PNG"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(good, "PNG"));
    testResponder().answerFilePanel({good});
    c->Card_Image_Browse_Btn(nullptr);
    EXPECT_EQ(c->Back_card_Prop.Card_fill_style, QStringLiteral("I"));
    EXPECT_EQ(c->Back_card_Prop.Card_BG_Image_Path, good);
    EXPECT_EQ(c->Front_card_Prop.Card_BG_Image_Path, QString());

    // The library answering Cancel still stores the panel.
    c->Card_bor_Stepper->setValue(7);
    c->Card_border_chk->setChecked(true);
    testResponder().onDialog([](QDialog& d) { d.reject(); });
    c->Card_Image_Library_Btn(nullptr);
    EXPECT_EQ(c->Back_card_Prop.Card_bor_Stepper, 7);
}

TEST_F(CardPanel, SizeListFollowsTheOpenedDesignOnBothSides)
{
    // The panel lists paper cards when a PVC design is opened.
    c->Category_ComboBox->setCurrentIndex(1);
    emit c->Category_ComboBox->activated(1);
    ASSERT_EQ(c->Get_Item_Text(0), QStringLiteral("Durable 1452 - Name Badge"));
    for (Card_Property* r : {&c->Front_card_Prop, &c->Back_card_Prop}) {
        r->Card_Category = QStringLiteral("PVC Card");
        r->Card_Cat_index = 2;
        r->Card_Sub_Category = QStringLiteral("CR90-Over Sized");
    }
    const QSizeF mm = c->Get_My_card_Size(QStringLiteral("PVC Card"), QStringLiteral("H"), 2);
    c->Front_card_Prop.Card_Size = QSizeF(mm.width() * 2.834645669291, mm.height() * 2.834645669291);
    QTemporaryDir dir;
    Project_File_Name = dir.filePath(QStringLiteral("pvc.dcard"));
    ASSERT_TRUE(c->Save_project_file(false, false));
    ASSERT_EQ(c->Read_and_load_design_Log(Project_File_Name, QStringLiteral("L")), 1);
    for (int side : {0, 1, 0}) {
        SCOPED_TRACE(side);
        showSide(side);
        EXPECT_EQ(c->Category_ComboBox->currentText(), QStringLiteral("PVC Card"));
        EXPECT_EQ(c->ListData.size(), 7);
        EXPECT_EQ(c->Get_Item_Text(0), QStringLiteral("CR80-Credit Card Size"));
        const QModelIndexList rows = c->ColList->selectionModel()->selectedRows();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows.front().row(), 2);
        EXPECT_EQ(record(side).Card_Sub_Category, QStringLiteral("CR90-Over Sized"));
    }
    Project_File_Name.clear();
}

// The size list marks a preset only while the card has its size (to a
// hundredth of a millimetre): a design whose stored row names another size
// (CR80 stored, CR100's 98.552 x 66.548 mm card) marks the preset of its
// size; a typed size marks none, and so does a category without it.
TEST_F(CardPanel, SizeListMarksOnlyThePresetOfTheCardsSize)
{
    auto marked = [&] {
        const QModelIndexList rows = c->ColList->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    };
    auto open = [&](double width_mm, double height_mm) {
        for (Card_Property* r : {&c->Front_card_Prop, &c->Back_card_Prop}) {
            r->Card_Category = QStringLiteral("PVC Card");
            r->Card_Cat_index = 0;
            r->Card_Sub_Category = QStringLiteral("CR80-Credit Card Size");
        }
        c->Front_card_Prop.Card_Size = QSizeF(QBXWindowController::MM_to_Points_Convert(float(width_mm)),
                                              QBXWindowController::MM_to_Points_Convert(float(height_mm)));
        QTemporaryDir dir;
        Project_File_Name = dir.filePath(QStringLiteral("card.dcard"));
        EXPECT_TRUE(c->Save_project_file(false, false));
        EXPECT_EQ(c->Read_and_load_design_Log(Project_File_Name, QStringLiteral("L")), 1);
        Project_File_Name.clear();
    };
    open(98.552, 66.548);
    for (int side : {0, 1, 0}) {
        showSide(side);
        EXPECT_EQ(marked(), 3) << side; // CR100
    }
    open(98.6, 66.548); // 0.05 mm off: no preset
    for (int side : {0, 1}) {
        showSide(side);
        EXPECT_EQ(marked(), -1) << side;
    }
    showSide(0);

    // Sizes typed in: a preset's marks it, any other none.
    auto type = [&](double width_mm) {
        c->width_Stepper->setValue(width_mm);
        c->Card_Width_Changed(c->width_Stepper);
    };
    type(85.598);
    c->height_Stepper->setValue(54.102);
    c->Card_Height_Changed(c->height_Stepper);
    EXPECT_EQ(marked(), 0);
    EXPECT_EQ(c->Front_card_Prop.Card_Cat_index, 0);
    type(90);
    EXPECT_EQ(marked(), -1);
    EXPECT_EQ(c->Front_card_Prop.Card_Cat_index, -1);
    type(85.598);
    // The paper badges have no CR80: none; back to the PVC cards: CR80.
    c->Category_ComboBox->setCurrentIndex(1);
    c->comboBoxSelectionDidChange(c->Category_ComboBox);
    EXPECT_EQ(marked(), -1);
    c->Category_ComboBox->setCurrentIndex(0);
    c->comboBoxSelectionDidChange(c->Category_ComboBox);
    EXPECT_EQ(marked(), 0);
}

// Every built-in template opened: its orientation says its shape, and the
// size list marks its preset, scrolled into view.
TEST_F(CardPanel, BuiltInTemplatesOpenWithTheirOrientationAndPresetInView)
{
    const QDir templates(QStringLiteral(CARDWRIGHT_BINARY_DIR "/share/cardwright/Templates"));
    const QStringList designs = templates.entryList({QStringLiteral("*.dcard")}, QDir::Files, QDir::Name);
    ASSERT_EQ(designs.size(), 8);
    c->ColList->setFixedHeight(c->ColList->horizontalHeader()->height() + 2 * c->ColList->verticalHeader()->defaultSectionSize());
    for (const QString& design : designs) {
        SCOPED_TRACE(design.toStdString());
        ASSERT_EQ(c->Read_and_load_design_Log(templates.filePath(design), QStringLiteral("T")), 1);
        showSide(0);
        const Card_Property& r = record(0);
        EXPECT_EQ(r.Card_Preset, r.Card_Size.width() >= r.Card_Size.height() ? QStringLiteral("Horizontal")
                                                                              : QStringLiteral("Vertical"));
        const QModelIndexList rows = c->ColList->selectionModel()->selectedRows();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows.front().row(), r.Card_Cat_index);
        EXPECT_TRUE(c->ColList->viewport()->rect().contains(c->ColList->visualRect(rows.front())));
    }
    Project_File_Name.clear();
}
