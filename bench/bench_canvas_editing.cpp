// Canvas editing times in the started main window (offscreen, 1000 x 800,
// 425.52 x 357.12-point card at 100 %), five runs each, steps pooled:
// a drag of one graphic among 200 (120 moves, grid off and on) with the
// repaint of each step and the undo of the drag; a marquee over 1,000
// graphics in 60 steps with repaint, and its hit query alone; a paste of 200
// graphics (decode, placement, insert, select, undo, repaint) and their copy
// with PDF and TIFF.
#include "bench_support.h"

#include "app/Globals.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "editor/QBXWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>

#include <cstdio>

namespace {

GraphicList mixedGraphics(int count, const QSizeF& card)
{
    static const char* const kinds[] = {"Shape_Control", "QBXText", "QBXLine", "Shape_Control", "QBXSignature",
                                        "QBXBarcode"};
    GraphicList list;
    for (int i = 0; i < count; ++i) {
        GraphicPtr g = QBXGraphic::graphicOfClass(QString::fromLatin1(kinds[i % 6]));
        const double x = double((i * 53) % int(card.width() - 50));
        const double y = double((i * 31) % int(card.height() - 30));
        g->setBounds(QRectF(x, y, 45, 28));
        list.push_back(g);
    }
    return list;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

double since(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(const char* what, const std::vector<double>& ms, const char* budget)
{
    const Stats s = statsOf(ms);
    std::printf("%-34s median %7.3f ms  p95 %7.3f ms  max %7.3f ms  (%zu samples; %s)\n", what, s.median, s.p95,
                s.max, ms.size(), budget);
}

void fill(QBXDocument& document, QBXWindowController& controller, int count, const QSizeF& card)
{
    controller._graphicView->delete_all_control();
    const GraphicList list = mixedGraphics(count, card);
    std::vector<int> at(list.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = int(i);
    document.insertGraphics(list, at);
    document.undoManager()->closeEventGroup();
    document.undoManager()->removeAllActions();
    settle();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    {
        const QSizeF card(425.52, 357.12);
        BenchEditor editor(card);
        if (!editor.started)
            return 1;
        QBXDocument& document = editor.document;
        QBXWindowController& controller = editor.controller;
        QBXGraphicView* canvas = controller._graphicView;
        settle();
        std::printf("platform %s, window %dx%d\n", qPrintable(QGuiApplication::platformName()),
                    controller.window->width(), controller.window->height());

        // Drag.
        for (bool gridOn : {false, true}) {
            controller._grid->setConstraining(gridOn);
            std::vector<double> steps, undos;
            const int paintsBefore = canvas->paintCount();
            for (int run = 0; run < 5; ++run) {
                fill(document, controller, 200, card);
                const GraphicPtr g = document.graphics()[100];
                const QPointF start = g->bounds().center();
                canvas->changeSelectionIndexes({100});
                canvas->mouseDownAt(start, false, 1);
                for (int i = 1; i <= 120; ++i) {
                    QElapsedTimer clock;
                    clock.start();
                    canvas->mouseDraggedTo(start + QPointF(i * 1.5, i * 0.7));
                    QApplication::processEvents(); // the paint of the marked areas
                    steps.push_back(since(clock));
                }
                canvas->mouseUpAt(start + QPointF(180, 84));
                settle();
                QElapsedTimer clock;
                clock.start();
                canvas->undo();
                QApplication::processEvents(); // the paint of the marked areas
                undos.push_back(since(clock));
            }
            report(gridOn ? "drag step, grid on" : "drag step, grid off", steps, "budget median and p95 < 2 ms");
            std::printf("  %d paint passes in %zu steps\n", canvas->paintCount() - paintsBefore, steps.size());
            report(gridOn ? "undo of the drag, grid on" : "undo of the drag, grid off", undos, "budget < 5 ms");
        }
        controller._grid->setConstraining(false);

        // Marquee.
        {
            std::vector<double> steps, queries;
            for (int run = 0; run < 5; ++run) {
                fill(document, controller, 1000, card);
                canvas->mouseDownAt(QPointF(1, 1), false, 1);
                for (int i = 1; i <= 60; ++i) {
                    const QPointF p(1 + i * 6.5, 1 + i * 5.5);
                    QElapsedTimer clock;
                    clock.start();
                    canvas->mouseDraggedTo(p);
                    QApplication::processEvents(); // the paint of the marked areas
                    steps.push_back(since(clock));
                    QElapsedTimer query;
                    query.start();
                    const auto hits = canvas->indexesOfGraphicsIntersectingRect(QRectF(QPointF(1, 1), p));
                    queries.push_back(since(query));
                    (void)hits;
                }
                canvas->mouseUpAt(QPointF(391, 331));
                settle();
            }
            report("marquee step over 1,000", steps, "budget p95 < 4 ms");
            report("marquee hit query over 1,000", queries, "budget < 0.2 ms");
        }

        // Copy and paste of 200.
        {
            std::vector<double> copies, pastes;
            for (int run = 0; run < 5; ++run) {
                fill(document, controller, 200, card);
                canvas->selectAll();
                QElapsedTimer clock;
                clock.start();
                canvas->copy();
                copies.push_back(since(clock));
                canvas->deselectAll();
                settle();
                clock.restart();
                canvas->paste();
                QApplication::processEvents(); // the paint of the marked areas
                document.undoManager()->closeEventGroup();
                canvas->undo();
                QApplication::processEvents(); // the paint of the marked areas
                pastes.push_back(since(clock));
            }
            report("copy of 200 with PDF and TIFF", copies, "budget < 150 ms");
            report("paste of 200, undo, repaint", pastes, "budget < 50 ms");
        }
        controller.setDocument(nullptr);
    }
    platform::modal::setResponder(nullptr);
    return 0;
}
