// Benchmark of the linear symbologies.
// (a) Encode: create, validate, check digit and module string for 100,000
//     seeded valid values per symbology, against zint's ZBarcode_Encode of
//     the same symbology on the same values, one thread, median of 5 runs.
//     The headline peer reuses one zint symbol (ZBarcode_Clear between
//     values); zint creating a symbol per value is the second column.
//     Modified Plessey (Hex) has no zint counterpart; the fixed Code 128
//     sets A and C are compared with zint's Code 128 on the same data.
// (b) Encode, size and render with caption, header and footer to a 300 dpi
//     QImage and to a QPicture; pictures per second (median of 3 runs),
//     with zint's ZBarcode_Encode_and_Buffer for information.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include <zint.h>

#include "barcode/BCXBarcode.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeGlobals.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string pick(std::mt19937& rng, const std::string& alphabet, int n)
{
    std::uniform_int_distribution<size_t> d(0, alphabet.size() - 1);
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(alphabet[d(rng)]);
    return s;
}

int between(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

const std::string kDigits = "0123456789";
const std::string kCode39 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const std::string kUpperSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-+ ";
std::string printable()
{
    std::string s;
    for (int c = 32; c < 127; ++c)
        s.push_back(char(c));
    return s;
}

struct Entry {
    const char* title;
    int zint;
    int option2;
    std::function<std::string(std::mt19937&)> value;
};

std::vector<Entry> entries()
{
    const std::string ascii = printable();
    return {
        {"EAN-13", BARCODE_EANX, 0, [](std::mt19937& r) { return pick(r, kDigits, 12); }},
        {"EAN-8", BARCODE_EANX, 0, [](std::mt19937& r) { return pick(r, kDigits, 7); }},
        {"UPCA", BARCODE_UPCA, 0, [](std::mt19937& r) { return pick(r, kDigits, 11); }},
        {"UPCE", BARCODE_UPCE, 0,
         [](std::mt19937& r) {
             std::string a = "0" + pick(r, kDigits, 2) + "00000" + pick(r, kDigits, 3);
             a.push_back(char('0' + upcean::mod10Check(a)));
             return "0" + BCXUPCEBarcode::UPCAToUPCE(QString::fromLatin1(a.c_str())).toStdString();
         }},
        {"Code 39", BARCODE_CODE39, 0, [](std::mt19937& r) { return pick(r, kCode39, between(r, 1, 20)); }},
        {"Extended Code 39", BARCODE_EXCODE39, 0, [ascii](std::mt19937& r) { return pick(r, ascii, between(r, 1, 20)); }},
        {"Code 128", BARCODE_CODE128, 0, [ascii](std::mt19937& r) { return pick(r, ascii, between(r, 1, 20)); }},
        {"Code 128 SET A", BARCODE_CODE128, 0, [](std::mt19937& r) { return pick(r, kUpperSet, between(r, 1, 20)); }},
        {"Code 128 SET B", BARCODE_CODE128B, 0, [ascii](std::mt19937& r) { return pick(r, ascii, between(r, 1, 20)); }},
        {"Code 128 SET C", BARCODE_CODE128, 0, [](std::mt19937& r) { return pick(r, kDigits, 2 * between(r, 1, 10)); }},
        {"Interleaved 2 of 5", BARCODE_C25INTER, 0, [](std::mt19937& r) { return pick(r, kDigits, between(r, 1, 20)); }},
        {"Industrial 2 of 5", BARCODE_C25IND, 0, [](std::mt19937& r) { return pick(r, kDigits, between(r, 1, 20)); }},
        {"Codabar", BARCODE_CODABAR, 0,
         [](std::mt19937& r) {
             return pick(r, "ABCD", 1) + pick(r, "0123456789-$:/.+", between(r, 1, 18)) + pick(r, "ABCD", 1);
         }},
        {"Modified Plessey", BARCODE_MSI_PLESSEY, 1, [](std::mt19937& r) { return pick(r, kDigits, between(r, 1, 20)); }},
        {"Modified Plessey (Hex)", 0, 0,
         [](std::mt19937& r) { return pick(r, "0123456789ABCDEF", between(r, 1, 20)); }},
        {"PostNet", BARCODE_POSTNET, 0, [](std::mt19937& r) { return pick(r, kDigits, std::vector<int>{5, 9, 11}[size_t(r() % 3)]); }},
        {"Planet", BARCODE_PLANET, 0, [](std::mt19937& r) { return pick(r, kDigits, r() % 2 ? 11 : 13); }},
        {"Royal Mail Barcode (RM4SCC / CBC)", BARCODE_RM4SCC, 0,
         [](std::mt19937& r) { return pick(r, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", between(r, 1, 12)); }},
        {"Japan Post Barcode", BARCODE_JAPANPOST, 0,
         [](std::mt19937& r) { return pick(r, kDigits, 7) + pick(r, "0123456789-ABCDEFGHIJKLMNOPQRSTUVWXYZ", between(r, 0, 6)); }},
    };
}

// Median wall time of `runs` runs, in seconds.
template <class F>
double medianOf(int runs, F run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        run();
        times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

size_t g_sink = 0; // printed at the end so no work is optimised away
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int pictures = argc > 2 ? std::atoi(argv[2]) : 2000;
    Barcode_Gen* gen = Barcode_Gen::defaultInstance();

    std::printf("(a) encode, %d values each, median of 5 runs, one thread\n", count);
    std::printf("%-36s %10s %12s %12s %12s %12s\n", "symbology", "ours ns", "zint reuse", "ratio", "zint create",
                "ratio");
    double worst = 1e100;
    for (const Entry& e : entries()) {
        std::mt19937 rng(20261208);
        std::vector<std::string> raw;
        std::vector<QString> values;
        raw.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            raw.push_back(e.value(rng));
            values.push_back(QString::fromLatin1(raw.back().c_str()));
        }
        const QString title = QString::fromLatin1(e.title);
        size_t invalid = 0;
        const double ours = medianOf(5, [&] {
            for (const QString& v : values) {
                auto b = Barcode_Gen::Create_Linear_Barcode(title);
                b->initWithContent_printsCaption(v, true);
                if (!b->isContentValid())
                    ++invalid;
                g_sink += b->completeBarcode().size() + size_t(b->checkDigit());
            }
        });
        if (e.zint == 0) {
            std::printf("%-36s %10.0f %12s %12s %12s %12s\n", e.title, ours / count * 1e9, "no peer", "-", "-", "-");
            continue;
        }
        size_t zintErrors = 0;
        const double zint = medianOf(5, [&] {
            for (const std::string& v : raw) {
                zint_symbol* s = ZBarcode_Create();
                s->symbology = e.zint;
                s->option_2 = e.option2;
                if (ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(v.data()), int(v.size())) >= ZINT_ERROR)
                    ++zintErrors;
                g_sink += size_t(s->width);
                ZBarcode_Delete(s);
            }
        });
        const double zintReuse = medianOf(5, [&] {
            zint_symbol* s = ZBarcode_Create();
            for (const std::string& v : raw) {
                ZBarcode_Clear(s);
                s->symbology = e.zint;
                s->option_2 = e.option2;
                ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(v.data()), int(v.size()));
                g_sink += size_t(s->width);
            }
            ZBarcode_Delete(s);
        });
        const double ratio = zintReuse / ours;
        worst = std::min(worst, ratio);
        std::printf("%-36s %10.0f %12.0f %12.2f %12.0f %12.2f%s\n", e.title, ours / count * 1e9,
                    zintReuse / count * 1e9, ratio, zint / count * 1e9, zint / ours,
                    invalid || zintErrors ? "  (invalid values!)" : "");
    }
    std::printf("lowest ratio zint (reused symbol) / ours: %.2f\n\n", worst);

    std::printf("(b) encode + size + render with caption, header, footer; %d pictures each, median of 3 runs\n",
                pictures);
    std::printf("%-36s %12s %12s %14s %10s\n", "symbology", "QImage/s", "QPicture/s", "zint buffer/s", "img ratio");
    double lowest = 1e100;
    for (const Entry& e : entries()) {
        std::mt19937 rng(7);
        std::vector<std::string> raw;
        for (int i = 0; i < pictures; ++i)
            raw.push_back(e.value(rng));
        gen->Restore_Defaults();
        gen->barcodeTypePopup = QString::fromLatin1(e.title);
        const QString hdr = QStringLiteral("HEADER"), ftr = QStringLiteral("FOOTER");
        auto timeRun = [&](bool raster) {
            return medianOf(3, [&] {
                for (const std::string& v : raw) {
                    auto b = gen->Generate_Barcode_Variable(false, QString::fromLatin1(v.c_str()), hdr, ftr);
                    if (raster)
                        g_sink += size_t(BCXBarcodeImage::rasterFromBarcode(b.get(), 300).width());
                    else
                        g_sink += size_t(BCXBarcodeImage::imageFromBarcode(b.get()).size().width());
                }
            });
        };
        const double img = pictures / timeRun(true);
        const double pic = pictures / timeRun(false);
        lowest = std::min({lowest, img, pic});
        if (e.zint == 0) {
            std::printf("%-36s %12.0f %12.0f %14s %10s\n", e.title, img, pic, "no peer", "-");
            continue;
        }
        const double zbuf = pictures / medianOf(3, [&] {
            for (const std::string& v : raw) {
                zint_symbol* s = ZBarcode_Create();
                s->symbology = e.zint;
                s->option_2 = e.option2;
                s->scale = 3; // about 6 px a module, as the 300 dpi pictures
                ZBarcode_Encode_and_Buffer(s, reinterpret_cast<const unsigned char*>(v.data()), int(v.size()), 0);
                g_sink += size_t(s->bitmap_width);
                ZBarcode_Delete(s);
            }
        });
        std::printf("%-36s %12.0f %12.0f %14.0f %10.2f\n", e.title, img, pic, zbuf, img / zbuf);
    }
    std::printf("lowest pictures/s: %.0f\n(checksum %zu)\n", lowest, g_sink);
    return 0;
}
