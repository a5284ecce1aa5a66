// Unit conversion, the designer's size steps, band sizes, the model's
// defaults and archive, and the resolution raise with its clamps.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <QPainter>

#include "barcode/BCXCode39Barcode.h"
#include "barcode/BCXPostalBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/BarcodeText.h"
#include "support_barcode.h"

namespace {
class Sizes : public ::testing::Test {
protected:
    void SetUp() override { bt::resetDesigner(QStringLiteral("Code 39")); }
    Barcode_Gen& gen() { return *Barcode_Gen::defaultInstance(); }
};

// A model whose bars are exactly w points wide.
std::unique_ptr<BCXBarcode> barsOfWidth(float w)
{
    auto b = std::make_unique<BCXBarcode>();
    b->initWithContent_printsCaption(QStringLiteral("A"), false);
    b->setWidth(w);
    return b;
}

PointPicture picture(double w, double h)
{
    QImage img(10, 10, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    return PointPicture::fromImage(img, QSizeF(w, h));
}
}

TEST_F(Sizes, UnitsConvertWithTheFixedCentimetreFactor)
{
    Measument_Unit_Is = 1;
    EXPECT_NEAR(Barcode_Gen::To_Points(0.1f), 2.8346472, 1e-6);
    EXPECT_NEAR(Barcode_Gen::To_Points(0.6f), 17.007883, 1e-5);
    Measument_Unit_Is = 2;
    EXPECT_NEAR(Barcode_Gen::To_Points(1.0f), 2.8346472, 1e-6);
    Measument_Unit_Is = 0;
    EXPECT_FLOAT_EQ(Barcode_Gen::To_Points(0.5f), 36.0f);
    Measument_Unit_Is = 1;
    gen().Read_Margins(true);
    EXPECT_NEAR(gen().TB_margin, 2.8346472, 1e-6);
    gen().captionCheckbox.state = 1;
    gen().hideHeaderCheckbox.state = 1;
    gen().Read_Margins(true);
    EXPECT_EQ(gen().value_margin, 0.0f);
    EXPECT_EQ(gen().header_margin, 0.0f);
    EXPECT_NEAR(gen().footer_margin, 2.8346472, 1e-6);
}

TEST_F(Sizes, LinearAndTwoDimensionalSizeSteps)
{
    gen().LR_mar_Text.text = QStringLiteral("0");
    auto b = barsOfWidth(200);
    EXPECT_FLOAT_EQ(gen().Set_Linear_Barcode_Width(*b), 200.0f);
    gen().LR_mar_Text.text = QStringLiteral("0.1");
    EXPECT_NEAR(gen().Set_Linear_Barcode_Width(*b), 220.669294, 1e-4);

    // A header wider than the bars sets the width; hiding it restores it.
    gen().LR_mar_Text.text = QStringLiteral("0");
    b->setHeaderWidth(260);
    EXPECT_FLOAT_EQ(gen().Set_Linear_Barcode_Width(*b), 260.0f);
    gen().hideHeaderCheckbox.state = 1;
    EXPECT_FLOAT_EQ(gen().Set_Linear_Barcode_Width(*b), 200.0f);

    // Linear height: bar height plus every printed band and margin.
    gen().Restore_Defaults();
    auto c = bt::make(QStringLiteral("Code 39"), QStringLiteral("AB"));
    ASSERT_TRUE(c);
    const double m = 2.8346472;
    const double expected = 17.007883 + c->captionHeight() * 72 + c->headerHeight() * 72 + c->footerHeight() * 72
        + 3 * m + 2 * m;
    EXPECT_NEAR(c->height(), expected, 1e-3);
    EXPECT_NEAR(c->barTop(0), 17.007883, 1e-3);
    EXPECT_NEAR(c->captionHeight() * 72, barcode_text::lineHeight(gen().value_font), 1e-4);
    // As drawn: 2 points of letter spacing after each of the six characters.
    EXPECT_NEAR(c->headerWidth(), barcode_text::naturalSize(QStringLiteral("HEADER"), gen().header_font).width() + 12,
                0.05);

    // 2-D: hidden bands and no top/bottom margin leave the symbol's height.
    gen().hideHeaderCheckbox.state = gen().hideFooterCheckbox.state = 1;
    gen().TB_mar_Text.text = QStringLiteral("0");
    gen().captionCheckbox.state = 0;
    gen().setPrintsCaption(true);
    gen().setCaptionHeight(1);
    gen().Set_2d_Barcode_Height(picture(80, 100));
    EXPECT_FLOAT_EQ(gen().height(), 100.0f);
    gen().LR_mar_Text.text = QStringLiteral("0.1");
    gen().Set_2d_Barcode_Width(picture(80, 100));
    EXPECT_NEAR(gen().width(), 80 + 5.669294 + 15, 1e-4);
}

TEST_F(Sizes, BandsFollowTheFonts)
{
    EXPECT_EQ(gen().header(), QLatin1String(""));
    gen().setHeader(QLatin1String(""));
    gen().setHeaderFontSize(10);
    EXPECT_EQ(gen().headerWidth(), 0.0f);
    // The band is the font's line as drawn: taller than the letters, about
    // one to one and a half times the size.
    for (double size : {8.0, 10.0, 14.0}) {
        gen().header_font.setPointSizeF(size);
        gen().setHeaderFontSize(float(size));
        const double line = gen().headerHeight() * 72;
        EXPECT_NEAR(line, barcode_text::lineHeight(gen().header_font), 1e-4);
        EXPECT_GT(line, 1.35 * barcode_text::capHeight(gen().header_font));
        EXPECT_LT(line, 1.5 * size);
    }
}

TEST_F(Sizes, ModelDefaultsCopyAndArchive)
{
    BCXBarcode base;
    ASSERT_FALSE(base.initWithContent(QString()));
    ASSERT_TRUE(base.initWithContent(QStringLiteral("ABC")));
    EXPECT_FLOAT_EQ(base.barWidth(), 0.936f);
    EXPECT_FLOAT_EQ(base.height(), 36.0f);
    EXPECT_FLOAT_EQ(base.caption_fontSize(), 6.0f);
    EXPECT_EQ(base.checkDigit(), -1);
    EXPECT_FLOAT_EQ(base.width(), 12 * 0.936f);
    EXPECT_EQ(base.header(), QLatin1String(""));
    EXPECT_EQ(base.caption(), QStringLiteral("ABC"));
    EXPECT_TRUE(base.leftCaption().isEmpty());

    BCXCode39Barcode code;
    code.initWithContent_printsCaption(QStringLiteral("ABC"), true);
    code.setCaptionHeight(0.2f);
    code.setHeader(QStringLiteral("H"));
    EXPECT_TRUE(code.isEqual(base));
    auto copy = code.copy();
    EXPECT_STREQ(copy->className(), "BCXCode39Barcode");
    EXPECT_EQ(copy->completeBarcode(), code.completeBarcode());

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        code.encodeWithCoder(out);
    }
    QDataStream in(bytes);
    auto back = BCXBarcode::initWithCoder(in, code);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->content(), QStringLiteral("ABC"));
    EXPECT_FLOAT_EQ(back->captionHeight(), 0.2f);
    EXPECT_FLOAT_EQ(back->width(), code.width());
    EXPECT_TRUE(back->printsCaption());
    EXPECT_EQ(back->header(), QLatin1String(""));
    QDataStream truncated(bytes.left(5));
    EXPECT_FALSE(BCXBarcode::initWithCoder(truncated, code));
}

TEST_F(Sizes, JapanPostPointSizeAndPictureHeight)
{
    JapanPostBarcode j;
    j.initWithContent_printsCaption(QStringLiteral("1234567"), true);
    j.setHeight(20);
    EXPECT_FLOAT_EQ(j.pointSize(), 11.5f);
    EXPECT_FLOAT_EQ(j.barWidth(), 11.5f / 6);
    EXPECT_FLOAT_EQ(j.height(), 20.0f); // the picture keeps its height
    j.setBarWidth(1);
    EXPECT_FLOAT_EQ(j.barWidth(), 8.0f / 6);
    EXPECT_FLOAT_EQ(j.pointSize(), 8.0f);

    // With a tiny bar height the picture still holds every band and the
    // tallest bar, for every four-state and height-modulated symbology.
    gen().HeightText.text = QStringLiteral("0.05");
    const std::pair<const char*, const char*> postal[] = {{"Japan Post Barcode", "1234567-8"},
                                                          {"Royal Mail Barcode (RM4SCC / CBC)", "SN34RD1A"},
                                                          {"PostNet", "12345"}};
    for (const auto& [title, value] : postal) {
        auto b = bt::make(QString::fromLatin1(title), QString::fromLatin1(value));
        ASSERT_TRUE(b) << title;
        EXPECT_GE(b->height() + 1e-3f, b->bandsHeight() + tallestBarOf(*b)) << title;
        const std::string& m = b->completeBarcode();
        for (size_t i = 0; i < m.size(); ++i) {
            if (m[i] == '1') {
                EXPECT_LE(b->barTop(int(i)), b->height() - b->bandsHeight() + 1e-3f) << title << " " << i;
            }
        }
    }
}

TEST_F(Sizes, ResolutionRaiseKeepsPointsAndClampsPixels)
{
    auto raised = gen().Increase_DPI(picture(100, 50), 600);
    EXPECT_EQ(raised.raster().size(), QSize(834, 417));
    EXPECT_EQ(raised.size(), QSizeF(100, 50));
    EXPECT_EQ(gen().Increase_DPI(picture(100, 50), 72).raster().size(), QSize(100, 50));
    // 0 and NaN read as the lowest resolution, a huge one as the highest.
    EXPECT_EQ(gen().Increase_DPI(picture(100, 50), 0).raster().size(), QSize(100, 50));
    EXPECT_EQ(gen().Increase_DPI(picture(100, 50), std::nan("")).raster().size(), QSize(100, 50));
    EXPECT_EQ(gen().Increase_DPI(picture(100, 50), 1e12).raster().size(), QSize(3334, 1667));
    // A raster beyond the byte budget is refused, never allocated.
    EXPECT_TRUE(gen().Increase_DPI(picture(1e5, 1e5), 600).isNull());
    EXPECT_TRUE(gen().Increase_DPI(PointPicture(), 600).isNull());
    EXPECT_TRUE(gen().Increase_DPI(picture(0, 50), 600).isNull());
    // Interpolation is off: a two-colour source stays two-coloured.
    QImage two(2, 1, QImage::Format_ARGB32_Premultiplied);
    two.setPixel(0, 0, qRgb(0, 0, 0));
    two.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage up = gen().Increase_DPI(PointPicture::fromImage(two, QSizeF(2, 1)), 720).raster();
    ASSERT_EQ(up.size(), QSize(20, 10));
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(qRed(up.pixel(x, 5)), x < 10 ? 0 : 255) << x;
}
