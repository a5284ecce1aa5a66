// Canvas repaint time: a 425.52 x 357.12-point card with 200 graphics of
// every kind in the 1000 x 800 main window, after the real start-up. Times a
// full visible repaint at 100 % and 400 % (200 runs each) and the repaint
// after one graphic moves (200 runs).
#include "bench_support.h"

#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXZoomingScrollView.h"
#include "editor/QBXWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>

#include <cstdio>

namespace {

GraphicList twoHundredGraphics(const QSizeF& card)
{
    const QStringList kinds{QStringLiteral("QBXText"), QStringLiteral("Shape_Control"), QStringLiteral("QBXLine"),
                            QStringLiteral("QBXImage"), QStringLiteral("QBXSignature"), QStringLiteral("QBXBarcode")};
    const QStringList shapes{"R", "C", "RR", "T", "D", "S", "DS", "P"};
    QImage barcode(120, 40, QImage::Format_ARGB32_Premultiplied);
    barcode.fill(Qt::white);
    for (int x = 0; x < 120; x += 3)
        for (int y = 0; y < 40; ++y)
            barcode.setPixel(x, y, qRgb(0, 0, 0));
    GraphicList list;
    for (int i = 0; i < 200; ++i) {
        GraphicPtr g = QBXGraphic::graphicOfClass(kinds.at(i % kinds.size()));
        if (!g)
            continue;
        const double x = std::fmod(i * 37.0, card.width() - 60);
        const double y = std::fmod(i * 23.0, card.height() - 40);
        g->setBounds(QRectF(x, y, 60, 40));
        g->_shape_type = shapes.at(i % shapes.size());
        g->_fill_type = i % 3 == 0 ? QStringLiteral("G") : QStringLiteral("S");
        g->_fill_Grad_clr2 = QColor(40, 90, 200);
        g->Set_Barcode_image(barcode);
        list.push_back(g);
    }
    return list;
}

void report(const char* what, const std::vector<double>& ms)
{
    const Stats s = statsOf(ms);
    std::printf("%-28s median %6.2f ms  p95 %6.2f ms  max %6.2f ms  (%zu runs; budget median and p95 < 16 ms)\n",
                what, s.median, s.p95, s.max, ms.size());
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
        GraphicList graphics = twoHundredGraphics(card);
        std::vector<int> at(graphics.size());
        for (size_t i = 0; i < at.size(); ++i)
            at[i] = int(i);
        document.insertIntoList(QStringLiteral("graphics"), graphics, at);
        controller._graphicsController->setSelectionIndexes({0, 5, 10});
        QBXGraphicView* canvas = controller._graphicView;
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();

        std::printf("platform %s, window %dx%d, %zu graphics\n", qPrintable(QGuiApplication::platformName()),
                    controller.window->width(), controller.window->height(), graphics.size());
        for (double zoom : {1.0, 4.0}) {
            controller.setZoomFactor(zoom);
            for (int i = 0; i < 10; ++i)
                QApplication::processEvents();
            repaintMs(canvas); // warm caches
            std::vector<double> ms;
            for (int run = 0; run < 200; ++run)
                ms.push_back(repaintMs(canvas));
            report(zoom == 1.0 ? "full visible repaint 100%" : "full visible repaint 400%", ms);
        }
        controller.setZoomFactor(1.0);
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
        std::vector<double> moved;
        const GraphicPtr g = graphics[100];
        for (int run = 0; run < 200; ++run) {
            QElapsedTimer clock;
            clock.start();
            g->setBounds(g->bounds().translated(run % 2 ? -3 : 3, 0));
            QApplication::processEvents(); // the paint of the marked areas
            moved.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        report("one moved graphic", moved);

        // Where the time goes: each kind's own drawing, at 400 %, into a
        // picture of the visible size.
        QImage surface(700, 650, QImage::Format_ARGB32_Premultiplied);
        for (const QString& kind : {QStringLiteral("QBXText"), QStringLiteral("Shape_Control"),
                                    QStringLiteral("QBXLine"), QStringLiteral("QBXImage"),
                                    QStringLiteral("QBXSignature"), QStringLiteral("QBXBarcode")}) {
            GraphicList same;
            for (const GraphicPtr& g : graphics) {
                if (g->className() == kind)
                    same.push_back(g);
            }
            DrawingContext context;
            context.isCanvas = true;
            context.deviceScale = 4.0;
            QElapsedTimer clock;
            clock.start();
            for (int run = 0; run < 20; ++run) {
                QPainter painter(&surface);
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.scale(4.0, 4.0);
                for (const GraphicPtr& g : same) {
                    painter.save();
                    painter.setClipRect(g->drawingBounds(), Qt::IntersectClip);
                    g->drawContentsInView(&painter, context, false);
                    painter.restore();
                }
            }
            std::printf("  %-14s %3zu graphics: %.3f ms per graphic at 400%%\n", qPrintable(kind), same.size(),
                        double(clock.nsecsElapsed()) / 1e6 / 20.0 / double(std::max<size_t>(1, same.size())));
        }
        controller.setDocument(nullptr);
    }
    platform::modal::setResponder(nullptr);
    return 0;
}
