// A new design starts from one clean state: nothing of the previous design
// survives the reset, and New never discards a design it could not save.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXText.h"
#include "platform/pasteboard.h"
#include "platform/process_end.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"
#include "wizards/User_Profile_Class.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using Answer = platform::modal::AlertAnswer;

GraphicPtr text(const QString& value)
{
    auto g = std::make_shared<QBXText>();
    g->Text_Value = value;
    g->setBounds(QRectF(10, 10, 50, 20));
    return g;
}

// Fills both sides and every piece of state a design carries.
std::weak_ptr<QBXGraphic> seedDesign(StartedEditor& e)
{
    QBXWindowController* c = e.controller.get();
    c->_graphicView->insertGraphics({text("a"), text("b")}, {0, 1}); // with undo
    c->_graphicView_BACK->insertGraphics({text("back")}, {0});
    c->_graphicView->changeSelectionIndexes({0, 1});
    c->_graphicView_BACK->changeSelectionIndexes({0});
    const GraphicPtr front = c->_graphicView->graphics().front();
    c->_graphicView->Set_Selected_Graphic(front);
    c->_graphicView_BACK->Set_Selected_Graphic(c->_graphicView_BACK->graphics().front());
    c->Last_Selected_Graphic = front;
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns({"Name"});
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({"Ann"}, 1);
    Excel_Binding_Use = true;
    if (!c->Data_source_type) { // the data-source panel may not be built
        c->Data_source_type = new QComboBox(c->window);
        c->Data_source_type->addItems({"Manual", "Series"});
    }
    c->Add_Excel_Col_Name_In_Combo(c->Data_source_type);
    EXPECT_NE(c->Data_source_type->findText("Excel"), -1);
    Excel_Source_Path = QStringLiteral("/data/people.xlsx");
    *c->Front_user_profile->Field(0).value = QStringLiteral("front name");
    *c->Back_user_profile->Field(0).value = QStringLiteral("back name");
    Fill_User_Profile = true;
    Project_File_Name = QStringLiteral("/designs/old.dcard");
    c->Back_card_Prop.Card_fill_style = QStringLiteral("I");
    c->Back_card_Prop.Card_BG_Image_Path = QStringLiteral("/pics/back.png");
    CARD_SIDE_STR = QStringLiteral("1");
    c->Sides_ComboBox->setCurrentIndex(1);
    c->grid()->setAlwaysShown(true);
    Card_Front_Or_Back = 1;
    last_ctrl_X = last_ctrl_Y = 70.0f;
    EXPECT_TRUE(e.document->undoManager()->canUndo());
    return front;
}

class NewDesign : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setProcessEndHandler([this](int status) { ended.push_back(status); });
    }
    void TearDown() override { platform::setProcessEndHandler({}); }
    StartedEditor e;
    std::vector<int> ended;
};

} // namespace

TEST_F(NewDesign, NewLeavesNothingOfThePreviousDesign)
{
    const std::weak_ptr<QBXGraphic> seeded = seedDesign(e);
    platform::pasteboard::putGraphics(QByteArray("graphics"), {}, {});
    testResponder().answerAlert(Answer::No);
    testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->Exit_btn->click(); });
    EXPECT_TRUE(e->New_Btn_Clicked());
    EXPECT_EQ(ended, std::vector<int>{0});

    QBXWindowController* c = e.controller.get();
    EXPECT_TRUE(c->Get_Front_Controls_Array().empty());
    EXPECT_TRUE(c->Get_Back_Controls_Array().empty());
    EXPECT_TRUE(c->_graphicView->selectionIndexes().empty());
    EXPECT_TRUE(c->_graphicView_BACK->selectionIndexes().empty());
    EXPECT_EQ(c->_graphicView->Selected_Graphic(), nullptr);
    EXPECT_EQ(c->_graphicView_BACK->Selected_Graphic(), nullptr);
    EXPECT_EQ(c->Last_Selected_Graphic.lock(), nullptr);
    EXPECT_TRUE(seeded.expired());
    EXPECT_FALSE(e.document->undoManager()->canUndo());
    EXPECT_FALSE(e.document->undoManager()->canRedo());

    EXPECT_FALSE(Excel_Binding_Use);
    EXPECT_EQ(c->Data_source_type->findText("Excel"), -1);
    EXPECT_EQ(Excel_Source_Path, QString());
    EXPECT_EQ(Binding_Table_Model::defaultInstance()->rowCount(), 0);
    EXPECT_EQ(Binding_Table_Model::defaultInstance()->Header_Titles().size(), 1);
    EXPECT_TRUE(c->Front_user_profile->Field(0).value->isEmpty());
    EXPECT_TRUE(c->Back_user_profile->Field(0).value->isEmpty());
    EXPECT_FALSE(Fill_User_Profile);
    EXPECT_EQ(Project_File_Name, QString());
    EXPECT_EQ(c->window->windowTitle(), c->App_Name);

    for (const Card_Property* side : {&c->Front_card_Prop, &c->Back_card_Prop}) {
        EXPECT_TRUE(side->Card_border_chk);
        EXPECT_FALSE(side->Card_fill_chk);
        EXPECT_EQ(side->Card_fill_style, QStringLiteral("S"));
        EXPECT_EQ(side->Card_BG_Image_Path, QString());
        EXPECT_EQ(side->Card_Side, QStringLiteral("2"));
        EXPECT_EQ(side->Card_Side_Name, QStringLiteral("F"));
        // The card panel records the canvas size of the side it shows.
        EXPECT_EQ(side->Card_Size, side == &c->Front_card_Prop ? c->_graphicView->frameSize() : QSizeF(0, 0));
        EXPECT_EQ(side->Card_Content_font.family(), Text_Ctrl_Font);
    }
    EXPECT_EQ(CARD_SIDE_STR, QStringLiteral("2"));
    EXPECT_EQ(c->Sides_ComboBox->currentIndex(), 0);
    EXPECT_FALSE(c->grid()->isAlwaysShown());
    EXPECT_EQ(Card_Front_Or_Back, 0);
    EXPECT_EQ(last_ctrl_X, 10.0f);
    EXPECT_EQ(last_ctrl_Y, 10.0f);
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
    // Our graphics left the clipboard.
    EXPECT_FALSE(platform::pasteboard::hasGraphics());

    // After the reset, Update_Card_Graphics gives the new card two sides.
    c->Update_Card_Graphics();
    EXPECT_EQ(c->Front_card_Prop.Card_Side, QStringLiteral("2"));
}

TEST_F(NewDesign, ForeignClipboardContentStays)
{
    QApplication::clipboard()->setText(QStringLiteral("from another program"));
    e->New_Project_Setting_Reset();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("from another program"));
}

TEST_F(NewDesign, YesWithACancelledOrFailedSaveChangesNothing)
{
    seedDesign(e);
    Project_File_Name = QString();
    // Cancelled save panel.
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({});
    EXPECT_FALSE(e->New_Btn_Clicked());
    // A write that fails.
    QBXWindowController::designLogWriter() = [](const QString&) { return false; };
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({QStringLiteral("/designs/new.dcard")});
    testResponder().answerAlert(Answer::Ok); // "fail"
    EXPECT_FALSE(e->New_Btn_Clicked());
    QBXWindowController::designLogWriter() = nullptr;
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).last(), QStringLiteral("fail"));

    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
    EXPECT_EQ(e->Get_Back_Controls_Array().size(), 1u);
    EXPECT_TRUE(e.document->undoManager()->canUndo());
    EXPECT_EQ(CARD_SIDE_STR, QStringLiteral("1"));
    EXPECT_TRUE(Excel_Binding_Use);
    EXPECT_TRUE(ended.empty());
    // The wizard ran at start-up only.
    EXPECT_EQ(testResponder().texts(QStringLiteral("dialog")).size(), 1);
}

TEST_F(NewDesign, YesWithASaveThatWritesStartsTheNewDesign)
{
    seedDesign(e);
    QStringList written;
    QBXWindowController::designLogWriter() = [&written](const QString& path) {
        written << path;
        return true;
    };
    Project_File_Name = QString();
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({QStringLiteral("/designs/kept.dcard")});
    testResponder().answerAlert(Answer::Ok); // "saved successfully"
    testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->Exit_btn->click(); });
    EXPECT_TRUE(e->New_Btn_Clicked());
    QBXWindowController::designLogWriter() = nullptr;
    EXPECT_EQ(written, QStringList{QStringLiteral("/designs/kept.dcard")});
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());
}

TEST_F(NewDesign, NewCardFromTheBackSideGoesToTheFrontRecord)
{
    // The new-window command asks the save question before the wizard.
    testResponder().answerAlert(Answer::No);
    testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->Exit_btn->click(); });
    e->newDocumentWindow();
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")).size(), 1);
    EXPECT_EQ(ended, std::vector<int>{0});

    // A new card built while the back side shows is sized on the front
    // record and laid on the front.
    Card_Front_Or_Back = 1;
    testResponder().onDialog([](QDialog&) {
        Invitation_Wizard* w = Invitation_Wizard::defaultInstance();
        w->Using_Wizard_btn->click();
        w->msg_title->setText(QStringLiteral("Title"));
        w->msg_value->setText(QStringLiteral("Message"));
        w->selected_image = QString();
        w->next_counter = 3; // straight to the texts: no pictures here
        w->Next_btn->click();
        w->Next_btn->click();
    });
    e->Open_Start_Window();
    EXPECT_EQ(Card_Front_Or_Back, 0);
    EXPECT_EQ(float(e->Front_card_Prop.Card_Size.width()), 340.15747f);
    EXPECT_EQ(e->Back_card_Prop.Card_Size, QSizeF(0, 0));
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
    EXPECT_TRUE(e->Get_Back_Controls_Array().empty());
}
