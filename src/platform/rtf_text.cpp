#include "platform/rtf_text.h"

#include <QList>
#include <QStringDecoder>

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

// Windows code page of an RTF \fcharset value; -1 for "the document's".
int codepageForCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return -1; // 0 ANSI, 1 default, 2 symbol and the rest
    }
}

std::unique_ptr<QStringDecoder> decoderFor(int codepage)
{
    QList<QByteArray> names;
    switch (codepage) {
    case 932: names = {"windows-31j", "Shift_JIS", "CP932"}; break;
    case 936: names = {"GBK", "CP936"}; break;
    case 949: names = {"windows-949", "CP949", "EUC-KR"}; break;
    case 950: names = {"Big5", "CP950"}; break;
    case 10000: names = {"macintosh"}; break;
    case 437: names = {"IBM437", "CP437"}; break;
    case 850: names = {"IBM850", "CP850"}; break;
    case 65001: names = {"UTF-8"}; break;
    default:
        names = {QByteArray("windows-") + QByteArray::number(codepage), QByteArray("CP") + QByteArray::number(codepage)};
    }
    names.append("windows-1252");
    for (const QByteArray& name : names) {
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (decoder->isValid())
            return decoder;
    }
    return std::make_unique<QStringDecoder>(QStringConverter::Latin1, QStringConverter::Flag::Stateless);
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations whose content is never text.
bool isSkippedDestination(const QByteArray& word)
{
    static const char* const skipped[] = {
        "colortbl", "stylesheet", "info", "pict", "listtable", "listoverridetable", "revtbl", "rsidtbl",
        "generator", "xmlnstbl", "filetbl", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "footnote", "annotation", "object", "shp", "shppict",
        "nonshppict", "fldinst", "pntext", "pntxta", "pntxtb", "listtext", "themedata",
        "colorschememapping", "datastore", "latentstyles", "private", "userprops", "docvar"};
    for (const char* name : skipped)
        if (word == name)
            return true;
    return false;
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : d_(data) {}

    QString run(qsizetype start)
    {
        i_ = start;
        const qsizetype n = d_.size();
        while (i_ < n) {
            const char c = d_[i_++];
            if (c == '{') {
                skipFallback_ = 0;
                flushBytes();
                stack_.push_back(stack_.empty() ? Group{} : stack_.back());
            } else if (c == '}') {
                skipFallback_ = 0;
                flushBytes();
                if (!stack_.empty())
                    stack_.pop_back();
                if (stack_.empty())
                    break; // the document's group has ended
            } else if (c == '\\') {
                controlWord();
            } else if (c == '\r' || c == '\n') {
                // line ends of the file are not text
            } else if (!stack_.empty()) {
                byte(static_cast<unsigned char>(c));
            }
        }
        flushBytes();
        if (high_) {
            out_.append(QChar(0xFFFD));
            high_ = 0;
        }
        return out_;
    }

private:
    struct Group {
        int font = -1;
        int uc = 1;
        bool skip = false;
        bool fontTable = false;
    };

    Group& top() { return stack_.back(); }

    bool consumesFallback()
    {
        if (skipFallback_ > 0) {
            --skipFallback_;
            return true;
        }
        return false;
    }

    int currentCodepage() const
    {
        if (stack_.empty())
            return docCodepage_;
        const auto it = fontCodepage_.find(stack_.back().font);
        const int cp = it == fontCodepage_.end() ? -1 : it->second;
        return cp == -1 ? docCodepage_ : cp;
    }

    void byte(unsigned char b)
    {
        if (stack_.empty() || consumesFallback() || top().skip)
            return;
        const int cp = currentCodepage();
        if (!pending_.isEmpty() && cp != pendingCodepage_)
            flushBytes();
        pendingCodepage_ = cp;
        pending_.append(static_cast<char>(b));
    }

    void unit(char16_t u)
    {
        if (stack_.empty() || top().skip)
            return;
        flushBytes();
        appendUnit(u);
    }

    void appendUnit(char16_t u)
    {
        if (QChar::isHighSurrogate(u)) {
            if (high_)
                out_.append(QChar(0xFFFD));
            high_ = u;
            return;
        }
        if (QChar::isLowSurrogate(u)) {
            if (high_) {
                out_.append(QChar(high_));
                out_.append(QChar(u));
                high_ = 0;
            } else {
                out_.append(QChar(0xFFFD));
            }
            return;
        }
        if (high_) {
            out_.append(QChar(0xFFFD));
            high_ = 0;
        }
        out_.append(QChar(u));
    }

    void flushBytes()
    {
        if (pending_.isEmpty())
            return;
        auto it = decoders_.find(pendingCodepage_);
        if (it == decoders_.end())
            it = decoders_.emplace(pendingCodepage_, decoderFor(pendingCodepage_)).first;
        const QString text = it->second->decode(pending_);
        pending_.clear();
        for (QChar ch : text)
            appendUnit(ch.unicode());
    }

    void controlWord()
    {
        const qsizetype n = d_.size();
        if (i_ >= n)
            return;
        const char c = d_[i_];
        if (!isLetter(c)) {
            ++i_;
            controlSymbol(c);
            return;
        }
        const qsizetype start = i_;
        while (i_ < n && isLetter(d_[i_]) && i_ - start < 32)
            ++i_;
        const QByteArray word = d_.mid(start, i_ - start);
        bool hasArg = false;
        bool negative = false;
        long long arg = 0;
        if (i_ < n && d_[i_] == '-' && i_ + 1 < n && isDigit(d_[i_ + 1])) {
            negative = true;
            ++i_;
        }
        int digits = 0;
        while (i_ < n && isDigit(d_[i_])) {
            if (digits < 10)
                arg = arg * 10 + (d_[i_] - '0');
            ++digits;
            ++i_;
            hasArg = true;
        }
        if (negative)
            arg = -arg;
        if (i_ < n && d_[i_] == ' ')
            ++i_; // the delimiter belongs to the word
        word_(word, hasArg, arg);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': {
            const qsizetype n = d_.size();
            if (i_ + 1 >= n) {
                i_ = n; // cut off inside the escape
                return;
            }
            {
                const int hi = hexValue(d_[i_]);
                const int lo = hexValue(d_[i_ + 1]);
                if (hi >= 0 && lo >= 0) {
                    i_ += 2;
                    byte(static_cast<unsigned char>(hi * 16 + lo));
                    return;
                }
            }
            consumesFallback();
            return;
        }
        case '\\':
        case '{':
        case '}':
            byte(static_cast<unsigned char>(c));
            return;
        case '*':
            if (!stack_.empty())
                top().skip = true;
            return;
        case '\r':
        case '\n':
            if (!consumesFallback())
                unit(u'\n');
            return;
        case '~':
            if (!consumesFallback())
                unit(0x00A0);
            return;
        case '_':
            if (!consumesFallback())
                unit(0x2011);
            return;
        default:
            consumesFallback();
            return;
        }
    }

    void word_(const QByteArray& w, bool hasArg, long long arg)
    {
        if (w == "bin") {
            // Binary data: skipped whole, never past the end.
            const long long left = d_.size() - i_;
            if (hasArg && arg > 0)
                i_ += static_cast<qsizetype>(std::min(arg, left));
            consumesFallback();
            return;
        }
        if (stack_.empty())
            return;
        if (w == "u" && hasArg) {
            if (consumesFallback())
                return;
            const long long v = arg < 0 ? arg + 65536 : arg;
            unit(static_cast<char16_t>(v & 0xFFFF));
            skipFallback_ = top().uc;
            return;
        }
        if (consumesFallback())
            return;
        if (w == "uc") {
            top().uc = hasArg && arg > 0 ? static_cast<int>(std::min<long long>(arg, 1 << 20)) : 0;
        } else if (w == "fonttbl") {
            top().fontTable = true;
            top().skip = true;
        } else if (w == "f") {
            if (top().fontTable)
                fontDef_ = static_cast<int>(arg);
            else
                top().font = static_cast<int>(arg);
        } else if (w == "fcharset") {
            if (top().fontTable)
                fontCodepage_[fontDef_] = codepageForCharset(static_cast<int>(arg));
        } else if (w == "cpg") {
            if (top().fontTable && arg > 0)
                fontCodepage_[fontDef_] = static_cast<int>(arg);
        } else if (w == "deff") {
            if (!top().fontTable)
                top().font = static_cast<int>(arg);
        } else if (w == "ansicpg") {
            if (arg > 0)
                docCodepage_ = static_cast<int>(arg);
        } else if (w == "mac") {
            docCodepage_ = 10000;
        } else if (w == "pc") {
            docCodepage_ = 437;
        } else if (w == "pca") {
            docCodepage_ = 850;
        } else if (isSkippedDestination(w)) {
            top().skip = true;
        } else if (w == "par" || w == "line" || w == "row" || w == "cell" || w == "sect" || w == "page"
                   || w == "nestcell" || w == "nestrow") {
            unit(u'\n');
        } else if (w == "tab") {
            unit(u'\t');
        } else if (w == "emdash") {
            unit(0x2014);
        } else if (w == "endash") {
            unit(0x2013);
        } else if (w == "lquote") {
            unit(0x2018);
        } else if (w == "rquote") {
            unit(0x2019);
        } else if (w == "ldblquote") {
            unit(0x201C);
        } else if (w == "rdblquote") {
            unit(0x201D);
        } else if (w == "bullet") {
            unit(0x2022);
        } else if (w == "emspace") {
            unit(0x2003);
        } else if (w == "enspace") {
            unit(0x2002);
        }
    }

    const QByteArray& d_;
    qsizetype i_ = 0;
    QString out_;
    QByteArray pending_;
    int pendingCodepage_ = 1252;
    char16_t high_ = 0;
    int skipFallback_ = 0;
    int docCodepage_ = 1252;
    int fontDef_ = -1;
    std::vector<Group> stack_;
    std::unordered_map<int, int> fontCodepage_;
    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
};

} // namespace

std::optional<QString> rtfText(const QByteArray& rtf)
{
    qsizetype start = 0;
    while (start < rtf.size() && (rtf[start] == ' ' || rtf[start] == '\t' || rtf[start] == '\r'
                                  || rtf[start] == '\n'))
        ++start;
    if (!rtf.mid(start, 5).startsWith("{\\rtf"))
        return std::nullopt;
    return Reader(rtf).run(start);
}

} // namespace platform
