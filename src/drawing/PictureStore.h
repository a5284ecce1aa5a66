#pragma once
// Pictures read from files, shared read-only between threads. A picture is
// decoded once per file version and never changed afterwards: whoever needs
// another picture swaps the pointer, so drawing threads keep what they hold.
#include "platform/picture_decode.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>

namespace drawing {

struct Picture {
    QImage image;       // decoded pixels, ARGB32 premultiplied, never modified
    QSizeF pointSize;   // pixels x 72 / the picture's dpi
    QSizeF cappedSize;  // pointSize with each side capped (724 x 468 points)
    QString path;       // the file it came from ("" when made in memory)
};
using PicturePtr = std::shared_ptr<const Picture>;

// Size in points of a picture: pixels x 72 / its dpi (72 when it has none).
QSizeF pointSizeOf(const QImage& image);
// Each side capped by itself: width at most 724, height at most 468 points.
QSizeF cappedPointSize(QSizeF size);

// Reads a picture by content (not by suffix). Null for a missing, corrupt or
// empty file; the reason is logged once per path. Pictures over the decode
// limit are read scaled down with their aspect kept (logged). Shared by the
// file's identity (device, inode, size and modification time), so every
// spelling of one path reads it once. The pictures alive at a time hold at
// most the picture budget: past it a picture is read smaller, or refused
// when little is left (logged).
PicturePtr loadPicture(const QString& path);

// Most pixels the pictures read from files may hold together (512 MB).
inline constexpr qint64 kMaxDesignPixels = 8 * platform::kMaxDecodePixels;
// Test hook: sets the picture budget (0: the default) and returns the old one.
qint64 setPictureBudget(qint64 pixels);

// Wraps an image made in memory (barcode pictures carry their own dpi).
PicturePtr pictureFromImage(const QImage& image);

// The same for an in-memory image, cached by the image's identity so that
// repeated draws of one graphic convert it once.
PicturePtr pictureOf(const QImage& image);

// A path in standard form: leading "~" expanded, "." and ".." resolved.
QString standardizedPath(const QString& path);

// Logs the text once per key for the life of the process (thread-safe).
void logOnce(const QString& key, const QString& text);

// Largest picture decoded at full size, in pixels (the shared decode policy).
using platform::kMaxDecodePixels;

} // namespace drawing
