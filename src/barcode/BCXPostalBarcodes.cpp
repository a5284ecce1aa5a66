#include "barcode/BCXPostalBarcodes.h"

#include "app/AppHelpers.h"

#include <algorithm>
#include <cmath>

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr double kMmToPoints = 0.03937007874015748 * 72.0;
}

// ---- POSTNET / PLANET -----------------------------------------------------------------

bool BCXPostnetBarcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    DeferWidth defer(*this);
    if (!BCXBarcode::initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
            content, printsCaption, 1.08f, 9.0f, 6.0f, -1))
        return false;
    generateChecksum();
    m_height = 9;
    calculateWidth();
    return true;
}

void BCXPostnetBarcode::generateChecksum()
{
    int sum = 0;
    for (char c : ascii())
        if (isDigit(c))
            sum += c - '0';
    setCheckDigit(char('0' + (10 - sum % 10) % 10));
}

bool BCXPostnetBarcode::isFullBar(char digit, int bar)
{
    static const char* const full[10] = {"11000", "00011", "00101", "00110", "01001",
                                         "01010", "01100", "10001", "10010", "10100"};
    return full[digit - '0'][bar - 1] == '1';
}

char BCXPostnetBarcode::digitAt(int digitIndex) const
{
    const std::string& s = ascii();
    if (digitIndex >= 0 && size_t(digitIndex) < s.size())
        return s[size_t(digitIndex)];
    if (size_t(digitIndex) == s.size())
        return char(m_checkDigit);
    return 0;
}

float BCXPostnetBarcode::_heightForDigit_andBar(int digitIndex, int bar) const
{
    const char d = digitAt(digitIndex);
    if (!isDigit(d) || bar < 1 || bar > 5)
        return 0;
    return isFullBar(d, bar) ? 0.125f : 0.05f;
}

float BCXPlanetBarcode::_heightForDigit_andBar(int digitIndex, int bar) const
{
    return BCXPostnetBarcode::_heightForDigit_andBar(digitIndex, bar) == 0.125f ? 0.05f : 0.125f;
}

float BCXPostnetBarcode::barTop(int index) const
{
    const int last = int(completeBarcode().size()) - 1;
    if (index == 0 || index == last)
        return 9;
    const int digitIndex = (index - 3) / 15;
    const int bar = (index - 15 * digitIndex) / 3;
    return float(_heightForDigit_andBar(digitIndex, bar) * 72.0);
}

float BCXPostnetBarcode::tallestBar() const { return 9; }

// "" when the content is all digits of one of the allowed counts.
static QString digitCountProblem(bool ascii, const std::string& s, std::initializer_list<size_t> counts,
                                 const QString& message)
{
    if (!ascii)
        return nonAsciiProblem();
    const bool digits = std::all_of(s.begin(), s.end(), isDigit);
    if (!digits || std::find(counts.begin(), counts.end(), s.size()) == counts.end())
        return message;
    return {};
}

QString BCXPostnetBarcode::contentProblem() const
{
    return digitCountProblem(isAscii(), ascii(), {5, 9, 11}, QStringLiteral("POSTNET needs 5, 9 or 11 digits."));
}

QString BCXPlanetBarcode::contentProblem() const
{
    return digitCountProblem(isAscii(), ascii(), {11, 13}, QStringLiteral("PLANET needs 11 or 13 digits."));
}

// ---- RM4SCC ---------------------------------------------------------------------------

namespace {
// Ascender (row) and descender (column) bit patterns, first bar most significant.
constexpr int kRm4Groups[6] = {0b0011, 0b0101, 0b0110, 0b1001, 0b1010, 0b1100};

int rm4Index(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

char rm4Char(int index) { return index < 10 ? char('0' + index) : char('A' + index - 10); }
}

void BCXRoyalMailBarcode::statesOf(char c, BarState out[4])
{
    const int k = rm4Index(c);
    for (int b = 0; b < 4; ++b) {
        if (k < 0) {
            out[b] = kTracker;
            continue;
        }
        const int asc = (kRm4Groups[k / 6] >> (3 - b)) & 1;
        const int desc = (kRm4Groups[k % 6] >> (3 - b)) & 1;
        out[b] = BarState(asc * 2 + desc);
    }
}

bool BCXRoyalMailBarcode::initWithContent_printsCaption(const QString& content, bool)
{
    if (content.isNull())
        return false;
    DeferWidth defer(*this);
    if (!BCXBarcode::initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
            upperAscii(content), false, 1.4173229f, 14.3149605f, 6.0f, -1))
        return false;
    generateChecksum();
    calculateWidth();
    return true;
}

void BCXRoyalMailBarcode::generateChecksum()
{
    int rows = 0, cols = 0;
    for (char c : ascii()) {
        BarState st[4];
        statesOf(c, st);
        int asc = 0, desc = 0;
        for (int b = 0; b < 4; ++b) {
            asc = asc * 2 + ((st[b] & kAscender) ? 1 : 0);
            desc = desc * 2 + ((st[b] & kDescender) ? 1 : 0);
        }
        rows += asc >> 1;
        cols += desc >> 1;
    }
    int row = rows % 6 - 1, col = cols % 6 - 1;
    if (row < 0)
        row = 5;
    if (col < 0)
        col = 5;
    setCheckDigit(rm4Char(row * 6 + col));
}

BarState BCXRoyalMailBarcode::_barDescriptor(int index) const
{
    const int chars = int(ascii().size()) + 1;
    if (index <= 0)
        return kAscender;
    if (index >= 8 * chars + 2)
        return kFullBar;
    const int charIndex = (index - 2) / 8;
    const int bar = ((index - 2) % 8) / 2;
    const char c = size_t(charIndex) < ascii().size() ? ascii()[size_t(charIndex)] : char(m_checkDigit);
    BarState st[4];
    statesOf(c, st);
    return st[bar];
}

float BCXRoyalMailBarcode::barTop(int index) const
{
    return float(((_barDescriptor(index) & kAscender) ? 5.05 : 3.15) * kMmToPoints);
}

float BCXRoyalMailBarcode::barBottom(int index) const
{
    return float(((_barDescriptor(index) & kDescender) ? 0.0 : 1.9) * kMmToPoints);
}

QString BCXRoyalMailBarcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    for (char c : ascii())
        if (rm4Index(c) < 0)
            return QStringLiteral("RM4SCC takes the digits 0 to 9 and the letters A to Z only.");
    return {};
}

// ---- Japan Post -----------------------------------------------------------------------

bool JapanPostBarcode::statesOf(char c, BarState out[3])
{
    static const struct {
        char c;
        const char* bars;
    } table[] = {{'-', "030"}, {'.', "003"}, {'/', "333"}, {'0', "300"}, {'1', "330"}, {'2', "312"},
                 {'3', "132"}, {'4', "321"}, {'5', "303"}, {'6', "123"}, {'7', "231"}, {'8', "213"},
                 {'9', "033"}, {':', "120"}, {';', "102"}, {'<', "210"}, {'=', "012"}, {'>', "201"},
                 {'?', "021"}};
    // In the table 2 marks the ascender and 1 the descender, as BarState does.
    for (const auto& e : table) {
        if (e.c == c) {
            for (int i = 0; i < 3; ++i)
                out[i] = BarState(e.bars[i] - '0');
            return true;
        }
    }
    out[0] = out[1] = out[2] = kTracker;
    return false;
}

bool JapanPostBarcode::initWithContent_printsCaption_andBarWidth_andHeight_andFontSize_andCheckDigit(
    const QString& content, bool, float, float height, float, signed char)
{
    if (content.isNull())
        return false;
    setContent(content);
    setHeight(height >= 8.0f && height <= 11.5f ? height : 10.0f);
    return true;
}

void JapanPostBarcode::setHeight(float h)
{
    float size = h;
    if (!(size >= 8.0f))
        size = 8.0f;
    if (size > 11.5f)
        size = 11.5f;
    m_pointSize = size;
    m_barWidth = size / 6.0f;
    m_height = h;
    calculateWidth();
}

void JapanPostBarcode::setBarWidth(float w)
{
    float bw = w;
    if (!(bw >= 8.0f / 6.0f))
        bw = 8.0f / 6.0f;
    if (bw > 11.5f / 6.0f)
        bw = 11.5f / 6.0f;
    m_barWidth = bw;
    m_pointSize = 6.0f * bw;
    calculateWidth();
}

void JapanPostBarcode::setContent(const QString& text)
{
    // The symbol holds 20 character symbols; a letter takes two (a shift
    // and a digit), so a value is cut only between whole characters and the
    // readable form keeps exactly the characters the bars hold.
    constexpr size_t kSymbols = 20;
    std::string encoded;
    QString readable;
    encoded.reserve(kSymbols);
    readable.reserve(text.size());
    bool cut = false;
    for (QChar qc : text) {
        char16_t c = qc.unicode();
        if (c >= 'a' && c <= 'z')
            c = char16_t(c - 32); // lower case as capitals
        if (c > 127) {
            // Non-ASCII stays in the readable form so that the value is refused.
            readable += QChar(c);
            continue;
        }
        char symbols[2];
        size_t count = 0;
        if ((c >= '0' && c <= '9') || c == '-') {
            symbols[count++] = char(c);
        } else if (c >= 'A' && c <= 'Z') {
            // A..J ":" + digit, K..T ";" + digit, U..Z "<" + digit.
            const int k = c - 'A';
            symbols[count++] = k < 10 ? ':' : k < 20 ? ';' : '<';
            symbols[count++] = char('0' + k % 10);
        } else {
            continue; // every other ASCII character is skipped
        }
        if (cut || encoded.size() + count > kSymbols) {
            cut = true;
            continue;
        }
        encoded.append(symbols, count);
        readable += QChar(c);
    }
    m_change.clear();
    if (cut) {
        m_change = QStringLiteral("is cut to \"%1\": Japan Post holds 20 symbol characters, and a letter takes two.")
                       .arg(readable);
        Show_NSLog_Message(QStringLiteral("Japan Post value cut to \"%1\".").arg(readable));
    }
    encoded.append(kSymbols - encoded.size(), '=');
    m_japanpostContents = QString::fromLatin1(encoded.data(), qsizetype(encoded.size()));
    BCXBarcode::setContent(readable);
    generateChecksum();
}

void JapanPostBarcode::generateChecksum()
{
    int sum = 0;
    for (QChar qc : m_japanpostContents) {
        const char16_t c = qc.unicode();
        if (c == '-')
            sum += 10;
        else if (c >= '0' && c <= '9')
            sum += c - '0';
        else if (c >= ':' && c <= '=')
            sum += 11 + (c - ':');
    }
    const int v = 19 - sum % 19; // 1..19
    static const char kCheck[20] = {0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '-',
                                    ':', ';', '<', '=', '>', '?', '.', '/', '0'};
    setCheckDigit(kCheck[v]);
}

QString JapanPostBarcode::contentProblem() const
{
    if (!isAscii())
        return nonAsciiProblem();
    const std::string& s = ascii();
    if (s.size() < 7 || !std::all_of(s.begin(), s.begin() + 7, isDigit))
        return QStringLiteral("Japan Post needs a value that begins with 7 digits.");
    return {};
}

std::string JapanPostBarcode::barcode() const
{
    std::string out;
    out.reserve(126);
    for (int i = 0; i < 21; ++i)
        out.append("101010");
    return out;
}

BarState JapanPostBarcode::barState(int index) const
{
    const int bar = index / 2;
    if (bar == 0)
        return kFullBar;
    if (bar == 1)
        return kDescender;
    if (bar == 65)
        return kDescender;
    if (bar >= 66)
        return kFullBar;
    const int charIndex = (bar - 2) / 3;
    const char c = charIndex < 20 ? char(m_japanpostContents.at(charIndex).unicode()) : char(m_checkDigit);
    BarState st[3];
    statesOf(c, st);
    return st[(bar - 2) % 3];
}

float JapanPostBarcode::barTop(int index) const
{
    const double tenths = (barState(index) & kAscender) ? 3.6 : 2.4;
    return float(tenths * m_pointSize / 10.0 / 0.3527777777777777);
}

float JapanPostBarcode::barBottom(int index) const
{
    const double tenths = (barState(index) & kDescender) ? 0.0 : 1.2;
    return float(tenths * m_pointSize / 10.0 / 0.3527777777777777);
}

void JapanPostBarcode::calculateWidth() { m_width = float(completeBarcode().size()) * m_barWidth; }

float tallestBarOf(const BCXBarcode& b)
{
    if (auto* p = dynamic_cast<const BCXPostnetBarcode*>(&b))
        return p->tallestBar();
    if (dynamic_cast<const BCXRoyalMailBarcode*>(&b))
        return float(5.05 * kMmToPoints);
    if (auto* j = dynamic_cast<const JapanPostBarcode*>(&b))
        return float(3.6 * j->pointSize() / 10.0 / 0.3527777777777777);
    return 0;
}
