#include "platform/plist.h"
#include "platform/files.h"
#include "platform/plist_native.h"
#include "platform/plist_reader.h"

#include <QFile>
#include <QTimeZone>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace platform {
namespace {

const Plist& absentValue()
{
    static const Plist absent;
    return absent;
}

// Plist dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// The formats store a date in whole seconds of 32 bits plus microseconds:
// dates outside that range (or not a number) are written as the nearest one
// they can hold.
int32_t storedDate(double seconds, int32_t* usec)
{
    seconds = std::isfinite(seconds) ? seconds : 0.0;
    seconds = std::clamp(seconds, double(INT32_MIN), double(INT32_MAX));
    double whole = std::floor(seconds);
    *usec = static_cast<int32_t>(std::llround((seconds - whole) * 1e6));
    if (*usec >= 1000000) {
        *usec = whole < double(INT32_MAX) ? 0 : 999999;
        whole = std::min(whole + 1.0, double(INT32_MAX));
    }
    return static_cast<int32_t>(whole);
}

} // namespace

// Conversion between our values and libplist nodes.
struct PlistAccess {
    static double dateSeconds(const Plist& v) { return v.scalar_.r; }
    static const QString& text(const Plist& v) { return v.string_; }
    static const QByteArray& bytes(const Plist& v) { return v.data_; }
    static const std::vector<Plist>& items(const Plist& v) { return v.items_; }
    static const std::vector<QString>& keys(const Plist& v) { return v.keys_; }

    static plist_t toNode(const Plist& v)
    {
        switch (v.type_) {
        case Plist::Type::Absent:
            return nullptr;
        case Plist::Type::Bool:
            return plist_new_bool(v.scalar_.b ? 1 : 0);
        case Plist::Type::Integer:
            return plist_new_uint(static_cast<uint64_t>(v.scalar_.i));
        case Plist::Type::Real:
            return plist_new_real(v.scalar_.r);
        case Plist::Type::String:
            return plist_new_string(native::cString(v.string_).constData());
        case Plist::Type::Data:
            return plist_new_data(v.data_.constData(), uint64_t(v.data_.size()));
        case Plist::Type::Date: {
            int32_t usec = 0;
            const int32_t whole = storedDate(v.scalar_.r, &usec);
            return plist_new_date(whole, usec);
        }
        case Plist::Type::Uid:
            return plist_new_uid(v.scalar_.u);
        case Plist::Type::Array: {
            plist_t node = plist_new_array();
            for (const Plist& item : v.items_) {
                plist_t child = toNode(item);
                if (!child) {
                    plist_free(node);
                    return nullptr;
                }
                plist_array_append_item(node, child);
            }
            return node;
        }
        case Plist::Type::Dict: {
            plist_t node = plist_new_dict();
            for (size_t i = 0; i < v.items_.size(); ++i) {
                plist_t child = toNode(v.items_[i]);
                if (!child) {
                    plist_free(node);
                    return nullptr;
                }
                plist_dict_set_item(node, native::cString(v.keys_[i]).constData(), child);
            }
            return node;
        }
        }
        return nullptr;
    }
};

namespace {

// The XML writer. The layout is the one property-list files have always had
// here: a tab per level, "<array/>" and "<dict/>" when empty, data in base64
// lines of 76 - 8 x level characters (indented and narrowed for eight levels
// at most), reals in 17 significant digits ("0.0", "nan", "+infinity" and
// "-infinity" spelled out), dates to the second in UTC.
//
// XML 1.0 cannot carry control characters other than tab and LF, CR as
// itself (readers turn it into LF), U+FFFE, U+FFFF or unpaired surrogates:
// those are written as character references ("&#x1;", "&#13;", "&#xfffe;",
// "&#xd800;"), which the reader maps back. U+0000 is dropped, as the binary
// writers do.
class PlistXmlWriter {
public:
    // False when a value is absent or nested deeper than a reader accepts.
    bool value(const Plist& v, int depth);
    QByteArray out;

private:
    void indent(int depth)
    {
        static const char tabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
        for (; depth > 16; depth -= 16)
            out.append(tabs, 16);
        out.append(tabs, depth);
    }
    void number(qint64 n)
    {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
        out.append(buffer, end - buffer);
    }
    void unsignedNumber(quint64 n)
    {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
        out.append(buffer, end - buffer);
    }
    static bool isPlain(char16_t c) { return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>'; }
    void real(double r);
    void date(double seconds);
    void text(const QString& text);
    void data(const QByteArray& bytes, int depth);
    void reference(uint code)
    {
        out.append(code == '\r' ? QByteArrayView("&#13;") : QByteArrayView("&#x"));
        if (code == '\r')
            return;
        char buffer[8];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, code, 16).ptr;
        out.append(buffer, end - buffer).append(';');
    }
    void utf8(uint code)
    {
        if (code < 0x800) {
            out.append(char(0xC0 | (code >> 6))).append(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.append(char(0xE0 | (code >> 12))).append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        } else {
            out.append(char(0xF0 | (code >> 18))).append(char(0x80 | ((code >> 12) & 0x3F)));
            out.append(char(0x80 | ((code >> 6) & 0x3F))).append(char(0x80 | (code & 0x3F)));
        }
    }
};

void PlistXmlWriter::real(double r)
{
    if (std::isnan(r)) {
        out.append("nan");
    } else if (std::isinf(r)) {
        out.append(r > 0 ? "+infinity" : "-infinity");
    } else if (r == 0.0) {
        out.append("0.0");
    } else {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, r, std::chars_format::general, 17).ptr;
        out.append(buffer, end - buffer);
    }
}

void PlistXmlWriter::date(double seconds)
{
    int32_t usec = 0;
    const QDateTime when = referenceDate().addSecs(storedDate(seconds, &usec));
    out.append(when.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1());
}

void PlistXmlWriter::text(const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (isPlain(c)) {
            // A run of ASCII that needs no escape, copied at once.
            qsizetype end = i + 1;
            while (end < n && isPlain(p[end]))
                ++end;
            const qsizetype at = out.size();
            out.resize(at + (end - i));
            char* to = out.data() + at;
            for (; i < end; ++i)
                *to++ = char(p[i]);
            --i;
        } else if (c == '&') {
            out.append("&amp;");
        } else if (c == '<') {
            out.append("&lt;");
        } else if (c == '>') {
            out.append("&gt;");
        } else if (c < 0x20) {
            if (c == '\t' || c == '\n')
                out.append(char(c));
            else if (c != 0)
                reference(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            utf8(QChar::surrogateToUcs4(c, p[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(c) || c >= 0xFFFE) {
            reference(c);
        } else {
            utf8(c);
        }
    }
}

void PlistXmlWriter::data(const QByteArray& bytes, int depth)
{
    const QByteArray base64 = bytes.toBase64();
    const int level = std::min(depth, 8);
    const qsizetype width = 76 - 8 * level;
    for (qsizetype at = 0; at < base64.size(); at += width) {
        indent(level);
        out.append(base64.constData() + at, std::min(width, base64.size() - at)).append('\n');
    }
}

bool PlistXmlWriter::value(const Plist& v, int depth)
{
    if (depth > kMaxPlistDepth)
        return false;
    indent(depth);
    switch (v.type()) {
    case Plist::Type::Absent:
        return false;
    case Plist::Type::Bool:
        out.append(v.toBool() ? "<true/>\n" : "<false/>\n");
        return true;
    case Plist::Type::Integer:
        out.append("<integer>");
        number(v.toInteger());
        out.append("</integer>\n");
        return true;
    case Plist::Type::Real:
        out.append("<real>");
        real(v.toReal());
        out.append("</real>\n");
        return true;
    case Plist::Type::Date:
        out.append("<date>");
        date(PlistAccess::dateSeconds(v));
        out.append("</date>\n");
        return true;
    case Plist::Type::String:
        out.append("<string>");
        text(PlistAccess::text(v));
        out.append("</string>\n");
        return true;
    case Plist::Type::Data:
        out.append("<data>\n");
        data(PlistAccess::bytes(v), depth);
        indent(depth);
        out.append("</data>\n");
        return true;
    case Plist::Type::Uid:
        out.append("<dict>\n");
        indent(depth + 1);
        out.append("<key>CF$UID</key>\n");
        indent(depth + 1);
        out.append("<integer>");
        unsignedNumber(v.toUid());
        out.append("</integer>\n");
        indent(depth);
        out.append("</dict>\n");
        return true;
    case Plist::Type::Array:
    case Plist::Type::Dict:
        break;
    }
    const bool isArray = v.isArray();
    if (v.size() == 0) {
        out.append(isArray ? "<array/>\n" : "<dict/>\n");
        return true;
    }
    out.append(isArray ? "<array>\n" : "<dict>\n");
    const std::vector<Plist>& items = PlistAccess::items(v);
    for (size_t i = 0; i < items.size(); ++i) {
        if (!isArray) {
            indent(depth + 1);
            out.append("<key>");
            text(PlistAccess::keys(v)[i]);
            out.append("</key>\n");
        }
        if (!value(items[i], depth + 1))
            return false;
    }
    indent(depth);
    out.append(isArray ? "</array>\n" : "</dict>\n");
    return true;
}

} // namespace

Plist Plist::boolean(bool value)
{
    Plist v;
    v.type_ = Type::Bool;
    v.scalar_.b = value;
    return v;
}

Plist Plist::integer(qint64 value)
{
    Plist v;
    v.type_ = Type::Integer;
    v.scalar_.i = value;
    return v;
}

Plist Plist::real(double value)
{
    Plist v;
    v.type_ = Type::Real;
    v.scalar_.r = value;
    return v;
}

Plist Plist::string(const QString& value)
{
    Plist v;
    v.type_ = Type::String;
    v.string_ = value;
    return v;
}

Plist Plist::data(const QByteArray& value)
{
    Plist v;
    v.type_ = Type::Data;
    v.data_ = value;
    return v;
}

Plist Plist::date(const QDateTime& value)
{
    Plist v;
    v.type_ = Type::Date;
    v.scalar_.r = double(referenceDate().msecsTo(value)) / 1000.0;
    return v;
}

Plist Plist::dateSinceReference(double seconds)
{
    Plist v;
    v.type_ = Type::Date;
    v.scalar_.r = seconds;
    return v;
}

Plist Plist::uid(quint64 value)
{
    Plist v;
    v.type_ = Type::Uid;
    v.scalar_.u = value;
    return v;
}

Plist Plist::array()
{
    Plist v;
    v.type_ = Type::Array;
    return v;
}

Plist Plist::dict()
{
    Plist v;
    v.type_ = Type::Dict;
    return v;
}

bool Plist::toBool(bool defaultValue) const
{
    return type_ == Type::Bool ? scalar_.b : defaultValue;
}

qint64 Plist::toInteger(qint64 defaultValue) const
{
    return type_ == Type::Integer ? scalar_.i : defaultValue;
}

double Plist::toReal(double defaultValue) const
{
    return type_ == Type::Real ? scalar_.r : defaultValue;
}

QString Plist::toString(const QString& defaultValue) const
{
    return type_ == Type::String ? string_ : defaultValue;
}

QByteArray Plist::toData() const
{
    return type_ == Type::Data ? data_ : QByteArray();
}

QDateTime Plist::toDate() const
{
    // Beyond a few million years (or not a number) there is no such date.
    if (type_ != Type::Date || !std::isfinite(scalar_.r) || std::abs(scalar_.r) > 1e14)
        return {};
    return referenceDate().addMSecs(qint64(std::llround(scalar_.r * 1000.0)));
}

quint64 Plist::toUid(quint64 defaultValue) const
{
    return type_ == Type::Uid ? scalar_.u : defaultValue;
}

void Plist::reserve(int n)
{
    if (type_ != Type::Array && type_ != Type::Dict)
        return;
    items_.reserve(size_t(std::max(n, 0)));
    if (type_ == Type::Dict)
        keys_.reserve(size_t(std::max(n, 0)));
}

int Plist::size() const
{
    return (type_ == Type::Array || type_ == Type::Dict) ? int(items_.size()) : 0;
}

const Plist& Plist::at(int index) const
{
    if (type_ != Type::Array || index < 0 || size_t(index) >= items_.size())
        return absentValue();
    return items_[size_t(index)];
}

void Plist::append(const Plist& value)
{
    if (type_ == Type::Array)
        items_.push_back(value);
}

void Plist::append(Plist&& value)
{
    if (type_ == Type::Array)
        items_.push_back(std::move(value));
}

const Plist& Plist::value(QStringView key) const
{
    if (type_ == Type::Dict)
        for (size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] == key)
                return items_[i];
    return absentValue();
}

bool Plist::contains(QStringView key) const
{
    if (type_ == Type::Dict)
        for (const QString& k : keys_)
            if (k == key)
                return true;
    return false;
}

void Plist::insert(const QString& key, const Plist& value)
{
    insert(key, Plist(value));
}

void Plist::insert(const QString& key, Plist&& value)
{
    if (type_ != Type::Dict)
        return;
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) {
            items_[i] = std::move(value);
            return;
        }
    keys_.push_back(key);
    items_.push_back(std::move(value));
}

bool Plist::remove(QStringView key)
{
    if (type_ != Type::Dict)
        return false;
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) {
            keys_.erase(keys_.begin() + qsizetype(i));
            items_.erase(items_.begin() + qsizetype(i));
            return true;
        }
    return false;
}

QString Plist::keyAt(int index) const
{
    if (type_ != Type::Dict || index < 0 || size_t(index) >= keys_.size())
        return {};
    return keys_[size_t(index)];
}

const Plist& Plist::valueAt(int index) const
{
    if (type_ != Type::Dict || index < 0 || size_t(index) >= items_.size())
        return absentValue();
    return items_[size_t(index)];
}

bool Plist::operator==(const Plist& other) const
{
    if (type_ != other.type_)
        return false;
    switch (type_) {
    case Type::Absent:
        return true;
    case Type::Bool:
        return scalar_.b == other.scalar_.b;
    case Type::Integer:
        return scalar_.i == other.scalar_.i;
    case Type::Real:
    case Type::Date:
        return scalar_.r == other.scalar_.r;
    case Type::Uid:
        return scalar_.u == other.scalar_.u;
    case Type::String:
        return string_ == other.string_;
    case Type::Data:
        return data_ == other.data_;
    case Type::Array:
    case Type::Dict:
        return keys_ == other.keys_ && items_ == other.items_;
    }
    return false;
}

QByteArray Plist::toXml() const
{
    PlistXmlWriter writer;
    writer.out.reserve(4096);
    writer.out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n");
    if (!writer.value(*this, 0))
        return {};
    writer.out.append("</plist>\n");
    return writer.out;
}

QByteArray Plist::toBinary() const
{
    native::Node node(PlistAccess::toNode(*this));
    return native::toBinary(node.get());
}

QByteArray Plist::serialize(Format format) const
{
    return format == Format::Xml ? toXml() : toBinary();
}

std::optional<Plist> Plist::fromData(const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<Plist> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("empty property-list data"));
    if (bytes.size() > kMaxPlistBytes)
        return fail(QStringLiteral("property-list data larger than 1 GiB"));
    QString why;
    std::optional<Plist> value = bytes.startsWith("bplist0") ? readBinaryPlist(bytes, &why) : readXmlPlist(bytes, &why);
    if (!value)
        return fail(why);
    return value;
}

bool writePlistFile(const QString& path, const Plist& value, Plist::Format format, QString* error)
{
    const QByteArray bytes = value.serialize(format);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("the value holds an absent element or is nested too deeply");
        return false;
    }
    return writeFileAtomically(path, bytes, WriteMode::Default, error);
}

std::optional<Plist> readPlistFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > kMaxPlistBytes) {
        if (error)
            *error = QStringLiteral("property-list file larger than 1 GiB");
        return std::nullopt;
    }
    return Plist::fromData(file.readAll(), error);
}

} // namespace platform
