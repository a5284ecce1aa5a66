#include "barcode/BCXTwoOfFiveBarcodes.h"

#include <array>

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

QString digitsOnly(const QString& symbology, bool ascii, const std::string& s)
{
    if (!ascii)
        return nonAsciiProblem();
    for (char c : s)
        if (!isDigit(c))
            return QStringLiteral("%1 takes digits only.").arg(symbology);
    return {};
}
}

// ---- Interleaved 2 of 5 ---------------------------------------------------------------

bool BCXInterleavedTwoOfFiveBarcode::_getBarForDigit_forBarNumber(char digit, int bar)
{
    static const char* const elements[10] = {"NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW",
                                             "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN"};
    if (!isDigit(digit) || bar < 0 || bar > 4)
        return true;
    return elements[digit - '0'][bar] == 'N';
}

std::string BCXInterleavedTwoOfFiveBarcode::digitsWithCheck() const
{
    std::string s = ascii();
    if (m_checkDigit != -1)
        s.push_back(char(m_checkDigit));
    return s;
}

namespace {
// Module patterns of every digit pair (interleaved) and every digit
// (industrial), built once.
struct TwoOfFiveTables {
    std::array<std::string, 100> pairs;
    std::array<std::string, 10> singles;
    TwoOfFiveTables()
    {
        for (int a = 0; a < 10; ++a) {
            for (int e = 0; e < 5; ++e)
                singles[size_t(a)].append(
                    BCXInterleavedTwoOfFiveBarcode::_getBarForDigit_forBarNumber(char('0' + a), e) ? "100" : "11100");
            for (int b = 0; b < 10; ++b)
                for (int e = 0; e < 5; ++e) {
                    std::string& p = pairs[size_t(a * 10 + b)];
                    p.append(BCXInterleavedTwoOfFiveBarcode::_getBarForDigit_forBarNumber(char('0' + a), e) ? "1" : "111");
                    p.append(BCXInterleavedTwoOfFiveBarcode::_getBarForDigit_forBarNumber(char('0' + b), e) ? "0" : "000");
                }
        }
    }
};

const TwoOfFiveTables& twoOfFive()
{
    static const TwoOfFiveTables t;
    return t;
}

// A digit's index in the tables; anything else reads as narrow elements
// only, which the table has no entry for: the caller refuses such content.
int digitOf(char c) { return isDigit(c) ? c - '0' : -1; }
}

std::string BCXInterleavedTwoOfFiveBarcode::barcode() const
{
    std::string s = digitsWithCheck();
    if (s.size() % 2)
        s.insert(s.begin(), '0');
    const auto& t = twoOfFive();
    std::string out;
    out.reserve(s.size() * 9);
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const int a = digitOf(s[i]), b = digitOf(s[i + 1]);
        if (a < 0 || b < 0) {
            // Not a digit pair: every element narrow.
            out.append("1010101010");
            continue;
        }
        out.append(t.pairs[size_t(a * 10 + b)]);
    }
    return out;
}

QString BCXInterleavedTwoOfFiveBarcode::contentProblem() const
{
    return digitsOnly(QStringLiteral("Interleaved 2 of 5"), isAscii(), ascii());
}

// ---- Industrial 2 of 5 ----------------------------------------------------------------

std::string BCXIndustrialTwoOfFiveBarcode::barcode() const
{
    const std::string s = digitsWithCheck();
    const auto& t = twoOfFive();
    std::string out;
    out.reserve(s.size() * 19);
    for (char c : s) {
        const int d = digitOf(c);
        out.append(d < 0 ? std::string_view("100100100100100") : std::string_view(t.singles[size_t(d)]));
    }
    return out;
}

QString BCXIndustrialTwoOfFiveBarcode::contentProblem() const
{
    return digitsOnly(QStringLiteral("Industrial 2 of 5"), isAscii(), ascii());
}

// ---- Codabar --------------------------------------------------------------------------

std::string_view BCXCodabarBarcode::_encodeChar(char c) const
{
    static const std::array<std::string_view, 128> table = [] {
        std::array<std::string_view, 128> t{};
        const std::pair<char, std::string_view> patterns[] = {
            {'0', "101010011"},  {'1', "101011001"},  {'2', "101001011"},  {'3', "110010101"},
            {'4', "101101001"},  {'5', "110101001"},  {'6', "100101011"},  {'7', "100101101"},
            {'8', "100110101"},  {'9', "110100101"},  {'-', "101001101"},  {'$', "101100101"},
            {':', "1101011011"}, {'/', "1101101011"}, {'.', "1101101101"}, {'+', "1011011011"},
            {'A', "1011001001"}, {'B', "1001001011"}, {'C', "1010010011"}, {'D', "1010011001"}};
        for (const auto& [ch, pattern] : patterns)
            t[size_t(ch)] = pattern;
        return t;
    }();
    const auto u = uchar(c);
    return u < 128 ? table[u] : std::string_view();
}

std::string BCXCodabarBarcode::barcode() const
{
    std::string out;
    const std::string& s = ascii();
    out.reserve(s.size() * 11);
    for (size_t i = 0; i < s.size(); ++i) {
        if (i)
            out.push_back('0');
        out.append(_encodeChar(s[i]));
    }
    return out;
}

QString BCXCodabarBarcode::contentProblem() const
{
    const QString patterns = problemOfPatterns(QStringLiteral("Codabar"));
    if (!patterns.isEmpty())
        return patterns;
    const std::string& s = ascii();
    auto isStartStop = [](char c) { return c >= 'A' && c <= 'D'; };
    bool ok = s.size() >= 2 && isStartStop(s.front()) && isStartStop(s.back());
    for (size_t i = 1; ok && i + 1 < s.size(); ++i)
        ok = !isStartStop(s[i]);
    if (!ok)
        return QStringLiteral("Codabar needs a start and a stop letter A to D around the value, and none inside.");
    return {};
}

// ---- MSI (Modified Plessey) -----------------------------------------------------------

std::string_view BCXModifiedPlesseyBarcode::bits(int value)
{
    static const std::array<std::string, 16> table = [] {
        std::array<std::string, 16> t;
        for (int v = 0; v < 16; ++v)
            for (int b = 3; b >= 0; --b)
                t[size_t(v)].append((v >> b) & 1 ? "1110" : "1000");
        return t;
    }();
    return value >= 0 && value < 16 ? std::string_view(table[size_t(value)]) : std::string_view();
}

bool BCXModifiedPlesseyBarcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    if (content.isNull())
        return false;
    if (!initWithoutWidth(upperAscii(content), printsCaption))
        return false;
    generateChecksum();
    calculateWidth();
    return true;
}

std::string_view BCXModifiedPlesseyBarcode::_encodeChar(char c) const
{
    return isDigit(c) ? bits(c - '0') : std::string_view();
}

std::string_view BCXModifiedPlesseyHexBarcode::_encodeChar(char c) const
{
    if (isDigit(c))
        return bits(c - '0');
    if (c >= 'A' && c <= 'F')
        return bits(c - 'A' + 10);
    return {};
}

void BCXModifiedPlesseyBarcode::generateChecksum()
{
    const std::string& s = ascii();
    const int n = int(s.size());
    long total = 0;
    // Odd positions from the right (rightmost is 1): digit sum of twice the
    // digit, up to the first character that is not a digit.
    for (int pos = 1; pos <= n; pos += 2) {
        const char c = s[size_t(n - pos)];
        if (!isDigit(c))
            break;
        const int d2 = 2 * (c - '0');
        total += d2 < 10 ? d2 : d2 - 9;
    }
    // Even positions: the character's distance from "0".
    for (int pos = 2; pos <= n; pos += 2)
        total += s[size_t(n - pos)] - '0';
    const long r = ((total % 10) + 10) % 10;
    setCheckDigit(char(r == 0 ? '0' : '0' + (10 - r)));
}

QString BCXModifiedPlesseyBarcode::contentProblem() const
{
    return digitsOnly(QStringLiteral("Modified Plessey"), isAscii(), ascii());
}

QString BCXModifiedPlesseyHexBarcode::contentProblem() const
{
    if (!problemOfPatterns(QString()).isEmpty())
        return isAscii() ? QStringLiteral("Modified Plessey (Hex) takes the digits 0 to 9 and the letters A to F only.")
                         : nonAsciiProblem();
    return {};
}
