// Template-browser benchmark: writes 200 built-in and 200 user templates of a
// two-sided 425.52 x 357.12-point card (previews 426 x 716 pixels, the front
// above the back), starts the probe ten times offscreen and reports the
// median and worst time from the opening call to the window, to the first
// 12 previews, to all of them, and to 12 previews after switching to the
// user list.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

bool writeTemplates(const QString& folder, int count)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < count; ++i) {
        QImage preview(426, 716, QImage::Format_RGB32);
        QPainter p(&preview);
        for (int side = 0; side < 2; ++side) {
            const QRect half(0, side * 358, 426, 358);
            QLinearGradient g(half.topLeft(), half.bottomRight());
            g.setColorAt(0, QColor::fromHsv((i * 37 + side * 90) % 360, 120, 240));
            g.setColorAt(1, QColor::fromHsv((i * 53 + 180) % 360, 160, 200));
            p.fillRect(half, g);
            p.setPen(Qt::white);
            p.drawText(half, Qt::AlignCenter, QStringLiteral("Template %1").arg(i + 1));
        }
        p.end();
        const QString base = QDir(folder).filePath(QStringLiteral("Template %1").arg(i + 1, 3, 10, QChar(u'0')));
        if (!preview.save(base + QStringLiteral(".png"), "PNG"))
            return false;
        QFile design(base + QStringLiteral(".dcard"));
        if (!design.open(QIODevice::WriteOnly))
            return false;
        design.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>VELTCARDPROJECTHEADER</string></array></plist>\n");
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir resources;
    if (!resources.isValid())
        return 1;
    const QString templates = QDir(resources.path()).filePath(QStringLiteral("Templates"));
    std::printf("writing 200 built-in and 200 user templates ...\n");
    std::fflush(stdout);
    if (!writeTemplates(templates, 200) || !writeTemplates(templates + QStringLiteral("/User"), 200)) {
        std::fprintf(stderr, "writing the templates failed\n");
        return 1;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run < runs; ++run) {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), resources.path());
        probe.setProcessEnvironment(env);
        probe.start(QCoreApplication::applicationDirPath() + QStringLiteral("/template_browser_probe"), {});
        if (!probe.waitForFinished(300000) || probe.exitCode() != 0) {
            std::fprintf(stderr, "probe run %d failed: %s\n", run, probe.readAllStandardError().constData());
            return 1;
        }
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2 && parts[0] != "count")
                times[parts[0].toStdString()].push_back(parts[1].toDouble());
            else if (parts.size() == 2 && run == 0)
                std::printf("previews listed: %s\n", parts[1].constData());
        }
    }
    std::printf("%-10s %8s %8s   (seconds from Open_Template_Window, %d runs, offscreen)\n", "to", "median", "worst",
                runs);
    double firstMedian = -1;
    for (const char* key : {"window", "first12", "all", "user12"}) {
        std::vector<double> v = times[key];
        if (v.empty())
            continue;
        std::sort(v.begin(), v.end());
        const double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
        if (std::string(key) == "first12")
            firstMedian = median;
        std::printf("%-10s %8.3f %8.3f\n", key, median, v.back());
    }
    std::printf("target: median to the first 12 previews under 0.500 s: %s\n",
                firstMedian >= 0 && firstMedian < 0.5 ? "met" : "missed");
    return 0;
}
