// Saving and loading a large design log through the real editor:
//   2 x 200 graphics of every kind (pictures over 4 small PNGs, barcodes
//   carrying 300-dpi pictures) and a 10,000-row, 4-column binding table.
// Save: stage and encode to XML text, atomic commit with its sync.
// Load: read + parse, decode + validate, apply (the whole reader).
// Peer: libplist's C API writing and parsing the same array.
// Median and p95 of 10 runs each, one thread, offscreen.
#include "bench_support.h"

#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXSignature.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "editor/design_log_file.h"
#include "platform/files.h"
#include "platform/plist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <cstdio>
#include <plist/plist.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 10;
constexpr int kPerSide = 200;

GraphicList sideGraphics(const QStringList& pictures, const QImage& barcode, int side)
{
    GraphicList list;
    for (int i = 0; i < kPerSide; ++i) {
        GraphicPtr g;
        switch (i % 6) {
        case 0: {
            auto t = std::make_shared<QBXText>();
            t->Text_contents().text = QStringLiteral("Text %1 on side %2 & <more>").arg(i).arg(side);
            g = t;
            break;
        }
        case 1: g = std::make_shared<QBXLine>(); break;
        case 2: g = std::make_shared<Shape_Control>(); break;
        case 3: {
            auto p = std::make_shared<QBXImage>();
            p->setFilePath(pictures.at(i % pictures.size()));
            g = p;
            break;
        }
        case 4: {
            auto b = std::make_shared<QBXBarcode>();
            b->Set_Barcode_image(barcode);
            g = b;
            break;
        }
        default: g = std::make_shared<QBXSignature>(); break;
        }
        g->setBounds(QRectF(i % 200, (i * 7) % 120, 40, 20));
        list.push_back(g);
    }
    return list;
}

plist_t toPeer(const platform::Plist& p)
{
    using T = platform::Plist::Type;
    switch (p.type()) {
    case T::String: return plist_new_string(p.toString().toUtf8().constData());
    case T::Data: {
        const QByteArray d = p.toData();
        return plist_new_data(d.constData(), uint64_t(d.size()));
    }
    case T::Array: {
        plist_t a = plist_new_array();
        for (int i = 0; i < p.size(); ++i)
            plist_array_append_item(a, toPeer(p.at(i)));
        return a;
    }
    case T::Dict: {
        plist_t d = plist_new_dict();
        for (int i = 0; i < p.size(); ++i)
            plist_dict_set_item(d, p.keyAt(i).toUtf8().constData(), toPeer(p.valueAt(i)));
        return d;
    }
    default: return plist_new_string("");
    }
}

void report(const char* what, std::vector<double> ms)
{
    const Stats s = statsOf(std::move(ms));
    std::printf("  %-34s median %8.2f ms   p95 %8.2f ms\n", what, s.median, s.p95);
}

double now(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    BenchEditor editor(QSizeF(243, 154));
    if (!editor.started)
        return 1;
    QBXWindowController& c = editor.controller;

    QTemporaryDir dir;
    QStringList pictures;
    for (int i = 0; i < 4; ++i) {
        QImage img(64 + 8 * i, 48, QImage::Format_ARGB32);
        img.fill(QColor::fromHsv(i * 60, 200, 200));
        const QString path = dir.filePath(QStringLiteral("pic%1.png").arg(i));
        img.save(path);
        pictures << path;
    }
    QImage barcode(600, 200, QImage::Format_ARGB32);
    barcode.fill(Qt::white);
    for (int x = 0; x < 600; x += 6)
        for (int y = 0; y < 200; ++y)
            barcode.setPixel(x, y, qRgb(0, 0, 0));
    barcode.setDotsPerMeterX(11811);
    barcode.setDotsPerMeterY(11811);

    c._graphicView->insertGraphics(sideGraphics(pictures, barcode, 0), [] {
        std::vector<int> v(kPerSide);
        for (int i = 0; i < kPerSide; ++i)
            v[size_t(i)] = i;
        return v;
    }());
    c._graphicView_BACK->insertGraphics(sideGraphics(pictures, barcode, 1), [] {
        std::vector<int> v(kPerSide);
        for (int i = 0; i < kPerSide; ++i)
            v[size_t(i)] = i;
        return v;
    }());
    Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
    table->Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("City"), QStringLiteral("Code"), QStringLiteral("Mail")});
    for (int r = 0; r < 10000; ++r)
        table->Create_List_By_Array({QStringLiteral("Name %1").arg(r), QStringLiteral("Köln"), QString::number(100000 + r),
                                     QStringLiteral("p%1@example.org").arg(r)},
                                    4);
    Excel_Binding_Use = true;

    const QString log = dir.filePath(QStringLiteral("bench.dcard"));
    std::vector<double> encode, commit, save, read, decode, load, peerWrite, peerParse;
    QByteArray bytes;
    std::optional<platform::Plist> root;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        bytes = design_log::toXml(c.Design_Log_Stage());
        const double a = now(t);
        platform::writeFileAtomically(log, bytes);
        encode.push_back(a);
        commit.push_back(now(t) - a);
        if (!root)
            root = platform::Plist::fromData(bytes);

        Project_File_Name = log;
        t.restart();
        c.Save_project_file(false, false);
        save.push_back(now(t));

        t.restart();
        const std::optional<platform::Plist> parsed = platform::readPlistFile(log);
        const double r1 = now(t);
        const std::optional<design_log::Stage> staged = design_log::decode(*parsed);
        read.push_back(r1);
        decode.push_back(now(t) - r1);
        if (!staged)
            return 2;

        t.restart();
        if (c.Read_and_load_design_Log(log, QStringLiteral("L")) != 1)
            return 3;
        load.push_back(now(t));

        // The peer writes and parses the same array.
        plist_t peer = toPeer(*root);
        t.restart();
        char* xml = nullptr;
        uint32_t length = 0;
        plist_to_xml(peer, &xml, &length);
        const QString peerPath = dir.filePath(QStringLiteral("peer.plist"));
        FILE* f = std::fopen(QFile::encodeName(peerPath).constData(), "wb");
        std::fwrite(xml, 1, length, f);
        std::fflush(f);
        ::fsync(fileno(f));
        std::fclose(f);
        peerWrite.push_back(now(t));
        t.restart();
        plist_t back = nullptr;
        plist_from_xml(xml, length, &back);
        peerParse.push_back(now(t));
        plist_free(back);
        plist_to_xml_free(xml);
        plist_free(peer);
    }

    std::printf("design log: %d graphics, %d rows, %lld bytes (peer %lld bytes)\n", 2 * kPerSide, 10000,
                qint64(QFileInfo(log).size()), qint64(QFileInfo(dir.filePath(QStringLiteral("peer.plist"))).size()));
    std::printf("save\n");
    report("stage + encode to XML", encode);
    report("atomic commit + sync", commit);
    report("Save_project_file (whole)", save);
    std::printf("load\n");
    report("read + parse", read);
    report("decode + validate", decode);
    report("Read_and_load_design_Log (whole)", load);
    std::printf("peer (libplist C API)\n");
    report("write XML + sync", peerWrite);
    report("parse XML", peerParse);
    const double ourSave = statsOf(save).median, ourParse = statsOf(read).median;
    std::printf("ratios: save / peer write %.2f, read+parse / peer parse %.2f, commit share of save %.0f %%\n",
                ourSave / statsOf(peerWrite).median, ourParse / statsOf(peerParse).median,
                100.0 * statsOf(commit).median / ourSave);
    return 0;
}
