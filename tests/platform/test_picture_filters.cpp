// Picture filters: probe colours, alpha, size and resolution, neutral values.
#include "platform/picture_filters.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace platform::filters;

namespace {

QImage probeImage()
{
    // Four probe colours in 2x2 blocks of 4 px, the last half transparent.
    QImage img(8, 8, QImage::Format_ARGB32);
    img.setDotsPerMeterX(11811); // 300 dpi
    img.setDotsPerMeterY(11811);
    const QRgb colours[4] = {qRgba(200, 40, 40, 255), qRgba(40, 180, 60, 255), qRgba(30, 60, 220, 255),
                             qRgba(250, 250, 250, 128)};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, colours[(y / 4) * 2 + x / 4]);
    return img;
}

void expectNear(QRgb got, int r, int g, int b, int a = -1)
{
    EXPECT_NEAR(qRed(got), r, 3);
    EXPECT_NEAR(qGreen(got), g, 3);
    EXPECT_NEAR(qBlue(got), b, 3);
    if (a >= 0) {
        EXPECT_EQ(qAlpha(got), a);
    }
}

} // namespace

TEST(PictureFilters, NeutralValuesReturnTheInputBitForBit)
{
    const QImage in = probeImage();
    EXPECT_EQ(hue(in, 0.0), in);
    EXPECT_EQ(colorControls(in, 1.0, 0.0, 1.0), in);
    EXPECT_EQ(sharpen(in, 0.0), in);
    EXPECT_EQ(boxBlur(in, 0.0), in);
    EXPECT_EQ(exposure(in, 0.0), in);
    EXPECT_EQ(gamma(in, 1.0), in);
    EXPECT_EQ(hue(in, std::nan("")), in);
    // Sharing the data proves nothing was recomputed.
    EXPECT_EQ(exposure(in, 0.0).constBits(), in.constBits());
}

TEST(PictureFilters, PointFiltersOnProbeColoursKeepAlphaSizeAndResolution)
{
    const QImage in = probeImage();
    const QImage g = grayScale(in);
    ASSERT_EQ(g.size(), in.size());
    EXPECT_EQ(g.dotsPerMeterX(), 11811);
    const int y = int(std::lround(0.2126 * 200 + 0.7152 * 40 + 0.0722 * 40));
    expectNear(g.pixel(0, 0), y, y, y, 255);
    expectNear(g.pixel(7, 7), 250, 250, 250, 128);

    expectNear(invert(in).pixel(0, 0), 55, 215, 215, 255);
    expectNear(invert(in).pixel(7, 7), 5, 5, 5, 128);

    // Sepia: the usual matrix on the red probe; alpha kept on the half-clear one.
    expectNear(sepia(in).pixel(0, 0), 117, 104, 81, 255);
    EXPECT_EQ(qAlpha(sepia(in).pixel(7, 7)), 128);

    // A full turn of hue is the identity, a third of a turn cycles R -> G -> B.
    expectNear(hue(in, 2 * M_PI).pixel(0, 0), 200, 40, 40);
    expectNear(hue(in, 2 * M_PI / 3).pixel(0, 0), 40, 200, 40);

    // Saturation 0 gives gray, brightness adds, contrast 0 gives mid gray.
    expectNear(colorControls(in, 0.0, 0.0, 1.0).pixel(0, 0), y, y, y);
    expectNear(colorControls(in, 1.0, 0.1, 1.0).pixel(4, 0), 66, 206, 86);
    expectNear(colorControls(in, 1.0, 0.0, 0.0).pixel(4, 4), 128, 128, 128);

    // Exposure +1 doubles linear light: sRGB 0.5 -> about 0.686.
    QImage mid(1, 1, QImage::Format_ARGB32);
    mid.fill(qRgba(128, 128, 128, 200));
    expectNear(exposure(mid, 1.0).pixel(0, 0), 175, 175, 175, 200);
    expectNear(gamma(mid, 2.0).pixel(0, 0), 64, 64, 64, 200);
}

TEST(PictureFilters, BlurKeepsTheBoxAndMeansNeighbours)
{
    QImage img(21, 21, QImage::Format_ARGB32);
    img.fill(qRgba(0, 0, 0, 255));
    img.setPixel(10, 10, qRgba(255, 255, 255, 255));
    const QImage b = boxBlur(img, 1.0);
    ASSERT_EQ(b.size(), img.size());
    expectNear(b.pixel(10, 10), 28, 28, 28, 255); // 255 / 9
    expectNear(b.pixel(9, 11), 28, 28, 28);
    expectNear(b.pixel(12, 10), 0, 0, 0);

    // Transparent pixels add no colour to their neighbours.
    QImage half(4, 1, QImage::Format_ARGB32);
    half.fill(qRgba(0, 0, 0, 0));
    half.setPixel(0, 0, qRgba(255, 0, 0, 255));
    half.setPixel(1, 0, qRgba(255, 0, 0, 255));
    const QRgb p = boxBlur(half, 1.0).pixel(1, 0);
    EXPECT_NEAR(qRed(p), 255, 1);
    EXPECT_NEAR(qAlpha(p), 170, 2);
}

TEST(PictureFilters, SharpenRaisesEdgeContrastOnly)
{
    QImage img(20, 4, QImage::Format_ARGB32);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 4; ++y)
            img.setPixel(x, y, x < 10 ? qRgb(100, 100, 100) : qRgb(160, 160, 160));
    const QImage s = sharpen(img, 1.0);
    EXPECT_LT(qRed(s.pixel(9, 1)), 100);
    EXPECT_GT(qRed(s.pixel(10, 1)), 160);
    EXPECT_EQ(qRed(s.pixel(0, 1)), 100); // flat areas stay
    EXPECT_EQ(qRed(s.pixel(19, 1)), 160);
}
