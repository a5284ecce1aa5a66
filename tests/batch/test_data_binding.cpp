// Data binding: card i carries row i of every bound source, counts follow
// the longest source, runs work on a snapshot and never print a wrong barcode.
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "batch/SeriesStore.h"
#include "support/bounded_wait.h"
#include "support_binding.h"

#include "drawing/PictureStore.h"
#include "support/hostile_bytes.h"

#include <QBuffer>
#include <QFile>

#include <QPainter>
#include <QtConcurrent/QtConcurrent>
#include <gtest/gtest.h>
#include <iostream>

#include <atomic>

namespace {

// Barcode stand-in: a 1x1 picture whose colour encodes nothing; values
// containing letters are refused as an EAN-13 encoder would.
Barcode_Row_Picture Stub_Barcode(const QBXGraphic&, const QString& value, const QString&, const QString&,
                                 const Barcode_Run_Target&)
{
    for (QChar c : value)
        if (!c.isDigit())
            return {};
    QImage image(1, 1, QImage::Format_RGB32);
    image.setText(QStringLiteral("value"), value);
    return {PointPicture::fromImage(image, QSizeF(1, 1)), 72};
}

struct Fixture {
    TempSeriesFolder folder;
    Binding_Table_Model table;
    Binding_Design design;
    Data_Binding binding;

    Fixture()
    {
        table.Set_Sheet_Columns({QStringLiteral("B head"), QStringLiteral("D head")});
        for (int i = 1; i <= 5; ++i)
            table.Create_List_By_Array({QStringLiteral(" b%1 ").arg(i), QStringLiteral("d%1").arg(i)}, 2);
    }
    void check()
    {
        binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder.path()),
                                                 table.ListData(), folder.path());
    }
};

} // namespace

TEST(DataBinding, CountsFollowTheLongestBoundSource)
{
    Fixture f;
    f.folder.write(QStringLiteral("A.txt"), "1\n2\n3\n\n \n");
    f.design.front = {std::make_shared<QBXText>()};
    f.check();
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 0);
    EXPECT_FALSE(f.binding.counts.Use_Data_Sheet_Values);
    EXPECT_FALSE(f.binding.counts.Use_Excel_Binding_Values);

    f.design.front.push_back(Series_Text(QStringLiteral("A")));
    f.check();
    EXPECT_EQ(f.binding.counts.Data_table_rows, 3); // trailing blank lines make no cards
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 3);

    f.design.front.push_back(Column_Text(1));
    f.check();
    EXPECT_EQ(f.binding.counts.Excel_table_rows, 5);
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 5);

    // A run with the spreadsheet box off counts the series only.
    f.binding.counts.Use_Excel_Binding_Values = false;
    f.binding.Get_total_Card_count(f.table.ListData());
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 3);

    // A missing series is listed; the other sources still count.
    f.design.front.push_back(Series_Text(QStringLiteral("Gone")));
    f.check();
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 5);
    EXPECT_EQ(f.binding.problems->Count(), 1);

    // An empty binding table clears the spreadsheet flag.
    f.table.Clear_Rows();
    f.check();
    EXPECT_FALSE(f.binding.counts.Use_Excel_Binding_Values);
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 3);
}

TEST(DataBinding, EachCardTakesItsRowAndShortSourcesGoEmpty)
{
    Fixture f;
    const QString red = Tiny_Png(f.folder.path(), QStringLiteral("red.png"), Qt::red);
    const QString blue = Tiny_Png(f.folder.path(), QStringLiteral("blue.png"), Qt::blue);
    f.folder.write(QStringLiteral("A.txt"), QStringLiteral("10\r\n20\r\n30\r\n").toUtf8());
    f.folder.write(QStringLiteral("P.txt"), (red + QStringLiteral("\n") + blue + QStringLiteral("\n\n") +
                                             red + QStringLiteral("\n")).toUtf8());
    auto text = Series_Text(QStringLiteral("A"));
    auto picture = Series_Picture(QStringLiteral("P"));
    auto barcode = Series_Barcode(QStringLiteral("A"));
    auto number = Column_Text(0);
    auto columnD = Column_Text(2);
    auto beyond = Column_Text(7);
    f.design.front = {text, picture, barcode, number, columnD, beyond, std::make_shared<QBXImage>()};
    f.check();
    ASSERT_EQ(f.binding.counts.Total_Batch_Excel_Card, 5);

    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData(), Card_Property(), Card_Property(),
                             Stub_Barcode);
    for (int i = 0; i < 5; ++i) {
        const GraphicList& card = run.Fill_Side(i, QStringLiteral("F"));
        const bool inSeries = i < 3;
        EXPECT_EQ(Shown_Text(card[0]), inSeries ? QString::number((i + 1) * 10) : QString()) << i;
        EXPECT_EQ(Shown_Text(card[3]), QString::number(i + 1));
        EXPECT_EQ(Shown_Text(card[4]), QStringLiteral("d%1").arg(i + 1));
        EXPECT_EQ(Shown_Text(card[5]), QString()); // a column beyond the table
        auto* pic = static_cast<QBXImage*>(card[1].get());
        if (i == 0 || i == 3)
            EXPECT_EQ(pic->_contents.image().pixelColor(0, 0), QColor(Qt::red)) << i;
        else if (i == 1)
            EXPECT_EQ(pic->_contents.image().pixelColor(0, 0), QColor(Qt::blue));
        else
            EXPECT_TRUE(pic->_contents.isNull()) << i; // the blank row and past the end
        auto* code = static_cast<QBXBarcode*>(card[2].get());
        EXPECT_EQ(code->row_picture.raster().text(QStringLiteral("value")), inSeries ? QString::number((i + 1) * 10) : QString());
        EXPECT_TRUE(code->_barcode_image.isNull()); // the design's stored picture is left alone
        EXPECT_EQ(code->ctrl_is_visible, inSeries) << i;
    }
    // Each empty value says why it is empty.
    EXPECT_EQ(Problem_Lines(run.Problems()),
              (QStringList{QStringLiteral("Card 3: no value: its row is empty."),
                           QStringLiteral("Card 4: no value: the series \"A\" has 3 rows."),
                           QStringLiteral("Card 5: no value: the series \"P\" has 4 rows."),
                           QStringLiteral("Card 5: no value: the series \"A\" has 3 rows.")}));
    // The design itself was not touched.
    EXPECT_EQ(Shown_Text(text), QStringLiteral("Text here"));
    EXPECT_TRUE(picture->_contents.isNull());
    EXPECT_TRUE(barcode->_barcode_image.isNull());
}

// Past the spreadsheet's last row, and only there, a value is missing for
// "the spreadsheet has N rows"; its last row, empty, says so instead.
TEST(DataBinding, TheSpreadsheetRowCountIsNamedFromTheRowAfterItsLast)
{
    Fixture f;
    f.table.Clear_Rows();
    for (int i = 1; i <= 5; ++i)
        f.table.Create_List_By_Array({QStringLiteral("b%1").arg(i), i < 5 ? QString::number(i * 11) : QString()}, 2);
    f.folder.write(QStringLiteral("A.txt"), "1\n2\n3\n4\n5\n6\n7\n");
    // A barcode bound to column D: an empty value prints nothing and is listed.
    auto code = Series_Barcode(QStringLiteral("A"));
    code->data_source_type = 2;
    code->excel_col_indx = 2;
    f.design.front = {Series_Text(QStringLiteral("A")), code};
    f.check();
    ASSERT_EQ(f.binding.counts.Total_Batch_Excel_Card, 7);
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData(), Card_Property(), Card_Property(), Stub_Barcode);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(run.Fill_Side(i, QStringLiteral("F"))[1]->ctrl_is_visible, i < 4) << i;
    EXPECT_EQ(Problem_Lines(run.Problems()),
              (QStringList{QStringLiteral("Card 5: no value: its row is empty."),
                           QStringLiteral("Card 6: no value: the spreadsheet has 5 rows."),
                           QStringLiteral("Card 7: no value: the spreadsheet has 5 rows.")}));
}

// The end box's list: grouped under a heading by kind, a value quoted
// short, cards past a short series named once as a range, the count of
// cards with a problem on top, and no line wider than a screen takes.
TEST(DataBinding, RunProblemsAreListedByKindWithRangesAndShortValues)
{
    Fixture f;
    for (int i = 6; i <= 20; ++i)
        f.table.Create_List_By_Array({QStringLiteral("b%1").arg(i), QStringLiteral("d%1").arg(i)}, 2);
    f.folder.write(QStringLiteral("A.txt"), "1\n2\n3\n4\n5\n");
    f.folder.write(QStringLiteral("L.txt"), "7\n" + QByteArray(4096, 'x') + "\n");
    f.design.front = {Series_Barcode(QStringLiteral("A")), Series_Barcode(QStringLiteral("L")), Column_Text(1)};
    f.check();
    ASSERT_EQ(f.binding.counts.Total_Batch_Excel_Card, 20);
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData(), {}, {}, Stub_Barcode);
    for (int i = 0; i < 20; ++i)
        run.Fill_Side(i, QStringLiteral("F"));
    const QString text = Problems_Text(run.Problems(), 20);
    EXPECT_EQ(text, QStringLiteral("19 of 20 cards carry a problem.\n"
                                   "Barcodes left off:\n"
                                   "Card 2: \"%1\u2026\" cannot be encoded.\n"
                                   "Cards 3\u201320: no value: the series \"L\" has 2 rows.\n"
                                   "Cards 6\u201320: no value: the series \"A\" has 5 rows.")
                        .arg(QString(40, QLatin1Char('x'))));

    // Kinds in their order under their own headings, each with its first
    // line; problems of no one card are not counted; lines past the room
    // left are counted under their kind.
    QList<Card_Problem> mixed{{Problem_Kind::Data, 0, {}, QStringLiteral("Series \"Gone\" is missing.")},
                              {Problem_Kind::Barcode_Past_Edge, 3, QStringLiteral("CW-1"), QStringLiteral("runs past.")},
                              {Problem_Kind::Barcode_Past_Edge, 5, QStringLiteral("CW-2"), QStringLiteral("runs past.")},
                              {Problem_Kind::Barcode_Past_Edge, 7, QStringLiteral("CW-3"), QStringLiteral("runs past.")},
                              {Problem_Kind::Barcode_Changed, 1, QStringLiteral("123"), QStringLiteral("is cut.")},
                              {Problem_Kind::Card_Not_Drawn, 2, {}, QStringLiteral("could not be drawn.")}};
    EXPECT_EQ(Problems_Text(mixed, 8, QStringLiteral("Not drawn (\"Invalid Data\"):"), 3),
              QStringLiteral("5 of 8 cards carry a problem.\nNot drawn (\"Invalid Data\"):\nCard 2: could not be "
                             "drawn.\nBarcodes changed from their value:\nCard 1: \"123\" is cut.\nBarcodes past the "
                             "card's edge:\nCard 3: \"CW-1\" runs past.\n\u2026 and 2 more.\nData problems:\n"
                             "Series \"Gone\" is missing."));
}

TEST(DataBinding, UnencodableBarcodePrintsNothingInARunButKeepsTheSampleOnTheCanvas)
{
    Fixture f;
    f.folder.write(QStringLiteral("Codes.txt"), "4006381333931\nABC\n");
    auto barcode = Series_Barcode(QStringLiteral("Codes"));
    f.design.front = {barcode};
    f.check();
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData(), {}, {}, Stub_Barcode);
    EXPECT_TRUE(run.Fill_Side(1, QStringLiteral("F"))[0]->ctrl_is_visible == false);
    EXPECT_TRUE(run.Fill_Side(0, QStringLiteral("F"))[0]->ctrl_is_visible); // visible again for a good row
    EXPECT_EQ(Problem_Lines(run.Problems()), QStringList{QStringLiteral("Card 2: \"ABC\" cannot be encoded.")});

    // On the design canvas the graphic stays visible with no picture (its sample).
    Fill_Sources canvas;
    canvas.series = &f.binding.data_table_content;
    canvas.use_series = true;
    canvas.barcode = Stub_Barcode;
    Assign_Batch_Values_To_Control(f.design.front, 1, canvas);
    EXPECT_TRUE(barcode->ctrl_is_visible);
    EXPECT_TRUE(barcode->_barcode_image.isNull());
}

TEST(DataBinding, GraphicsFindTheirSeriesByNameNotBySlotNumber)
{
    Fixture f;
    f.folder.write(QStringLiteral("A.txt"), "a0\na1\n");
    f.folder.write(QStringLiteral("B.txt"), "b0\nb1\nb2\n");
    f.folder.write(QStringLiteral("C.txt"), "\nc1\n"); // leading blank line: card 0 is empty
    // Both were bound when their series sat at slot 0; "Old" has no name (an
    // old design) and reads slot 2 of the current list; "Lost" points past it.
    auto a = Series_Text(QStringLiteral("A"), 0);
    auto b = Series_Text(QStringLiteral("B"), 0);
    auto c = Series_Text(QStringLiteral("C"), 0);
    auto old = Series_Text(QString(), 2);
    auto lost = Series_Text(QString(), 9);
    f.design.front = {a, b, c, old, lost};
    f.check();
    EXPECT_EQ(f.binding.counts.Data_table_rows, 3);
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData());
    const GraphicList& card0 = run.Fill_Side(0, QStringLiteral("F"));
    EXPECT_EQ(Shown_Text(card0[0]), QStringLiteral("a0"));
    EXPECT_EQ(Shown_Text(card0[1]), QStringLiteral("b0"));
    EXPECT_EQ(Shown_Text(card0[2]), QString());
    EXPECT_EQ(Shown_Text(card0[3]), QString());
    const GraphicList& card1 = run.Fill_Side(1, QStringLiteral("F"));
    EXPECT_EQ(Shown_Text(card1[2]), QStringLiteral("c1"));
    EXPECT_EQ(Shown_Text(card1[3]), QStringLiteral("c1"));
    EXPECT_EQ(Shown_Text(card1[4]), QString());
    EXPECT_EQ(Problem_Lines(run.Problems()), QStringList{QStringLiteral("Series \"9\" is no longer in the series list.")});

    // A bound series removed from the list: "" on every card, listed.
    QFile::remove(f.folder.path() + QStringLiteral("/B.txt"));
    f.check();
    EXPECT_EQ(f.binding.counts.Data_table_rows, 2);
    EXPECT_TRUE(Problem_Lines(f.binding.problems->List()).contains(QStringLiteral("Series \"B\" is no longer in the series list.")));

    // Look-ups check every index against what is really there.
    const Series_Table& t = f.binding.data_table_content;
    EXPECT_EQ(Get_sel_row_col_value_of_dataset(t, -1, 0), QString());
    EXPECT_EQ(Get_sel_row_col_value_of_dataset(t, 0, -1), QString());
    EXPECT_EQ(Get_sel_row_col_value_of_dataset(t, 2, 0), QString());
    EXPECT_EQ(Get_sel_row_col_value_of_Excel(f.table.ListData(), -1, 1), QString());
    EXPECT_EQ(Get_sel_row_col_value_of_Excel(f.table.ListData(), 5, 1), QString());
    EXPECT_EQ(Get_sel_row_col_value_of_Excel(f.table.ListData(), 0, -1), QString());
    EXPECT_EQ(Get_First_Value_Of_Excel_Binding(f.table.ListData(), 1), QStringLiteral("b1"));
    EXPECT_EQ(Get_First_Value_Of_Excel_Binding({}, 1), QString());
}

TEST(DataBinding, BackSideCountsOnlyOnTwoSidedCards)
{
    Fixture f;
    f.folder.write(QStringLiteral("A.txt"), "x\ny\n");
    auto frontText = std::make_shared<QBXText>();
    auto backText = Series_Text(QStringLiteral("A"));
    f.design.front = {frontText};
    f.design.back = {backText};
    f.design.card_side_str = QStringLiteral("1");
    f.check();
    EXPECT_EQ(f.binding.counts.Total_Batch_Excel_Card, 0);

    f.design.card_side_str = QStringLiteral("2");
    f.check();
    ASSERT_EQ(f.binding.counts.Total_Batch_Excel_Card, 2);
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData());
    EXPECT_EQ(run.CARD_SIDE_STR(), QStringLiteral("2"));
    // Card 2's back shows the back graphics with row 1; the front is its own list.
    EXPECT_EQ(Shown_Text(run.Fill_Side(1, QStringLiteral("B"))[0]), QStringLiteral("y"));
    EXPECT_EQ(Shown_Text(run.Fill_Side(1, QStringLiteral("F"))[0]), QStringLiteral("Text here"));
}

TEST(DataBinding, RunOnAWorkerLeavesTheDesignAlone)
{
    Fixture f;
    QByteArray values;
    for (int i = 0; i < 2000; ++i)
        values += QByteArray::number(i) + '\n';
    f.folder.write(QStringLiteral("N.txt"), values);
    auto text = Series_Text(QStringLiteral("N"));
    auto column = Column_Text(1);
    f.design.front = {text, column};
    f.check();
    auto run = std::make_shared<Binding_Run_Snapshot>(f.binding, f.design, f.table.ListData());
    std::atomic<int> mismatches{0};
    QFuture<void> worker = QtConcurrent::run([run, &mismatches] {
        for (int i = 0; i < run->Total_Batch_Excel_Card(); ++i) {
            const GraphicList& card = run->Fill_Side(i, QStringLiteral("F"));
            if (card[0]->Text_contents().text != QString::number(i))
                ++mismatches;
        }
    });
    // The user edits the design and the table while the run goes on.
    // At least one edit, even when the worker is done before the first look.
    int i = 0;
    auto edit = [&] {
        text->Text_contents().text = QStringLiteral("edit %1").arg(i++);
        text->Set_Batch_List_Name(QStringLiteral("Other"));
        f.table.setData(f.table.index(0, 1), QStringLiteral("changed"));
        return worker.isFinished();
    };
    EXPECT_TRUE(waitUntil(edit)) << "the run did not end";
    withinDeadline("the run", [&] { worker.waitForFinished(); });
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_TRUE(text->Text_contents().text.startsWith(QStringLiteral("edit")));
    EXPECT_EQ(Shown_Text(column), QStringLiteral("Text here"));
}

// A cell holding a line break fills a text graphic that draws its second line
// below the first, where the one-line value of the next card draws alone.
TEST(DataBinding, MultiLineValueDrawsOnTwoLines)
{
    Binding_Table_Model table;
    table.Set_Sheet_Columns({QStringLiteral("Names")});
    table.Create_List_By_Array({QStringLiteral("Ben\r\nCleo")}, 1);
    table.Create_List_By_Array({QStringLiteral("Ben")}, 1);
    Binding_Design design;
    auto text = Column_Text(1);
    text->setBounds(QRectF(10, 10, 200, 100));
    text->txt_clr = Qt::black;
    text->_isDrawingStroke = false;
    design.front = {text};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, {}, table.ListData(), QString());
    Binding_Run_Snapshot run(binding, design, table.ListData(), Card_Property(), Card_Property(), Stub_Barcode);
    // Rows of ink bands of the drawn text.
    const auto bands = [](const GraphicPtr& g) {
        QImage img(240, 140, QImage::Format_ARGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        g->drawContentsInView(&painter, DrawingContext{}, false);
        painter.end();
        std::vector<int> tops;
        bool inInk = false;
        for (int y = 0; y < img.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < img.width() && !ink; ++x)
                ink = qGray(img.pixel(x, y)) < 128;
            if (ink && !inInk)
                tops.push_back(y);
            inInk = ink;
        }
        return tops;
    };
    const GraphicPtr two = run.Fill_Side(0, QStringLiteral("F"))[0];
    const std::vector<int> twoLines = bands(two);
    const double twoHeight = static_cast<QBXText*>(two.get())->naturalSize().height();
    const GraphicPtr one = run.Fill_Side(1, QStringLiteral("F"))[0];
    const std::vector<int> oneLine = bands(one);
    ASSERT_EQ(twoLines.size(), 2u);
    ASSERT_EQ(oneLine.size(), 1u);
    EXPECT_EQ(twoLines[0], oneLine[0]);
    EXPECT_NEAR(twoHeight, 2 * static_cast<QBXText*>(one.get())->naturalSize().height(), 0.01);
}

TEST(DataBinding, EveryRowOfARunHasItsOwnLargePictureWithinTheMemoryBudget)
{
    // Fourteen guests, each with a 4096 x 4096 photo of a colour of its own,
    // in a 200 x 150 pt frame.
    Fixture f;
    QString list;
    auto colour = [](int row) { return qRgb(17 * row, 255 - 17 * row, (97 * row) % 256); };
    for (int i = 0; i < 14; ++i) {
        const QString path = f.folder.path() + QStringLiteral("/guest%1.png").arg(i);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(hostile::colourPng(4096, 4096, colour(i)));
        list += path + QStringLiteral("\n");
    }
    f.folder.write(QStringLiteral("P.txt"), list.toUtf8());
    auto picture = Series_Picture(QStringLiteral("P"));
    picture->setBounds(QRectF(10, 10, 200, 150));
    f.design.front = {picture};
    f.check();
    ASSERT_EQ(f.binding.counts.Total_Batch_Excel_Card, 14);
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData());
    const QSize need = drawing::pixelsNeeded(QSizeF(200, 150));
    std::vector<drawing::PicturePtr> drawn;
    std::vector<QRgb> shown;
    const hostile::Cost cost = hostile::measure([&] {
        for (int i = 0; i < 14; ++i) {
            const GraphicList& card = run.Fill_Side(i, QStringLiteral("F"));
            drawn.push_back(static_cast<QBXImage&>(*card[0]).pictureForDrawing(need));
            // The card as drawn shows this row's picture.
            QImage surface(220, 170, QImage::Format_ARGB32_Premultiplied);
            surface.fill(Qt::white);
            QPainter painter(&surface);
            card[0]->drawContentsInView(&painter, DrawingContext{}, false);
            painter.end();
            shown.push_back(surface.pixel(110, 85));
        }
    });
    EXPECT_TRUE(run.Problems().isEmpty()) << Problem_Lines(run.Problems()).join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 14; ++i) {
        ASSERT_TRUE(drawn[size_t(i)]) << i;
        // At the frame's full quality for the highest output resolution.
        EXPECT_GE(drawn[size_t(i)]->image.width(), need.width()) << i;
        EXPECT_GE(drawn[size_t(i)]->image.height(), need.height()) << i;
        EXPECT_LT(drawn[size_t(i)]->image.width(), 4096) << i;
        EXPECT_EQ(drawn[size_t(i)]->image.pixel(5, 5), colour(i)) << i;
        EXPECT_EQ(shown[size_t(i)], colour(i)) << i;
    }
    EXPECT_LT(cost.peakMiB, 300);
    std::cout << "fourteen rows: " << cost.seconds << " s CPU, " << cost.peakMiB << " MiB" << std::endl;
}

TEST(DataBinding, ARowPictureShownOnlyInPartIsListedUnderItsOwnHeading)
{
    Fixture f;
    const QByteArray jpeg = hostile::noiseJpeg();
    ASSERT_FALSE(jpeg.isEmpty());
    const QString cut = f.folder.path() + QStringLiteral("/cut.jpg");
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jpeg.left(jpeg.size() / 2));
    file.close();
    f.folder.write(QStringLiteral("P.txt"), cut.toUtf8() + "\n");
    auto picture = Series_Picture(QStringLiteral("P"));
    picture->setBounds(QRectF(0, 0, 160, 120));
    f.design.front = {picture};
    f.check();
    Binding_Run_Snapshot run(f.binding, f.design, f.table.ListData());
    run.output_dpi = 72;
    run.Fill_Side(0, QStringLiteral("F"));
    const QString text = Problems_Text(run.Problems(), 1);
    EXPECT_TRUE(text.startsWith(QStringLiteral("1 of 1 cards carries a problem.\nPictures shown only in part:\nCard 1: ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("cut.jpg\" is shown in part: "))) << text.toStdString();
}
