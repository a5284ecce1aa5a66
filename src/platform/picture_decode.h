#pragma once
// The one decode policy for every road that turns a file or bytes into a
// picture: the size declared in the header is read first, pictures past the
// sanity limits are refused unread, and anything above the working cap is
// decoded straight to a scaled size, so a huge picture costs the memory of
// the scaled one only.
//
//   platform::setPictureAllocationLimit();          // once, at start-up
//   QString why;
//   QImage a = platform::readPicture(path, &why);   // null: why says so
//   QImage b = platform::pictureFromBytes(png, "PNG"); // shared per content
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QImageReader;

namespace platform {

// Largest picture decoded at full size, in pixels; larger ones are read
// scaled down to this many with their aspect kept.
inline constexpr qint64 kMaxDecodePixels = 4096LL * 4096;
// Pictures declaring more pixels than this are refused without decoding.
inline constexpr qint64 kMaxPicturePixels = 128LL * 1000 * 1000;
// Qt's limit on one image allocation by a reader, in MB: room for one
// scaled read, and for the formats that decode at full size before scaling.
inline constexpr int kPictureAllocationLimitMB = 256;

// Sets Qt's reader allocation limit (process-wide). Call once at start-up.
void setPictureAllocationLimit();

// What a picture's header says, judged by content, with the checks every
// read applies: the kind must be one the program offers and the size must be
// declared and within kMaxPicturePixels. error is empty when it may be read.
struct PictureHeader {
    QByteArray format; // lower case ("png", "jpeg", ...)
    QSize size;        // full size in pixels as the header declares it
    QString error;     // why it would be refused ("" when it would be read)
    bool ok() const { return error.isEmpty(); }
};
PictureHeader readPictureHeader(QImageReader& reader);

// Reads through the policy: the kind, judged by content, must be one the
// program offers (PNG, JPEG, GIF, BMP, TIFF, WebP), with its size in the
// header; GIF, BMP and WebP, which only decode at full size, up to
// kMaxDecodePixels. When maxEdge > 0 the picture is also read scaled to fit
// maxEdge x maxEdge (thumbnails); maxPixels lowers the working cap further. Null with the reason in *error on failure or
// refusal. A scaled read keeps the picture's size in points: its resolution
// is scaled with it.
QImage readPicture(QImageReader& reader, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);
QImage readPicture(const QString& path, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);

// File name suffixes of the kinds read, each in lower and upper case, as
// the open panels and picture folders list them.
const QStringList& pictureFileSuffixes();

// Decodes picture bytes (format by content when null). Identical bytes share
// one decoded picture while it is recently used.
QImage pictureFromBytes(const QByteArray& bytes, const char* format = nullptr, QString* error = nullptr);

} // namespace platform
