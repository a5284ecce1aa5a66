#pragma once
// Low-level helpers on libplist shared by the property-list and keyed-archive
// code: owned nodes, locale-safe parsing and the XML writer's post-processing.
#include <QByteArray>
#include <QString>
#include <memory>
#include <plist/plist.h>

namespace platform::native {

struct NodeDeleter {
    void operator()(plist_t node) const
    {
        if (node)
            plist_free(node);
    }
};
using Node = std::unique_ptr<std::remove_pointer_t<plist_t>, NodeDeleter>;

// Serialises a node tree. XML output has its control characters and CR
// turned into character references. Empty on failure.
QByteArray toXml(plist_t node);
QByteArray toBinary(plist_t node);

// Parses XML or binary data with numbers read in the C locale. Null (with
// an error text) for empty, over-large, truncated or malformed data.
Node parse(const QByteArray& bytes, QString* error);

// A UID node, or the XML spelling of one (a dictionary holding only an
// integer "CF$UID"). Sets *uid and answers true when the node is either.
bool uidValue(plist_t node, quint64* uid);

// UTF-8 of a string without U+0000 (libplist keeps C strings).
QByteArray cString(const QString& text);

} // namespace platform::native
