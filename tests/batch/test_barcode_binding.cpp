// Bound barcodes made by the real encoders: card i's barcode reads back as
// row i's value (checked with an independent decoder), and values the
// symbology cannot hold are reported instead of printed.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "support/bounded_wait.h"
#include "support/log_capture.h"
#include "support_binding.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "support/process_runner.h"
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>
#include <vector>

namespace {

int Title_Index(const QString& title)
{
    return int(Barcode_Symbology_Titles().indexOf(title));
}

// A run's barcode for the filled row, as a raster at 300 dpi.
QImage Row_Raster(const GraphicPtr& graphic)
{
    const auto* barcode = dynamic_cast<const QBXBarcode*>(graphic.get());
    return barcode && !barcode->row_picture.isNull() ? barcode->row_picture.toImage(300) : QImage();
}

// Decodes a picture with ZXingReader; "" when nothing is found.
QString Decode(const QImage& picture, const QString& folder, const QString& name)
{
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, picture);
    }
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!flat.save(path, "PNG"))
        return QStringLiteral("<not saved>");
    const testsupport::ProcessResult reader =
        testsupport::run(QStringLiteral("/usr/bin/ZXingReader"), {QStringLiteral("-bytes"), path});
    if (reader.exitCode < 0)
        return QStringLiteral("<no answer>");
    return QString::fromUtf8(reader.out).trimmed();
}

} // namespace

TEST(BarcodeBinding, EachCardsBarcodeHoldsItsRowsValue)
{
    TempSeriesFolder folder;
    folder.write(QStringLiteral("A.txt"), "QR-one\nQR-two\nQR-three\n");
    Binding_Table_Model table;
    table.Set_Sheet_Columns({QStringLiteral("Code")});
    for (int i = 1; i <= 5; ++i)
        table.Create_List_By_Array({QStringLiteral("CW-%1").arg(i * 111)}, 1);

    auto code128 = std::make_shared<QBXBarcode>();
    code128->barcode_font_index = Title_Index(QStringLiteral("Code 128"));
    code128->Set_Data_source_type(2);
    code128->Set_Excel_binding_Index(1);
    auto qr = Series_Barcode(QStringLiteral("A"));
    qr->linear_or_2d = 1;
    qr->barcode_font_index = Title_Index(QStringLiteral("QR Code"));
    Binding_Design design;
    design.front = {code128, qr};

    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder.path()),
                                             table.ListData(), folder.path());
    ASSERT_EQ(binding.counts.Total_Batch_Excel_Card, 5);
    Binding_Run_Snapshot run(binding, design, table.ListData());
    for (int i = 0; i < 5; ++i) {
        const GraphicList& card = run.Fill_Side(i, QStringLiteral("F"));
        ASSERT_FALSE(Row_Raster(card[0]).isNull()) << i;
        EXPECT_EQ(Decode(Row_Raster(card[0]), folder.path(), QStringLiteral("c128_%1").arg(i)),
                  QStringLiteral("CW-%1").arg((i + 1) * 111));
        if (i < 3) {
            static const char* values[] = {"QR-one", "QR-two", "QR-three"};
            ASSERT_FALSE(Row_Raster(card[1]).isNull()) << i;
            EXPECT_EQ(Decode(Row_Raster(card[1]), folder.path(), QStringLiteral("qr_%1").arg(i)),
                      QString::fromLatin1(values[i]));
            EXPECT_TRUE(card[1]->ctrl_is_visible);
        } else {
            EXPECT_FALSE(card[1]->ctrl_is_visible) << i; // past the series' end: nothing printed
        }
    }
    EXPECT_EQ(Problem_Lines(run.Problems()),
              (QStringList{QStringLiteral("Card 4: no value: the series \"A\" has 3 rows."),
                           QStringLiteral("Card 5: no value: the series \"A\" has 3 rows.")}));
}

// A value the symbology cannot hold is left off and named with the cause in
// the symbology's terms; a Japan Post row longer than the symbol holds is
// printed cut and named with what it was cut to. Rows that fit are not named.
TEST(BarcodeBinding, RowsLeftOffOrCutAreNamedWithTheirCause)
{
    struct Case {
        const char* title;
        QByteArray rows;
        bool second_printed;
        QString named;
    } cases[] = {
        {"EAN-13", "4006381333931\nABC\n", false,
         QStringLiteral("Card 2: \"ABC\" cannot be encoded: EAN-13 needs 12 digits, or 13 with a correct check "
                        "digit.")},
        {"Japan Post Barcode", "1234567-89-10-1112\n1234567ABCDEFGHIJKLMNOPQRSTUVW\n", true,
         QStringLiteral("Card 2: \"1234567ABCDEFGHIJKLMNOPQRSTUVW\" is cut to \"1234567ABCDEF\": Japan Post holds 20 "
                        "symbol characters, and a letter takes two.")},
    };
    for (const Case& c : cases) {
        TempSeriesFolder folder;
        folder.write(QStringLiteral("S.txt"), c.rows);
        auto barcode = Series_Barcode(QStringLiteral("S"));
        barcode->barcode_font_index = Title_Index(QString::fromLatin1(c.title));
        Binding_Design design;
        design.front = {barcode};
        Data_Binding binding;
        binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder.path()), {},
                                                 folder.path());
        Binding_Run_Snapshot run(binding, design, {});
        EXPECT_FALSE(Row_Raster(run.Fill_Side(0, QStringLiteral("F"))[0]).isNull()) << c.title;
        if (QLatin1String(c.title) == QLatin1String("EAN-13"))
            EXPECT_EQ(Decode(Row_Raster(run.Fill_Side(0, QStringLiteral("F"))[0]), folder.path(), QStringLiteral("ean")),
                      QStringLiteral("4006381333931"));
        const GraphicList& second = run.Fill_Side(1, QStringLiteral("F"));
        EXPECT_EQ(!Row_Raster(second[0]).isNull(), c.second_printed) << c.title;
        EXPECT_EQ(second[0]->ctrl_is_visible, c.second_printed) << c.title;
        EXPECT_EQ(Problem_Lines(run.Problems()), QStringList{c.named}) << c.title;
    }
}

namespace {

struct Sample {
    std::shared_ptr<QBXBarcode> graphic;
    QString value;
};

std::vector<Sample> Symbology_Samples()
{
    auto make = [](const char* title, int two_d) {
        auto g = std::make_shared<QBXBarcode>();
        g->barcode_font_index = Title_Index(QString::fromLatin1(title));
        g->linear_or_2d = two_d;
        return g;
    };
    auto code128 = make("Code 128", 0);
    auto code39 = make("Code 39", 0);
    code39->show_val_on_top = 1;
    auto qrLow = make("QR Code", 1);
    auto qrHigh = make("QR Code", 1);
    qrHigh->qr_ec_index = 3;
    qrHigh->qr_size_val = 90;
    auto dm = make("DataMatrix", 1);
    dm->dm_module_val = 3;
    return {{code128, QStringLiteral("CW-2026-0815")}, {code39, QStringLiteral("CARD42")},
            {qrLow, QStringLiteral("https://example.org/card/17")}, {qrHigh, QStringLiteral("QR-high-17")},
{dm, QStringLiteral("DM-000123")}};
}

// The picture the designer makes of the same settings.
QImage Designer_Picture(const Sample& s, int dpi)
{
    Barcode_Gen& gen = Current_Barcode_Gen();
    auto lock = gen.Lock_Generation();
    Load_Barcode_Settings(gen, *s.graphic);
    const PointPicture picture = gen.Get_Image_From_Val(s.value, QStringLiteral("Head"), QStringLiteral("Foot"));
    return picture.isNull() ? QImage() : picture.toImage(dpi);
}

} // namespace

// A run's pictures are the designer's to the pixel, also while eight threads
// with different QR and Data Matrix settings make them at once, and runs
// leave the designer's QR settings and handed-over picture alone.
TEST(BarcodeBinding, RunPicturesMatchTheDesignersOnAnyThread)
{
    const int savedDpi = USED_DPI_VALUE.load();
    const std::vector<Sample> samples = Symbology_Samples();
    for (int dpi : {300, 600}) {
        // Each graphic stores its resolution; a load brings it back.
        for (const Sample& s : samples)
            s.graphic->dpi_val_index = int(Barcode_Resolution_Titles().indexOf(QString::number(dpi)));
        USED_DPI_VALUE = 72;
        std::vector<QImage> expected;
        for (const Sample& s : samples) {
            expected.push_back(Designer_Picture(s, dpi));
            ASSERT_FALSE(expected.back().isNull()) << s.value.toStdString();
        }
        QR_Version_Val = 0;
        QR_EC_Level_Val = 2;
        Barcode_output_image = {};
        std::atomic<int> mismatches{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < 8; ++t) {
            workers.emplace_back([&, t] {
                for (int round = 0; round < 3; ++round)
                    for (size_t k = 0; k < samples.size(); ++k) {
                        const Sample& s = samples[(k + size_t(t)) % samples.size()];
                        const QImage got = Barcode_Picture_For_Graphic(*s.graphic, s.value, QStringLiteral("Head"),
                                                                       QStringLiteral("Foot"));
                        if (got != expected[(k + size_t(t)) % samples.size()]
                            || got.dotsPerMeterX() != expected[(k + size_t(t)) % samples.size()].dotsPerMeterX())
                            ++mismatches;
                    }
            });
        }
        for (std::thread& w : workers)
            joinWithinDeadline(w, "a worker drawing barcodes");
        EXPECT_EQ(mismatches.load(), 0) << "at " << dpi << " dpi";
        EXPECT_EQ(QR_EC_Level_Val.load(), 2);
        EXPECT_TRUE(Barcode_output_image.isNull());
    }
    USED_DPI_VALUE = savedDpi;
    QR_EC_Level_Val = 0;
}

// A run's 2-D symbols are shapes: the picture holds no image to encode and
// decode on every card, a PDF of it has no image either, and the symbol
// reads back from a 300 dpi raster of it.
TEST(BarcodeBinding, RunPicturesDrawTwoDSymbolsAsShapes)
{
    std::vector<Sample> samples;
    for (const Sample& s : Symbology_Samples())
        if (s.graphic->linear_or_2d == 1)
            samples.push_back(s);
    auto pdf417 = std::make_shared<QBXBarcode>();
    pdf417->barcode_font_index = Title_Index(QStringLiteral("PDF417"));
    pdf417->linear_or_2d = 1;
    samples.push_back({pdf417, QStringLiteral("PDF-417-0042")});
    QTemporaryDir folder;
    for (const Sample& s : samples) {
        const PointPicture run =
            Barcode_Row_Picture_For_Graphic(*s.graphic, s.value, QStringLiteral("Head"), QStringLiteral("Foot"),
                                            Barcode_Run_Target{true, 300, {}})
                .picture;
        ASSERT_TRUE(run.hasVector()) << s.value.toStdString();
        EXPECT_FALSE(QByteArray::fromRawData(run.vector().data(), run.vector().size()).contains("\x89PNG"))
            << s.value.toStdString();
        QByteArray pdf;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            QPainter painter(&writer);
            run.draw(painter, QRectF(QPointF(0, 0), run.size()));
        }
        EXPECT_FALSE(pdf.contains("/Subtype /Image")) << s.value.toStdString();
        EXPECT_EQ(Decode(run.toImage(300), folder.path(), QStringLiteral("2d")), s.value);
    }
}

// A damaged design log loads as defaults or the nearest allowed value, says
// so once however many rows read it, and a store writes sound positions.
TEST(BarcodeBinding, DamagedSettingsLoadAsDefaultsLoggedOnce)
{
    QBXBarcode damaged;
    damaged.barcode_font_index = 99;
    damaged.linear_or_2d = 1;
    damaged.qr_size_val = -5;
    damaged.hdr_margin_val = std::numeric_limits<float>::quiet_NaN();
    damaged.dm_format_index = 500;
    damaged.dpi_val_index = int(Barcode_Resolution_Titles().indexOf(QStringLiteral("Custom")));
    damaged.dpi_custom_val = QStringLiteral("abc");
    LogCapture log;
    Barcode_Gen gen;
    gen.run_record = true;
    for (int row = 0; row < 3; ++row)
        Load_Barcode_Settings(gen, damaged);
    EXPECT_EQ(gen.barcodeTypePopup, QStringLiteral("Code 39"));
    EXPECT_EQ(gen.liner_or_2D_font, 0);
    EXPECT_EQ(gen.HeightText_2D.intValue(), 21);
    EXPECT_FLOAT_EQ(gen.hdr_mar_Text.floatValue(), 0.1f);
    EXPECT_EQ(gen.dm_format_ComboBox, QStringLiteral("Auto"));
    EXPECT_EQ(gen.run_dpi, 600);
    EXPECT_EQ(log.lines().size(), 6) << log.lines().join(QLatin1Char('\n')).toStdString();

    damaged.dpi_custom_val = QStringLiteral("9000");
    Load_Barcode_Settings(gen, damaged);
    EXPECT_EQ(gen.run_dpi, 2400);
    QBXBarcode stored;
    Store_Barcode_Settings(stored, gen);
    EXPECT_EQ(stored.barcode_font_index, 0);
    EXPECT_EQ(stored.dm_format_index, 0);
    EXPECT_EQ(stored.dpi_custom_val, QStringLiteral("9000"));
    EXPECT_EQ(stored.dpi_val_index, damaged.dpi_val_index);
}

// A run draws each side's unchanging bottom once per resolution; every row's
// picture is still, pixel for pixel, the whole side drawn afresh, with bound
// graphics above and below unbound ones, and the bound barcode reads back.
TEST(BarcodeBinding, RowPicturesEqualTheWholeSideDrawnAfresh)
{
    Binding_Table_Model table;
    table.Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("Code")});
    for (int i = 1; i <= 4; ++i)
        table.Create_List_By_Array({QStringLiteral("Guest %1").arg(i), QStringLiteral("CW-%1").arg(i * 37)}, 2);
    auto box = [](QRectF r, QColor c) {
        auto s = std::make_shared<Shape_Control>();
        s->setBounds(r);
        s->_fillColor = c;
        s->alpha_val = 0.6f;
        return s;
    };
    auto name = std::make_shared<QBXText>();
    name->setBounds(QRectF(10, 10, 150, 24));
    name->Set_Data_source_type(2);
    name->Set_Excel_binding_Index(1);
    auto code = std::make_shared<QBXBarcode>();
    code->barcode_font_index = Title_Index(QStringLiteral("Code 128"));
    code->Set_Data_source_type(2);
    code->Set_Excel_binding_Index(2);
    code->setBounds(QRectF(10, 50, 200, 60));
    Binding_Design design; // index 0 on top: unbound, bound, unbound, bound, unbound
    design.front = {box({0, 40, 120, 30}, Qt::blue), name, box({5, 5, 200, 40}, Qt::yellow), code,
                    box({0, 0, 252, 144}, QColor(230, 240, 250))};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, {}, table.ListData(), QString());
    Binding_Run_Snapshot run(binding, design, table.ListData());
    run.render_context.frame = QRectF(0, 0, 252, 144);
    QTemporaryDir folder;
    for (int row = 0; row < 4; ++row)
        for (double dpi : {300.0, 72.0}) {
            const QImage fast = run.Render_Side(row, QStringLiteral("F"), false).toImage(dpi);
            CardRenderContext context = run.render_context;
            context.side = 0;
            const QImage whole =
                QBXRenderingView::image_From_Card_Graphics(run.Fill_Side(row, QStringLiteral("F")), false, context)
                    .toImage(dpi);
            ASSERT_FALSE(fast.isNull());
            EXPECT_EQ(fast, whole) << "row " << row << " at " << dpi << " dpi";
            if (dpi == 300.0)
                EXPECT_EQ(Decode(fast.copy(40, 200, 840, 260), folder.path(), QStringLiteral("row%1").arg(row)),
                          QStringLiteral("CW-%1").arg((row + 1) * 37));
        }
}

namespace {

// A printable value of `length` characters, no two neighbours alike.
QByteArray Long_Value(int length, int seed)
{
    QByteArray value;
    for (int i = 0; i < length; ++i)
        value.append(char(33 + (i * 37 + seed * 11 + i / 7) % 94));
    return value;
}

std::shared_ptr<QBXBarcode> Two_D_Barcode(const char* title, const QString& series, QPointF at)
{
    auto g = Series_Barcode(series);
    g->linear_or_2d = 1;
    g->barcode_font_index = Title_Index(QString::fromLatin1(title));
    g->setBounds(QRectF(at, QSizeF(60, 60)));
    return g;
}

} // namespace

// Rows far longer than the design's value: a 600-character QR Code and a
// 953-character PDF417 row of default-size designs stay in the frame the
// canvas shows (modules on whole device pixels) and read back from a 300 dpi
// export of a 150 x 100 mm card, and are named as too fine at 72 dpi; a
// short row fills
// the same frame; a row past QR Code's capacity and a frame past the card's
// edge are named with their figures.
TEST(BarcodeBinding, LongTwoDRowsReadFromTheirFrameAtTheOutputsResolution)
{
    TempSeriesFolder folder;
    const QByteArray qrValue = Long_Value(600, 1), pdfValue = Long_Value(953, 2);
    folder.write(QStringLiteral("Q.txt"), qrValue + "\nShort-QR\n" + Long_Value(4000, 3) + "\n");
    folder.write(QStringLiteral("P.txt"), pdfValue + "\nShort-PDF\n" + pdfValue + "\n");
    auto qr = Two_D_Barcode("QR Code", QStringLiteral("Q"), {20, 20});
    auto pdf = Two_D_Barcode("PDF417", QStringLiteral("P"), {150, 20});
    for (const auto& g : {qr, pdf})
        g->Set_Barcode_image(Barcode_Picture_For_Graphic(*g, QStringLiteral("CW-0007"), g->header_val, g->footer_val));
    Binding_Design design;
    design.front = {qr, pdf};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder.path()), {},
                                             folder.path());
    Binding_Run_Snapshot run(binding, design, {});
    const QRectF card(0, 0, 150 * 72 / 25.4, 100 * 72 / 25.4);
    run.render_context.frame = card;
    run.output_dpi = 300;

    const QImage side = run.Render_Side(0, QStringLiteral("F"), false).toImage(300);
    const GraphicList& filled = run.Fill_Side(0, QStringLiteral("F"));
    for (int i = 0; i < 2; ++i) {
        const QRectF drawn = dynamic_cast<const QBXBarcode&>(*filled[size_t(i)]).pictureRect();
        const QRectF frame(filled[size_t(i)]->bounds().topLeft(), Barcode_Frame_Size(*filled[size_t(i)]));
        ASSERT_TRUE(frame.adjusted(-0.01, -0.01, 0.01, 0.01).contains(drawn)) << i;
        const QRect pixels(QPointF(drawn.topLeft() * 300 / 72).toPoint(), QPointF(drawn.bottomRight() * 300 / 72).toPoint());
        EXPECT_EQ(Decode(side.copy(pixels.adjusted(-8, -8, 8, 8)), folder.path(), QStringLiteral("long%1").arg(i)),
                  QString::fromLatin1(i == 0 ? qrValue : pdfValue))
            << i;
    }
    EXPECT_TRUE(run.Problems().isEmpty());
    // Mailed at 72 dpi both rows' modules are too fine, and each line says
    // what would make them read: a frame that fits on the card, or export.
    run.output_dpi = 72;
    run.output_resolutions = Export_Resolutions();
    run.output_mailed = true;
    run.Fill_Side(0, QStringLiteral("F"));
    EXPECT_EQ(Problem_Lines(run.Problems()),
              (QStringList{QStringLiteral("Card 1: the QR Code headed \"HEADER\" has modules of 0.65 px (0.23 mm) at 72 "
                                          "dpi; it reads in a frame 45 mm wide, or when exported at 150 dpi."),
                           QStringLiteral("Card 1: the PDF417 headed \"HEADER\" has modules of 0.25 px (0.088 mm) at 72 "
                                          "dpi; it reads when exported at 300 dpi.")}));
    // Made as offered, each reads (the PDF417 row at 300 dpi is read above).
    const Barcode_Row_Picture wider = Barcode_Row_Picture_In_Frame(
        *qr, QString::fromLatin1(qrValue), qr->header_val, qr->footer_val, {true, 72, Barcode_Frame_Size(*qr)},
        45 * 72 / 25.4);
    EXPECT_EQ(Decode(wider.picture.toImage(72), folder.path(), QStringLiteral("wider")), QString::fromLatin1(qrValue));

    // A short row fills the same frame as the design's value (whole points
    // of the design's raster).
    const auto Fills = [](QSizeF row, QSizeF frame) {
        return row.width() <= frame.width() && row.width() > frame.width() - 1 && row.height() <= frame.height()
            && row.height() > frame.height() - 1;
    };
    for (const auto& g : {qr, pdf})
        EXPECT_TRUE(Fills(dynamic_cast<const QBXBarcode&>(*run.Fill_Side(1, QStringLiteral("F"))[g == qr ? 0 : 1])
                              .row_picture.size(),
                          Barcode_Frame_Size(*g)));

    // The designer's own picture of the long QR value says what size holds
    // it; values past PDF417's and Data Matrix's capacity say that.
    EXPECT_TRUE(Barcode_Row_Picture_For_Graphic(*qr, QString::fromLatin1(qrValue), {}, {})
                    .failure.contains(QRegularExpression(QStringLiteral("A size of \\d+ or more holds it\\.$"))));
    // A picture size too large to raise to the designer's resolution says
    // why, and the largest that can be made.
    const int size = qr->qr_size_val;
    qr->qr_size_val = 984;
    EXPECT_EQ(Barcode_Row_Picture_For_Graphic(*qr, QStringLiteral("CW-7"), {}, {}).failure,
              QStringLiteral("No QR Code picture can be made at this size: at 600 dpi a size of 984 is 8,200 pixels "
                             "wide, more than the 8,192 a picture can have. A size of 983 or less can be made."));
    qr->qr_size_val = 983;
    EXPECT_FALSE(Barcode_Row_Picture_For_Graphic(*qr, QStringLiteral("CW-7"), {}, {}).picture.isNull());
    qr->qr_size_val = size;
    EXPECT_EQ(Barcode_Row_Picture_For_Graphic(*pdf, QString::fromLatin1(Long_Value(2000, 4)), {}, {}, {true, 300, {}})
                  .failure,
              QStringLiteral("Too many characters for PDF417: 2,000; at most 1,108 fit."));
    auto dm = Two_D_Barcode("DataMatrix", QStringLiteral("P"), {0, 0});
    EXPECT_EQ(Barcode_Row_Picture_For_Graphic(*dm, QString(3200, QLatin1Char('7')), {}, {}, {true, 300, {}}).failure,
              QStringLiteral("Too many digits for Data Matrix: 3,200; at most 3,115 fit."));

    // Printed at 1,200 dpi the long PDF417 row keeps the design's frame.
    run.output_dpi = 1200;
    EXPECT_TRUE(Fills(dynamic_cast<const QBXBarcode&>(*run.Fill_Side(0, QStringLiteral("F"))[1]).row_picture.size(),
                      Barcode_Frame_Size(*pdf)));

    // Past QR Code's capacity; a PDF417 frame placed past the card's bottom.
    pdf->setBounds(QRectF(150, 260, 60, 60));
    Binding_Run_Snapshot low(binding, design, {});
    low.render_context.frame = card;
    low.output_dpi = 1200;
    low.Fill_Side(2, QStringLiteral("F"));
    const QStringList problems = Problem_Lines(low.Problems());
    ASSERT_EQ(problems.size(), 2) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("Card 3: \"")));
    EXPECT_TRUE(problems[0].endsWith(QStringLiteral("\u2026\" cannot be encoded: Too many characters for QR Code: "
                                                    "4,000; at most 2,953 fit at error correction L.")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[1].contains(QRegularExpression(QStringLiteral(
        "^Card 3: \".*\" in the PDF417 headed \"HEADER\" is \\d+ x \\d+ mm and runs past the card's edge at "
        "the bottom \\(the card is 150 x 100 mm\\)\\.$"))))
        << problems[1].toStdString();
}

// Every barcode of a run is asked, each on its own line: a fixed Code 128
// that no row fills is named once for the run, two bound QR Codes of the
// same name on one card are told apart by where they lie.
TEST(BarcodeBinding, FixedAndBoundBarcodesAreEachNamedOnTheirOwnLine)
{
    TempSeriesFolder folder;
    folder.write(QStringLiteral("Q.txt"), Long_Value(300, 1) + "\n" + Long_Value(300, 2) + "\n");
    auto fixed = std::make_shared<QBXBarcode>();
    fixed->barcode_font_index = Title_Index(QStringLiteral("Code 128"));
    fixed->linear_font_val = QStringLiteral("CW-FIXED-0001");
    fixed->header_val = QStringLiteral("SEAT");
    fixed->Set_Barcode_image(Barcode_Picture_For_Graphic(*fixed, fixed->linear_font_val, fixed->header_val, {}));
    fixed->setBounds(QRectF(QPointF(10, 10), Barcode_Frame_Size(*fixed)));
    Binding_Design design;
    design.front = {fixed};
    for (const QPointF at : {QPointF(10, 80), QPointF(120, 80)}) {
        auto qr = Two_D_Barcode("QR Code", QStringLiteral("Q"), at);
        qr->Set_Barcode_image(Barcode_Picture_For_Graphic(*qr, QStringLiteral("CW-0007"), qr->header_val, {}));
        design.front.push_back(qr);
    }
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder.path()), {},
                                             folder.path());
    Binding_Run_Snapshot run(binding, design, {});
    run.render_context.frame = QRectF(0, 0, 300, 250);
    run.output_dpi = 72;
    run.output_resolutions = Export_Resolutions();
    for (int row = 0; row < 2; ++row)
        run.Fill_Side(row, QStringLiteral("F"));
    const QString qr = QStringLiteral(
        "the QR Code headed \"HEADER\" %1 mm from the left, 29 mm from the top has modules of 0.87 px (0.31 mm) at "
        "72 dpi; it reads at 96 dpi, or in a frame 33 mm wide.");
    EXPECT_EQ(Problems_Text(run.Problems(), 2),
              QStringLiteral("2 of 2 cards carry a problem.\nBarcodes too fine to read:\n"
                             "The Code 128 headed \"SEAT\" has bars of 1.4 px (0.51 mm) at 72 dpi; it reads at 96 "
                             "dpi.\nCards 1\u20132: %1\nCards 1\u20132: %2")
                  .arg(qr.arg(4), qr.arg(43)));

    // Sizes past the card carry thousands separators, as the other figures do.
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::black);
    fixed->row_picture = PointPicture::fromImage(one, QSizeF(1702 * 72 / 25.4, 25 * 72 / 25.4));
    EXPECT_EQ(fixed->pastCardEdge(QRectF(0, 0, 300, 250)),
              QStringLiteral("is 1,702 x 25 mm and runs past the card's edge at the right"));
}
