#include "platform/text_decode.h"

#include <QStringDecoder>

namespace platform {

std::optional<QString> decodeText(const QByteArray& bytes)
{
    // encodingForData recognises only marks; anything else is taken as UTF-8.
    const auto encoding = QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace platform
