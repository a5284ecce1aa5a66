#pragma once
// Probing rendered pictures: pixels at points, runs along a line, the box of
// pixels that differ from the background.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

namespace probe {

// A white canvas of the size in points at the dpi, painted in points.
QImage paintAt(QSizeF points, double dpi, const std::function<void(QPainter&)>& paint,
               QColor background = Qt::white);

// True when every channel is within tol of the colour.
bool near(QRgb got, QColor want, int tol = 3);

// Lengths of alternating runs (first run = pixels matching `on`) along row y,
// from x0 to x1; leading non-matching pixels are skipped.
std::vector<int> runsAlongRow(const QImage& img, int y, int x0, int x1, const std::function<bool(QRgb)>& on);

// Bounding box of pixels that are not within tol of the background colour.
QRect inkBox(const QImage& img, QColor background = Qt::white, int tol = 8);

// A picture file: quadrants red (top left), green (top right), blue (bottom
// left), yellow (bottom right), at the dpi, written as PNG.
QImage quadrants(int w, int h, double dpi = 72);
bool writePng(const QImage& img, const QString& path);

QString tempDir();

// Runs a program; its standard output (and the exit code through `code`).
QByteArray run(const QString& program, const QStringList& args, int* code = nullptr,
               const QByteArray& input = QByteArray());
// Writes data to a file in the temporary folder and returns its path.
QString writeTemp(const QString& name, const QByteArray& data);

} // namespace probe
