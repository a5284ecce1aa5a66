#include "platform/keyed_archive.h"
#include "platform/geometry_text.h"
#include "platform/plist_native.h"

#include <QBuffer>
#include <QHash>
#include <limits>

namespace platform {
namespace {

const char kNullMarker[] = "$null";
const char kClassKey[] = "$class";

plist_t stringNode(const QString& text)
{
    return plist_new_string(native::cString(text).constData());
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

QString nodeString(plist_t node)
{
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return QString::fromUtf8(text, qsizetype(length));
}

bool isType(plist_t node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

QColor rgbColor(const QColor& value)
{
    return value.spec() == QColor::Rgb || value.spec() == QColor::ExtendedRgb ? value : value.toRgb();
}

void writeColorFields(plist_t object, const QColor& rgb)
{
    plist_dict_set_item(object, "NSRed", plist_new_real(double(rgb.redF())));
    plist_dict_set_item(object, "NSGreen", plist_new_real(double(rgb.greenF())));
    plist_dict_set_item(object, "NSBlue", plist_new_real(double(rgb.blueF())));
    plist_dict_set_item(object, "NSAlpha", plist_new_real(double(rgb.alphaF())));
}

void writeFontFields(plist_t object, const QFont& font)
{
    plist_dict_set_item(object, "NSName", stringNode(font.family()));
    if (font.pointSizeF() > 0)
        plist_dict_set_item(object, "NSSize", plist_new_real(font.pointSizeF()));
    else
        plist_dict_set_item(object, "NSPixelSize", plist_new_uint(uint64_t(qMax(1, font.pixelSize()))));
    plist_dict_set_item(object, "NSWeight", plist_new_uint(uint64_t(font.weight())));
    plist_dict_set_item(object, "NSItalic", plist_new_bool(font.italic()));
    plist_dict_set_item(object, "NSUnderline", plist_new_bool(font.underline()));
    plist_dict_set_item(object, "NSStrikeOut", plist_new_bool(font.strikeOut()));
}

} // namespace

// ---------------------------------------------------------------- writing

struct KeyedArchiver::State {
    plist_t objects = nullptr;        // "$objects"
    std::vector<plist_t> open;        // the object being written, innermost last
    QHash<QString, uint64_t> classes; // class description -> its index

    uint64_t append(plist_t node)
    {
        const uint64_t index = plist_array_get_size(objects);
        plist_array_append_item(objects, node);
        return index;
    }

    uint64_t classIndex(const QString& className, const QStringList& chain)
    {
        const QString signature = className + QChar(0) + chain.join(QChar(0));
        const auto found = classes.constFind(signature);
        if (found != classes.constEnd())
            return *found;
        plist_t description = plist_new_dict();
        plist_dict_set_item(description, "$classname", stringNode(className));
        plist_t list = plist_new_array();
        plist_array_append_item(list, stringNode(className));
        for (const QString& super : chain)
            plist_array_append_item(list, stringNode(super));
        plist_dict_set_item(description, "$classes", list);
        const uint64_t index = append(description);
        classes.insert(signature, index);
        return index;
    }

    // A new object dictionary of the class, appended to "$objects".
    plist_t newObject(const QString& className, const QStringList& chain, uint64_t* index)
    {
        plist_t object = plist_new_dict();
        *index = append(object);
        plist_dict_set_item(object, kClassKey, plist_new_uid(classIndex(className, chain)));
        return object;
    }

    void set(const char* key, plist_t value)
    {
        if (open.empty()) {
            plist_free(value);
            return;
        }
        plist_dict_set_item(open.back(), key, value);
    }

    void reference(const char* key, plist_t object)
    {
        set(key, plist_new_uid(append(object)));
    }
};

KeyedArchiver::KeyedArchiver(const QString& className, const QStringList& classChain)
    : d(std::make_unique<State>())
{
    d->objects = plist_new_array();
    plist_array_append_item(d->objects, plist_new_string(kNullMarker));
    // The root object is always object 1: create it before its class entry.
    plist_t root = plist_new_dict();
    plist_array_append_item(d->objects, root);
    plist_dict_set_item(root, kClassKey, plist_new_uid(d->classIndex(className, classChain)));
    d->open.push_back(root);
}

KeyedArchiver::~KeyedArchiver()
{
    if (d->objects)
        plist_free(d->objects);
}

void KeyedArchiver::encodeRect(const char* key, const QRectF& rect)
{
    d->set(key, stringNode(rectToText(rect)));
}

void KeyedArchiver::encodeBool(const char* key, bool value)
{
    d->set(key, plist_new_bool(value ? 1 : 0));
}

void KeyedArchiver::encodeInt32(const char* key, qint32 value)
{
    d->set(key, plist_new_uint(static_cast<uint64_t>(static_cast<int64_t>(value))));
}

void KeyedArchiver::encodeFloat(const char* key, float value)
{
    d->set(key, plist_new_real(double(value)));
}

void KeyedArchiver::encodeString(const char* key, const QString& value)
{
    if (value.isNull())
        encodeNull(key);
    else
        d->reference(key, stringNode(value));
}

void KeyedArchiver::encodeColor(const char* key, const QColor& value)
{
    if (!value.isValid()) {
        encodeNull(key);
        return;
    }
    const QColor rgb = rgbColor(value);
    beginObject(key, QStringLiteral("NSColor"), {QStringLiteral("NSObject")});
    writeColorFields(d->open.back(), rgb);
    endObject();
}

void KeyedArchiver::encodeFont(const char* key, const std::optional<QFont>& value)
{
    if (!value) {
        encodeNull(key);
        return;
    }
    beginObject(key, QStringLiteral("NSFont"), {QStringLiteral("NSObject")});
    writeFontFields(d->open.back(), *value);
    endObject();
}

void KeyedArchiver::encodeImage(const char* key, const QImage& value)
{
    const QByteArray png = value.isNull() ? QByteArray() : pngBytes(value);
    if (png.isEmpty()) {
        encodeNull(key);
        return;
    }
    beginObject(key, QStringLiteral("NSImage"), {QStringLiteral("NSObject")});
    plist_dict_set_item(d->open.back(), "NSPNG", plist_new_data(png.constData(), uint64_t(png.size())));
    endObject();
}

void KeyedArchiver::encodeData(const char* key, const QByteArray& value)
{
    d->reference(key, plist_new_data(value.constData(), uint64_t(value.size())));
}

void KeyedArchiver::encodeNull(const char* key)
{
    d->set(key, plist_new_uid(0));
}

void KeyedArchiver::beginObject(const char* key, const QString& className, const QStringList& classChain)
{
    if (d->open.empty())
        return;
    uint64_t index = 0;
    plist_t object = d->newObject(className, classChain, &index);
    d->set(key, plist_new_uid(index));
    d->open.push_back(object);
}

void KeyedArchiver::endObject()
{
    if (d->open.size() > 1)
        d->open.pop_back();
}

QByteArray KeyedArchiver::finish()
{
    if (!d->objects)
        return {};
    native::Node top(plist_new_dict());
    plist_dict_set_item(top.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(top.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_t rootRef = plist_new_dict();
    plist_dict_set_item(rootRef, "root", plist_new_uid(1));
    plist_dict_set_item(top.get(), "$top", rootRef);
    plist_dict_set_item(top.get(), "$objects", d->objects);
    d->objects = nullptr;
    d->open.clear();
    return native::toBinary(top.get());
}

// ---------------------------------------------------------------- reading

struct KeyedUnarchiver::Document {
    native::Node root;
    plist_t objects = nullptr;
    uint32_t count = 0;

    plist_t object(quint64 index) const
    {
        if (index >= count)
            return nullptr;
        return plist_array_get_item(objects, uint32_t(index));
    }

    // The class description of an object dictionary, or null.
    plist_t classOf(plist_t object) const
    {
        quint64 index = 0;
        if (!native::uidValue(plist_dict_get_item(object, kClassKey), &index))
            return nullptr;
        plist_t description = this->object(index);
        if (!isType(description, PLIST_DICT) || !isType(plist_dict_get_item(description, "$classname"), PLIST_STRING))
            return nullptr;
        return description;
    }
};

std::optional<KeyedUnarchiver> KeyedUnarchiver::open(const QByteArray& data, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<KeyedUnarchiver> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QString parseError;
    native::Node root = native::parse(data, &parseError);
    if (!root)
        return fail(QStringLiteral("not a keyed archive: ") + parseError);
    auto doc = std::make_shared<Document>();
    doc->root = std::move(root);
    plist_t top = doc->root.get();
    if (!isType(top, PLIST_DICT))
        return fail(QStringLiteral("not a keyed archive: no dictionary at the top"));
    doc->objects = plist_dict_get_item(top, "$objects");
    if (!isType(doc->objects, PLIST_ARRAY))
        return fail(QStringLiteral("not a keyed archive: no object table"));
    doc->count = plist_array_get_size(doc->objects);
    plist_t topRefs = plist_dict_get_item(top, "$top");
    quint64 rootIndex = 0;
    if (!isType(topRefs, PLIST_DICT) || !native::uidValue(plist_dict_get_item(topRefs, "root"), &rootIndex))
        return fail(QStringLiteral("not a keyed archive: no root reference"));
    plist_t object = doc->object(rootIndex);
    if (!isType(object, PLIST_DICT) || !doc->classOf(object))
        return fail(QStringLiteral("not a keyed archive: the root object has no class"));
    return KeyedUnarchiver(std::move(doc), object);
}

KeyedUnarchiver::KeyedUnarchiver(std::shared_ptr<Document> doc, void* object)
    : doc_(std::move(doc)), object_(object)
{
    auto dict = static_cast<plist_t>(object);
    values_.reserve(plist_dict_get_size(dict));
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        plist_t value = nullptr;
        plist_dict_next_item(dict, it, nullptr, &value);
        if (!value)
            break;
        values_.push_back(value);
    }
    free(it);
}

KeyedUnarchiver::KeyedUnarchiver(const KeyedUnarchiver&) = default;
KeyedUnarchiver::KeyedUnarchiver(KeyedUnarchiver&&) noexcept = default;
KeyedUnarchiver& KeyedUnarchiver::operator=(const KeyedUnarchiver&) = default;
KeyedUnarchiver& KeyedUnarchiver::operator=(KeyedUnarchiver&&) noexcept = default;
KeyedUnarchiver::~KeyedUnarchiver() = default;

QString KeyedUnarchiver::className() const
{
    plist_t description = doc_->classOf(static_cast<plist_t>(object_));
    return description ? nodeString(plist_dict_get_item(description, "$classname")) : QString();
}

QStringList KeyedUnarchiver::classChain() const
{
    QStringList chain;
    plist_t description = doc_->classOf(static_cast<plist_t>(object_));
    plist_t list = description ? plist_dict_get_item(description, "$classes") : nullptr;
    if (isType(list, PLIST_ARRAY))
        for (uint32_t i = 0, n = plist_array_get_size(list); i < n; ++i) {
            plist_t item = plist_array_get_item(list, i);
            if (isType(item, PLIST_STRING))
                chain.append(nodeString(item));
        }
    return chain;
}

void* KeyedUnarchiver::entry(const char* key) const
{
    const size_t n = values_.size();
    for (size_t k = 0; k < n; ++k) {
        const size_t i = (cursor_ + k) % n;
        plist_t keyNode = plist_dict_item_get_key(static_cast<plist_t>(values_[i]));
        if (keyNode && plist_key_val_compare(keyNode, key) == 0) {
            cursor_ = i + 1;
            return values_[i];
        }
    }
    return nullptr;
}

bool KeyedUnarchiver::containsKey(const char* key) const
{
    return entry(key) != nullptr;
}

QStringList KeyedUnarchiver::keys() const
{
    QStringList list;
    for (void* value : values_) {
        char* key = nullptr;
        plist_dict_get_item_key(static_cast<plist_t>(value), &key);
        if (key && qstrcmp(key, kClassKey) != 0)
            list.append(QString::fromUtf8(key));
        free(key);
    }
    return list;
}

void* KeyedUnarchiver::objectFor(const char* key) const
{
    quint64 index = 0;
    if (!native::uidValue(static_cast<plist_t>(entry(key)), &index) || index == 0)
        return nullptr;
    plist_t object = doc_->object(index);
    if (!object || (isType(object, PLIST_STRING) && plist_string_val_compare(object, kNullMarker) == 0))
        return nullptr;
    return object;
}

std::optional<QRectF> KeyedUnarchiver::decodeRect(const char* key) const
{
    auto node = static_cast<plist_t>(entry(key));
    if (!isType(node, PLIST_STRING))
        return std::nullopt;
    return rectFromText(nodeString(node));
}

std::optional<bool> KeyedUnarchiver::decodeBool(const char* key) const
{
    auto node = static_cast<plist_t>(entry(key));
    if (!isType(node, PLIST_BOOLEAN))
        return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

std::optional<qint32> KeyedUnarchiver::decodeInt32(const char* key) const
{
    auto node = static_cast<plist_t>(entry(key));
    if (!isType(node, PLIST_UINT))
        return std::nullopt;
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    const auto value = static_cast<int64_t>(raw);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

std::optional<float> KeyedUnarchiver::decodeFloat(const char* key) const
{
    auto node = static_cast<plist_t>(entry(key));
    if (!isType(node, PLIST_REAL))
        return std::nullopt;
    double value = 0;
    plist_get_real_val(node, &value);
    return static_cast<float>(value);
}

std::optional<QString> KeyedUnarchiver::decodeString(const char* key) const
{
    auto object = static_cast<plist_t>(objectFor(key));
    if (isType(object, PLIST_STRING))
        return nodeString(object);
    // Mutable strings are stored as objects holding "NS.string".
    if (isType(object, PLIST_DICT) && doc_->classOf(object)) {
        plist_t text = plist_dict_get_item(object, "NS.string");
        if (isType(text, PLIST_STRING))
            return nodeString(text);
    }
    return std::nullopt;
}

std::optional<KeyedUnarchiver> KeyedUnarchiver::decodeObject(const char* key) const
{
    auto object = static_cast<plist_t>(objectFor(key));
    if (!isType(object, PLIST_DICT) || !doc_->classOf(object))
        return std::nullopt;
    return KeyedUnarchiver(doc_, object);
}

std::optional<QColor> KeyedUnarchiver::decodeColor(const char* key) const
{
    const auto object = decodeObject(key);
    return object ? object->asColor() : std::nullopt;
}

std::optional<QColor> KeyedUnarchiver::asColor() const
{
    if (className() != QLatin1String("NSColor"))
        return std::nullopt;
    auto dict = static_cast<plist_t>(object_);
    double c[4] = {};
    const char* names[4] = {"NSRed", "NSGreen", "NSBlue", "NSAlpha"};
    for (int i = 0; i < 4; ++i) {
        plist_t node = plist_dict_get_item(dict, names[i]);
        if (!isType(node, PLIST_REAL))
            return std::nullopt;
        plist_get_real_val(node, &c[i]);
    }
    return QColor::fromRgbF(float(c[0]), float(c[1]), float(c[2]), float(c[3]));
}

std::optional<QFont> KeyedUnarchiver::decodeFont(const char* key) const
{
    const auto object = decodeObject(key);
    return object ? object->asFont() : std::nullopt;
}

std::optional<QFont> KeyedUnarchiver::asFont() const
{
    if (className() != QLatin1String("NSFont"))
        return std::nullopt;
    const auto name = decodeStringEntry("NSName");
    if (!name)
        return std::nullopt;
    auto dict = static_cast<plist_t>(object_);
    QFont font;
    font.setFamily(*name);
    plist_t size = plist_dict_get_item(dict, "NSSize");
    plist_t pixels = plist_dict_get_item(dict, "NSPixelSize");
    if (isType(size, PLIST_REAL)) {
        double points = 0;
        plist_get_real_val(size, &points);
        if (points > 0)
            font.setPointSizeF(points);
    } else if (isType(pixels, PLIST_UINT)) {
        uint64_t px = 0;
        plist_get_uint_val(pixels, &px);
        if (px > 0 && px < 100000)
            font.setPixelSize(int(px));
    }
    if (const auto weight = decodeInt32("NSWeight"); weight && *weight >= 1 && *weight <= 1000)
        font.setWeight(QFont::Weight(*weight));
    font.setItalic(decodeBool("NSItalic").value_or(false));
    font.setUnderline(decodeBool("NSUnderline").value_or(false));
    font.setStrikeOut(decodeBool("NSStrikeOut").value_or(false));
    return font;
}

std::optional<QImage> KeyedUnarchiver::decodeImage(const char* key) const
{
    const auto object = decodeObject(key);
    return object ? object->asImage() : std::nullopt;
}

std::optional<QImage> KeyedUnarchiver::asImage() const
{
    if (className() != QLatin1String("NSImage"))
        return std::nullopt;
    plist_t png = plist_dict_get_item(static_cast<plist_t>(object_), "NSPNG");
    if (!isType(png, PLIST_DATA))
        return std::nullopt;
    uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(png, &length);
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes), int(length), "PNG"))
        return std::nullopt;
    return image;
}

std::optional<QByteArray> KeyedUnarchiver::decodeData(const char* key) const
{
    auto object = static_cast<plist_t>(objectFor(key));
    if (!isType(object, PLIST_DATA))
        return std::nullopt;
    uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(object, &length);
    return QByteArray(bytes, qsizetype(length));
}

std::optional<QString> KeyedUnarchiver::decodeStringEntry(const char* key) const
{
    auto node = static_cast<plist_t>(entry(key));
    if (!isType(node, PLIST_STRING))
        return std::nullopt;
    return nodeString(node);
}

// ---------------------------------------------------------------- single values

// The root object itself is the colour or the font. An invalid colour is
// archived as opaque black, the colour Qt paints for it.
QByteArray archiveColor(const QColor& color)
{
    KeyedArchiver out(QStringLiteral("NSColor"), {QStringLiteral("NSObject")});
    writeColorFields(out.d->open.back(), color.isValid() ? rgbColor(color) : QColor(Qt::black));
    return out.finish();
}

std::optional<QColor> unarchiveColor(const QByteArray& data)
{
    const auto in = KeyedUnarchiver::open(data);
    return in ? in->asColor() : std::nullopt;
}

QByteArray archiveFont(const QFont& font)
{
    KeyedArchiver out(QStringLiteral("NSFont"), {QStringLiteral("NSObject")});
    writeFontFields(out.d->open.back(), font);
    return out.finish();
}

std::optional<QFont> unarchiveFont(const QByteArray& data)
{
    const auto in = KeyedUnarchiver::open(data);
    return in ? in->asFont() : std::nullopt;
}

} // namespace platform
