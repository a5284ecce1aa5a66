// Property dictionaries of the line, picture and text kinds: the base
// dictionary with the entries of each kind.
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXText.h"
#include "platform/geometry_text.h"
#include "platform/stored_picture.h"

#include <QDataStream>
#include <QIODevice>

namespace {
const QString kContents = QStringLiteral("contents");
const QString kFlipH = QStringLiteral("flippedHorizontally");
const QString kFlipV = QStringLiteral("flippedVertically");
const QString kBegin = QStringLiteral("beginPoint");
const QString kEnd = QStringLiteral("endPoint");

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}
} // namespace

QVariantMap QBXLine::properties()
{
    QVariantMap p = QBXGraphic::properties();
    p.remove(QStringLiteral("bounds"));
    p.insert(kBegin, platform::pointToText(beginPoint()));
    p.insert(kEnd, platform::pointToText(endPoint()));
    return p;
}

void QBXLine::initWithProperties(const QVariantMap& p)
{
    QBXGraphic::initWithProperties(p);
    auto point = [&](const QString& key) {
        const QVariant v = p.value(key);
        return v.typeId() == QMetaType::QString ? platform::pointFromText(v.toString()) : QPointF();
    };
    setBounds(boundsWithBeginPoint(point(kBegin), point(kEnd), &_pointsRight, &_pointsDown));
}

QVariantMap QBXImage::properties()
{
    QVariantMap p = QBXGraphic::properties();
    // The picture's own bytes (its file's, or those it came with), never
    // the pixels encoded anew.
    if (const QByteArray bytes = storedPicture().storedBytes(); !bytes.isEmpty())
        p.insert(kContents, bytes);
    p.insert(kFlipH, _isFlippedHorizontally);
    p.insert(kFlipV, _isFlippedVertically);
    return p;
}

void QBXImage::initWithProperties(const QVariantMap& p)
{
    QBXGraphic::initWithProperties(p);
    const QVariant c = p.value(kContents);
    if (c.typeId() == QMetaType::QByteArray) {
        // Only the header is read: the pixels are decoded when drawn.
        if (const auto picture = platform::StoredPicture::fromBytes(c.toByteArray()); !picture.isNull())
            _contents = picture;
    }
    if (isNumber(p.value(kFlipH)))
        _isFlippedHorizontally = p.value(kFlipH).toBool();
    if (isNumber(p.value(kFlipV)))
        _isFlippedVertically = p.value(kFlipV).toBool();
}

QVariantMap QBXText::properties()
{
    QVariantMap p = QBXGraphic::properties();
    const TextStorage& storage = Text_contents();
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << storage.text << storage.font << storage.color;
    p.insert(kContents, data);
    return p;
}

void QBXText::initWithProperties(const QVariantMap& p)
{
    QBXGraphic::initWithProperties(p);
    const QVariant c = p.value(kContents);
    if (c.typeId() != QMetaType::QByteArray)
        return;
    QByteArray data = c.toByteArray();
    QDataStream in(&data, QIODevice::ReadOnly);
    in.setVersion(QDataStream::Qt_6_4);
    TextStorage storage;
    in >> storage.text >> storage.font >> storage.color;
    if (in.status() == QDataStream::Ok)
        contents_val = storage;
}
