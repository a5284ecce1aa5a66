#pragma once
// Pictures decoded for drawing, shared read-only between threads. Graphics
// hold their pictures as stored pictures (bytes, a file or an image made in
// memory); the drawing asks here for the pixels at the size its frame needs
// at the highest resolution the program outputs. Decoded pictures are kept
// between draws within kKeptPictureBytes, the least recently drawn going
// first, and decoded again when a frame grows or after they went.
#include "platform/picture_decode.h"
#include "platform/stored_picture.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>

namespace drawing {

struct Picture {
    QImage image;       // decoded pixels, ARGB32 premultiplied, never modified
    QSizeF pointSize;   // size in points of the whole picture
    QSizeF cappedSize;  // pointSize with each side capped (724 x 468 points)
    QSize fullSize;     // the picture's own size in pixels
    QString path;       // the file it came from ("" when made in memory)
};
using PicturePtr = std::shared_ptr<const Picture>;

// The highest resolution the program draws output at, in dots per inch.
inline constexpr double kMaxOutputDpi = 600.0;
// Most bytes of decoded pictures kept between draws. A picture is decoded
// with at most the pixels its frame needs at kMaxOutputDpi (and never more
// than platform::kMaxDecodePixels), so any one draw holds its pictures
// within that, and what stays between draws within this bound.
inline constexpr qint64 kKeptPictureBytes = 160LL * 1024 * 1024;

// Pixels a length in points needs at kMaxOutputDpi, in each direction.
QSize pixelsNeeded(QSizeF points);

// The stored picture decoded with at least need's pixels in each direction
// where it has them (an empty need: its full size), up to the decode cap.
// Null when its data cannot be decoded (the reason logged once and set in
// *why). A picture read with fewer pixels than need asks is logged with its
// name.
PicturePtr pictureFor(const platform::StoredPicture& stored, QSize need = {}, QString* why = nullptr);

// The picture of a file, as pictureFor; null for a missing, corrupt or empty
// file (the reason logged once per path). Every spelling of one file version
// shares one stored picture.
PicturePtr loadPicture(const QString& path, QSize need = {}, QString* why = nullptr);

// Size in points of a picture: pixels x 72 / its dpi (72 when it has none).
QSizeF pointSizeOf(const QImage& image);
// Each side capped by itself: width at most 724, height at most 468 points.
QSizeF cappedPointSize(QSizeF size);

// Wraps an image made in memory (barcode pictures carry their own dpi).
PicturePtr pictureFromImage(const QImage& image);

// A path in standard form: leading "~" expanded, "." and ".." resolved.
QString standardizedPath(const QString& path);

// Logs the text once per key for the life of the process (thread-safe).
void logOnce(const QString& key, const QString& text);

// Largest picture decoded, in pixels (the shared decode policy).
using platform::kMaxDecodePixels;

} // namespace drawing
