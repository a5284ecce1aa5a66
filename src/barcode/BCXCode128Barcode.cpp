#include "barcode/BCXCode128Barcode.h"

#include <array>

namespace {
// Bar and space widths of the symbol values 0..105 and the stop (106).
constexpr const char* kWidths[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

enum : unsigned char { kShift = 98, kCodeC = 99, kCodeB = 100, kCodeA = 101, kStartA = 103 };

const std::array<std::string, 107>& patterns()
{
    static const std::array<std::string, 107> table = [] {
        std::array<std::string, 107> t;
        for (int v = 0; v < 107; ++v) {
            bool bar = true;
            for (const char* w = kWidths[v]; *w; ++w, bar = !bar)
                t[size_t(v)].append(size_t(*w - '0'), bar ? '1' : '0');
        }
        return t;
    }();
    return table;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isControl(char c) { return uchar(c) < 32; }          // only in set A
bool isLowerSet(char c) { return uchar(c) >= 96 && uchar(c) < 128; } // only in set B

size_t digitRun(const std::string& s, size_t i)
{
    size_t n = 0;
    while (i + n < s.size() && isDigit(s[i + n]))
        ++n;
    return n;
}

// From position i on, does a control character come before any character
// of set B only (a "lower case" one)?
bool controlBeforeLower(const std::string& s, size_t i)
{
    for (; i < s.size(); ++i) {
        if (isControl(s[i]))
            return true;
        if (isLowerSet(s[i]))
            return false;
    }
    return false;
}

bool lowerBeforeControl(const std::string& s, size_t i)
{
    for (; i < s.size(); ++i) {
        if (isLowerSet(s[i]))
            return true;
        if (isControl(s[i]))
            return false;
    }
    return false;
}
}

std::string_view BCXCode128Barcode::patternOfValue(int value)
{
    return value >= 0 && value < 107 ? std::string_view(patterns()[size_t(value)]) : std::string_view();
}

int BCXCode128Barcode::_valueForChar(char c, int set)
{
    const int u = uchar(c);
    if (set == 0) {
        if (u < 32)
            return u + 64;
        if (u < 96)
            return u - 32;
        return -1;
    }
    if (set == 1)
        return u >= 32 && u < 128 ? u - 32 : -1;
    return -1;
}

bool BCXCode128Barcode::_canEncodeChar_withSet(char c, int set) { return _valueForChar(c, set) >= 0; }

std::string_view BCXCode128Barcode::_encodeChar_withSet(char c, int set)
{
    return patternOfValue(_valueForChar(c, set));
}

std::string_view BCXCode128Barcode::_shiftCharacterForSet(int set)
{
    return set == 0 || set == 1 ? patternOfValue(kShift) : std::string_view();
}

std::string_view BCXCode128Barcode::_encodeNumberPair(const QString& number)
{
    bool ok = false;
    const int v = number.toInt(&ok);
    return ok ? patternOfValue(v) : std::string_view();
}

void BCXCode128Barcode::setCodeSet(int set)
{
    m_codeSet = set;
    m_requestedSet = set;
    encode();
}

bool BCXCode128Barcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    m_codeSet = m_requestedSet;
    if (!initWithoutWidth(content, printsCaption))
        return false;
    generateChecksum();
    calculateWidth();
    return true;
}

void BCXCode128Barcode::setContent(const QString& content)
{
    BCXBarcode::setContent(content);
    encode();
}

int BCXCode128Barcode::_bestCodeSetForContent() const
{
    const std::string& s = ascii();
    if ((s.size() == 2 && digitRun(s, 0) == 2) || digitRun(s, 0) >= 4 || s.empty())
        return 2;
    return controlBeforeLower(s, 0) ? 0 : 1;
}

void BCXCode128Barcode::encode()
{
    m_values.clear();
    m_problem.clear();
    invalidateModules();
    const std::string& s = ascii();
    if (!isAscii()) {
        m_problem = nonAsciiProblem();
        return;
    }
    int set = m_requestedSet == 3 ? _bestCodeSetForContent() : m_requestedSet;
    if (set < 0 || set > 2) {
        m_problem = QStringLiteral("Invalid code set %1.").arg(set);
        return;
    }
    m_startSet = set;
    m_codeSet = set;
    m_values.reserve(s.size() + 4);

    if (m_requestedSet == 2) {
        if (s.size() % 2 || digitRun(s, 0) != s.size()) {
            m_problem = QStringLiteral("Code 128 set C needs an even number of digits and nothing else.");
            return;
        }
        for (size_t i = 0; i < s.size(); i += 2)
            m_values.push_back(uchar((s[i] - '0') * 10 + (s[i + 1] - '0')));
        return;
    }
    if (m_requestedSet == 0 || m_requestedSet == 1) {
        const int other = 1 - set;
        for (char c : s) {
            const int v = _valueForChar(c, set);
            if (v >= 0) {
                m_values.push_back(uchar(v));
            } else {
                m_values.push_back(kShift);
                m_values.push_back(uchar(_valueForChar(c, other)));
            }
        }
        return;
    }

    // Automatic: the set changes of ISO/IEC 15417 Annex E.
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (set == 2) {
            if (i + 1 < s.size() && isDigit(c) && isDigit(s[i + 1])) {
                m_values.push_back(uchar((c - '0') * 10 + (s[i + 1] - '0')));
                i += 2;
                continue;
            }
            set = controlBeforeLower(s, i) ? 0 : 1;
            m_values.push_back(set == 0 ? kCodeA : kCodeB);
            continue;
        }
        const size_t run = digitRun(s, i);
        if (run >= 4) {
            if (run % 2) {
                m_values.push_back(uchar(_valueForChar(c, set)));
                ++i;
            }
            m_values.push_back(kCodeC);
            set = 2;
            continue;
        }
        if (set == 1 && isControl(c)) {
            if (lowerBeforeControl(s, i + 1)) {
                m_values.push_back(kShift);
                m_values.push_back(uchar(_valueForChar(c, 0)));
                ++i;
            } else {
                m_values.push_back(kCodeA);
                set = 0;
            }
            continue;
        }
        if (set == 0 && isLowerSet(c)) {
            if (controlBeforeLower(s, i + 1)) {
                m_values.push_back(kShift);
                m_values.push_back(uchar(_valueForChar(c, 1)));
                ++i;
            } else {
                m_values.push_back(kCodeB);
                set = 1;
            }
            continue;
        }
        m_values.push_back(uchar(_valueForChar(c, set)));
        ++i;
    }
}

void BCXCode128Barcode::generateChecksum()
{
    if (!m_problem.isEmpty()) {
        setCheckDigit(-1);
        return;
    }
    long sum = kStartA + m_startSet;
    long weight = 1;
    for (unsigned char v : m_values)
        sum += long(v) * weight++;
    setCheckDigit(static_cast<signed char>(sum % 103));
}

std::string_view BCXCode128Barcode::initiator() const { return patternOfValue(kStartA + m_startSet); }

std::string_view BCXCode128Barcode::_encodeChar(char c) const { return _encodeChar_withSet(c, m_codeSet); }

std::string BCXCode128Barcode::barcode() const
{
    std::string out;
    out.reserve((m_values.size() + 1) * 11);
    for (unsigned char v : m_values)
        out.append(patternOfValue(v));
    if (m_checkDigit != -1)
        out.append(patternOfValue(m_checkDigit));
    return out;
}

QString BCXCode128Barcode::contentProblem() const { return m_problem; }
