// The designer's 2-D pipeline: QR Code, PDF417 and Data Matrix values into
// composed pictures, headless and on worker threads, read back by an
// independent decoder.
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/PDF417_View.h"
#include "support/bounded_wait.h"
#include "support_2d_decode.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

Barcode_Gen& designer(const char* title)
{
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    g.Restore_Defaults();
    g.liner_or_2D_font = 1;
    g.barcodeTypePopup = QString::fromLatin1(title);
    QR_Version_Val = 0;
    QR_EC_Level_Val = 1;
    USED_DPI_VALUE = 300;
    return g;
}

twod::Decoded readPicture(const PointPicture& p, twod::Kind kind, const QColor& bg = Qt::white)
{
    if (p.isNull())
        return {};
    return twod::decodeImage(p.toImage(300), kind, bg);
}

} // namespace

TEST(QR2D, HeadlessPictureDecodes)
{
    Barcode_Gen& g = designer("QR Code");
    const QString value = QStringLiteral("https://example.org/Gr\u00fc\u00dfe \u20ac \u65e5\u672c\u8a9e");
    const PointPicture p = g.Get_Image_From_Val(value, QStringLiteral("HEADER"), QStringLiteral("FOOTER"));
    ASSERT_FALSE(p.isNull()) << g.last_failure.toStdString();
    EXPECT_FALSE(g.image_2d.isNull());
    EXPECT_EQ(g.image_2d.size(), QSizeF(60, 60));
    EXPECT_GE(p.size().width(), 60);
    const auto d = readPicture(p, twod::Kind::QR);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, value.toUtf8().toStdString());
    EXPECT_EQ(d.ecLevel, "M");
    // The symbol itself on a black card: its quiet zone is opaque.
    const auto onBlack = twod::decodeImage(g.image_2d.raster(), twod::Kind::QR, Qt::black);
    ASSERT_TRUE(onBlack.valid);
    EXPECT_EQ(onBlack.bytes, d.bytes);
}

TEST(QR2D, NoPictureIsEverAnEarlierOne)
{
    Barcode_Gen& g = designer("QR Code");
    ASSERT_FALSE(g.Get_Image_From_Val(QStringLiteral("FIRST"), {}, {}).isNull());
    // Does not fit version 1: no picture, the first one is gone.
    QR_Version_Val = 1;
    EXPECT_TRUE(g.Get_Image_From_Val(QString(100, QLatin1Char('k')), {}, {}).isNull());
    EXPECT_TRUE(g.image_2d.isNull());
    // A damaged design: level or version outside the tables.
    QR_Version_Val = 0;
    QR_EC_Level_Val = 7;
    EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("X"), {}, {}).isNull());
    QR_EC_Level_Val = 0;
    QR_Version_Val = 41;
    EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("X"), {}, {}).isNull());
    QR_Version_Val = 0;
    // Sizes that cannot hold the symbol, and no resolution.
    for (const char* size : {"0", "-60", "20", "abc"}) {
        g.HeightText_2D.text = QString::fromLatin1(size);
        EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("X"), {}, {}).isNull()) << size;
    }
    g.HeightText_2D.text = QStringLiteral("60");
    USED_DPI_VALUE = 0;
    EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("X"), {}, {}).isNull());
    USED_DPI_VALUE = 300;
    // An empty value touches nothing.
    ASSERT_FALSE(g.Get_Image_From_Val(QStringLiteral("KEEP"), {}, {}).isNull());
    EXPECT_TRUE(g.Get_Image_From_Val(QString(), {}, {}).isNull());
    EXPECT_FALSE(g.image_2d.isNull());
}

TEST(DataMatrix2D, PictureSizeFollowsTheModule)
{
    Barcode_Gen& g = designer("DataMatrix");
    g.dm_format_ComboBox = QStringLiteral("C16X16");
    g.dm_moduleText_2D.text = QStringLiteral("3");
    const PointPicture p = g.Get_Image_From_Val(QStringLiteral("Card 2026"), {}, {});
    ASSERT_FALSE(p.isNull()) << g.last_failure.toStdString();
    EXPECT_EQ(g.image_2d.size(), QSizeF(48, 48));
    EXPECT_EQ(g.image_2d.raster().size(), QSize(75, 75));   // 18 units at 300 dpi
    const auto d = readPicture(p, twod::Kind::DataMatrix, Qt::black);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, "Card 2026");

    EXPECT_EQ(d.orientation, 0);
    EXPECT_FALSE(d.mirrored);

    // The raster road composes over white too, so the symbol's transparent
    // border never shows the card through.
    const QImage raster = BCXBarcodeImage::rasterFromBarcodeImage(g.image_2d, 300);
    ASSERT_FALSE(raster.isNull());
    const auto r = twod::decodeImage(raster, twod::Kind::DataMatrix, Qt::black);
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.bytes, "Card 2026");
}

TEST(DataMatrix2D, EachCompositionIsSizedByItsOwnSymbol)
{
    // A small QR preview first, then a large Data Matrix: the composed
    // frame follows the Data Matrix symbol, nothing is clipped.
    Barcode_Gen& g = designer("QR Code");
    g.HeightText_2D.text = QStringLiteral("30");
    ASSERT_FALSE(g.Get_Image_From_Val(QStringLiteral("A"), {}, {}).isNull());
    g.barcodeTypePopup = QStringLiteral("DataMatrix");
    g.dm_format_ComboBox = QStringLiteral("C64X64");
    g.dm_moduleText_2D.text = QStringLiteral("3");
    const QString value(200, QLatin1Char('m'));
    const PointPicture p = g.Get_Image_From_Val(value, QStringLiteral("H"), QStringLiteral("F"));
    ASSERT_FALSE(p.isNull());
    EXPECT_GE(p.size().width(), 192);
    EXPECT_GE(p.size().height(), 192);
    const auto d = readPicture(p, twod::Kind::DataMatrix);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, value.toStdString());
}

TEST(DataMatrix2D, RefusedValuesGiveNoPicture)
{
    Barcode_Gen& g = designer("DataMatrix");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    g.dm_format_ComboBox = QStringLiteral("C11X11");
    EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("abc"), {}, {}).isNull());
    g.dm_format_ComboBox = QStringLiteral("Auto");
    EXPECT_TRUE(g.Get_Image_From_Val(QString(3116, QLatin1Char('x')), {}, {}).isNull());
    EXPECT_TRUE(g.image_2d.isNull());
    const std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_NE(err.find("Invalid size 11x11"), std::string::npos);
    // A module size below one.
    g.dm_moduleText_2D.text = QStringLiteral("0");
    EXPECT_TRUE(g.Get_Image_From_Val(QStringLiteral("abc"), {}, {}).isNull());
}

TEST(PDF4172D, HeadlessPictureDecodes)
{
    Barcode_Gen& g = designer("PDF417");
    const PointPicture p = g.Get_Image_From_Val(QStringLiteral("HELLO"), {}, {});
    ASSERT_FALSE(p.isNull()) << g.last_failure.toStdString();
    EXPECT_EQ(g.image_2d.size(), QSizeF(100, 20));
    EXPECT_EQ(readPicture(p, twod::Kind::PDF417).bytes, "HELLO");
}

TEST(PDF4172D, AFailedEncodingNeverShowsThePreviousPicture)
{
    Barcode_Gen& g = designer("PDF417");
    g.Get_Image_From_Val(QStringLiteral("FIRST"), {}, {});
    ASSERT_TRUE(g.pdf_barcode);
    // The view still holds a picture of an earlier value.
    QImage earlier(10, 10, QImage::Format_ARGB32);
    earlier.fill(Qt::black);
    g.pdf_barcode->pdf417_Picture = PointPicture::fromImage(earlier, QSizeF(100, 20));
    EXPECT_TRUE(g.Get_Image_From_Val(QString(5421, QLatin1Char('a')), {}, {}).isNull());
    EXPECT_TRUE(g.image_2d.isNull());
    EXPECT_FALSE(g.pdf_barcode->getImage().isNull());
}

TEST(PDF4172D, ViewStates)
{
    PDF417_View view;
    view.setFrameSize(QSizeF(100, 20));
    EXPECT_TRUE(view.getImage().isNull());
    EXPECT_EQ(view.getErrorLevel(), 2);
    view.setErrorLevel(5);
    EXPECT_EQ(view.getErrorLevel(), 5);
    EXPECT_EQ(view.drawWithText(QString()), 1);
    // Outside Latin-1: refused before encoding.
    EXPECT_EQ(view.drawWithText(QStringLiteral("\u20ac")), 2);
    EXPECT_EQ(view.drawWithText(QString(5421, QLatin1Char('a'))), 2);
    EXPECT_EQ(view.p.error, PDF417_ERROR_TEXT_TOO_BIG);
    EXPECT_EQ(view.p.outBits, nullptr);
    EXPECT_TRUE(view.getImage().isNull());

    QImage canvas(10, 10, QImage::Format_ARGB32);
    view.imageState = 1;
    {
        QPainter p(&canvas);
        view.paint(p, QRectF(0, 0, 10, 10));
    }
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::lightGray));
    view.draw();   // no text source: logged only
}

TEST(Pipeline2D, WorkerThreadsAndTools)
{
    Barcode_Gen& g = designer("QR Code");
    PointPicture fromThread;
    std::thread worker([&] { fromThread = g.Get_Image_From_Val(QStringLiteral("WORKER"), {}, {}); });
    joinWithinDeadline(worker, "a worker making a symbol");
    ASSERT_FALSE(fromThread.isNull());
    EXPECT_EQ(readPicture(fromThread, twod::Kind::QR).bytes, "WORKER");

    // Composing again from the cached symbol, without encoding.
    const PointPicture again = g.Get_2d_barcode_from_image();
    ASSERT_FALSE(again.isNull());
    EXPECT_EQ(again.size(), fromThread.size());
    EXPECT_EQ(g.Check_Orintation_And_Rotate_Image(again).size(), again.size());

    const PointPicture small = g.Resize_Image(g.image_2d, QSizeF(40.7, 30.2));
    ASSERT_FALSE(small.isNull());
    EXPECT_EQ(small.raster().size(), QSize(40, 30));
    EXPECT_TRUE(g.Resize_Image(PointPicture(), QSizeF(10, 10)).isNull());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("qr.png"));
    QFile(path).open(QIODevice::WriteOnly);
    EXPECT_TRUE(g.Save_Barcode_image(g.image_2d, path));
    EXPECT_EQ(QImage(path).size(), g.image_2d.raster().size());
    EXPECT_FALSE(g.Save_Barcode_image(g.image_2d, path + QStringLiteral("/inside-a-file.png")));
    g.Save_Barcode_gen_image(g.image_2d, path);

    g.Set_Blank_Image();
    EXPECT_TRUE(g.image_2d.isNull());
    EXPECT_TRUE(g.Get_2d_barcode_from_image().isNull());
}
