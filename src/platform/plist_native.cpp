#include "platform/plist_native.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace platform::native {
namespace {

// Runs the libplist XML writer in the C numeric locale on this thread only,
// so a comma-decimal process locale never reaches the numbers it prints.
class CNumericScope {
public:
    CNumericScope()
    {
        thread_local locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
        if (cLocale)
            previous_ = uselocale(cLocale);
    }
    ~CNumericScope()
    {
        if (previous_)
            uselocale(previous_);
    }
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t previous_ = nullptr;
};

bool needsReference(unsigned char c)
{
    return c < 0x20 && c != '\t' && c != '\n';
}

// The libplist XML writer copies control characters and CR raw into the
// text; XML readers drop or refuse them. The layout only uses tabs and
// newlines, so every other control byte belongs to a string or key.
QByteArray referenceControls(const char* text, qsizetype length)
{
    qsizetype extra = 0;
    for (qsizetype i = 0; i < length; ++i)
        if (needsReference(static_cast<unsigned char>(text[i])))
            extra += 6;
    if (extra == 0)
        return QByteArray(text, length);
    QByteArray out;
    out.reserve(length + extra);
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!needsReference(c)) {
            out.append(char(c));
        } else if (c == '\r') {
            out.append("&#13;");
        } else {
            out.append("&#x");
            out.append(QByteArray::number(int(c), 16));
            out.append(';');
        }
    }
    return out;
}

} // namespace

QByteArray toXml(plist_t node)
{
    if (!node)
        return {};
    CNumericScope scope;
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &out, &length);
    if (!out)
        return {};
    QByteArray result = referenceControls(out, length);
    plist_to_xml_free(out);
    return result;
}

QByteArray toBinary(plist_t node)
{
    if (!node)
        return {};
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &out, &length);
    if (!out)
        return {};
    QByteArray result(out, length);
    plist_to_bin_free(out);
    return result;
}

QByteArray cString(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.contains('\0'))
        utf8.replace(QByteArrayView("\0", 1), QByteArrayView());
    return utf8;
}

} // namespace platform::native
