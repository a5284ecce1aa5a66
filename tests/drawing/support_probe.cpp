#include "support_probe.h"

#include "support/bounded_wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

namespace probe {

QImage paintAt(QSizeF points, double dpi, const std::function<void(QPainter&)>& paint, QColor background)
{
    const double k = dpi / 72.0;
    QImage img(int(std::ceil(points.width() * k - 1e-9)), int(std::ceil(points.height() * k - 1e-9)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    img.fill(background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.scale(k, k);
    paint(p);
    p.end();
    return img;
}

bool near(QRgb got, QColor want, int tol)
{
    return std::abs(qRed(got) - want.red()) <= tol && std::abs(qGreen(got) - want.green()) <= tol
        && std::abs(qBlue(got) - want.blue()) <= tol;
}

std::vector<int> runsAlongRow(const QImage& img, int y, int x0, int x1, const std::function<bool(QRgb)>& on)
{
    std::vector<int> runs;
    int x = x0;
    while (x < x1 && !on(img.pixel(x, y)))
        ++x;
    bool state = true;
    int len = 0;
    for (; x < x1; ++x) {
        if (on(img.pixel(x, y)) == state) {
            ++len;
        } else {
            runs.push_back(len);
            state = !state;
            len = 1;
        }
    }
    if (len)
        runs.push_back(len);
    return runs;
}

QRect inkBox(const QImage& img, QColor background, int tol)
{
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!near(img.pixel(x, y), background, tol) && qAlpha(img.pixel(x, y)) > 0) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

QImage quadrants(int w, int h, double dpi)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2, bottom = y >= h / 2;
            img.setPixel(x, y, !bottom ? (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0)) : (right ? qRgb(255, 255, 0) : qRgb(0, 0, 255)));
        }
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    return img;
}

bool writePng(const QImage& img, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return img.save(path, "PNG");
}

QString tempDir()
{
    static QTemporaryDir dir;
    return dir.path();
}

QByteArray run(const QString& program, const QStringList& args, int* code, const QByteArray& input)
{
    QProcess p;
    p.start(program, args);
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(kHangMilliseconds);
    if (code)
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

QString writeTemp(const QString& name, const QByteArray& data)
{
    const QString path = tempDir() + "/" + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
    return path;
}

} // namespace probe
