#include "barcode/BCXUPCEANBarcodes.h"

#include <array>

namespace upcean {
std::string swapHandedness(std::string_view pattern)
{
    std::string out(pattern.size(), '0');
    for (size_t i = 0; i < pattern.size(); ++i)
        out[i] = pattern[i] == '0' ? '1' : '0';
    return out;
}

std::string swapParity(std::string_view pattern)
{
    std::string s = swapHandedness(pattern);
    return std::string(s.rbegin(), s.rend());
}

int mod10Check(std::string_view digits)
{
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

bool allDigits(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}
}

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Tables {
    std::array<std::string, 10> l, r, g;
    Tables()
    {
        static const char* const lCodes[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                               "0110001", "0101111", "0111011", "0110111", "0001011"};
        for (int d = 0; d < 10; ++d) {
            l[d] = lCodes[d];
            r[d] = upcean::swapHandedness(l[d]);
            g[d] = upcean::swapParity(l[d]);
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}
}

// ---- common ---------------------------------------------------------------------

std::string_view BCXAbstractUPCEANBarcode::lCode(char d) { return isDigit(d) ? tables().l[d - '0'] : std::string_view(); }
std::string_view BCXAbstractUPCEANBarcode::rCode(char d) { return isDigit(d) ? tables().r[d - '0'] : std::string_view(); }
std::string_view BCXAbstractUPCEANBarcode::gCode(char d) { return isDigit(d) ? tables().g[d - '0'] : std::string_view(); }

std::string_view BCXAbstractUPCEANBarcode::_encodeChar(char c) const { return lCode(c); }

void BCXAbstractUPCEANBarcode::calculateWidth()
{
    m_width = m_content.isEmpty() ? 0.0f : float(completeBarcode().size()) * m_barWidth * 1.2f;
}

QString BCXAbstractUPCEANBarcode::rightCaption() const { return checkText(); }

QString BCXAbstractUPCEANBarcode::checkText() const
{
    return m_checkDigit == -1 ? QString(QLatin1String("")) : QString(QChar(char16_t(m_checkDigit)));
}

QString BCXAbstractUPCEANBarcode::digits(int from, int to) const
{
    return m_content.mid(from - 1, std::max(0, to - from + 1));
}

int BCXAbstractUPCEANBarcode::computedCheck() const
{
    if (!isAscii() || !upcean::allDigits(ascii()))
        return -1;
    return upcean::mod10Check(ascii());
}

void BCXAbstractUPCEANBarcode::generateChecksum()
{
    const int c = computedCheck();
    if (c >= 0)
        setCheckDigit(char('0' + c));
}

// ---- EAN-13 -----------------------------------------------------------------------

bool BCXEAN13Barcode::_parityForSystemDigit_forIndex(char digit, int index)
{
    static const char* const parity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                           "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
    if (!isDigit(digit) || index < 1 || index > 6)
        return false;
    return parity[digit - '0'][index - 1] == 'G';
}

bool BCXEAN13Barcode::initWithContent_printsCaption(const QString& text, bool printsCaption)
{
    if (!initWithoutWidth(text, printsCaption))
        return false;
    setContent(text);
    if (text.size() < 13) {
        generateChecksum();
    } else if (text.size() == 13) {
        // The 13th character is the check digit; it is verified by the
        // validity test. Longer entries stay whole and are invalid.
        const QChar c = text.at(12);
        setContent(text.left(12));
        setCheckDigit(c.unicode() < 128 ? char(c.unicode()) : '?');
    }
    calculateWidth();
    return true;
}

void BCXEAN13Barcode::generateChecksum()
{
    if (m_content.size() == 12)
        BCXAbstractUPCEANBarcode::generateChecksum();
}

std::string BCXEAN13Barcode::barcode() const
{
    const std::string& s = ascii();
    std::string out;
    out.reserve(90);
    const char lead = s.empty() ? '0' : s[0];
    for (size_t i = 1; i <= 6 && i < s.size(); ++i)
        out.append(_parityForSystemDigit_forIndex(lead, int(i)) ? gCode(s[i]) : lCode(s[i]));
    out.append("01010");
    for (size_t i = 7; i <= 11 && i < s.size(); ++i)
        out.append(rCode(s[i]));
    if (m_checkDigit != -1)
        out.append(rCode(char(m_checkDigit)));
    return out;
}

QString BCXEAN13Barcode::caption() const
{
    return QLatin1String("  ") + digits(2, 7) + QLatin1Char('\t') + digits(8, 12) + checkText();
}

QString BCXEAN13Barcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    const int c = computedCheck();
    if (m_content.size() != 12 || c < 0 || m_checkDigit != char('0' + c))
        return QStringLiteral("EAN-13 needs 12 digits, or 13 with a correct check digit.");
    return {};
}

// ---- EAN-8 ------------------------------------------------------------------------

bool BCXEAN8Barcode::initWithContent_printsCaption(const QString& text, bool printsCaption)
{
    if (!initWithoutWidth(text, printsCaption))
        return false;
    setContent(text);
    m_wrongLength = false;
    if (text.size() == 7) {
        generateChecksum();
    } else if (text.size() == 8) {
        const QChar c = text.at(7);
        setContent(text.left(7));
        setCheckDigit(c.unicode() < 128 ? char(c.unicode()) : '?');
    } else {
        m_wrongLength = true;
    }
    calculateWidth();
    return true;
}

void BCXEAN8Barcode::generateChecksum()
{
    if (m_content.size() == 7)
        BCXAbstractUPCEANBarcode::generateChecksum();
}

std::string BCXEAN8Barcode::barcode() const
{
    const std::string& s = ascii();
    std::string out;
    out.reserve(64);
    for (size_t i = 0; i < 4 && i < s.size(); ++i)
        out.append(lCode(s[i]));
    out.append("01010");
    for (size_t i = 4; i < 7 && i < s.size(); ++i)
        out.append(rCode(s[i]));
    if (m_checkDigit != -1)
        out.append(rCode(char(m_checkDigit)));
    return out;
}

QString BCXEAN8Barcode::caption() const
{
    return QLatin1String(" ") + digits(1, 4) + QLatin1Char('\t') + digits(5, 7) + checkText();
}

QString BCXEAN8Barcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    const int c = computedCheck();
    if (m_wrongLength || m_content.size() != 7 || c < 0 || m_checkDigit != char('0' + c))
        return QStringLiteral("EAN-8 needs 7 digits, or 8 with a correct check digit.");
    return {};
}

// ---- UPC-A ------------------------------------------------------------------------

bool BCXUPCABarcode::initWithContent_printsCaption(const QString& text, bool printsCaption)
{
    if (!initWithoutWidth(text, printsCaption))
        return false;
    if (text.size() < 12) {
        generateChecksum();
    } else if (text.size() == 12) {
        const QChar c = text.at(11);
        setContent(text.left(11));
        setCheckDigit(c.unicode() < 128 ? char(c.unicode()) : '?');
    }
    calculateWidthUnlessDeferred();
    return true;
}

void BCXUPCABarcode::generateChecksum()
{
    if (m_content.size() == 11)
        BCXAbstractUPCEANBarcode::generateChecksum();
}

std::string BCXUPCABarcode::barcode() const
{
    const std::string& s = ascii();
    std::string out;
    out.reserve(90);
    for (size_t i = 0; i < 6 && i < s.size(); ++i)
        out.append(lCode(s[i]));
    out.append("01010");
    for (size_t i = 6; i < 11 && i < s.size(); ++i)
        out.append(rCode(s[i]));
    if (m_checkDigit != -1)
        out.append(rCode(char(m_checkDigit)));
    return out;
}

QString BCXUPCABarcode::caption() const { return digits(2, 6) + QLatin1Char('\t') + digits(7, 11); }

QString BCXUPCABarcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    const int c = computedCheck();
    if (m_content.size() != 11 || c < 0 || m_checkDigit != char('0' + c))
        return QStringLiteral("UPC-A needs 11 digits, or 12 with a correct check digit.");
    return {};
}

// ---- UPC-E ------------------------------------------------------------------------

std::string BCXUPCEBarcode::upcaToUpce(std::string_view upca)
{
    if (upca.size() < 12)
        return {};
    auto d = [&](int i) { return upca[size_t(i - 1)]; }; // d(1) .. d(12)
    auto zeros = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            if (d(i) != '0')
                return false;
        return true;
    };
    if ((d(4) == '0' || d(4) == '1' || d(4) == '2') && zeros(5, 6) && zeros(7, 8))
        return {d(2), d(3), d(9), d(10), d(11), d(4)};
    if (zeros(5, 6) && zeros(7, 9))
        return {d(2), d(3), d(4), d(10), d(11), '3'};
    if (zeros(6, 6) && zeros(7, 10))
        return {d(2), d(3), d(4), d(5), d(11), '4'};
    if (d(11) >= '5' && d(11) <= '9' && zeros(7, 10))
        return {d(2), d(3), d(4), d(5), d(6), d(11)};
    return {};
}

QString BCXUPCEBarcode::UPCAToUPCE(const QString& upca)
{
    const QByteArray bytes = upca.toLatin1();
    return QString::fromLatin1(upcaToUpce(std::string_view(bytes.constData(), size_t(bytes.size()))).c_str());
}

std::string BCXUPCEBarcode::expandToUPCA(std::string_view e)
{
    if (e.size() != 7)
        return {};
    const char ns = e[0];
    const char x1 = e[1], x2 = e[2], x3 = e[3], x4 = e[4], x5 = e[5], x6 = e[6];
    std::string out;
    out += ns;
    switch (x6) {
    case '0':
    case '1':
    case '2':
        out += {x1, x2, x6, '0', '0', '0', '0', x3, x4, x5};
        break;
    case '3':
        out += {x1, x2, x3, '0', '0', '0', '0', '0', x4, x5};
        break;
    case '4':
        out += {x1, x2, x3, x4, '0', '0', '0', '0', '0', x5};
        break;
    default:
        out += {x1, x2, x3, x4, x5, '0', '0', '0', '0', x6};
        break;
    }
    return out;
}

bool BCXUPCEBarcode::initWithContent_printsCaption(const QString& text, bool printsCaption)
{
    bool ok;
    {
        DeferWidth defer(*this);
        ok = BCXUPCABarcode::initWithContent_printsCaption(text, printsCaption);
    }
    if (!ok)
        return false;
    setContent(text);
    m_noUPCEForm = false;
    if (text.size() == 11) {
        // A UPC-A without its check digit: compute that check, then convert.
        std::string six;
        if (isAscii() && upcean::allDigits(ascii())) {
            const char check = char('0' + upcean::mod10Check(ascii()));
            setCheckDigit(check);
            six = upcaToUpce(ascii() + check);
            m_noUPCEForm = six.empty();
        }
        setContent(text.left(1) + QString::fromLatin1(six.c_str()));
    } else if (text.size() == 8) {
        const QChar c = text.at(7);
        setContent(text.left(7));
        setCheckDigit(c.unicode() < 128 ? char(c.unicode()) : '?');
    } else if (text.size() == 7) {
        generateChecksum();
    }
    calculateWidth();
    return true;
}

void BCXUPCEBarcode::generateChecksum()
{
    if (m_content.size() != 7 || !isAscii() || !upcean::allDigits(ascii()))
        return;
    setCheckDigit(char('0' + upcean::mod10Check(expandToUPCA(ascii()))));
}

bool BCXUPCEBarcode::parityForDigit(int position) const
{
    static const char* const parity[10] = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                           "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};
    if (position < 1 || position > 6 || m_checkDigit < '0' || m_checkDigit > '9')
        return false;
    const bool even = parity[m_checkDigit - '0'][position - 1] == 'G';
    const bool system0 = !m_content.isEmpty() && m_content.at(0) == QLatin1Char('0');
    return system0 ? even : !even;
}

std::string BCXUPCEBarcode::barcode() const
{
    const std::string& s = ascii();
    std::string out;
    out.reserve(42);
    for (size_t i = 1; i <= 6 && i < s.size(); ++i)
        out.append(parityForDigit(int(i)) ? gCode(s[i]) : lCode(s[i]));
    return out;
}

QString BCXUPCEBarcode::caption() const { return digits(2, 7); }

QString BCXUPCEBarcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    if (m_noUPCEForm)
        return QStringLiteral("This UPC-A number has no UPC-E form.");
    const std::string& s = ascii();
    if (s.size() != 7 || !upcean::allDigits(s) || (s[0] != '0' && s[0] != '1')
        || m_checkDigit != char('0' + upcean::mod10Check(expandToUPCA(s))))
        return QStringLiteral("UPC-E needs 7 digits starting with 0 or 1, or 8 with a correct check digit.");
    // Only the standard form: the UPC-A it stands for must convert back to
    // the same six digits (e.g. 0651107 is written 0651174).
    if (upcaToUpce(expandToUPCA(s) + char(m_checkDigit)) != std::string_view(s).substr(1))
        return QStringLiteral("This UPC-E number is not in its standard form.");
    return {};
}
