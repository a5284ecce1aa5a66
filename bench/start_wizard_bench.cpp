// Start-wizard benchmark: fills a temporary resource folder with 200
// generated backgrounds (1600 x 1200, half PNG, half JPG), starts the probe
// build of the program ten times offscreen and reports, from spawn, the time
// to the wizard's window, to the first 12 thumbnails and to all of them.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir resources;
    if (!resources.isValid())
        return 1;
    const QString background = QDir(resources.path()).filePath(QStringLiteral("Background"));
    std::printf("generating 200 backgrounds of 1600 x 1200 ...\n");
    std::fflush(stdout);
    if (QProcess::execute(bin + QStringLiteral("/cw_make_resources"),
                          {QStringLiteral("--backgrounds"), background, QStringLiteral("200"), QStringLiteral("1600"),
                           QStringLiteral("1200")})
        != 0) {
        std::fprintf(stderr, "generator failed\n");
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
        const qint64 spawned = QDateTime::currentMSecsSinceEpoch();
        probe.start(bin + QStringLiteral("/start_wizard_probe"), {});
        if (!probe.waitForFinished(180000) || probe.exitCode() != 0) {
            std::fprintf(stderr, "probe run %d failed: %s\n", run, probe.readAllStandardError().constData());
            return 1;
        }
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2 && parts[0] != "count")
                times[parts[0].toStdString()].push_back(double(parts[1].toLongLong() - spawned) / 1000.0);
            else if (parts.size() == 2 && run == 0)
                std::printf("thumbnails listed: %s\n", parts[1].constData());
        }
    }
    std::printf("%-10s %8s %8s   (seconds from spawn, %d runs, offscreen)\n", "to", "median", "worst", runs);
    for (const char* key : {"window", "first12", "all"}) {
        std::vector<double> v = times[key];
        if (v.empty())
            continue;
        std::sort(v.begin(), v.end());
        const double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
        std::printf("%-10s %8.3f %8.3f\n", key, median, v.back());
    }
    std::vector<double> first = times["first12"];
    std::sort(first.begin(), first.end());
    if (!first.empty())
        std::printf("target: median to 12 thumbnails under 0.700 s: %s\n",
                    first[first.size() / 2] < 0.7 ? "met" : "missed");
    return 0;
}
