#pragma once
// Readers of property-list bytes that may come from anywhere (a settings
// file, another program's clipboard data, a file picked by the user): they
// never abort, never recurse without bound and never expand shared objects
// without bound. Plist::fromData uses them; errors come back as text.
#include "platform/plist.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// Deepest nesting of arrays and dictionaries read.
inline constexpr int kMaxPlistDepth = 512;

// Binary ("bplist00"): every reference to a shared object costs one visit;
// visits and the bytes of strings and data made are budgeted in proportion
// to the input, with a fixed ceiling.
std::optional<Plist> readBinaryPlist(const QByteArray& bytes, QString* error);

// XML: the element count is budgeted and nesting limited; the parser does
// not recurse.
std::optional<Plist> readXmlPlist(const QByteArray& bytes, QString* error);

} // namespace platform
