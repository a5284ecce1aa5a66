#pragma once
// The character encoding of an XML document, checked before any XML reader
// sees it. The program reads XML only in UTF-8 and, where a format allows
// it, UTF-16 with a byte-order mark; general XML readers would honour any
// encoding a document declares (EBCDIC, UTF-32, legacy code pages) and
// read the rest of it in that encoding, past checks made on its bytes.
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

enum class XmlEncoding { Utf8, Utf16LE, Utf16BE };

// How much of a document's start xmlEncoding looks at, at most: the
// byte-order mark and the XML declaration.
inline constexpr qsizetype kXmlEncodingHead = 1024;

// The encoding of the document starting with `head`, as its byte-order mark
// gives it, or UTF-8 without one; nullopt, with `reason` set, when the
// document is in another encoding: UTF-16 without a mark (or with one and
// `utf16` false), UTF-32, EBCDIC, or a declared encoding other than UTF-8
// (UTF-16 for a document with a UTF-16 mark).
std::optional<XmlEncoding> xmlEncoding(QByteArrayView head, bool utf16, QString* reason);

} // namespace platform
