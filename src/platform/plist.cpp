#include "platform/plist.h"
#include "platform/files.h"
#include "platform/plist_native.h"

#include <QFile>
#include <QTimeZone>
#include <cmath>
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

} // namespace

// Conversion between our values and libplist nodes.
struct PlistAccess {
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
            const double whole = std::floor(v.scalar_.r);
            const auto usec = static_cast<int32_t>(std::llround((v.scalar_.r - whole) * 1e6));
            return plist_new_date(static_cast<int32_t>(whole), usec);
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

    static Plist fromNode(plist_t node)
    {
        Plist v;
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return Plist::boolean(b != 0);
        }
        case PLIST_UINT: {
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return Plist::integer(static_cast<qint64>(u));
        }
        case PLIST_REAL: {
            double r = 0;
            plist_get_real_val(node, &r);
            return Plist::real(r);
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return Plist::string(QString::fromUtf8(text, qsizetype(length)));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            return Plist::data(QByteArray(bytes, qsizetype(length)));
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            v.type_ = Plist::Type::Date;
            v.scalar_.r = double(sec) + double(usec) / 1e6;
            return v;
        }
        case PLIST_UID: {
            uint64_t u = 0;
            plist_get_uid_val(node, &u);
            return Plist::uid(u);
        }
        case PLIST_ARRAY: {
            v = Plist::array();
            const uint32_t n = plist_array_get_size(node);
            v.items_.reserve(n);
            for (uint32_t i = 0; i < n; ++i)
                v.items_.push_back(fromNode(plist_array_get_item(node, i)));
            return v;
        }
        case PLIST_DICT: {
            quint64 uid = 0;
            if (native::uidValue(node, &uid))
                return Plist::uid(uid); // the XML spelling of a UID
            v = Plist::dict();
            const uint32_t n = plist_dict_get_size(node);
            v.items_.reserve(n);
            v.keys_.reserve(n);
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            for (;;) {
                char* key = nullptr;
                plist_t child = nullptr;
                plist_dict_next_item(node, it, &key, &child);
                if (!child) {
                    free(key);
                    break;
                }
                v.keys_.push_back(QString::fromUtf8(key));
                v.items_.push_back(fromNode(child));
                free(key);
            }
            free(it);
            return v;
        }
        default:
            return v;
        }
    }
};

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
    if (type_ != Type::Date)
        return {};
    return referenceDate().addMSecs(qint64(std::llround(scalar_.r * 1000.0)));
}

quint64 Plist::toUid(quint64 defaultValue) const
{
    return type_ == Type::Uid ? scalar_.u : defaultValue;
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
    native::Node node(PlistAccess::toNode(*this));
    return native::toXml(node.get());
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
    native::Node node = native::parse(bytes, error);
    if (!node)
        return std::nullopt;
    return PlistAccess::fromNode(node.get());
}

bool writePlistFile(const QString& path, const Plist& value, Plist::Format format, QString* error)
{
    const QByteArray bytes = value.serialize(format);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("the value holds an absent element");
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
