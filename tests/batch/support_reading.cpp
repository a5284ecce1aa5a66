#define ZX_USE_UTF8 1
#include "support_reading.h"

#include "barcode/BCXUPCEANBarcodes.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <ZXing/ReadBarcode.h>

namespace reading {

const std::vector<Readable>& Readable_Symbologies()
{
    static const std::vector<Readable> all = {
        {"Code 39", "Code39", "CODE-39"},   {"Extended Code 39", "Code39", ""}, {"Interleaved 2 of 5", "ITF", "I2/5"},
        {"UPCA", "UPC-A", ""},              {"UPCE", "UPC-E", ""},             {"EAN-13", "EAN-13", "EAN-13"},
        {"EAN-8", "EAN-8", "EAN-8"},        {"Code 128", "Code128", "CODE-128"}, {"Code 128 SET C", "Code128", "CODE-128"},
        {"Codabar", "Codabar", "CODABAR"}, {"QR Code", "QRCode", "QR-Code"},  {"PDF417", "PDF417", ""},
        {"DataMatrix", "DataMatrix", ""},
    };
    return all;
}

QString Random_Value(const QString& title, std::mt19937& random)
{
    const auto pick = [&random](const QString& alphabet, int least, int most) {
        QString v;
        const int length = least + int(random() % unsigned(most - least + 1));
        for (int i = 0; i < length; ++i)
            v += alphabet[int(random() % unsigned(alphabet.size()))];
        return v;
    };
    const QString digits = QStringLiteral("0123456789");
    QString printable;
    for (char c = ' '; c <= '~'; ++c)
        printable += QLatin1Char(c);
    // A last letter keeps a trimmed value from ending in a space.
    const auto text = [&](const QString& alphabet, int most) { return pick(alphabet, 1, most).trimmed() + QLatin1Char('7'); };
    if (title == QLatin1String("Code 39"))
        return text(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-. "), 40);
    if (title == QLatin1String("Extended Code 39"))
        return text(printable, 30);
    if (title == QLatin1String("Interleaved 2 of 5"))
        return pick(digits, 6, 6) + pick(digits, 2, 2).repeated(int(random() % 8));
    if (title == QLatin1String("UPCA"))
        return pick(digits, 11, 11);
    if (title == QLatin1String("UPCE"))
        return QLatin1Char('0') + pick(digits, 2, 2) + pick(QStringLiteral("012"), 1, 1) + QStringLiteral("0000")
            + pick(digits, 3, 3);
    if (title == QLatin1String("EAN-13"))
        return pick(digits, 12, 12);
    if (title == QLatin1String("EAN-8"))
        return pick(digits, 7, 7);
    if (title == QLatin1String("Code 128 SET C"))
        return pick(digits, 2, 2).repeated(1 + int(random() % 10));
    if (title == QLatin1String("Codabar"))
        return QLatin1Char('A') + pick(QStringLiteral("0123456789-$:/.+"), 2, 30) + QLatin1Char('B');
    if (title == QLatin1String("QR Code"))
        return text(printable, 300);
    if (title == QLatin1String("PDF417"))
        return text(printable, 200);
    if (title == QLatin1String("DataMatrix"))
        return text(printable, 80);
    return text(printable, 60);
}

std::string Expected(const QString& title, const QString& value)
{
    const std::string v = value.toStdString();
    if (title == QLatin1String("EAN-13") || title == QLatin1String("EAN-8") || title == QLatin1String("UPCA"))
        return v + char('0' + upcean::mod10Check(v));
    if (title == QLatin1String("UPCE")) {
        const std::string full = v + char('0' + upcean::mod10Check(v));
        return full.substr(0, 1) + BCXUPCEBarcode::UPCAToUPCE(QString::fromStdString(full)).toStdString()
            + full.substr(11);
    }
    return v;
}

std::string Zxing_Read(const QImage& image, const char* format)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormatFromString(format));
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setTryCode39ExtendedMode(true);
    hints.setReturnCodabarStartEnd(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? r.text() : std::string();
}

std::map<QString, std::string> Zbar_Read(const QStringList& files)
{
    std::map<QString, std::string> read;
    if (files.isEmpty())
        return read;
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("--xml"), QStringLiteral("-q")} + files);
    // Only a hang takes ten minutes.
    if (!zbar.waitForFinished(600000))
        zbar.kill();
    const QString xml = QString::fromUtf8(zbar.readAllStandardOutput());
    static const QRegularExpression source(QStringLiteral("<source href='([^']*)'>(.*?)</source>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression data(QStringLiteral("<data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = source.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const auto d = data.match(m.captured(2));
        if (d.hasMatch())
            read[QFileInfo(m.captured(1)).fileName()] = d.captured(1).toStdString();
    }
    return read;
}

} // namespace reading
