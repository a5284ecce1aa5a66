// Photo run: a 200 x 150 pt card whose 180 x 135 pt picture is bound to a
// spreadsheet column naming a different 4000 x 3000 JPEG on each of 200 rows.
// Each row's front is drawn at 300 dpi and written as PNG on 1 and 4 workers
// (each worker with its own run snapshot, as the export does). The ceiling,
// in the same process and on as many workers: libjpeg-turbo decoding each
// row's photo at the smallest scale (n/8) that covers the frame at 300 dpi,
// plus encoding the card's PNG. Medians over the runs, with peak memory.
//
// Usage: photo_run_bench [rows] [runs]
#include "bench_support.h"

#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "drawing/QBXImage.h"
#include "output/card_export.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <thread>
#include <vector>

namespace {

constexpr double kCardW = 200, kCardH = 150;
const QRectF kFrame(10, 7.5, 180, 135);
constexpr double kDpi = 300;

// A photo-like picture: smooth colour fields with detail, so JPEG has work.
QImage Photo(int w, int h, int variant)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255 / w + 40 * variant) % 256, (y * 255) / h,
                           int(128 + 100 * std::sin((x + 97 * variant) / 23.0) * std::cos(y / 17.0)));
    }
    return image;
}

struct Photo_Design {
    Binding_Design design;
    Binding_Table_Model table;
    Data_Binding binding;
    QStringList paths;

    std::shared_ptr<Binding_Run_Snapshot> Snapshot()
    {
        auto run = std::make_shared<Binding_Run_Snapshot>(binding, design, table.ListData());
        run->render_context.frame = QRectF(0, 0, kCardW, kCardH);
        run->render_context.side = 0;
        run->output_dpi = kDpi;
        return run;
    }
};

void Build(Photo_Design& d, int rows, const QString& dir)
{
    QList<QByteArray> photos;
    for (int v = 0; v < 8; ++v) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        Photo(4000, 3000, v).save(&buffer, "JPEG", 90);
        photos.push_back(buffer.data());
    }
    d.table.Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("Photo")});
    for (int i = 0; i < rows; ++i) {
        // Each row its own file: a picture of its own to the program.
        const QString path = dir + QStringLiteral("/photo%1.jpg").arg(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(photos[i % photos.size()]) < 0)
            std::printf("cannot write %s\n", qPrintable(path));
        d.paths << path;
        d.table.Create_List_By_Array({QStringLiteral("Guest %1").arg(i + 1), path}, 2);
    }
    auto photo = std::make_shared<QBXImage>();
    photo->setBounds(kFrame);
    photo->_isDrawingStroke = false;
    photo->Set_Control_File_path(d.paths.front());
    photo->Set_Data_source_type(2);
    photo->Set_Excel_binding_Index(2);
    d.design.front = {photo};
    d.binding.Check_Series_Or_Excel_Use_or_not(d.design, {}, d.table.ListData(), dir);
}

double Median(std::vector<double> v)
{
    return statsOf(std::move(v)).median;
}

// Rows claimed in order by `workers` threads; returns cards per second.
template <class PerRow>
double Rate(int rows, int workers, PerRow perRow)
{
    std::atomic<int> next{0};
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            for (int row; (row = next.fetch_add(1)) < rows;)
                perRow(w, row);
        });
    for (auto& t : threads)
        t.join();
    return rows / (wall.nsecsElapsed() / 1e9);
}

// libjpeg-turbo's decode of the file at the smallest n/8 scale covering need.
QImage Decode_Scaled(const QString& path, QSize need)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_denom = 8;
    for (cinfo.scale_num = 1; cinfo.scale_num < 8; ++cinfo.scale_num)
        if (cinfo.image_width * cinfo.scale_num >= unsigned(need.width()) * 8
            && cinfo.image_height * cinfo.scale_num >= unsigned(need.height()) * 8)
            break;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    QImage out(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir work;
    Photo_Design d;
    Build(d, rows, work.path());
    const QSize need(int(std::ceil(kFrame.width() * kDpi / 72)), int(std::ceil(kFrame.height() * kDpi / 72)));
    std::printf("%d rows, each its own 4000 x 3000 JPEG in a %.0f x %.0f pt frame, %.0f dpi (needs %d x %d px)\n",
                rows, kFrame.width(), kFrame.height(), kDpi, need.width(), need.height());
    // The card the ceiling encodes: the first row as drawn.
    const QImage card = d.Snapshot()->Render_Side(0, QStringLiteral("F"), false).toImage(kDpi);
    std::printf("decoded at %d x %d px by libjpeg-turbo\n", Decode_Scaled(d.paths.front(), need).width(),
                Decode_Scaled(d.paths.front(), need).height());
    for (int workers : {1, 4}) {
        std::vector<double> run_rate, ceiling_rate;
        for (int r = 0; r < runs; ++r) {
            {
                QTemporaryDir folder;
                std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots;
                for (int w = 0; w < workers; ++w)
                    snapshots.push_back(d.Snapshot());
                run_rate.push_back(Rate(rows, workers, [&](int w, int row) {
                    const CardPicture drawn = snapshots[size_t(w)]->Render_Side(row, QStringLiteral("F"), false);
                    QString error;
                    card_export::Write_Run_Picture(drawn.toImage(kDpi),
                                                   folder.filePath(QStringLiteral("Card_%1.PNG").arg(row + 1)), &error);
                }));
            }
            {
                QTemporaryDir folder;
                ceiling_rate.push_back(Rate(rows, workers, [&](int, int row) {
                    const QImage photo = Decode_Scaled(d.paths[row], need);
                    QString error;
                    card_export::Write_Run_Picture(card, folder.filePath(QStringLiteral("Card_%1.PNG").arg(row + 1)),
                                                   &error);
                }));
            }
        }
        const double rate = Median(run_rate), ceiling = Median(ceiling_rate);
        std::printf("%d worker%s: run %.1f cards/s, ceiling %.1f cards/s: %.2f of the ceiling (median of %d)\n",
                    workers, workers == 1 ? " " : "s", rate, ceiling, rate / ceiling, runs);
    }
    std::printf("peak resident memory %.0f MiB\n", residentKiB("VmHWM:") / 1024.0);
    return 0;
}
