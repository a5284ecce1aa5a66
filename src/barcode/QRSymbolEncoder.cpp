#include "barcode/QRSymbolEncoder.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/QR_Symbol.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

namespace {

// Capacities follow from the data bits of each version and level: the most
// characters whose segment (mode indicator, count, data) fits.
struct Capacities
{
    std::array<int64_t, 160> numeric{}, alpha{}, byte{}, kanji{};
    Capacities()
    {
        for (int64_t v = 1; v <= 40; ++v) {
            const int64_t g = v >= 27 ? 2 : (v >= 10 ? 1 : 0);
            static constexpr int64_t cciNum[] = {10, 12, 14}, cciAlpha[] = {9, 11, 13}, cciByte[] = {8, 16, 16},
                                     cciKanji[] = {8, 10, 12};
            for (int64_t l = 0; l < 4; ++l) {
                const int64_t i = (v - 1) * 4 + l;
                const int64_t bits = qr_tables::dataCodewords(v, l) * 8;
                int64_t room = bits - 4 - cciNum[g];
                int64_t n = room / 10 * 3;
                if (room % 10 >= 7)
                    n += 2;
                else if (room % 10 >= 4)
                    n += 1;
                numeric[i] = n;
                room = bits - 4 - cciAlpha[g];
                alpha[i] = room / 11 * 2 + (room % 11 >= 6 ? 1 : 0);
                byte[i] = (bits - 4 - cciByte[g]) / 8;
                kanji[i] = (bits - 4 - cciKanji[g]) / 13;
            }
        }
    }
};

const Capacities& capacities()
{
    static const Capacities c;
    return c;
}

} // namespace

const int64_t* QRSymbolEncoder::QR_Numric_size_array() { return capacities().numeric.data(); }
const int64_t* QRSymbolEncoder::QR_AlphaNumric_size_array() { return capacities().alpha.data(); }
const int64_t* QRSymbolEncoder::QR_8_BIT_size_array() { return capacities().byte.data(); }
const int64_t* QRSymbolEncoder::QR_Kanji_size_array() { return capacities().kanji.data(); }

std::unique_ptr<DataMatrix> QRSymbolEncoder::encodeWithECLevel(int level, int version, const QString& text)
{
    return encodeBytes(level, version, text.toUtf8());
}

std::unique_ptr<DataMatrix> QRSymbolEncoder::encodeCStringWithECLevel(int level, int version, const char* cstring)
{
    if (cstring == nullptr)
        return nullptr;
    return encodeBytes(level, version, QByteArray(cstring));
}

std::unique_ptr<DataMatrix> QRSymbolEncoder::encodeBytes(int level, int version, const QByteArray& bytes)
{
    if (level < 0 || level > 3 || version < 0 || version > 40)
        return nullptr;
    try {
        auto symbol = std::make_unique<CQR_Symbol>();
        // UTF-8 byte pairs are no Shift JIS characters: always 8-bit data.
        symbol->m_bKanjiEnabled = false;
        if (bytes.isEmpty())
            return std::make_unique<DataMatrix>(0);
        // The capacity check is the encoder's own: it measures the segments
        // it writes (numeric, alphanumeric, 8-bit) against the requested
        // version, or against version 40 when the version is automatic, and
        // refuses without extending the version.
        if (!symbol->EncodeData(level, version, false, -1, bytes.constData(), bytes.size()))
            return nullptr;
        const int64_t n = symbol->m_nSymbleSize;
        auto matrix = std::make_unique<DataMatrix>(n);
        for (int64_t x = 0; x < n; ++x)
            for (int64_t y = 0; y < n; ++y)
                matrix->set(symbol->m_byModuleData[x][y] == 1 ? 1 : 0, x, y);
        return matrix;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return nullptr;
    }
}

bool QRSymbolEncoder::fits(int level, int version, const QByteArray& bytes)
{
    auto symbol = std::make_unique<CQR_Symbol>();
    symbol->m_bKanjiEnabled = false;
    return symbol->Fits(level, version, bytes.constData(), bytes.size());
}

QImage QRSymbolEncoder::paintDataMatrix(const DataMatrix* matrix, int imageDimension)
{
    if (matrix == nullptr || matrix->dimension() == 0)
        return {};
    const int64_t n = matrix->dimension();
    const int64_t S = imageDimension;
    if (S <= 0 || S < n) {
        Show_NSLog_Message(QStringLiteral("QR picture of %1 pixels cannot hold %2 modules.")
                               .arg(QString::number(S), QString::number(n)));
        return {};
    }
    // Four modules of quiet zone on every side: a side too small for them
    // is painted on n + 8 pixels (one per module), and the caller shows
    // that raster at the requested size.
    const int64_t side = std::max(S, n + 8);
    const int64_t m = side / (n + 8);
    const int64_t p = (side - m * n) / 2;

    if (side * side * 4 > platform::kMaxRasterBytes) {
        Show_NSLog_Message(QStringLiteral("QR picture of %1 pixels is too large.").arg(QString::number(S)));
        return {};
    }
    QImage image(static_cast<int>(side), static_cast<int>(side), QImage::Format_RGBA8888);
    if (image.isNull()) {
        Show_NSLog_Message(QStringLiteral("QR picture of %1 pixels is too large.").arg(QString::number(S)));
        return {};
    }
    image.fill(QColor(255, 255, 255, 0));
    const int64_t quiet = 4 * m;
    const int64_t q0 = p - quiet, q1 = p + m * n + quiet;
    const uint32_t white = 0xFFFFFFFFu;
    uint32_t black;
    {
        const uchar rgba[4] = {0, 0, 0, 255};
        std::memcpy(&black, rgba, 4);
    }
    for (int64_t y = q0; y < q1; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(static_cast<int>(y)));
        for (int64_t x = q0; x < q1; ++x)
            line[x] = white;
    }
    for (int64_t my = 0; my < n; ++my) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(static_cast<int>(p + my * m)));
        for (int64_t mx = 0; mx < n; ++mx) {
            const uint32_t c = matrix->valueAt(mx, my) ? black : white;
            for (int64_t k = 0; k < m; ++k)
                line[p + mx * m + k] = c;
        }
        for (int64_t r = 1; r < m; ++r)
            std::memcpy(image.scanLine(static_cast<int>(p + my * m + r)) + p * 4, line + p,
                        static_cast<size_t>(m * n * 4));
    }
    return image;
}

PointPicture QRSymbolEncoder::renderDataMatrix(const DataMatrix* matrix, int imageDimension)
{
    try {
        const QImage painted = paintDataMatrix(matrix, imageDimension);
        if (painted.isNull())
            return {};
        const int dpi = Current_Used_Dpi();
        if (dpi <= 0) {
            Show_NSLog_Message(QStringLiteral("Invalid resolution %1 dpi.").arg(QString::number(dpi)));
            return {};
        }
        return Current_Barcode_Gen().Increase_DPI(PointPicture::fromImage(painted, QSizeF(imageDimension, imageDimension)), dpi);
    } catch (const std::exception& e) {
        Show_MessageBox(QString::fromUtf8(e.what()));
        return {};
    }
}
