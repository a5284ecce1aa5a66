#pragma once
// Decoding helpers for the 2-D symbol tests: an independent reader
// (zxing-cpp) reads pictures and module matrices back to bytes.
#include <QColor>
#include <QImage>
#include <functional>
#include <string>

namespace twod {

struct Decoded
{
    bool valid = false;
    std::string bytes;     // the decoded bytes, exactly
    std::string ecLevel;   // the reader's error-correction level text
    int orientation = 0;
    bool mirrored = false;
    std::string format;
};

enum class Kind { QR, PDF417, DataMatrix };

// Paints the picture over an opaque background, then reads it in grey.
Decoded decodeImage(const QImage& image, Kind kind, const QColor& background = Qt::white);

// Renders a module matrix (dark(x, y), y from the top) with a quiet zone of
// `quiet` modules at `px` pixels per module, then reads it.
Decoded decodeModules(int width, int height, const std::function<bool(int, int)>& dark, Kind kind,
                      int px = 3, int quiet = 4);

// Seeded text helpers.
std::string randomPrintable(unsigned seed, size_t length);

} // namespace twod
