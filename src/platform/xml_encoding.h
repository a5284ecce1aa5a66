#pragma once
// The character encoding of an XML document, settled before any XML reader
// sees it, and the decoding of the document into text by the program.
// General XML readers honour whatever encoding a document declares (EBCDIC,
// UTF-32, legacy code pages), and some take the last of two declarations
// where a check took the first: here the declaration is read strictly as
// XML 1.0 defines it, the encoding chosen once, and a reader is handed the
// decoded text (or told the encoding, so that it never reads its own).
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

// What documents are read in: UTF-8 (also spelled "UTF8"), UTF-16 with a
// byte-order mark, and the single-byte family other readers take: US-ASCII,
// ISO-8859-1 with its usual aliases, and windows-1252.
enum class XmlEncoding { Utf8, Utf16LE, Utf16BE, Ascii, Latin1, Windows1252 };

// How much of a document's start xmlEncoding looks at, at most: the
// byte-order mark and the XML declaration.
inline constexpr qsizetype kXmlEncodingHead = 1024;

// The encoding of the document starting with `head`. Nullopt, with `reason`
// set (a phrase such as 'text written in EBCDIC ("IBM037"), not in UTF-8,
// UTF-16 or Latin-1'), for a document in an encoding not read, a byte-order
// mark the declaration contradicts, or an XML declaration that is not
// exactly "version, then optionally encoding, then optionally standalone",
// each once.
std::optional<XmlEncoding> xmlEncoding(QByteArrayView head, QString* reason);

// The character windows-1252 gives a byte (0x80-0x9F as that code page maps
// them, every other byte as in Latin-1); nullopt for the five bytes it
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), which other readers
// refuse too, and the reason of that refusal.
std::optional<char16_t> windows1252(unsigned char byte);
QString undefinedWindows1252(unsigned char byte);

// Decodes a document piece by piece into text, the byte-order mark left
// out. Pieces may cut a character anywhere.
class XmlTextDecoder {
public:
    explicit XmlTextDecoder(XmlEncoding encoding) : encoding_(encoding) {}

    // Appends the text of the next bytes to `out`; false, with `reason` set,
    // at bytes the encoding does not allow. `last`: no more bytes follow
    // (a character cut at the end is then refused).
    bool decode(QByteArrayView bytes, QString& out, bool last, QString* reason);

private:
    XmlEncoding encoding_;
    bool started_ = false;
    QByteArray carry_; // the start of a character cut by the last piece
};

} // namespace platform
