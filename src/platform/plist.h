#pragma once
// Property lists: an ordered value type (dictionaries keep insertion order),
// read from XML or binary data and written as either (binary through
// libplist).
//
//   platform::Plist root = platform::Plist::array();
//   root.append(platform::Plist::string(u"VELTCARDPROJECTHEADER"_s));
//   QString err;
//   platform::writePlistFile(path, root, platform::Plist::Format::Xml, &err);
//   std::optional<platform::Plist> back = platform::readPlistFile(path, &err);
//
// Reading a bad index, a missing key or a value of another type gives the
// absent value (or the getter's default); nothing throws.
#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

class QIODevice;

namespace platform {

class Plist {
public:
    enum class Type : quint8 { Absent, Bool, Integer, Real, String, Data, Date, Array, Dict, Uid };
    enum class Format { Xml, Binary };

    Plist() = default; // the absent value

    static Plist boolean(bool value);
    static Plist integer(qint64 value);
    static Plist real(double value);
    static Plist string(const QString& value);
    static Plist data(const QByteArray& value);
    static Plist date(const QDateTime& value);
    // A date as the formats store it: seconds since 2001-01-01 00:00 UTC.
    static Plist dateSinceReference(double seconds);
    static Plist uid(quint64 value);
    static Plist array();
    static Plist dict();

    Type type() const { return type_; }
    bool isAbsent() const { return type_ == Type::Absent; }
    bool isArray() const { return type_ == Type::Array; }
    bool isDict() const { return type_ == Type::Dict; }

    // Scalar getters: the value when the type matches, else the default.
    bool toBool(bool defaultValue = false) const;
    qint64 toInteger(qint64 defaultValue = 0) const;
    double toReal(double defaultValue = 0.0) const;
    QString toString(const QString& defaultValue = {}) const;
    QByteArray toData() const;
    QDateTime toDate() const; // UTC; invalid unless a date
    quint64 toUid(quint64 defaultValue = 0) const;

    // Number of elements of an array or entries of a dictionary; 0 otherwise.
    int size() const;
    // Room for n elements or entries, so that filling a large container
    // does not reallocate it again and again.
    void reserve(int n);

    // Arrays. at() gives the absent value for a bad index or a non-array.
    const Plist& at(int index) const;
    void append(const Plist& value); // ignored unless an array
    void append(Plist&& value);

    // Dictionaries, in insertion order. value() gives the absent value for a
    // missing key or a non-dictionary. insert() replaces an existing key in
    // place, else appends.
    const Plist& value(QStringView key) const;
    bool contains(QStringView key) const;
    void insert(const QString& key, const Plist& value);
    void insert(const QString& key, Plist&& value);
    bool remove(QStringView key);
    QString keyAt(int index) const;
    const Plist& valueAt(int index) const;

    bool operator==(const Plist& other) const;
    bool operator!=(const Plist& other) const { return !(*this == other); }

    // Serialisation. Empty result when the value (or anything inside it) is
    // absent, or nested deeper than the readers take. U+0000 in strings and
    // keys is dropped (readers of the binary format use C strings). In XML,
    // what XML 1.0 cannot carry (control characters, CR, U+FFFE, U+FFFF,
    // unpaired surrogates) is written as character references and read back.
    QByteArray toXml() const;
    QByteArray toBinary() const;
    QByteArray serialize(Format format) const;

    // Parses XML or binary data (detected from the first bytes). Empty,
    // truncated, malformed or over-large data gives nullopt and an error text.
    // Safe on untrusted bytes: nesting is limited, shared binary objects are
    // expanded within a budget proportional to the input, and dates and
    // numbers are range-checked.
    static std::optional<Plist> fromData(const QByteArray& bytes, QString* error = nullptr);

private:
    friend struct PlistAccess;
    friend struct PlistReading;
    Type type_ = Type::Absent;
    union {
        bool b;
        qint64 i;
        double r; // also a date: seconds since 2001-01-01 00:00 UTC
        quint64 u;
    } scalar_ {};
    QString string_;
    QByteArray data_;
    std::vector<Plist> items_;  // array elements or dictionary values
    std::vector<QString> keys_; // dictionary keys, parallel to items_
};

// Writes XML property-list text as the values come, in the layout of
// Plist::toXml, so that a large list need not be built as values first.
// Values go into the open container; in a dictionary each value follows its
// key(). With a device the text goes out in chunks as it grows; without one
// it collects in bytes().
//
//   platform::PlistXmlWriter out(&file);
//   out.beginArray();
//   out.string(u"VELTCARDPROJECTHEADER");
//   out.beginDict();
//   out.key(u"Column1");
//   out.string(u"text");
//   out.end();
//   out.end();
//   const bool written = out.finish();
class PlistXmlWriter {
public:
    explicit PlistXmlWriter(QIODevice* device = nullptr);

    void beginArray();
    void beginDict();
    void end(); // closes the innermost open array or dictionary
    void key(QStringView key);
    void string(QStringView text);
    void data(QByteArrayView bytes);
    void value(const Plist& value); // a whole value of any type

    // Values completed so far inside the outermost container.
    int rootCount() const { return rootCount_; }
    // Ends the document and sends what is left to the device. False when a
    // value was absent or nested deeper than the readers take, a container
    // is left open, a key is missing or misplaced, or the device refused
    // bytes.
    bool finish();
    // The text (without a device), complete after a successful finish().
    const QByteArray& bytes() const { return out_; }

private:
    struct Level {
        bool isArray;
        bool opened;   // its start tag is complete (it has a value)
        bool keyed;    // a dictionary's key is waiting for its value
    };
    bool place();      // starts a value at the current place; false: refused
    void done();       // a value has been completed at the current place
    void begin(bool isArray);
    void drain();
    void indent(qsizetype depth);
    void text(QStringView text);
    void reference(uint code);
    void utf8(uint code);
    void real(double r);
    void date(double seconds);

    QIODevice* device_;
    QByteArray out_;
    std::vector<Level> levels_;
    int rootCount_ = 0;
    bool failed_ = false;
    bool written_ = false; // the document's value is complete
};

// Largest property list read: 256 MB, far above any design (400 graphics,
// barcode pictures among them, and a 10,000-row binding table take 4.5 MB),
// settings file or clipboard content, so that reading one holds at most
// about twice its size plus a little.
inline constexpr qint64 kMaxPlistBytes = qint64(256) << 20;
// The refusal of anything larger.
QString tooLargePlist();

// Writes atomically (the old file stays as it was on any failure).
bool writePlistFile(const QString& path, const Plist& value, Plist::Format format, QString* error = nullptr);
std::optional<Plist> readPlistFile(const QString& path, QString* error = nullptr);

} // namespace platform
