// Run rows of every symbology drawn on cards at 72 to 1,200 dpi, placed on
// and off the device's pixels, with values from short to long: every card's
// barcode lies inside the frame the canvas shows its design picture in (a
// neighbouring shape's pixels stay as they are) and either reads back to its
// value with zxing-cpp (or, where it fails, zbar) or is named as too fine, with what would
// make it read.
#define ZX_USE_UTF8 1
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "batch/DataBinding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/Shape_Control.h"
#include "support/process_runner.h"
#include "support_binding.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <map>

namespace {

struct Symbology {
    const char* title;
    const char* zxing; // zxing-cpp's format name; "" when it reads none
    const char* zbar;  // zbarimg's type name; "" when it reads none
    QStringList values; // the design's value first
};

std::string Expected(const QString& title, const QString& value)
{
    const std::string v = value.toStdString();
    if (title == QLatin1String("EAN-13") || title == QLatin1String("EAN-8") || title == QLatin1String("UPCA"))
        return v + char('0' + upcean::mod10Check(v));
    if (title == QLatin1String("UPCE")) {
        const std::string full = v + char('0' + upcean::mod10Check(v));
        return full.substr(0, 1) + BCXUPCEBarcode::UPCAToUPCE(QString::fromStdString(full)).toStdString()
            + full.substr(11);
    }
    return v;
}

std::string Zxing_Read(const QImage& image, const char* format)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormatFromString(format));
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setTryCode39ExtendedMode(true);
    hints.setReturnCodabarStartEnd(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? r.text() : std::string();
}

// zbarimg over every saved file at once: the texts it read, by file name.
std::map<QString, std::string> Zbar_Read_All(const QString& folder)
{
    QStringList files;
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*.png")}))
        files << QDir(folder).filePath(f);
    std::map<QString, std::string> read;
    if (files.isEmpty())
        return read;
    const testsupport::ProcessResult r =
        testsupport::run(QStringLiteral("zbarimg"), QStringList{QStringLiteral("--xml"), QStringLiteral("-q")} + files);
    const QString xml = QString::fromUtf8(r.out);
    static const QRegularExpression source(QStringLiteral("<source href='([^']*)'>(.*?)</source>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression data(QStringLiteral("<data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = source.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const auto d = data.match(m.captured(2));
        if (d.hasMatch())
            read[QFileInfo(m.captured(1)).fileName()] = d.captured(1).toStdString();
    }
    return read;
}

QString Repeat_To(const QString& unit, int length)
{
    return unit.repeated(length / int(unit.size()) + 1).left(length).trimmed();
}

// The card of one row: the barcode graphic bound to the rows' column, a
// black square 1 pt right of its frame.
struct Card_Run {
    GraphicList design;
    std::shared_ptr<QBXBarcode> barcode;
    Binding_Rows rows;
};

Card_Run Make_Run(const Symbology& s, QPointF at)
{
    Card_Run run;
    const QString title = QString::fromLatin1(s.title);
    auto g = std::make_shared<QBXBarcode>();
    g->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(title));
    g->linear_or_2d = Barcode_Gen::Is_2D_Title(title) ? 1 : 0;
    (g->linear_or_2d ? g->two_d_font_val : g->linear_font_val) = s.values.first();
    g->Set_Barcode_image(Barcode_Picture_For_Graphic(*g, s.values.first(), g->header_val, g->footer_val));
    const QSizeF frame = Barcode_Frame_Size(*g);
    g->setBounds(QRectF(at, frame));
    g->Set_Data_source_type(2);
    g->Set_Excel_binding_Index(1);
    auto square = std::make_shared<Shape_Control>();
    square->setBounds(QRectF(at.x() + frame.width() + 1, at.y(), 20, frame.height()));
    square->_fillColor = Qt::black;
    square->_isDrawingStroke = false;
    run.design = {g, square};
    run.barcode = g;
    for (int i = 0; i < s.values.size(); ++i)
        run.rows.append(QVariantMap{{QStringLiteral("Extension"), QString::number(i + 1)},
                                    {QStringLiteral("Column1"), s.values[i]}});
    return run;
}

} // namespace

TEST(BarcodeFrames, EveryRowLiesInItsFrameAndReadsOrIsNamedAtEveryResolution)
{
    const QString qrLong = Repeat_To(QStringLiteral("https://cw.example/tickets?id=0042&name=Ada "), 600);
    const std::vector<Symbology> symbologies = {
        {"Code 39", "Code39", "CODE-39", {"CW-7", "CW-70", "CARDWRIGHT-ORDER-0000042"}},
        {"Extended Code 39", "Code39", "", {"Cw-7", "Cardwright order 42"}},
        {"Interleaved 2 of 5", "ITF", "I2/5", {"123456", "12345678901234567890"}},
        {"UPCA", "UPC-A", "", {"01234567890", "98765432109"}},
        {"UPCE", "UPC-E", "", {"01200000345", "04500000123"}},
        {"EAN-13", "EAN-13", "EAN-13", {"400638133393", "978020137962"}},
        {"EAN-8", "EAN-8", "EAN-8", {"9638507", "5512345"}},
        {"Code 128", "Code128", "CODE-128", {"CW-ORD7", "CW-7", "cardwright-order-0000012345678"}},
        {"Code 128 SET A", "Code128", "CODE-128", {"CW-ORD7", "CARDWRIGHT ORDER 42"}},
        {"Code 128 SET B", "Code128", "CODE-128", {"Cw-ord7", "Cardwright order 42, row 7"}},
        {"Code 128 SET C", "Code128", "CODE-128", {"123456", "12345678901234567890"}},
        {"Codabar", "Codabar", "CODABAR", {"A1234B", "A1234567890123456B"}},
        {"Modified Plessey", "", "", {"1234", "12345678901234"}},
        {"Industrial 2 of 5", "", "", {"1234", "12345678901234"}},
        {"PostNet", "", "", {"12345", "123456789"}},
        {"QR Code", "QRCode", "QR-Code", {"https://cw.example/7", "ada@cw.example", qrLong}},
        {"PDF417", "PDF417", "", {"Ticket CW-0007", "Ada Lovelace", Repeat_To(QStringLiteral("Row 7, seat 12; "), 400)}},
        {"DataMatrix", "DataMatrix", "", {"DM-0007", "7", Repeat_To(QStringLiteral("DM-0007 "), 200)}},
    };
    QTemporaryDir saved;
    struct Read {
        std::string expected;
        QString title, name;
    };
    std::vector<Read> forZbar;
    for (const Symbology& s : symbologies) {
        const QString title = QString::fromLatin1(s.title);
        for (const int dpi : {72, 150, 300, 600, 1200}) {
            // Off the device's pixels at the low resolutions, where it counts.
            for (const double offset : dpi <= 150 ? std::vector<double>{0, 0.4} : std::vector<double>{0.4}) {
                Card_Run made = Make_Run(s, QPointF(20 + offset, 30 + offset));
                const QRectF frame(made.barcode->bounds().topLeft(), Barcode_Frame_Size(*made.barcode));
                const QRectF card(0, 0, frame.right() + 40, frame.bottom() + 30);
                Binding_Design design;
                design.front = made.design;
                Data_Binding binding;
                binding.Check_Series_Or_Excel_Use_or_not(design, {}, made.rows);
                ASSERT_EQ(binding.counts.Total_Batch_Excel_Card, int(s.values.size()));
                Binding_Run_Snapshot run(binding, design, made.rows);
                run.render_context.frame = card;
                run.output_dpi = dpi;
                // The card without its barcode: what lies outside the frame.
                Binding_Design without;
                without.front = {made.design[1]};
                Binding_Run_Snapshot plain(Data_Binding(), without, {});
                plain.render_context.frame = card;
                const QImage reference = plain.Render_Side(0, QStringLiteral("F"), false).toImage(dpi);
                const QRect inside = QTransform::fromScale(dpi / 72.0, dpi / 72.0).mapRect(frame).toAlignedRect();
                for (int row = 0; row < s.values.size(); ++row) {
                    const QImage side = run.Render_Side(row, QStringLiteral("F"), false).toImage(dpi);
                    ASSERT_EQ(side.size(), reference.size());
                    const QString where = QStringLiteral("%1 row %2 at %3 dpi, offset %4")
                                              .arg(title).arg(row + 1).arg(dpi).arg(offset);
                    int outside = 0;
                    for (int y = 0; y < side.height(); ++y) {
                        const auto* a = reinterpret_cast<const QRgb*>(side.constScanLine(y));
                        const auto* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
                        for (int x = 0; x < side.width(); ++x)
                            outside += a[x] != b[x] && !inside.contains(x, y);
                    }
                    EXPECT_EQ(outside, 0) << where.toStdString();
                    bool named = false;
                    for (const Card_Problem& p : run.Problems())
                        named = named || (p.card == row + 1 && p.kind == Problem_Kind::Barcode_Too_Fine);
                    if (!*s.zxing)
                        continue;
                    const QImage shown = side.copy(inside.adjusted(-4, -4, 4, 4));
                    const std::string expected = Expected(title, s.values[row]);
                    if (named || Zxing_Read(shown, s.zxing) == expected)
                        continue;
                    // What zxing-cpp misses, zbar may read.
                    EXPECT_TRUE(*s.zbar) << where.toStdString() << " reads \"" << Zxing_Read(shown, s.zxing) << "\"";
                    const QString name = QStringLiteral("c%1.png").arg(forZbar.size());
                    shown.save(QDir(saved.path()).filePath(name));
                    forZbar.push_back({expected, where, name});
                }
            }
        }
    }
    const std::map<QString, std::string> zbar = Zbar_Read_All(saved.path());
    for (const Read& r : forZbar) {
        const auto it = zbar.find(r.name);
        EXPECT_TRUE(it != zbar.end() && it->second == r.expected)
            << r.title.toStdString() << ": zbar reads \"" << (it == zbar.end() ? std::string() : it->second) << "\"";
    }
}

namespace {
// The box of the dark pixels of a picture.
QRect Ink(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}
} // namespace

// A mailed card (72 dpi) shows a default-size QR Code where and as large as
// the canvas shows the design's: the design's value lands on the canvas's
// pixels, and every other row stays in the frame and reads.
TEST(BarcodeFrames, AMailedCardLaysOutADefaultQrCodeAsTheCanvasShowsIt)
{
    Symbology qr{"QR Code", "QRCode", "", {"https://cw.example/7", "ada@cw.example", "+44 20 7946 0958"}};
    Card_Run made = Make_Run(qr, QPointF(30, 40));
    made.barcode->show_hide_hdr = made.barcode->show_hide_ftr = 1;
    made.barcode->Set_Barcode_image(Barcode_Picture_For_Graphic(*made.barcode, qr.values.first(), {}, {}));
    made.design.pop_back();
    Binding_Design design;
    design.front = made.design;
    const QRectF card(0, 0, 200, 150);
    CardRenderContext context;
    context.frame = card;
    context.side = 0;
    const QRect canvas = Ink(QBXRenderingView::image_From_Card_Graphics(design.front, false, context).toImage(72));
    const QRect frame = QRectF(made.barcode->bounds().topLeft(), Barcode_Frame_Size(*made.barcode)).toAlignedRect();
    ASSERT_TRUE(frame.contains(canvas));

    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, {}, made.rows);
    Binding_Run_Snapshot run(binding, design, made.rows);
    run.render_context.frame = card;
    run.output_dpi = 72;
    for (int row = 0; row < int(qr.values.size()); ++row) {
        const QImage mailed = run.Render_Side(row, QStringLiteral("F"), false).toImage(72);
        const QRect ink = Ink(mailed);
        EXPECT_TRUE(frame.contains(ink)) << row;
        // The canvas resamples the design's raster: a pixel either way.
        if (row == 0)
            EXPECT_TRUE(std::abs(ink.left() - canvas.left()) <= 1 && std::abs(ink.top() - canvas.top()) <= 1
                        && std::abs(ink.width() - canvas.width()) <= 1 && std::abs(ink.height() - canvas.height()) <= 1)
                << "mailed " << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height() << "; canvas "
                << canvas.x() << "," << canvas.y() << " " << canvas.width() << "x" << canvas.height();
        EXPECT_EQ(Zxing_Read(mailed.copy(frame), "QRCode"), qr.values[row].toStdString()) << row;
    }
    EXPECT_TRUE(run.Problems().isEmpty());
}
