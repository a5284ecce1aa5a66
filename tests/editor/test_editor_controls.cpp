// The main window's controls do what they show: the Edit and Arrange menus
// act on the shown canvas and are enabled as it validates them, the buttons
// follow their state, new text takes the card's content colour and font, the
// card-size wizard's choices reach the card panel, profile fields show whole,
// and no dialog cuts a caption.
#include "support_editor.h"

#include "app/Globals.h"
#include "barcode/Barcode_Gen_Window.h"
#include "batch/BatchWizard.h"
#include "batch/Data_From_Excel.h"
#include "batch/Generate_List.h"
#include "batch/Import_Excel.h"
#include "batch/Import_Wizard.h"
#include "batch/View_Data_Series.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXText.h"
#include "drawing/QBXZoomingScrollView.h"
#include "editor/Long_SMS_Dlg.h"
#include "editor/Promotion_Form.h"
#include "editor/Review_Form.h"
#include "output/Email_Setting.h"
#include "output/Print_Wnd.h"
#include "output/Send_Mail.h"
#include "platform/color_well.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"
#include "support/test_responder.h"
#include "wizards/Card_Size_List.h"
#include "wizards/Card_Wizard.h"
#include "wizards/Export_Template.h"
#include "wizards/Grid_Wizard.h"
#include "wizards/Image_Library.h"
#include "wizards/Insert_Template.h"
#include "wizards/Invitation_Wizard.h"
#include "wizards/Show_User_Profile.h"
#include "wizards/Template_Wizard.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/User_profile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Controls : ::testing::Test {
    StartedEditor e;
    QBXGraphicView* front() { return e->_graphicView; }
    void SetUp() override
    {
        ASSERT_TRUE(e.started);
        testResponder().reset();
        QGuiApplication::clipboard()->clear();
        settle();
    }
    void TearDown() override { Card_Front_Or_Back = 0; }
    QAction* item(const char* action)
    {
        for (QAction* a : e->window->menuBar()->findChildren<QAction*>())
            if (a->data().toString() == QLatin1String(action))
                return a;
        ADD_FAILURE() << "no menu item for " << action;
        return nullptr;
    }
    // The enabled items of both menus, by the canvas's name of the command,
    // as a user opening them sees them.
    QStringList enabled()
    {
        for (QMenu* m : {e->editMenu, e->arrangeMenu})
            emit m->aboutToShow();
        QStringList on;
        for (QAction* a : std::as_const(e->m_menuItems))
            if (a->isEnabled())
                on << a->data().toString();
        return on;
    }
};

// Labels, buttons and group-box titles narrower than they ask to be, on every
// page of every stack (tab views included) of the window.
QStringList cutCaptions(QWidget& window)
{
    QStringList cut;
    const auto check = [&] {
        settle();
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window))
                continue;
            QString text;
            int wanted = 0;
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
                text = l->text();
                wanted = l->sizeHint().width();
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                text = b->text();
                wanted = b->sizeHint().width();
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                text = g->title();
                wanted = g->minimumSizeHint().width();
            }
            // Shown as wide as it asks, and not clipped by its parents.
            const int shown = std::min(w->width(), w->visibleRegion().boundingRect().width());
            if (!text.isEmpty() && shown < wanted)
                cut << QStringLiteral("%1: \"%2\" %3 < %4").arg(window.objectName(), text).arg(w->width()).arg(wanted);
        }
    };
    const bool ownWindow = window.isWindow();
    if (ownWindow)
        window.show();
    check();
    for (QStackedWidget* stack : window.findChildren<QStackedWidget*>()) {
        const int kept = stack->currentIndex();
        for (int i = 0; i < stack->count(); ++i) {
            stack->setCurrentIndex(i);
            check();
        }
        stack->setCurrentIndex(kept);
    }
    if (ownWindow)
        window.hide();
    cut.removeDuplicates();
    return cut;
}

} // namespace

TEST_F(Controls, MenusActOnTheShownSideAndFollowSelectionAndClipboard)
{
    EXPECT_EQ(item("paste:")->shortcut(), QKeySequence(QKeySequence::Paste));
    EXPECT_EQ(enabled(), QStringList({"selectAll:", "alignformCenter:", "showOrHideRulers:"}));

    e->Rect_Tool_Clicked(nullptr);
    e->Text_Tool_Clicked(nullptr);
    e.document->undoManager()->closeEventGroup();
    EXPECT_EQ(enabled(), QStringList({"undo:", "cut:", "copy:", "delete:", "selectAll:", "bringToFront:",
                                      "sendToBack:", "lock:", "alignformCenter:", "showOrHideRulers:"}))
        << "one text selected";
    item("selectAll:")->trigger();
    EXPECT_EQ(front()->selectionIndexes().size(), 2u);
    EXPECT_TRUE(enabled().contains("alignLeftEdges:") && enabled().contains("makeSameWidth:"));
    EXPECT_FALSE(enabled().contains("alignWithGrid:")) << "the grid is not shown";
    e->_grid->setAlwaysShown(true);
    EXPECT_TRUE(enabled().contains("alignWithGrid:"));
    e->_grid->setAlwaysShown(false);
    item("copy:")->trigger();
    EXPECT_TRUE(enabled().contains("paste:"));
    item("lock:")->trigger();
    EXPECT_TRUE(enabled().contains("unlock:"));
    EXPECT_FALSE(enabled().contains("lock:") || enabled().contains("paste:"));
    item("unlock:")->trigger();

    // The ruler item names what it will do.
    emit e->arrangeMenu->aboutToShow();
    EXPECT_EQ(item("showOrHideRulers:")->text(), QStringLiteral("Hide Ruler"));
    item("showOrHideRulers:")->trigger();
    EXPECT_FALSE(e->_zoomingScrollView->rulersVisible());
    emit e->arrangeMenu->aboutToShow();
    EXPECT_EQ(item("showOrHideRulers:")->text(), QStringLiteral("Show Ruler"));

    // The back side shown: the items act there only.
    e->Select_back_side();
    EXPECT_FALSE(enabled().contains("undo:") || enabled().contains("copy:"));
    item("paste:")->trigger();
    ASSERT_EQ(e.document->graphics_back().size(), 2u);
    item("selectAll:")->trigger();
    item("delete:")->trigger();
    EXPECT_TRUE(e.document->graphics_back().empty());
    EXPECT_EQ(e.document->graphics().size(), 2u);
}

TEST_F(Controls, ButtonsFollowGridNaturalSizeLinksAndTheEmptiedCanvas)
{
    EXPECT_FALSE(e->Align_with_grid_btn->isEnabled());
    e->_grid->setAlwaysShown(true);
    EXPECT_TRUE(e->Align_with_grid_btn->isEnabled());
    e->_grid->setAlwaysShown(false);
    EXPECT_FALSE(e->Align_with_grid_btn->isEnabled());

    // No sharing page in the test's links: the button is greyed.
    auto* share = e->window->findChild<QPushButton*>(QStringLiteral("Share"));
    ASSERT_TRUE(share);
    EXPECT_FALSE(share->isEnabled());

    // A keyboard undo that takes the last graphic away shows the card panel.
    e->window->show();
    e->Rect_Tool_Clicked(nullptr);
    e.document->undoManager()->closeEventGroup();
    EXPECT_FALSE(e->Make_natural_size_btn->isEnabled()) << "a square rectangle is at its natural size";
    settle();
    ASSERT_LT(e->card_setting_tab->indexIn(e->sett_tab), 0) << "the rectangle's panel";
    QTest::keyClick(front(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(e.document->graphics().empty());
    front()->repaint();
    settle();
    EXPECT_EQ(e->card_setting_tab->indexIn(e->sett_tab), 0);
    // Shown already, the card panel keeps the tab the user chose.
    e->sett_tab->setCurrentIndex(2);
    front()->repaint();
    settle();
    EXPECT_EQ(e->sett_tab->currentIndex(), 2);

    e->Signature_Tool_Clicked(nullptr);
    EXPECT_TRUE(e->Make_natural_size_btn->isEnabled()) << "one oblong signature alone";
}

TEST_F(Controls, NewTextTakesTheContentColourAndFont)
{
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSizeF(22);
    e->All_Text_clr->setColor(QColor(200, 30, 40));
    e->changeAllTextFont(chosen);
    e->Text_Tool_Clicked(nullptr);
    const GraphicPtr text = e.document->graphics().front();
    EXPECT_EQ(text->txt_clr, QColor(200, 30, 40));
    EXPECT_EQ(text->text_ctrl_font, chosen);
}

TEST_F(Controls, CardSizeWizardChoicesReachTheCardPanel)
{
    auto run = [&](const std::function<void(Card_Wizard&)>& choose) {
        testResponder().onDialog([choose](QDialog&) {
            Card_Wizard* w = Card_Wizard::defaultInstance();
            choose(*w);
            w->OK_Click();
        });
        e->Card_Size_Btn_Clicked(nullptr);
    };
    auto selectedRow = [&] {
        const QModelIndexList rows = e->ColList->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    };
    run([](Card_Wizard& w) {
        w.card_name->setText(QStringLiteral("Member Card"));
        w.size_list->Category_ComboBox->setCurrentIndex(1);
        w.size_list->Mark_List_New_Selection(3);
    });
    EXPECT_EQ(e->card_name->text(), QStringLiteral("Member Card"));
    EXPECT_EQ(selectedRow(), 3);
    EXPECT_EQ(e->Front_card_Prop.Card_Name, QStringLiteral("Member Card"));
    EXPECT_EQ(e->Front_card_Prop.Card_Category, QStringLiteral("Paper Card"));
    EXPECT_EQ(e->Front_card_Prop.Card_Cat_index, 3);

    // A typed size that is no preset selects none.
    run([](Card_Wizard& w) {
        QLineEdit* width = w.size_list->width_Text;
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("123.5"));
        QTest::keyClick(width, Qt::Key_Return);
    });
    EXPECT_EQ(selectedRow(), -1);
    EXPECT_EQ(e->Front_card_Prop.Card_Cat_index, -1);
    EXPECT_FLOAT_EQ(float(e->width_Stepper->value()), 123.5f);
}

TEST_F(Controls, ProfileFieldsShowWholeOnTheFormAndTheCard)
{
    Show_User_Profile* form = Show_User_Profile::defaultInstance();
    form->window->show();
    settle();
    for (const auto& row : form->rows) {
        if (row.label) {
            EXPECT_GE(row.label->width(), row.label->fontMetrics().horizontalAdvance(row.label->text()) + 4)
                << row.label->text().toStdString();
        }
    }
    form->window->hide();

    const QString name = QStringLiteral("Zoë Ångström-Vasquez");
    *e->Front_user_profile->Field(0).value = name;
    Fill_User_Profile = true;
    e->Fill_User_profile_info_front_side();
    GraphicPtr placed;
    for (const GraphicPtr& g : e.document->graphics())
        if (g->control_ID == QLatin1String("Fup_Name"))
            placed = g;
    ASSERT_TRUE(placed);
    const auto* text = dynamic_cast<const QBXText*>(placed.get());
    EXPECT_LE(text->unwrappedWidth(), placed->bounds().width());
    EXPECT_GE(placed->bounds().left(), 0);
    EXPECT_LE(placed->bounds().right(), e->Front_card_Prop.Card_Size.width() + 0.001);
}

TEST_F(Controls, NoDialogCutsACaption)
{
    // Every dialog of the program made, then each shown page by page.
    for (auto make : std::initializer_list<std::function<void()>>{
             [] { Review_Form::defaultInstance(); }, [] { Promotion_Form::defaultInstance(); },
             [] { Long_SMS_Dlg::defaultInstance(); }, [] { Email_Setting::defaultInstance(); },
             [] { Print_Wnd::defaultInstance(); }, [] { Send_Mail::defaultInstance(); },
             [] { Generate_List::defaultInstance(); }, [] { Import_Excel::defaultInstance(); },
             [] { Import_Excel_DataSheet::defaultInstance(); }, [] { Data_From_Excel::defaultInstance(); },
             [] { BatchWizard::defaultInstance(); }, [] { Import_Wizard::defaultInstance(); },
             [] { View_Data_Series::defaultInstance(); }, [] { User_profile::defaultInstance(); },
             [] { Insert_Template::defaultInstance(); }, [] { Show_User_Profile::defaultInstance(); },
             [] { Template_Wizard::defaultInstance(); }, [] { Invitation_Wizard::defaultInstance(); },
             [] { Grid_Wizard::defaultInstance(); }, [] { Image_Library::defaultInstance(); },
             [] { Card_Wizard::defaultInstance(); }})
        make();
    Export_Template templateName;
    QStringList cut;
    int dialogs = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || qobject_cast<QMessageBox*>(dialog))
            continue;
        ++dialogs;
        cut << cutCaptions(*dialog);
    }
    EXPECT_GE(dialogs, 20);
    // The barcode designer exists while it runs.
    GraphicPtr barcode = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    front()->insertGraphics({barcode}, {0});
    front()->Set_Selected_Graphic(barcode);
    testResponder().onDialog([&cut](QDialog& d) {
        cut << cutCaptions(d);
        d.reject();
    });
    e->Open_Barcode_Window();
    // The property panel of a text.
    e->Text_Tool_Clicked(nullptr);
    e->window->show();
    cut << cutCaptions(*e->sett_tab);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
}
