// Values carried whole and shown whole: QR Code takes every byte (NUL
// included) and every value that fits; headers, footers and value texts
// stay inside the picture; 2-D symbols keep their quiet zone; Data Matrix
// takes bytes in Base256 up to the largest symbol.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/DataMatrix.h"
#include "barcode/QRSymbolEncoder.h"
#include "barcode/QR_Symbol.h"
#include "support_2d_decode.h"
#include "support_barcode.h"

#include <QPainter>
#include <QStringList>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

twod::Decoded readQR(const DataMatrix& m)
{
    return twod::decodeModules(
        static_cast<int>(m.dimension()), static_cast<int>(m.dimension()),
        [&](int x, int y) { return m.valueAt(x, y) != 0; }, twod::Kind::QR);
}

// Bytes 0x00 and 0x80..0xFF only: no run the encoder could write as digits
// or alphanumerics, so the value is one 8-bit segment.
QByteArray binary(unsigned seed, int64_t n)
{
    std::mt19937 gen(seed);
    QByteArray b(static_cast<qsizetype>(n), '\0');
    for (auto& c : b)
        c = gen() % 4 == 0 ? '\0' : static_cast<char>(0x80 | (gen() & 0x7F));
    return b;
}

// Data bits of a numeric segment of n digits followed by a one-byte segment.
int64_t digitsThenByteBits(int64_t n, int version)
{
    const int g = version >= 27 ? 2 : version >= 10 ? 1 : 0;
    static const int cciNum[] = {10, 12, 14}, cciByte[] = {8, 16, 16};
    return 4 + cciNum[g] + 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0) + 4 + cciByte[g] + 8;
}

struct Ink
{
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};
Ink inkOf(const QImage& img)
{
    Ink b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) > 128 && qGray(p) < 160) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        }
    return b;
}

// White (or transparent) distance from the ink to the picture's edge.
void expectInkInside(const QImage& img, const char* what)
{
    const Ink ink = inkOf(img);
    ASSERT_GE(ink.right, 0) << what;
    EXPECT_GT(ink.left, 0) << what;
    EXPECT_LT(ink.right, img.width() - 1) << what;
}

} // namespace

TEST(QRWholeValues, NulBytesAndBinaryValuesUpToCapacityDecodeExactly)
{
    for (const QByteArray& v : {QByteArray("\0start", 6), QByteArray("mid\0dle", 7), QByteArray("end\0", 4),
                                QByteArray(1, '\0'), QByteArray("\0\0\0", 3)}) {
        const auto m = QRSymbolEncoder::encodeBytes(2, 0, v);
        ASSERT_TRUE(m && m->dimension() > 0) << v.toHex().toStdString();
        EXPECT_EQ(readQR(*m).bytes, v.toStdString());
    }
    struct Edge
    {
        int version, level;
    };
    for (const Edge e : {Edge{1, 0}, Edge{7, 3}, Edge{12, 1}, Edge{30, 2}, Edge{40, 3}, Edge{40, 0}}) {
        const int64_t cap = QRSymbolEncoder::QR_8_BIT_size_array()[(e.version - 1) * 4 + e.level];
        const QByteArray full = binary(unsigned(e.version), cap);
        SCOPED_TRACE(testing::Message() << "version " << e.version << " level " << e.level);
        const auto m = QRSymbolEncoder::encodeBytes(e.level, e.version, full);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->dimension(), 4 * e.version + 17);
        EXPECT_EQ(readQR(*m).bytes, full.toStdString());
        EXPECT_FALSE(QRSymbolEncoder::encodeBytes(e.level, e.version, full + '\x81'));
    }
    // Through the designer: a QString holding NUL keeps every byte.
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    g.Restore_Defaults();
    QR_Version_Val = 0;
    QR_EC_Level_Val = 3;
    USED_DPI_VALUE = 300;
    const QString withNul = QStringLiteral("A") + QChar(0) + QStringLiteral("B\u00e9");
    g.Draw_QR_Barcode(withNul);
    ASSERT_FALSE(g.image_2d.isNull());
    EXPECT_EQ(twod::decodeImage(g.image_2d.raster(), twod::Kind::QR).bytes, withNul.toUtf8().toStdString());
}

TEST(QRWholeValues, MixedSegmentsAreAcceptedExactlyWhenTheyFit)
{
    // The examples that used to be refused at level L, version automatic.
    for (const std::string& v : {std::string(5000, '1') + "a", std::string(3500, 'A') + "a"}) {
        const auto m = QRSymbolEncoder::encodeCStringWithECLevel(0, 0, v.c_str());
        ASSERT_TRUE(m && m->dimension() > 0) << v.size();
        EXPECT_EQ(readQR(*m).bytes, v);
    }
    // Digits and one lower-case letter at the edge of several versions.
    for (const auto& [version, level] : {std::pair{2, 1}, std::pair{9, 0}, std::pair{10, 3}, std::pair{27, 2},
                                         std::pair{40, 0}}) {
        const int64_t bits = qr_tables::dataCodewords(version, level) * 8;
        int64_t n = 1;
        while (digitsThenByteBits(n + 1, version) <= bits)
            ++n;
        const std::string fits = std::string(static_cast<size_t>(n), '7') + "x";
        const std::string over = std::string(static_cast<size_t>(n + 1), '7') + "x";
        SCOPED_TRACE(testing::Message() << "version " << version << " level " << level << " digits " << n);
        const auto m = QRSymbolEncoder::encodeCStringWithECLevel(level, version, fits.c_str());
        ASSERT_TRUE(m);
        EXPECT_EQ(m->dimension(), 4 * version + 17);
        EXPECT_EQ(readQR(*m).bytes, fits);
        EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(level, version, over.c_str()));
        if (version == 40) {
            EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(level, 0, over.c_str()));
        }
    }
}

TEST(CaptionsAndQuietZones, LongHeadersFootersAndValueTextsAreNeverCut)
{
    const QString header = QStringLiteral("Happy Birthday, dear Anna! Forty chars.");
    const QString footer = QStringLiteral("WWWWWWWWWWMMMMMMMMMMWWWWWWWWWWMMMMMMMMMM");
    for (const char* title : {"Code 39", "Code 128", "UPCA", "EAN-13", "QR Code", "DataMatrix", "PDF417"}) {
        bt::resetDesigner(QString::fromLatin1(title));
        Barcode_Gen& g = *Barcode_Gen::defaultInstance();
        g.widthText.text = QStringLiteral("7.5");
        USED_DPI_VALUE = 300;
        const bool twoD = Barcode_Gen::Is_2D_Title(g.barcodeTypePopup);
        const QString value = QString::fromLatin1(std::string(title) == "UPCA" ? "03600029145"
                                                  : std::string(title) == "EAN-13" ? "400638133393"
                                                  : twoD                           ? "HELLO"
                                                                                   : "1");
        // A narrow symbol under a wide header and footer, then a value text
        // wider than its bars.
        const PointPicture a = g.Get_Image_From_Val(value, header, footer);
        ASSERT_FALSE(a.isNull()) << title << g.last_failure.toStdString();
        expectInkInside(a.toImage(300), title);
        if (!twoD && std::string(title) != "UPCA" && std::string(title) != "EAN-13") {
            const PointPicture b = g.Get_Image_From_Val(QStringLiteral("1234567890123456789012345678901234567890"),
                                                        QStringLiteral("H"), QStringLiteral("F"));
            ASSERT_FALSE(b.isNull()) << title;
            expectInkInside(b.toImage(300), title);
        }
    }
}

TEST(CaptionsAndQuietZones, AccentsAndDescendersStayInTheirBands)
{
    // Red header and footer around a black symbol: no ink on the picture's
    // edge, no red inside the box of the black ink.
    const QString header = QStringLiteral("\u00c1\u00c9 \u00c9g"), footer = QStringLiteral("\u00c7\u00d1 \u00ffgjpq");
    for (const char* title : {"Code 128", "QR Code", "PDF417", "DataMatrix"}) {
        for (const double points : {8.0, 16.0, 30.0, 48.0, 72.0}) {
            SCOPED_TRACE(testing::Message() << title << " at " << points << " pt");
            bt::resetDesigner(QString::fromLatin1(title));
            Barcode_Gen& g = *Barcode_Gen::defaultInstance();
            g.bar_hdr_clr = g.bar_ftr_clr = QColor(255, 0, 0);
            g.header_font.setPointSizeF(points);
            g.footer_font.setPointSizeF(points);
            USED_DPI_VALUE = 300;
            const PointPicture pic = g.Get_Image_From_Val(QStringLiteral("HELLO"), header, footer);
            ASSERT_FALSE(pic.isNull()) << g.last_failure.toStdString();
            const QImage img = pic.toImage(300).convertToFormat(QImage::Format_RGB32);
            const auto inked = [](QRgb c) { return qGray(c) < 235; };
            const auto red = [](QRgb c) { return qRed(c) - qGreen(c) > 60; };
            const auto black = [](QRgb c) { return qRed(c) < 100 && qGreen(c) < 100; };
            QRect symbol;
            int edge = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb c = img.pixel(x, y);
                    if (black(c))
                        symbol |= QRect(x, y, 1, 1);
                    if (inked(c) && (x == 0 || y == 0 || x == img.width() - 1 || y == img.height() - 1))
                        ++edge;
                }
            int inside = 0;
            for (int y = symbol.top(); y <= symbol.bottom(); ++y)
                for (int x = symbol.left(); x <= symbol.right(); ++x)
                    inside += red(img.pixel(x, y));
            EXPECT_EQ(edge, 0);
            EXPECT_EQ(inside, 0);
        }
    }
}

TEST(CaptionsAndQuietZones, QRKeepsFourModulesAndDataMatrixOne)
{
    USED_DPI_VALUE = 300;
    for (const int version : {1, 4, 10, 25, 40}) {
        const std::string text(static_cast<size_t>(QRSymbolEncoder::QR_8_BIT_size_array()[(version - 1) * 4]), 'q');
        const auto m = QRSymbolEncoder::encodeCStringWithECLevel(0, version, text.c_str());
        ASSERT_TRUE(m);
        const int n = static_cast<int>(m->dimension());
        for (const int side : {n, n + 3, 60, 100, 250}) {
            if (side < n)
                continue;
            const QImage img = QRSymbolEncoder::paintDataMatrix(m.get(), side);
            ASSERT_FALSE(img.isNull());
            const Ink ink = inkOf(img);
            const double module = double(ink.right - ink.left + 1) / n;
            SCOPED_TRACE(testing::Message() << "version " << version << " side " << side);
            // Opaque white for four modules on every side of the symbol.
            for (const QPoint pt : {QPoint(ink.left - int(4 * module), ink.top), QPoint(ink.right + int(4 * module), ink.bottom),
                                    QPoint(ink.left, ink.top - int(4 * module)), QPoint(ink.right, ink.bottom + int(4 * module))}) {
                ASSERT_TRUE(img.rect().contains(pt));
                EXPECT_EQ(img.pixelColor(pt), QColor(255, 255, 255, 255));
            }
        }
    }
    // The designer's picture at its default 60 points, header and footer hidden.
    bt::resetDesigner(QStringLiteral("QR Code"));
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 1;
    g.TB_mar_Text.text = g.LR_mar_Text.text = QStringLiteral("0");
    QR_Version_Val = 10;
    QR_EC_Level_Val = 0;
    const PointPicture qr = g.Get_Image_From_Val(QStringLiteral("QUIET"), {}, {});
    ASSERT_FALSE(qr.isNull());
    const QImage qi = qr.toImage(600);
    const Ink qink = inkOf(qi);
    const double qm = double(qink.right - qink.left + 1) / 57;
    EXPECT_GE(qink.top, 4 * qm - 1);
    EXPECT_GE(qink.left, 4 * qm - 1);
    EXPECT_GE(qi.height() - 1 - qink.bottom, 4 * qm - 1);
    EXPECT_EQ(twod::decodeImage(qi, twod::Kind::QR).bytes, "QUIET");

    bt::resetDesigner(QStringLiteral("DataMatrix"));
    g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 1;
    g.TB_mar_Text.text = g.LR_mar_Text.text = QStringLiteral("0");
    g.dm_format_ComboBox = QStringLiteral("C24X24");
    for (const char* module : {"1", "2", "5"}) {
        g.dm_moduleText_2D.text = QString::fromLatin1(module);
        const PointPicture dm = g.Get_Image_From_Val(QStringLiteral("Data Matrix quiet zone"), {}, {});
        ASSERT_FALSE(dm.isNull());
        const QImage di = dm.toImage(600);
        const Ink dink = inkOf(di);
        const double px = double(dink.right - dink.left + 1) / 24;   // one module as drawn
        EXPECT_GE(dink.left, 0.9 * px) << module;
        EXPECT_GE(dink.top, 0.9 * px) << module;
        EXPECT_GE(di.width() - 1 - dink.right, 0.9 * px) << module;
        EXPECT_GE(di.height() - 1 - dink.bottom, 0.9 * px) << module;
    }
}

TEST(DataMatrixBase256, BytesFitUpToTheLargestSymbolAndReadBackExactly)
{
    const auto read = [](const ecc200::Symbol& s) {
        return twod::decodeModules(
            s.W, s.H, [&](int x, int y) { return s.grid[static_cast<size_t>((s.H - 1 - y) * s.W + x)] != 0; },
            twod::Kind::DataMatrix);
    };
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    std::mt19937 gen(16022);
    QByteArray edge(1557, '\0');
    for (char& c : edge)
        c = static_cast<char>(gen() & 0xFF);
    // Latch and a one-byte length (up to 249), a two-byte length, and the
    // length 0 of bytes that fill the 144 x 144 symbol to its end.
    for (const QByteArray& value : {QByteArray("x"), all.left(249), all, edge.left(1200), edge.left(1556)}) {
        for (const char* title : {"Base256", "Auto"}) {
            ecc200::Symbol s;
            ASSERT_TRUE(ecc200::encode(value, 0, 0, QString::fromLatin1(title), &s)) << value.size();
            EXPECT_EQ(read(s).bytes, value.toStdString()) << value.size() << title;
        }
    }
    ecc200::Symbol named;
    ASSERT_TRUE(ecc200::encode("abc", 18, 8, QStringLiteral("Base256"), &named));
    EXPECT_EQ(read(named).bytes, "abc");

    // One byte more: refused, and the diagnostics say Base256 was tried.
    testing::internal::CaptureStdout();
    ecc200::Symbol over;
    EXPECT_FALSE(ecc200::encode(edge, 0, 0, QStringLiteral("Base256"), &over));
    EXPECT_FALSE(ecc200::encode("abcd", 18, 8, QStringLiteral("Base256"), &over));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Encoding: " + std::string(1557, 'B') + "\n"), std::string::npos);
    EXPECT_NE(said.find("Size    : 18x8\nEncoded : 0 of 5 bytes with 7 bytes of ecc\n"), std::string::npos);

    // The designer's road.
    bt::resetDesigner(QStringLiteral("DataMatrix"));
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    g.dm_encoding_ComboBox = QStringLiteral("Base256");
    const PointPicture p = g.Get_Image_From_Val(QStringLiteral("Base256 \u00e9"), {}, {});
    ASSERT_FALSE(p.isNull());
    EXPECT_EQ(twod::decodeImage(p.toImage(300), twod::Kind::DataMatrix).bytes, "Base256 \xC3\xA9");
}
