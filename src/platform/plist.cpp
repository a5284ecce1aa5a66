#include "platform/plist.h"
#include "platform/files.h"
#include "platform/plist_native.h"
#include "platform/plist_reader.h"

#include <QFile>
#include <QIODevice>
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
namespace {

// Text sent to a device in pieces of about this size.
constexpr qsizetype kChunkBytes = 64 * 1024;

bool isPlain(char16_t c)
{
    return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>';
}

} // namespace

PlistXmlWriter::PlistXmlWriter(QIODevice* device)
    : device_(device)
{
    out_.reserve(device ? kChunkBytes + 4096 : 4096);
    out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                "<plist version=\"1.0\">\n");
}

void PlistXmlWriter::indent(qsizetype depth)
{
    static const char tabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    for (; depth > 16; depth -= 16)
        out_.append(tabs, 16);
    out_.append(tabs, depth);
}

bool PlistXmlWriter::place()
{
    if (failed_)
        return false;
    if (levels_.empty()) {
        failed_ = written_; // one value per document
    } else {
        Level& top = levels_.back();
        if (!top.isArray && !top.keyed) {
            failed_ = true; // a dictionary value needs its key first
        } else if (!top.opened) {
            out_.append(">\n");
            top.opened = true;
        }
    }
    failed_ = failed_ || levels_.size() > size_t(kMaxPlistDepth);
    if (failed_)
        return false;
    indent(qsizetype(levels_.size()));
    return true;
}

void PlistXmlWriter::done()
{
    if (levels_.empty()) {
        written_ = true;
        return;
    }
    levels_.back().keyed = false;
    if (levels_.size() == 1)
        ++rootCount_;
    if (device_ && out_.size() >= kChunkBytes)
        drain();
}

void PlistXmlWriter::drain()
{
    if (!failed_ && device_->write(out_) != out_.size())
        failed_ = true;
    out_.resize(0); // keeps the room for the next piece
}

void PlistXmlWriter::begin(bool isArray)
{
    if (!place())
        return;
    out_.append(isArray ? "<array" : "<dict");
    levels_.push_back(Level{isArray, false, false});
}

void PlistXmlWriter::beginArray()
{
    begin(true);
}

void PlistXmlWriter::beginDict()
{
    begin(false);
}

void PlistXmlWriter::end()
{
    if (failed_)
        return;
    if (levels_.empty() || levels_.back().keyed) {
        failed_ = true;
        return;
    }
    const Level top = levels_.back();
    levels_.pop_back();
    if (top.opened) {
        indent(qsizetype(levels_.size()));
        out_.append(top.isArray ? "</array>\n" : "</dict>\n");
    } else {
        out_.append("/>\n");
    }
    done();
}

void PlistXmlWriter::key(QStringView key)
{
    if (failed_)
        return;
    if (levels_.empty() || levels_.back().isArray || levels_.back().keyed) {
        failed_ = true;
        return;
    }
    Level& top = levels_.back();
    if (!top.opened) {
        out_.append(">\n");
        top.opened = true;
    }
    indent(qsizetype(levels_.size()));
    out_.append("<key>");
    text(key);
    out_.append("</key>\n");
    top.keyed = true;
}

void PlistXmlWriter::string(QStringView value)
{
    if (!place())
        return;
    out_.append("<string>");
    text(value);
    out_.append("</string>\n");
    done();
}

void PlistXmlWriter::data(QByteArrayView bytes)
{
    if (!place())
        return;
    out_.append("<data>\n");
    // Base64 straight into the text, a line at a time: the line widths are
    // multiples of four, so every line but the last takes whole groups of
    // three bytes.
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const qsizetype depth = qsizetype(levels_.size());
    const qsizetype level = std::min<qsizetype>(depth, 8);
    const qsizetype perLine = (76 - 8 * level) / 4 * 3;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype at = 0; at < bytes.size(); at += perLine) {
        const qsizetype n = std::min(perLine, bytes.size() - at);
        indent(level);
        const qsizetype to = out_.size();
        out_.resize(to + (n + 2) / 3 * 4 + 1);
        char* p = out_.data() + to;
        const unsigned char* in = from + at;
        qsizetype i = 0;
        for (; i + 3 <= n; i += 3, p += 4) {
            const uint v = uint(in[i]) << 16 | uint(in[i + 1]) << 8 | in[i + 2];
            p[0] = alphabet[v >> 18];
            p[1] = alphabet[(v >> 12) & 63];
            p[2] = alphabet[(v >> 6) & 63];
            p[3] = alphabet[v & 63];
        }
        if (i < n) {
            const uint v = uint(in[i]) << 16 | (i + 1 < n ? uint(in[i + 1]) << 8 : 0u);
            p[0] = alphabet[v >> 18];
            p[1] = alphabet[(v >> 12) & 63];
            p[2] = i + 1 < n ? alphabet[(v >> 6) & 63] : '=';
            p[3] = '=';
            p += 4;
        }
        *p = '\n';
    }
    indent(depth);
    out_.append("</data>\n");
    done();
}

void PlistXmlWriter::reference(uint code)
{
    if (code == '\r') {
        out_.append("&#13;");
        return;
    }
    out_.append("&#x");
    char buffer[8];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, code, 16).ptr;
    out_.append(buffer, end - buffer).append(';');
}

void PlistXmlWriter::utf8(uint code)
{
    if (code < 0x800) {
        out_.append(char(0xC0 | (code >> 6))).append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out_.append(char(0xE0 | (code >> 12))).append(char(0x80 | ((code >> 6) & 0x3F)));
        out_.append(char(0x80 | (code & 0x3F)));
    } else {
        out_.append(char(0xF0 | (code >> 18))).append(char(0x80 | ((code >> 12) & 0x3F)));
        out_.append(char(0x80 | ((code >> 6) & 0x3F))).append(char(0x80 | (code & 0x3F)));
    }
}

void PlistXmlWriter::text(QStringView text)
{
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (isPlain(c)) {
            // A run of ASCII that needs no escape, copied at once.
            qsizetype end = i + 1;
            while (end < n && isPlain(p[end]))
                ++end;
            const qsizetype at = out_.size();
            out_.resize(at + (end - i));
            char* to = out_.data() + at;
            for (; i < end; ++i)
                *to++ = char(p[i]);
            --i;
        } else if (c == '&') {
            out_.append("&amp;");
        } else if (c == '<') {
            out_.append("&lt;");
        } else if (c == '>') {
            out_.append("&gt;");
        } else if (c < 0x20) {
            if (c == '\t' || c == '\n')
                out_.append(char(c));
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

void PlistXmlWriter::real(double r)
{
    if (std::isnan(r)) {
        out_.append("nan");
    } else if (std::isinf(r)) {
        out_.append(r > 0 ? "+infinity" : "-infinity");
    } else if (r == 0.0) {
        out_.append("0.0");
    } else {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, r, std::chars_format::general, 17).ptr;
        out_.append(buffer, end - buffer);
    }
}

void PlistXmlWriter::date(double seconds)
{
    int32_t usec = 0;
    const QDateTime when = referenceDate().addSecs(storedDate(seconds, &usec));
    out_.append(when.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1());
}

void PlistXmlWriter::value(const Plist& v)
{
    char buffer[24];
    switch (v.type()) {
    case Plist::Type::Absent:
        failed_ = true;
        return;
    case Plist::Type::Array:
    case Plist::Type::Dict: {
        const bool isArray = v.isArray();
        begin(isArray);
        const std::vector<Plist>& items = PlistAccess::items(v);
        for (size_t i = 0; i < items.size() && !failed_; ++i) {
            if (!isArray)
                key(PlistAccess::keys(v)[i]);
            value(items[i]);
        }
        end();
        return;
    }
    case Plist::Type::String:
        string(PlistAccess::text(v));
        return;
    case Plist::Type::Data:
        data(PlistAccess::bytes(v));
        return;
    default:
        break;
    }
    if (!place())
        return;
    switch (v.type()) {
    case Plist::Type::Bool:
        out_.append(v.toBool() ? "<true/>\n" : "<false/>\n");
        break;
    case Plist::Type::Integer:
        out_.append("<integer>");
        out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v.toInteger()).ptr - buffer);
        out_.append("</integer>\n");
        break;
    case Plist::Type::Real:
        out_.append("<real>");
        real(v.toReal());
        out_.append("</real>\n");
        break;
    case Plist::Type::Date:
        out_.append("<date>");
        date(PlistAccess::dateSeconds(v));
        out_.append("</date>\n");
        break;
    case Plist::Type::Uid: {
        const qsizetype depth = qsizetype(levels_.size());
        out_.append("<dict>\n");
        indent(depth + 1);
        out_.append("<key>CF$UID</key>\n");
        indent(depth + 1);
        out_.append("<integer>");
        out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v.toUid()).ptr - buffer);
        out_.append("</integer>\n");
        indent(depth);
        out_.append("</dict>\n");
        break;
    }
    default:
        break;
    }
    done();
}

bool PlistXmlWriter::finish()
{
    if (failed_ || !written_ || !levels_.empty())
        return false;
    out_.append("</plist>\n");
    if (device_)
        drain();
    return !failed_;
}

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
    writer.value(*this);
    return writer.finish() ? writer.bytes() : QByteArray();
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

QString tooLargePlist()
{
    return QStringLiteral("larger than %1 MB, the most a property list is read at").arg(kMaxPlistBytes >> 20);
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
        return fail(tooLargePlist());
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
            *error = tooLargePlist();
        return std::nullopt;
    }
    return Plist::fromData(file.readAll(), error);
}

} // namespace platform
