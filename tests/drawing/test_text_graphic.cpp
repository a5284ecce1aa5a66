// The text kind: blank text, case, point sizes, alignment, fitting, line
// breaks at every resolution and in PDF, font fallback.
#include "drawing/QBXRenderingView.h"
#include "drawing/QBXText.h"
#include "support_probe.h"

#include <QFontMetricsF>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<QBXText> text(const QString& s, const QString& font = "Times New Roman", double size = 14,
                              QRectF bounds = QRectF(10, 10, 200, 100))
{
    auto t = std::make_shared<QBXText>();
    t->Text_contents().text = s;
    t->text_ctrl_font = QFont(font);
    t->text_ctrl_font.setPointSizeF(size);
    t->txt_clr = Qt::black;
    t->_isDrawingFill = false;
    t->_isDrawingStroke = false;
    t->setBounds(bounds);
    return t;
}

QImage draw(QBXGraphic& g, QSizeF size = {240, 140}, double dpi = 72, DrawingContext dc = {})
{
    return probe::paintAt(size, dpi, [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, true);
        g.drawContentsInView(&p, dc, false);
    });
}

// Groups of rows holding ink: one per text line (gaps under minGap rows,
// such as above the dot of a "j", stay inside a line).
std::vector<std::pair<int, int>> inkLines(const QImage& img, int minGap = 4)
{
    std::vector<std::pair<int, int>> lines;
    bool in = false;
    for (int y = 0; y < img.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < img.width() && !ink; ++x)
            ink = qRed(img.pixel(x, y)) < 160;
        if (ink && !in && (lines.empty() || y - lines.back().second > minGap))
            lines.push_back({y, y});
        if (ink)
            lines.back().second = y;
        in = ink;
    }
    return lines;
}

const char* kLong = "The quick brown fox jumps over the lazy dog while the band plays on and on into the night";

} // namespace

TEST(TextGraphic, BlankTextDrawsNothingAndAsksNothing)
{
    int asked = 0;
    DrawingContext dc;
    dc.refreshCanvas = [&] { ++asked; };
    for (const char* blank : {"", "   ", " \n\t \r\n", " \x01\x02 "}) {
        auto t = text(blank);
        t->_isDrawingFill = t->_isDrawingStroke = true;
        t->_fillColor = Qt::red;
        EXPECT_TRUE(probe::inkBox(draw(*t, {240, 140}, 72, dc)).isNull()) << blank;
    }
    EXPECT_EQ(asked, 0);
    auto t = text("Hi");
    draw(*t, {240, 140}, 72, dc);
    EXPECT_EQ(asked, 1);
    t->Set_Ctrl_Is_Visible(false);
    EXPECT_TRUE(probe::inkBox(draw(*t, {240, 140}, 72, dc)).isNull());
    EXPECT_EQ(asked, 1);
}

TEST(TextGraphic, CaseIsAppliedToTheTrimmedString)
{
    auto t = text("  hello WORLD  ");
    EXPECT_EQ(t->drawnString(), "hello WORLD");
    t->text_transfrom_case = 1;
    EXPECT_EQ(t->drawnString(), "HELLO WORLD");
    t->text_transfrom_case = 2;
    EXPECT_EQ(t->drawnString(), "hello world");
    t->text_transfrom_case = 3;
    EXPECT_EQ(t->drawnString(), "Hello World");
    t->text_transfrom_case = 9;
    EXPECT_EQ(t->drawnString(), "hello WORLD");
}

TEST(TextGraphic, PointSizesHoldAtEveryResolution)
{
    QFont ref("Liberation Serif");
    ref.setPointSizeF(36);
    QImage dev(1, 1, QImage::Format_ARGB32);
    dev.setDotsPerMeterX(2835);
    dev.setDotsPerMeterY(2835);
    const double capPt = QFontMetricsF(ref, &dev).capHeight();
    ASSERT_GT(capPt, 20);
    for (double dpi : {72.0, 300.0}) {
        auto t = text("H", "Times New Roman", 36);
        const QRect box = probe::inkBox(draw(*t, {240, 140}, dpi));
        EXPECT_NEAR(box.height(), capPt * dpi / 72, 0.05 * capPt * dpi / 72) << dpi;
    }
}

TEST(TextGraphic, AlignmentAndBackgroundOrder)
{
    auto t = text("Word", "Liberation Sans", 20, QRectF(10, 10, 200, 40));
    const QRect left = probe::inkBox(draw(*t));
    t->text_alignmnet = 1;
    const QRect right = probe::inkBox(draw(*t));
    t->text_alignmnet = 2;
    const QRect centre = probe::inkBox(draw(*t));
    EXPECT_NEAR(left.left(), 11, 2);
    EXPECT_NEAR(right.right(), 209, 2);
    EXPECT_NEAR((centre.left() + centre.right()) / 2.0, 110, 2);
    EXPECT_EQ(left.width(), right.width());
    // Fill, then the dashed border, then the text on top.
    t->_isDrawingFill = t->_isDrawingStroke = true;
    t->_fillColor = Qt::yellow;
    t->_strokeColor = Qt::blue;
    t->_strokeWidth = 2;
    t->_stroke_border_type = "DD";
    t->_fill_type = "H"; // a text graphic fills hatch as solid
    const QImage img = draw(*t);
    EXPECT_TRUE(probe::near(img.pixel(100, 30), Qt::yellow) || qRed(img.pixel(100, 30)) < 100);
    EXPECT_TRUE(probe::near(img.pixel(20, 10), Qt::blue));
    EXPECT_TRUE(probe::near(img.pixel(20, 30), Qt::yellow));
}

TEST(TextGraphic, FittedTextStaysInsideItsBounds)
{
    // A 24 pt record font: the fit measures what is drawn, not the 14 pt seed.
    auto t = text(kLong, "Liberation Sans", 24, QRectF(10, 10, 150, 20));
    t->setHeightToMatchContents();
    const QRectF b = t->bounds();
    EXPECT_GT(b.height(), 100);
    const QImage img = draw(*t, {240, 400});
    const auto lines = inkLines(img);
    QImage dev(1, 1, QImage::Format_ARGB32);
    dev.setDotsPerMeterX(2835); // metrics in points
    dev.setDotsPerMeterY(2835);
    QFontMetricsF fm(t->drawnFont(), &dev);
    EXPECT_EQ(int(lines.size()), int(std::lround(b.height() / fm.lineSpacing())));
    const QRect box = probe::inkBox(img);
    EXPECT_GE(box.top(), b.top() - 1);
    EXPECT_LE(box.bottom(), b.bottom() + 1);
    // Every word is drawn: nothing is cut off at the bottom.
    CardRenderContext ctx;
    ctx.frame = QRectF(0, 0, 240, 400);
    const QString path = probe::writeTemp("fitted.pdf", QBXRenderingView::pdfDataWithGraphics_data({t}, ctx));
    EXPECT_EQ(QString::fromUtf8(probe::run("pdftotext", {path, "-"})).simplified(), QString(kLong));
    // Natural size never widens and keeps the origin.
    t->setBounds(QRectF(10, 10, 150, 5));
    t->makeNaturalSize();
    EXPECT_LE(t->bounds().width(), 150);
    EXPECT_EQ(t->bounds().topLeft(), QPointF(10, 10));
    EXPECT_NEAR(t->bounds().height(), b.height(), 0.01);
    t->ctrl_is_locked = true;
    t->setBounds(QRectF(10, 10, 150, 5));
    t->makeNaturalSize();
    EXPECT_EQ(t->bounds().height(), 5);
}

TEST(TextGraphic, SameLineBreaksAt72And300DpiAndInPdf)
{
    auto t = text(kLong, "Times New Roman", 13, QRectF(10, 10, 130, 200));
    const auto at72 = inkLines(draw(*t, {200, 240}, 72), 1);
    const auto at300 = inkLines(draw(*t, {200, 240}, 300), 4);
    ASSERT_GE(at72.size(), 4u);
    ASSERT_EQ(at72.size(), at300.size());
    for (size_t i = 0; i < at72.size(); ++i)
        EXPECT_NEAR(at300[i].first * 72.0 / 300, at72[i].first, 1.5) << i;

    CardRenderContext ctx;
    ctx.frame = QRectF(0, 0, 200, 240);
    const QByteArray pdf = QBXRenderingView::pdfDataWithGraphics_data({t}, ctx);
    const QString path = probe::writeTemp("text.pdf", pdf);
    const QString layout = QString::fromUtf8(probe::run("pdftotext", {"-layout", path, "-"}));
    QStringList lines = layout.split('\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& l) { return l.trimmed().isEmpty() || l.trimmed() == "\f"; });
    EXPECT_EQ(size_t(lines.size()), at72.size()) << layout.toStdString();
    QStringList words;
    for (const QString& l : lines)
        words << l.simplified();
    EXPECT_EQ(words.join(' '), QString(kLong));
}

TEST(TextGraphic, UnknownFontsFallBackToLiberationSerif)
{
    auto t = text("Fallback", "NoSuchFontAnywhere-Bold", 20);
    EXPECT_EQ(QFontInfo(t->drawnFont()).family(), "Liberation Serif");
    EXPECT_TRUE(QFontInfo(t->drawnFont()).bold());
    EXPECT_FALSE(probe::inkBox(draw(*t)).isNull());
    EXPECT_EQ(t->text_ctrl_font.family(), "NoSuchFontAnywhere-Bold"); // the record keeps its name
}

// Typed, pasted and bound texts break their lines with "\n", "\r\n", a lone
// "\r", U+2029 or U+2028: each draws "From:" above the name, where two
// separately laid lines stand, at 72 and 300 dpi, and measures two lines.
TEST(TextGraphic, EveryLineBreakFormDrawsItsOwnLine)
{
    auto first = text("From:", "Liberation Sans", 16, QRectF(10, 10, 200, 100));
    auto second = text("Ben and Cleo", "Liberation Sans", 16, QRectF(10, 10, 200, 100));
    const double lineHeight = first->naturalSize().height();
    second->setBounds(QRectF(10, 10 + lineHeight, 200, 100));
    const QImage oneLine = draw(*first);
    const auto firstLine = inkLines(oneLine);
    const auto secondLine = inkLines(draw(*second));
    ASSERT_EQ(firstLine.size(), 1u);
    ASSERT_EQ(secondLine.size(), 1u);
    for (const char16_t* separator : {u"\n", u"\r\n", u"\r", u"\u2029", u"\u2028"}) {
        const QString s = QStringLiteral("From:") + QString::fromUtf16(separator) + QStringLiteral("Ben and Cleo");
        auto t = text(s, "Liberation Sans", 16, QRectF(10, 10, 200, 100));
        const auto lines = inkLines(draw(*t));
        ASSERT_EQ(lines.size(), 2u) << QString(s).toStdString();
        EXPECT_EQ(lines[0], firstLine[0]);
        EXPECT_EQ(lines[1], secondLine[0]);
        EXPECT_EQ(inkLines(draw(*t, {240, 140}, 300)).size(), 2u);
        EXPECT_NEAR(t->naturalSize().height(), 2 * lineHeight, 0.01);
    }
}
