// The QR front end: capacity check and encoding over every version, level
// and mode, read back byte for byte by an independent decoder.
#include "support/bounded_wait.h"
#include "barcode/QRSymbolEncoder.h"
#include "barcode/QR_Symbol.h"
#include "support_2d_decode.h"

#include <qrencode.h>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

enum class Mode { Numeric, Alphanumeric, Byte };

// A text of exactly `length` bytes that needs the given mode throughout.
std::string textOf(Mode mode, int64_t length, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s;
    switch (mode) {
    case Mode::Numeric:
        while (static_cast<int64_t>(s.size()) < length)
            s += static_cast<char>('0' + gen() % 10);
        break;
    case Mode::Alphanumeric: {
        // Letters and symbols only: a digit run inside would make its own segment.
        static const char set[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
        while (static_cast<int64_t>(s.size()) < length)
            s += set[gen() % (sizeof set - 1)];
        break;
    }
    case Mode::Byte: {
        // UTF-8: CJK, the euro sign, an emoji, Latin-1 letters and lower case.
        static const char* pieces[] = {"\xE4\xB8\xAD", "\xE2\x82\xAC", "\xF0\x9F\x98\x98", "\xC3\xBC", "\xE6\x97\xA5"};
        while (static_cast<int64_t>(s.size()) < length) {
            const int64_t room = length - static_cast<int64_t>(s.size());
            const char* piece = pieces[gen() % 5];
            if (gen() % 3 == 0 || static_cast<int64_t>(std::strlen(piece)) > room)
                s += static_cast<char>('a' + gen() % 26);
            else
                s += piece;
        }
        break;
    }
    }
    return s;
}

const int64_t* tableOf(Mode mode)
{
    switch (mode) {
    case Mode::Numeric: return QRSymbolEncoder::QR_Numric_size_array();
    case Mode::Alphanumeric: return QRSymbolEncoder::QR_AlphaNumric_size_array();
    default: return QRSymbolEncoder::QR_8_BIT_size_array();
    }
}

twod::Decoded read(const DataMatrix& m)
{
    const int n = static_cast<int>(m.dimension());
    return twod::decodeModules(n, n, [&](int x, int y) { return m.valueAt(x, y) == 1; }, twod::Kind::QR);
}

const char* levelName(int level) { return &"L\0M\0Q\0H"[level * 2]; }

class QRCapacity : public ::testing::TestWithParam<std::tuple<Mode, int>>
{
};

} // namespace

TEST(QRCapacity, TablesHoldTheStandardsFigures)
{
    // Corners of the capacity table of ISO/IEC 18004.
    EXPECT_EQ(QRSymbolEncoder::QR_Numric_size_array()[0], 41);
    EXPECT_EQ(QRSymbolEncoder::QR_Numric_size_array()[1], 34);
    EXPECT_EQ(QRSymbolEncoder::QR_Numric_size_array()[2], 27);
    EXPECT_EQ(QRSymbolEncoder::QR_Numric_size_array()[3], 17);
    EXPECT_EQ(QRSymbolEncoder::QR_AlphaNumric_size_array()[0], 25);
    EXPECT_EQ(QRSymbolEncoder::QR_8_BIT_size_array()[0], 17);
    EXPECT_EQ(QRSymbolEncoder::QR_Kanji_size_array()[0], 10);
    EXPECT_EQ(QRSymbolEncoder::QR_Numric_size_array()[156], 7089);
    EXPECT_EQ(QRSymbolEncoder::QR_AlphaNumric_size_array()[156], 4296);
    EXPECT_EQ(QRSymbolEncoder::QR_8_BIT_size_array()[156], 2953);
    EXPECT_EQ(QRSymbolEncoder::QR_8_BIT_size_array()[159], 1273);
    EXPECT_EQ(QRSymbolEncoder::QR_Kanji_size_array()[156], 1817);
    EXPECT_EQ(QRSymbolEncoder::QR_Kanji_size_array()[157], 1435);
    EXPECT_EQ(QRSymbolEncoder::QR_Kanji_size_array()[158], 1024);
    EXPECT_EQ(QRSymbolEncoder::QR_Kanji_size_array()[159], 784);
    // Version 10-M, inside the table.
    EXPECT_EQ(QRSymbolEncoder::QR_8_BIT_size_array()[9 * 4 + 1], 213);
}

TEST_P(QRCapacity, FullSymbolsDecodeAndOneMoreIsRefused)
{
    const auto [mode, level] = GetParam();
    for (int v = 1; v <= 40; ++v) {
        const int64_t cap = tableOf(mode)[(v - 1) * 4 + level];
        const std::string text = textOf(mode, cap, static_cast<unsigned>(v * 7 + level));
        SCOPED_TRACE(testing::Message() << "version " << v << " level " << level << " length " << cap);

        const auto fixed = QRSymbolEncoder::encodeCStringWithECLevel(level, v, text.c_str());
        ASSERT_TRUE(fixed);
        ASSERT_EQ(fixed->dimension(), 4 * v + 17);
        const auto d = read(*fixed);
        ASSERT_TRUE(d.valid);
        EXPECT_EQ(d.bytes, text);
        EXPECT_EQ(d.ecLevel, levelName(level));

        const auto automatic = QRSymbolEncoder::encodeCStringWithECLevel(level, 0, text.c_str());
        ASSERT_TRUE(automatic);
        EXPECT_EQ(automatic->dimension(), 4 * v + 17);

        const std::string more = text + (mode == Mode::Numeric ? "7" : mode == Mode::Alphanumeric ? "Q" : "q");
        EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(level, v, more.c_str()));
    }
}

INSTANTIATE_TEST_SUITE_P(AllVersions, QRCapacity,
                         ::testing::Combine(::testing::Values(Mode::Numeric, Mode::Alphanumeric, Mode::Byte),
                                            ::testing::Values(0, 1, 2, 3)));

TEST(QRFrontEnd, FrontEndExamples)
{
    const std::string lower(100, 'k');
    const auto auto5 = QRSymbolEncoder::encodeCStringWithECLevel(0, 0, lower.c_str());
    ASSERT_TRUE(auto5);
    EXPECT_EQ(auto5->dimension(), 37);   // version 5
    EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(0, 1, lower.c_str()));
    // Out-of-range level or version (a damaged design): nothing, no table read.
    EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(4, 0, "A"));
    EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(-1, 0, "A"));
    EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(0, 41, "A"));
    EXPECT_FALSE(QRSymbolEncoder::encodeCStringWithECLevel(0, -1, "A"));
    // An empty text passes the check and gives the empty matrix.
    const auto empty = QRSymbolEncoder::encodeCStringWithECLevel(0, 0, "");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->dimension(), 0);
    EXPECT_EQ(DataMatrix(2).description(), QStringLiteral("00\n00\n"));
}

TEST(QRFrontEnd, AlternatingAlphanumericsFillVersion40)
{
    // 2,148 pairs "A1": one run per byte before joining.
    std::string text;
    for (int i = 0; i < 2148; ++i)
        text += "A1";
    const auto m = QRSymbolEncoder::encodeCStringWithECLevel(0, 0, text.c_str());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->dimension(), 177);
    const auto d = read(*m);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, text);

    // Longer than any symbol holds: refused before any work.
    auto sym = std::make_unique<CQR_Symbol>();
    const std::string tooLong(7090, '1');
    EXPECT_FALSE(sym->EncodeData(0, 0, true, -1, tooLong.data(), static_cast<int64_t>(tooLong.size())));
    EXPECT_EQ(sym->m_nSymbleSize, 0);
}

TEST(QRFrontEnd, CapitalsThenDigitsFitVersion1)
{
    // 117 of 152 bits at 1-L.
    const std::string text = "ABCDEFGHIJKL1234567";
    const auto m = QRSymbolEncoder::encodeCStringWithECLevel(0, 1, text.c_str());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->dimension(), 21);
    EXPECT_EQ(read(*m).bytes, text);
}

TEST(QRFrontEnd, Utf8IsNeverTakenForKanji)
{
    // Lead bytes E4 B8 (CJK), E2 82 (euro), E2 80 (dash) and 9F 98 (inside an
    // emoji) all look like Shift JIS pairs.
    for (const char* text : {"\xE4\xB8\xAD\xE6\x96\x87", "Preis 5 \xE2\x82\xAC", "a \xE2\x80\x93 b",
                             "\xF0\x9F\x98\x98\xF0\x9F\x98\x80", "Gr\xC3\xBC\xC3\x9F" "e"}) {
        const auto m = QRSymbolEncoder::encodeWithECLevel(1, 0, QString::fromUtf8(text));
        ASSERT_TRUE(m);
        const auto d = read(*m);
        ASSERT_TRUE(d.valid) << text;
        EXPECT_EQ(d.bytes, std::string(text));
    }
}

TEST(QRFrontEnd, SecondReaderAgrees)
{
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        GTEST_SKIP() << "zbarimg is not installed";
    QTemporaryDir dir;
    for (const char* text : {"HELLO WORLD 2026", "https://example.org/?q=\xE2\x82\xAC&x=1", "0123456789012345678901234"}) {
        const auto m = QRSymbolEncoder::encodeCStringWithECLevel(2, 0, text);
        ASSERT_TRUE(m);
        const QImage img = QRSymbolEncoder::paintDataMatrix(m.get(), static_cast<int>(m->dimension() + 8) * 4);
        QImage onWhite(img.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        QPainter(&onWhite).drawImage(0, 0, img);
        const QString path = dir.filePath(QStringLiteral("qr.png"));
        ASSERT_TRUE(onWhite.save(path));
        QProcess zbar;
        zbar.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sbinary"), path});
        ASSERT_TRUE(zbar.waitForFinished(kHangMilliseconds));
        QByteArray out = zbar.readAllStandardOutput();
        if (out.endsWith('\n'))
            out.chop(1);
        EXPECT_EQ(out.toStdString(), std::string(text));
    }
}

TEST(QRFrontEnd, SegmentsAsShortAsLibqrencodes)
{
    // Runs of digits, capitals and other bytes in random lengths: our
    // smallest version is never above libqrencode's at any level, and every
    // symbol reads back exactly.
    std::mt19937 gen(35);
    const std::string classes[] = {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:", "abcxyz!?#\x80\xE9\xFF"};
    for (int i = 0; i < 160; ++i) {
        std::string text;
        const size_t length = 1 + gen() % (i % 8 == 7 ? 1500 : 160);
        while (text.size() < length) {
            const std::string& set = classes[gen() % 3];
            for (unsigned n = 1 + gen() % 24; n > 0 && text.size() < length; --n)
                text += set[gen() % set.size()];
        }
        const int level = i % 4;
        SCOPED_TRACE(testing::Message() << "level " << level << " text " << text);
        QRcode* peer = QRcode_encodeString(text.c_str(), 0, static_cast<QRecLevel>(level), QR_MODE_8, 1);
        const auto ours = QRSymbolEncoder::encodeCStringWithECLevel(level, 0, text.c_str());
        ASSERT_TRUE(ours && ours->dimension() > 0) << (peer ? peer->version : 0);
        if (peer) {
            EXPECT_LE((ours->dimension() - 17) / 4, peer->version);
            QRcode_free(peer);
        }
        EXPECT_EQ(read(*ours).bytes, text);
    }
    // Digit runs inside alphanumeric text stay alphanumeric when that is shorter.
    const std::string v4 = "792M-M-JRMWJ*95945952370PJWRHDHFFLX::NRS+SQW*::QSQ";
    const auto m4 = QRSymbolEncoder::encodeCStringWithECLevel(3, 4, v4.c_str());
    ASSERT_TRUE(m4);
    EXPECT_EQ(read(*m4).bytes, v4);
    std::string pattern;
    while (pattern.size() < 4296)
        pattern += "ABCDEFGHIJKLM12345678901";
    pattern.resize(4296);
    const auto m40 = QRSymbolEncoder::encodeCStringWithECLevel(0, 0, pattern.c_str());
    ASSERT_TRUE(m40);
    EXPECT_EQ(m40->dimension(), 177);
    EXPECT_EQ(read(*m40).bytes, pattern);
}
