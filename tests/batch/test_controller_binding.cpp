// The window controller's binding members over a started editor: the output
// protocol on the controller, previews on the design, the combo fillers.
#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "editor/QBXWindowController.h"
#include "platform/process_end.h"
#include "support/test_responder.h"
#include "support_binding.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <gtest/gtest.h>

namespace {

struct Editor {
    std::unique_ptr<QBXDocument> document = std::make_unique<QBXDocument>();
    std::unique_ptr<QBXWindowController> c = std::make_unique<QBXWindowController>();
    bool started = false;
    int endedWith = -1;
    Editor()
    {
        Card_Front_Or_Back = 0;
        c->setDocument(document.get());
        // Start-up's wizard is closed; the end of the program it asks for
        // is recorded instead of carried out.
        platform::setProcessEndHandler([this](int status) { endedWith = status; });
        testResponder().onDialog([](QDialog& d) { d.reject(); });
        started = c->awakeFromNib() && endedWith == 0;
        CARD_SIDE_STR = QStringLiteral("1");
    }
    ~Editor()
    {
        platform::setProcessEndHandler({});
        for (const QString& f : QDir(Data_Folder_Path).entryList(QDir::Files))
            QFile::remove(Data_Folder_Path + QLatin1Char('/') + f);
        c.reset();
        document.reset();
        QApplication::processEvents();
    }
};

void Write_Series(const QString& name, const QByteArray& bytes)
{
    QFile f(Data_Folder_Path + QLatin1Char('/') + name + QStringLiteral(".txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ControllerBinding, OutputProtocolRunsOnASnapshotAndPreviewsFillTheDesign)
{
    Editor e;
    ASSERT_TRUE(e.started);
    Write_Series(QStringLiteral("Names"), "Ann\r\nBob\r\nCy\r\n");
    auto text = Series_Text(QStringLiteral("Names"));
    text->setBounds(QRectF(10, 10, 100, 30));
    auto number = Column_Text(0);
    number->setBounds(QRectF(10, 50, 100, 30));
    e.document->insertGraphic(text, 0);
    e.document->insertGraphic(number, 0);
    Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
    table->Set_Sheet_Columns({QStringLiteral("A")});
    table->Clear_Rows();
    for (int i = 0; i < 5; ++i)
        table->Create_List_By_Array({QStringLiteral("a")}, 1);

    e.c->Check_Series_Or_Excel_Use_or_not();
    EXPECT_EQ(Total_Batch_Excel_Card, 5);
    EXPECT_EQ(Data_table_rows, 3);
    // A run with its spreadsheet box off.
    Use_Excel_Binding_Values = false;
    e.c->Get_total_Card_count();
    EXPECT_EQ(Total_Batch_Excel_Card, 3);
    EXPECT_EQ(Excel_table_rows, 0);

    auto run = e.c->Take_Binding_Run_Snapshot();
    ASSERT_EQ(run->Total_Batch_Excel_Card(), 3);
    const CardPicture picture = run->Render_Side(1, QStringLiteral("F"), false);
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(Shown_Text(run->Fill_Side(2, QStringLiteral("F"))[1]), QStringLiteral("Cy"));
    EXPECT_EQ(Shown_Text(text), QStringLiteral("Text here")); // the design is untouched by the run

    // The preview after a run: row 0 back on the design's own front.
    Card_Front_Or_Back = 1;
    EXPECT_FALSE(e.c->Set_data_table_value_to_card(0, QStringLiteral("F"), false).isNull());
    EXPECT_EQ(Card_Front_Or_Back, 0);
    EXPECT_EQ(Shown_Text(text), QStringLiteral("Ann"));
    EXPECT_EQ(Shown_Text(number), QStringLiteral("Text here")); // its source is off for this run
    EXPECT_EQ(e.c->Get_First_Value_Of_Dataset(QStringLiteral("Names")), QStringLiteral("Ann"));
    table->Clear_Rows();
}

TEST(ControllerBinding, CombosListSeriesAndColumnsAndTheViewerButtonAsks)
{
    Editor e;
    ASSERT_TRUE(e.started);
    Write_Series(QStringLiteral("b"), "1\n");
    Write_Series(QStringLiteral("A"), "1\n");
    QComboBox source, list;
    source.addItems({QStringLiteral("Manual"), QStringLiteral("Series")});
    e.c->Add_Excel_Col_Name_In_Combo(&source);
    e.c->Add_Excel_Col_Name_In_Combo(&source);
    EXPECT_EQ(source.count(), 3);
    e.c->Remove_Excel_Col_Name_In_Combo(&source);
    EXPECT_EQ(source.count(), 2);

    e.c->Fill_Data_Set_File_Name_In_Combo(&list);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("A"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("b"));
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns({QStringLiteral(" Name ")});
    e.c->Fill_Excel_Col_Name_In_Combo(&list);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(1), QStringLiteral("Name"));

    // "Series" chosen with no series selected.
    source.setCurrentIndex(1);
    list.clear();
    e.c->Data_source_type = &source;
    e.c->Batch_Series = &list;
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    e.c->View_batch_Series_Button(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nPlease select the series.")});
    e.c->Data_source_type = nullptr;
    e.c->Batch_Series = nullptr;
}

TEST(ControllerBinding, ChoosingASeriesBindsByNameAndShowsCardZerosValue)
{
    Editor e;
    ASSERT_TRUE(e.started);
    QComboBox source, list;
    source.addItems({QStringLiteral("Manual"), QStringLiteral("Series")});
    e.c->Data_source_type = &source;
    e.c->Batch_Series = &list;
    auto text = std::make_shared<QBXText>();
    e.c->_graphicView->Set_Selected_Graphic(text); // the canvas's current graphic

    testResponder().answerAlert(platform::modal::AlertAnswer::Ok); // no series yet
    e.c->Data_Source_Selection_Changed(1);
    EXPECT_EQ(text->data_source_type, 0);

    Write_Series(QStringLiteral("A"), "a\n");
    Write_Series(QStringLiteral("B"), "\r\nsecond\r\n"); // card 0 takes the empty first row
    e.c->Data_Source_Selection_Changed(1);
    EXPECT_EQ(text->data_source_type, 1);
    text->Text_contents().text = QStringLiteral("before");
    source.setCurrentIndex(1);
    e.c->Batch_Series_Selection_Changed(1);
    EXPECT_EQ(text->batch_list_name, QStringLiteral("B"));
    EXPECT_EQ(text->batch_list_index, 1);
    EXPECT_EQ(Shown_Text(text), QString());
    e.c->Batch_Series_Selection_Changed(-1); // a cleared list changes nothing
    EXPECT_EQ(text->batch_list_name, QStringLiteral("B"));
    e.c->Data_source_type = nullptr;
    e.c->Batch_Series = nullptr;
}
