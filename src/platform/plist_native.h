#pragma once
// Low-level helpers on libplist, used only to write binary property lists
// (reading goes through platform/plist_reader.h, XML is written by Plist).
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

// Serialises a node tree. Empty on failure.
QByteArray toBinary(plist_t node);

// UTF-8 of a string without U+0000 (libplist keeps C strings).
QByteArray cString(const QString& text);

} // namespace platform::native
