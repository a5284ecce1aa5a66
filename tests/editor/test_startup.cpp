// Start-up of the main window: the instance, the window, the canvases and
// their bindings, the card tabs and the controls loaded at start.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXZoomingScrollView.h"
#include "platform/stepper.h"
#include "support/test_responder.h"
#include "wizards/User_Profile_Class.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

TEST(Startup, InstanceIsNullUntilTheControllerExists)
{
    EXPECT_EQ(QBXWindowController::defaultInstance(), nullptr);
    {
        QBXWindowController controller;
        EXPECT_EQ(QBXWindowController::defaultInstance(), &controller);
        EXPECT_EQ(Main_App_wnd, &controller);
    }
    EXPECT_EQ(QBXWindowController::defaultInstance(), nullptr);
    EXPECT_EQ(Main_App_wnd, nullptr);
}

TEST(Startup, WindowCanvasesAndBindings)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    EXPECT_TRUE(e->window->isVisible());
    // 1000 x 800 at most: sized down on a screen smaller than that.
    EXPECT_EQ(e->window->size().boundedTo(QSize(1000, 800)), e->window->size());
    EXPECT_EQ(e->window->palette().color(QPalette::Window), QColor(241, 244, 250));
    EXPECT_EQ(Data_Folder_Path, Resource_Path + QStringLiteral("/DataSet"));
    EXPECT_TRUE(QDir(Data_Folder_Path).exists());

    // Three canvases, each bound to its list, its selection and the one grid.
    const QBXGraphicView* canvases[] = {e->_graphicView, e->_graphicView_BACK, e->_graphicView_TEMP};
    const char* paths[] = {"document.graphics", "document.graphics_back", "document.graphics_temp"};
    const platform::SelectionHolder* selections[] = {e->_graphicsController, e->_graphicsController_back,
                                                     e->_graphicsController_TEMP};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(canvases[i]->graphicsContainer(), e.document.get()) << i;
        EXPECT_EQ(canvases[i]->graphicsKeyPath(), QString::fromLatin1(paths[i])) << i;
        EXPECT_EQ(canvases[i]->selectionIndexesContainer(), selections[i]) << i;
        EXPECT_EQ(canvases[i]->grid(), e->_grid) << i;
        EXPECT_EQ(canvases[i]->frameSize(), QSizeF(243, 154)) << i;
    }
    for (QBXZoomingScrollView* s : {e->_zoomingScrollView, e->_zoomingScrollView_BACK, e->_zoomingScrollView_TEMP}) {
        EXPECT_TRUE(s->rulersVisible());
        EXPECT_NE(s->horizontalRulerView(), nullptr);
        EXPECT_NE(s->verticalRulerView(), nullptr);
        EXPECT_TRUE(s->isFactorBound());
    }
    EXPECT_EQ(e->myTargetView->currentWidget(), e->first_view);

    // Only the three card tabs.
    ASSERT_EQ(e->sett_tab->count(), 3);
    EXPECT_EQ(e->sett_tab->widget(0)->objectName(), QStringLiteral("card_setting_tab"));
    EXPECT_EQ(e->sett_tab->widget(1)->objectName(), QStringLiteral("card_bkgd_tab"));
    EXPECT_EQ(e->sett_tab->widget(2)->objectName(), QStringLiteral("card_brdr_tab"));
}

TEST(Startup, ControlsLoadedAtStart)
{
    // A hatch folder with two patterns, a hidden file and a sub-folder.
    const QString hatch = QDir(qEnvironmentVariable("CARDWRIGHT_RESOURCE_DIR")).filePath(QStringLiteral("Fill_Style_Image"));
    QDir().mkpath(hatch + QStringLiteral("/sub.png"));
    for (const char* name : {"Zigzag.png", "Brick.png", ".hidden.png"}) {
        QFile f(hatch + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    StartedEditor e;
    ASSERT_TRUE(e.started);
    EXPECT_EQ(comboItems(e->Text_Date_style),
              (QStringList{"M-d-yyyy", "M-d-yy", "MM-dd-yy", "MM-dd-yyyy", "yy-MM-dd", "yyyy-MM-dd", "dd-MMM-yy",
                           "dd-MM-yyyy", "d-M-yy"}));
    EXPECT_EQ(comboItems(e->Text_Time_style), (QStringList{"h:mm:ss a", "hh:mm:ss a", "H:mm:ss", "HH:mm:ss"}));
    EXPECT_EQ(e->Text_Date_style->currentIndex(), 0);
    EXPECT_EQ(comboItems(e->shape_hatch_style), (QStringList{"Brick", "Zigzag"}));
    EXPECT_EQ(comboItems(e->Card_hatch_style), (QStringList{"Brick", "Zigzag"}));
    EXPECT_EQ(e->Card_hatch_style->currentIndex(), 0);
    // The new design's card panel then shows the front record's values.
    EXPECT_EQ(e->Card_image_layout->currentText(), e->Front_card_Prop.Card_BG_Image_Layout);
    EXPECT_EQ(e->Card_bor_Text->text(), QString::number(e->Front_card_Prop.Card_bor_Stepper));
    EXPECT_EQ(e->Card_bor_Stepper->value(), double(e->Front_card_Prop.Card_bor_Stepper));
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
    EXPECT_EQ(e->pvc_card_arry.size(), 7);
    EXPECT_EQ(e->paper_card_arry.size(), 8);
    QDir(hatch).removeRecursively();
}

TEST(Startup, UncreatableResourceFolderStopsWithTheMessage)
{
    const QByteArray saved = qgetenv("CARDWRIGHT_RESOURCE_DIR");
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("CARDWRIGHT_RESOURCE_DIR", dir.filePath(QStringLiteral("file/Cardwright")).toUtf8());
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    {
        StartedEditor e(false);
        EXPECT_FALSE(e.started);
    }
    qputenv("CARDWRIGHT_RESOURCE_DIR", saved);
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QStringLiteral("Can not access Tessmark Data file.")));
}

TEST(Startup, DocumentChangeRebindsAndFollowsTheCanvasSize)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QBXDocument* first = e.document.get();
    EXPECT_EQ(first->observationCount(QStringLiteral("canvasSize")), 1);

    e->setDocument(nullptr);
    for (QBXGraphicView* c : {e->_graphicView, e->_graphicView_BACK, e->_graphicView_TEMP}) {
        EXPECT_EQ(c->graphicsContainer(), nullptr);
        EXPECT_EQ(c->grid(), nullptr);
    }
    EXPECT_FALSE(e->_zoomingScrollView->isFactorBound());
    EXPECT_EQ(first->observationCount(QStringLiteral("canvasSize")), 0);
    EXPECT_EQ(first->observationCount(QStringLiteral("graphics")), 0);

    QBXDocument second;
    e->setDocument(&second);
    EXPECT_EQ(e->_graphicView->graphicsContainer(), &second);
    EXPECT_EQ(e->_graphicView_TEMP->grid(), e->_grid);
    EXPECT_EQ(second.observationCount(QStringLiteral("canvasSize")), 1);
    EXPECT_EQ(second.observationCount(QStringLiteral("graphics_back")), 1);

    // A size change reaches the canvases once.
    e->SetDocumentCanvasSize(QSizeF(100, 100));
    int resized = 0;
    QObject::connect(e->_graphicView, &QBXGraphicView::frameSizeChanged, [&](const QSizeF& s) {
        if (s == QSizeF(243, 154))
            ++resized;
    });
    second.willChangeValueForKey(QStringLiteral("canvasSize"));
    second.didChangeValueForKey(QStringLiteral("canvasSize"));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(e->_graphicView_BACK->frameSize(), QSizeF(243, 154));
    e->setDocument(nullptr);
}

TEST(Startup, ZoomMenuPickMovesAllThreeViews)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QComboBox* menu = e->_zoomingScrollView_BACK->factorPopUpButton();
    ASSERT_EQ(menu->count(), 11);
    menu->activated(menu->findText(QStringLiteral("400%")));
    EXPECT_EQ(e->zoomFactor(), 4.0);
    for (QBXZoomingScrollView* s : {e->_zoomingScrollView, e->_zoomingScrollView_BACK, e->_zoomingScrollView_TEMP}) {
        EXPECT_EQ(s->factor(), 4.0);
        EXPECT_EQ(s->factorPopUpButton()->currentText(), QStringLiteral("400%"));
    }
    EXPECT_EQ(e->_graphicView_TEMP->size(), QSize(972, 616));
    e->setZoomFactor(0);
    e->setZoomFactor(-1);
    EXPECT_EQ(e->zoomFactor(), 4.0);
}

TEST(Startup, RecordsAreCreatedWithTheirDefaults)
{
    QBXWindowController controller;
    EXPECT_EQ(controller.Front_card_Prop, Card_Property());
    EXPECT_EQ(controller.Back_card_Prop, Card_Property());
    ASSERT_NE(controller.Front_user_profile, nullptr);
    ASSERT_NE(controller.TEMP_user_profile, nullptr);
    EXPECT_NE(controller.Front_user_profile, controller.Back_user_profile);
    EXPECT_EQ(controller.Front_user_profile->Name_id, QStringLiteral("Fup_Name"));
    EXPECT_EQ(controller.zoomFactor(), 1.0);
    EXPECT_EQ(controller.Selected_Control_Tool, 0);
    EXPECT_TRUE(controller.Last_Selected_Graphic.expired());
}
