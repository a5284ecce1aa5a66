// 2-D encoder benchmark: our QR Code and PDF417 encoders against libqrencode
// and zint on the same texts, in one run. Prints the median time per symbol
// of repeated batches and the ratio peer / ours (above 1: ours is faster).
#include "barcode/QR_Symbol.h"
#include "barcode/pdf417_codec.h"

#include <qrencode.h>
#include <zint.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string printable(std::mt19937& gen, size_t length)
{
    std::uniform_int_distribution<int> d(32, 126);
    std::string s(length, ' ');
    for (auto& c : s)
        c = static_cast<char>(d(gen));
    return s;
}

// Median over batches of the time of one call, in microseconds.
double medianMicros(const std::function<void(size_t)>& call, size_t items, int batches, int perBatch)
{
    std::vector<double> times;
    for (int b = 0; b < batches; ++b) {
        const auto t0 = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            call(static_cast<size_t>(i) % items);
        const auto t1 = Clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count() / perBatch);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int qrencodeVersion(const std::string& text)
{
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return 0;
    const int v = code->version;
    QRcode_free(code);
    return v;
}

void benchQR(size_t length, int batches, int perBatch)
{
    std::mt19937 gen(static_cast<unsigned>(length));
    auto ours = std::make_unique<CQR_Symbol>();
    std::vector<std::string> texts;
    int tried = 0;
    while (texts.size() < 16 && tried < 2000) {
        ++tried;
        std::string t = printable(gen, length);
        if (!ours->EncodeData(1, 0, true, -1, t.data(), static_cast<int64_t>(t.size())))
            continue;
        if (ours->m_nVersion == qrencodeVersion(t))
            texts.push_back(std::move(t));
    }
    if (texts.empty()) {
        std::printf("QR %zu bytes: no text where both pick the same version\n", length);
        return;
    }
    ours->EncodeData(1, 0, true, -1, texts[0].data(), static_cast<int64_t>(texts[0].size()));
    std::printf("QR level M, %zu-byte texts (%zu of %d tried pick the same version, e.g. version %lld): \"%.40s...\"\n",
                length, texts.size(), tried, static_cast<long long>(ours->m_nVersion), texts[0].c_str());

    volatile int64_t sink = 0;
    const double usOurs = medianMicros(
        [&](size_t i) {
            ours->EncodeData(1, 0, true, -1, texts[i].data(), static_cast<int64_t>(texts[i].size()));
            sink = sink + ours->m_nSymbleSize;
        },
        texts.size(), batches, perBatch);
    const double usPeer = medianMicros(
        [&](size_t i) {
            QRcode* code = QRcode_encodeString(texts[i].c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
            sink = sink + code->width;
            QRcode_free(code);
        },
        texts.size(), batches, perBatch);
    std::printf("  CQR_Symbol::EncodeData %.1f us, QRcode_encodeString %.1f us, ratio %.2f\n", usOurs, usPeer,
                usPeer / usOurs);
}

void benchPDF417(size_t length, int batches, int perBatch)
{
    std::mt19937 gen(static_cast<unsigned>(length) + 7);
    std::vector<std::string> texts;
    for (int i = 0; i < 16; ++i)
        texts.push_back(printable(gen, length));

    pdf417_codec_param probe;
    pdf417_codec_init(&probe);
    probe.text = texts[0].data();
    probe.lenText = static_cast<int>(texts[0].size());
    probe.options = PDF417_USE_ERROR_LEVEL;
    probe.errorLevel = 2;
    probe.aspectRatio = 1.0f;
    paintCode(&probe);
    const int columns = probe.codeColumns;
    const bool painted = probe.error == 0;
    pdf417_codec_free(&probe);
    std::printf("PDF417 level 2, aspect 1.0, %zu-byte texts: %d columns, %d rows, encode and paint the bitmap%s\n",
                length, columns, probe.codeRows, painted ? "" : " (FAILED: no bitmap)");

    volatile int sink = 0;
    pdf417_codec_param p;
    const double usOurs = medianMicros(
        [&](size_t i) {
            pdf417_codec_free(&p);
            pdf417_codec_init(&p);
            p.text = texts[i].data();
            p.lenText = static_cast<int>(texts[i].size());
            p.options = PDF417_USE_ERROR_LEVEL;
            p.errorLevel = 2;
            p.aspectRatio = 1.0f;
            paintCode(&p);
            sink = sink + p.lenCodewords;
        },
        texts.size(), batches, perBatch);
    pdf417_codec_free(&p);
    // zint encodes into its row buffer (encoded_data); reusing one symbol is
    // the fair peer, creating one per value the second figure.
    zint_symbol* reused = ZBarcode_Create();
    const double usPeer = medianMicros(
        [&](size_t i) {
            ZBarcode_Clear(reused);
            reused->symbology = BARCODE_PDF417;
            reused->option_1 = 2;
            reused->option_2 = columns;
            ZBarcode_Encode(reused, reinterpret_cast<const unsigned char*>(texts[i].data()),
                            static_cast<int>(texts[i].size()));
            sink = sink + reused->rows;
        },
        texts.size(), batches, perBatch);
    ZBarcode_Delete(reused);
    const double usPeerCreate = medianMicros(
        [&](size_t i) {
            zint_symbol* s = ZBarcode_Create();
            s->symbology = BARCODE_PDF417;
            s->option_1 = 2;
            s->option_2 = columns;
            ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(texts[i].data()),
                            static_cast<int>(texts[i].size()));
            sink = sink + s->rows;
            ZBarcode_Delete(s);
        },
        texts.size(), batches, perBatch);
    std::printf("  paintCode %.1f us, ZBarcode_Encode reused symbol %.1f us (ratio %.2f), new symbol %.1f us "
                "(ratio %.2f)\n",
                usOurs, usPeer, usPeer / usOurs, usPeerCreate, usPeerCreate / usOurs);
}

} // namespace

int main()
{
    std::printf("2-D encoders, median of 21 batches, one thread\n");
    benchQR(100, 21, 400);
    benchQR(1000, 21, 60);
    benchPDF417(100, 21, 400);
    benchPDF417(1000, 21, 100);
    return 0;
}
