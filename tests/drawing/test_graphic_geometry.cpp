// Geometry of the graphic record: defaults, drawing bounds, handles, resizing
// with flipping, natural size and the list operations, checked against values
// worked out by hand.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXText.h"
#include "support_model.h"

#include <gtest/gtest.h>

namespace {

// Counts the flips that resizing asks for.
class FlipCounter : public QBXGraphic {
public:
    int horizontal = 0;
    int vertical = 0;
    void flipHorizontally() override { ++horizontal; }
    void flipVertically() override { ++vertical; }
};

struct DefaultsGuard {
    GraphicDefaults saved = graphicDefaults();
    ~DefaultsGuard() { graphicDefaults() = saved; }
};

} // namespace

TEST(GraphicRecord, NewGraphicHasTheDocumentedDefaults)
{
    DefaultsGuard guard;
    graphicDefaults().resourcePath = [] { return QStringLiteral("/res"); };
    graphicDefaults().windowTextFont = {};
    graphicDefaults().windowTextColor = {};
    QBXGraphic g;
    EXPECT_EQ(g.bounds(), QRectF());
    EXPECT_TRUE(g._isDrawingFill);
    EXPECT_EQ(g._fillColor, QColor::fromRgbF(1, 1, 1, 1));
    EXPECT_EQ(g._strokeColor, QColor::fromRgbF(0, 0, 0, 1));
    EXPECT_EQ(g._strokeWidth, 1.0);
    EXPECT_EQ(g._shape_type, "R");
    EXPECT_EQ(g.Text_Value, "Text here");
    EXPECT_EQ(g._file_path, "/res/no.png");
    EXPECT_TRUE(g.ctrl_is_visible);
    EXPECT_FALSE(g.ctrl_is_locked);
    EXPECT_EQ(g.print_object, 0);
    EXPECT_EQ(g.qr_size_val, 60);
    EXPECT_EQ(g.pdf_hgt_val, 20);
    EXPECT_EQ(g.pdf_wdt_val, 100);
    EXPECT_FLOAT_EQ(g.linear_height_val, 0.6f);
    EXPECT_EQ(g.header_font_val.family(), "Times New Roman");
    EXPECT_EQ(g.header_font_val.pointSizeF(), 10.0);
    // Without a main window: the fallback text font and colour.
    EXPECT_EQ(g.text_ctrl_font.family(), "TimesNewRomanPS-ItalicMT");
    EXPECT_EQ(g.text_ctrl_font.pointSizeF(), 14.0);
    EXPECT_EQ(g.txt_clr, QColor::fromRgbF(0, 0, 0, 1));
    EXPECT_FALSE(g._Text_contents.has_value());
}

TEST(GraphicRecord, ColourGettersApplyClampedAlphaAndWriteItBack)
{
    QBXGraphic g;
    EXPECT_EQ(g.fillColor().alphaF(), 1.0f); // the initial 100.0 means opaque
    EXPECT_EQ(g._fillColor.alphaF(), 1.0f);
    g.alpha_val = 0.5f;
    const QColor c = g.fillColor();
    EXPECT_NEAR(c.alphaF(), 0.5, 1e-4);
    EXPECT_EQ(g._fillColor, c);
    EXPECT_EQ(c.spec(), QColor::Rgb);
    g.alpha_val_stroke = -3.0f;
    EXPECT_EQ(g.strokeColor().alpha(), 0);
    g.alpha_val = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(g.fill_Grad_clr1().alphaF(), 1.0f);
}

TEST(GraphicRecord, LazyTextUsesTheDefaultFaceNotTheGraphicsFont)
{
    QBXGraphic g;
    g.Text_Value = QStringLiteral("Hello");
    g.text_ctrl_font = QFont(QStringLiteral("Other"));
    TextStorage& first = g.Text_contents();
    EXPECT_EQ(first.text, "Hello");
    EXPECT_EQ(first.font.family(), "TimesNewRomanPS-ItalicMT");
    EXPECT_EQ(first.font.pointSizeF(), 14.0);
    EXPECT_EQ(first.color, QColor::fromRgbF(0, 0, 0, 1));
    g.Text_Value = QStringLiteral("Changed");
    EXPECT_EQ(&g.Text_contents(), &first);
    EXPECT_EQ(g.Text_contents().text, "Hello");
}

TEST(GraphicRecord, CopyWithZoneKeepsThirteenFieldsFullCopyKeepsAll)
{
    QBXText t;
    fillDistinct(t, 3, true);
    const GraphicPtr copy = t.copyWithZone();
    EXPECT_EQ(copy->className(), "QBXText");
    EXPECT_FALSE(copy->ctrl_is_locked);
    EXPECT_TRUE(copy->ctrl_is_visible);
    EXPECT_EQ(copy->Text_Value, "Text here");
    EXPECT_EQ(copy->_bounds, t._bounds);
    EXPECT_EQ(copy->_fillColor, t._fillColor);
    EXPECT_EQ(copy->_fill_hatch_type, t._fill_hatch_type);
    EXPECT_EQ(copy->_strokeWidth, t._strokeWidth);

    QBXLine line;
    fillDistinct(line, 2, false);
    line._pointsRight = true;
    const GraphicPtr lineCopy = line.copyWithZone();
    EXPECT_TRUE(static_cast<QBXLine&>(*lineCopy)._pointsRight);

    const GraphicPtr full = line.fullCopy();
    EXPECT_TRUE(fieldDifferences(line, *full, false).empty());
    EXPECT_FALSE(full->hasObservers());
}

TEST(GraphicGeometry, DrawingBoundsGrowByHandleOrHalfStroke)
{
    QBXGraphic g;
    g._bounds = QRectF(10, 20, 100, 50);
    EXPECT_EQ(g.drawingBounds(), QRectF(7, 17, 107, 57));
    g._strokeWidth = 10.0;
    EXPECT_EQ(g.drawingBounds(), QRectF(5, 15, 111, 61));
    g._isDrawingStroke = false;
    EXPECT_EQ(g.drawingBounds(), QRectF(7, 17, 107, 57));
}

TEST(GraphicGeometry, HandleHitsFollowTheEdgeRule)
{
    QBXGraphic g;
    g._bounds = QRectF(10, 20, 100, 50);
    EXPECT_EQ(g.handleUnderPoint({10, 20}), 1);
    EXPECT_EQ(g.handleUnderPoint({112, 45}), 5);
    EXPECT_EQ(g.handleUnderPoint({110, 70}), 8);
    EXPECT_EQ(g.handleUnderPoint({60, 45}), 0);
    // Low edges inside, high edges outside.
    EXPECT_EQ(g.handleUnderPoint({7, 17}), 1);
    EXPECT_EQ(g.handleUnderPoint({13, 20}), 0);
    EXPECT_EQ(g.handleUnderPoint({10, 23}), 0);
    EXPECT_EQ(g.handleUnderPoint({60, 17}), 2);
    EXPECT_EQ(g.handleUnderPoint({63, 20}), 0);
    EXPECT_TRUE(g.isContentsUnderPoint({10, 20}));
    EXPECT_FALSE(g.isContentsUnderPoint({110, 45}));
    EXPECT_FALSE(g.isContentsUnderPoint({60, 70}));
}

TEST(GraphicGeometry, ResizeExamples)
{
    FlipCounter g;
    g._bounds = QRectF(10, 20, 100, 50);
    EXPECT_EQ(g.resizeByMovingHandle(3, {0, 20}), 1);
    EXPECT_EQ(g.bounds(), QRectF(0, 20, 10, 50));
    EXPECT_EQ(g.horizontal, 1);
    EXPECT_EQ(g.vertical, 0);

    FlipCounter h;
    h._bounds = QRectF(10, 20, 100, 50);
    EXPECT_EQ(h.resizeByMovingHandle(8, {5, 10}), 1);
    EXPECT_EQ(h.bounds(), QRectF(5, 10, 5, 10));
    EXPECT_EQ(h.horizontal, 1);
    EXPECT_EQ(h.vertical, 1);

    FlipCounter m;
    m._bounds = QRectF(10, 20, 100, 50);
    EXPECT_EQ(m.resizeByMovingHandle(2, {999, 30}), 2);
    EXPECT_EQ(m.bounds(), QRectF(10, 30, 100, 40));
    EXPECT_EQ(m.resizeByMovingHandle(4, {20, 999}), 4);
    EXPECT_EQ(m.bounds(), QRectF(20, 30, 90, 40));
}

// Every handle of (10, 20, 100, 50) is dragged in steps of 10 past the
// opposite edge (by 30) and back to where it started. At each step the
// dragged edge sits at the pointer and the opposite edge stays put; the
// handle mirrors and one flip is sent at each crossing.
TEST(GraphicGeometry, EveryHandleFlipsPastTheOppositeEdgeAndBack)
{
    const QRectF start(10, 20, 100, 50);
    for (int handle = 1; handle <= 8; ++handle) {
        SCOPED_TRACE(handle);
        const bool left = handle == 1 || handle == 4 || handle == 6;
        const bool right = handle == 3 || handle == 5 || handle == 8;
        const bool top = handle <= 3;
        const bool bottom = handle >= 6;
        // Fixed edges and the path of the pointer.
        const double fixedX = left ? 110 : 10;
        const double fixedY = top ? 70 : 20;
        const double x0 = left ? 10 : (right ? 110 : 60);
        const double y0 = top ? 20 : (bottom ? 70 : 45);
        const double dx = left ? 10 : (right ? -10 : 0);
        const double dy = top ? 10 : (bottom ? -10 : 0);
        const int out = (left || right) ? 13 : 8; // steps to 30 past the far edge
        FlipCounter g;
        g._bounds = start;
        int h = handle;
        int expectedH = 0, expectedV = 0;
        bool atRight = right, atBottom = bottom; // the side the dragged edge is on
        auto step = [&](int k) {
            const QPointF p(x0 + dx * k, y0 + dy * k);
            h = g.resizeByMovingHandle(h, p);
            QRectF expected = start;
            if (left || right) {
                if (atRight ? p.x() < fixedX : p.x() > fixedX) {
                    atRight = !atRight;
                    ++expectedH;
                }
                expected.setLeft(std::min(p.x(), fixedX));
                expected.setWidth(std::abs(p.x() - fixedX));
            }
            if (top || bottom) {
                if (atBottom ? p.y() < fixedY : p.y() > fixedY) {
                    atBottom = !atBottom;
                    ++expectedV;
                }
                expected.setTop(std::min(p.y(), fixedY));
                expected.setHeight(std::abs(p.y() - fixedY));
            }
            ASSERT_EQ(g.bounds(), expected) << "step " << k;
            ASSERT_EQ(g.horizontal, expectedH) << "step " << k;
            ASSERT_EQ(g.vertical, expectedV) << "step " << k;
            // Handle numbers by (column, row): 0 left/top, 1 middle, 2 right/bottom.
            static const int table[3][3] = {{1, 2, 3}, {4, 0, 5}, {6, 7, 8}};
            const int col = (left || right) ? (atRight ? 2 : 0) : 1;
            const int row = (top || bottom) ? (atBottom ? 2 : 0) : 1;
            ASSERT_EQ(h, table[row][col]) << "step " << k;
        };
        for (int k = 1; k <= out; ++k)
            step(k);
        for (int k = out - 1; k >= 0; --k)
            step(k);
        EXPECT_EQ(g.bounds(), start);
        EXPECT_EQ(h, handle);
        EXPECT_EQ(g.horizontal % 2, 0);
        EXPECT_EQ(g.vertical % 2, 0);
    }
}

TEST(GraphicGeometry, NaturalSizeSquaresKeepingTheOrigin)
{
    QBXGraphic g;
    g._bounds = QRectF(3, 4, 100, 50);
    EXPECT_TRUE(g.canMakeNaturalSize());
    g.makeNaturalSize();
    EXPECT_EQ(g.bounds(), QRectF(3, 4, 50, 50));
    g._bounds = QRectF(3, 4, 40, 80);
    g.makeNaturalSize();
    EXPECT_EQ(g.bounds(), QRectF(3, 4, 40, 40));
    g._bounds = QRectF(0, 0, 30, 30);
    EXPECT_FALSE(g.canMakeNaturalSize());
}

TEST(GraphicGeometry, PositionSettersNotifyThroughBounds)
{
    struct Recorder : platform::Observer {
        std::vector<std::pair<QString, QVariant>> seen;
        void observeValueForKey(const QString& key, platform::Observable*, const platform::Change& c, void*) override
        {
            seen.emplace_back(key, c.newValue);
        }
    } rec;
    QBXGraphic g;
    g._bounds = QRectF(10, 20, 100, 50);
    g.addObserver(&rec, QBXGraphicXPositionKey, platform::ObserveNew, nullptr);
    g.addObserver(&rec, QBXGraphicDrawingBoundsKey, platform::ObserveNew, nullptr);
    g.setXPosition(5);
    EXPECT_EQ(g.bounds(), QRectF(5, 20, 100, 50));
    ASSERT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(rec.seen[0].first, "xPosition");
    EXPECT_EQ(rec.seen[0].second.toDouble(), 5.0);
    EXPECT_EQ(rec.seen[1].second.toRectF(), QRectF(2, 17, 107, 57));
    rec.seen.clear();
    g._strokeWidth = 3; // direct writes notify nobody
    EXPECT_TRUE(rec.seen.empty());
    g.setStrokeWidth(10);
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, "drawingBounds");
}

TEST(GraphicLists, UnionTranslateAndPastePlacement)
{
    DefaultsGuard guard;
    auto a = std::make_shared<QBXGraphic>();
    auto b = std::make_shared<QBXGraphic>();
    auto c = std::make_shared<QBXGraphic>();
    a->_bounds = QRectF(10, 10, 20, 20);
    b->_bounds = QRectF(100, 100, 50, 0); // zero height: skipped by the union
    c->_bounds = QRectF(40, 5, 10, 10);
    EXPECT_EQ(QBXGraphic::boundsOfGraphics({}), QRectF());
    EXPECT_EQ(QBXGraphic::boundsOfGraphics({a, b, c}), QRectF(10, 5, 40, 25));
    graphicDefaults().frontCanvasBounds = [] { return QRectF(0, 0, 243, 154); };
    EXPECT_EQ(QBXGraphic::drawingBoundsOfGraphics({}), QRectF(0, 0, 243, 154));

    c->ctrl_is_locked = true;
    QBXGraphic::translateGraphics({a, c}, 5, -5);
    EXPECT_EQ(a->bounds(), QRectF(15, 5, 20, 20));
    EXPECT_EQ(c->bounds(), QRectF(40, 5, 10, 10));

    // Cascade: the first goes to the given point, each later one takes the
    // side's next point, a locked one stays but still uses its point up.
    int calls = 0;
    QStringList sides;
    graphicDefaults().controlNewPoint = [&](const QString& side, const QSizeF&) {
        ++calls;
        sides << side;
        return QPointF(50.0 + 10 * calls, 60.0 + 10 * calls);
    };
    auto d = std::make_shared<QBXGraphic>();
    d->_bounds = QRectF(0, 0, 7, 8);
    QBXGraphic::Paste_Location_Of_Graphics({a, c, d}, 30, 40, QStringLiteral("F"));
    EXPECT_EQ(a->bounds(), QRectF(30, 40, 20, 20));
    EXPECT_EQ(c->bounds(), QRectF(40, 5, 10, 10));
    EXPECT_EQ(d->bounds(), QRectF(70, 80, 7, 8));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(sides, QStringList({"F", "F"}));
    QBXGraphic::Paste_Location_Of_Graphics({a, d}, 0, 0, QStringLiteral("B"));
    EXPECT_EQ(sides.last(), "B");
}

TEST(GraphicLists, ErrorObjectUsesTheFallbackTexts)
{
    const QBXError e = QBXGraphic::QBXErrorWithCode(2);
    EXPECT_EQ(e.domain, "QuillboxErrorDomain");
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.localizedDescription,
              "Quillbox could not complete the operation because an unknown error occurred.");
    EXPECT_EQ(e.localizedFailureReason, "An unknown error occurred.");
}
