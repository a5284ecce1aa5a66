#pragma once
// Barcode pictures read back with zxing-cpp and zbar, and random values of
// the symbologies they read: the frame tests and the calibration program.
#include <QImage>
#include <QString>
#include <QStringList>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace reading {

// A symbology the decoders read: zxing-cpp's format name and zbarimg's type
// name ("" when zbar reads none; it reads UPC-A as EAN-13).
struct Readable {
    const char* title;
    const char* zxing;
    const char* zbar;
};
const std::vector<Readable>& Readable_Symbologies();

// A random value of the symbology, from a few characters to more than a
// design's frame holds (a Codabar has two characters at least: readers take
// no shorter one).
QString Random_Value(const QString& title, std::mt19937& random);

// The text a decoder gives for value: with its check digit, a UPC-E as its
// eight digits.
std::string Expected(const QString& title, const QString& value);

// zxing-cpp's text of the picture; "" when it reads none.
std::string Zxing_Read(const QImage& image, const char* format);

// zbarimg over the files at once: the texts it read, by file name.
std::map<QString, std::string> Zbar_Read(const QStringList& files);

} // namespace reading
