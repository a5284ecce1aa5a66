#pragma once
// The plain text of an RTF document: what a reader sees, one line per
// paragraph, line break, table cell or row. Formatting, font and colour
// tables, document information, pictures, binary data and ignorable
// destinations contribute nothing. 8-bit characters (\'hh and raw bytes) are
// decoded in the code page of the current font's character set, or the
// document's \ansicpg (1252 when none); \uN gives UTF-16 units (surrogate
// pairs joined, a lone half becomes U+FFFD) and skips its \ucN fallback.
//
// Damaged input never reads past its end: an unbalanced or truncated
// document gives the text up to where it ends.
#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// None when the bytes do not start (after white space) with "{\rtf".
std::optional<QString> rtfText(const QByteArray& rtf);

} // namespace platform
