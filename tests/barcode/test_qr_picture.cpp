// The QR painter: module size, quiet zone, transparency and the raised picture.
#include "barcode/BarcodeGlobals.h"
#include "barcode/QRSymbolEncoder.h"
#include "support_2d_decode.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<DataMatrix> version1() { return QRSymbolEncoder::encodeCStringWithECLevel(1, 1, "CARDWRIGHT"); }

bool opaqueWhite(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(255, 255, 255, 255); }
bool transparent(const QImage& img, int x, int y) { return img.pixelColor(x, y).alpha() == 0; }
bool black(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(0, 0, 0, 255); }

} // namespace

TEST(QRPicture, FourModulesOfOpaqueQuietZone)
{
    const auto m = version1();
    ASSERT_TRUE(m);
    ASSERT_EQ(m->dimension(), 21);
    // S = 100: module 100 div 29 = 3, symbol 63 px at 18 .. 80.
    const QImage a = QRSymbolEncoder::paintDataMatrix(m.get(), 100);
    ASSERT_EQ(a.size(), QSize(100, 100));
    EXPECT_EQ(a.format(), QImage::Format_RGBA8888);
    EXPECT_TRUE(black(a, 18, 18));          // top-left finder corner
    EXPECT_TRUE(black(a, 80, 18));          // top-right finder corner
    EXPECT_TRUE(opaqueWhite(a, 17, 18));    // quiet zone
    EXPECT_TRUE(opaqueWhite(a, 6, 6));      // four modules out
    EXPECT_TRUE(transparent(a, 5, 5));      // beyond the quiet zone
    EXPECT_TRUE(opaqueWhite(a, 81 + 11, 81 + 11));
    EXPECT_TRUE(transparent(a, 99, 99));
    // S = 101: the odd pixel goes right and bottom.
    const QImage b = QRSymbolEncoder::paintDataMatrix(m.get(), 101);
    EXPECT_TRUE(black(b, 19, 19));
    EXPECT_TRUE(opaqueWhite(b, 18, 19));
    EXPECT_TRUE(black(b, 81, 19));
    EXPECT_TRUE(opaqueWhite(b, 82, 19));

    // S = 84 used to have no quiet zone at all.
    const QImage c = QRSymbolEncoder::paintDataMatrix(m.get(), 84);
    EXPECT_TRUE(opaqueWhite(c, 20, 21));
    for (const auto& [img, bg] : {std::pair{a, Qt::black}, std::pair{b, Qt::darkBlue}, std::pair{c, Qt::black}}) {
        const auto d = twod::decodeImage(img, twod::Kind::QR, bg);
        ASSERT_TRUE(d.valid);
        EXPECT_EQ(d.bytes, "CARDWRIGHT");
    }
    // Too small for four modules, large enough for the symbol: painted on
    // n + 8 pixels, one per module, with the whole quiet zone.
    const QImage tight = QRSymbolEncoder::paintDataMatrix(m.get(), 25);
    ASSERT_EQ(tight.size(), QSize(29, 29));
    EXPECT_TRUE(black(tight, 4, 4));
    EXPECT_TRUE(opaqueWhite(tight, 0, 0));
}

TEST(QRPicture, NoPictureForImpossibleSizes)
{
    const auto m = version1();
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(m.get(), 20).isNull());   // smaller than 21 modules
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(m.get(), 0).isNull());
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(m.get(), -5).isNull());
    const DataMatrix empty(0);
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(&empty, 100).isNull());
    EXPECT_TRUE(QRSymbolEncoder::renderDataMatrix(&empty, 100).isNull());
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(nullptr, 100).isNull());
    EXPECT_TRUE(QRSymbolEncoder::renderDataMatrix(m.get(), 20).isNull());
    EXPECT_TRUE(QRSymbolEncoder::paintDataMatrix(m.get(), 100000).isNull());   // 40 GB: refused, not tried
}

TEST(QRPicture, RaisedToTheResolution)
{
    const auto m = version1();
    USED_DPI_VALUE = 600;
    const PointPicture p = QRSymbolEncoder::renderDataMatrix(m.get(), 100);
    ASSERT_FALSE(p.isNull());
    EXPECT_EQ(p.size(), QSizeF(100, 100));
    EXPECT_EQ(p.raster().size(), QSize(834, 834));
    const auto d = twod::decodeImage(p.raster(), twod::Kind::QR, Qt::black);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, "CARDWRIGHT");

    USED_DPI_VALUE = 0;
    EXPECT_TRUE(QRSymbolEncoder::renderDataMatrix(m.get(), 100).isNull());
    USED_DPI_VALUE = -300;
    EXPECT_TRUE(QRSymbolEncoder::renderDataMatrix(m.get(), 100).isNull());
    USED_DPI_VALUE = 600;
}
