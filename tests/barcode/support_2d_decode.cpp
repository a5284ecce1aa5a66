#include "support_2d_decode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QPainter>
#include <random>

namespace twod {

namespace {
ZXing::BarcodeFormat formatOf(Kind kind)
{
    switch (kind) {
    case Kind::QR: return ZXing::BarcodeFormat::QRCode;
    case Kind::PDF417: return ZXing::BarcodeFormat::PDF417;
    default: return ZXing::BarcodeFormat::DataMatrix;
    }
}
} // namespace

Decoded decodeImage(const QImage& image, Kind kind, const QColor& background)
{
    Decoded out;
    if (image.isNull())
        return out;
    QImage canvas(image.size(), QImage::Format_RGB32);
    canvas.fill(background);
    {
        QPainter p(&canvas);
        p.drawImage(0, 0, image);
    }
    const QImage grey = canvas.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(formatOf(kind));
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setCharacterSet("ISO-8859-1");
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    if (!r.isValid())
        return out;
    out.valid = true;
    const auto& b = r.bytes();
    out.bytes.assign(reinterpret_cast<const char*>(b.data()), b.size());
    out.ecLevel = r.ecLevel();
    out.orientation = r.orientation();
    out.mirrored = r.isMirrored();
    out.format = ZXing::ToString(r.format());
    return out;
}

Decoded decodeModules(int width, int height, const std::function<bool(int, int)>& dark, Kind kind, int px,
                      int quiet)
{
    QImage img((width + 2 * quiet) * px, (height + 2 * quiet) * px, QImage::Format_Grayscale8);
    img.fill(255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (dark(x, y))
                for (int dy = 0; dy < px; ++dy) {
                    uchar* line = img.scanLine((y + quiet) * px + dy);
                    for (int dx = 0; dx < px; ++dx)
                        line[(x + quiet) * px + dx] = 0;
                }
    return decodeImage(img, kind);
}

std::string randomPrintable(unsigned seed, size_t length)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> d(32, 126);
    std::string s(length, ' ');
    for (auto& c : s)
        c = static_cast<char>(d(gen));
    return s;
}

} // namespace twod
