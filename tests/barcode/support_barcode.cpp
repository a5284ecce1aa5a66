#include "support_barcode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <zint.h>

#include <QPainter>
#include "support/process_runner.h"
#include <QTemporaryDir>

#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BCXPostalBarcodes.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeGlobals.h"

namespace bt {
std::vector<std::string> zintRows(int symbology, const std::string& data, int option2)
{
    zint_symbol* s = ZBarcode_Create();
    s->symbology = symbology;
    s->option_2 = option2;
    std::vector<std::string> rows;
    const int rc = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    if (rc < ZINT_ERROR) {
        for (int r = 0; r < s->rows; ++r) {
            std::string row;
            for (int c = 0; c < s->width; ++c)
                row.push_back((s->encoded_data[r][c >> 3] >> (c & 7)) & 1 ? '1' : '0');
            rows.push_back(row);
        }
    }
    ZBarcode_Delete(s);
    return rows;
}

std::vector<int> runs(const std::string& modules)
{
    std::vector<int> out;
    size_t i = modules.find('1');
    const size_t end = modules.find_last_of('1');
    if (i == std::string::npos)
        return out;
    while (i <= end) {
        const char c = modules[i];
        size_t j = i;
        while (j <= end && modules[j] == c)
            ++j;
        out.push_back(int(j - i));
        i = j;
    }
    return out;
}

std::string narrowWide(const std::string& modules)
{
    const std::vector<int> r = runs(modules);
    // Bars and spaces each against their own narrowest element.
    int narrow[2] = {1 << 30, 1 << 30};
    for (size_t i = 0; i < r.size(); ++i)
        narrow[i % 2] = std::min(narrow[i % 2], r[i]);
    std::string out;
    for (size_t i = 0; i < r.size(); ++i)
        out.push_back(r[i] > narrow[i % 2] ? 'W' : 'N');
    return out;
}

std::string zintBarStates(const std::vector<std::string>& rows)
{
    std::string out;
    if (rows.size() == 3) {
        for (size_t c = 0; c < rows[1].size(); ++c) {
            if (rows[1][c] != '1')
                continue;
            const bool a = rows[0][c] == '1', d = rows[2][c] == '1';
            out.push_back(a && d ? 'F' : a ? 'A' : d ? 'D' : 'T');
        }
    } else if (rows.size() == 2) {
        for (size_t c = 0; c < rows[1].size(); ++c)
            if (rows[1][c] == '1')
                out.push_back(rows[0][c] == '1' ? 'F' : 'H');
    }
    return out;
}

std::string ourBarStates(const BCXBarcode& b)
{
    const std::string& m = b.completeBarcode();
    float maxTop = 0;
    for (size_t i = 0; i < m.size(); ++i)
        if (m[i] == '1')
            maxTop = std::max(maxTop, b.barTop(int(i)));
    std::string out;
    const bool fourState = dynamic_cast<const BCXRoyalMailBarcode*>(&b) || dynamic_cast<const JapanPostBarcode*>(&b);
    for (size_t i = 0; i < m.size(); ++i) {
        if (m[i] != '1')
            continue;
        const bool tall = b.barTop(int(i)) >= maxTop - 1e-3f;
        if (!fourState) {
            out.push_back(tall ? 'F' : 'H');
            continue;
        }
        const bool low = b.barBottom(int(i)) <= 1e-3f;
        out.push_back(tall && low ? 'F' : tall ? 'A' : low ? 'D' : 'T');
    }
    return out;
}

void resetDesigner(const QString& title)
{
    Barcode_Gen* gen = Barcode_Gen::defaultInstance();
    gen->Restore_Defaults();
    gen->barcodeTypePopup = title;
    gen->liner_or_2D_font = Barcode_Gen::Is_2D_Title(title) ? 1 : 0;
    Not_Draw_Only_Prop_Change = false;
}

void decodableSettings()
{
    Barcode_Gen* gen = Barcode_Gen::defaultInstance();
    gen->widthText.text = QStringLiteral("20");
    gen->HeightText.text = QStringLiteral("1.5");
    gen->LR_mar_Text.text = QStringLiteral("1.5");
    gen->TB_mar_Text.text = QStringLiteral("0.3");
}

std::shared_ptr<BCXBarcode> make(const QString& title, const QString& value)
{
    Barcode_Gen* gen = Barcode_Gen::defaultInstance();
    gen->barcodeTypePopup = title;
    gen->liner_or_2D_font = 0;
    return gen->Generate_Barcode_Variable(false, value, gen->HeaderText.text, gen->FooterText.text);
}

QImage raster(const QString& title, const QString& value, double dpi)
{
    auto b = make(title, value);
    if (!b)
        return {};
    return BCXBarcodeImage::rasterFromBarcode(b.get(), dpi);
}

std::string zxingDecode(const QImage& image, const std::string& format, bool code39Extended)
{
    if (image.isNull())
        return {};
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryCode39ExtendedMode(code39Extended);
    hints.setReturnCodabarStartEnd(true);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    if (!format.empty())
        hints.setFormats(ZXing::BarcodeFormatFromString(format));
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          int(gray.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? r.text() : std::string();
}

std::string zbarDecode(const QImage& image)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.png"));
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    flat.save(path);
    return testsupport::run(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), path}).out.trimmed().toStdString();
}

std::string randomDigits(std::mt19937& rng, int n)
{
    return randomFrom(rng, "0123456789", n);
}

std::string randomFrom(std::mt19937& rng, const std::string& alphabet, int n)
{
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(alphabet[pick(rng)]);
    return s;
}
}
