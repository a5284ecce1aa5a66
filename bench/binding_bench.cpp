// Data binding benchmark: 10 series of 10,000 rows, a 10,000 x 10 binding
// table and 20 bound graphics (14 text, 3 picture over 4 tiny PNGs, 3 barcode).
// Times the use check plus snapshot once, then filling every row without
// rendering, first with a barcode stand-in that returns a prepared picture,
// then with the real Code 128 encoder. Last, barcode pictures per second a
// run's workers make on 1, 2, 4 and 8 threads (Code 128 and QR Code at 300
// and 600 dpi), beside the shared designer road that serialises them.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kRows = 10000;

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

double Fill_All(Binding_Run_Snapshot& run, int rows)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rows; ++i)
        run.Fill_Side(i, QStringLiteral("F"));
    return t.nsecsElapsed() / 1000.0;
}

// The picture as the shared designer makes it: one generation at a time.
QImage Designer_Road(const QBXGraphic& g, const QString& value, const QString& header, const QString& footer)
{
    Barcode_Gen& gen = Current_Barcode_Gen();
    auto lock = gen.Lock_Generation();
    Load_Barcode_Settings(gen, g);
    const PointPicture picture = gen.Get_Image_From_Val(value, header, footer);
    return picture.isNull() ? QImage() : picture.toImage(USED_DPI_VALUE.load());
}

// Pictures per second of `threads` workers each making `perThread` pictures;
// the median of five runs.
template <typename Make>
double Pictures_Per_Second(int threads, int perThread, const QBXGraphic& g, Make make)
{
    std::vector<double> rates;
    for (int repeat = 0; repeat < 5; ++repeat) {
        QElapsedTimer t;
        t.start();
        std::vector<std::thread> workers;
        for (int w = 0; w < threads; ++w)
            workers.emplace_back([&, w] {
                for (int i = 0; i < perThread; ++i)
                    make(g, QStringLiteral("CW-%1-%2").arg(w).arg(100000 + i), QString(), QString());
            });
        for (std::thread& worker : workers)
            worker.join();
        rates.push_back(double(threads) * perThread / (double(t.nsecsElapsed()) / 1e9));
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

void Thread_Scaling()
{
    std::printf("barcode pictures per second (median of 5), %u hardware threads\n",
                std::thread::hardware_concurrency());
    const int savedDpi = USED_DPI_VALUE.load();
    for (const char* title : {"Code 128", "QR Code"}) {
        QBXBarcode g;
        g.barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QString::fromLatin1(title)));
        g.linear_or_2d = QString::fromLatin1(title) == QLatin1String("QR Code") ? 1 : 0;
        for (int dpi : {300, 600}) {
            USED_DPI_VALUE = dpi;
            const int perThread = dpi == 300 ? 200 : 100;
            double one = 0;
            std::printf("  %-8s %d dpi:", title, dpi);
            for (int threads : {1, 2, 4, 8}) {
                const double rate = Pictures_Per_Second(threads, perThread, g, &Barcode_Picture_For_Graphic);
                if (threads == 1)
                    one = rate;
                std::printf("  %dT %.0f/s (x%.2f)", threads, rate, rate / one);
            }
            std::printf("  | shared designer 8T %.0f/s\n", Pictures_Per_Second(8, perThread / 2, g, &Designer_Road));
        }
    }
    USED_DPI_VALUE = savedDpi;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();

    QStringList pngs;
    const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int k = 0; k < 4; ++k) {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(colours[k]);
        pngs << folder + QStringLiteral("/p%1.png").arg(k);
        image.save(pngs.last(), "PNG");
    }
    // Series S0..S6 (text), P (picture paths), B0, B1 (barcode values).
    QStringList names;
    for (int s = 0; s < 7; ++s)
        names << QStringLiteral("S%1").arg(s);
    names << QStringLiteral("P") << QStringLiteral("B0") << QStringLiteral("B1");
    for (const QString& name : names) {
        QByteArray bytes;
        bytes.reserve(kRows * 16);
        for (int i = 0; i < kRows; ++i) {
            if (name == QLatin1String("P"))
                bytes += pngs[i % 4].toUtf8();
            else if (name.startsWith(QLatin1Char('B')))
                bytes += QByteArray::number(100000 + i);
            else
                bytes += name.toUtf8() + "-value-" + QByteArray::number(i);
            bytes += "\r\n";
        }
        Write(folder + QLatin1Char('/') + name + QStringLiteral(".txt"), bytes);
    }
    Binding_Table_Model table;
    QStringList titles;
    for (int k = 1; k <= 10; ++k)
        titles << QStringLiteral("Col %1").arg(k);
    table.Set_Sheet_Columns(titles);
    for (int i = 0; i < kRows; ++i) {
        QStringList cells;
        for (int k = 1; k <= 10; ++k)
            cells << QStringLiteral(" r%1c%2 ").arg(i).arg(k);
        table.Create_List_By_Array(cells, 10);
    }

    Binding_Design design;
    for (int k = 0; k < 7; ++k) {
        auto t = std::make_shared<QBXText>();
        t->Set_Data_source_type(1);
        t->Set_Batch_List_Name(names[k]);
        design.front.push_back(t);
        auto c = std::make_shared<QBXText>();
        c->Set_Data_source_type(2);
        c->Set_Excel_binding_Index(k + 1);
        design.front.push_back(c);
    }
    for (int k = 0; k < 3; ++k) {
        auto p = std::make_shared<QBXImage>();
        p->Set_Data_source_type(1);
        p->Set_Batch_List_Name(QStringLiteral("P"));
        design.front.push_back(p);
    }
    for (int k = 0; k < 3; ++k) {
        auto b = std::make_shared<QBXBarcode>();
        b->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("Code 128")));
        if (k < 2) {
            b->Set_Data_source_type(1);
            b->Set_Batch_List_Name(names[8 + k]);
        } else {
            b->Set_Data_source_type(2);
            b->Set_Excel_binding_Index(10);
        }
        design.front.push_back(b);
    }
    const int graphics = int(design.front.size());

    QImage prepared(200, 60, QImage::Format_RGB32);
    prepared.fill(Qt::white);
    auto stub = [prepared](const QBXGraphic&, const QString&, const QString&, const QString&, const Barcode_Run_Target&) {
        return Barcode_Row_Picture{PointPicture::fromImage(prepared, QSizeF(prepared.size())), 72};
    };

    QElapsedTimer t;
    t.start();
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder), table.ListData(),
                                             folder);
    Binding_Run_Snapshot run(binding, design, table.ListData(), {}, {}, stub);
    const double rebuild_us = t.nsecsElapsed() / 1000.0;
    const int cards = run.Total_Batch_Excel_Card();

    const double fill_us = Fill_All(run, cards);
    std::printf("binding_bench: %d cards, %d bound graphics (14 text, 3 picture, 3 barcode)\n", cards, graphics);
    std::printf("  use check + snapshot: %.1f ms\n", rebuild_us / 1000.0);
    std::printf("  fill, barcode stand-in: %.1f ms total, %.2f us per row per graphic\n", fill_us / 1000.0,
                fill_us / (double(cards) * graphics));
    std::printf("  problems recorded: %d\n", int(run.Problems().size()));

    // The real encoder: fewer rows, reported per barcode made.
    const int realRows = 300;
    Binding_Run_Snapshot real(binding, design, table.ListData());
    const double real_us = Fill_All(real, realRows);
    std::printf("  fill, real Code 128 (%d rows): %.1f ms total, %.2f us per row per graphic, %.1f us per barcode "
                "(at %d dpi)\n",
                realRows, real_us / 1000.0, real_us / (double(realRows) * graphics),
                (real_us - fill_us / cards * realRows) / (realRows * 3.0), USED_DPI_VALUE.load());
    std::printf("  problems recorded: %d\n", int(real.Problems().size()));
    Thread_Scaling();
    return 0;
}
