// The printed view and the sheet preview on real PDF: pages, paper, the card
// of every cell, captions; read back with poppler's tools.
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "output/Printing_View.h"
#include "output/Sample_Preview.h"
#include "support/process_runner.h"
#include "support/qt_print.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

using namespace sheet_layout;

namespace {

const QRectF kCard(0, 0, 144, 72);

CardPicture Solid(const QColor& colour)
{
    auto g = std::make_shared<QBXImage>();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    g->_contents = image;
    g->setBounds(kCard);
    CardRenderContext context;
    context.frame = kCard;
    context.side = 0;
    return QBXRenderingView::image_From_Card_Graphics({g}, false, context);
}

QColor Row_Colour(int row) { return QColor(20 * row, 250 - 20 * row, 100); }

Print_Layout A4_3x3(const QString& side = QStringLiteral("F"))
{
    Print_Layout l;
    l.paper_w = 595.276;
    l.paper_h = 841.89;
    l.Left_Mar = l.Rite_Mar = l.Top_Mar = l.Bot_Mar = 28.35;
    l.Print_Card_Side = side;
    Check_Max_Cell_Value({60, 40, 4, 4, 3, 3}, l);
    return l;
}

QString Write_Pdf(const QString& folder, Printing_View& view, std::uint64_t pages, QPageLayout::Orientation o =
                                                                                       QPageLayout::Portrait,
                  int dpi = 72)
{
    const QString path = folder + QStringLiteral("/run.pdf");
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), o, QMarginsF()));
    EXPECT_TRUE(view.Print(writer, pages));
    return path;
}

QString Info(const QString& pdf)
{
    return QString::fromUtf8(testsupport::run(QStringLiteral("pdfinfo"), {pdf}).out);
}

QImage Page(const QString& pdf, int page, const QString& folder)
{
    const QString stem = folder + QStringLiteral("/p");
    testsupport::run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                                  QString::number(page), QStringLiteral("-l"), QString::number(page),
                                                  QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    return QImage(stem + QStringLiteral(".png"));
}

} // namespace

TEST(PrintingView, DataRowsFillTheCellsInOrderAcrossSheets)
{
    QTemporaryDir dir;
    Print_Job job;
    job.layout = A4_3x3();
    job.Total_Label_Real = 10;
    job.data_in_use = true;
    job.data_rows = 10;
    job.front_image = Solid(Qt::black);
    // Row 4 cannot be drawn: its cell says so instead of showing another card.
    job.render_row = [](int row, const QString&) { return row == 4 ? CardPicture() : Solid(Row_Colour(row)); };
    Printing_View view(job);
    ASSERT_EQ(view.numberOfPages(false), 2u);
    const QString pdf = Write_Pdf(dir.path(), view, 2);
    EXPECT_TRUE(Info(pdf).contains(QStringLiteral("Pages:           2")));
    ASSERT_EQ(job.layout.Print_Col, 3);
    EXPECT_TRUE(Info(pdf).contains(QStringLiteral("595 x 842 pts (A4)")));

    for (int k = 0; k < 10; ++k) {
        const QImage page = Page(pdf, 1 + k / 9, dir.path());
        ASSERT_FALSE(page.isNull());
        const int cell = k % 9;
        const QRectF at = Qt_Rect(job.layout, Place_Cell(job.layout, 1 + cell / 3, 1 + cell % 3, kCard.size()).picture);
        const QColor seen = page.pixelColor(at.center().toPoint());
        if (k == 4) {
            EXPECT_NE(seen, Row_Colour(4));
            continue;
        }
        EXPECT_NEAR(seen.red(), Row_Colour(k).red(), 3) << k;
        EXPECT_NEAR(seen.green(), Row_Colour(k).green(), 3) << k;
    }
    const QString text = QString::fromUtf8(testsupport::run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
    EXPECT_TRUE(text.contains(QStringLiteral("Invalid Data")));
    EXPECT_EQ(view.Problems().size(), 1);

    // Both sides on landscape paper.
    Print_Job pair = job;
    pair.layout = A4_3x3(QStringLiteral("BOTH"));
    pair.render_row = [](int row, const QString& side) {
        return Solid(side == QLatin1String("B") ? QColor(Qt::blue) : Row_Colour(row));
    };
    Printing_View both(pair);
    const QString pdf2 = Write_Pdf(dir.path(), both, both.numberOfPages(false), QPageLayout::Landscape);
    EXPECT_TRUE(Info(pdf2).contains(QStringLiteral("842 x 595 pts (A4)")));
}

TEST(PrintingView, PreviewCapsAtFiftySheetsAndRepeatsPasses)
{
    Print_Job job;
    job.layout = A4_3x3();
    job.front_image = Solid(Qt::red);
    job.Total_Label_Real = 51 * 9;
    bool capped = false;
    EXPECT_EQ(Printing_View(job).numberOfPages(true, &capped), 50u);
    EXPECT_TRUE(capped);
    EXPECT_EQ(Printing_View(job).numberOfPages(false, &capped), 51u);
    EXPECT_FALSE(capped);
    job.Total_Label_Real = 50 * 9;
    EXPECT_EQ(Printing_View(job).numberOfPages(true, &capped), 50u);
    EXPECT_FALSE(capped);

    // A second pass starts over: the same counters, the same sheet.
    job.Total_Label_Real = 7;
    Printing_View view(job);
    QImage a(596, 842, QImage::Format_RGB32), b = a;
    for (QImage* image : {&a, &b}) {
        view.Begin_Run();
        QPainter p(image);
        view.drawRect(p);
        EXPECT_EQ(view.barcode_counter, 7);
    }
    EXPECT_EQ(a, b);
}

TEST(SamplePreview, CaptionsFollowTheCellsAndOutlinesAreOptional)
{
    Print_Layout l = A4_3x3();
    Check_Max_Cell_Value({60, 40, 4, 4, 2, 3}, l);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter p(&writer);
        Sample_Preview::drawRect(p, l, kCard.size(), true, true);
    }
    const QString text =
        QString::fromUtf8(testsupport::run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}).out)
            .simplified();
    EXPECT_EQ(text, QStringLiteral("Card 1 Card 2 Card 3 Card 4 Card 5 Card 6"));

    l.Print_Card_Side = QStringLiteral("BOTH");
    l.Print_Card_Algn = QStringLiteral("L");
    Check_Max_Cell_Value({60, 40, 4, 4, 1, 1}, l);
    const QImage with = Sample_Preview::imageRepresentation(l, kCard.size(), true, true);
    const QImage without = Sample_Preview::imageRepresentation(l, kCard.size(), true, false);
    ASSERT_FALSE(with.isNull());
    EXPECT_NE(with, without);
    // Outlines on the back's edge only when asked for.
    const QRectF back = Qt_Rect(l, *Place_Cell(l, 1, 1, kCard.size()).back);
    const QPoint edge(int(back.right()), int(back.top() + 3));
    EXPECT_NE(with.pixelColor(edge), QColor(Qt::white));
    EXPECT_EQ(without.pixelColor(edge), QColor(Qt::white));
    Print_Layout none;
    EXPECT_TRUE(Sample_Preview::imageRepresentation(none, kCard.size(), true, true).isNull());
}

// Printed barcodes stay sharp and small: a run's bound Code 128 goes into the
// PDF as bars and text, the designer's stored barcode picture losslessly;
// every barcode reads back from a 300 dpi render.
TEST(PrintingView, BarcodesPrintLosslesslyWithTheirValuesAsTextAndPicturesOnce)
{
    QTemporaryDir dir;
    Binding_Table_Model table;
    table.Set_Sheet_Columns({QStringLiteral("Code")});
    for (int i = 1; i <= 3; ++i)
        table.Create_List_By_Array({QString::number(i * 1111)}, 1);
    const int code128 = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("Code 128")));
    auto bound = std::make_shared<QBXBarcode>();
    bound->barcode_font_index = code128;
    bound->linear_height_val = 0.25f;
    bound->Set_Data_source_type(2);
    bound->Set_Excel_binding_Index(1);
    bound->setBounds(QRectF(4, 2, 136, 34));
    auto stored = std::make_shared<QBXBarcode>();
    stored->barcode_font_index = code128;
    stored->linear_height_val = 0.25f;
    stored->Set_Barcode_image(Barcode_Picture_For_Graphic(*stored, QStringLiteral("9999"), QString(), QString()));
    stored->setBounds(QRectF(2, 37, 140, 34));
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    ASSERT_TRUE(photo.save(dir.filePath(QStringLiteral("photo.png"))));
    auto picture = std::make_shared<QBXImage>();
    picture->setFilePath(dir.filePath(QStringLiteral("photo.png")));
    picture->setBounds(kCard);
    picture->_isDrawingStroke = false;
    Binding_Design design;
    design.front = {bound, stored, picture};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, {}, table.ListData(), QString());
    auto run = std::make_shared<Binding_Run_Snapshot>(binding, design, table.ListData());
    run->render_context.frame = kCard;

    Print_Job job;
    job.layout = A4_3x3();
    job.Total_Label_Real = 3;
    job.data_in_use = true;
    job.data_rows = 3;
    job.front_image = run->Render_Side(0, QStringLiteral("F"), true);
    job.render_row = [run](int row, const QString& side) { return run->Render_Side(row, side, true); };
    Printing_View view(job);
    // At a printer's resolution: pictures play the same size on any device.
    const QString pdf = Write_Pdf(dir.path(), view, 1, QPageLayout::Portrait, 1200);
    // The bound barcodes' header, value and footer texts print as text,
    // which a PDF reader finds (the stored picture is an image).
    QString printed = QString::fromUtf8(testsupport::run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
    printed.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QString& text : {bound->header_val, QStringLiteral("1111"), QStringLiteral("2222"),
                                QStringLiteral("3333"), bound->footer_val})
        EXPECT_TRUE(printed.contains(text)) << text.toStdString() << " in " << printed.toStdString();

    // pdfimages -list: page num type width height color comp bpc enc ...
    const QStringList lines = QString::fromUtf8(testsupport::run(QStringLiteral("pdfimages"),
                                                                 {QStringLiteral("-list"), pdf}).out)
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                  .mid(2);
    int barcodes = 0;
    for (const QString& line : lines) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        ASSERT_GE(f.size(), 9) << line.toStdString();
        if (f[2] != QLatin1String("image") || (f[3] == QLatin1String("64") && f[4] == QLatin1String("48")))
            continue; // the photo
        ++barcodes;
        EXPECT_NE(f[8], QLatin1String("jpeg")) << "a barcode is stored lossily: " << line.toStdString();
    }
    EXPECT_EQ(barcodes, 3) << "only the stored barcode picture is an image; bound bars are drawn\n"
                           << lines.join(QLatin1Char('\n')).toStdString();

    const QString stem = dir.filePath(QStringLiteral("sheet"));
    testsupport::run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-singlefile"),
                                                  QStringLiteral("-png"), pdf, stem});
    const QImage page(stem + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const double k = 300.0 / 72.0;
    for (int cell = 0; cell < 3; ++cell) {
        const QRectF at = Qt_Rect(job.layout, Place_Cell(job.layout, 1, 1 + cell, kCard.size()).picture);
        std::vector<int> widths;
        for (const auto& [band, expected] : {std::pair{bound->bounds(), QString::number((cell + 1) * 1111)},
                                             std::pair{stored->bounds(), QStringLiteral("9999")}}) {
            const QRectF r = band.translated(at.topLeft());
            const QString crop = dir.filePath(QStringLiteral("cell%1.png").arg(cell));
            page.copy(QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k).toRect()).save(crop);
            // ZXingReader's report: Text:  "<value>" ... Position:  x1xy1 x2xy2 ...
            const QString report = QString::fromUtf8(testsupport::run(QStringLiteral("ZXingReader"), {crop}).out);
            const QRegularExpressionMatch text = QRegularExpression(QStringLiteral("Text: *\"(.*)\"")).match(report);
            EXPECT_EQ(text.captured(1), expected) << "cell " << cell;
            const QRegularExpressionMatch at = QRegularExpression(QStringLiteral("Position: *(\\d+)x\\d+ (\\d+)x")).match(report);
            widths.push_back(at.captured(2).toInt() - at.captured(1).toInt());
        }
        // The bound barcode prints at its own size, as the stored one does.
        EXPECT_NEAR(widths[0], widths[1], 3) << "cell " << cell;
    }
}

// The preview draws sheets alone, in any order and again: each is the sheet
// the run prints in its place, and a row that fails is listed once.
TEST(PrintingView, ASheetDrawnAloneIsThatSheetOfTheRun)
{
    Print_Job job;
    job.layout = A4_3x3();
    job.Total_Label_Real = 25; // 9, 9 and 7 cells; the last 5 beyond the data
    job.data_in_use = true;
    job.data_rows = 20;
    job.front_image = Solid(Qt::black);
    job.render_row = [](int row, const QString&) { return row == 13 ? CardPicture() : Solid(Row_Colour(row)); };
    Printing_View run(job), alone(job);
    std::vector<QImage> printed, drawn;
    run.Begin_Run();
    for (int k = 0; k < 3; ++k) {
        printed.emplace_back(596, 842, QImage::Format_RGB32);
        printed.back().fill(Qt::gray);
        QPainter p(&printed.back());
        run.drawRect(p);
    }
    for (std::uint64_t k : {2, 1, 0, 1}) {
        drawn.emplace_back(596, 842, QImage::Format_RGB32);
        drawn.back().fill(Qt::gray);
        QPainter p(&drawn.back());
        alone.Draw_Sheet(p, k);
    }
    EXPECT_EQ(drawn[0], printed[2]);
    EXPECT_EQ(drawn[1], printed[1]);
    EXPECT_EQ(drawn[2], printed[0]);
    EXPECT_EQ(drawn[3], printed[1]);
    EXPECT_NE(printed[0], printed[1]);
    EXPECT_EQ(alone.Problems(), run.Problems());
    EXPECT_EQ(alone.Problems().size(), 1);
}

// A preview looked at on its first sheet only still counts every card of
// the run in its box, as Print does.
TEST(PrintingView, APreviewsBoxCountsTheCardsOfSheetsNotLookedAt)
{
    Print_Job job;
    job.layout = A4_3x3();
    job.Total_Label_Real = 20;
    job.data_in_use = true;
    job.data_rows = 20;
    job.render_row = [](int row, const QString&) { return row >= 5 ? CardPicture() : Solid(Row_Colour(row)); };
    Printing_View view(job);
    QImage sheet(596, 842, QImage::Format_RGB32);
    QPainter p(&sheet);
    view.Draw_Sheet(p, 0);
    EXPECT_EQ(view.Rest(), 11);
    Print_Progress progress;
    view.Fill_Rest(&progress);
    EXPECT_EQ(view.Rest(), 0);
    EXPECT_EQ(progress.cards, 11);
    EXPECT_TRUE(view.Problems_Text(QStringLiteral("Not drawn:"))
                    .startsWith(QStringLiteral("15 of 20 cards carry a problem.\nNot drawn:\nCards 6\u201320: ")));
}

// A printer resolves font sizes at 1200 dpi: a cell's caption is still
// 11 points high on paper, not sixteen times that.
TEST(PrintingView, CaptionsAreElevenPointsAtThePrintersResolution)
{
    QTemporaryDir dir;
    Print_Job job;
    job.layout = A4_3x3();
    job.Total_Label_Real = 1; // no card picture: the cell says "Invalid Data"
    Printing_View view(job);
    const QString pdf = dir.filePath(QStringLiteral("caption.pdf"));
    QPdfWriter writer(pdf);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    ASSERT_TRUE(view.Print(writer, 1));
    const QString boxes =
        QString::fromUtf8(testsupport::run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).out);
    const QRegularExpressionMatch word =
        QRegularExpression(QStringLiteral("yMin=\"([0-9.]+)\"[^>]*yMax=\"([0-9.]+)\">Invalid<")).match(boxes);
    ASSERT_TRUE(word.hasMatch()) << boxes.toStdString();
    const double height = word.captured(2).toDouble() - word.captured(1).toDouble();
    EXPECT_GT(height, 8);
    EXPECT_LT(height, 16);
}
