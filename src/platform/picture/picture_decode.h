#pragma once
// The one decode policy for every road that turns a file or bytes into a
// picture: the header is read by the picture's own reader first, pictures
// past the sanity limits or whose bytes cannot hold what they declare are
// refused unread, every picture is decoded straight to at most the size
// asked for, and the decodes running at once share one memory budget: one
// that would pass it waits for the others, one that could never fit is
// refused with its reason.
//
//   platform::setPictureAllocationLimit();          // once, at start-up
//   platform::DecodeBudget budget;                   // the program's, while it runs
//   QString why;
//   QImage a = platform::readPicture(path, &why);   // null: why says so
//   // not null with why set: the data is cut or damaged, what was read is shown
#include "platform/current_instance.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>

class QIODevice;
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
// The memory all decodes running at once may take together, above what the
// program holds otherwise: the pictures they make and the readers' own
// buffers (a progressive JPEG's coefficients, a lossless WebP's pixels). It
// holds a 50-megapixel progressive JPEG of full colour detail.
inline constexpr qint64 kDecodeBudgetBytes = 384LL * 1024 * 1024;

// Sets Qt's reader allocation limit (process-wide). Call once at start-up.
void setPictureAllocationLimit();

// What a picture's header says, read by its reader (libpng, libjpeg,
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
// picture whose data is cut or damaged is returned as far as it was read,
// with that said in *error. A scaled read keeps the picture's size in
// points: its resolution is scaled with it. May wait for other decodes to
// give back their memory.
QImage readPicture(QImageReader& reader, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);
QImage readPicture(const QString& path, QString* error = nullptr, int maxEdge = 0,
                   qint64 maxPixels = kMaxDecodePixels);

// Bytes from the start of device that hold its picture of the kind format
// (as readPictureHeader names it): up to its end marker, last chunk or last
// strip; the whole device when they cannot be told.
qint64 pictureExtent(QIODevice& device, const QByteArray& format);

// The memory the decodes running at once share, kDecodeBudgetBytes, served
// in turn: a decode waits until those that asked before it have been let in
// and its memory fits beside the decodes running, so a large one is not
// passed over for ever by small ones. Every read takes its share from the
// current budget (see CurrentInstance) and gives it back when it ends,
// however it ends.
class DecodeBudget {
public:
    DecodeBudget() = default;
    static DecodeBudget& current() { return CurrentInstance<DecodeBudget>::get(); }

    // Bytes the decodes running now have taken, and the most they have
    // taken at once since the budget was made.
    qint64 inUse() const;
    qint64 peak() const;

    // A share of a budget held for one decode while it lives.
    class Share {
    public:
        Share(DecodeBudget& budget, qint64 bytes);
        ~Share();
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

    private:
        DecodeBudget& budget_;
        qint64 bytes_;
    };

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    qint64 used_ = 0, peak_ = 0;
    quint64 next_ = 0, serving_ = 0;
    CurrentInstance<DecodeBudget> current_{this};
};

// What is said of a picture placed or shown whose data is damaged: the
// part read is shown.
QString shownInPart(const QString& name, const QString& notice);

// File name suffixes of the kinds read, each in lower and upper case, as
// the open panels and picture folders list them.
const QStringList& pictureFileSuffixes();

} // namespace platform
