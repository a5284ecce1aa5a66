#include "platform/keyed_archive.h"
#include "platform/binary_plist.h"
#include "platform/geometry_text.h"
#include "platform/stored_picture.h"
#include "platform/plist.h"

#include <cstring>
#include <limits>

namespace platform {
namespace {

using bplist::kNone;
using Node = bplist::View::Node;
using Type = bplist::View::Type;

const char kNullMarker[] = "$null";
const char kClassKey[] = "$class";

QColor rgbColor(const QColor& value)
{
    return value.spec() == QColor::Rgb || value.spec() == QColor::ExtendedRgb ? value : value.toRgb();
}

} // namespace

// ---------------------------------------------------------------- writing

struct KeyedArchiver::State {
    bplist::Writer w;
    uint32_t objects = 0;             // the "$objects" array
    uint64_t objectCount = 0;         // entries of "$objects" so far
    std::vector<uint32_t> open;       // the object being written, innermost last
    struct Class {
        QString name;
        QStringList chain;
        uint64_t index;
    };
    std::vector<Class> classes; // class descriptions written (a few per archive)
    bool finished = false;

    uint64_t append(uint32_t object)
    {
        w.append(objects, object);
        return objectCount++;
    }

    void set(uint32_t dict, const char* key, uint32_t value) { w.insert(dict, w.addKey(key), value); }
    // Keys of our own fixed vocabulary, shared by every object that uses them.
    void setFixed(uint32_t dict, const char* literal, uint32_t value)
    {
        w.insert(dict, w.addLiteralKey(literal), value);
    }

    void set(const char* key, uint32_t value)
    {
        if (!open.empty() && !finished)
            set(open.back(), key, value);
    }

    void reference(const char* key, uint32_t object) { set(key, w.addUid(append(object))); }

    uint64_t classIndex(const QString& className, const QStringList& chain)
    {
        for (const Class& c : classes)
            if (c.name == className && c.chain == chain)
                return c.index;
        const uint32_t description = w.addDict();
        setFixed(description, "$classname", w.addString(className));
        const uint32_t list = w.addArray();
        w.append(list, w.addString(className));
        for (const QString& super : chain)
            w.append(list, w.addString(super));
        setFixed(description, "$classes", list);
        const uint64_t index = append(description);
        classes.push_back(Class{className, chain, index});
        return index;
    }

    // A new object of the class, appended to "$objects"; returns its index.
    uint64_t newObject(const QString& className, const QStringList& chain, uint32_t* dict)
    {
        *dict = w.addDict();
        const uint64_t index = append(*dict);
        setFixed(*dict, kClassKey, w.addUid(classIndex(className, chain)));
        return index;
    }

    void colorFields(uint32_t dict, const QColor& rgb)
    {
        setFixed(dict, "NSRed", w.addReal(double(rgb.redF())));
        setFixed(dict, "NSGreen", w.addReal(double(rgb.greenF())));
        setFixed(dict, "NSBlue", w.addReal(double(rgb.blueF())));
        setFixed(dict, "NSAlpha", w.addReal(double(rgb.alphaF())));
    }

    void fontFields(uint32_t dict, const QFont& font)
    {
        setFixed(dict, "NSName", w.addString(font.family()));
        if (font.pointSizeF() > 0)
            setFixed(dict, "NSSize", w.addReal(font.pointSizeF()));
        else
            setFixed(dict, "NSPixelSize", w.addInteger(qMax(1, font.pixelSize())));
        setFixed(dict, "NSWeight", w.addInteger(int(font.weight())));
        setFixed(dict, "NSItalic", w.addBool(font.italic()));
        setFixed(dict, "NSUnderline", w.addBool(font.underline()));
        setFixed(dict, "NSStrikeOut", w.addBool(font.strikeOut()));
    }
};

KeyedArchiver::KeyedArchiver(const QString& className, const QStringList& classChain)
    : d(std::make_unique<State>())
{
    d->objects = d->w.addArray();
    d->append(d->w.addAscii(kNullMarker, std::strlen(kNullMarker)));
    uint32_t root = 0;
    d->newObject(className, classChain, &root); // always index 1
    d->open.push_back(root);
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeRect(const char* key, const QRectF& rect)
{
    d->set(key, d->w.addString(rectToText(rect)));
}

void KeyedArchiver::encodeBool(const char* key, bool value)
{
    d->set(key, d->w.addBool(value));
}

void KeyedArchiver::encodeInt32(const char* key, qint32 value)
{
    d->set(key, d->w.addInteger(value));
}

void KeyedArchiver::encodeFloat(const char* key, float value)
{
    d->set(key, d->w.addReal(double(value)));
}

void KeyedArchiver::encodeString(const char* key, const QString& value)
{
    if (value.isNull())
        encodeNull(key);
    else
        d->reference(key, d->w.addString(value));
}

void KeyedArchiver::encodeColor(const char* key, const QColor& value)
{
    if (!value.isValid()) {
        encodeNull(key);
        return;
    }
    beginObject(key, QStringLiteral("NSColor"), {QStringLiteral("NSObject")});
    d->colorFields(d->open.back(), rgbColor(value));
    endObject();
}

void KeyedArchiver::encodeFont(const char* key, const std::optional<QFont>& value)
{
    if (!value) {
        encodeNull(key);
        return;
    }
    beginObject(key, QStringLiteral("NSFont"), {QStringLiteral("NSObject")});
    d->fontFields(d->open.back(), *value);
    endObject();
}

void KeyedArchiver::encodeImage(const char* key, const StoredPicture& value)
{
    // The bytes the picture came with, never a picture encoded anew from
    // the pixels drawn.
    const QByteArray png = value.storedBytes();
    if (png.isEmpty()) {
        encodeNull(key);
        return;
    }
    beginObject(key, QStringLiteral("NSImage"), {QStringLiteral("NSObject")});
    d->setFixed(d->open.back(), "NSPNG", d->w.addData(png.constData(), size_t(png.size())));
    endObject();
}

void KeyedArchiver::encodeData(const char* key, const QByteArray& value)
{
    d->reference(key, d->w.addData(value.constData(), size_t(value.size())));
}

void KeyedArchiver::encodeNull(const char* key)
{
    d->set(key, d->w.addUid(0));
}

void KeyedArchiver::beginObject(const char* key, const QString& className, const QStringList& classChain)
{
    if (d->open.empty() || d->finished)
        return;
    uint32_t dict = 0;
    const uint64_t index = d->newObject(className, classChain, &dict);
    d->set(key, d->w.addUid(index));
    d->open.push_back(dict);
}

void KeyedArchiver::endObject()
{
    if (d->open.size() > 1)
        d->open.pop_back();
}

QByteArray KeyedArchiver::finish()
{
    if (d->finished)
        return {};
    d->finished = true;
    bplist::Writer& w = d->w;
    const uint32_t top = w.addDict();
    d->setFixed(top, "$version", w.addInteger(100000));
    d->setFixed(top, "$archiver", w.addAscii("NSKeyedArchiver", 15));
    const uint32_t refs = w.addDict();
    d->setFixed(refs, "root", w.addUid(1));
    d->setFixed(top, "$top", refs);
    d->setFixed(top, "$objects", d->objects);
    return w.finish(top);
}

// ---------------------------------------------------------------- reading

struct KeyedUnarchiver::Document {
    bplist::View view;
    Node objects; // the "$objects" array

    // The object at an archive index, or kNone.
    uint64_t object(uint64_t index) const { return view.member(objects, index); }

    // A reference: a UID, or its XML spelling (a dictionary holding only an
    // integer "CF$UID").
    bool uidOf(uint64_t value, uint64_t* index) const
    {
        const Node n = view.node(value);
        if (n.type == Type::Uid) {
            *index = view.uid(n);
            return true;
        }
        if (n.type == Type::Dict && n.count == 1 && view.equals(view.node(view.dictKey(n, 0)), "CF$UID", 6)) {
            const Node v = view.node(view.dictValue(n, 0));
            if (v.type == Type::Integer) {
                *index = uint64_t(view.integer(v));
                return true;
            }
        }
        return false;
    }

    // The "$classname" node of an object dictionary (Invalid if none).
    Node className(uint64_t object) const
    {
        uint64_t index = 0;
        if (!uidOf(view.find(view.node(object), kClassKey), &index))
            return {};
        const Node description = view.node(this->object(index));
        const Node name = view.node(view.find(description, "$classname"));
        return name.type == Type::Ascii || name.type == Type::Utf16 ? name : Node();
    }
};

std::optional<KeyedUnarchiver> KeyedUnarchiver::open(const QByteArray& data, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<KeyedUnarchiver> {
        if (error)
            *error = QStringLiteral("not a keyed archive: ") + why;
        return std::nullopt;
    };
    if (data.isEmpty())
        return fail(QStringLiteral("empty data"));
    if (data.size() > kMaxPlistBytes)
        return fail(tooLargePlist());
    auto doc = std::make_shared<Document>();
    if (!data.startsWith("bplist0")) {
        // Another format (XML): parse it and view its binary form.
        QString parseError;
        const std::optional<Plist> parsed = Plist::fromData(data, &parseError);
        if (!parsed)
            return fail(parseError);
        if (!doc->view.open(parsed->toBinary()))
            return fail(QStringLiteral("unreadable property list"));
    } else if (!doc->view.open(data)) {
        return fail(QStringLiteral("damaged binary property list"));
    }
    const bplist::View& view = doc->view;
    const Node top = view.node(view.top());
    if (top.type != Type::Dict)
        return fail(QStringLiteral("no dictionary at the top"));
    doc->objects = view.node(view.find(top, "$objects"));
    if (doc->objects.type != Type::Array)
        return fail(QStringLiteral("no object table"));
    uint64_t rootIndex = 0;
    if (!doc->uidOf(view.find(view.node(view.find(top, "$top")), "root"), &rootIndex))
        return fail(QStringLiteral("no root reference"));
    const uint64_t root = doc->object(rootIndex);
    if (root == kNone || view.node(root).type != Type::Dict || doc->className(root).type == Type::Invalid)
        return fail(QStringLiteral("the root object has no class"));
    return KeyedUnarchiver(std::move(doc), root);
}

KeyedUnarchiver::KeyedUnarchiver(std::shared_ptr<Document> doc, uint64_t object)
    : doc_(std::move(doc)), object_(object)
{
    const Node dict = doc_->view.node(object);
    entries_.reserve(dict.count);
    for (uint64_t i = 0; i < dict.count; ++i)
        entries_.emplace_back(doc_->view.dictKey(dict, i), doc_->view.dictValue(dict, i));
}

KeyedUnarchiver::KeyedUnarchiver(const KeyedUnarchiver&) = default;
KeyedUnarchiver::KeyedUnarchiver(KeyedUnarchiver&&) noexcept = default;
KeyedUnarchiver& KeyedUnarchiver::operator=(const KeyedUnarchiver&) = default;
KeyedUnarchiver& KeyedUnarchiver::operator=(KeyedUnarchiver&&) noexcept = default;
KeyedUnarchiver::~KeyedUnarchiver() = default;

QString KeyedUnarchiver::className() const
{
    return doc_->view.string(doc_->className(object_));
}

QStringList KeyedUnarchiver::classChain() const
{
    const bplist::View& view = doc_->view;
    QStringList chain;
    uint64_t index = 0;
    if (!doc_->uidOf(view.find(view.node(object_), kClassKey), &index))
        return chain;
    const Node list = view.node(view.find(view.node(doc_->object(index)), "$classes"));
    if (list.type == Type::Array)
        for (uint64_t i = 0; i < list.count; ++i) {
            const Node item = view.node(view.member(list, i));
            if (item.type == Type::Ascii || item.type == Type::Utf16)
                chain.append(view.string(item));
        }
    return chain;
}

uint64_t KeyedUnarchiver::entry(const char* key) const
{
    const size_t n = entries_.size();
    const size_t length = std::strlen(key);
    for (size_t k = 0; k < n; ++k) {
        const size_t i = (cursor_ + k) % n;
        if (doc_->view.equals(doc_->view.node(entries_[i].first), key, length)) {
            cursor_ = i + 1;
            return entries_[i].second;
        }
    }
    return kNone;
}

bool KeyedUnarchiver::containsKey(const char* key) const
{
    return entry(key) != kNone;
}

QStringList KeyedUnarchiver::keys() const
{
    QStringList list;
    for (const auto& [key, value] : entries_) {
        const QString name = doc_->view.string(doc_->view.node(key));
        if (name != QLatin1String(kClassKey))
            list.append(name);
    }
    return list;
}

uint64_t KeyedUnarchiver::objectFor(const char* key) const
{
    uint64_t index = 0;
    const uint64_t value = entry(key);
    if (value == kNone || !doc_->uidOf(value, &index) || index == 0)
        return kNone;
    const uint64_t object = doc_->object(index);
    if (object == kNone || doc_->view.equals(doc_->view.node(object), kNullMarker, std::strlen(kNullMarker)))
        return kNone;
    return object;
}

std::optional<QRectF> KeyedUnarchiver::decodeRect(const char* key) const
{
    const auto text = decodeStringEntry(key);
    if (!text)
        return std::nullopt;
    return rectFromText(*text);
}

std::optional<bool> KeyedUnarchiver::decodeBool(const char* key) const
{
    const Node n = doc_->view.node(entry(key));
    if (n.type != Type::Bool)
        return std::nullopt;
    return doc_->view.boolValue(n);
}

std::optional<qint32> KeyedUnarchiver::decodeInt32(const char* key) const
{
    const Node n = doc_->view.node(entry(key));
    if (n.type != Type::Integer || n.width > 8)
        return std::nullopt;
    const int64_t value = doc_->view.integer(n);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

std::optional<float> KeyedUnarchiver::decodeFloat(const char* key) const
{
    const Node n = doc_->view.node(entry(key));
    if (n.type != Type::Real)
        return std::nullopt;
    return static_cast<float>(doc_->view.real(n));
}

std::optional<QString> KeyedUnarchiver::decodeStringEntry(const char* key) const
{
    const Node n = doc_->view.node(entry(key));
    if (n.type != Type::Ascii && n.type != Type::Utf16)
        return std::nullopt;
    return doc_->view.string(n);
}

std::optional<QString> KeyedUnarchiver::decodeString(const char* key) const
{
    const bplist::View& view = doc_->view;
    const uint64_t object = objectFor(key);
    const Node n = view.node(object);
    if (n.type == Type::Ascii || n.type == Type::Utf16)
        return view.string(n);
    // Mutable strings are stored as objects holding "NS.string".
    if (n.type == Type::Dict && doc_->className(object).type != Type::Invalid) {
        const Node text = view.node(view.find(n, "NS.string"));
        if (text.type == Type::Ascii || text.type == Type::Utf16)
            return view.string(text);
    }
    return std::nullopt;
}

std::optional<KeyedUnarchiver> KeyedUnarchiver::decodeObject(const char* key) const
{
    const uint64_t object = objectFor(key);
    if (object == kNone || doc_->view.node(object).type != Type::Dict
        || doc_->className(object).type == Type::Invalid)
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
    if (!doc_->view.equals(doc_->className(object_), "NSColor", 7))
        return std::nullopt;
    std::optional<float> c[4] = {decodeFloat("NSRed"), decodeFloat("NSGreen"), decodeFloat("NSBlue"),
                                 decodeFloat("NSAlpha")};
    for (const auto& component : c)
        if (!component)
            return std::nullopt;
    return QColor::fromRgbF(*c[0], *c[1], *c[2], *c[3]);
}

std::optional<QFont> KeyedUnarchiver::decodeFont(const char* key) const
{
    const auto object = decodeObject(key);
    return object ? object->asFont() : std::nullopt;
}

std::optional<QFont> KeyedUnarchiver::asFont() const
{
    if (!doc_->view.equals(doc_->className(object_), "NSFont", 6))
        return std::nullopt;
    const auto name = decodeStringEntry("NSName");
    if (!name)
        return std::nullopt;
    QFont font;
    font.setFamily(*name);
    const Node size = doc_->view.node(entry("NSSize"));
    if (size.type == Type::Real) {
        const double points = doc_->view.real(size);
        if (points > 0)
            font.setPointSizeF(points);
    } else if (const auto pixels = decodeInt32("NSPixelSize"); pixels && *pixels > 0) {
        font.setPixelSize(*pixels);
    }
    if (const auto weight = decodeInt32("NSWeight"); weight && *weight >= 1 && *weight <= 1000)
        font.setWeight(QFont::Weight(*weight));
    font.setItalic(decodeBool("NSItalic").value_or(false));
    font.setUnderline(decodeBool("NSUnderline").value_or(false));
    font.setStrikeOut(decodeBool("NSStrikeOut").value_or(false));
    return font;
}

std::optional<StoredPicture> KeyedUnarchiver::decodeImage(const char* key) const
{
    const auto object = decodeObject(key);
    return object ? object->asImage() : std::nullopt;
}

std::optional<StoredPicture> KeyedUnarchiver::asImage() const
{
    if (!doc_->view.equals(doc_->className(object_), "NSImage", 7))
        return std::nullopt;
    const Node png = doc_->view.node(entry("NSPNG"));
    if (png.type != Type::Data)
        return std::nullopt;
    // Only the header is read here: the pixels are decoded when drawn, at
    // the size the drawing needs, and saving writes these very bytes back.
    // The kind is judged by content, whatever the key's name says.
    const StoredPicture picture = StoredPicture::fromBytes(doc_->view.data(png));
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

std::optional<QByteArray> KeyedUnarchiver::decodeData(const char* key) const
{
    const Node n = doc_->view.node(objectFor(key));
    if (n.type != Type::Data)
        return std::nullopt;
    return doc_->view.data(n);
}

// ---------------------------------------------------------------- single values

// The root object itself is the colour or the font. An invalid colour is
// archived as opaque black, the colour Qt paints for it.
QByteArray archiveColor(const QColor& color)
{
    KeyedArchiver out(QStringLiteral("NSColor"), {QStringLiteral("NSObject")});
    out.d->colorFields(out.d->open.back(), color.isValid() ? rgbColor(color) : QColor(Qt::black));
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
    out.d->fontFields(out.d->open.back(), font);
    return out.finish();
}

std::optional<QFont> unarchiveFont(const QByteArray& data)
{
    const auto in = KeyedUnarchiver::open(data);
    return in ? in->asFont() : std::nullopt;
}

} // namespace platform
