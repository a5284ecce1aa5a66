#pragma once
// The system clipboard (main thread only). Graphics travel under the private
// type "Quillbox 2 pasteboard type" as a binary property list, with PDF and
// TIFF forms of the same selection beside them for other programs.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace platform::pasteboard {

inline constexpr char kGraphicsType[] = "Quillbox 2 pasteboard type";
inline constexpr char kPdfType[] = "application/pdf";
inline constexpr char kTiffType[] = "image/tiff";

// Replaces the clipboard content; empty PDF or TIFF data is left out.
void putGraphics(const QByteArray& graphics, const QByteArray& pdf, const QByteArray& tiff);
bool hasGraphics();
std::optional<QByteArray> graphics();

// ==== types in preference order, data per type, change count ====
// File names travel as a URI list.
inline constexpr char kFileNamesType[] = "text/uri-list";
// A process counter bumped whenever the clipboard reports new contents
// (ours or another program's).
qint64 changeCount();
// The formats offered now.
QStringList types();
// The first of `wanted`, in that order, that the clipboard offers; "" for none.
QString availableTypeFromArray(const QStringList& wanted);
QByteArray dataForType(const QString& type);
// Replaces the contents with these flavours, in this order (empty data is
// left out); returns the change count after the replacement.
qint64 declareTypes(const std::vector<std::pair<QString, QByteArray>>& flavours);
// A picture offered by the clipboard; null when none, or when it cannot be
// decoded (also when it is over the image allocation limit).
bool hasImage();
QImage image();
// ==== end ====

} // namespace platform::pasteboard
