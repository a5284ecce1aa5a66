// Picture, signature and barcode graphics.
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXRenderingView.h"
#include "drawing/QBXSignature.h"
#include "drawing/GraphicDefaults.h"
#include "support_probe.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString picturePath(const QString& name, const QImage& img)
{
    const QString path = probe::tempDir() + "/pics/" + name;
    probe::writePng(img, path);
    return path;
}

QImage draw(QBXGraphic& g, QSizeF size = {250, 250}, double dpi = 72)
{
    return probe::paintAt(size, dpi, [&](QPainter& p) { g.drawContentsInView(&p, DrawingContext{}, false); });
}

std::shared_ptr<QBXImage> picture(const QString& path, QRectF bounds)
{
    auto g = std::make_shared<QBXImage>();
    g->setFilePath(path);
    g->_isDrawingStroke = false;
    g->setBounds(bounds);
    return g;
}

} // namespace

TEST(ImageGraphic, QuadrantsLandWhereTheyBelongWithFlips)
{
    // 200 x 120 pixels at 144 dpi: 100 x 60 points, drawn whole into its bounds.
    const QString path = picturePath("quad144.png", probe::quadrants(200, 120, 144));
    auto g = QBXImage::initWithPath({60, 40}, path);
    g->_isDrawingStroke = false;
    EXPECT_EQ(g->bounds(), QRectF(10, 10, 100, 60));
    QImage img = draw(*g);
    EXPECT_TRUE(probe::near(img.pixel(30, 25), Qt::red));
    EXPECT_TRUE(probe::near(img.pixel(90, 25), Qt::green));
    EXPECT_TRUE(probe::near(img.pixel(30, 55), Qt::blue));
    EXPECT_TRUE(probe::near(img.pixel(100, 65), Qt::yellow));
    EXPECT_EQ(probe::inkBox(img), QRect(10, 10, 100, 60));
    g->flipHorizontally();
    img = draw(*g);
    EXPECT_TRUE(probe::near(img.pixel(30, 25), Qt::green));
    g->flipVertically();
    img = draw(*g);
    EXPECT_TRUE(probe::near(img.pixel(30, 25), Qt::yellow)); // both flips: turned half round
    EXPECT_EQ(probe::inkBox(img), QRect(10, 10, 100, 60));
    // Opacity in percent; the frame line stays opaque.
    g->setFlippedHorizontally(false);
    g->setFlippedVertically(false);
    g->img_trnsp_val = 50;
    g->_isDrawingStroke = true;
    g->_strokeWidth = 2;
    img = draw(*g);
    EXPECT_TRUE(probe::near(img.pixel(30, 25), QColor(255, 128, 128), 3));
    EXPECT_TRUE(probe::near(img.pixel(60, 9), Qt::black));
}

TEST(ImageGraphic, TurnedPicturesKeepTheirScaleAndCorners)
{
    const QString path = picturePath("square.png", probe::quadrants(100, 100));
    auto g = picture(path, QRectF(50, 50, 100, 100));
    g->rotate_image = 90;
    QImage img = draw(*g);
    EXPECT_EQ(probe::inkBox(img), QRect(50, 50, 100, 100));
    EXPECT_TRUE(probe::near(img.pixel(60, 60), Qt::green)); // counter-clockwise on the card
    g->rotate_image = 450.7f; // modulo 360 first, then whole degrees: 90
    EXPECT_TRUE(probe::near(draw(*g).pixel(60, 60), Qt::green));
    g->rotate_image = 45;
    const QRect box = probe::inkBox(draw(*g));
    EXPECT_NEAR(box.width(), 141, 3);
    EXPECT_NEAR(box.height(), 141, 3);
    EXPECT_NEAR(box.center().x(), 100, 2);
    EXPECT_NEAR(box.center().y(), 100, 2);
    // Turned then mirrored: the mirror acts on the card, after the turn.
    g->rotate_image = 90;
    g->setFlippedHorizontally(true);
    EXPECT_TRUE(probe::near(draw(*g).pixel(140, 60), Qt::green));
}

TEST(ImageGraphic, EffectsBlurCapAndBadValues)
{
    const QString path = picturePath("quad72.png", probe::quadrants(100, 60));
    auto g = picture(path, QRectF(10, 10, 100, 60));
    g->blr_val = 6;
    const QImage blurred = draw(*g);
    EXPECT_EQ(probe::inkBox(blurred), QRect(10, 10, 100, 60)); // blur keeps the box
    EXPECT_TRUE(probe::near(blurred.pixel(15, 15), Qt::red, 4));
    g->blr_val = 0;
    g->gray_Scale = true;
    const QRgb gray = draw(*g).pixel(90, 25);
    EXPECT_EQ(qRed(gray), qGreen(gray));
    g->gray_Scale = false;
    g->ev_val = NAN; // from a damaged file: nothing drawn
    EXPECT_TRUE(probe::inkBox(draw(*g)).isNull());
    g->ev_val = 0;
    g->setBounds(QRectF(10, 10, 0, 60));
    EXPECT_TRUE(probe::inkBox(draw(*g)).isNull()); // zero bounds: no picture
    g->setBounds(QRectF(110, 70, -100, -60)); // negative sizes normalised
    EXPECT_TRUE(probe::near(draw(*g).pixel(30, 25), Qt::red));

    // Creation keeps the full size; natural size caps it (724 x 468 points).
    const QString wide = picturePath("wide.png", probe::quadrants(1000, 300));
    auto w = QBXImage::initWithPath({500, 150}, wide);
    EXPECT_EQ(w->bounds().size(), QSizeF(1000, 300));
    w->flipHorizontally();
    w->makeNaturalSize();
    EXPECT_EQ(w->bounds(), QRectF(0, 0, 724, 300));
    EXPECT_FALSE(w->_isFlippedHorizontally);
    w->ctrl_is_locked = true;
    w->setBounds(QRectF(0, 0, 5, 5));
    w->makeNaturalSize();
    EXPECT_EQ(w->bounds().size(), QSizeF(5, 5));
}

TEST(ImageGraphic, BadFilesDrawTheFrameOnly)
{
    auto none = picture("", QRectF(10, 10, 100, 60));
    none->_isDrawingStroke = true;
    EXPECT_TRUE(probe::inkBox(draw(*none)).isNull()); // no path: not even the frame
    QDir().mkpath(probe::tempDir() + "/pics");
    QFile bad(probe::tempDir() + "/pics/bad.png");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    for (const QString& path : {probe::tempDir() + "/pics/missing.png", bad.fileName()}) {
        auto g = picture(path, QRectF(10, 10, 100, 60));
        g->_isDrawingStroke = true;
        const QImage img = draw(*g);
        const QRect box = probe::inkBox(img);
        EXPECT_NEAR(box.left(), 10, 1);
        EXPECT_NEAR(box.right(), 110, 1);
        EXPECT_TRUE(probe::near(img.pixel(60, 40), Qt::white));
    }
    // A pasted picture saved to a file draws, and keeps drawing from that file.
    const QString saved = picturePath("pasted.png", probe::quadrants(40, 40));
    auto pasted = QBXImage::initWithPosition({50, 50}, probe::quadrants(40, 40), saved);
    pasted->_isDrawingStroke = false;
    EXPECT_EQ(pasted->FilePath(), saved);
    EXPECT_TRUE(probe::near(draw(*pasted).pixel(35, 35), Qt::red));
}

TEST(SignatureGraphic, StretchesAndFollowsItsRecordPath)
{
    const QString a = picturePath("sign_a.png", probe::quadrants(400, 100));
    QImage blue(40, 40, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    const QString b = picturePath("sign_b.png", blue);
    auto s = std::make_shared<QBXSignature>();
    s->setFilePath(a);
    s->_isDrawingStroke = false;
    s->setBounds(QRectF(10, 10, 100, 50));
    QImage img = draw(*s);
    EXPECT_TRUE(probe::near(img.pixel(12, 12), Qt::red));
    EXPECT_TRUE(probe::near(img.pixel(108, 58), Qt::yellow));
    EXPECT_EQ(probe::inkBox(img), QRect(10, 10, 100, 50));
    // Another path written into the record shows at the next draw; the
    // drawing itself writes nothing into the graphic.
    s->Set_Control_File_path(b);
    img = draw(*s);
    EXPECT_TRUE(probe::near(img.pixel(12, 12), Qt::blue));
    EXPECT_EQ(s->file_path, a);
    // "Default" stands for the kind's sample picture.
    s->Set_Sign_Or_FP("F");
    s->setFilePath("Default");
    EXPECT_TRUE(s->FilePath().endsWith("fingerprints.png"));
    EXPECT_EQ(s->file_path, s->FilePath());
    // Unreadable file: the border alone.
    s->Set_Control_File_path(probe::tempDir() + "/pics/none.png");
    s->_isDrawingStroke = true;
    img = draw(*s);
    EXPECT_TRUE(probe::near(img.pixel(60, 35), Qt::white));
    EXPECT_TRUE(probe::near(img.pixel(60, 10), Qt::black));
}

TEST(BarcodeGraphic, DrawsAtItsPointSizeAndDecodes)
{
    QImage bars = probe::quadrants(300, 150, 300); // 72 x 36 points
    auto g = std::make_shared<QBXBarcode>();
    g->Set_Barcode_image(bars);
    g->setBounds(QRectF(10, 10, 200, 100));
    EXPECT_EQ(probe::inkBox(draw(*g)), QRect(10, 10, 72, 36));
    g->setBounds(QRectF(10, 10, 20, 20)); // smaller bounds do not clip
    EXPECT_EQ(probe::inkBox(draw(*g)), QRect(10, 10, 72, 36));
    // The picture past the frame is drawn (every surface clips to the
    // drawing bounds), can be clicked, and Natural Size fits the frame to it.
    const QImage clipped =
        probe::paintAt({250, 250}, 72, [&](QPainter& p) { g->drawClippedInView(p, DrawingContext{}, false); });
    EXPECT_EQ(probe::inkBox(clipped), QRect(10, 10, 72, 36));
    EXPECT_TRUE(g->isContentsUnderPoint(QPointF(80, 44)));
    EXPECT_FALSE(g->isContentsUnderPoint(QPointF(83, 47)));
    ASSERT_TRUE(g->canMakeNaturalSize());
    g->makeNaturalSize();
    EXPECT_EQ(g->bounds(), QRectF(10, 10, 72, 36));
    EXPECT_FALSE(g->canMakeNaturalSize());
    // No picture and no sample file: nothing.
    auto empty = std::make_shared<QBXBarcode>();
    empty->setBounds(QRectF(10, 10, 50, 50));
    EXPECT_TRUE(probe::inkBox(draw(*empty)).isNull());

    // A Code 128 picture made by zint decodes from the 300-dpi card picture and from the PDF.
    const QString zpath = probe::tempDir() + "/code128.png";
    int code = -1;
    probe::run("zint", {"-b", "20", "--scale=2", "-d", "CARDWRIGHT-123", "-o", zpath}, &code);
    ASSERT_EQ(code, 0);
    QImage z(zpath);
    ASSERT_FALSE(z.isNull());
    z.setDotsPerMeterX(11811);
    z.setDotsPerMeterY(11811);
    auto barcode = std::make_shared<QBXBarcode>();
    barcode->Set_Barcode_image(z);
    // Card pictures clip each graphic to its frame, as the canvas does: the
    // frame holds the whole picture.
    barcode->setBounds(QRectF(20, 20, z.width() * 72.0 / 300, z.height() * 72.0 / 300));
    CardRenderContext ctx;
    ctx.frame = QRectF(0, 0, 252, 144);
    const CardPicture card = QBXRenderingView::image_From_Card_Graphics({barcode}, false, ctx);
    const QString raster = probe::tempDir() + "/card300.png";
    ASSERT_TRUE(card.toImage(300).save(raster));
    EXPECT_TRUE(probe::run("ZXingReader", {raster}).contains("\"CARDWRIGHT-123\""));
    const QString pdf = probe::writeTemp("barcode.pdf", card.toPdf());
    probe::run("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, probe::tempDir() + "/frompdf"});
    EXPECT_TRUE(probe::run("ZXingReader", {probe::tempDir() + "/frompdf.png"}).contains("\"CARDWRIGHT-123\""));
}

TEST(ImageGraphic, PdfKeepsPicturesSharp)
{
    // 800 x 600 pixels drawn at 96 x 72 points: the PDF holds 300 dpi (400 x 300).
    const QString path = picturePath("sharp.png", probe::quadrants(800, 600));
    auto g = picture(path, QRectF(10, 10, 96, 72));
    g->sat_val = 0.9f;
    CardRenderContext ctx;
    ctx.frame = QRectF(0, 0, 120, 100);
    const QString pdf = probe::writeTemp("sharp.pdf", QBXRenderingView::pdfDataWithGraphics_data({g}, ctx));
    const QString list = QString::fromUtf8(probe::run("pdfimages", {"-list", pdf}));
    EXPECT_TRUE(list.contains(QRegularExpression("image\\s+400\\s+300\\b"))) << list.toStdString();
}
