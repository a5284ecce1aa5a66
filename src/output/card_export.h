#pragma once
// Card pictures leaving as files, without any widget: file names, the run's
// own folder, the front-over-back picture and the writer that writes the
// format the extension names, atomically.
#include <QIODevice>
#include <QImage>
#include <QString>

namespace card_export {

// What an export run reads, taken from the dialog once before it starts.
struct Export_Request {
    QString side = QStringLiteral("F"); // "BOTH", "F", "B"
    bool combined = false;               // both sides in one picture
    QString extension = QStringLiteral("PNG");
    double dpi = 72.0;
};

// The back file beside a front file: Invite.png -> Invite_Back.png,
// a.b.png -> a.b_Back.png. Only the last path component changes.
QString Create_Back_Card_Path(const QString& path);

// The files a single export of `request` writes for the chosen `path`, in
// writing order: the back file first when both sides go to two files.
QStringList Single_Export_Files(const Export_Request& request, const QString& path);

// A new folder for a batch run inside `parent`: "VELT Festrune", or
// "VELT Festrune 2", "3", ... when taken, so runs never mix. Empty when it
// cannot be made.
QString Create_Run_Folder(const QString& parent);

// Front in the top half, back below it, on a picture of the front's width
// and twice its height. Null when either side is missing.
QImage Combine_Front_Back(const QImage& front, const QImage& back);

// Writes the picture as PNG: 8-bit RGB when every pixel is opaque, else
// straight (not premultiplied) RGBA; the UP filter on each row and
// fast deflate; the picture's resolution as its pHYs chunk. Readers see the
// picture's pixels exactly. On failure `error` gets the reason.
bool Write_Png(const QImage& picture, QIODevice& device, QString* error);

// Writes the picture in the format the path's extension names (TIFF for
// .tif/.tiff, else PNG) through a temporary file renamed over the target:
// a failure leaves no partial or temporary file. On failure `error` gets the
// reason.
bool Write_Picture(const QImage& picture, const QString& path, QString* error);

// The same for a batch run's new files: never replaces a file, and is not
// forced to disk file by file; the run ends with Sync_Run_Folder, which
// forces all of them at once (one wait instead of one per file).
bool Write_Run_Picture(const QImage& picture, const QString& path, QString* error);
bool Sync_Run_Folder(const QString& folder, QString* error);

} // namespace card_export
