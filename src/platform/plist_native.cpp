#include "platform/plist_native.h"

namespace platform::native {

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
