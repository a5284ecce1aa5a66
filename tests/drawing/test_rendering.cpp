// Off-screen rendering of a card side to picture, PDF and TIFF.
#include "drawing/QBXRenderingView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"
#include "support_probe.h"

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <thread>

namespace {

std::shared_ptr<Shape_Control> box(QRectF r, QColor c, int print = 0)
{
    auto s = std::make_shared<Shape_Control>();
    s->setBounds(r);
    s->_fillColor = c;
    s->_isDrawingStroke = false;
    s->print_object = print;
    return s;
}

std::shared_ptr<QBXText> label(const QString& s, QRectF r)
{
    auto t = std::make_shared<QBXText>();
    t->Text_contents().text = s;
    t->text_ctrl_font = QFont("Arial");
    t->text_ctrl_font.setPointSizeF(18);
    t->txt_clr = Qt::black;
    t->_isDrawingFill = t->_isDrawingStroke = false;
    t->setBounds(r);
    return t;
}

CardRenderContext card(int shape = 0)
{
    CardRenderContext c;
    c.frame = QRectF(0, 0, 252, 144); // 3.5 x 2 in
    c.cardShape = shape;
    c.side = 0;
    c.front.Card_fill_chk = true;
    c.front.Card_fill_clr = QColor(240, 240, 200);
    c.back.Card_fill_chk = true;
    c.back.Card_fill_clr = QColor(200, 240, 240);
    return c;
}

QImage pdfToImage(const QByteArray& pdf, int dpi, const QString& name)
{
    const QString path = probe::writeTemp(name + ".pdf", pdf);
    probe::run("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", path, probe::tempDir() + "/" + name});
    return QImage(probe::tempDir() + "/" + name + ".png");
}

} // namespace

TEST(Rendering, PictureAndPdfHoldTheBackgroundAndPrintedGraphicsInOrder)
{
    GraphicList g{box({20, 20, 60, 60}, Qt::red), box({50, 50, 60, 60}, Qt::blue),
                  box({150, 20, 40, 40}, Qt::green, 1)};
    const CardPicture pic = QBXRenderingView::image_From_Card_Graphics(g, true, card());
    ASSERT_FALSE(pic.isNull());
    EXPECT_EQ(pic.size(), QSizeF(252, 144));
    const QImage img = pic.toImage(72);
    EXPECT_EQ(img.size(), QSize(252, 144));
    EXPECT_TRUE(probe::near(img.pixel(60, 60), Qt::red));       // index 0 on top
    EXPECT_TRUE(probe::near(img.pixel(100, 100), Qt::blue));
    EXPECT_TRUE(probe::near(img.pixel(170, 40), QColor(240, 240, 200))); // print_object 1 left out
    const QImage fromPdf = pdfToImage(pic.toPdf(), 72, "order");
    ASSERT_EQ(fromPdf.size(), QSize(252, 144));
    for (QPoint p : {QPoint(60, 60), QPoint(100, 100), QPoint(170, 40), QPoint(5, 5)})
        EXPECT_TRUE(probe::near(fromPdf.pixel(p), img.pixel(p), 4)) << p.x() << "," << p.y();

    // The back side comes from the context, not from the global.
    CardRenderContext back = card();
    back.side = 1;
    EXPECT_TRUE(probe::near(QBXRenderingView::image_From_Card_Graphics({}, false, back).toImage(72).pixel(5, 5),
                            QColor(200, 240, 240)));

    // TIFF: every graphic (print_object too), no background, the union at the origin.
    QBXError err;
    const QByteArray tiff = QBXRenderingView::tiffDataWithGraphics(g, &err);
    QBuffer buf;
    buf.setData(tiff);
    QImageReader reader(&buf, "tiff");
    const QImage t = reader.read();
    ASSERT_FALSE(t.isNull()) << reader.errorString().toStdString();
    const QRectF u = QBXGraphic::drawingBoundsOfGraphics(g);
    EXPECT_EQ(t.size(), QSize(int(std::ceil(u.width())), int(std::ceil(u.height()))));
    const QPointF o = u.topLeft();
    EXPECT_TRUE(probe::near(t.pixel((QPointF(170, 40) - o).toPoint()), Qt::green));
    EXPECT_TRUE(probe::near(t.pixel((QPointF(25, 25) - o).toPoint()), Qt::red)); // upright
    EXPECT_TRUE(probe::near(t.pixel((QPointF(100, 100) - o).toPoint()), Qt::blue));
    const QString tiffPath = probe::writeTemp("graphics.tiff", tiff);
    EXPECT_TRUE(QString::fromUtf8(probe::run("tiffinfo", {tiffPath})).contains(QRegularExpression("Resolution: 72, 72")));
}

TEST(Rendering, EmptyListsAndBadFrames)
{
    const CardPicture pic = QBXRenderingView::image_From_Card_Graphics({}, false, card(1));
    const QImage img = pic.toImage(72);
    EXPECT_TRUE(probe::near(img.pixel(126, 72), QColor(240, 240, 200)));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0); // rounded corner: nothing painted
    EXPECT_FALSE(pic.toPdf().isEmpty());
    QBXError err;
    EXPECT_TRUE(QBXRenderingView::tiffDataWithGraphics({}, &err).isEmpty());
    EXPECT_EQ(err.code, 3);
    CardRenderContext bad = card();
    bad.frame = QRectF(0, 0, 0, 144);
    EXPECT_TRUE(QBXRenderingView::image_From_Card_Graphics({}, false, bad).isNull());
    EXPECT_TRUE(QBXRenderingView::pdfDataWithGraphics_data({}, bad).isEmpty());
    bad.frame = QRectF(0, 0, NAN, 144);
    EXPECT_TRUE(QBXRenderingView::image_From_Card_Graphics({}, false, bad).isNull());
    EXPECT_TRUE(pic.toImage(0).isNull());
    EXPECT_TRUE(pic.toImage(-72).isNull());
    // Over 32,767 pixels a side: refused with the message, nothing made.
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    EXPECT_TRUE(pic.toImage(10000).isNull());
    const QStringList alerts = testResponder().texts("alert");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].contains("The card picture would be 35000 x 20000 pixels at 10000 dpi, more than this "
                                   "program can make. Choose a lower resolution."));
    EXPECT_FALSE(pic.toImage(2400).isNull());
}

TEST(Rendering, PdfPageSizeTextFontsAndStructure)
{
    GraphicList g{label("Happy Birthday", {20, 20, 200, 40}), box({10, 80, 100, 40}, Qt::red)};
    CardRenderContext ctx = card();
    ctx.front.Card_border_chk = true;
    ctx.front.Card_bordr_clr = Qt::black;
    const QByteArray pdf = QBXRenderingView::pdfDataWithGraphics_data(g, ctx);
    const QString path = probe::writeTemp("card.pdf", pdf);
    const QString info = QString::fromUtf8(probe::run("pdfinfo", {path}));
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+252 x 144 pts"))) << info.toStdString();
    EXPECT_EQ(QString::fromUtf8(probe::run("pdftotext", {path, "-"})).simplified(), "Happy Birthday");
    const QString fonts = QString::fromUtf8(probe::run("pdffonts", {path}));
    EXPECT_TRUE(fonts.contains("LiberationSans")) << fonts.toStdString();
    for (const QString& line : fonts.split('\n').mid(2, -1)) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QRegularExpression("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+"))) << line.toStdString();
        }
    }
    int code = -1;
    probe::run("qpdf", {"--check", path}, &code);
    EXPECT_EQ(code, 0);
    // pdftoppm agrees with the picture at 300 dpi.
    const QImage raster = QBXRenderingView::image_From_Card_Graphics(g, false, ctx).toImage(300);
    const QImage fromPdf = pdfToImage(pdf, 300, "card300");
    ASSERT_EQ(fromPdf.size(), raster.size());
    for (QPoint p : {QPoint(200, 400), QPoint(600, 300), QPoint(1, 300), QPoint(525, 599)})
        EXPECT_TRUE(probe::near(fromPdf.pixel(p), raster.pixel(p), 6)) << p.x() << "," << p.y();
    const QRect inkPdf = probe::inkBox(fromPdf.copy(0, 0, 1050, 300), QColor(240, 240, 200), 60);
    const QRect inkRaster = probe::inkBox(raster.copy(0, 0, 1050, 300), QColor(240, 240, 200), 60);
    EXPECT_NEAR(inkPdf.left(), inkRaster.left(), 3);
    EXPECT_NEAR(inkPdf.right(), inkRaster.right(), 3);
}

TEST(Rendering, CardPicturesAreFrozenAndResolutionIndependent)
{
    auto red = box({20, 20, 60, 60}, Qt::red);
    const CardPicture pic = QBXRenderingView::image_From_Card_Graphics({red}, false, card());
    red->_fillColor = Qt::blue;
    red->setBounds(QRectF(100, 20, 60, 60));
    const QImage at72 = pic.toImage(72);
    const QImage at300 = pic.toImage(300);
    EXPECT_EQ(at300.size(), QSize(1050, 600));
    EXPECT_EQ(at300.dotsPerMeterX(), 11811);
    EXPECT_EQ(at72.dotsPerMeterX(), 2835);
    EXPECT_TRUE(probe::near(at72.pixel(50, 50), Qt::red));
    EXPECT_TRUE(probe::near(at300.pixel(50 * 300 / 72, 50 * 300 / 72), Qt::red));
    EXPECT_FALSE(probe::near(at72.pixel(130, 50), Qt::blue));
    // Sharp at 300 dpi: the edge of the square is one pixel wide, not 300/72.
    const QRect ink = probe::inkBox(at300, QColor(240, 240, 200), 10);
    EXPECT_NEAR(ink.left(), 20 * 300 / 72.0, 1);
    EXPECT_NEAR(ink.width(), 60 * 300 / 72.0, 1);
}

TEST(Rendering, OneDesignOnFourThreadsGivesIdenticalPictures)
{
    QImage photo = probe::quadrants(300, 200);
    const QString path = probe::tempDir() + "/threads_photo.png";
    ASSERT_TRUE(probe::writePng(photo, path));
    GraphicList g{label("Four threads", {20, 20, 200, 30}), box({10, 60, 80, 60}, Qt::darkGreen)};
    auto pic = std::make_shared<QBXImage>();
    pic->setFilePath(path);
    pic->setBounds(QRectF(120, 60, 90, 60));
    pic->rotate_image = 30;
    pic->blr_val = 2;
    pic->sat_val = 0.5f;
    g.push_back(pic);
    const CardRenderContext ctx = card(1);
    std::vector<QImage> out(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            for (int k = 0; k < 5; ++k)
                out[i] = QBXRenderingView::image_From_Card_Graphics(g, false, ctx).toImage(300);
        });
    for (auto& t : threads)
        joinWithinDeadline(t, "a thread rendering the card");
    ASSERT_FALSE(out[0].isNull());
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(out[i], out[0]) << i;
}

TEST(Rendering, DrawingIntoAHighResolutionDeviceMatchesTheRaster)
{
    // A printer-like device: 300 dpi of its own, painted in points.
    GraphicList g{label("Printed words", {20, 20, 200, 40}), box({10, 80, 100, 40}, Qt::red)};
    const CardPicture pic = QBXRenderingView::image_From_Card_Graphics(g, false, card());
    const QImage raster = pic.toImage(300);
    QImage device(raster.size(), QImage::Format_ARGB32_Premultiplied);
    device.setDotsPerMeterX(11811);
    device.setDotsPerMeterY(11811);
    device.fill(Qt::transparent);
    {
        QPainter p(&device);
        p.setRenderHint(QPainter::Antialiasing);
        pic.draw(p, QRectF(0, 0, raster.width(), raster.height()));
    }
    const QRect a = probe::inkBox(raster.copy(0, 0, 1050, 300), QColor(240, 240, 200), 60);
    const QRect b = probe::inkBox(device.copy(0, 0, 1050, 300), QColor(240, 240, 200), 60);
    EXPECT_NEAR(a.width(), b.width(), 3);
    EXPECT_NEAR(a.height(), b.height(), 3);
}
