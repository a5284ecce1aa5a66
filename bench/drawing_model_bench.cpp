// Timings of the drawing model on one thread, median of 5 runs:
//  - archive: graphics of all kinds to pasteboard data and back (10,000 and 200);
//  - undo: 10,000 single-change steps undone and redone; a drag of 200
//    graphics over 500 steps in one group, and undoing that group;
//  - hit test: walks over 10,000 graphics that miss everything.
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXLine.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& f)
{
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char* const kinds[] = {"QBXGraphic", "QBXLine",      "QBXText",     "QBXImage",
                             "QBXBarcode", "Shape_Control", "QBXSignature"};

GraphicList makeGraphics(int n)
{
    GraphicList list;
    list.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        GraphicPtr g = QBXGraphic::graphicOfClass(QString::fromLatin1(kinds[i % 7]));
        g->_bounds = QRectF(i % 200, (i / 200) % 150, 20 + i % 7, 10 + i % 5);
        g->_fillColor = QColor::fromRgbF(float(i % 10) / 10.0f, 0.5f, 0.25f, 0.75f);
        g->_strokeWidth = 0.5 + i % 4;
        g->Text_Value = QStringLiteral("Graphic %1").arg(i);
        g->control_ID = QStringLiteral("ID_%1").arg(i);
        if (i % 3 == 0)
            g->Text_contents();
        if (i % 7 == 1)
            static_cast<QBXLine&>(*g)._pointsRight = true;
        list.push_back(std::move(g));
    }
    return list;
}

void archive(int n)
{
    const GraphicList list = makeGraphics(n);
    std::vector<double> out, in;
    QByteArray data;
    size_t back = 0;
    for (int run = 0; run < 5; ++run) {
        out.push_back(seconds([&] { data = QBXGraphic::pasteboardDataWithGraphics(list); }));
        in.push_back(seconds([&] {
            QBXError error;
            back = QBXGraphic::graphicsWithPasteboardData(data, &error)->size();
        }));
    }
    std::printf("archive %6d graphics: write %8.2f ms, read %8.2f ms (%lld bytes, %zu read back)\n", n,
                median(out) * 1e3, median(in) * 1e3, static_cast<long long>(data.size()), back);
}

void undoSteps()
{
    std::vector<double> undo, redo;
    for (int run = 0; run < 5; ++run) {
        QBXDocument doc;
        auto* um = doc.undoManager();
        um->setGroupsByEvent(false);
        GraphicPtr g = QBXGraphic::graphicOfClass(QStringLiteral("Shape_Control"));
        doc.insertGraphic(g, 0);
        for (int i = 1; i <= 10000; ++i) {
            um->beginUndoGrouping();
            g->setStrokeWidth(double(i));
            um->endUndoGrouping();
        }
        undo.push_back(seconds([&] {
            for (int i = 0; i < 10000; ++i)
                um->undo();
        }));
        redo.push_back(seconds([&] {
            for (int i = 0; i < 10000; ++i)
                um->redo();
        }));
        if (g->_strokeWidth != 10000.0)
            std::printf("unexpected stroke width %g\n", g->_strokeWidth);
    }
    std::printf("undo 10,000 single-change steps: undo %7.2f ms, redo %7.2f ms\n", median(undo) * 1e3,
                median(redo) * 1e3);
}

void drag()
{
    std::vector<double> perStep, undoGroup;
    for (int run = 0; run < 5; ++run) {
        QBXDocument doc;
        auto* um = doc.undoManager();
        um->setGroupsByEvent(false);
        const GraphicList list = makeGraphics(200);
        std::vector<int> indexes(200);
        for (int i = 0; i < 200; ++i)
            indexes[size_t(i)] = i;
        um->beginUndoGrouping();
        doc.insertGraphics(list, indexes);
        um->endUndoGrouping();
        um->beginUndoGrouping();
        const double total = seconds([&] {
            for (int step = 0; step < 500; ++step)
                QBXGraphic::translateGraphics(list, 0.5, 0.25);
        });
        um->endUndoGrouping();
        perStep.push_back(total / 500);
        undoGroup.push_back(seconds([&] { um->undo(); }));
        if (list[0]->_bounds.x() != 0.0)
            std::printf("unexpected position after undo\n");
    }
    std::printf("drag of 200 graphics over 500 steps: %7.4f ms a step; undoing the group %7.3f ms\n",
                median(perStep) * 1e3, median(undoGroup) * 1e3);
}

void hitTest()
{
    const GraphicList list = makeGraphics(10000);
    std::vector<QPointF> points;
    for (int i = 0; i < 10000; ++i)
        points.emplace_back(1000.0 + i % 100, 1000.0 + i / 100); // far from every graphic
    std::vector<double> walk;
    int hits = 0;
    for (int run = 0; run < 5; ++run) {
        const double total = seconds([&] {
            for (const QPointF& p : points) {
                for (const GraphicPtr& g : list) {
                    if (g->handleUnderPoint(p) != 0 || g->isContentsUnderPoint(p)) {
                        ++hits;
                        break;
                    }
                }
            }
        });
        walk.push_back(total / double(points.size()));
    }
    std::printf("hit test over 10,000 graphics, 10,000 points: %7.4f ms a walk (%d hits)\n", median(walk) * 1e3,
                hits);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    graphicDefaults().log = [](const QString&) {};
    // Optional argument: run one part only ("archive", "undo", "drag", "hit").
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == QLatin1String("archive")) {
        archive(10000);
        archive(200);
    }
    if (only.isEmpty() || only == QLatin1String("undo"))
        undoSteps();
    if (only.isEmpty() || only == QLatin1String("drag"))
        drag();
    if (only.isEmpty() || only == QLatin1String("hit"))
        hitTest();
    return 0;
}
