// Pictures that must not change: for a fixed set of values, the QR module
// matrices, PDF417 and Data Matrix symbols, composed 2-D pictures and linear
// barcodes with their value texts hash to the digests kept in
// unchanged_pictures.txt. Running with CARDWRIGHT_CAPTURE_PICTURES=1
// rewrites that file from the pictures as they are now.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/DataMatrix.h"
#include "barcode/PDF417_View.h"
#include "barcode/QRSymbolEncoder.h"
#include "support_barcode.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

using Digests = std::map<std::string, std::string>;

std::string digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
}

std::string digest(const QImage& image)
{
    if (image.isNull())
        return "none";
    const QImage i = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray bytes = QByteArray::number(i.width()) + 'x' + QByteArray::number(i.height());
    for (int y = 0; y < i.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(i.constScanLine(y)), i.width() * 4);
    return digest(bytes);
}

const std::vector<QByteArray>& qrValues()
{
    static const std::vector<QByteArray> v = {
        "0123456789", "HELLO WORLD", "ABC123", "https://example.org/card?id=123456", "Gr\xC3\xBC\xC3\x9F" "e",
        "ORDER 2024-000017", "a1b2c3d4e5", QByteArray(300, '7'), QByteArray(200, 'Q'), "MIXED 12 ab 345 CD",
    };
    return v;
}

Digests current()
{
    Digests d;
    for (const QByteArray& v : qrValues())
        for (int level = 0; level < 4; ++level)
            for (int version : {0, 10}) {
                const auto m = QRSymbolEncoder::encodeBytes(level, version, v);
                d["qr " + std::to_string(level) + " " + std::to_string(version) + " " + digest(v).substr(0, 8)]
                    = m ? digest(m->description().toLatin1()) : "none";
            }

    USED_DPI_VALUE = 300;
    PDF417_View view;
    view.setFrameSize(QSizeF(180, 60));
    for (const QByteArray& v : {QByteArray("HELLO"), QByteArray("PDF417 text with lower case and 1234567890123456"),
                                QByteArray("\x01\x02\xFE\xFF" "binary", 10), QByteArray(400, 'x')})
        for (int level : {0, 2, 5}) {
            view.errorLevel = level;
            const int state = view.drawWithText(QString::fromLatin1(v));
            d["pdf417 " + std::to_string(level) + " " + digest(v).substr(0, 8)]
                = state == 0 ? digest(view.getImage().raster()) : "none";
        }

    for (const char* enc : {"Auto", "Ascii", "C40", "Text"})
        for (const QByteArray& v : {QByteArray("HELLO 123"), QByteArray("data matrix value"),
                                    QByteArray("0123456789012345678901234567890123456789")}) {
            testing::internal::CaptureStdout();
            ecc200::Symbol s;
            const bool ok = ecc200::encode(v, 0, 0, QString::fromLatin1(enc), &s);
            testing::internal::GetCapturedStdout();
            d["datamatrix " + std::string(enc) + " " + digest(v).substr(0, 8)]
                = ok ? digest(QByteArray(reinterpret_cast<const char*>(s.grid.data()), qsizetype(s.grid.size())))
                       + std::to_string(s.W) + "x" + std::to_string(s.H)
                     : "none";
        }

    // Composed 2-D pictures without header and footer.
    for (const char* title : {"QR Code", "PDF417", "DataMatrix"}) {
        bt::resetDesigner(QString::fromLatin1(title));
        Barcode_Gen& g = *Barcode_Gen::defaultInstance();
        g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 1;
        USED_DPI_VALUE = 300;
        const PointPicture p = g.Get_Image_From_Val(QStringLiteral("CARD 0042"), {}, {});
        d["composed " + std::string(title)] = p.isNull() ? "none" : digest(p.toImage(300));
    }

    // Linear barcodes with their value texts, header and footer hidden.
    struct Linear
    {
        const char* title;
        const char* value;
    };
    for (const Linear l : {Linear{"Code 39", "CARD42"}, Linear{"Code 128", "Card 42"}, Linear{"EAN-13", "400638133393"},
                           Linear{"UPCA", "03600029145"}, Linear{"Interleaved 2 of 5", "12345678"}}) {
        bt::resetDesigner(QString::fromLatin1(l.title));
        Barcode_Gen& g = *Barcode_Gen::defaultInstance();
        g.hideHeaderCheckbox.state = g.hideFooterCheckbox.state = 1;
        d["linear " + std::string(l.title)] = digest(bt::raster(QString::fromLatin1(l.title), QString::fromLatin1(l.value)));
    }
    return d;
}

QString storePath() { return QStringLiteral(CARDWRIGHT_SOURCE_DIR "/tests/barcode/unchanged_pictures.txt"); }

} // namespace

TEST(UnchangedPictures, SymbolsAndValueTextsOfTodaysValuesStayTheSame)
{
    const Digests now = current();
    if (qEnvironmentVariableIntValue("CARDWRIGHT_CAPTURE_PICTURES") == 1) {
        QFile f(storePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        QTextStream out(&f);
        for (const auto& [name, hash] : now)
            out << QString::fromStdString(name) << '\t' << QString::fromStdString(hash) << '\n';
        GTEST_SKIP() << "captured " << now.size() << " pictures";
    }
    QFile f(storePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    Digests kept;
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split('\t');
        if (parts.size() == 2)
            kept[parts[0].toStdString()] = parts[1].toStdString();
    }
    ASSERT_EQ(kept.size(), now.size());
    for (const auto& [name, hash] : now)
        EXPECT_EQ(kept[name], hash) << name;
}
