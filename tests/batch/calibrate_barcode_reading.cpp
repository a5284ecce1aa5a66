// The calibration of the too-fine rule, run by hand (not a test):
//   calibrate_barcode_reading [values a symbology] [seed] [dpi step]
// Draws random values of every symbology zxing-cpp or zbar reads at
// resolutions from 40 to 420 dpi, each `dpi step` (1.06) times the last: the
// design's stored picture resampled at a random offset, and a run row of
// another value on whole pixels or drawn smaller. Prints, for each
// symbology and way of drawing, the largest module (device pixels) that
// neither decoder read, the largest one decoder missed, and how often the
// rule named a picture both read or passed one neither read.
#include "barcode/Barcode_Gen.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"
#include "support_reading.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>

namespace {

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
    // A picture zbar reads nothing in is left out of what it gives.
    for (const QString& f : files)
        samples[size_t(QFileInfo(f).baseName().toInt())].zbar = 0;
    for (const auto& [name, text] : reading::Zbar_Read(files)) {
        Sample& s = samples[size_t(QFileInfo(name).baseName().toInt())];
        s.zbar = text == s.expected ? 1 : 0;
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
    std::vector<Sample> samples;
    QTemporaryDir saved;
    std::uniform_real_distribution<double> unit(0, 1);
    const auto add = [&](const QImage& image, const reading::Readable& k, bool resampled, double px, bool named,
                         const std::string& expected) {
        samples.push_back(Sample{QString::fromLatin1(k.title), resampled, px, named,
                                 reading::Zxing_Read(image, k.zxing) == expected, *k.zbar ? 0 : -1, expected});
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
    for (const reading::Readable& k : reading::Readable_Symbologies()) {
        const QString title = QString::fromLatin1(k.title);
        for (int i = 0; i < values; ++i) {
            const QString design = reading::Random_Value(title, random);
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
                    k, true, module * dpi / 72.0, named, reading::Expected(title, design));
                // A run row of another value, as a run draws it.
                const QString value = reading::Random_Value(title, random);
                const Barcode_Row_Picture row = Barcode_Row_Picture_For_Graphic(g, value, g.header_val, g.footer_val, target);
                if (row.picture.isNull() || !(row.module_pixels > 0))
                    continue;
                add(drawn(row.picture.size(), dpi, 0,
                          [&](QPainter& p) { row.picture.draw(p, QRectF(QPointF(0, 0), row.picture.size())); }),
                    k, !row.whole_pixels, row.module_pixels, !row.too_fine.isEmpty(), reading::Expected(title, value));
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
