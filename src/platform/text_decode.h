#pragma once
// Text files of unknown encoding: a byte-order mark selects UTF-8, UTF-16 or
// UTF-32 (either byte order); without one the bytes must be valid UTF-8.
#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// The text of the bytes (the mark removed); none when they do not decode
// without error in the encoding chosen.
std::optional<QString> decodeText(const QByteArray& bytes);

} // namespace platform
