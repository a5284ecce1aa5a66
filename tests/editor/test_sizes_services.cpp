// Card-size presets, canvas sizes and the controller's services.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "platform/date_pattern.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTableView>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

void expectSize(QSizeF got, double w, double h)
{
    EXPECT_NEAR(got.width(), w, 0.005);
    EXPECT_NEAR(got.height(), h, 0.005);
}

} // namespace

TEST(Sizes, PresetTablesOrientationAndOutOfRangeRows)
{
    StartedEditor e;
    expectSize(e->Get_My_card_Size("PVC Card", "H", 0), 85.598, 54.102);
    expectSize(e->Get_My_card_Size("PVC Card", "V", 0), 54.102, 85.598);
    expectSize(e->Get_My_card_Size("PVC Card", "Horizontal", 6), 73.152, 53.848);
    expectSize(e->Get_My_card_Size("Paper Card", "H", 5), 59.944, 89.916); // narrower than tall
    expectSize(e->Get_My_card_Size("Paper Card", "H", 7), 150.114, 125.984);
    expectSize(e->Get_My_card_Size("PVC Card", "H", 7), 762, 762); // past the PVC table
    expectSize(e->Get_My_card_Size("PVC Card", "H", -1), 30, 30);
    expectSize(e->Get_My_card_Size("Paper Card", "V", 9), 762, 762);
    // Millimetres to points to 0.01, the way callers size the card.
    const QSizeF mm = e->Get_My_card_Size("Paper Card", "H", 7);
    EXPECT_NEAR(QBXWindowController::MM_to_Points_Convert(float(mm.width())), 425.52, 0.01);
    EXPECT_NEAR(QBXWindowController::MM_to_Points_Convert(float(mm.height())), 357.12, 0.01);
    EXPECT_NEAR(QBXWindowController::MM_to_Points_Convert(85.6f), 242.64, 0.01);
    for (float v : {0.0f, 1.0f, 85.6f, 1000.0f})
        EXPECT_NEAR(QBXWindowController::Points_to_MM_Convert(QBXWindowController::MM_to_Points_Convert(v)), v,
                    v * 1e-6 + 1e-6);
}

TEST(Sizes, PresetListRows)
{
    StartedEditor e;
    e->ListData.clear(); // start-up lists the PVC sizes
    for (const QString& name : e->pvc_card_arry)
        e->Create_List(name);
    e->Create_List(QStringLiteral("   "));
    e->Create_List(QStringLiteral("  CR99 "));
    EXPECT_EQ(e->ListData.size(), 8);
    EXPECT_EQ(e->Get_Item_Text(7), QStringLiteral("CR99"));
    EXPECT_EQ(e->Get_Item_Text(8), QString());
    EXPECT_EQ(e->Get_Item_Text(-1), QString());
    EXPECT_EQ(e->numberOfRowsInTableView(e->ColList), 8);
    QTableView other;
    EXPECT_EQ(e->numberOfRowsInTableView(&other), 0);
    EXPECT_EQ(e->ColList->model()->rowCount(), 8);
    e->Mark_List_New_Selection(2);
    e->Mark_List_New_Selection(3);
    const QModelIndexList rows = e->ColList->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().row(), 3);
    e->tableView_setObjectValue(e->ColList, QStringLiteral("Edited"), QStringLiteral("Extension"), 1);
    e->tableView_setObjectValue(e->ColList, QStringLiteral("Lost"), QStringLiteral("Extension"), 20);
    EXPECT_EQ(e->Get_Item_Text(1), QStringLiteral("Edited"));
    EXPECT_EQ(e->ListData.size(), 8);
}

TEST(Sizes, CanvasSizeIsEqualOnAllThreeAndPixelsFollowTheZoom)
{
    StartedEditor e;
    e->Set_Card_Size_In_Control(QSizeF(85.6, 54.1));
    EXPECT_EQ(e->width_Text->text(), QStringLiteral("85.6"));
    e->SetDocumentCanvasSize(QSizeF(425.52, 357.12));
    e->setZoomFactor(1.5);
    for (QBXGraphicView* c : {e->_graphicView, e->_graphicView_BACK, e->_graphicView_TEMP}) {
        EXPECT_EQ(c->frameSize(), QSizeF(425.52, 357.12));
        EXPECT_EQ(c->size(), QSize(638, 536));
    }
    e->SetDocumentCanvasSize(QSizeF(-5, 10));
    e->SetDocumentCanvasSize(QSizeF(qQNaN(), 10));
    EXPECT_EQ(e->_graphicView_BACK->frameSize(), QSizeF(425.52, 357.12));
}

TEST(Services, CascadeOfNewGraphics)
{
    StartedEditor e;
    // A 50-point graphic at (110, 110) would leave the 154-point card: the
    // cascade starts again at the top left offset.
    const std::vector<QPointF> expected{{30, 30}, {50, 50}, {70, 70}, {90, 90}, {10, 10}};
    for (const QPointF& p : expected)
        EXPECT_EQ(e->Control_New_Point(QStringLiteral("F")), p);
    // The size of what is placed counts: 200 points wide fits at 30, not at 50.
    EXPECT_EQ(e->Control_New_Point(QStringLiteral("F"), QSizeF(200, 40)), QPointF(30, 30));
    EXPECT_EQ(e->Control_New_Point(QStringLiteral("F"), QSizeF(200, 40)), QPointF(10, 10));
    // Tool clicks, whatever their kind's size, land wholly on the card.
    for (int i = 0; i < 12; ++i) {
        i % 2 ? e->Barcode_Tool_Clicked(nullptr) : e->Signature_Tool_Clicked(nullptr);
        const QRectF b = e.document->graphics()[0]->bounds();
        EXPECT_TRUE(e->_graphicView->bounds().contains(b)) << i;
    }
    e->_graphicView->delete_all_control();

    // With 25 graphics on the back, the back step is 25.
    GraphicList many;
    std::vector<int> at;
    for (int i = 0; i < 25; ++i) {
        many.push_back(std::make_shared<QBXText>());
        at.push_back(i);
    }
    e.document->insertIntoList(QStringLiteral("graphics_back"), many, at);
    last_ctrl_X = 10;
    last_ctrl_Y = 10;
    EXPECT_EQ(e->Control_New_Point(QStringLiteral("B")), QPointF(35, 35));
    EXPECT_EQ(e->Get_Back_Control_Count(), 25);
    EXPECT_EQ(e->Get_Front_Control_Count(), 0);
}

TEST(Services, FileListsAndPathChecks)
{
    QTemporaryDir dir;
    for (const char* name : {"b.txt", "a.b.png", ".hidden"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    EXPECT_EQ(QBXWindowController::Get_Files_Array_At_Path(dir.path()), (QStringList{"a.b", "b"}));
    EXPECT_TRUE(QBXWindowController::Get_Files_Array_At_Path(dir.filePath(QStringLiteral("b.txt"))).isEmpty());
    EXPECT_TRUE(QBXWindowController::Get_Files_Array_At_Path(dir.filePath(QStringLiteral("none"))).isEmpty());
    EXPECT_TRUE(QBXWindowController::Get_Files_Array_At_Path(QString()).isEmpty());

    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    EXPECT_TRUE(QBXWindowController::Check_And_Validate_File_Path(QStringLiteral("   ")));
    EXPECT_TRUE(QBXWindowController::Check_And_Validate_File_Path(dir.filePath(QStringLiteral("none"))));
    EXPECT_FALSE(QBXWindowController::Check_And_Validate_File_Path(QStringLiteral(" ") + dir.filePath("b.txt")));
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts.at(0).contains(QStringLiteral("Please select valid file path.")));
    EXPECT_EQ(QBXWindowController::Convert_Path_From_URL(QUrl::fromLocalFile(QStringLiteral("/x/y z.png"))),
              QStringLiteral("/x/y z.png"));
}

TEST(Services, SavedPicturesArePngAndAFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QString jpg = dir.filePath(QStringLiteral("card.jpg"));
    QBXWindowController::Save_gen_image(picture, jpg);
    QFile written(jpg);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    written.close();
    EXPECT_EQ(QImage(jpg).size(), QSize(40, 20));

    // An empty picture cannot be written: two messages, the old file stays.
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    QBXWindowController::Save_gen_image(QImage(), jpg);
    EXPECT_EQ(QImage(jpg).size(), QSize(40, 20));
    // A parent that is a file: the same.
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    QBXWindowController::Save_gen_image(picture, jpg + QStringLiteral("/inner.png"));
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 4);
    EXPECT_TRUE(alerts.at(0).contains(jpg));
    EXPECT_TRUE(alerts.at(2).contains(jpg + QStringLiteral("/inner.png")));
    EXPECT_EQ(QImage(jpg).size(), QSize(40, 20));
}

TEST(Services, ResamplingKeepsThePointSize)
{
    QImage picture(100, 50, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    picture.setDotsPerMeterX(2835); // 72 dpi: 100 x 50 points
    picture.setDotsPerMeterY(2835);
    const QImage at300 = QBXWindowController::Increase_DPI(picture, 300);
    EXPECT_EQ(at300.size(), QSize(417, 209));
    EXPECT_NEAR(at300.dotsPerMeterX() * 0.0254, 300.2, 0.5);
    EXPECT_EQ(QBXWindowController::Increase_DPI(picture, 72).size(), QSize(100, 50));
    EXPECT_EQ(at300.pixelColor(200, 100), QColor(Qt::black));
    EXPECT_TRUE(QBXWindowController::Increase_DPI(QImage(), 300).isNull());
    EXPECT_TRUE(QBXWindowController::Increase_DPI(picture, 1e9).isNull()); // unallocatable
    EXPECT_TRUE(QBXWindowController::Increase_DPI(picture, -1).isNull());
}

TEST(Services, DateAndTimeFormatsAtAFixedClock)
{
    const QDateTime morning(QDate(2024, 3, 5), QTime(9, 7, 4));
    const QDateTime evening(QDate(2024, 11, 25), QTime(21, 30, 59));
    const std::vector<std::pair<const char*, std::pair<const char*, const char*>>> cases{
        {"M-d-yyyy", {"3-5-2024", "11-25-2024"}},  {"M-d-yy", {"3-5-24", "11-25-24"}},
        {"MM-dd-yy", {"03-05-24", "11-25-24"}},    {"MM-dd-yyyy", {"03-05-2024", "11-25-2024"}},
        {"yy-MM-dd", {"24-03-05", "24-11-25"}},    {"yyyy-MM-dd", {"2024-03-05", "2024-11-25"}},
        {"dd-MMM-yy", {"05-Mar-24", "25-Nov-24"}}, {"dd-MM-yyyy", {"05-03-2024", "25-11-2024"}},
        {"d-M-yy", {"5-3-24", "25-11-24"}},        {"h:mm:ss a", {"9:07:04 AM", "9:30:59 PM"}},
        {"hh:mm:ss a", {"09:07:04 AM", "09:30:59 PM"}}, {"H:mm:ss", {"9:07:04", "21:30:59"}},
        {"HH:mm:ss", {"09:07:04", "21:30:59"}},
    };
    ASSERT_EQ(cases.size(), 13u);
    for (const auto& [pattern, want] : cases) {
        EXPECT_EQ(platform::formatDate(morning, QString::fromLatin1(pattern)), QString::fromLatin1(want.first))
            << pattern;
        EXPECT_EQ(platform::formatDate(evening, QString::fromLatin1(pattern)), QString::fromLatin1(want.second))
            << pattern;
    }
    // Letters outside the notation stay literal.
    EXPECT_EQ(platform::formatDate(morning, QStringLiteral("'at' HH 'o''clock' x")), QStringLiteral("at 09 o'clock x"));
    EXPECT_FALSE(QBXWindowController::Get_date_Value(QStringLiteral("yyyy")).isEmpty());
}

TEST(Services, SeriesInUseNeedsTheSeriesFile)
{
    StartedEditor e;
    auto text = std::make_shared<QBXText>();
    text->data_source_type = 1;
    text->batch_list_name = QStringLiteral("Guests");
    e.document->insertIntoList(QStringLiteral("graphics_back"), {text}, {0});
    EXPECT_FALSE(e->Check_Batch_File_In_Use_Validation(QStringLiteral("Guests"))); // no file
    QFile series(Data_Folder_Path + QStringLiteral("/Guests.txt"));
    ASSERT_TRUE(series.open(QIODevice::WriteOnly));
    series.close();
    CARD_SIDE_STR = QStringLiteral("1");
    EXPECT_FALSE(e->Check_Batch_File_In_Use_Validation(QStringLiteral("Guests"))); // one-sided: back not read
    CARD_SIDE_STR = QStringLiteral("2");
    EXPECT_TRUE(e->Check_Batch_File_In_Use_Validation(QStringLiteral("Guests")));
    EXPECT_FALSE(e->Check_Batch_File_In_Use_Validation(QStringLiteral("guests")));
    EXPECT_EQ(e->Get_datasheet_File_Name_Array(), QStringList{QStringLiteral("Guests")});
    CARD_SIDE_STR = QString();
    series.remove();
}

TEST(Services, RefreshFromWorkerThreadsIsSafeAndInertDuringABatch)
{
    StartedEditor e;
    settle();
    QBXGraphicView* canvas = e->_graphicView;
    const int before = canvas->paintCount();
    Card_Value_In_Process = true;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                e->Refresh_Canvas();
        });
    for (auto& w : workers)
        joinWithinDeadline(w, "a worker refreshing the canvas");
    settle();
    EXPECT_EQ(canvas->paintCount(), before);
    Card_Value_In_Process = false;

    workers.clear();
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                e->Refresh_Canvas();
        });
    for (auto& w : workers)
        joinWithinDeadline(w, "a worker refreshing the canvas");
    settle();
    const int after = canvas->paintCount();
    EXPECT_GT(after, before);
    EXPECT_LE(after, before + 4); // coalesced, not 2000 paints
}

TEST(Services, MailSettingsCopyAndMissingFile)
{
    QFile::remove(Resource_Path + QStringLiteral("/com.velt.card.plist"));
    sender_email = QStringLiteral("old");
    QBXWindowController::Get_Email_Details();
    EXPECT_EQ(sender_email.get(), QString());
    EXPECT_EQ(sending_port.get(), QString());
    EXPECT_GT(QBXWindowController::Get_OS_Version(), 1500);
}
