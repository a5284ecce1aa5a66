// Recovers the three PDF417 cluster tables (the 17-module bar-space pattern
// of every codeword value 0..928 in clusters 0, 3 and 6) from symbols made by
// the installed `zint` command, and writes them as src/barcode/pdf417_clusters.h.
//
// Each symbol holds byte-compacted data (bytes 0x80..0xFF, a multiple of six,
// so the only valid encoding is mode 924 followed by base-900 groups) at a
// chosen column count and error-correction level. Our own encoder computes
// the codewords of that symbol (length, 924, data, pads, error correction and
// the row indicators); zint draws it; `zint --dump` prints every row as hex.
// Each row's 17-module groups are paired with our codewords by position.
// A value that meets two patterns, or a pattern met by two values, stops the
// run: the pairing only holds when both encoders wrote the same codewords.
// Error-correction codewords are spread over 0..928, so a few dozen symbols
// at high levels cover every value of every cluster.
//
// Usage: cw_make_pdf417_tables <output header>
// Built only on request (target cw_make_pdf417_tables); the build never runs it.
#include "barcode/pdf417_codec.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdint>
#include <map>
#include <vector>

namespace {

constexpr int kValues = 929;

struct Tables
{
    std::array<std::array<int, kValues>, 3> pattern{};
    std::array<std::map<int, int>, 3> valueOf;   // pattern -> value, per cluster
    int filled = 0;
};

// Rows of `zint --dump`: one line of hex digits per symbol row.
std::vector<std::vector<int>> dumpRows(const QByteArray& out, int width)
{
    std::vector<std::vector<int>> rows;
    for (const QByteArray& line : out.split('\n')) {
        const QByteArray hex = line.simplified().replace(" ", "");
        if (hex.isEmpty())
            continue;
        std::vector<int> bits;
        for (char ch : hex) {
            const int nibble = QByteArray(1, ch).toInt(nullptr, 16);
            for (int b = 3; b >= 0; --b)
                bits.push_back((nibble >> b) & 1);
        }
        if (static_cast<int>(bits.size()) < width)
            return {};
        bits.resize(static_cast<size_t>(width));
        rows.push_back(bits);
    }
    return rows;
}

int modulesAt(const std::vector<int>& bits, int start, int count)
{
    int v = 0;
    for (int k = 0; k < count; ++k)
        v = (v << 1) | bits[static_cast<size_t>(start + k)];
    return v;
}

bool record(Tables& t, int cluster, int value, int pattern)
{
    int& slot = t.pattern[static_cast<size_t>(cluster)][static_cast<size_t>(value)];
    auto& back = t.valueOf[static_cast<size_t>(cluster)];
    const auto seen = back.find(pattern);
    if (seen != back.end() && seen->second != value) {
        std::fprintf(stderr, "cluster %d: pattern %05X read for values %d and %d\n", cluster * 3, pattern,
                     seen->second, value);
        return false;
    }
    if (slot != 0 && slot != pattern) {
        std::fprintf(stderr, "cluster %d: value %d read as %05X and %05X\n", cluster * 3, value, slot, pattern);
        return false;
    }
    if (slot == 0) {
        slot = pattern;
        back[pattern] = value;
        ++t.filled;
    }
    return true;
}

struct Rng
{
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 11);
    }
};

// One symbol: returns false on a conflict or when zint fails.
bool harvest(Tables& t, const QString& dir, Rng& rng, int columns, int level, int groups)
{
    QByteArray data;
    for (int k = 0; k < groups * 6; ++k)
        data.append(static_cast<char>(0x80 | (rng.next() & 0x7F)));

    // Our codewords for the same symbol: raw data codewords (length, 924,
    // base-900 groups, pads) in a fixed rectangle whose spare room is exactly
    // the chosen level's error correction.
    pdf417_codec_param p;
    pdf417_codec_init(&p);
    const int dataWords = 2 + 5 * groups;
    const int ecWords = 2 << level;
    const int rows = std::max(3, (dataWords + ecWords + columns - 1) / columns);
    const int pads = rows * columns - dataWords - ecWords;
    p.codewords[1] = 924;
    int pos = 2;
    for (int g = 0; g < groups; ++g) {
        uint64_t v = 0;
        for (int k = 0; k < 6; ++k)
            v = (v << 8) | static_cast<uint8_t>(data[g * 6 + k]);
        for (int k = 4; k >= 0; --k) {
            p.codewords[pos + k] = static_cast<int>(v % 900);
            v /= 900;
        }
        pos += 5;
    }
    for (int k = 0; k < pads; ++k)
        p.codewords[pos++] = 900;
    p.codewords[0] = p.lenCodewords = pos;
    p.codeColumns = columns;
    p.codeRows = rows;
    p.errorLevel = level;
    p.options = PDF417_USE_RAW_CODEWORDS | PDF417_FIXED_RECTANGLE | PDF417_USE_ERROR_LEVEL;
    paintCode(&p);   // fills codewords whether or not patterns are built in
    pdf417_codec_free(&p);
    if (p.lenCodewords != rows * columns || p.errorLevel != level) {
        std::fprintf(stderr, "layout mismatch at %d columns, level %d\n", columns, level);
        return false;
    }

    const QString input = dir + "/data.bin";
    QFile f(input);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return false;
    f.close();
    QProcess zint;
    zint.start("zint", {"-b", "PDF417", "--binary", "-i", input, QString("--cols=%1").arg(columns),
                        QString("--rows=%1").arg(rows), QString("--secure=%1").arg(level), "--dump"});
    if (!zint.waitForFinished(30000) || zint.exitCode() != 0) {
        std::fprintf(stderr, "zint failed: %s\n", zint.readAllStandardError().constData());
        return false;
    }
    const int width = 17 * (columns + 3) + 18;
    const auto bitRows = dumpRows(zint.readAllStandardOutput(), width);
    if (static_cast<int>(bitRows.size()) != rows) {
        std::fprintf(stderr, "zint drew %zu rows, expected %d\n", bitRows.size(), rows);
        return false;
    }
    int cw = 0;
    for (int r = 0; r < rows; ++r) {
        const auto& bits = bitRows[static_cast<size_t>(r)];
        if (modulesAt(bits, 0, 17) != 0x1FEA8 || modulesAt(bits, width - 18, 18) != 0x3FA29) {
            std::fprintf(stderr, "row %d lacks start or stop pattern\n", r);
            return false;
        }
        const int cluster = r % 3;
        const int q = 30 * (r / 3);
        const int indicators[3][2] = {{q + (rows - 1) / 3, q + columns - 1},
                                      {q + level * 3 + (rows - 1) % 3, q + (rows - 1) / 3},
                                      {q + columns - 1, q + level * 3 + (rows - 1) % 3}};
        std::vector<int> values{indicators[cluster][0]};
        for (int c = 0; c < columns; ++c)
            values.push_back(p.codewords[cw++]);
        values.push_back(indicators[cluster][1]);
        for (size_t k = 0; k < values.size(); ++k)
            if (!record(t, cluster, values[k], modulesAt(bits, 17 * static_cast<int>(k + 1), 17)))
                return false;
    }
    return true;
}

bool write(const Tables& t, const char* path)
{
    FILE* out = std::fopen(path, "w");
    if (!out)
        return false;
    std::fprintf(out,
                 "#pragma once\n"
                 "// PDF417 symbol character patterns of ISO/IEC 15438: for clusters 0, 3 and 6\n"
                 "// (table rows 0, 1, 2) the 17-module bar-space pattern of each codeword value\n"
                 "// 0..928, most significant bit the leftmost module, a bar as 1.\n"
                 "// Generated by tools/make_pdf417_tables.cpp from symbols drawn by `zint`;\n"
                 "// regenerate with:\n"
                 "//   cmake --build build --target cw_make_pdf417_tables\n"
                 "//   build/bin/cw_make_pdf417_tables src/barcode/pdf417_clusters.h\n"
                 "\n"
                 "namespace pdf417_tables {\n"
                 "constexpr int CLUSTERS[3][929] = {\n");
    for (int c = 0; c < 3; ++c) {
        std::fprintf(out, "    {");
        for (int v = 0; v < kValues; ++v) {
            if (v % 10 == 0)
                std::fprintf(out, "\n        ");
            std::fprintf(out, "0x%05X,%s", t.pattern[static_cast<size_t>(c)][static_cast<size_t>(v)],
                         v % 10 == 9 || v == kValues - 1 ? "" : " ");
        }
        std::fprintf(out, "\n    },\n");
    }
    std::fprintf(out, "};\n} // namespace pdf417_tables\n");
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output header>\n", argv[0]);
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Tables t;
    Rng rng;
    int symbols = 0;
    for (; symbols < 400 && t.filled < 3 * kValues; ++symbols) {
        // Levels 5..8 give 64..512 error-correction codewords; the columns
        // vary so every row indicator value is met as well.
        const int level = 5 + symbols % 4;
        const int columns = 1 + symbols % 30;
        const int room = std::min(928, columns * 90) / columns * columns - (2 << level) - 2;
        if (room < 5)
            continue;
        const int groups = 1 + static_cast<int>(rng.next() % static_cast<uint32_t>(room / 5));
        if (!harvest(t, dir.path(), rng, columns, level, groups))
            return 1;
    }
    if (t.filled != 3 * kValues) {
        std::fprintf(stderr, "only %d of %d patterns met in %d symbols\n", t.filled, 3 * kValues, symbols);
        return 1;
    }
    if (!write(t, argv[1]))
        return 1;
    std::printf("%d patterns from %d symbols written to %s\n", t.filled, symbols, argv[1]);
    return 0;
}
