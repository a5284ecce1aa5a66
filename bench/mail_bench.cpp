// Mail sending benchmark: a card with a text bound to a 1,000-row series and
// a picture, mailed in data mode to one recipient with no pause, through the
// real mail script, to the plain local SMTP test server in its own process.
// Reports the run's seconds and messages per second and, per message, the
// render time and the send time (median and p95), checks that every mail
// arrived, times the peer (one Python process sending as many mails with a
// card attached over one connection) against the same server, then times
// the same run over STARTTLS with a login.
//
// Usage: mail_bench [rows]
#include "batch/DataBinding.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "output/mail_run.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <signal.h>

namespace {

const QString kSource = QStringLiteral(CARDWRIGHT_SOURCE_DIR);

struct Server {
    QProcess process;
    int port = 0;
    Server(const QString& out, const QStringList& options)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("/usr/bin/python3"),
                      QStringList{kSource + QStringLiteral("/tests/output/smtp_server.py"), out} + options);
        process.waitForStarted();
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        port = process.readLine().trimmed().toInt();
    }
    ~Server()
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
    }
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

struct Timing {
    std::vector<double> render_ms, script_ms;
    double seconds = 0;
    int sent = 0;
};

Timing Run(Binding_Run_Snapshot& run, int rows, const QString& port, const QString& ssl)
{
    mail::Mail_Request request;
    request.mode = mail::Mode::Data;
    request.side = QStringLiteral("F");
    request.recipients = {QStringLiteral("to@example.com")};
    request.sender = QStringLiteral("from@example.com");
    request.password = QStringLiteral("pw");
    request.server = QStringLiteral("127.0.0.1");
    request.port = port;
    request.enable_ssl = ssl;
    request.subject = QStringLiteral("Your card");
    request.body = QStringLiteral("Attached.");
    request.rows = rows;
    Timing timing;
    QElapsedTimer clock;
    qint64 last_end = -1;
    request.render_row = [&](int row, const QString& side) {
        const qint64 start = clock.nsecsElapsed();
        if (last_end >= 0)
            timing.script_ms.push_back(double(start - last_end) / 1e6);
        const CardPicture picture = run.Render_Side(row, side, false);
        const QImage image = picture.isNull() ? QImage() : picture.toImage(72.0);
        last_end = clock.nsecsElapsed();
        timing.render_ms.push_back(double(last_end - start) / 1e6);
        return image;
    };
    mail::Mail_Progress progress;
    clock.start();
    const mail::Mail_Report report = mail::Run_Mail(request, progress);
    timing.seconds = double(clock.nsecsElapsed()) / 1e9;
    if (last_end >= 0)
        timing.script_ms.push_back(double(clock.nsecsElapsed() - last_end) / 1e6);
    timing.sent = report.sent;
    return timing;
}

void Print(const char* title, const Timing& t, int rows)
{
    std::printf("%s: %d of %d sent in %.1f s, %.1f messages/s\n", title, t.sent, rows, t.seconds,
                double(t.sent) / t.seconds);
    std::printf("  render  median %.1f ms  p95 %.1f ms\n", Percentile(t.render_ms, 0.5), Percentile(t.render_ms, 0.95));
    std::printf("  send    median %.1f ms  p95 %.1f ms (PNG write included)\n", Percentile(t.script_ms, 0.5),
                Percentile(t.script_ms, 0.95));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    const QString folder = dir.path();
    mail::scriptSetup().script = kSource + QStringLiteral("/resources/pyth_mail.py");

    QByteArray names;
    for (int i = 0; i < rows; ++i)
        names += "Guest number " + QByteArray::number(i + 1) + "\n";
    QFile series(folder + QStringLiteral("/S.txt"));
    series.open(QIODevice::WriteOnly);
    series.write(names);
    series.close();
    QImage photo(240, 160, QImage::Format_RGB32);
    photo.fill(QColor(90, 140, 200));
    photo.save(folder + QStringLiteral("/photo.png"));

    Binding_Design design;
    auto text = std::make_shared<QBXText>();
    text->Set_Data_source_type(1);
    text->Set_Batch_List_Name(QStringLiteral("S"));
    text->setBounds(QRectF(110, 40, 130, 30));
    auto picture = std::make_shared<QBXImage>();
    picture->setFilePath(folder + QStringLiteral("/photo.png"));
    picture->setBounds(QRectF(8, 8, 96, 64));
    design.front = {text, picture};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(folder), {}, folder);
    Binding_Run_Snapshot run(binding, design, {});
    run.render_context.frame = QRectF(0, 0, 252, 144);
    run.render_context.side = 0;
    run.render_context.resourcePath = folder;

    {
        QTemporaryDir out;
        Server server(out.path(), {});
        const Timing plain = Run(run, rows, QString::number(server.port), QStringLiteral("N"));
        const int arrived = int(QDir(out.path()).entryList({QStringLiteral("*.eml")}).size());
        Print("plain", plain, rows);
        std::printf("  arrived at the server: %d\n", arrived);

        const QString card = folder + QStringLiteral("/card.png");
        run.Render_Side(0, QStringLiteral("F"), false).toImage(72.0).save(card);
        QProcess peer;
        peer.start(QStringLiteral("/usr/bin/python3"), {kSource + QStringLiteral("/bench/mail_peer.py"),
                                                        QString::number(server.port), QString::number(rows), card});
        peer.waitForFinished(-1);
        const double peer_seconds = peer.readAllStandardOutput().trimmed().toDouble();
        std::printf("peer (one Python process, one connection): %d in %.1f s, %.1f messages/s; ratio %.2f\n", rows,
                    peer_seconds, double(rows) / peer_seconds, peer_seconds / plain.seconds);
    }
    {
        QTemporaryDir out;
        const QString cert = out.filePath(QStringLiteral("cert.pem"));
        const QString key = out.filePath(QStringLiteral("key.pem"));
        QProcess::execute(QStringLiteral("openssl"),
                          {"req", "-x509", "-nodes", "-newkey", "rsa:2048", "-days", "1", "-subj", "/CN=127.0.0.1",
                           "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
        qputenv("SSL_CERT_FILE", cert.toUtf8());
        Server server(out.filePath(QStringLiteral("mails")),
                      {"--starttls", "--cert", cert, "--key", key, "--auth", "from@example.com:pw"});
        Print("STARTTLS", Run(run, rows, QString::number(server.port), QStringLiteral("N")), rows);
    }
    return 0;
}
