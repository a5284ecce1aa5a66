// The mended faults: values that must be refused (with their reason) or
// encoded differently from the old behaviour, and bad settings.
#include <gtest/gtest.h>

#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXCode128Barcode.h"
#include "barcode/BCXCode39Barcode.h"
#include "barcode/BCXTwoOfFiveBarcodes.h"
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "support_barcode.h"

namespace {
class Faults : public ::testing::Test {
protected:
    void SetUp() override { bt::resetDesigner(QStringLiteral("Code 39")); }
    Barcode_Gen& gen() { return *Barcode_Gen::defaultInstance(); }
};

std::string pat(char c) { return std::string(BCXCode39Barcode::pattern(c)); }
}

TEST_F(Faults, RefusedValuesCarryTheirReasonAndMakeNoPicture)
{
    struct Case {
        const char* title;
        QString value;
        const char* reason; // part of the reason; nullptr: the value is valid
    };
    const Case cases[] = {
        {"EAN-8", QStringLiteral("96385070"), "EAN-8 needs 7 digits, or 8 with a correct check digit."},
        {"EAN-8", QStringLiteral("96385074"), nullptr},
        {"UPCE", QStringLiteral("04252615"), "UPC-E needs"},
        {"UPCE", QStringLiteral("04252614"), nullptr},
        {"UPCE", QStringLiteral("0425261"), nullptr}, // check digit derived from the UPC-A
        {"EAN-13", QStringLiteral("40063813339310"), "EAN-13 needs"},
        {"EAN-13", QStringLiteral("4006381333932"), "EAN-13 needs"},
        {"UPCA", QStringLiteral("0360002914521"), "UPC-A needs"},
        {"UPCE", QStringLiteral("01234567895"), "This UPC-A number has no UPC-E form."},
        {"UPCE", QStringLiteral("01234500001"), "This UPC-A number has no UPC-E form."},
        {"UPCE", QStringLiteral("04210000526"), nullptr},
        {"Code 39", QStringLiteral("AB*CD"), "\"*\""},
        {"Extended Code 39", QStringLiteral("AB*cd"), nullptr},
        {"Codabar", QStringLiteral("1234"), "start and a stop letter"},
        {"Codabar", QStringLiteral("A12B34C"), "none inside"},
        {"Codabar", QStringLiteral("a1234b"), "Codabar cannot encode"},
        {"Codabar", QStringLiteral("A1234B"), nullptr},
        {"Code 128 SET C", QStringLiteral("12345"), "even number of digits"},
        {"Code 128 SET C", QStringLiteral("12AB"), "even number of digits"},
        {"Planet", QStringLiteral("12345"), "PLANET needs 11 or 13 digits."},
        {"Planet", QStringLiteral("123456789"), "PLANET needs"},
        {"Planet", QStringLiteral("12345678901"), nullptr},
        {"PostNet", QStringLiteral("1234a"), "POSTNET needs"},
        {"Royal Mail Barcode (RM4SCC / CBC)", QStringLiteral("ab12cd"), nullptr},
        {"Royal Mail Barcode (RM4SCC / CBC)", QStringLiteral("AB-12"), "RM4SCC takes"},
        {"Japan Post Barcode", QStringLiteral("12ab345"), "Japan Post needs"},
        {"Interleaved 2 of 5", QStringLiteral("12a4"), "digits only"},
        {"Modified Plessey", QStringLiteral("12A4"), "digits only"},
        {"Modified Plessey (Hex)", QStringLiteral("12G4"), "A to F"},
        {"Code 128", QStringLiteral("caf\u00e9"), "outside ASCII"},
        {"Code 39", QStringLiteral("\u00c4BC"), "outside ASCII"},
        {"Japan Post Barcode", QStringLiteral("1234567\u00e9"), "outside ASCII"},
        {"Code 39", QLatin1String(""), "Please enter barcode value"},
        {"No Such Symbology", QStringLiteral("123"), "Unknown barcode type"},
    };
    for (const Case& c : cases) {
        gen().barcodeTypePopup = QString::fromLatin1(c.title);
        gen().liner_or_2D_font = 0;
        const PointPicture picture = gen().Get_Image_From_Val(c.value, QStringLiteral("H"), QStringLiteral("F"));
        const std::string what = std::string(c.title) + " \"" + c.value.toStdString() + "\"";
        if (c.reason) {
            EXPECT_TRUE(picture.isNull()) << what;
            EXPECT_TRUE(gen().last_failure.contains(QString::fromUtf8(c.reason))) << what << ": "
                                                                                  << gen().last_failure.toStdString();
        } else {
            EXPECT_FALSE(picture.isNull()) << what << ": " << gen().last_failure.toStdString();
            EXPECT_TRUE(gen().last_failure.isEmpty()) << what;
        }
    }
    // Non-ASCII is refused by every linear symbology.
    const char* titles[] = {"Code 39", "Extended Code 39", "Interleaved 2 of 5", "UPCA", "PostNet",
                            "Modified Plessey", "Modified Plessey (Hex)", "Industrial 2 of 5", "EAN-13",
                            "Code 128", "Code 128 SET A", "Code 128 SET B", "Code 128 SET C", "Codabar", "UPCE",
                            "EAN-8", "Royal Mail Barcode (RM4SCC / CBC)", "Planet", "Japan Post Barcode"};
    for (const char* t : titles) {
        auto b = Barcode_Gen::Create_Linear_Barcode(QString::fromLatin1(t));
        ASSERT_TRUE(b) << t;
        ASSERT_TRUE(b->initWithContent_printsCaption(QStringLiteral("1234567\u00df"), true));
        EXPECT_FALSE(b->isContentValid()) << t;
    }
}

TEST_F(Faults, CorrectedPatterns)
{
    // Extended Code 39 writes "/" as /O and "*" as /J.
    BCXExtendedCode39Barcode ext;
    ext.initWithContent_printsCaption(QStringLiteral("/*"), true);
    EXPECT_EQ(ext.barcode(), pat('/') + pat('O') + pat('/') + pat('J'));

    // Codabar B, C and "+" as the standard has them.
    BCXCodabarBarcode codabar;
    EXPECT_EQ(codabar._encodeChar('B'), "1001001011");
    EXPECT_EQ(codabar._encodeChar('C'), "1010010011");
    EXPECT_EQ(codabar._encodeChar('+'), "1011011011");

    // Industrial 2 of 5: start bars wide, wide, narrow; stop wide, narrow,
    // wide; each bar followed by the 2-module space of the data bars.
    BCXIndustrialTwoOfFiveBarcode ind;
    ind.initWithContent_printsCaption(QStringLiteral("1"), true);
    EXPECT_EQ(bt::runs(std::string(ind.initiator())), (std::vector<int>{3, 2, 3, 2, 1}));
    EXPECT_EQ(bt::runs(std::string(ind.terminator())), (std::vector<int>{3, 2, 1, 2, 3}));

    // MSI: most significant bit first, start one 1-bit, stop narrow bar,
    // wide space, narrow bar.
    BCXModifiedPlesseyBarcode msi;
    msi.initWithContent_printsCaption(QStringLiteral("1"), true); // check digit 8
    EXPECT_EQ(msi.checkDigit(), '8');
    EXPECT_EQ(msi.completeBarcode(), "1110" "1000100010001110" "1110100010001000" "10001");

    // Code 128, automatic: exact content with Annex E set changes.
    BCXCode128Barcode autoSet(3);
    autoSet.initWithContent_printsCaption(QStringLiteral("12345"), true);
    EXPECT_EQ(autoSet.symbolValues(), (std::vector<unsigned char>{12, 34, 100, 21}));
    EXPECT_EQ(autoSet.checkDigit(), (105 + 12 * 1 + 34 * 2 + 100 * 3 + 21 * 4) % 103);
    BCXCode128Barcode mixed(3);
    mixed.initWithContent_printsCaption(QStringLiteral("AB123456cd"), true);
    EXPECT_EQ(mixed.symbolValues(), (std::vector<unsigned char>{33, 34, 99, 12, 34, 56, 100, 67, 68}));

    // Fixed sets write a character of the other set as Shift plus its value.
    BCXCode128Barcode setA(0);
    setA.initWithContent_printsCaption(QStringLiteral("Ab"), true);
    EXPECT_EQ(setA.symbolValues(), (std::vector<unsigned char>{33, 98, 66}));
    EXPECT_EQ(setA.checkDigit(), (103 + 33 * 1 + 98 * 2 + 66 * 3) % 103);
    BCXCode128Barcode setB(1);
    setB.initWithContent_printsCaption(QStringLiteral("a\tb"), true);
    EXPECT_EQ(setB.symbolValues(), (std::vector<unsigned char>{65, 98, 73, 66}));
    // Set A holds codes 30 and 31, set B holds 127.
    EXPECT_EQ(BCXCode128Barcode::_valueForChar(char(30), 0), 94);
    EXPECT_EQ(BCXCode128Barcode::_valueForChar(char(31), 0), 95);
    EXPECT_EQ(BCXCode128Barcode::_valueForChar(char(127), 1), 95);
    BCXCode128Barcode del(1);
    del.initWithContent_printsCaption(QString(QChar(char16_t(127))), true);
    EXPECT_TRUE(del.isContentValid());
    EXPECT_EQ(del.symbolValues(), (std::vector<unsigned char>{95}));
}

TEST_F(Faults, SettingsFromAStoredDesignAreSanitised)
{
    EXPECT_EQ(Read_Leading_Number(QStringLiteral("  2.5cm")), 2.5);
    EXPECT_EQ(Read_Leading_Number(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(Read_Leading_Number(QStringLiteral("+.5")), 0.5);
    EXPECT_EQ(Read_Leading_Number(QStringLiteral("-3")), -3.0);
    EXPECT_EQ(Read_Leading_Number(QStringLiteral("1,5")), 1.0); // never the locale's comma

    gen().barcodeTypePopup = QStringLiteral("Code 39");
    for (const char* bad : {"-1", "nan", "inf", "junk"}) {
        gen().val_mar_Text.text = gen().hdr_mar_Text.text = gen().ftr_mar_Text.text = QString::fromLatin1(bad);
        gen().TB_mar_Text.text = gen().LR_mar_Text.text = QString::fromLatin1(bad);
        auto b = bt::make(QStringLiteral("Code 39"), QStringLiteral("ABC"));
        ASSERT_TRUE(b) << bad;
        EXPECT_EQ(gen().value_margin, 0.0f) << bad;
        EXPECT_EQ(gen().TB_margin, 0.0f) << bad;
        EXPECT_EQ(gen().LR_margin, 0.0f) << bad;
        EXPECT_TRUE(std::isfinite(b->height()) && std::isfinite(b->width())) << bad;
    }
    gen().Restore_Defaults();
    for (const char* bad : {"0", "-5", "nan", "x"}) {
        gen().widthText.text = QString::fromLatin1(bad);
        EXPECT_FALSE(bt::make(QStringLiteral("Code 39"), QStringLiteral("ABC"))) << bad;
        EXPECT_EQ(gen().last_failure, QStringLiteral("Bar width must be greater than 0.")) << bad;
    }
    gen().widthText.text = QStringLiteral("20");
    gen().HeightText.text = QStringLiteral("0");
    EXPECT_FALSE(bt::make(QStringLiteral("Code 39"), QStringLiteral("ABC")));
    EXPECT_EQ(gen().last_failure, QStringLiteral("Bar height must be greater than 0."));
    gen().HeightText.text = QStringLiteral("0.6");
    gen().widthText.text = QStringLiteral("250");
    auto wide = bt::make(QStringLiteral("Code 39"), QStringLiteral("ABC"));
    ASSERT_TRUE(wide);
    EXPECT_FLOAT_EQ(wide->barWidth(), 0.1f * 72);
    gen().widthText.text = QStringLiteral("inf");
    auto inf = bt::make(QStringLiteral("Code 39"), QStringLiteral("ABC"));
    ASSERT_TRUE(inf);
    EXPECT_FLOAT_EQ(inf->barWidth(), 0.1f * 72);
}

TEST_F(Faults, PictureOperationsRefuseInvalidModelsAndEmptySizes)
{
    BCXEAN13Barcode bad;
    bad.initWithContent_printsCaption(QStringLiteral("12345"), true);
    QString reason;
    EXPECT_TRUE(BCXBarcodeImage::imageFromBarcode(&bad, &reason).isNull());
    EXPECT_TRUE(reason.contains(QStringLiteral("EAN-13 needs")));
    reason.clear();
    EXPECT_TRUE(BCXBarcodeImage::pdfFromBarcode(&bad, &reason).isEmpty());
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(BCXBarcodeImage::rasterFromBarcode(nullptr, 300, &reason).isNull());
    EXPECT_TRUE(BCXBarcodeImage::imageFromBarcodeImage(PointPicture(), &reason).isNull());
    EXPECT_EQ(reason, QStringLiteral("Invalid image"));

    // A valid model with no size makes no picture and does not crash.
    BCXCode39Barcode zero;
    zero.initWithContent_printsCaption(QStringLiteral("A"), false);
    zero.setWidth(0);
    zero.setHeight(0);
    reason.clear();
    EXPECT_TRUE(BCXBarcodeImage::imageFromBarcode(&zero, &reason).isNull());
    EXPECT_FALSE(reason.isEmpty());
    zero.setWidth(1e9f);
    zero.setHeight(1e9f);
    EXPECT_TRUE(BCXBarcodeImage::rasterFromBarcode(&zero, 2400, &reason).isNull());
}
