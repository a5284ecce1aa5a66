#pragma once
// Keyed archives: one object's named fields as a binary property list in the
// public keyed-archive shape ("$archiver", "$top" -> "root", "$objects" with
// "$null" at index 0, "$class" references to {"$classname", "$classes"}).
//
// Writing (entries are stored in the order of the calls):
//
//   platform::KeyedArchiver out(u"QBXText"_s, {u"QBXGraphic"_s, u"NSObject"_s});
//   out.encodeRect("_bounds", graphic->_bounds);
//   out.encodeBool("ctrl_is_locked", graphic->ctrl_is_locked);
//   out.encodeFloat("_strokeWidth", float(graphic->_strokeWidth));
//   out.encodeInt32("data_source_type", graphic->data_source_type);
//   out.encodeString("_file_path", graphic->_file_path);   // null QString -> no object
//   out.encodeColor("_fillColor", graphic->_fillColor);     // invalid colour -> no object
//   out.encodeFont("text_ctrl_font", graphic->text_ctrl_font);
//   out.encodeImage("_barcode_image", graphic->_barcode_image); // null image -> no object
//   out.beginObject("_Text_contents", u"NSTextStorage"_s);  // a nested object ...
//   out.encodeString("NSString", text);
//   out.endObject();                                         // ... until here
//   QByteArray bytes = out.finish();
//
// Reading (a missing key, or an entry of another type, gives nullopt; the
// caller decides what "missing" means, usually 0, NO or no object):
//
//   QString error;
//   auto in = platform::KeyedUnarchiver::open(bytes, &error); // nullopt: not an archive
//   if (in && in->className() == u"QBXText") {
//       QRectF bounds = in->decodeRect("_bounds").value_or(QRectF());
//       bool locked = in->decodeBool("ctrl_is_locked").value_or(false);
//       std::optional<QColor> fill = in->decodeColor("_fillColor");
//       if (auto text = in->decodeObject("_Text_contents")) { ... text->className() ... }
//   }
//
// Encodings inside object entries: a string is a plain string; a colour is
// an "NSColor" object with the real entries "NSRed", "NSGreen", "NSBlue",
// "NSAlpha" (exact); a font is an "NSFont" object with its requested family
// verbatim ("NSName"), point size ("NSSize", or "NSPixelSize"), "NSWeight",
// "NSItalic", "NSUnderline", "NSStrikeOut"; a picture is an "NSImage"
// object holding the picture's stored bytes ("NSPNG": PNG for pictures made
// in memory, else the bytes it came with, their kind judged by content);
// data is a plain data item.
#include "platform/stored_picture.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>
#include <optional>
#include <vector>

namespace platform {

class KeyedArchiver {
public:
    // className names the root object; classChain its superclasses, nearest
    // first (stored in "$classes" after the class itself).
    explicit KeyedArchiver(const QString& className, const QStringList& classChain = {});
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    // Keys are UTF-8 text; write each key once per object.
    void encodeRect(const char* key, const QRectF& rect); // "{{x, y}, {w, h}}"
    void encodeBool(const char* key, bool value);
    void encodeInt32(const char* key, qint32 value);
    void encodeFloat(const char* key, float value);

    void encodeString(const char* key, const QString& value); // null QString: no object
    void encodeColor(const char* key, const QColor& value);   // invalid: no object
    void encodeFont(const char* key, const std::optional<QFont>& value);
    void encodeImage(const char* key, const StoredPicture& value); // null: no object
    void encodeData(const char* key, const QByteArray& value);
    void encodeNull(const char* key);

    // Opens a nested object stored under key in the current object; entries
    // go into it until the matching endObject().
    void beginObject(const char* key, const QString& className, const QStringList& classChain = {});
    void endObject();

    // The archive as a binary property list. The archiver is spent afterwards.
    QByteArray finish();

private:
    friend QByteArray archiveColor(const QColor&);
    friend QByteArray archiveFont(const QFont&);
    struct State;
    std::unique_ptr<State> d;
};

class KeyedUnarchiver {
public:
    // Nullopt with an error text when the data is not a keyed archive
    // (unreadable, no "$objects", no root object or no root class name).
    static std::optional<KeyedUnarchiver> open(const QByteArray& data, QString* error = nullptr);

    KeyedUnarchiver(const KeyedUnarchiver&);
    KeyedUnarchiver(KeyedUnarchiver&&) noexcept;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&);
    KeyedUnarchiver& operator=(KeyedUnarchiver&&) noexcept;
    ~KeyedUnarchiver();

    QString className() const;   // "$classname" of this object
    QStringList classChain() const; // "$classes": the class, then its superclasses
    bool containsKey(const char* key) const;
    QStringList keys() const;    // in stored order

    std::optional<QRectF> decodeRect(const char* key) const;
    std::optional<bool> decodeBool(const char* key) const;
    std::optional<qint32> decodeInt32(const char* key) const; // out of range: nullopt
    std::optional<float> decodeFloat(const char* key) const;  // nearest float

    std::optional<QString> decodeString(const char* key) const;
    std::optional<QColor> decodeColor(const char* key) const;
    std::optional<QFont> decodeFont(const char* key) const;
    std::optional<StoredPicture> decodeImage(const char* key) const; // header read, pixels on demand
    std::optional<QByteArray> decodeData(const char* key) const;
    // A nested object (any class); nullopt for the null reference too.
    std::optional<KeyedUnarchiver> decodeObject(const char* key) const;

private:
    friend std::optional<QColor> unarchiveColor(const QByteArray&);
    friend std::optional<QFont> unarchiveFont(const QByteArray&);
    struct Document;
    KeyedUnarchiver(std::shared_ptr<Document> doc, uint64_t object);
    uint64_t entry(const char* key) const;     // the entry's value object
    uint64_t objectFor(const char* key) const; // the object an entry refers to
    std::optional<QString> decodeStringEntry(const char* key) const;
    // This object read as a colour, font or picture.
    std::optional<QColor> asColor() const;
    std::optional<QFont> asFont() const;
    std::optional<StoredPicture> asImage() const;

    std::shared_ptr<Document> doc_;
    uint64_t object_ = 0;                                // this object's dictionary
    std::vector<std::pair<uint64_t, uint64_t>> entries_; // its keys and values, in stored order
    mutable size_t cursor_ = 0;                          // reads usually follow the stored order
};

// One colour or font as an archive of its own (the design log's items).
QByteArray archiveColor(const QColor& color);
std::optional<QColor> unarchiveColor(const QByteArray& data);
QByteArray archiveFont(const QFont& font);
std::optional<QFont> unarchiveFont(const QByteArray& data);

} // namespace platform
