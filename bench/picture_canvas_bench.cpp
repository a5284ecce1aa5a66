// Canvas repaints of a design holding 60 stored 4096 x 4096 PNG pictures
// (their bytes kept in the design, as a design file holds them), each in a
// 245.76 pt square frame (2048 px at 600 dpi), 10 x 6 on a 2460 x 1480 pt
// card, in the 1000 x 800 main window: the first full visible repaint after
// the design is placed, then 20 repaints that show nothing new, at 100 %,
// at 25 % (the whole card visible) and at 200 %. Wall time of each repaint,
// with the decodes made and the resident memory.
#include "bench_support.h"

#include "drawing/PictureStore.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>

namespace {

constexpr double kSide = 245.76;

// A 4096 x 4096 picture of soft gradients and a few shapes: compressible as
// photos of drawn cards are, with rows of its own to inflate.
QByteArray Stored_Png(int variant)
{
    QImage image(4096, 4096, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient back(0, 0, 4096, 4096);
    back.setColorAt(0, QColor::fromHsv((variant * 47) % 360, 120, 240));
    back.setColorAt(1, QColor::fromHsv((variant * 47 + 120) % 360, 200, 120));
    p.fillRect(image.rect(), back);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        QRadialGradient spot(QPointF(300 + i * 310, 400 + (i * 977 + variant * 131) % 3300), 500);
        spot.setColorAt(0, QColor::fromHsv((i * 30 + variant * 11) % 360, 220, 250, 200));
        spot.setColorAt(1, Qt::transparent);
        p.setBrush(spot);
        p.setPen(Qt::NoPen);
        p.drawEllipse(spot.center(), 500, 500);
    }
    p.end();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    const QSizeF card(10 * kSide + 2, 6 * kSide + 5);
    BenchEditor editor(card);
    if (!editor.started)
        return 1;
    std::vector<QByteArray> pngs;
    for (int v = 0; v < 6; ++v)
        pngs.push_back(Stored_Png(v));
    GraphicList graphics;
    for (int i = 0; i < 60; ++i) {
        auto g = std::make_shared<QBXImage>();
        // Each its own stored picture, as a design file's pictures are.
        g->_contents = platform::StoredPicture::fromBytes(QByteArray(pngs[size_t(i % 6)].constData(),
                                                                     pngs[size_t(i % 6)].size()));
        g->Set_Control_File_path(QStringLiteral("/gone/picture%1.png").arg(i)); // its file no longer there
        g->setBounds(QRectF(1 + (i % 10) * kSide, 2 + (i / 10) * kSide, kSide, kSide));
        g->_isDrawingStroke = false;
        graphics.push_back(g);
    }
    std::printf("60 stored 4096 x 4096 PNGs of %.0f KiB each (median), window %dx%d\n",
                double(pngs[0].size()) / 1024.0, editor.controller.window->width(),
                editor.controller.window->height());
    std::vector<int> at(graphics.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = int(i);
    QBXGraphicView* canvas = editor.controller._graphicView;
    for (double zoom : {1.0, 0.25, 2.0}) {
        editor.controller.setZoomFactor(zoom);
        if (zoom == 1.0)
            editor.document.insertIntoList(QStringLiteral("graphics"), graphics, at);
        const qint64 decodes = drawing::PictureStore::current().decodes();
        QElapsedTimer first;
        first.start();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        repaintMs(canvas);
        const double first_ms = double(first.nsecsElapsed()) / 1e6;
        const qint64 first_decodes = drawing::PictureStore::current().decodes() - decodes;
        std::vector<double> ms;
        for (int run = 0; run < 20; ++run)
            ms.push_back(repaintMs(canvas));
        const Stats s = statsOf(ms);
        std::printf("zoom %3.0f %%: first repaint %7.1f ms (%lld decodes); then median %6.1f ms, max %6.1f ms "
                    "(%lld decodes in 20); kept %.0f MiB, resident %.0f MiB (peak %.0f)\n",
                    zoom * 100, first_ms, static_cast<long long>(first_decodes), s.median, s.max,
                    static_cast<long long>(drawing::PictureStore::current().decodes() - decodes - first_decodes),
                    double(drawing::PictureStore::current().keptBytes()) / 1048576.0, residentKiB("VmRSS:") / 1024.0,
                    residentKiB("VmHWM:") / 1024.0);
    }
    editor.controller.setDocument(nullptr);
    platform::modal::setResponder(nullptr);
    return 0;
}
