// What the designer says of a value too long for its 2-D symbol, at the edge
// of what fits: the number that "fits" is drawn, one more is refused, and the
// text names both in the value's own units.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "support_barcode.h"

#include <QLocale>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace {

Barcode_Gen& designer(const char* title)
{
    bt::resetDesigner(QString::fromLatin1(title));
    QR_Version_Val = 0;
    QR_EC_Level_Val = 0;
    USED_DPI_VALUE = 72;
    return *Barcode_Gen::defaultInstance();
}

QString failure(Barcode_Gen& g, const QString& value)
{
    return g.Get_Image_From_Val(value, {}, {}).isNull() ? g.last_failure : QString();
}

QString count(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

// n units of a value: the pattern over and over, or bytes: two-byte letters
// and a plain one for an odd n.
using Make = std::function<QString(qint64)>;
Make cycle(const QString& pattern)
{
    return [pattern](qint64 n) { return pattern.repeated(n / pattern.size() + 1).left(n); };
}
QString bytesOf(qint64 n) { return QStringLiteral("\u00fc").repeated(n / 2) + QLatin1String(n % 2 ? "a" : ""); }

// The value far past the edge is refused with "at most N fit"; N units are
// drawn and N + 1 are refused with the same N, counted as `expected` says
// ({bytes}, {characters} and {fit} stand for the numbers).
void checkEdge(Barcode_Gen& g, const Make& make, const QString& expected)
{
    const QString far = failure(g, make(8000));
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("at most ([0-9,]+) fit")).match(far);
    ASSERT_TRUE(m.hasMatch()) << far.toStdString();
    const qint64 fit = QLocale(QLocale::English, QLocale::UnitedStates).toLongLong(m.captured(1));
    ASSERT_GT(fit, 0);
    EXPECT_EQ(failure(g, make(fit)).toStdString(), "") << fit;
    const QString past = make(fit + 1);
    QString text = expected;
    text.replace(QLatin1String("{bytes}"), count(past.toUtf8().size()))
        .replace(QLatin1String("{characters}"), count(past.size()))
        .replace(QLatin1String("{fit}"), count(fit));
    EXPECT_EQ(failure(g, past).toStdString(), text.toStdString());
}

} // namespace

TEST(CapacityText, QRCodeModesLevelsAndVersions)
{
    Barcode_Gen& g = designer("QR Code");
    g.HeightText_2D.text = QStringLiteral("180");
    checkEdge(g, cycle(QStringLiteral("7")),
        QStringLiteral("Too many digits for QR Code: {characters}; at most {fit} fit at error correction L."));
    QR_EC_Level_Val = 2;
    QR_Version_Val = 10;
    checkEdge(g, cycle(QStringLiteral("A")),
        QStringLiteral(
            "Too many characters for QR Code: {characters}; at most {fit} fit in the chosen version 10 at error "
            "correction Q."));
    QR_EC_Level_Val = 1;
    QR_Version_Val = 0;
    checkEdge(g, bytesOf,
        QStringLiteral(
            "Too many bytes for QR Code: {bytes} ({characters} characters); at most {fit} fit at error correction M."));
    // The picture size that the designer says holds the symbol holds it.
    g.HeightText_2D.text = QStringLiteral("20");
    const QString value = QStringLiteral("https://example.org/cards");
    const QString tooSmall = failure(g, value);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("A size of (\\d+) or more holds it\\.$")).match(tooSmall);
    ASSERT_TRUE(m.hasMatch()) << tooSmall.toStdString();
    g.HeightText_2D.text = m.captured(1);
    EXPECT_EQ(failure(g, value).toStdString(), "");
    g.HeightText_2D.text = QString::number(m.captured(1).toInt() - 1);
    EXPECT_TRUE(failure(g, value).endsWith(m.captured(0)));
}

TEST(CapacityText, PDF417TextDigitsAndCharactersBeyondLatin1)
{
    Barcode_Gen& g = designer("PDF417");
    g.pdf_ec_lvl_Text.text = QStringLiteral("5");
    // Mixed case takes shifts: fewer fit than capital letters alone.
    checkEdge(g, cycle(QStringLiteral("Hello World, ")),
        QStringLiteral("Too many characters for PDF417: {characters}; at most {fit} fit."));
    EXPECT_EQ(failure(g, QStringLiteral("Gr\u00fc\u00dfe \U0001F600 5 \u20ac")).toStdString(),
        QStringLiteral("PDF417 cannot hold \u201C\U0001F600\u201D (U+1F600), character 7 of the value: it holds "
                       "only Latin-1 letters and signs (Western European).")
            .toStdString());
}

TEST(CapacityText, DataMatrixAutomaticAndChosenSizes)
{
    Barcode_Gen& g = designer("DataMatrix");
    checkEdge(g, cycle(QStringLiteral("7")),
        QStringLiteral("Too many digits for Data Matrix: {characters}; at most {fit} fit."));
    g.dm_format_ComboBox = QStringLiteral("C24X24");
    g.dm_encoding_ComboBox = QStringLiteral("C40");
    checkEdge(g, cycle(QStringLiteral("B")),
        QStringLiteral(
            "Too many characters for the chosen Data Matrix size 24 x 24: {characters}; at most {fit} fit in C40 "
            "encoding. The value needs the size 26 x 26."));
}
