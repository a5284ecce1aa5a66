// Every linear symbology against the standards' examples and against zint
// as a second encoder on seeded random values.
#include <gtest/gtest.h>
#include <zint.h>

#include <functional>

#include "barcode/BCXCode128Barcode.h"
#include "barcode/BCXCode39Barcode.h"
#include "barcode/BCXPostalBarcodes.h"
#include "barcode/BCXTwoOfFiveBarcodes.h"
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "support_barcode.h"

namespace {
std::string trimmed(const std::string& m)
{
    const size_t a = m.find('1'), b = m.find_last_of('1');
    return a == std::string::npos ? std::string() : m.substr(a, b - a + 1);
}

template <class T>
std::unique_ptr<T> init(const QString& value, int codeSet = -1)
{
    std::unique_ptr<T> b;
    if constexpr (std::is_same_v<T, BCXCode128Barcode>)
        b = std::make_unique<T>(codeSet < 0 ? 3 : codeSet);
    else
        b = std::make_unique<T>();
    EXPECT_TRUE(b->initWithContent_printsCaption(value, true));
    return b;
}

QString q(const std::string& s) { return QString::fromLatin1(s.c_str()); }

// Row 0 of zint's symbol, "" (and a failure) when zint refuses the data.
std::string zint0(int symbology, const std::string& data, int option2 = 0)
{
    const auto rows = bt::zintRows(symbology, data, option2);
    if (rows.empty()) {
        ADD_FAILURE() << "zint refused " << symbology << " " << data;
        return {};
    }
    return rows[0];
}

class Symbologies : public ::testing::Test {
protected:
    void SetUp() override { bt::resetDesigner(QStringLiteral("Code 39")); }
};
}

TEST_F(Symbologies, RetailExamplesOfTheStandards)
{
    auto ean13 = init<BCXEAN13Barcode>(QStringLiteral("4006381333931"));
    EXPECT_TRUE(ean13->isContentValid());
    EXPECT_EQ(ean13->checkDigit(), '1');
    EXPECT_EQ(ean13->completeBarcode().size(), 95u);
    EXPECT_EQ(init<BCXEAN13Barcode>(QStringLiteral("400638133393"))->checkDigit(), '1');
    EXPECT_EQ(ean13->leftCaption(), QStringLiteral("4"));
    EXPECT_EQ(ean13->caption(), QStringLiteral("  006381\t333931"));

    auto upca = init<BCXUPCABarcode>(QStringLiteral("036000291452"));
    EXPECT_TRUE(upca->isContentValid());
    EXPECT_EQ(upca->caption(), QStringLiteral("36000\t29145"));
    EXPECT_EQ(upca->leftCaption(), QStringLiteral("0"));
    EXPECT_EQ(upca->rightCaption(), QStringLiteral("2"));
    EXPECT_EQ(init<BCXUPCABarcode>(QStringLiteral("03600029145"))->checkDigit(), '2');

    auto upceFromA = init<BCXUPCEBarcode>(QStringLiteral("04210000526"));
    EXPECT_TRUE(upceFromA->isContentValid());
    EXPECT_EQ(upceFromA->content(), QStringLiteral("0425261"));
    EXPECT_EQ(upceFromA->checkDigit(), '4');
    auto upce = init<BCXUPCEBarcode>(QStringLiteral("04252614"));
    EXPECT_TRUE(upce->isContentValid());
    EXPECT_EQ(upce->completeBarcode(), upceFromA->completeBarcode());
    EXPECT_EQ(upce->completeBarcode().size(), 51u);
    // Parity G L G G L L for check digit 4, inverted for number system 1.
    const bool expected[6] = {true, false, true, true, false, false};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(upce->parityForDigit(i), expected[i - 1]) << i;
    upce->setContent(QStringLiteral("1425261")); // number system 1, same check digit
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(upce->parityForDigit(i), !expected[i - 1]) << i;
    EXPECT_EQ(init<BCXUPCEBarcode>(QStringLiteral("0425261"))->checkDigit(), '4');

    auto ean8 = init<BCXEAN8Barcode>(QStringLiteral("96385074"));
    EXPECT_TRUE(ean8->isContentValid());
    EXPECT_EQ(init<BCXEAN8Barcode>(QStringLiteral("9638507"))->checkDigit(), '4');
    EXPECT_EQ(ean8->completeBarcode().size(), 67u);
    EXPECT_EQ(ean8->caption(), QStringLiteral(" 9638\t5074"));
}

TEST_F(Symbologies, RetailAgainstZint)
{
    std::mt19937 rng(1301);
    for (int i = 0; i < 150; ++i) {
        const std::string d12 = bt::randomDigits(rng, 12);
        auto ean13 = init<BCXEAN13Barcode>(q(d12));
        ASSERT_TRUE(ean13->isContentValid()) << d12;
        EXPECT_EQ(ean13->completeBarcode(), trimmed(zint0(BARCODE_EANX, d12))) << d12;

        const std::string d7 = bt::randomDigits(rng, 7);
        auto ean8 = init<BCXEAN8Barcode>(q(d7));
        EXPECT_EQ(ean8->completeBarcode(), trimmed(zint0(BARCODE_EANX, d7))) << d7;

        const std::string d11 = bt::randomDigits(rng, 11);
        auto upca = init<BCXUPCABarcode>(q(d11));
        EXPECT_EQ(upca->completeBarcode(), trimmed(zint0(BARCODE_UPCA, d11))) << d11;

        const std::string e7 = std::string(1, "01"[i % 2]) + bt::randomDigits(rng, 6);
        auto upce = init<BCXUPCEBarcode>(q(e7));
        if (!upce->isContentValid()) {
            // Not the standard form of its UPC-A: zint refuses it too.
            EXPECT_TRUE(bt::zintRows(BARCODE_UPCE, e7).empty()) << e7;
            continue;
        }
        EXPECT_EQ(upce->completeBarcode(), trimmed(zint0(BARCODE_UPCE, e7))) << e7;
        // The UPC-A form of a UPC-E converts back to the same symbol.
        const std::string a11 = BCXUPCEBarcode::expandToUPCA(e7);
        auto viaA = init<BCXUPCEBarcode>(q(a11));
        EXPECT_TRUE(viaA->isContentValid()) << a11;
        EXPECT_EQ(viaA->completeBarcode(), upce->completeBarcode()) << a11;
    }
}

TEST_F(Symbologies, Code39AndExtendedAgainstZint)
{
    std::mt19937 rng(3939);
    const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%";
    std::string printable;
    for (int c = 32; c < 127; ++c)
        printable.push_back(char(c));
    for (int i = 0; i < 200; ++i) {
        const std::string v = bt::randomFrom(rng, alphabet, 1 + i % 20);
        auto b = init<BCXCode39Barcode>(q(v));
        ASSERT_TRUE(b->isContentValid()) << v;
        EXPECT_EQ(b->completeBarcode().size(), 13 * (v.size() + 2));
        EXPECT_EQ(trimmed(b->completeBarcode()), trimmed(zint0(BARCODE_CODE39, v))) << v;

        std::string e = bt::randomFrom(rng, printable, 1 + i % 15);
        if (i % 10 == 0)
            e += '\t';
        auto x = init<BCXExtendedCode39Barcode>(q(e));
        ASSERT_TRUE(x->isContentValid()) << e;
        EXPECT_EQ(x->content(), q(e));
        EXPECT_EQ(trimmed(x->completeBarcode()), trimmed(zint0(BARCODE_EXCODE39, e))) << e;
    }
    auto lower = init<BCXCode39Barcode>(QStringLiteral("abc-1"));
    EXPECT_EQ(lower->content(), QStringLiteral("ABC-1"));
    EXPECT_TRUE(lower->isContentValid());
    EXPECT_FALSE(init<BCXCode39Barcode>(QStringLiteral("A,B"))->isContentValid());
    auto star = init<BCXExtendedCode39Barcode>(QStringLiteral("*"));
    EXPECT_EQ(star->barcode(), std::string(BCXCode39Barcode::pattern('/')) + std::string(BCXCode39Barcode::pattern('J')));
    EXPECT_FALSE(init<BCXExtendedCode39Barcode>(QStringLiteral("A\rB"))->isContentValid());
}

TEST_F(Symbologies, TwoOfFiveCodabarAndMsiAgainstZint)
{
    std::mt19937 rng(2525);
    const std::string codabarData = "0123456789-$:/.+";
    for (int i = 0; i < 150; ++i) {
        const std::string d = bt::randomDigits(rng, 1 + i % 16);
        auto itf = init<BCXInterleavedTwoOfFiveBarcode>(q(d));
        ASSERT_TRUE(itf->isContentValid());
        EXPECT_EQ(itf->completeBarcode(), trimmed(zint0(BARCODE_C25INTER, d))) << d;

        auto ind = init<BCXIndustrialTwoOfFiveBarcode>(q(d));
        EXPECT_EQ(bt::narrowWide(ind->completeBarcode()), bt::narrowWide(zint0(BARCODE_C25IND, d)))
            << d;

        const std::string c = std::string(1, "ABCD"[i % 4]) + bt::randomFrom(rng, codabarData, 1 + i % 12)
            + std::string(1, "ABCD"[(i / 4) % 4]);
        auto cb = init<BCXCodabarBarcode>(q(c));
        ASSERT_TRUE(cb->isContentValid()) << c;
        EXPECT_EQ(cb->completeBarcode(), trimmed(zint0(BARCODE_CODABAR, c))) << c;

        auto msi = init<BCXModifiedPlesseyBarcode>(q(d));
        EXPECT_EQ(bt::narrowWide(msi->completeBarcode()),
                  bt::narrowWide(zint0(BARCODE_MSI_PLESSEY, d, 1)))
            << d;
    }
    EXPECT_EQ(init<BCXInterleavedTwoOfFiveBarcode>(QStringLiteral("12"))->completeBarcode().size(), 27u);
    EXPECT_EQ(init<BCXModifiedPlesseyBarcode>(QStringLiteral("1234567"))->checkDigit(), '4');
}

TEST_F(Symbologies, PlesseyHexCarriesItsNibblesMostSignificantBitFirst)
{
    std::mt19937 rng(1616);
    for (int i = 0; i < 50; ++i) {
        const std::string v = bt::randomFrom(rng, "0123456789ABCDEF", 1 + i % 12);
        auto b = init<BCXModifiedPlesseyHexBarcode>(q(v));
        ASSERT_TRUE(b->isContentValid()) << v;
        const std::string& m = b->completeBarcode();
        ASSERT_EQ(m.size(), 4 + 16 * (v.size() + 1) + 5);
        EXPECT_EQ(m.substr(0, 4), "1110");
        EXPECT_EQ(m.substr(m.size() - 5), "10001");
        std::string digits = v + char(b->checkDigit());
        for (size_t k = 0; k < digits.size(); ++k) {
            const int value = std::stoi(std::string(1, digits[k]), nullptr, 16);
            for (int bit = 0; bit < 4; ++bit) {
                const std::string cell = m.substr(4 + 16 * k + 4 * size_t(bit), 4);
                EXPECT_EQ(cell, (value >> (3 - bit)) & 1 ? "1110" : "1000") << v << " " << k;
            }
        }
    }
    EXPECT_TRUE(init<BCXModifiedPlesseyHexBarcode>(QStringLiteral("abc"))->isContentValid());
    EXPECT_FALSE(init<BCXModifiedPlesseyBarcode>(QStringLiteral("abc"))->isContentValid());
}

TEST_F(Symbologies, Code128ExamplesAndNeverLongerThanZint)
{
    auto setB = init<BCXCode128Barcode>(QStringLiteral("Code 128"), 1);
    EXPECT_EQ(setB->checkDigit(), 64);
    EXPECT_EQ(init<BCXCode128Barcode>(QStringLiteral("X"), 1)->completeBarcode().size(), 46u);
    auto autoC = init<BCXCode128Barcode>(QStringLiteral("12345"));
    // Start C, 12, 34, Code B, 5.
    EXPECT_EQ(autoC->initiator(), BCXCode128Barcode::patternOfValue(105));
    EXPECT_EQ(autoC->symbolValues(), (std::vector<unsigned char>{12, 34, 100, 21}));
    auto empty = init<BCXCode128Barcode>(QLatin1String(""));
    EXPECT_EQ(empty->codeSet(), 2);
    EXPECT_EQ(empty->completeBarcode().size(), 11u + 11u + 13u);
    EXPECT_EQ(init<BCXCode128Barcode>(QStringLiteral("AB\tC"))->codeSet(), 0);
    EXPECT_EQ(init<BCXCode128Barcode>(QStringLiteral("123456"))->codeSet(), 2);
    EXPECT_EQ(init<BCXCode128Barcode>(QStringLiteral("A12"))->codeSet(), 1);

    std::mt19937 rng(128);
    std::string ascii;
    for (int c = 1; c < 128; ++c)
        ascii.push_back(char(c));
    const std::string mostlyDigits = "0123456789012345678901234567890123456789aZ";
    for (int i = 0; i < 300; ++i) {
        const std::string v = bt::randomFrom(rng, i % 2 ? ascii : mostlyDigits, 1 + i % 30);
        auto b = init<BCXCode128Barcode>(q(v));
        ASSERT_TRUE(b->isContentValid()) << v;
        EXPECT_LE(trimmed(b->completeBarcode()).size(), trimmed(zint0(BARCODE_CODE128, v)).size()) << v;
    }
    // Fixed set B is exactly zint's set B on printable text.
    std::string printable;
    for (int c = 32; c < 127; ++c)
        printable.push_back(char(c));
    for (int i = 0; i < 100; ++i) {
        const std::string v = bt::randomFrom(rng, printable, 1 + i % 25);
        auto b = init<BCXCode128Barcode>(q(v), 1);
        EXPECT_EQ(trimmed(b->completeBarcode()), trimmed(zint0(BARCODE_CODE128B, v))) << v;
    }
}

TEST_F(Symbologies, PostalExamplesAndBarStatesAgainstZint)
{
    auto postnet = init<BCXPostnetBarcode>(QStringLiteral("12345"));
    EXPECT_EQ(postnet->checkDigit(), '5');
    EXPECT_EQ(postnet->completeBarcode().size(), 94u);
    EXPECT_FALSE(init<BCXPostnetBarcode>(QStringLiteral("1234"))->isContentValid());
    EXPECT_FALSE(init<BCXPostnetBarcode>(QStringLiteral("1234a"))->isContentValid());

    auto japan = init<JapanPostBarcode>(QStringLiteral("1234567-8"));
    EXPECT_EQ(japan->japanpostContents(), QStringLiteral("1234567-8") + QString(11, QLatin1Char('=')));
    EXPECT_EQ(japan->content(), QStringLiteral("1234567-8"));
    EXPECT_EQ(japan->checkDigit(), '9');
    EXPECT_EQ(japan->completeBarcode().size(), 133u);
    auto letters = init<JapanPostBarcode>(QStringLiteral("abc1234"));
    EXPECT_FALSE(letters->isContentValid());
    EXPECT_TRUE(letters->japanpostContents().startsWith(QStringLiteral(":0:1:21234")));
    auto cut = init<JapanPostBarcode>(QStringLiteral("1234567ABCDEFGHIJKLMNO"));
    // Cut between whole characters: G would need two symbols where one is left.
    EXPECT_EQ(cut->japanpostContents(), QStringLiteral("1234567:0:1:2:3:4:5="));
    EXPECT_EQ(cut->content(), QStringLiteral("1234567ABCDEF"));
    EXPECT_EQ(bt::ourBarStates(*cut), bt::ourBarStates(*init<JapanPostBarcode>(QStringLiteral("1234567ABCDEF"))));

    auto rm = init<BCXRoyalMailBarcode>(QStringLiteral("A"));
    EXPECT_EQ(rm->completeBarcode().size(), 19u);
    EXPECT_EQ(rm->_barDescriptor(0), kAscender);
    EXPECT_EQ(rm->_barDescriptor(18), kFullBar);

    std::mt19937 rng(4444);
    for (int i = 0; i < 100; ++i) {
        const std::string d = bt::randomDigits(rng, std::vector<int>{5, 9, 11}[size_t(i % 3)]);
        EXPECT_EQ(bt::ourBarStates(*init<BCXPostnetBarcode>(q(d))), bt::zintBarStates(bt::zintRows(BARCODE_POSTNET, d)))
            << d;
        const std::string p = bt::randomDigits(rng, i % 2 ? 11 : 13);
        EXPECT_EQ(bt::ourBarStates(*init<BCXPlanetBarcode>(q(p))), bt::zintBarStates(bt::zintRows(BARCODE_PLANET, p)))
            << p;
        const std::string r = bt::randomFrom(rng, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1 + i % 12);
        EXPECT_EQ(bt::ourBarStates(*init<BCXRoyalMailBarcode>(q(r))), bt::zintBarStates(bt::zintRows(BARCODE_RM4SCC, r)))
            << r;
        const std::string j = bt::randomDigits(rng, 7) + bt::randomFrom(rng, "0123456789-ABCDEFGHIJKLMNOPQRSTUVWXYZ", i % 7);
        auto jp = init<JapanPostBarcode>(q(j));
        ASSERT_TRUE(jp->isContentValid()) << j;
        EXPECT_EQ(bt::ourBarStates(*jp), bt::zintBarStates(bt::zintRows(BARCODE_JAPANPOST, j))) << j;
    }
}
