#include "platform/binary_plist.h"

#include <cstring>

namespace platform::bplist {
namespace {

void putBigEndian(std::string& out, uint64_t value, int width)
{
    char buffer[8];
    for (int i = 0; i < width; ++i)
        buffer[i] = char((value >> ((width - 1 - i) * 8)) & 0xff);
    out.append(buffer, size_t(width));
}

int widthFor(uint64_t value)
{
    if (value <= 0xff)
        return 1;
    if (value <= 0xffff)
        return 2;
    if (value <= 0xffffffffu)
        return 4;
    return 8;
}

int log2Width(int width)
{
    return width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
}

// A marker byte with a count in its low nibble, or 0xF and an integer.
void putMarker(std::string& out, uint8_t type, uint64_t count)
{
    if (count < 15) {
        out.push_back(char(type << 4 | uint8_t(count)));
        return;
    }
    out.push_back(char(type << 4 | 0x0f));
    const int width = widthFor(count);
    out.push_back(char(0x10 | log2Width(width)));
    putBigEndian(out, count, width);
}

} // namespace

// ---------------------------------------------------------------- Writer

uint32_t Writer::add(const Object& object)
{
    objects_.push_back(object);
    return uint32_t(objects_.size() - 1);
}

namespace {

// The shared object of a small value, made on first use.
template <typename Make>
uint32_t shared(std::vector<uint32_t>& table, uint64_t value, size_t limit, Make make)
{
    if (value >= limit)
        return make();
    if (table.size() <= value)
        table.resize(size_t(value) + 1, UINT32_MAX);
    if (table[size_t(value)] == UINT32_MAX)
        table[size_t(value)] = make();
    return table[size_t(value)];
}

} // namespace

uint32_t Writer::addBool(bool value)
{
    uint32_t& object = bools_[value ? 1 : 0];
    if (object == kUnset) {
        Object o{Kind::Bool};
        o.v.i = value ? 1 : 0;
        object = add(o);
    }
    return object;
}

uint32_t Writer::addInteger(int64_t value)
{
    auto make = [this, value] {
        Object o{Kind::Integer};
        o.v.i = value;
        return add(o);
    };
    return value < 0 ? make() : shared(smallIntegers_, uint64_t(value), 256, make);
}

uint32_t Writer::addReal(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (const auto& [known, object] : reals_)
        if (known == bits)
            return object;
    Object o{Kind::Real};
    o.v.r = value;
    reals_.emplace_back(bits, add(o));
    return reals_.back().second;
}

uint32_t Writer::addUid(uint64_t value)
{
    return shared(smallUids_, value, 1024, [this, value] {
        Object o{Kind::Uid};
        o.v.u = value;
        return add(o);
    });
}

uint32_t Writer::addAscii(const char* text, size_t n)
{
    Object o{Kind::Ascii, uint32_t(bytes_.size()), uint32_t(n)};
    bytes_.append(text, n);
    return add(o);
}

uint32_t Writer::addString(const QString& value)
{
    bool ascii = true;
    for (QChar c : value)
        if (c.unicode() >= 0x80 || c.unicode() == 0) {
            ascii = false;
            break;
        }
    if (ascii) {
        Object o{Kind::Ascii, uint32_t(bytes_.size()), uint32_t(value.size())};
        const size_t at = bytes_.size();
        bytes_.resize(at + size_t(value.size()));
        char* p = bytes_.data() + at;
        for (QChar c : value)
            *p++ = char(c.unicode());
        return add(o);
    }
    Object o{Kind::Utf16, uint32_t(units_.size()), 0};
    bool onlyAscii = true;
    for (QChar c : value) {
        if (c.unicode() == 0)
            continue; // C-string readers of the format stop at U+0000
        onlyAscii = onlyAscii && c.unicode() < 0x80;
        units_.push_back(c.unicode());
        ++o.count;
    }
    if (onlyAscii) { // only U+0000 made it non-ASCII
        const uint32_t begin = o.begin;
        Object a{Kind::Ascii, uint32_t(bytes_.size()), o.count};
        for (uint32_t i = 0; i < o.count; ++i)
            bytes_.push_back(char(units_[begin + i]));
        units_.resize(begin);
        return add(a);
    }
    return add(o);
}

uint32_t Writer::addLiteralKey(const char* literal)
{
    // A literal lives as long as the program, so its address identifies it.
    for (const auto& [text, object] : literals_)
        if (text == literal)
            return object;
    const uint32_t object = addKey(literal);
    literals_.emplace_back(literal, object);
    return object;
}

uint32_t Writer::addKey(const char* utf8)
{
    const size_t n = std::strlen(utf8);
    for (size_t i = 0; i < n; ++i)
        if (uint8_t(utf8[i]) >= 0x80)
            return addString(QString::fromUtf8(utf8, qsizetype(n)));
    return addAscii(utf8, n);
}

uint32_t Writer::addData(const char* bytes, size_t n)
{
    Object o{Kind::Data, uint32_t(bytes_.size()), uint32_t(n)};
    bytes_.append(bytes, n);
    return add(o);
}

uint32_t Writer::addArray()
{
    return add(Object{Kind::Array, containers_++, 0});
}

uint32_t Writer::addDict()
{
    return add(Object{Kind::Dict, containers_++, 0});
}

void Writer::append(uint32_t array, uint32_t member)
{
    Object& o = objects_[array];
    members_.emplace_back(o.begin, member);
    ++o.count;
}

void Writer::insert(uint32_t dict, uint32_t key, uint32_t value)
{
    Object& o = objects_[dict];
    members_.emplace_back(o.begin, key);
    members_.emplace_back(o.begin, value);
    o.count += 2;
}

QByteArray Writer::finish(uint32_t top) const
{
    const uint64_t count = objects_.size();
    const int refWidth = widthFor(count);
    std::string out;
    out.reserve(size_t(64 + count * 14 + bytes_.size() + units_.size() * 2));
    out.append("bplist00", 8);
    std::vector<uint64_t> offsets;
    offsets.reserve(count);
    // Each container's references together, in the order they were added.
    std::vector<uint32_t> first(size_t(containers_) + 1, 0);
    for (const auto& m : members_)
        ++first[m.first + 1];
    for (size_t c = 1; c < first.size(); ++c)
        first[c] += first[c - 1];
    std::vector<uint32_t> refs(members_.size());
    {
        std::vector<uint32_t> next(first.begin(), first.end() - 1);
        for (const auto& m : members_)
            refs[next[m.first]++] = m.second;
    }
    for (const Object& o : objects_) {
        offsets.push_back(uint64_t(out.size()));
        switch (o.kind) {
        case Kind::Bool:
            out.push_back(char(o.v.i ? 0x09 : 0x08));
            break;
        case Kind::Integer:
            if (o.v.i < 0) {
                out.push_back(char(0x13));
                putBigEndian(out, uint64_t(o.v.i), 8);
            } else {
                const int width = widthFor(uint64_t(o.v.i));
                out.push_back(char(0x10 | log2Width(width)));
                putBigEndian(out, uint64_t(o.v.i), width);
            }
            break;
        case Kind::Real: {
            uint64_t bits = 0;
            std::memcpy(&bits, &o.v.r, sizeof bits);
            out.push_back(char(0x23));
            putBigEndian(out, bits, 8);
            break;
        }
        case Kind::Uid: {
            const int width = widthFor(o.v.u);
            out.push_back(char(0x80 | (width - 1)));
            putBigEndian(out, o.v.u, width);
            break;
        }
        case Kind::Ascii:
            putMarker(out, 0x5, o.count);
            out.append(bytes_.data() + o.begin, o.count);
            break;
        case Kind::Data:
            putMarker(out, 0x4, o.count);
            out.append(bytes_.data() + o.begin, o.count);
            break;
        case Kind::Utf16: {
            putMarker(out, 0x6, o.count);
            const size_t at = out.size();
            out.resize(at + size_t(o.count) * 2);
            char* p = out.data() + at;
            for (uint32_t i = 0; i < o.count; ++i) {
                *p++ = char(units_[o.begin + i] >> 8);
                *p++ = char(units_[o.begin + i] & 0xff);
            }
            break;
        }
        case Kind::Array: {
            const uint32_t* list = refs.data() + first[o.begin];
            putMarker(out, 0xA, o.count);
            for (uint32_t i = 0; i < o.count; ++i)
                putBigEndian(out, list[i], refWidth);
            break;
        }
        case Kind::Dict: {
            const uint32_t* list = refs.data() + first[o.begin];
            putMarker(out, 0xD, o.count / 2);
            for (uint32_t i = 0; i < o.count; i += 2)
                putBigEndian(out, list[i], refWidth);
            for (uint32_t i = 1; i < o.count; i += 2)
                putBigEndian(out, list[i], refWidth);
            break;
        }
        }
    }
    const uint64_t table = uint64_t(out.size());
    const int offsetWidth = widthFor(table);
    for (uint64_t offset : offsets)
        putBigEndian(out, offset, offsetWidth);
    out.append(7, '\0'); // unused bytes, sort version
    out.push_back(char(offsetWidth));
    out.push_back(char(refWidth));
    putBigEndian(out, count, 8);
    putBigEndian(out, top, 8);
    putBigEndian(out, table, 8);
    return QByteArray(out.data(), qsizetype(out.size()));
}

// ---------------------------------------------------------------- View

uint64_t View::readUnsigned(size_t at, int width) const
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | p_[at + size_t(i)];
    return value;
}

bool View::open(const QByteArray& bytes)
{
    bytes_ = bytes;
    p_ = reinterpret_cast<const uint8_t*>(bytes_.constData());
    size_ = size_t(bytes_.size());
    if (size_ < 8 + 32 || std::memcmp(p_, "bplist0", 7) != 0)
        return false;
    const size_t trailer = size_ - 32;
    offsetWidth_ = p_[trailer + 6];
    refWidth_ = p_[trailer + 7];
    count_ = readUnsigned(trailer + 8, 8);
    top_ = readUnsigned(trailer + 16, 8);
    const uint64_t table = readUnsigned(trailer + 24, 8);
    if (offsetWidth_ < 1 || offsetWidth_ > 8 || refWidth_ < 1 || refWidth_ > 8)
        return false;
    if (count_ == 0 || top_ >= count_ || table < 8 || table > trailer)
        return false;
    if (count_ > (trailer - table) / uint64_t(offsetWidth_))
        return false;
    table_ = size_t(table);
    return true;
}

View::Node View::node(uint64_t object) const
{
    Node n;
    if (object >= count_)
        return n;
    const uint64_t offset = readUnsigned(table_ + size_t(object) * size_t(offsetWidth_), offsetWidth_);
    if (offset < 8 || offset >= table_)
        return n;
    size_t at = size_t(offset);
    const uint8_t marker = p_[at++];
    const int hi = marker >> 4;
    const int lo = marker & 0x0f;
    auto scalar = [&](Type type, int width) {
        if (width > 16 || at + size_t(width) > table_)
            return n;
        n.type = type;
        n.width = width;
        n.payload = at;
        return n;
    };
    switch (hi) {
    case 0x0:
        if (lo == 0x0)
            n.type = Type::Null;
        else if (lo == 0x8 || lo == 0x9) {
            n.type = Type::Bool;
            n.count = lo == 0x9;
        }
        return n;
    case 0x1:
        return lo <= 4 ? scalar(Type::Integer, 1 << lo) : n;
    case 0x2:
        return lo == 2 || lo == 3 ? scalar(Type::Real, 1 << lo) : n;
    case 0x3:
        return lo == 3 ? scalar(Type::Date, 8) : n;
    case 0x8:
        return lo < 8 ? scalar(Type::Uid, lo + 1) : n;
    case 0x4: case 0x5: case 0x6: case 0xA: case 0xC: case 0xD:
        break;
    default:
        return n;
    }
    uint64_t count = uint64_t(lo);
    if (lo == 0x0f) {
        if (at >= table_)
            return n;
        const uint8_t intMarker = p_[at++];
        if ((intMarker >> 4) != 0x1 || (intMarker & 0x0f) > 3)
            return n;
        const int width = 1 << (intMarker & 0x0f);
        if (at + size_t(width) > table_)
            return n;
        count = readUnsigned(at, width);
        at += size_t(width);
    }
    uint64_t unit = 1;
    Type type = Type::Data;
    switch (hi) {
    case 0x4: type = Type::Data; break;
    case 0x5: type = Type::Ascii; break;
    case 0x6: type = Type::Utf16; unit = 2; break;
    case 0xA: type = Type::Array; unit = uint64_t(refWidth_); break;
    case 0xC: type = Type::Set; unit = uint64_t(refWidth_); break;
    case 0xD: type = Type::Dict; unit = 2 * uint64_t(refWidth_); break;
    }
    if (count > (table_ - at) / unit)
        return n;
    n.type = type;
    n.count = count;
    n.payload = at;
    return n;
}

uint64_t View::member(const Node& container, uint64_t index) const
{
    const uint64_t slotCount = container.type == Type::Dict ? 2 * container.count : container.count;
    if ((container.type != Type::Array && container.type != Type::Dict && container.type != Type::Set)
        || index >= slotCount)
        return kNone;
    const uint64_t ref = readUnsigned(container.payload + size_t(index) * size_t(refWidth_), refWidth_);
    return ref < count_ ? ref : kNone;
}

bool View::boolValue(const Node& n) const
{
    return n.type == Type::Bool && n.count != 0;
}

int64_t View::integer(const Node& n) const
{
    if (n.type != Type::Integer)
        return 0;
    // 16-byte integers carry values above the signed 64-bit range; their
    // low 8 bytes hold the bits.
    const int width = n.width > 8 ? 8 : n.width;
    const size_t at = n.payload + size_t(n.width - width);
    const uint64_t raw = readUnsigned(at, width);
    return int64_t(raw); // 1, 2 and 4 bytes are unsigned; 8 bytes signed
}

double View::real(const Node& n) const
{
    if (n.type != Type::Real)
        return 0;
    if (n.width == 4) {
        const auto bits = uint32_t(readUnsigned(n.payload, 4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return double(f);
    }
    const uint64_t bits = readUnsigned(n.payload, 8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

uint64_t View::uid(const Node& n) const
{
    return n.type == Type::Uid ? readUnsigned(n.payload, n.width) : 0;
}

QString View::string(const Node& n) const
{
    if (n.type == Type::Ascii)
        return QString::fromLatin1(reinterpret_cast<const char*>(p_ + n.payload), qsizetype(n.count));
    if (n.type == Type::Utf16) {
        QString text(qsizetype(n.count), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        for (uint64_t i = 0; i < n.count; ++i)
            out[i] = char16_t(p_[n.payload + 2 * i] << 8 | p_[n.payload + 2 * i + 1]);
        return text;
    }
    return {};
}

QByteArray View::data(const Node& n) const
{
    if (n.type != Type::Data)
        return {};
    return QByteArray(reinterpret_cast<const char*>(p_ + n.payload), qsizetype(n.count));
}

bool View::equals(const Node& n, const char* utf8, size_t length) const
{
    if (n.type == Type::Ascii)
        return n.count == length && std::memcmp(p_ + n.payload, utf8, length) == 0;
    if (n.type == Type::Utf16)
        return string(n) == QString::fromUtf8(utf8, qsizetype(length));
    return false;
}

uint64_t View::find(const Node& dict, const char* key) const
{
    if (dict.type != Type::Dict)
        return kNone;
    const size_t length = std::strlen(key);
    for (uint64_t i = 0; i < dict.count; ++i)
        if (equals(node(dictKey(dict, i)), key, length))
            return dictValue(dict, i);
    return kNone;
}

} // namespace platform::bplist
