// The off-screen view's geometry, read back from rasters: bar placement,
// four-state bar extents, caption position, header alignment, the 2-D
// branch, vector pictures, and generations from several threads at once.
#include <gtest/gtest.h>

#include <QPainter>
#include <thread>

#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXPostalBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeGlobals.h"
#include "support/bounded_wait.h"
#include "support_barcode.h"

namespace {
// A model with a given module string.
class FixedModules : public BCXBarcode {
public:
    explicit FixedModules(std::string m) : m_modules(std::move(m)) {}
    std::string barcode() const override { return m_modules; }

private:
    std::string m_modules;
};

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// Bounding box of the pixels the predicate picks.
template <class Pred>
Box boxOf(const QImage& img, Pred pick)
{
    Box b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pick(img.pixel(x, y))) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

bool isBlack(QRgb p) { return qAlpha(p) > 128 && qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; }
bool isRed(QRgb p) { return qRed(p) > 150 && qGreen(p) < 100 && qBlue(p) < 100; }
bool isBlue(QRgb p) { return qBlue(p) > 150 && qRed(p) < 100 && qGreen(p) < 100; }

class View : public ::testing::Test {
protected:
    void SetUp() override { bt::resetDesigner(QStringLiteral("Code 39")); }
    Barcode_Gen& gen() { return *Barcode_Gen::defaultInstance(); }
    void noMargins()
    {
        gen().value_margin = gen().header_margin = gen().footer_margin = gen().TB_margin = gen().LR_margin = 0;
    }
};
}

TEST_F(View, RunsOfBarModulesBecomeOneBoxAtTheirModule)
{
    noMargins();
    struct Case {
        std::string modules;
        std::vector<std::pair<int, int>> bars; // [from, to) in modules
    };
    const Case cases[] = {{"0110", {{1, 3}}}, {"1", {{0, 1}}}, {"", {}}, {"1101", {{0, 2}, {3, 4}}}, {"0120", {{1, 2}}}};
    for (const Case& c : cases) {
        FixedModules m(c.modules);
        ASSERT_TRUE(m.initWithContent_printsCaption(QStringLiteral("X"), false));
        m.setBarWidth(1);
        m.setWidth(20);
        m.setHeight(10);
        const QImage img = BCXBarcodeImage::rasterFromBarcode(&m, 720); // 10 px per point
        ASSERT_EQ(img.size(), QSize(200, 100));
        const double x0 = (20 - double(c.modules.size())) / 2;
        std::vector<std::pair<int, int>> found;
        for (int x = 0, y = 50; x < img.width(); ++x) {
            if (!isBlack(img.pixel(x, y)))
                continue;
            int e = x;
            while (e < img.width() && isBlack(img.pixel(e, y)))
                ++e;
            found.push_back({x, e});
            x = e;
        }
        ASSERT_EQ(found.size(), c.bars.size()) << c.modules;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].first, int(std::lround((x0 + c.bars[i].first) * 10))) << c.modules;
            EXPECT_EQ(found[i].second, int(std::lround((x0 + c.bars[i].second) * 10))) << c.modules;
        }
        if (!c.bars.empty()) {
            // Full height: from the bottom edge to the top edge.
            EXPECT_TRUE(isBlack(img.pixel(found[0].first, 0)));
            EXPECT_TRUE(isBlack(img.pixel(found[0].first, 99)));
        }
    }
}

TEST_F(View, FourStateBarsStandBetweenTheirBottomAndTop)
{
    bt::decodableSettings();
    gen().bar_val_clr = gen().bar_hdr_clr = gen().bar_ftr_clr = QColor(Qt::red);
    for (const auto& [title, value] : {std::pair{"Royal Mail Barcode (RM4SCC / CBC)", "SN34RD1A"},
                                       std::pair{"Japan Post Barcode", "1234567-8"}, std::pair{"PostNet", "12345"}}) {
        auto b = bt::make(QString::fromLatin1(title), QString::fromLatin1(value));
        ASSERT_TRUE(b) << title;
        const double dpi = 600, k = dpi / 72;
        const QImage img = BCXBarcodeImage::rasterFromBarcode(b.get(), dpi);
        ASSERT_FALSE(img.isNull());
        BCXBarcodeOffscreenView view;
        view.initWithBarcode(b.get());
        const double W = view.frameSize().width(), H = view.frameSize().height();
        const std::string& m = b->completeBarcode();
        const double x0 = (W - double(m.size()) * b->barWidth()) / 2;
        const double yBar = b->captionHeight() * 72 + b->footerHeight() * 72 + gen().value_margin
            + gen().footer_margin + gen().TB_margin;
        for (size_t i = 0; i < m.size(); ++i) {
            if (m[i] != '1')
                continue;
            const int x = int((x0 + (double(i) + 0.5) * b->barWidth()) * k);
            int top = -1, bottom = -1;
            for (int y = 0; y < img.height(); ++y)
                if (isBlack(img.pixel(x, y))) {
                    if (top < 0)
                        top = y;
                    bottom = y;
                }
            ASSERT_GE(top, 0) << title << " bar " << i;
            EXPECT_NEAR(top, (H - yBar - b->barTop(int(i))) * k, 1.01) << title << " bar " << i;
            EXPECT_NEAR(bottom + 1, (H - yBar - b->barBottom(int(i))) * k, 1.01) << title << " bar " << i;
        }
    }
}

TEST_F(View, CaptionBelowOrAboveTheBarsAndHeaderAlignment)
{
    bt::decodableSettings();
    gen().bar_val_clr = QColor(Qt::red);
    gen().bar_hdr_clr = QColor(Qt::blue);
    gen().bar_ftr_clr = QColor(Qt::green);
    for (int top : {0, 1}) {
        gen().showinTopCheckbox.state = top;
        const QImage img = bt::raster(QStringLiteral("Code 128"), QStringLiteral("CAPTION"), 300);
        const Box bars = boxOf(img, isBlack), caption = boxOf(img, isRed), header = boxOf(img, isBlue);
        ASSERT_FALSE(bars.empty() || caption.empty() || header.empty());
        if (top)
            EXPECT_LT(caption.bottom, bars.top);
        else
            EXPECT_GT(caption.top, bars.bottom);
        EXPECT_LT(header.bottom, std::min(bars.top, caption.top));
    }
    gen().showinTopCheckbox.state = 0;
    // Kerning on stretches a single-part caption nearly across the picture.
    gen().kerning_value_Checkbox.state = 1;
    const QImage stretched = bt::raster(QStringLiteral("Code 128"), QStringLiteral("CAPTION"), 300);
    const Box wide = boxOf(stretched, isRed);
    EXPECT_GT(wide.right - wide.left, 0.75 * stretched.width());
    gen().kerning_value_Checkbox.state = 0;
    gen().HeaderText.text = QStringLiteral("HI");
    for (const char* align : {"Left", "Right", "Center", "Middle"}) {
        gen().align_hdr_combo = QString::fromLatin1(align);
        const QImage img = bt::raster(QStringLiteral("Code 39"), QStringLiteral("ALIGNMENT"), 150);
        const Box header = boxOf(img, isBlue);
        ASSERT_FALSE(header.empty()) << align;
        const double centre = (header.left + header.right) / 2.0, w = img.width();
        if (std::string(align) == "Right")
            EXPECT_GT(header.right, 0.9 * w) << align;
        else if (std::string(align) == "Center")
            EXPECT_NEAR(centre, w / 2, 0.05 * w) << align;
        else // "Left" and anything unknown: natural alignment
            EXPECT_LT(header.left, 0.1 * w) << align;
    }
}

TEST_F(View, TwoDimensionalPictureIsFramedBelowTheHeader)
{
    QImage checker(4, 4, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const PointPicture symbol = PointPicture::fromImage(checker, QSizeF(40, 40));
    gen().bar_back_clr = QColor(Qt::yellow); // not used by the 2-D view
    gen().bar_hdr_clr = QColor(Qt::blue);
    gen().bar_ftr_clr = QColor(Qt::green);
    gen().setHeader(QStringLiteral("2-D HEADER"));
    gen().setFooter(QStringLiteral("F"));
    gen().setPrintsHeader(true);
    gen().setPrintsFooter(true);
    gen().setHeaderFontSize(10);
    gen().setFooterFontSize(10);
    gen().Set_2d_Barcode_Height(symbol);
    gen().Set_2d_Barcode_Width(symbol);
    const double k = 4; // 288 dpi
    const QImage img = BCXBarcodeImage::rasterFromBarcodeImage(symbol, 72 * k);
    ASSERT_FALSE(img.isNull());
    const double left = (gen().width() - 40) / 2;
    const double top = gen().headerHeight() * 72 + gen().TB_margin + gen().header_margin;
    const Box black = boxOf(img, isBlack);
    EXPECT_NEAR(black.left, left * k, 1.01);
    EXPECT_NEAR(black.top, top * k, 1.01);
    EXPECT_NEAR(black.right + 1, (left + 40) * k, 1.01);
    EXPECT_NEAR(black.bottom + 1, (top + 40) * k, 1.01);
    EXPECT_EQ(img.pixel(1, img.height() / 2), qRgb(255, 255, 255));
    EXPECT_LT(boxOf(img, isBlue).bottom, black.top);

    // The composed picture through the headless entry and the vector form.
    const PointPicture composed = BCXBarcodeImage::imageFromBarcodeImage(symbol);
    ASSERT_FALSE(composed.isNull());
    EXPECT_EQ(composed.size(), QSizeF(std::ceil(gen().width()), std::ceil(gen().height())));
}

TEST_F(View, VectorPictureMatchesTheRasterAndDecodes)
{
    bt::decodableSettings();
    gen().bar_val_clr = QColor(Qt::red);
    auto b = bt::make(QStringLiteral("Code 128"), QStringLiteral("Vector 42"));
    ASSERT_TRUE(b);
    const PointPicture vector = BCXBarcodeImage::imageFromBarcode(b.get());
    ASSERT_FALSE(vector.isNull());
    const QImage fromVector = vector.toImage(300);
    const QImage direct = BCXBarcodeImage::rasterFromBarcode(b.get(), 300);
    ASSERT_EQ(fromVector.size(), direct.size());
    EXPECT_EQ(bt::zxingDecode(fromVector), "Vector 42");
    // Text is as large in both: fonts are sized once, in points.
    const Box a = boxOf(fromVector, isRed), c = boxOf(direct, isRed);
    ASSERT_FALSE(a.empty() || c.empty());
    EXPECT_NEAR(a.bottom - a.top, c.bottom - c.top, 3);
    EXPECT_NEAR(a.right - a.left, c.right - c.left, 6);
    // A caption part with no characters is skipped.
    EXPECT_FALSE(bt::raster(QStringLiteral("Code 128"), QStringLiteral("\tAB")).isNull());
    EXPECT_FALSE(bt::raster(QStringLiteral("Code 128"), QStringLiteral("AB\t")).isNull());
}

TEST_F(View, EightThreadsGiveTheSamePicturesAsOne)
{
    bt::decodableSettings();
    const std::vector<std::pair<QString, QString>> jobs = {
        {QStringLiteral("Code 39"), QStringLiteral("THREAD")},   {QStringLiteral("EAN-13"), QStringLiteral("400638133393")},
        {QStringLiteral("Code 128"), QStringLiteral("Lock 8")},  {QStringLiteral("Codabar"), QStringLiteral("A123B")},
        {QStringLiteral("PostNet"), QStringLiteral("12345")},    {QStringLiteral("UPCE"), QStringLiteral("0425261")},
        {QStringLiteral("Japan Post Barcode"), QStringLiteral("1234567-8")},
        {QStringLiteral("Royal Mail Barcode (RM4SCC / CBC)"), QStringLiteral("SN34RD1A")},
    };
    // Each generation loads its settings and generates under one lock.
    auto generate = [&](size_t j) {
        auto lock = gen().Lock_Generation();
        gen().barcodeTypePopup = jobs[j].first;
        gen().showinTopCheckbox.state = int(j % 2);
        return gen().Get_Image_From_Val(jobs[j].second, QStringLiteral("H"), QStringLiteral("F")).toImage(150);
    };
    std::vector<QImage> reference;
    for (size_t j = 0; j < jobs.size(); ++j) {
        reference.push_back(generate(j));
        ASSERT_FALSE(reference.back().isNull()) << j;
    }
    std::vector<std::vector<QImage>> results(8);
    std::vector<QByteArray> pdfs(8);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round)
                for (size_t j = 0; j < jobs.size(); ++j)
                    results[t].push_back(generate((j + t) % jobs.size()));
            // PDF output works on any thread too.
            auto lock = gen().Lock_Generation();
            gen().barcodeTypePopup = jobs[t].first;
            auto b = gen().Generate_Barcode_Variable(false, jobs[t].second, QStringLiteral("H"), QStringLiteral("F"));
            pdfs[t] = BCXBarcodeImage::pdfFromBarcode(b.get());
        });
    for (auto& th : threads)
        joinWithinDeadline(th, "a thread generating barcodes");
    for (const QByteArray& pdf : pdfs)
        EXPECT_TRUE(pdf.startsWith("%PDF"));
    for (size_t t = 0; t < 8; ++t)
        for (size_t i = 0; i < results[t].size(); ++i)
            EXPECT_TRUE(results[t][i] == reference[(i % jobs.size() + t) % jobs.size()]) << t << " " << i;
}

// With every margin 0, header, footer and value texts stay in their bands
// at any size: accents clear the top edge, descenders the bottom edge, and
// no caption pixel shares a row with the symbol, on a 72 dpi canvas as in
// 300 and 600 dpi files.
TEST_F(View, CaptionsStayInTheirBandsWithNoMargins)
{
    auto ink = [](int channel) {
        return [channel](QRgb p) {
            const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
            return c[channel] - std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]) > 24;
        };
    };
    const auto symbol = [](QRgb p) {
        return qGray(p) < 128 && std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) < 60;
    };
    for (const char* title : {"Code 128", "QR Code", "PDF417", "DataMatrix"}) {
        for (int size : {8, 11, 12, 14, 17, 24, 31, 48, 72}) {
            bt::resetDesigner(QString::fromLatin1(title));
            Barcode_Gen& g = gen();
            for (BarcodeTextEntry* m : {&g.hdr_mar_Text, &g.ftr_mar_Text, &g.val_mar_Text, &g.TB_mar_Text})
                m->text = QStringLiteral("0");
            g.bar_hdr_clr = QColor(Qt::blue);
            g.bar_ftr_clr = QColor(Qt::green);
            g.bar_val_clr = QColor(Qt::red);
            for (QFont* f : {&g.header_font, &g.footer_font, &g.value_font})
                f->setPointSize(size);
            g.widthText.text = QStringLiteral("40");
            g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 0;
            const PointPicture picture = g.Get_Image_From_Val(QStringLiteral("CW-7"), QString::fromUtf8("ÉÅÂ Çgjpqy"),
                                                              QString::fromUtf8("Åjgpqy ÉÇ"));
            ASSERT_FALSE(picture.isNull()) << title << " " << size << " " << g.last_failure.toStdString();
            for (double dpi : {72.0, 300.0, 600.0}) {
                SCOPED_TRACE(std::string(title) + " at " + std::to_string(size) + " pt, " + std::to_string(int(dpi))
                             + " dpi");
                const QImage img = picture.toImage(dpi);
                const Box header = boxOf(img, ink(2)), footer = boxOf(img, ink(1)), bars = boxOf(img, symbol);
                ASSERT_FALSE(header.empty() || footer.empty() || bars.empty());
                // A 72 dpi pixel is wider than the clear space the texts keep.
                if (dpi > 72) {
                    EXPECT_GT(header.top, 0);
                    EXPECT_LT(footer.bottom, img.height() - 1);
                }
                EXPECT_LT(header.bottom, bars.top);
                EXPECT_GT(footer.top, bars.bottom);
                if (std::string(title) == "Code 128") {
                    const Box value = boxOf(img, ink(0));
                    ASSERT_FALSE(value.empty());
                    EXPECT_GT(value.top, bars.bottom);
                    EXPECT_LT(value.bottom, footer.top);
                }
            }
        }
    }
}
