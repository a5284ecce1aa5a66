#pragma once
// The one decode policy for every road that turns a file or bytes into a
// picture: the header is read by the picture's own codec first, pictures
// past the sanity limits are refused unread, and every picture is decoded
// straight to at most the size asked for, so a huge picture costs the memory
// of the scaled one only.
//
//   platform::setPictureAllocationLimit();          // once, at start-up
//   QString why;
//   QImage a = platform::readPicture(path, &why);   // null: why says so
//   // not null with why set: the data ends early, what was read is shown
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QImageReader;

namespace platform {

// Largest picture decoded, in pixels and on either edge; larger ones are
// read scaled down to fit with their aspect kept.
inline constexpr qint64 kMaxDecodePixels = 4096LL * 4096;
inline constexpr int kMaxDecodeEdge = 4096;
// Pictures declaring more pixels than this, or an edge longer than
// kMaxPictureEdge, are refused without decoding.
inline constexpr qint64 kMaxPicturePixels = 128LL * 1000 * 1000;
inline constexpr int kMaxPictureEdge = 1000000;
// Qt's limit on one image allocation by a reader, in MB (process-wide).
inline constexpr int kPictureAllocationLimitMB = 256;

// Sets Qt's reader allocation limit (process-wide). Call once at start-up.
void setPictureAllocationLimit();

// What a picture's header says, read by its codec (libpng, libjpeg,
// libtiff, libwebp, Qt's reader for GIF and BMP), with the checks every read
// applies: the kind must be one the program offers and the size must be
// declared and within the limits. error is empty when it may be read.
struct PictureHeader {
    QByteArray format;   // lower case ("png", "jpeg", ...)
    QSize size;          // size in pixels as drawn: turned by its orientation
    int dpmX = 0;        // declared resolution as drawn, dots per metre;
    int dpmY = 0;        // 0 when none or outside 1 to 100,000 dpi
    int orientation = 1; // EXIF or TIFF orientation (1: as stored)
    QString error;       // why it would be refused ("" when it would be read)
    bool ok() const { return error.isEmpty(); }
};
PictureHeader readPictureHeader(QImageReader& reader);

// Reads through the policy: the kind, judged by content, must be one the
// program offers (PNG, JPEG, GIF, BMP, TIFF, WebP). The picture is read at
// most maxPixels (itself at most kMaxDecodePixels) and kMaxDecodeEdge on
// either edge, and when maxEdge > 0 scaled to fit maxEdge x maxEdge
// (thumbnails). Null with the reason in *error on failure or refusal; a
// picture whose data ends early is returned as far as it was read, with that
// said in *error. A scaled read keeps the picture's size in points: its
// resolution is scaled with it.
QImage readPicture(QImageReader& reader, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);
QImage readPicture(const QString& path, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);

// File name suffixes of the kinds read, each in lower and upper case, as
// the open panels and picture folders list them.
const QStringList& pictureFileSuffixes();

} // namespace platform
