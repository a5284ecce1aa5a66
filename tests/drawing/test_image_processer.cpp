// The picture effect chain, rotation, size cap and picture files.
#include "drawing/ImageProcesser.h"
#include "support_probe.h"

#include <QFile>
#include <gtest/gtest.h>
#include <cmath>

TEST(ImageProcesser, RotationTurnsIntoTheBoundingBox)
{
    const QImage q = probe::quadrants(100, 60);
    EXPECT_EQ(imageRotated(q, 0).constBits(), q.constBits());
    EXPECT_EQ(imageRotated(q, 360).constBits(), q.constBits());
    EXPECT_EQ(imageRotated(q, -720).constBits(), q.constBits());
    const QImage r90 = imageRotated(q, 90);
    EXPECT_EQ(r90.size(), QSize(60, 100));
    EXPECT_EQ(imageRotated(q, 450).size(), QSize(60, 100));
    // Counter-clockwise on the card: the top-right (green) quadrant goes top left.
    EXPECT_TRUE(probe::near(r90.pixel(5, 5), Qt::green));
    EXPECT_TRUE(probe::near(imageRotated(q, -90).pixel(5, 5), Qt::blue));
    EXPECT_EQ(imageRotated(q, 180).size(), QSize(100, 60));
    // 45 degrees: a 100 x 100 square becomes about 141 x 141, corners kept.
    const QImage sq = probe::quadrants(100, 100);
    const QImage r45 = ImageProcesser::adjust_Rotate(sq, 45);
    EXPECT_NEAR(r45.width(), 141, 2);
    EXPECT_NEAR(r45.height(), 141, 2);
    EXPECT_GT(qAlpha(r45.pixel(r45.width() / 2, 2)), 200);   // a corner at the top centre
    EXPECT_EQ(qAlpha(r45.pixel(2, 2)), 0);                    // outside the turned square
    // The chain rotates by whole degrees and keeps the resolution.
    const QImage chain = ImageProcesser::Get_Processed_Image(probe::quadrants(100, 60, 300), false, false, false,
                                                             0, 1, 0, 1, 90, 0, 0, 0, 100);
    EXPECT_EQ(chain.size(), QSize(60, 100));
    EXPECT_EQ(chain.dotsPerMeterX(), 11811);
    EXPECT_TRUE(ImageProcesser::Get_Processed_Image(q, false, false, false, NAN, 1, 0, 1, 0, 0, 0, 0, 100).isNull());
}

TEST(ImageProcesser, SizeCapResolutionAndTint)
{
    EXPECT_EQ(ImageProcesser::Set_Dimaension({1000, 300}), QSizeF(724, 300));
    EXPECT_EQ(ImageProcesser::Set_Dimaension({300, 1000}), QSizeF(300, 468));
    EXPECT_EQ(ImageProcesser::Set_Dimaension({1000, 1000}), QSizeF(724, 468));
    const QImage q = probe::quadrants(300, 150, 300);
    EXPECT_EQ(drawing::pointSizeOf(q), QSizeF(72, 36));
    EXPECT_EQ(drawing::pointSizeOf(setDPI(q, 150)), QSizeF(144, 72));
    EXPECT_EQ(setDPI(q, 0).dotsPerMeterX(), q.dotsPerMeterX());
    EXPECT_EQ(setDPI(q, -5).dotsPerMeterX(), q.dotsPerMeterX());
    EXPECT_EQ(drawing::pointSizeOf(normalizeSize(q)), QSizeF(300, 150));
    EXPECT_TRUE(bitmapImageRepresentation(QImage()).isNull());
    const QImage tinted = ImageProcesser::imageTintedWithColor(q, Qt::black);
    EXPECT_TRUE(probe::near(tinted.pixel(10, 10), Qt::black));
    EXPECT_EQ(ImageProcesser::imageTintedWithColor(q, QColor()).constBits(), q.constBits());
}

TEST(ImageProcesser, DrawingCopyIsReducedNeutralAndCached)
{
    auto pic = drawing::pictureFor(platform::StoredPicture(probe::quadrants(400, 200)));
    ASSERT_TRUE(pic);
    // Neutral effects at or above the picture's size: the picture itself.
    EXPECT_EQ(ImageProcesser::processForDrawing(pic, {}, QSize(800, 400)).constBits(), pic->image.constBits());
    // Reduced to the drawn size; blur keeps the box.
    PictureEffects blur;
    blur.blur = 10;
    const QImage small = ImageProcesser::processForDrawing(pic, blur, QSize(100, 50));
    EXPECT_EQ(small.size(), QSize(100, 50));
    EXPECT_TRUE(probe::near(small.pixel(2, 2), Qt::red, 4));
    EXPECT_EQ(ImageProcesser::processForDrawing(pic, blur, QSize(100, 50)).constBits(), small.constBits());
    PictureEffects gray;
    gray.gray = true;
    const QImage g = ImageProcesser::processForDrawing(pic, gray, QSize(400, 200));
    EXPECT_EQ(qRed(g.pixel(300, 10)), qGreen(g.pixel(300, 10)));
    PictureEffects bad;
    bad.ev = INFINITY;
    EXPECT_TRUE(ImageProcesser::processForDrawing(pic, bad, QSize(10, 10)).isNull());
}

TEST(ImageProcesser, PictureFilesByContentAndBadFiles)
{
    const QString dir = probe::tempDir();
    // A PNG under a .jpg name is read by its content, with its resolution.
    ASSERT_TRUE(probe::writePng(probe::quadrants(300, 150, 300), dir + "/photo.jpg"));
    auto pic = drawing::loadPicture(dir + "/photo.jpg");
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->pointSize, QSizeF(72, 36));
    EXPECT_EQ(drawing::loadPicture(dir + "/photo.jpg"), pic); // cached
    EXPECT_FALSE(drawing::loadPicture(dir + "/none.png"));
    QFile corrupt(dir + "/corrupt.png");
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("\x89PNG\r\n\x1a\n garbage");
    corrupt.close();
    EXPECT_FALSE(drawing::loadPicture(dir + "/corrupt.png"));
    QFile empty(dir + "/empty.png");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(drawing::loadPicture(dir + "/empty.png"));
    // The natural-size cap of a picture wider than a card.
    ASSERT_TRUE(probe::writePng(probe::quadrants(1000, 300), dir + "/wide.png"));
    auto wide = drawing::loadPicture(dir + "/wide.png");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->image.size(), QSize(1000, 300));
    EXPECT_EQ(drawing::cappedPointSize(wide->pointSize), QSizeF(724, 300));
}

TEST(ImageProcesser, HugePicturesAreReadScaledDown)
{
    // 8000 x 7000 = 56 megapixels, over the full-size limit: read scaled, aspect kept.
    QImage big(8000, 7000, QImage::Format_RGB32);
    big.fill(Qt::red);
    big.setDotsPerMeterX(2835);
    big.setDotsPerMeterY(2835);
    const QString path = probe::tempDir() + "/huge.png";
    ASSERT_TRUE(big.save(path, "PNG", 90));
    big = QImage();
    auto pic = drawing::loadPicture(path);
    ASSERT_TRUE(pic);
    EXPECT_LE(qint64(pic->image.width()) * pic->image.height(), platform::kMaxDecodePixels);
    EXPECT_NEAR(double(pic->image.width()) / pic->image.height(), 8000.0 / 7000.0, 0.01);
    EXPECT_NEAR(pic->pointSize.width(), 8000, 20); // still the full picture's size in points
}
