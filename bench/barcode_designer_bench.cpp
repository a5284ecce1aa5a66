// The barcode designer's response to typing: the real dialog (offscreen, or
// on a screen under xvfb-run), one QTest::keyClick in the value field, timed
// until the preview panel holds the new picture. Beside each case zint or
// libqrencode encode the same value and paint it into a QImage of the same
// resolution. Prints median and p95 in milliseconds.
//   barcode_designer_bench [runs]      (default 500 runs per case)
#include "bench_support.h"

#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/Barcode_Gen_Window.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXGraphic.h"
#include "platform/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <qrencode.h>
#include <zint.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Runs the benchmark body inside the dialog's modal loop, then closes it.
class Bench_Responder : public BenchResponder {
public:
    std::function<void()> body;
    int run(QDialog& dialog) override
    {
        dialog.show();
        if (body)
            body();
        dialog.hide();
        return 0;
    }
};

struct Case {
    QString title;
    QString value;
    QChar a, b;         // typed in turn over the value's last character
    int zint = 0;       // the peer's symbology
    int qr_version = 0; // QR only
    int qr_level = 0;
    QString dm_format = QStringLiteral("Auto");
    int dpi = 600;
    bool info = false; // reported, not held to the target
};

QImage Paint_Zint(zint_symbol* s, const QByteArray& data, int dpi)
{
    ZBarcode_Clear(s);
    s->scale = float(dpi) / 72.0f / 2.0f; // zint draws modules of 2 pixels at scale 1
    if (ZBarcode_Encode_and_Buffer(s, reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()),
                                   0) >= ZINT_ERROR)
        return {};
    QImage out(s->bitmap_width, s->bitmap_height, QImage::Format_RGB32);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s->bitmap);
    for (int y = 0; y < s->bitmap_height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < s->bitmap_width; ++x, p += 3)
            line[x] = qRgb(p[0], p[1], p[2]);
    }
    return out;
}

QImage Paint_Qrencode(const QByteArray& data, int version, int level, int dpi)
{
    QRcode* code = QRcode_encodeString(data.constData(), version, QRecLevel(level), QR_MODE_8, 1);
    if (!code)
        return {};
    const int modules = code->width + 8;
    const int side = std::max(modules, 60 * dpi / 72);
    QImage out(side, side, QImage::Format_RGB32);
    out.fill(Qt::white);
    {
        QPainter p(&out);
        const double m = double(side) / modules;
        for (int y = 0; y < code->width; ++y)
            for (int x = 0; x < code->width; ++x)
                if (code->data[y * code->width + x] & 1)
                    p.fillRect(QRectF((x + 4) * m, (y + 4) * m, m, m), Qt::black);
    }
    QRcode_free(code);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    Bench_Responder responder;
    platform::modal::setResponder(&responder);

    std::vector<Case> cases = {
        {QStringLiteral("Code 39"), QStringLiteral("CARD42"), 'A', 'B', BARCODE_CODE39},
        {QStringLiteral("Extended Code 39"), QStringLiteral("Card42"), 'a', 'b', BARCODE_EXCODE39},
        {QStringLiteral("Interleaved 2 of 5"), QStringLiteral("123456"), '1', '2', BARCODE_C25INTER},
        {QStringLiteral("UPCA"), QStringLiteral("03600029145"), '1', '2', BARCODE_UPCA},
        {QStringLiteral("PostNet"), QStringLiteral("12345"), '1', '2', BARCODE_POSTNET},
        {QStringLiteral("Modified Plessey"), QStringLiteral("12345"), '1', '2', BARCODE_MSI_PLESSEY},
        {QStringLiteral("Modified Plessey (Hex)"), QStringLiteral("12AB"), 'C', 'D', BARCODE_PLESSEY},
        {QStringLiteral("Industrial 2 of 5"), QStringLiteral("12345"), '1', '2', BARCODE_C25IND},
        {QStringLiteral("EAN-13"), QStringLiteral("400638133393"), '1', '2', BARCODE_EANX},
        {QStringLiteral("Code 128"), QStringLiteral("Hello 123"), '1', '2', BARCODE_CODE128},
        {QStringLiteral("Code 128 SET A"), QStringLiteral("HELLO"), 'A', 'B', BARCODE_CODE128},
        {QStringLiteral("Code 128 SET B"), QStringLiteral("Hello"), 'a', 'b', BARCODE_CODE128},
        {QStringLiteral("Code 128 SET C"), QStringLiteral("123456"), '1', '2', BARCODE_CODE128},
        {QStringLiteral("Codabar"), QStringLiteral("A1234B"), 'C', 'D', BARCODE_CODABAR},
        {QStringLiteral("UPCE"), QStringLiteral("0425261"), '1', '2', BARCODE_UPCE},
        {QStringLiteral("EAN-8"), QStringLiteral("9638507"), '1', '2', BARCODE_EANX},
        {QStringLiteral("Royal Mail Barcode (RM4SCC / CBC)"), QStringLiteral("SN34RD1A"), 'A', 'B', BARCODE_RM4SCC},
        {QStringLiteral("Planet"), QStringLiteral("12345678901"), '1', '2', BARCODE_PLANET},
        {QStringLiteral("Japan Post Barcode"), QStringLiteral("1234567"), '1', '2', BARCODE_JAPANPOST},
    };
    for (int level : {0, 3})
        for (int v = 1; v <= 10; ++v) {
            Case k{QStringLiteral("QR Code"), QStringLiteral("CARD-17"), 'A', 'B', BARCODE_QRCODE};
            k.qr_version = v;
            k.qr_level = level;
            cases.push_back(k);
        }
    for (int dpi : {600, 2400}) {
        Case pdf{QStringLiteral("PDF417"), QStringLiteral("PDF-417 card 0042"), 'A', 'B', BARCODE_PDF417};
        pdf.dpi = dpi;
        pdf.info = true;
        cases.push_back(pdf);
        for (const char* format : {"Auto", "C144X144"}) {
            Case dm{QStringLiteral("DataMatrix"), QStringLiteral("DM-000123"), 'A', 'B', BARCODE_DATAMATRIX};
            dm.dm_format = QLatin1String(format);
            dm.dpi = dpi;
            dm.info = true;
            cases.push_back(dm);
        }
    }

    Barcode_Designer_Services services;
    services.symbology_titles = Barcode_Symbology_Titles();
    services.format_titles = DataMatrix_Format_Titles();
    services.resolution_titles = Barcode_Resolution_Titles();
    Barcode_Gen& gen = *Barcode_Gen::defaultInstance();
    zint_symbol* peer = ZBarcode_Create();
    bool allMet = true;
    std::printf("%-36s %7s %9s %9s %9s %9s  %s\n", "case", "blank", "med ms", "p95 ms", "peer med", "peer p95", "");
    for (const Case& k : cases) {
        QBXGraphic g;
        g.barcode_font_index = int(services.symbology_titles.indexOf(k.title));
        g.linear_or_2d = Barcode_Gen::Is_2D_Title(k.title) ? 1 : 0;
        g.qr_version_index = k.qr_version;
        g.qr_ec_index = k.qr_level;
        g.qr_size_val = 120;
        g.dm_format_index = int(services.format_titles.indexOf(k.dm_format));
        g.dpi_val_index = int(services.resolution_titles.indexOf(QString::number(k.dpi)));
        (g.linear_or_2d ? g.two_d_font_val : g.linear_font_val) = k.value;
        {
            auto lock = gen.Lock_Generation();
            Load_Barcode_Settings(gen, g);
        }
        Barcode_Gen_Window window(services);
        std::vector<double> times;
        int blank = 0;
        responder.body = [&] {
            for (int i = 0; i < runs; ++i) {
                const QChar key = i % 2 ? k.b : k.a;
                QElapsedTimer t;
                if (window.liner_or_2D_font) {
                    QTextCursor c = window.dataText_2D->textCursor();
                    c.movePosition(QTextCursor::End);
                    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor);
                    window.dataText_2D->setTextCursor(c);
                    t.start();
                    QTest::keyClick(window.dataText_2D, key.toLatin1());
                } else {
                    window.dataText->setSelection(int(window.dataText->text().size()) - 1, 1);
                    t.start();
                    QTest::keyClick(window.dataText, key.toLatin1());
                }
                times.push_back(double(t.nsecsElapsed()) / 1e6);
                if (window.Preview_Is_Blank())
                    ++blank;
            }
        };
        window.Open_Wnd(gen, Barcode_Source_Choice{});

        std::vector<double> peerTimes;
        const QByteArray data = k.value.toLatin1();
        for (int i = 0; i < std::min(runs, 200); ++i) {
            QElapsedTimer t;
            t.start();
            QImage img;
            if (k.zint == BARCODE_QRCODE) {
                img = Paint_Qrencode(data, k.qr_version, k.qr_level, k.dpi);
            } else {
                peer->symbology = k.zint;
                img = Paint_Zint(peer, data, k.dpi);
            }
            peerTimes.push_back(double(t.nsecsElapsed()) / 1e6);
            if (img.isNull())
                break;
        }
        const Stats ours = statsOf(times), theirs = statsOf(peerTimes);
        QString name = k.title;
        if (k.title == QLatin1String("QR Code"))
            name += QStringLiteral(" V%1 %2").arg(k.qr_version).arg(k.qr_level ? 'H' : 'L');
        if (k.info)
            name += QStringLiteral(" %1 %2dpi").arg(k.dm_format).arg(k.dpi);
        const bool met = ours.median < 16 && ours.p95 < 16;
        if (!k.info)
            allMet = allMet && met;
        std::printf("%-36s %7d %9.2f %9.2f %9.2f %9.2f  %s\n", qPrintable(name), blank, ours.median, ours.p95,
                    theirs.median, theirs.p95, k.info ? "(info)" : met ? "ok" : "OVER 16 ms");
        std::fflush(stdout);
    }
    ZBarcode_Delete(peer);
    std::printf("target (median and p95 under 16 ms, linear and QR up to version 10): %s\n",
                allMet ? "met" : "NOT met");
    platform::modal::setResponder(nullptr);
    return 0;
}
