// Barcode texts as drawn: the header, footer and value bands of linear and
// 2-D pictures keep half a point of clear space above and below their text,
// and so do the split value texts of EAN-13 and UPC-A, with every margin 0;
// letters whose parts overlap (cedilla, ogonek) are inked whole, like the
// same text drawn directly.
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "platform/font_resolve.h"
#include "support_barcode.h"

#include <QFontMetricsF>
#include <QPainter>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    void add(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

bool isBar(QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; }
bool isRed(QRgb p) { return qRed(p) - std::max(qGreen(p), qBlue(p)) > 60; }
bool isGreen(QRgb p) { return qGreen(p) - std::max(qRed(p), qBlue(p)) > 60; }
bool isBlue(QRgb p) { return qBlue(p) - std::max(qRed(p), qGreen(p)) > 60; }

// A designer's font as drawn, at a size in points: its ascent and descent
// in points.
QFontMetricsF drawnMetrics(const QFont& font, int points)
{
    QFont f = platform::drawnFace(font);
    f.setPixelSize(points);
    return QFontMetricsF(f);
}

QFontMetricsF valueMetrics(const Barcode_Gen& g, int points) { return drawnMetrics(g.value_font, points); }

template <class Pick>
Box boxOf(const QImage& img, Pick pick)
{
    Box b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pick(img.pixel(x, y)))
                b.add(x, y);
    return b;
}

// Every margin 0, the texts in their colours at one size.
Barcode_Gen& bandDesigner(const QString& title, int points)
{
    bt::resetDesigner(title);
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    for (BarcodeTextEntry* m : {&g.hdr_mar_Text, &g.ftr_mar_Text, &g.val_mar_Text, &g.TB_mar_Text, &g.LR_mar_Text})
        m->text = QStringLiteral("0");
    g.bar_val_clr = QColor(Qt::red);
    g.bar_hdr_clr = QColor(Qt::blue);
    g.bar_ftr_clr = QColor(Qt::green);
    for (QFont* f : {&g.value_font, &g.header_font, &g.footer_font})
        f->setPointSize(points);
    return g;
}

// The clear space in points above and below a flat-footed text line (its
// lowest ink is its baseline) between two edges given in pixel rows: the
// band's top edge and the row just below its bottom edge.
struct Clearance {
    double above, below;
};
Clearance clearanceOf(const Box& ink, const QFontMetricsF& fm, int topEdge, int bottomEdge, double k)
{
    const int baseline = ink.bottom + 1;
    return {(baseline - topEdge) / k - fm.ascent(), (bottomEdge - baseline) / k - fm.descent()};
}

// Ink as coverage 0..1 on white (by the red channel, so black and blue ink
// count alike), in a region.
std::vector<std::vector<double>> coverage(const QImage& img, const QRect& region)
{
    std::vector<std::vector<double>> c(size_t(region.height()), std::vector<double>(size_t(region.width())));
    for (int y = 0; y < region.height(); ++y)
        for (int x = 0; x < region.width(); ++x)
            c[size_t(y)][size_t(x)] = 1.0 - qRed(img.pixel(region.x() + x, region.y() + y)) / 255.0;
    return c;
}
} // namespace

// Margins 0, header and footer hidden: the caption band is the picture's
// bottom (value under the bars) or top (value over the bars). The band is the
// value font's line with 0.5 pt above and below it, the digits standing on
// the line's baseline; the digits left and right of the bars stay inside the
// picture, clear of its edges, and off the bars.
TEST(CaptionText, EanAndUpcValueTextsKeepTheirBandAndItsClearance)
{
    constexpr double dpi = 600, k = dpi / 72;
    // Only flat-footed digits (1, 2, 4), check digits included, so the lowest
    // ink of each text is its baseline.
    for (const auto& [title, value] : {std::pair{"EAN-13", "412141214121"}, std::pair{"UPCA", "41214121412"}})
        for (const int top : {0, 1})
            for (const int points : {8, 10, 12}) {
                SCOPED_TRACE(testing::Message() << title << (top ? " over" : " under") << " the bars, " << points
                                                << " pt");
                bt::resetDesigner(QString::fromLatin1(title));
                Barcode_Gen& g = *Barcode_Gen::defaultInstance();
                for (BarcodeTextEntry* m : {&g.hdr_mar_Text, &g.ftr_mar_Text, &g.val_mar_Text, &g.TB_mar_Text,
                                            &g.LR_mar_Text})
                    m->text = QStringLiteral("0");
                g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 1;
                g.showinTopCheckbox.state = top;
                g.bar_val_clr = QColor(Qt::red);
                g.value_font.setPointSize(points);
                const PointPicture picture = g.Get_Image_From_Val(QString::fromLatin1(value), {}, {});
                ASSERT_FALSE(picture.isNull()) << g.last_failure.toStdString();
                const QImage img = picture.toImage(dpi);
                Box bars, middle, sides;
                for (int y = 0; y < img.height(); ++y)
                    for (int x = 0; x < img.width(); ++x)
                        if (isBar(img.pixel(x, y)))
                            bars.add(x, y);
                for (int y = 0; y < img.height(); ++y)
                    for (int x = 0; x < img.width(); ++x)
                        if (isRed(img.pixel(x, y)))
                            (x > bars.left && x < bars.right ? middle : sides).add(x, y);
                ASSERT_FALSE(bars.empty() || middle.empty() || sides.empty());

                // The digits' baseline lies 0.5 pt plus the ascent under the
                // band's top (value under the bars), or 0.5 pt plus the
                // descent over its bottom (value over the bars); the bars
                // mark that edge.
                const QFontMetricsF fm = valueMetrics(g, points);
                const int baseline = middle.bottom + 1;
                if (top)
                    EXPECT_NEAR(bars.top - baseline, (0.5 + fm.descent()) * k, 1.5);
                else
                    EXPECT_NEAR(baseline - (bars.bottom + 1), (0.5 + fm.ascent()) * k, 1.5);
                // Nothing of any value text within 0.5 pt of the picture's
                // edges, and nothing on the bars.
                const int clear = int(0.5 * k) - 1;
                for (const Box& ink : {middle, sides}) {
                    EXPECT_GE(ink.top, clear);
                    EXPECT_LE(ink.bottom, img.height() - 1 - clear);
                    EXPECT_GE(ink.left, clear);
                    EXPECT_LE(ink.right, img.width() - 1 - clear);
                }
                int onBars = 0;
                for (int y = bars.top; y <= bars.bottom; ++y)
                    for (int x = bars.left; x <= bars.right; ++x)
                        onBars += isRed(img.pixel(x, y));
                EXPECT_EQ(onBars, 0);
            }
}

// Header, footer and value bands, of a linear picture with the value under
// and over the bars and of a 2-D picture, each measured against the edges it
// meets: the picture's, the bars' or the symbol's. Half a point of clear
// space above and below each text; where the frame, rounded up to whole
// points, leaves its fraction beside a band, that side has up to a point
// more.
TEST(CaptionText, HeaderFooterAndValueBandsKeepHalfAPointAboveAndBelow)
{
    constexpr double dpi = 600, k = dpi / 72, tolerance = 1.5 / k;
    auto exact = [&](double measured) { EXPECT_NEAR(measured, 0.5, tolerance); };
    auto roundedUp = [&](double measured) {
        EXPECT_GE(measured, 0.5 - tolerance);
        EXPECT_LT(measured, 1.5 + tolerance);
    };
    for (const int points : {8, 14}) {
        SCOPED_TRACE(testing::Message() << points << " pt");
        for (const int top : {0, 1}) {
            SCOPED_TRACE(top ? "value over the bars, footer" : "value under the bars, header");
            Barcode_Gen& g = bandDesigner(QStringLiteral("Code 128"), points);
            g.showinTopCheckbox.state = top;
            (top ? g.hideHeaderCheckbox : g.hideFooterCheckbox).state = 1;
            const PointPicture picture = g.Get_Image_From_Val(QStringLiteral("1214"), QStringLiteral("HEH"),
                                                              QStringLiteral("EHE"));
            ASSERT_FALSE(picture.isNull()) << g.last_failure.toStdString();
            const QImage img = picture.toImage(dpi);
            const Box bars = boxOf(img, isBar), value = boxOf(img, isRed), header = boxOf(img, isBlue),
                      footer = boxOf(img, isGreen);
            ASSERT_FALSE(bars.empty() || value.empty() || (top ? footer : header).empty());
            ASSERT_TRUE((top ? header : footer).empty());
            const QFontMetricsF fm = drawnMetrics(g.value_font, points);
            if (top) {
                const Clearance v = clearanceOf(value, fm, 0, bars.top, k);
                roundedUp(v.above);
                exact(v.below);
                const Clearance f = clearanceOf(footer, drawnMetrics(g.footer_font, points), bars.bottom + 1,
                                                img.height(), k);
                exact(f.above);
                exact(f.below);
            } else {
                const Clearance h = clearanceOf(header, drawnMetrics(g.header_font, points), 0, bars.top, k);
                exact(h.above);
                roundedUp(h.below);
                const Clearance v = clearanceOf(value, fm, bars.bottom + 1, img.height(), k);
                exact(v.above);
                exact(v.below);
            }
        }

        // A 2-D symbol (a checker inked to its edges) between header and footer.
        SCOPED_TRACE("2-D");
        Barcode_Gen& g = bandDesigner(QStringLiteral("QR Code"), points);
        QImage checker(4, 4, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const PointPicture symbol = PointPicture::fromImage(checker, QSizeF(40, 40));
        g.setHeader(QStringLiteral("HEH"));
        g.setFooter(QStringLiteral("EHE"));
        g.setPrintsHeader(true);
        g.setPrintsFooter(true);
        g.setHeaderFontSize(float(points));
        g.setFooterFontSize(float(points));
        g.Set_2d_Barcode_Height(symbol);
        g.Set_2d_Barcode_Width(symbol);
        const QImage img = BCXBarcodeImage::rasterFromBarcodeImage(symbol, dpi);
        ASSERT_FALSE(img.isNull());
        const Box modules = boxOf(img, isBar), header = boxOf(img, isBlue), footer = boxOf(img, isGreen);
        ASSERT_FALSE(modules.empty() || header.empty() || footer.empty());
        const Clearance h = clearanceOf(header, drawnMetrics(g.header_font, points), 0, modules.top, k);
        exact(h.above);
        exact(h.below);
        const Clearance f =
            clearanceOf(footer, drawnMetrics(g.footer_font, points), modules.bottom + 1, img.height(), k);
        roundedUp(f.above);
        exact(f.below);
    }
}

// Each letter of the header "ÇĄęŢ" against the same letter drawn directly in
// the same font and size: no pixel deep inside the letter's ink is left
// light (overlapping parts of a letter are not holes), and the letter's ink
// agrees within anti-aliasing.
TEST(CaptionText, OverlappingLetterPartsAreInkedLikeTextDrawnDirectly)
{
    const QString text = QString::fromUtf8("ÇĄęŢ");
    struct Case {
        int points;
        double dpi;
    };
    for (const Case c : {Case{8, 600}, Case{24, 300}, Case{24, 600}, Case{48, 300}, Case{72, 300}}) {
        SCOPED_TRACE(testing::Message() << c.points << " pt at " << c.dpi << " dpi");
        bt::resetDesigner(QStringLiteral("Code 128"));
        Barcode_Gen& g = *Barcode_Gen::defaultInstance();
        g.header_font.setPointSize(c.points);
        g.bar_hdr_clr = QColor(Qt::blue);
        g.hideFooterCheckbox.state = 1;
        const PointPicture picture = g.Get_Image_From_Val(QStringLiteral("1"), text, {});
        ASSERT_FALSE(picture.isNull()) << g.last_failure.toStdString();
        const QImage img = picture.toImage(c.dpi).convertToFormat(QImage::Format_RGB32);
        int barsTop = img.height();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (isBar(img.pixel(x, y)))
                    barsTop = std::min(barsTop, y);
        // The header's letters: runs of inked columns above the bars.
        const auto header = coverage(img, QRect(0, 0, img.width(), barsTop));
        std::vector<std::pair<int, int>> letters;
        for (int x = 0, start = -1; x <= img.width(); ++x) {
            bool inked = false;
            for (int y = 0; x < img.width() && y < barsTop && !inked; ++y)
                inked = header[size_t(y)][size_t(x)] > 0.05;
            if (inked && start < 0)
                start = x;
            if (!inked && start >= 0) {
                letters.emplace_back(start, x);
                start = -1;
            }
        }
        ASSERT_EQ(letters.size(), size_t(text.size()));

        QFont font = platform::drawnFace(g.header_font);
        font.setPixelSize(c.points);
        const double k = c.dpi / 72;
        for (qsizetype i = 0; i < text.size(); ++i) {
            SCOPED_TRACE(text.mid(i, 1).toStdString());
            QImage ref(int(3 * c.points * k), int(3 * c.points * k), QImage::Format_RGB32);
            ref.fill(Qt::white);
            {
                QPainter p(&ref);
                p.scale(k, k);
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(QPointF(c.points * 0.5, c.points * 2.0), text.mid(i, 1));
            }
            const auto direct = coverage(ref, ref.rect());
            Box refBox, capBox;
            double refInk = 0, capInk = 0;
            for (int y = 0; y < ref.height(); ++y)
                for (int x = 0; x < ref.width(); ++x)
                    if (direct[size_t(y)][size_t(x)] > 0.05) {
                        refBox.add(x, y);
                        refInk += direct[size_t(y)][size_t(x)];
                    }
            for (int y = 0; y < barsTop; ++y)
                for (int x = letters[size_t(i)].first; x < letters[size_t(i)].second; ++x)
                    if (header[size_t(y)][size_t(x)] > 0.05) {
                        capBox.add(x, y);
                        capInk += header[size_t(y)][size_t(x)];
                    }
            ASSERT_FALSE(refBox.empty() || capBox.empty());
            EXPECT_NEAR(capInk, refInk, 0.03 * refInk);
            // Deep inside the directly drawn letter (the pixel and its eight
            // neighbours fully inked), the caption's pixel is inked too.
            int holes = 0;
            for (int y = refBox.top + 1; y < refBox.bottom; ++y)
                for (int x = refBox.left + 1; x < refBox.right; ++x) {
                    bool deep = true;
                    for (int dy = -1; dy <= 1 && deep; ++dy)
                        for (int dx = -1; dx <= 1 && deep; ++dx)
                            deep = direct[size_t(y + dy)][size_t(x + dx)] > 0.9;
                    const int cx = capBox.left + x - refBox.left, cy = capBox.top + y - refBox.top;
                    if (deep && cy >= 0 && cy < barsTop && cx >= 0 && cx < img.width())
                        holes += header[size_t(cy)][size_t(cx)] < 0.5;
                }
            EXPECT_EQ(holes, 0);
        }
    }
}
