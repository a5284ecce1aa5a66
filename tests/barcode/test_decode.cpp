// Rendered barcodes read back by independent decoders: zxing-cpp on the
// QImage of every decodable symbology, zbarimg as a second opinion, and one
// value per family through PDF (pdfinfo size, pdftoppm raster).
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/bounded_wait.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "support_barcode.h"

namespace {
struct Decodable {
    QString title;
    std::string format;                           // zxing format name
    std::function<std::string(std::mt19937&)> value; // a random valid value
    std::function<std::string(const std::string&)> expected;
};

std::string same(const std::string& v) { return v; }

std::string withEanCheck(const std::string& v) { return v + char('0' + upcean::mod10Check(v)); }

std::string printable(std::mt19937& rng, int n)
{
    std::string a;
    for (int c = 32; c < 127; ++c)
        a.push_back(char(c));
    return bt::randomFrom(rng, a, n);
}

std::vector<Decodable> decodables()
{
    auto len = [](std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    return {
        {QStringLiteral("EAN-13"), "EAN-13", [](std::mt19937& r) { return bt::randomDigits(r, 12); }, withEanCheck},
        {QStringLiteral("EAN-8"), "EAN-8", [](std::mt19937& r) { return bt::randomDigits(r, 7); }, withEanCheck},
        {QStringLiteral("UPCA"), "UPC-A", [](std::mt19937& r) { return bt::randomDigits(r, 11); }, withEanCheck},
        {QStringLiteral("UPCE"), "UPC-E",
         [](std::mt19937& r) {
             // A UPC-A with a UPC-E form: manufacturer ending in 000, product 00ddd.
             return "0" + bt::randomDigits(r, 2) + "000" + "00" + bt::randomDigits(r, 3);
         },
         [](const std::string& a) {
             const std::string full = withEanCheck(a);
             return full.substr(0, 1) + BCXUPCEBarcode::UPCAToUPCE(QString::fromStdString(full)).toStdString()
                 + full.substr(11);
         }},
        {QStringLiteral("Code 39"), "Code39",
         [len](std::mt19937& r) { return bt::randomFrom(r, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", len(r, 1, 16)); },
         same},
        {QStringLiteral("Extended Code 39"), "Code39", [len](std::mt19937& r) { return printable(r, len(r, 1, 10)); },
         same},
        {QStringLiteral("Code 128"), "Code128",
         [len](std::mt19937& r) {
             return r() % 2 ? printable(r, len(r, 1, 20)) : bt::randomFrom(r, "0123456789ab", len(r, 1, 20));
         },
         same},
        {QStringLiteral("Code 128 SET A"), "Code128",
         [len](std::mt19937& r) { return bt::randomFrom(r, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-+ab", len(r, 1, 16)); },
         same},
        {QStringLiteral("Code 128 SET B"), "Code128", [len](std::mt19937& r) { return printable(r, len(r, 1, 16)); },
         same},
        {QStringLiteral("Code 128 SET C"), "Code128",
         [len](std::mt19937& r) { return bt::randomDigits(r, 2 * len(r, 1, 10)); }, same},
        {QStringLiteral("Interleaved 2 of 5"), "ITF", [len](std::mt19937& r) { return bt::randomDigits(r, len(r, 6, 20)); },
         [](const std::string& v) { return v.size() % 2 ? "0" + v : v; }},
        {QStringLiteral("Codabar"), "Codabar",
         [len](std::mt19937& r) {
             return std::string(1, "ABCD"[r() % 4]) + bt::randomFrom(r, "0123456789-$:/.+", len(r, 2, 12))
                 + std::string(1, "ABCD"[r() % 4]);
         },
         same},
    };
}

class Decode : public ::testing::Test {
protected:
    void SetUp() override
    {
        bt::resetDesigner(QStringLiteral("Code 39"));
        bt::decodableSettings();
    }
};
}

TEST_F(Decode, ExamplesAndRandomValuesReadBackWithZxing)
{
    const std::vector<std::pair<QString, std::string>> examples = {
        {QStringLiteral("EAN-13"), "4006381333931"}, {QStringLiteral("UPCA"), "036000291452"},
        {QStringLiteral("UPCE"), "04252614"},         {QStringLiteral("EAN-8"), "96385074"},
        {QStringLiteral("Code 128 SET B"), "Code 128"}, {QStringLiteral("Code 128"), "12345"},
        {QStringLiteral("Code 39"), "CODE 39"},       {QStringLiteral("Extended Code 39"), "A/b*c"},
        {QStringLiteral("Extended Code 39"), "a\tb\nc"},
        {QStringLiteral("Codabar"), "A1234B"},        {QStringLiteral("Interleaved 2 of 5"), "1234567"},
    };
    for (const auto& [title, value] : examples) {
        const QImage img = bt::raster(title, QString::fromStdString(value));
        ASSERT_FALSE(img.isNull()) << title.toStdString();
        std::string want = value;
        if (title == QLatin1String("Interleaved 2 of 5"))
            want = "0" + value;
        EXPECT_EQ(bt::zxingDecode(img), want) << title.toStdString();
    }

    std::mt19937 rng(20261208);
    for (const Decodable& d : decodables()) {
        int failures = 0;
        for (int i = 0; i < 200; ++i) {
            const std::string v = d.value(rng);
            const QImage img = bt::raster(d.title, QString::fromLatin1(v.c_str()));
            ASSERT_FALSE(img.isNull()) << d.title.toStdString() << " " << v;
            const std::string got = bt::zxingDecode(img, d.format, d.title != QLatin1String("Code 39"));
            if (got != d.expected(v) && ++failures <= 3)
                ADD_FAILURE() << d.title.toStdString() << " value \"" << v << "\" read \"" << got << "\"";
        }
        EXPECT_EQ(failures, 0) << d.title.toStdString();
    }
}

TEST_F(Decode, ZbarReadsTheFamiliesToo)
{
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        GTEST_SKIP() << "zbarimg not installed";
    const std::vector<std::tuple<QString, std::string, std::string>> cases = {
        {QStringLiteral("EAN-13"), "4006381333931", "EAN-13:4006381333931"},
        {QStringLiteral("UPCA"), "036000291452", "036000291452"},
        // zbar reports UPC-E as its EAN-13 form.
        {QStringLiteral("UPCE"), "04252614", "0042100005264"},
        {QStringLiteral("EAN-8"), "96385074", "EAN-8:96385074"},
        {QStringLiteral("Code 39"), "CODE-39", "CODE-39:CODE-39"},
        {QStringLiteral("Code 128"), "Hello 12345678", "CODE-128:Hello 12345678"},
        {QStringLiteral("Interleaved 2 of 5"), "12345678", "I2/5:12345678"},
        {QStringLiteral("Codabar"), "A40156B", "A40156B"},
    };
    for (const auto& [title, value, want] : cases) {
        const std::string got = bt::zbarDecode(bt::raster(title, QString::fromStdString(value)));
        EXPECT_NE(got.find(want), std::string::npos) << title.toStdString() << " read " << got;
    }
}

TEST_F(Decode, PdfHasThePictureSizeAndItsRasterDecodes)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "poppler-utils not installed";
    const std::vector<std::tuple<QString, QString, std::string>> cases = {
        {QStringLiteral("EAN-13"), QStringLiteral("4006381333931"), "4006381333931"},
        {QStringLiteral("Code 39"), QStringLiteral("PDF39"), "PDF39"},
        {QStringLiteral("Code 128"), QStringLiteral("Pdf 128"), "Pdf 128"},
        {QStringLiteral("Interleaved 2 of 5"), QStringLiteral("123456"), "123456"},
        {QStringLiteral("Codabar"), QStringLiteral("C9876D"), "C9876D"},
    };
    QTemporaryDir dir;
    for (const auto& [title, value, want] : cases) {
        auto b = bt::make(title, value);
        ASSERT_TRUE(b) << title.toStdString();
        const QByteArray pdf = BCXBarcodeImage::pdfFromBarcode(b.get());
        ASSERT_FALSE(pdf.isEmpty());
        const QString path = dir.filePath(QStringLiteral("b.pdf"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pdf);
        f.close();

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        info.waitForFinished(kHangMilliseconds);
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
        ASSERT_TRUE(m.hasMatch()) << out.toStdString();
        BCXBarcodeOffscreenView view;
        view.initWithBarcode(b.get());
        EXPECT_NEAR(m.captured(1).toDouble(), view.frameSize().width(), 0.01);
        EXPECT_NEAR(m.captured(2).toDouble(), view.frameSize().height(), 0.01);

        QProcess ppm;
        ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                                QStringLiteral("-singlefile"), path, dir.filePath(QStringLiteral("p"))});
        ppm.waitForFinished(kHangMilliseconds);
        const QImage page(dir.filePath(QStringLiteral("p.png")));
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(bt::zxingDecode(page), want) << title.toStdString();
    }
}
