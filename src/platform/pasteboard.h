#pragma once
// The system clipboard (main thread only). Graphics travel under the private
// type "Quillbox 2 pasteboard type" as a binary property list, with PDF and
// TIFF forms of the same selection beside them for other programs.
#include <QByteArray>
#include <QString>
#include <optional>

namespace platform::pasteboard {

inline constexpr char kGraphicsType[] = "Quillbox 2 pasteboard type";
inline constexpr char kPdfType[] = "application/pdf";
inline constexpr char kTiffType[] = "image/tiff";

// Replaces the clipboard content; empty PDF or TIFF data is left out.
void putGraphics(const QByteArray& graphics, const QByteArray& pdf, const QByteArray& tiff);
bool hasGraphics();
std::optional<QByteArray> graphics();

} // namespace platform::pasteboard
