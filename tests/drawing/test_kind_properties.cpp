// Property dictionaries of the line, picture and text kinds.
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXText.h"
#include "support_probe.h"

#include <gtest/gtest.h>

TEST(KindProperties, LinePictureAndTextEntriesReadBack)
{
    QBXLine line;
    line.setBounds(QRectF(0, 0, 1, 1));
    line.setBeginPoint({10, 20});
    line.setEndPoint({5, 60});
    const QVariantMap lp = line.properties();
    EXPECT_FALSE(lp.contains("bounds"));
    EXPECT_EQ(lp.value("beginPoint").toString(), "{10, 20}");
    QBXLine back;
    back.initWithProperties(lp);
    EXPECT_EQ(back.beginPoint(), QPointF(10, 20));
    EXPECT_EQ(back.endPoint(), QPointF(5, 60));
    QBXLine empty;
    empty.initWithProperties({});
    EXPECT_EQ(empty.bounds(), QRectF());

    const QString path = probe::tempDir() + "/props.png";
    ASSERT_TRUE(probe::writePng(probe::quadrants(20, 10), path));
    QBXImage image;
    image.setFilePath(path);
    image.setFlippedVertically(true);
    const QVariantMap ip = image.properties();
    QBXImage imageBack;
    imageBack.initWithProperties(ip);
    EXPECT_EQ(imageBack._contents.size(), QSize(20, 10));
    EXPECT_TRUE(imageBack._isFlippedVertically);
    EXPECT_FALSE(imageBack._isFlippedHorizontally);
    QVariantMap wrong = ip;
    wrong.insert("contents", QString("not data"));
    wrong.insert("flippedVertically", QString("yes"));
    QBXImage ignored;
    ignored.initWithProperties(wrong);
    EXPECT_TRUE(ignored._contents.isNull());
    EXPECT_FALSE(ignored._isFlippedVertically);

    QBXText text;
    text.Text_contents().text = "Hello";
    QBXText textBack;
    textBack.initWithProperties(text.properties());
    ASSERT_TRUE(textBack.contents_val.has_value());
    EXPECT_EQ(textBack.contents_val->text, "Hello");
}
