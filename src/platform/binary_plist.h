#pragma once
// A direct writer and a bounds-checked reader of the binary property-list
// format ("bplist00"), for the keyed archives: one archive per graphic, tens
// of thousands per design, so they skip the general node tree.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform::bplist {

// Objects are numbered in creation order; containers refer to them by number.
class Writer {
public:
    Writer()
    {
        objects_.reserve(256);
        members_.reserve(256);
    }
    uint32_t addBool(bool value);
    uint32_t addInteger(int64_t value);
    uint32_t addReal(double value);
    uint32_t addUid(uint64_t value);
    uint32_t addString(const QString& value);      // U+0000 dropped
    uint32_t addAscii(const char* text, size_t n); // must be 7-bit
    uint32_t addKey(const char* utf8);             // a dictionary key
    // A key that is a string literal: written once per archive and shared.
    uint32_t addLiteralKey(const char* literal);
    uint32_t addData(const char* bytes, size_t n);
    // An array or a dictionary whose members are added later, in any order
    // relative to other objects.
    uint32_t addArray();
    uint32_t addDict();
    void append(uint32_t array, uint32_t member);
    void insert(uint32_t dict, uint32_t key, uint32_t value);

    QByteArray finish(uint32_t top) const;

private:
    enum class Kind : uint8_t { Bool, Integer, Real, Uid, Ascii, Utf16, Data, Array, Dict };
    struct Object {
        Kind kind;
        uint32_t begin = 0; // into bytes_ or units_; a container's number
        uint32_t count = 0; // bytes, characters or member references
        union {
            int64_t i;
            double r;
            uint64_t u;
        } v {};
    };
    uint32_t add(const Object& object);

    std::vector<Object> objects_;
    std::string bytes_;                         // ASCII strings and data
    std::vector<char16_t> units_;               // UTF-16 strings
    // Container members as (container number, reference) in the order
    // added (dictionaries: key, value); grouped by container on finish().
    std::vector<std::pair<uint32_t, uint32_t>> members_;
    uint32_t containers_ = 0;
    std::vector<std::pair<const char*, uint32_t>> literals_; // literal keys written so far
    // Equal small values are written once and shared, as the format allows.
    static constexpr uint32_t kUnset = UINT32_MAX;
    uint32_t bools_[2] = {kUnset, kUnset};
    std::vector<uint32_t> smallIntegers_; // by value, 0..255
    std::vector<uint32_t> smallUids_;     // by value, 0..1023
    std::vector<std::pair<uint64_t, uint32_t>> reals_; // by bit pattern; an archive has few
};

// A read-only view of binary property-list bytes (kept alive by the view).
class View {
public:
    enum class Type { Invalid, Null, Bool, Integer, Real, Date, Data, Ascii, Utf16, Uid, Array, Dict, Set };
    struct Node {
        Type type = Type::Invalid;
        uint64_t count = 0;   // bytes, characters or members
        size_t payload = 0;   // start of the content
        int width = 0;        // bytes of a scalar
    };

    bool open(const QByteArray& bytes);
    uint64_t top() const { return top_; }
    uint64_t objectCount() const { return count_; }

    Node node(uint64_t object) const;             // Invalid when out of range or malformed
    uint64_t member(const Node& container, uint64_t index) const; // UINT64_MAX when bad
    // Dictionaries: the i-th key and value objects.
    uint64_t dictKey(const Node& dict, uint64_t i) const { return member(dict, i); }
    uint64_t dictValue(const Node& dict, uint64_t i) const { return member(dict, dict.count + i); }

    bool boolValue(const Node& n) const;
    int64_t integer(const Node& n) const;
    double real(const Node& n) const;
    uint64_t uid(const Node& n) const;
    QString string(const Node& n) const;
    QByteArray data(const Node& n) const;
    bool equals(const Node& n, const char* utf8, size_t length) const; // string node equals text

    // The value of key in a dictionary node (UINT64_MAX when missing).
    uint64_t find(const Node& dict, const char* key) const;

private:
    uint64_t readUnsigned(size_t at, int width) const;
    QByteArray bytes_;
    const uint8_t* p_ = nullptr;
    size_t size_ = 0;
    int offsetWidth_ = 0;
    int refWidth_ = 0;
    uint64_t count_ = 0;
    uint64_t top_ = 0;
    size_t table_ = 0;
};

inline constexpr uint64_t kNone = UINT64_MAX;

} // namespace platform::bplist
