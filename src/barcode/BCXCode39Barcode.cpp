#include "barcode/BCXCode39Barcode.h"

#include <array>

namespace {
// Element widths bar, space, bar, ... bar (w wide, n narrow) per character.
struct Code39Entry {
    char c;
    const char* widths;
};
constexpr Code39Entry kCode39[] = {
    {'0', "nnnwwnwnn"}, {'1', "wnnwnnnnw"}, {'2', "nnwwnnnnw"}, {'3', "wnwwnnnnn"}, {'4', "nnnwwnnnw"},
    {'5', "wnnwwnnnn"}, {'6', "nnwwwnnnn"}, {'7', "nnnwnnwnw"}, {'8', "wnnwnnwnn"}, {'9', "nnwwnnwnn"},
    {'A', "wnnnnwnnw"}, {'B', "nnwnnwnnw"}, {'C', "wnwnnwnnn"}, {'D', "nnnnwwnnw"}, {'E', "wnnnwwnnn"},
    {'F', "nnwnwwnnn"}, {'G', "nnnnnwwnw"}, {'H', "wnnnnwwnn"}, {'I', "nnwnnwwnn"}, {'J', "nnnnwwwnn"},
    {'K', "wnnnnnnww"}, {'L', "nnwnnnnww"}, {'M', "wnwnnnnwn"}, {'N', "nnnnwnnww"}, {'O', "wnnnwnnwn"},
    {'P', "nnwnwnnwn"}, {'Q', "nnnnnnwww"}, {'R', "wnnnnnwwn"}, {'S', "nnwnnnwwn"}, {'T', "nnnnwnwwn"},
    {'U', "wwnnnnnnw"}, {'V', "nwwnnnnnw"}, {'W', "wwwnnnnnn"}, {'X', "nwnnwnnnw"}, {'Y', "wwnnwnnnn"},
    {'Z', "nwwnwnnnn"}, {'-', "nwnnnnwnw"}, {'.', "wwnnnnwnn"}, {' ', "nwwnnnwnn"}, {'*', "nwnnwnwnn"},
    {'$', "nwnwnwnnn"}, {'/', "nwnwnnnwn"}, {'+', "nwnnnwnwn"}, {'%', "nnnwnwnwn"},
};

struct Code39Table {
    std::array<std::string, 128> patterns;
    std::array<std::string, 128> extended;
    Code39Table()
    {
        for (const auto& e : kCode39) {
            std::string p;
            for (int i = 0; i < 9; ++i) {
                const char m = i % 2 == 0 ? '1' : '0';
                p.append(e.widths[i] == 'w' ? 2 : 1, m);
            }
            p.push_back('0'); // gap between characters
            patterns[size_t(e.c)] = p;
        }
        for (int c = 0; c < 128; ++c) {
            const char ch = char(c);
            const char* pair = BCXExtendedCode39Barcode::fullAsciiPair(ch);
            if (pair[0])
                extended[size_t(c)] = patterns[size_t(uchar(pair[0]))] + patterns[size_t(uchar(pair[1]))];
            else
                extended[size_t(c)] = patterns[size_t(c)];
        }
    }
};

const Code39Table& table()
{
    static const Code39Table t;
    return t;
}
}

std::string_view BCXCode39Barcode::pattern(char c)
{
    const auto u = uchar(c);
    return u < 128 ? std::string_view(table().patterns[u]) : std::string_view();
}

bool BCXCode39Barcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    if (content.isNull())
        return false;
    return BCXBarcode::initWithContent_printsCaption(upperAscii(content), printsCaption);
}

std::string_view BCXCode39Barcode::_encodeChar(char c) const { return pattern(c); }

QString BCXCode39Barcode::contentProblem() const
{
    if (m_content.contains(QLatin1Char('*')))
        return QStringLiteral("Code 39 cannot hold \"*\" inside the value: it marks start and stop.");
    return problemOfPatterns(QStringLiteral("Code 39"));
}

const char* BCXExtendedCode39Barcode::fullAsciiPair(char c)
{
    static const char* const punct[] = {"/A", "/B", "/C", "/D", "/E", "/F", "/G", "/H", "/I", "/J", "/K", "/L"};
    static const char* const lower[] = {"+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I",
                                        "+J", "+K", "+L", "+M", "+N", "+O", "+P", "+Q", "+R",
                                        "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z"};
    if (c >= '!' && c <= ',')
        return punct[c - '!'];
    if (c >= 'a' && c <= 'z')
        return lower[c - 'a'];
    switch (c) {
    case '\t':
        return "$I";
    case '\n':
        return "$J";
    case '/':
        return "/O";
    case ':':
        return "/Z";
    case ';':
        return "%F";
    case '<':
        return "%G";
    case '=':
        return "%H";
    case '>':
        return "%I";
    case '?':
        return "%J";
    case '@':
        return "%V";
    case '[':
        return "%K";
    case '\\':
        return "%L";
    case ']':
        return "%M";
    case '^':
        return "%N";
    case '_':
        return "%O";
    case '`':
        return "%W";
    case '{':
        return "%P";
    case '|':
        return "%Q";
    case '}':
        return "%R";
    case '~':
        return "%S";
    default:
        return "";
    }
}

bool BCXExtendedCode39Barcode::initWithContent_printsCaption(const QString& content, bool printsCaption)
{
    bool ok;
    {
        DeferWidth defer(*this);
        ok = BCXCode39Barcode::initWithContent_printsCaption(content, printsCaption);
    }
    if (!ok)
        return false;
    setContent(content);
    calculateWidth();
    return true;
}

std::string_view BCXExtendedCode39Barcode::_encodeChar(char c) const
{
    const auto u = uchar(c);
    return u < 128 ? std::string_view(table().extended[u]) : std::string_view();
}

QString BCXExtendedCode39Barcode::contentProblem() const
{
    return problemOfPatterns(QStringLiteral("Extended Code 39"));
}
