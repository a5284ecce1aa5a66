// The calibration of the too-fine rule, run by hand (not a test):
//   calibrate_barcode_reading [values a symbology] [seed] [dpi step]
// Draws random values of every symbology zxing-cpp or zbar reads at
// resolutions from 40 to 420 dpi, each `dpi step` (1.06) times the last: the
// design's stored picture resampled at a random offset, and a run row of
// another value on whole pixels or drawn smaller. Prints, for each
// symbology and way of drawing, the largest module (device pixels) that
// neither decoder read, the largest one decoder missed, and how often the
// rule named a picture both read or passed one neither read.
#define ZX_USE_UTF8 1
#include "barcode/BCXUPCEANBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>

namespace {

std::string Expected(const QString& title, const QString& value)
{
    const std::string v = value.toStdString();
    if (title == QLatin1String("EAN-13") || title == QLatin1String("EAN-8") || title == QLatin1String("UPCA"))
        return v + char('0' + upcean::mod10Check(v));
    if (title == QLatin1String("UPCE")) {
        const std::string full = v + char('0' + upcean::mod10Check(v));
        return full.substr(0, 1) + BCXUPCEBarcode::UPCAToUPCE(QString::fromStdString(full)).toStdString()
            + full.substr(11);
    }
    return v;
}

bool Zxing_Reads(const QImage& image, const char* format, const std::string& expected)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormatFromString(format));
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setTryCode39ExtendedMode(true);
    hints.setReturnCodabarStartEnd(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() && r.text() == expected;
}

struct Sample {
    QString title;
    bool resampled;
    double px;
    bool named;
    bool zxing;
    int zbar; // -1: zbar does not read the symbology
    std::string expected;
};

// zbar reads the pictures saved in `folder` ("<sample index>.pgm").
void Zbar_Read(const QString& folder, std::vector<Sample>& samples)
{
    QStringList files;
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*.pgm")}))
        files << QDir(folder).filePath(f);
    if (files.isEmpty())
        return;
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("--xml"), QStringLiteral("-q")} + files);
    zbar.waitForFinished(600000);
    const QString xml = QString::fromUtf8(zbar.readAllStandardOutput());
    static const QRegularExpression source(QStringLiteral("<source href='([^']*)'>(.*?)</source>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression data(QStringLiteral("<data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = source.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        Sample& s = samples[size_t(QFileInfo(m.captured(1)).baseName().toInt())];
        const auto d = data.match(m.captured(2));
        s.zbar = d.hasMatch() && d.captured(1).toStdString() == s.expected ? 1 : 0;
    }
    for (const QString& f : files)
        QFile::remove(f);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Barcode_Gen::defaultInstance();
    const int values = argc > 1 ? std::max(1, atoi(argv[1])) : 4;
    std::mt19937 random(argc > 2 ? unsigned(atoi(argv[2])) : 1u);
    const double step = argc > 3 ? std::max(1.001, atof(argv[3])) : 1.06;
    const auto pick = [&random](const QString& alphabet, int least, int most) {
        QString v;
        const int length = least + int(random() % unsigned(most - least + 1));
        for (int i = 0; i < length; ++i)
            v += alphabet[int(random() % unsigned(alphabet.size()))];
        return v;
    };
    const QString digits = QStringLiteral("0123456789");
    const QString upper = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-. ");
    QString printable;
    for (char c = ' '; c <= '~'; ++c)
        printable += QLatin1Char(c);
    struct Kind {
        const char *title, *zxing, *zbar;
        std::function<QString()> value;
    };
    // zbar reads UPC-A as EAN-13 and no UPC-E: zxing-cpp alone reads those.
    const std::vector<Kind> kinds = {
        {"Code 39", "Code39", "CODE-39", [&] { return pick(upper, 1, 30).trimmed() + QLatin1Char('7'); }},
        {"Extended Code 39", "Code39", "", [&] { return pick(printable, 1, 20).trimmed() + QLatin1Char('7'); }},
        {"Interleaved 2 of 5", "ITF", "I2/5",
         [&] { return pick(digits, 6, 6) + pick(digits, 2, 2).repeated(int(random() % 8)); }},
        {"UPCA", "UPC-A", "", [&] { return pick(digits, 11, 11); }},
        {"UPCE", "UPC-E", "",
         [&] { return QLatin1Char('0') + pick(digits, 2, 2) + pick(QStringLiteral("012"), 1, 1) + "0000" + pick(digits, 3, 3); }},
        {"EAN-13", "EAN-13", "EAN-13", [&] { return pick(digits, 12, 12); }},
        {"EAN-8", "EAN-8", "EAN-8", [&] { return pick(digits, 7, 7); }},
        {"Code 128", "Code128", "CODE-128", [&] { return pick(printable, 1, 40).trimmed() + QLatin1Char('7'); }},
        // Readers take no Codabar of one character.
        {"Codabar", "Codabar", "CODABAR",
         [&] { return QLatin1Char('A') + pick(QStringLiteral("0123456789-$:/.+"), 2, 25) + QLatin1Char('B'); }},
        {"QR Code", "QRCode", "QR-Code", [&] { return pick(printable, 1, 200).trimmed() + QLatin1Char('7'); }},
        {"PDF417", "PDF417", "", [&] { return pick(printable, 1, 150).trimmed() + QLatin1Char('7'); }},
        {"DataMatrix", "DataMatrix", "", [&] { return pick(printable, 1, 60).trimmed() + QLatin1Char('7'); }},
    };
    std::vector<Sample> samples;
    QTemporaryDir saved;
    std::uniform_real_distribution<double> unit(0, 1);
    const auto add = [&](const QImage& image, const Kind& k, bool resampled, double px, bool named,
                         const std::string& expected) {
        samples.push_back(Sample{QString::fromLatin1(k.title), resampled, px, named,
                                 Zxing_Reads(image, k.zxing, expected), *k.zbar ? 0 : -1, expected});
        if (*k.zbar)
            image.convertToFormat(QImage::Format_Grayscale8)
                .save(QDir(saved.path()).filePath(QStringLiteral("%1.pgm").arg(samples.size() - 1)));
    };
    const auto drawn = [](QSizeF size, double dpi, double offset, const std::function<void(QPainter&)>& draw) {
        const double k = dpi / 72.0;
        QImage image(int(std::ceil((size.width() + 2) * k)) + 16, int(std::ceil((size.height() + 2) * k)) + 16,
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(8, 8);
        painter.scale(k, k);
        painter.translate(offset, offset);
        draw(painter);
        return image;
    };
    for (const Kind& k : kinds) {
        const QString title = QString::fromLatin1(k.title);
        for (int i = 0; i < values; ++i) {
            const QString design = k.value();
            QBXBarcode g;
            g.barcode_font_index = int(Barcode_Symbology_Titles().indexOf(title));
            g.linear_or_2d = Barcode_Gen::Is_2D_Title(title) ? 1 : 0;
            (g.linear_or_2d ? g.two_d_font_val : g.linear_font_val) = design;
            const QImage stored = Barcode_Picture_For_Graphic(g, design, g.header_val, g.footer_val);
            if (stored.isNull())
                continue;
            g.Set_Barcode_image(stored);
            const QSizeF frame = Barcode_Frame_Size(g);
            // The stored picture's module (points), as the rule takes it.
            double module = 0;
            {
                Barcode_Gen gen;
                gen.run_record = true;
                Load_Barcode_Settings(gen, g);
                gen.run_device_dpi = 72;
                gen.run_frame = QSizeF(std::floor(frame.width() + 0.01), std::floor(frame.height() + 0.01));
                Thread_Designer_Scope scope(gen);
                gen.Get_Image_From_Val(design, gen.HeaderText.text, gen.FooterText.text, true);
                module = std::min(gen.drawn_modules.design, gen.drawn_modules.fit);
            }
            for (double dpi = 40; dpi <= 420; dpi *= step) {
                // The stored picture as every output draws it.
                Barcode_Run_Target target{true, dpi, frame, {}, false, {}, {}};
                const bool named = !Design_Barcode_Too_Fine(g, QStringLiteral("it"), target).isEmpty();
                add(drawn(frame, dpi, unit(random),
                          [&](QPainter& p) {
                              p.setRenderHint(QPainter::SmoothPixmapTransform, dpi / 72.0 * frame.width() < stored.width());
                              p.drawImage(QRectF(QPointF(0, 0), frame), stored);
                          }),
                    k, true, module * dpi / 72.0, named, Expected(title, design));
                // A run row of another value, as a run draws it.
                const QString value = k.value();
                const Barcode_Row_Picture row = Barcode_Row_Picture_For_Graphic(g, value, g.header_val, g.footer_val, target);
                if (row.picture.isNull() || !(row.module_pixels > 0))
                    continue;
                add(drawn(row.picture.size(), dpi, 0,
                          [&](QPainter& p) { row.picture.draw(p, QRectF(QPointF(0, 0), row.picture.size())); }),
                    k, !row.whole_pixels, row.module_pixels, !row.too_fine.isEmpty(), Expected(title, value));
            }
            Zbar_Read(saved.path(), samples);
        }
    }
    struct Tally {
        int n = 0, overNamed = 0, missedUnnamed = 0;
        double bothMissed = 0, oneMissed = 0;
    };
    std::map<std::pair<QString, bool>, Tally> tallies;
    for (const Sample& s : samples) {
        Tally& t = tallies[{s.title, s.resampled}];
        const bool both = !s.zxing && s.zbar != 1, one = !s.zxing || s.zbar == 0;
        ++t.n;
        if (both)
            t.bothMissed = std::max(t.bothMissed, s.px);
        if (one)
            t.oneMissed = std::max(t.oneMissed, s.px);
        t.overNamed += s.named && !one;
        t.missedUnnamed += !s.named && both;
    }
    std::printf("%-20s %-10s %6s %12s %12s %11s %14s\n", "symbology", "drawn", "rows", "both missed", "one missed",
                "named, read", "passed, missed");
    for (const auto& [key, t] : tallies)
        std::printf("%-20s %-10s %6d %9.2f px %9.2f px %11d %14d\n", key.first.toLatin1().constData(),
                    key.second ? "resampled" : "whole px", t.n, t.bothMissed, t.oneMissed, t.overNamed,
                    t.missedUnnamed);
    return 0;
}
