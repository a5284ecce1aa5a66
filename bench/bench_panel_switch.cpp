// Property panel switches in the started main window (1000 x 800, card
// 425.52 x 357.12 points at 100 %): one graphic of every kind (eight shapes,
// a line, manual and series-bound text over a 10,000-line series, manual and
// series-bound 800 x 600 picture, signature, fingerprint, barcode, a locked
// rectangle). 500 clicks, each on a kind other than the last, then 500 on the
// empty card, then 500 on the graphic already shown; each timed from the
// press to the end of the panel's repaint.
#include "bench_support.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTabWidget>
#include <QMouseEvent>
#include <QThread>

#include <cstdio>
#include <map>

namespace {

struct Item {
    QString name;
    GraphicPtr graphic;
};

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void writeSeries(const QString& name, const QString& firstLine)
{
    QDir().mkpath(Data_Folder_Path);
    QFile f(Data_Folder_Path + QLatin1Char('/') + name + QStringLiteral(".txt"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    QByteArray data = (firstLine + QLatin1Char('\n')).toUtf8();
    for (int i = 1; i < 10000; ++i)
        data += "value number " + QByteArray::number(i) + '\n';
    f.write(data);
}

std::vector<Item> makeCard(const QString& picture)
{
    std::vector<Item> items;
    auto add = [&](const QString& name, const QString& cls, const QString& shape = QStringLiteral("R")) {
        GraphicPtr g = QBXGraphic::graphicOfClass(cls);
        g->Set_Shape_Type(shape);
        const int i = int(items.size());
        g->setBounds(QRectF(10 + (i % 5) * 82, 10 + (i / 5) * 85, 60, 45));
        items.push_back({name, g});
        return g;
    };
    for (const char* shape : {"R", "C", "RR", "T", "D", "S", "DS", "P"})
        add(QStringLiteral("shape ") + QString::fromLatin1(shape), QStringLiteral("Shape_Control"),
            QString::fromLatin1(shape));
    add(QStringLiteral("line"), QStringLiteral("QBXLine"));
    add(QStringLiteral("text"), QStringLiteral("QBXText"));
    GraphicPtr bound = add(QStringLiteral("text, series"), QStringLiteral("QBXText"));
    bound->Set_Data_source_type(1);
    bound->Set_Batch_List_Name(QStringLiteral("Big"));
    static_cast<QBXImage&>(*add(QStringLiteral("picture"), QStringLiteral("QBXImage"))).setFilePath(picture);
    GraphicPtr boundPicture = add(QStringLiteral("picture, series"), QStringLiteral("QBXImage"));
    static_cast<QBXImage&>(*boundPicture).setFilePath(picture);
    boundPicture->Set_Data_source_type(1);
    boundPicture->Set_Batch_List_Name(QStringLiteral("Pictures"));
    add(QStringLiteral("signature"), QStringLiteral("QBXSignature"));
    add(QStringLiteral("fingerprint"), QStringLiteral("QBXSignature"))->Set_Sign_Or_FP(QStringLiteral("F"));
    add(QStringLiteral("barcode"), QStringLiteral("QBXBarcode"));
    add(QStringLiteral("locked rectangle"), QStringLiteral("Shape_Control"))->ctrl_is_locked = true;
    return items;
}

// Press and release at a canvas point; the time until the panel has painted.
double click(QBXWindowController& c, const QPointF& point)
{
    QBXGraphicView* canvas = c._graphicView;
    const QPoint at = (point * canvas->zoom()).toPoint();
    QElapsedTimer clock;
    clock.start();
    const QPointF global = canvas->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
    QApplication::processEvents();
    c.sett_tab->repaint();
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(const QString& what, const std::vector<double>& ms)
{
    const Stats s = statsOf(ms);
    std::printf("%-22s median %7.3f ms  p95 %7.3f ms  max %7.3f ms  (%zu)\n", qPrintable(what), s.median, s.p95,
                s.max, ms.size());
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    {
        BenchEditor editor(QSizeF(425.52, 357.12));
        if (!editor.started)
            return 1;
        QBXWindowController& c = editor.controller;
        const QString picture = resources.filePath(QStringLiteral("photo.png"));
        QImage photo(800, 600, QImage::Format_RGB32);
        photo.fill(QColor(40, 120, 200));
        photo.save(picture);
        writeSeries(QStringLiteral("Big"), QStringLiteral("first value"));
        writeSeries(QStringLiteral("Pictures"), picture);

        const std::vector<Item> items = makeCard(picture);
        GraphicList list;
        std::vector<int> at;
        for (const Item& item : items) {
            list.push_back(item.graphic);
            at.push_back(int(at.size()));
        }
        editor.document.insertGraphics(list, at);
        editor.document.undoManager()->closeEventGroup();
        editor.document.undoManager()->removeAllActions();
        settle();
        QThread::msleep(200);
        settle();

        std::map<QString, std::vector<double>> perKind;
        std::vector<double> all, card, again;
        size_t last = items.size();
        for (int i = 0; i < 500; ++i) {
            size_t k = size_t(i * 7 + 3) % items.size();
            if (k == last)
                k = (k + 1) % items.size();
            last = k;
            const double ms = click(c, items[k].graphic->bounds().center());
            perKind[items[k].name].push_back(ms);
            all.push_back(ms);
        }
        const QPointF empty(415, 350);
        for (int i = 0; i < 500; ++i) {
            card.push_back(click(c, empty));
            click(c, items[size_t(i) % items.size()].graphic->bounds().center());
        }
        const QPointF shown = items[10].graphic->bounds().center();
        click(c, shown);
        for (int i = 0; i < 500; ++i)
            again.push_back(click(c, shown));

        // The panel load alone (no click, no canvas paint, no panel paint).
        std::vector<double> load;
        for (int i = 0; i < 500; ++i) {
            const GraphicPtr& g = items[size_t(i * 7 + 3) % items.size()].graphic;
            QElapsedTimer clock;
            clock.start();
            c.Show_RHS_Properties(g);
            load.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::vector<double> paint;
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer clock;
            clock.start();
            c.sett_tab->repaint();
            paint.push_back(double(clock.nsecsElapsed()) / 1e6);
        }

        std::printf("platform %s, %d cores\n", qPrintable(QGuiApplication::platformName()),
                    QThread::idealThreadCount());
        for (const Item& item : items)
            report(item.name, perKind[item.name]);
        report(QStringLiteral("every graphic switch"), all);
        report(QStringLiteral("empty card"), card);
        report(QStringLiteral("shown graphic again"), again);
        report(QStringLiteral("panel load alone"), load);
        report(QStringLiteral("panel repaint alone"), paint);
    }
    return 0;
}
