#pragma once
// Shared helpers of the barcode tests: the zint second encoder, the zxing
// decoder, module-run analysis and rendering through the designer.
#include <QImage>
#include <QString>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "barcode/BCXBarcode.h"

namespace bt {
// zint's symbol as one text per row ("1" dark, "0" light); empty on error.
std::vector<std::string> zintRows(int symbology, const std::string& data, int option2 = 0);
// Widths of the alternating runs of a module string, starting with a bar;
// leading and trailing spaces are dropped.
std::vector<int> runs(const std::string& modules);
// "N"/"W" per run: bars wider than the narrowest bar, spaces wider than
// the narrowest space are wide.
std::string narrowWide(const std::string& modules);
// Per-bar four-state letters of zint's rows (A ascender, D descender,
// F full, T tracker), bars found in the tracker row (row 1 of 3) or, for
// two-row height-modulated symbols, "F" tall and "H" half.
std::string zintBarStates(const std::vector<std::string>& rows);
// The same letters from our model.
std::string ourBarStates(const BCXBarcode& b);

// A designer reset to defaults with a symbology chosen; unit centimetres.
void resetDesigner(const QString& title);
// Settings that make a clean decodable raster: 20 mils at 300 dpi is 6 px a
// module, a wide quiet zone.
void decodableSettings();
// Makes a barcode object through the designer's dispatch.
std::shared_ptr<BCXBarcode> make(const QString& title, const QString& value);
// The barcode as a raster at dpi; null image when it cannot be made.
QImage raster(const QString& title, const QString& value, double dpi = 300);
// Decodes with zxing-cpp; the format name filter ("" any); "" when nothing.
// Code 39 is read in its full-ASCII form unless code39Extended is false.
std::string zxingDecode(const QImage& image, const std::string& format = std::string(), bool code39Extended = true);
// Decodes with zbarimg; "" when nothing ("TYPE:text" lines joined).
std::string zbarDecode(const QImage& image);

// Seeded random values.
std::string randomDigits(std::mt19937& rng, int n);
std::string randomFrom(std::mt19937& rng, const std::string& alphabet, int n);
}
