// Card output benchmark on a 252 x 144 pt card bound to 1,000 spreadsheet
// rows (background, photo, shapes, three bound texts, bound Code 128 and QR):
//  - export: each row's front at 300 dpi written as PNG on 1 and 4 workers
//    (cards/s, p95 per card), the PNG-encode-only ceiling, and PNG size and
//    time at the zlib levels tried;
//  - print: 100 sheets of 2 x 5 on A4 through the printed view to PDF,
//    against glabels-3-batch merging a like 1,000-record CSV (10-up A4, box,
//    text, Code 128) in the same run, when it is installed; wall time and the
//    processor time of all threads (ours) or of the child (glabels).
//  - latency ("latency" mode): in the started editor, the time from Print
//    Preview to the first sheet shown, from the batch export's start to its
//    first progress, and from a confirmed Stop to the end of the export.
// Medians over several runs.
//
// Usage: output_bench <out-dir> [rows] [runs] [print|export|latency]
//        ("print", "export": that part alone; "latency": the latency figures alone)
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "batch/Binding_Table_Model.h"
#include "batch/DataBinding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "bench_support.h"

#include "app/Globals.h"
#include "output/Print_Wnd.h"
#include "output/Printing_View.h"
#include "output/Send_Modeless.h"
#include "output/card_export.h"
#include "platform/print_preview.h"
#include "platform/printers.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QCheckBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr double kW = 252, kH = 144;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}
double P95(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(double(v.size()) * 0.95))];
}

QImage Photo(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 255) / w, (y * 255) / h, int(128 + 100 * std::sin(x / 23.0) * std::cos(y / 17.0))));
    return image;
}

std::shared_ptr<QBXText> Bound_Text(int column, QRectF r, double size)
{
    auto t = std::make_shared<QBXText>();
    t->text_ctrl_font = QFont(QStringLiteral("DejaVu Sans"));
    t->text_ctrl_font.setPointSizeF(size);
    t->txt_clr = Qt::black;
    t->_isDrawingFill = false;
    t->_isDrawingStroke = false;
    t->setBounds(r);
    t->Set_Data_source_type(2);
    t->Set_Excel_binding_Index(column);
    return t;
}

// A barcode bound to a column, captions (header and footer) hidden.
std::shared_ptr<QBXBarcode> Bound_Barcode(const QString& symbology, int column)
{
    auto b = std::make_shared<QBXBarcode>();
    b->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(symbology));
    b->linear_or_2d = Barcode_Gen::Is_2D_Title(symbology) ? 1 : 0;
    b->Set_Data_source_type(2);
    b->Set_Excel_binding_Index(column);
    b->show_hide_hdr = b->show_hide_ftr = 1;
    return b;
}

// Places a barcode at `at` with the bounds the designer gives it: the
// picture's own size for a sample value.
std::shared_ptr<QBXBarcode> Placed(std::shared_ptr<QBXBarcode> b, QPointF at, const QString& sample)
{
    const QSizeF size = Barcode_Row_Picture_For_Graphic(*b, sample, b->header_val, b->footer_val,
                                                       Barcode_Run_Target{true, 0, {}}).picture.size();
    b->setBounds(QRectF(at, size));
    return b;
}

struct Bench_Design {
    Binding_Design design;
    Binding_Table_Model table;
    Data_Binding binding;
    int rows = 0;

    std::shared_ptr<Binding_Run_Snapshot> Snapshot()
    {
        auto run = std::make_shared<Binding_Run_Snapshot>(binding, design, table.ListData());
        run->render_context.frame = QRectF(0, 0, kW, kH);
        run->render_context.side = 0;
        return run;
    }
};

void Build(Bench_Design& d, int rows, const QString& dir)
{
    QStringList titles{QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Number"),
                       QStringLiteral("Code"), QStringLiteral("Link")};
    d.table.Set_Sheet_Columns(titles);
    for (int i = 0; i < rows; ++i)
        d.table.Create_List_By_Array({QStringLiteral("Guest %1").arg(i + 1), QStringLiteral("Company %1").arg(i % 37),
                                      QStringLiteral("No. %1").arg(100000 + i), QStringLiteral("CW%1").arg(i, 8, 10,
                                                                                                           QChar('0')),
                                      QStringLiteral("https://example.org/card/%1").arg(i)},
                                     5);
    Photo(1050, 600).save(dir + QStringLiteral("/background.jpg"));
    Photo(300, 400).save(dir + QStringLiteral("/photo.jpg"));

    GraphicList bottom; // bottom first; index 0 is on top
    auto background = std::make_shared<QBXImage>();
    background->setFilePath(dir + QStringLiteral("/background.jpg"));
    background->setBounds(QRectF(0, 0, kW, kH));
    background->_isDrawingStroke = false;
    bottom.push_back(background);
    const char* kinds[] = {"R", "C", "RR", "S"};
    for (int i = 0; i < 4; ++i) {
        auto s = std::make_shared<Shape_Control>();
        s->Set_Shape_Type(kinds[i]);
        s->setBounds(QRectF(8 + i * 22, 118, 18, 18));
        s->_fill_type = i % 2 ? "G" : "S";
        s->_fillColor = QColor::fromHsv(i * 60, 160, 230);
        s->_fill_Grad_clr1 = QColor::fromHsv(i * 60, 200, 250);
        s->_fill_Grad_clr2 = QColor::fromHsv(i * 60 + 40, 200, 150);
        bottom.push_back(s);
    }
    auto photo = std::make_shared<QBXImage>();
    photo->setFilePath(dir + QStringLiteral("/photo.jpg"));
    photo->setBounds(QRectF(8, 8, 60, 80));
    bottom.push_back(photo);
    bottom.push_back(Bound_Text(1, QRectF(76, 8, 170, 20), 14));
    bottom.push_back(Bound_Text(2, QRectF(76, 30, 170, 16), 10));
    bottom.push_back(Bound_Text(3, QRectF(76, 48, 170, 16), 10));
    auto code = Bound_Barcode(QStringLiteral("Code 128"), 4);
    code->linear_width_val = 11;
    bottom.push_back(Placed(code, QPointF(76, 70), QStringLiteral("CW00000000")));
    auto qr = Bound_Barcode(QStringLiteral("QR Code"), 5);
    qr->qr_size_val = 42;
    bottom.push_back(Placed(qr, QPointF(186, 84), QStringLiteral("https://example.org/card/0")));
    d.design.front.assign(bottom.rbegin(), bottom.rend());
    d.binding.Check_Series_Or_Excel_Use_or_not(d.design, {}, d.table.ListData(), dir);
}

// The peer's card: a box, a bound text and a bound Code 128, nothing else.
void Build_Like_Peer(Bench_Design& d, int rows)
{
    d.table.Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("Code")});
    for (int i = 0; i < rows; ++i)
        d.table.Create_List_By_Array({QStringLiteral("Guest %1").arg(i + 1), QStringLiteral("CW%1").arg(i, 8, 10, QChar('0'))},
                                     2);
    auto box = std::make_shared<Shape_Control>();
    box->Set_Shape_Type("R");
    box->setBounds(QRectF(4, 4, kW - 8, kH - 8));
    box->_fill_type = "S";
    box->_fillColor = QColor(0xdd, 0xee, 0xff);
    GraphicList bottom{box, Bound_Text(1, QRectF(12, 12, 220, 24), 14),
                       Placed(Bound_Barcode(QStringLiteral("Code 128"), 2), QPointF(12, 60), QStringLiteral("CW00000000"))};
    d.design.front.assign(bottom.rbegin(), bottom.rend());
    d.binding.Check_Series_Or_Excel_Use_or_not(d.design, {}, d.table.ListData(), QString());
    d.rows = d.binding.counts.Total_Batch_Excel_Card;
}

struct Export_Result {
    double cards_per_s = 0, p95_ms = 0;
};

// One run: rows claimed in order by `workers` threads, each with its own
// snapshot, rendering the front at 300 dpi and writing it as PNG.
Export_Result Export_Run(Bench_Design& d, int workers, const QString& folder)
{
    std::vector<std::shared_ptr<Binding_Run_Snapshot>> snapshots;
    for (int w = 0; w < workers; ++w)
        snapshots.push_back(d.Snapshot());
    std::atomic<int> next{0};
    std::vector<std::vector<double>> latencies(workers);
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            for (int row; (row = next.fetch_add(1)) < d.rows;) {
                QElapsedTimer t;
                t.start();
                const CardPicture card = snapshots[w]->Render_Side(row, QStringLiteral("F"), false);
                QString error;
                card_export::Write_Run_Picture(card.toImage(300),
                                               folder + QStringLiteral("/Card_%1.PNG").arg(row + 1), &error);
                latencies[w].push_back(t.nsecsElapsed() / 1e6);
            }
        });
    for (auto& t : threads)
        t.join();
    card_export::Sync_Run_Folder(folder, nullptr);
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::vector<double> all;
    for (auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    return {d.rows / seconds, P95(all)};
}

// Thread CPU time in milliseconds: the split below is not thrown off by
// other work on a shared machine.
double Cpu_Ms()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Where one worker's time goes per card (medians of thread CPU time):
// filling the row, drawing it at 300 dpi, encoding the PNG alone, encoding
// and writing the file.
void Print_Card_Split(Bench_Design& d, const QString& folder)
{
    auto snapshot = d.Snapshot();
    std::vector<double> fill, draw, encode, write;
    for (int row = 0; row < std::min(d.rows, 200); ++row) {
        double t0 = Cpu_Ms();
        const CardPicture card = snapshot->Render_Side(row, QStringLiteral("F"), false);
        double t1 = Cpu_Ms();
        const QImage image = card.toImage(300);
        double t2 = Cpu_Ms();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        card_export::Write_Png(image, buffer, nullptr);
        double t3 = Cpu_Ms();
        QString error;
        QFile::remove(folder + QStringLiteral("/split.png"));
        card_export::Write_Run_Picture(image, folder + QStringLiteral("/split.png"), &error);
        double t4 = Cpu_Ms();
        fill.push_back(t1 - t0);
        draw.push_back(t2 - t1);
        encode.push_back(t3 - t2);
        write.push_back(t4 - t3);
    }
    std::printf("per card, 1 worker, CPU: fill row %.1f ms, draw %.1f ms, encode PNG %.1f ms, encode and write the "
                "file %.1f ms\n",
                Median(fill), Median(draw), Median(encode), Median(write));
}

double Encode_Ceiling(const QImage& card, int workers, int cards, const QString& folder)
{
    std::atomic<int> next{0};
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            for (int i; (i = next.fetch_add(1)) < cards;) {
                QString error;
                card_export::Write_Run_Picture(card, folder + QStringLiteral("/enc_%1.png").arg(i), &error);
            }
        });
    for (auto& t : threads)
        t.join();
    card_export::Sync_Run_Folder(folder, nullptr);
    return cards / (wall.nsecsElapsed() / 1e9);
}

// Seconds of processor time this process (every thread) and its waited-for
// children have used: beside the wall time, a figure a loaded machine does
// not inflate.
double Process_Cpu_S()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}
double Children_Cpu_S()
{
    rusage u;
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

struct Timing {
    double wall = 0, cpu = 0;
};

Timing Print_Run(Bench_Design& d, const QString& pdf)
{
    auto snapshot = d.Snapshot();
    Print_Job job;
    job.layout.paper_w = 595.276;
    job.layout.paper_h = 841.89;
    sheet_layout::Check_Max_Cell_Value({kW / 72 * 25.4, kH / 72 * 25.4, 0, 0, 5, 2}, job.layout);
    job.layout.label_align_val = 5;
    job.Total_Label_Real = d.rows;
    job.data_in_use = true;
    job.data_rows = d.rows;
    job.front_image = snapshot->Render_Side(0, QStringLiteral("F"), true);
    job.render_row = [snapshot](int row, const QString& side) { return snapshot->Render_Side(row, side, true); };
    QElapsedTimer t;
    t.start();
    const double cpu0 = Process_Cpu_S();
    Printing_View view(job);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    view.Print(printer, view.numberOfPages(false));
    return {t.nsecsElapsed() / 1e9, Process_Cpu_S() - cpu0};
}

// The glabels peer: a 10-up A4 sheet of 252 x 144 pt labels with a box, a
// merged text and a merged Code 128, over a 1,000-record CSV.
QString Write_Glabels(const QString& dir, int rows)
{
    QFile csv(dir + QStringLiteral("/records.csv"));
    csv.open(QIODevice::WriteOnly);
    csv.write("Name,Code\n");
    for (int i = 0; i < rows; ++i)
        csv.write(QStringLiteral("Guest %1,CW%2\n").arg(i + 1).arg(i, 8, 10, QChar('0')).toUtf8());
    csv.close();
    const QString affine = QStringLiteral("a0=\"1\" a1=\"0\" a2=\"0\" a3=\"1\" a4=\"0\" a5=\"0\"");
    const QString doc =
        QStringLiteral(
            "<?xml version=\"1.0\"?>\n"
            "<Glabels-document xmlns=\"http://glabels.org/xmlns/3.0/\">\n"
            " <Template brand=\"Cardwright\" part=\"CW10\" size=\"A4\" description=\"10 cards\">\n"
            "  <Meta category=\"card\"/>\n"
            "  <Label-rectangle id=\"0\" width=\"252pt\" height=\"144pt\" round=\"0pt\" x_waste=\"0pt\" "
            "y_waste=\"0pt\">\n"
            "   <Markup-margin size=\"0pt\"/>\n"
            "   <Layout nx=\"2\" ny=\"5\" x0=\"45.6pt\" y0=\"60.9pt\" dx=\"252pt\" dy=\"144pt\"/>\n"
            "  </Label-rectangle>\n"
            " </Template>\n"
            " <Objects id=\"0\" rotate=\"False\">\n"
            "  <Object-box x=\"4pt\" y=\"4pt\" w=\"244pt\" h=\"136pt\" line_width=\"1pt\" line_color=\"0x000000ff\" "
            "fill_color=\"0xddeeffff\" %1/>\n"
            "  <Object-text x=\"12pt\" y=\"12pt\" w=\"220pt\" h=\"24pt\" justify=\"Left\" valign=\"Top\" "
            "auto_shrink=\"False\" %1>\n"
            "   <Span font_family=\"DejaVu Sans\" font_size=\"14\" font_weight=\"Regular\" font_italic=\"False\" "
            "color=\"0x000000ff\" line_spacing=\"1\"><Field name=\"Name\"/></Span>\n"
            "  </Object-text>\n"
            "  <Object-barcode x=\"12pt\" y=\"60pt\" w=\"200pt\" h=\"60pt\" backend=\"gnu-barcode\" style=\"code128\" "
            "text=\"True\" checksum=\"True\" color=\"0x000000ff\" field=\"Code\" %1/>\n"
            " </Objects>\n"
            " <Merge type=\"Text/Comma/Line1Keys\" src=\"%2\"/>\n"
            "</Glabels-document>\n")
            .arg(affine, csv.fileName());
    QFile file(dir + QStringLiteral("/cards.glabels"));
    file.open(QIODevice::WriteOnly);
    file.write(doc.toUtf8());
    return file.fileName();
}

QString Pdf_Pages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed();
    return QStringLiteral("?");
}

// Watches a run's progress sheet from a timer, so it works while the run's
// starter waits in a loop of its own: notes the first progress shown and,
// 1.5 s after the start, presses Stop (confirmed by the responder).
struct Run_Watch {
    Send_Modeless& sheet;
    QElapsedTimer start, stopped;
    double first_ms = -1;
    QTimer timer;

    explicit Run_Watch(Send_Modeless& s) : sheet(s)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (first_ms < 0 && sheet.isVisible() && !sheet._curr_msg_cnt->text().startsWith(QStringLiteral("0 /")))
                first_ms = start.nsecsElapsed() / 1e6;
            if (start.elapsed() > 1500 && !stopped.isValid()) {
                stopped.start();
                sheet.Stop_Sending_Pressed();
            }
        });
        start.start();
        timer.start(1);
    }
    double Stop_ms() const { return stopped.isValid() ? stopped.nsecsElapsed() / 1e6 : -1; }
};

// Answers the print window and the preview as a user would: the window
// gets 2 x 5 cards of the spreadsheet's rows and opens the preview (or
// prints, stopped by a Run_Watch); the preview reports when its first sheet
// shows, then closes.
class Latency_Responder : public BenchResponder {
public:
    bool print = false;
    QElapsedTimer clock;
    double preview_ms = -1, window_ms = -1, print_ms = -1, print_first_ms = -1, print_stop_ms = -1;
    QString sample; // where the preview's first view is kept

    int run(QDialog& dialog) override
    {
        if (dialog.objectName() == QLatin1String("Print_Wnd")) {
            Print_Wnd& w = static_cast<Print_Wnd&>(dialog);
            w.Row_Text->setText(QStringLiteral("5"));
            w.Row_Changed(false);
            w.Col_Text->setText(QStringLiteral("2"));
            w.Col_Changed(false);
            w.print_with_excel_chk->setChecked(true);
            w.Print_With_Excel_Changed();
            clock.start();
            if (!print) {
                w.Execute_Printing(true);
                return 0;
            }
            Run_Watch watch(*Send_Modeless::defaultInstance());
            w.Execute_Printing(false);
            print_ms = clock.nsecsElapsed() / 1e6;
            print_first_ms = watch.first_ms;
            print_stop_ms = watch.Stop_ms();
            return 0;
        }
        if (dialog.objectName() == QLatin1String("Print_Preview")) {
            window_ms = clock.nsecsElapsed() / 1e6;
            auto* preview = dialog.findChild<platform::Pages_Preview*>();
            dialog.show();
            while (preview && preview->shownPages() == 0 && clock.elapsed() < 120000)
                QApplication::processEvents(QEventLoop::AllEvents, 1);
            preview_ms = clock.nsecsElapsed() / 1e6;
            if (preview && !sample.isEmpty()) {
                QApplication::processEvents();
                preview->viewport()->grab().save(sample);
            }
            dialog.hide();
            return 0;
        }
        return BenchResponder::run(dialog);
    }
};

void Spin_Until(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 120000)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
}

// The latency figures on the started editor holding the bench's card and
// rows, printing on a stand-in A4 printer that writes PDF.
int Latency(int argc, char** argv, const QString& out, int rows, int runs)
{
    QTemporaryDir resources, work;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    const QString pdf = out + QStringLiteral("/latency.pdf");
    platform::setPrinterSource([pdf] {
        return QList<platform::Printer_Desc>{{QStringLiteral("Office"), QPageSize(QPageSize::A4), QMarginsF(), pdf}};
    });
    BenchEditor editor(QSizeF(kW, kH));
    if (!editor.started)
        return 1;
    Latency_Responder responder;
    responder.sample = out + QStringLiteral("/preview_first_sheet.png");
    platform::modal::setResponder(&responder);

    Bench_Design d;
    Build(d, rows, work.path());
    editor.document.setList(QStringLiteral("graphics"), d.design.front);
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns(d.table.Header_Titles().mid(1));
    Binding_Table_Model::defaultInstance()->setListData(d.table.ListData());
    editor.controller.Check_Series_Or_Excel_Use_or_not();
    std::printf("output_bench latency: %d rows, %d runs each, %d hardware threads\n", int(Total_Batch_Excel_Card),
                runs, QThread::idealThreadCount());

    std::vector<double> window, preview;
    for (int r = 0; r < runs; ++r) {
        responder.preview_ms = responder.window_ms = -1;
        editor.controller.Open_Print_Window();
        window.push_back(responder.window_ms);
        preview.push_back(responder.preview_ms);
    }
    std::printf("print preview of 100 sheets (50 shown): window up %.0f ms, first sheet shown %.0f ms (medians)\n",
                Median(window), Median(preview));

    responder.print = true;
    std::vector<double> print_all, print_first, print_stop;
    for (int r = 0; r < runs; ++r) {
        editor.controller.Open_Print_Window();
        print_all.push_back(responder.print_ms);
        print_first.push_back(responder.print_first_ms);
        print_stop.push_back(responder.print_stop_ms);
    }
    std::printf("print of 100 sheets to PDF, Stop pressed at 1.5 s: the run ended after %.0f ms, first progress %.0f "
                "ms, Stop to end %.0f ms (medians; -1: none)\n",
                Median(print_all), Median(print_first), Median(print_stop));

    export_card_side = QStringLiteral("F");
    export_file_format = QStringLiteral("PNG");
    export_dpi = 300;
    Send_Modeless& sheet = *editor.controller.send_modls_wnd;
    std::vector<double> blocked, first, stop;
    for (int r = 0; r < runs; ++r) {
        QTemporaryDir folder;
        Run_Watch watch(sheet);
        editor.controller.Export_Batch_File(folder.path());
        blocked.push_back(watch.start.nsecsElapsed() / 1e6);
        Spin_Until([&] { return !editor.controller.Export_Run_Active(); });
        first.push_back(watch.first_ms);
        stop.push_back(watch.Stop_ms());
    }
    std::printf("export at 300 dpi: start blocks the window %.0f ms, first progress %.0f ms, Stop to end %.0f ms "
                "(medians)\n",
                Median(blocked), Median(first), Median(stop));
    // The whole run, not stopped, as the user starts it.
    std::vector<double> whole;
    for (int r = 0; r < runs; ++r) {
        QTemporaryDir folder;
        QElapsedTimer clock;
        clock.start();
        editor.controller.Export_Batch_File(folder.path());
        Spin_Until([&] { return !editor.controller.Export_Run_Active(); });
        whole.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("export of all %d rows at 300 dpi through the editor: %.0f ms (median)\n", int(Total_Batch_Excel_Card),
                Median(whole));
    platform::setPrinterSource({});
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int rows = argc > 2 ? std::max(10, atoi(argv[2])) : 1000;
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 3;
    QDir().mkpath(out);
    if (argc > 4 && QByteArray(argv[4]) == "latency")
        return Latency(argc, argv, out, rows, runs);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work;

    Bench_Design d;
    Build(d, rows, work.path());
    d.rows = d.binding.counts.Total_Batch_Excel_Card;
    std::printf("output_bench: %d rows, %u hardware threads, %d runs each\n", d.rows, std::thread::hardware_concurrency(),
                runs);
    if (d.rows <= 0)
        return 1;

    // One card, kept as a sample; PNG size and time at the levels tried.
    const QImage card = d.Snapshot()->Render_Side(0, QStringLiteral("F"), false).toImage(300);
    card.save(out + QStringLiteral("/card_300dpi.png"));
    std::printf("card at 300 dpi: %d x %d px\n", card.width(), card.height());
    // A fourth argument "print" or "export" runs that part alone.
    const bool print_only = argc > 4 && QByteArray(argv[4]) == "print";
    const bool export_only = argc > 4 && QByteArray(argv[4]) == "export";
    for (int level : {0, 1, 3, 6, 9}) {
        if (print_only)
            break;
        std::vector<double> ms;
        qint64 bytes = 0;
        for (int i = 0; i < 5; ++i) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "png");
            // Qt's PNG writer: zlib level = (100 - quality) * 9 / 91.
            writer.setQuality(level == 0 ? 100 : 100 - (level * 91 + 8) / 9);
            QElapsedTimer t;
            t.start();
            writer.write(card);
            ms.push_back(t.nsecsElapsed() / 1e6);
            bytes = buffer.size();
        }
        std::printf("  Qt's PNG writer, zlib level %d: %7.1f KiB, %6.1f ms%s\n", level, bytes / 1024.0, Median(ms),
                    level == 1 ? "  (the export's writer before)" : "");
    }
    if (!print_only) {
        std::vector<double> ms;
        qint64 bytes = 0;
        for (int i = 0; i < 5; ++i) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QElapsedTimer t;
            t.start();
            card_export::Write_Png(card, buffer, nullptr);
            ms.push_back(t.nsecsElapsed() / 1e6);
            bytes = buffer.size();
        }
        std::printf("  libpng, UP filter, RGB when opaque, level 1: %7.1f KiB, %6.1f ms  (the export's writer)\n",
                    bytes / 1024.0, Median(ms));
    }

    if (!print_only) {
        QTemporaryDir folder;
        Print_Card_Split(d, folder.path());
    }
    for (int workers : {1, 4}) {
        if (print_only)
            break;
        std::vector<double> rate, p95;
        for (int r = 0; r < runs; ++r) {
            QTemporaryDir folder;
            const Export_Result e = Export_Run(d, workers, folder.path());
            rate.push_back(e.cards_per_s);
            p95.push_back(e.p95_ms);
        }
        std::vector<double> ceiling;
        for (int r = 0; r < runs; ++r) {
            QTemporaryDir folder;
            ceiling.push_back(Encode_Ceiling(card, workers, std::min(d.rows, 400), folder.path()));
        }
        std::printf("export, %d worker%s: %6.1f cards/s (median), p95 %.1f ms per card; PNG-encode-only ceiling %.1f "
                    "cards/s\n",
                    workers, workers == 1 ? " " : "s", Median(rate), Median(p95), Median(ceiling));
    }

    if (export_only)
        return 0;
    std::vector<double> print_s, print_cpu;
    const QString pdf = out + QStringLiteral("/sheets.pdf");
    for (int r = 0; r < runs; ++r) {
        const Timing t = Print_Run(d, pdf);
        print_s.push_back(t.wall);
        print_cpu.push_back(t.cpu);
    }
    std::printf("print: %d cards on 2 x 5 A4 = %s sheets to PDF: %.2f s (median), CPU %.2f s, %.1f MB\n", d.rows,
                qPrintable(Pdf_Pages(pdf)), Median(print_s), Median(print_cpu), QFileInfo(pdf).size() / 1e6);

    Bench_Design like;
    Build_Like_Peer(like, d.rows);
    std::vector<double> like_s, like_cpu;
    for (int r = 0; r < runs; ++r) {
        const Timing t = Print_Run(like, out + QStringLiteral("/sheets_like_peer.pdf"));
        like_s.push_back(t.wall);
        like_cpu.push_back(t.cpu);
    }
    std::printf("print, the peer's card (box, text, Code 128): %s sheets: %.2f s (median), CPU %.2f s, %.2f MB\n",
                qPrintable(Pdf_Pages(out + QStringLiteral("/sheets_like_peer.pdf"))), Median(like_s), Median(like_cpu),
                QFileInfo(out + QStringLiteral("/sheets_like_peer.pdf")).size() / 1e6);

    const QString glabels = QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch"));
    if (glabels.isEmpty()) {
        std::printf("glabels-3-batch: not installed, no peer figure\n");
        return 0;
    }
    const QString doc = Write_Glabels(work.path(), d.rows);
    const QString peer_pdf = out + QStringLiteral("/glabels.pdf");
    std::vector<double> peer_s, peer_cpu;
    for (int r = 0; r < runs; ++r) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        const double cpu0 = Children_Cpu_S();
        p.start(glabels, {QStringLiteral("-o"), peer_pdf, doc});
        p.waitForFinished(600000);
        peer_s.push_back(t.nsecsElapsed() / 1e9);
        peer_cpu.push_back(Children_Cpu_S() - cpu0);
        if (p.exitCode() != 0)
            std::printf("glabels-3-batch failed: %s\n", p.readAllStandardError().constData());
    }
    std::printf("glabels-3-batch: %d records, %s sheets, %.2f MB: %.2f s (median), CPU %.2f s; ratio glabels / ours "
                "%.2f (full card), %.2f (the peer's card); by CPU %.2f, %.2f\n",
                d.rows, qPrintable(Pdf_Pages(peer_pdf)), QFileInfo(peer_pdf).size() / 1e6, Median(peer_s),
                Median(peer_cpu), Median(peer_s) / Median(print_s), Median(peer_s) / Median(like_s),
                Median(peer_cpu) / Median(print_cpu), Median(peer_cpu) / Median(like_cpu));
    return 0;
}
