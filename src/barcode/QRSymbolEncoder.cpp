#include "barcode/QRSymbolEncoder.h"

#include "app/AppHelpers.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/QR_Symbol.h"

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
    const QByteArray utf8 = text.toUtf8();
    return encodeCStringWithECLevel(level, version, utf8.constData());
}

std::unique_ptr<DataMatrix> QRSymbolEncoder::encodeCStringWithECLevel(int level, int version, const char* cstring)
{
    if (cstring == nullptr || level < 0 || level > 3 || version < 0 || version > 40)
        return nullptr;
    try {
        const auto length = static_cast<int64_t>(std::strlen(cstring));
        auto symbol = std::make_unique<CQR_Symbol>();
        // UTF-8 byte pairs are no Shift JIS characters: always 8-bit data.
        symbol->m_bKanjiEnabled = false;
        const uint8_t mode = symbol->Get_Encoding_Mode(cstring, length);

        const int checkVersion = version == 0 ? 40 : version;
        const int64_t* table = mode == CQR_Symbol::MODE_NUMERAL ? QR_Numric_size_array()
            : mode == CQR_Symbol::MODE_ALPHABET                 ? QR_AlphaNumric_size_array()
            : mode == CQR_Symbol::MODE_8BIT                     ? QR_8_BIT_size_array()
                                                                : QR_Kanji_size_array();
        if (length > table[(checkVersion - 1) * 4 + level])
            return nullptr;

        symbol->EncodeData(level, version, true, -1, cstring, 0);
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
    // Four modules of quiet zone when the side allows it.
    int64_t m = S / (n + 8);
    if (m == 0)
        m = S / n;
    const int64_t p = (S - m * n) / 2;

    if (S * S * 4 > platform::kMaxRasterBytes) {
        Show_NSLog_Message(QStringLiteral("QR picture of %1 pixels is too large.").arg(QString::number(S)));
        return {};
    }
    QImage image(static_cast<int>(S), static_cast<int>(S), QImage::Format_RGBA8888);
    if (image.isNull()) {
        Show_NSLog_Message(QStringLiteral("QR picture of %1 pixels is too large.").arg(QString::number(S)));
        return {};
    }
    image.fill(QColor(255, 255, 255, 0));
    const int64_t quiet = 4 * m;
    const int64_t q0 = std::max<int64_t>(0, p - quiet), q1 = std::min<int64_t>(S, p + m * n + quiet);
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
        const int dpi = USED_DPI_VALUE.load();
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
