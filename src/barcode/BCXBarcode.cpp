#include "barcode/BCXBarcode.h"

#include <QDataStream>

#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeText.h"

QString nonAsciiProblem()
{
    return QStringLiteral("The value holds a character outside ASCII.");
}

QString upperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(char16_t(c.unicode() - 32));
    return out;
}

namespace {
Barcode_Gen& designer() { return Current_Barcode_Gen(); }
}

bool BCXBarcode::initWithContent(const QString& content)
{
    return initWithContent_printsCaption(content, true);
}

bool BCXBarcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    return initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
        content, printsCaption, 0.936f, 36.0f, 6.0f, -1);
}

bool BCXBarcode::initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
    const QString& content, bool printsCaption, float barWidth, float height, float fontSize,
    signed char checkDigit)
{
    if (content.isNull())
        return false;
    setContent(content);
    m_printsCaption = printsCaption;
    m_barWidth = barWidth;
    m_height = height;
    m_captionFontSize = fontSize;
    calculateWidthUnlessDeferred();
    setCheckDigit(checkDigit);
    return true;
}

void BCXBarcode::setContent(const QString& content)
{
    if (m_contentSet && content == m_content && !content.isNull())
        return; // already stored (initialisers store the text twice)
    m_contentSet = true;
    m_content = content;
    m_ascii.clear();
    m_ascii.reserve(size_t(content.size()));
    m_isAscii = true;
    for (QChar c : content) {
        const char16_t u = c.unicode();
        if (u > 127) {
            m_isAscii = false;
            m_ascii.push_back('?');
        } else {
            m_ascii.push_back(char(u));
        }
    }
    invalidateModules();
}

void BCXBarcode::setCheckDigit(signed char c)
{
    m_checkDigit = c;
    invalidateModules();
}

void BCXBarcode::setCaptionFontSize(float size)
{
    m_captionFontSize = size;
    m_captionHeight = float(barcode_text::lineHeight(designer().value_font) / 72.0);
}

void BCXBarcode::setHeaderFontSize(float size)
{
    const Barcode_Gen& gen = designer();
    m_headerFontSize = size;
    m_headerHeight = float(barcode_text::lineHeight(gen.header_font) / 72.0);
    m_headerWidth = float(barcode_text::naturalSize(header(), gen.header_font, barcode_text::kCaptionSpacing).width());
}

void BCXBarcode::setFooterFontSize(float size)
{
    const Barcode_Gen& gen = designer();
    m_footerFontSize = size;
    m_footerHeight = float(barcode_text::lineHeight(gen.footer_font) / 72.0);
    m_footerWidth = float(barcode_text::naturalSize(footer(), gen.footer_font, barcode_text::kCaptionSpacing).width());
}

void BCXBarcode::calculateWidth()
{
    m_width = float(completeBarcode().size()) * m_barWidth;
}

std::string_view BCXBarcode::_encodeChar(char) const { return "1010"; }

QString BCXBarcode::problemOfPatterns(const QString& symbology) const
{
    if (!m_isAscii)
        return nonAsciiProblem();
    for (char c : m_ascii) {
        if (_encodeChar(c).empty()) {
            if (c >= 32 && c < 127)
                return QStringLiteral("%1 cannot encode the character \"%2\".").arg(symbology, QChar(c));
            return QStringLiteral("%1 cannot encode the control character %2.").arg(symbology).arg(int(c));
        }
    }
    return {};
}

QString BCXBarcode::contentProblem() const
{
    return problemOfPatterns(QString::fromLatin1(className()));
}

std::string BCXBarcode::barcode() const
{
    std::string out;
    out.reserve(m_ascii.size() * 12 + 16);
    for (char c : m_ascii)
        out.append(_encodeChar(c));
    if (m_checkDigit != -1)
        out.append(_encodeChar(char(m_checkDigit)));
    return out;
}

const std::string& BCXBarcode::completeBarcode() const
{
    if (!m_completeValid) {
        const std::string_view start = initiator(), stop = terminator();
        const std::string middle = barcode();
        m_complete.clear();
        m_complete.reserve(start.size() + middle.size() + stop.size());
        m_complete.append(start).append(middle).append(stop);
        m_completeValid = true;
    }
    return m_complete;
}

QString BCXBarcode::leftCaption() const { return m_content.left(digitsToLeft()); }

QString BCXBarcode::caption() const
{
    const int l = digitsToLeft(), r = digitsToRight();
    if (l == 0 && r == 0)
        return m_content;
    return m_content.mid(l, std::max<qsizetype>(0, m_content.size() - l - r));
}

QString BCXBarcode::rightCaption() const { return m_content.right(digitsToRight()); }

float BCXBarcode::bandsHeight() const
{
    const Barcode_Gen& gen = designer();
    double bands = 0;
    if (printsCaption())
        bands += m_captionHeight * 72.0 + gen.value_margin;
    if (printsHeader())
        bands += m_headerHeight * 72.0 + gen.header_margin;
    if (printsFooter())
        bands += m_footerHeight * 72.0 + gen.footer_margin;
    return float(bands + 2.0 * gen.TB_margin);
}

float BCXBarcode::barTop(int) const { return m_height - bandsHeight(); }

float BCXBarcode::barBottom(int) const { return 0; }

QString BCXBarcode::description() const
{
    return QStringLiteral("\n\tBarcode Class: %1\n\tContent: %2\n\tCheck Digit:%3\n\tWidth:%4\n\tHeight:%5"
                          "\n\tBar Width:%6\n\tCaption Font Size:%7\n\tCaption Height:%8")
        .arg(QString::fromLatin1(className()), m_content, QString(QChar(char16_t(uchar(m_checkDigit)))))
        .arg(double(m_width), 0, 'f', 6)
        .arg(double(m_height), 0, 'f', 6)
        .arg(double(m_barWidth), 0, 'f', 6)
        .arg(double(m_captionFontSize), 0, 'f', 6)
        .arg(double(m_captionHeight), 0, 'f', 6);
}

std::unique_ptr<BCXBarcode> BCXBarcode::copy() const
{
    auto other = create();
    if (!other->initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
            m_content, m_printsCaption, m_barWidth, m_height, m_captionFontSize, m_checkDigit))
        return nullptr;
    other->calculateWidth();
    return other;
}

void BCXBarcode::encodeWithCoder(QDataStream& out) const
{
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << m_content << qint8(m_printsCaption) << m_barWidth << m_width << m_height << m_captionFontSize
        << m_captionHeight << qint8(m_checkDigit);
}

std::unique_ptr<BCXBarcode> BCXBarcode::initWithCoder(QDataStream& in, const BCXBarcode& prototype)
{
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    QString content;
    qint8 caption = 0, check = -1;
    float barWidth = 0, width = 0, height = 0, fontSize = 0, captionHeight = 0;
    in >> content >> caption >> barWidth >> width >> height >> fontSize >> captionHeight >> check;
    if (in.status() != QDataStream::Ok)
        return nullptr;
    auto b = prototype.create();
    if (content.isNull())
        content = QLatin1String("");
    b->setContent(content);
    b->m_printsCaption = caption != 0;
    b->m_barWidth = barWidth;
    b->m_width = width;
    b->m_height = height;
    b->m_captionFontSize = fontSize;
    b->m_captionHeight = captionHeight;
    b->setCheckDigit(check);
    return b;
}
