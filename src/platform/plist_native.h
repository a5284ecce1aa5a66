#pragma once
// Low-level helpers on libplist, used only to write property lists (reading
// goes through platform/plist_reader.h): owned nodes and the XML writer's
// post-processing.
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

// UTF-8 of a string without U+0000 (libplist keeps C strings).
QByteArray cString(const QString& text);

} // namespace platform::native
