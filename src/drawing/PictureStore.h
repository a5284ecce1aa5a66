#pragma once
// Pictures decoded for drawing, shared read-only between threads. Graphics
// hold their pictures as stored pictures (bytes, a file or an image made in
// memory); the drawing asks here for the pixels its frame needs on the
// surface it draws on (the canvas at its zoom, an export at its dpi).
// Decoded pictures are kept between draws within the memory bound below, the
// least recently drawn going first, and decoded again when a frame or the
// zoom grows, or after they went.
#include "platform/current_instance.h"
#include "platform/picture/picture_decode.h"
#include "platform/stored_picture.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace drawing {

struct Picture {
    QImage image;       // decoded pixels, ARGB32 premultiplied, never modified
    QSizeF pointSize;   // size in points of the whole picture
    QSize fullSize;     // the picture's own size in pixels
    QString path;       // the file it came from ("" when made in memory)
    QString notice;     // why only part of it is shown ("" when it is whole)
};
using PicturePtr = std::shared_ptr<const Picture>;

// The highest resolution the program draws output at, in dots per inch.
inline constexpr double kMaxOutputDpi = 600.0;
// What pictures may hold in all: the encoded bytes of every stored picture
// alive and the decoded pictures kept between draws. The kept pictures give
// way to the stored bytes, within kKeptPictureBytes at most and
// kMinKeptPictureBytes at least (what one screen of pictures needs).
inline constexpr qint64 kPictureMemoryBytes = 512LL * 1024 * 1024;
inline constexpr qint64 kKeptPictureBytes = 160LL * 1024 * 1024;
inline constexpr qint64 kMinKeptPictureBytes = 48LL * 1024 * 1024;

// Pixels a length in points needs at pixelsPerPoint (at most kMaxOutputDpi),
// in each direction.
QSize pixelsNeeded(QSizeF points, double pixelsPerPoint = kMaxOutputDpi / 72.0);

// The decoded pictures kept between draws, those that could not be read,
// the decodes running and what was logged, with its counters. The program
// makes one at start and a test may make its own (see CurrentInstance); the
// functions below use the current one.
class PictureStore {
public:
    PictureStore();
    ~PictureStore();
    PictureStore(const PictureStore&) = delete;
    PictureStore& operator=(const PictureStore&) = delete;
    static PictureStore& current() { return platform::CurrentInstance<PictureStore>::get(); }

    // The stored picture decoded with at least need's pixels in each
    // direction where it has them (an empty need: its full size), up to the
    // decode cap. Null when its data cannot be decoded (the reason logged
    // once per picture and set in *why). A picture read with fewer pixels
    // than need asks is logged with its name. Kept pictures are found by the
    // stored picture's weak identity: they never keep its bytes alive, and go
    // when it goes. Draws that miss one picture at once decode it once: the
    // others wait for that decode.
    PicturePtr pictureFor(const platform::StoredPicture& stored, QSize need = {}, QString* why = nullptr);

    // Decodes the pictures not kept yet at their needs on several threads at
    // once (on this one alone when the system refuses them), so a surface
    // that shows many of them for the first time waits for the longest, not
    // for the sum. Pictures already kept cost a look-up and start no thread;
    // one picture alone is decoded on this thread.
    void decodeTogether(const std::vector<std::pair<platform::StoredPicture, QSize>>& wanted);

    // Lets go of every decoded picture kept (a design closed: its pictures
    // are decoded again when drawn) and hands the freed memory back to the
    // system.
    void release();

    // Logs the text once per key for the life of the store (thread-safe).
    void logOnce(const QString& key, const QString& text);

    // Decodes made so far by pictureFor (what the kept pictures saved is
    // seen against it).
    qint64 decodes() const;
    // The most decodes that ran at once since the last call.
    int mostDecodesAtOnce();
    // Bytes of decoded pictures kept now.
    qint64 keptBytes() const;

private:
    struct State;
    std::unique_ptr<State> d;
    platform::CurrentInstance<PictureStore> current_{this};
};

// The current store's.
inline PicturePtr pictureFor(const platform::StoredPicture& stored, QSize need = {}, QString* why = nullptr)
{
    return PictureStore::current().pictureFor(stored, need, why);
}
inline void decodeTogether(const std::vector<std::pair<platform::StoredPicture, QSize>>& wanted)
{
    PictureStore::current().decodeTogether(wanted);
}
inline void releaseDecodedPictures()
{
    PictureStore::current().release();
}
inline void logOnce(const QString& key, const QString& text)
{
    PictureStore::current().logOnce(key, text);
}

// The picture of a file, as pictureFor; null for a missing, corrupt or empty
// file (the reason logged once per path). Every spelling of one file version
// shares one stored picture.
PicturePtr loadPicture(const QString& path, QSize need = {}, QString* why = nullptr);

// Size in points of a picture: pixels x 72 / its dpi (72 when it has none).
QSizeF pointSizeOf(const QImage& image);
// Each side capped by itself: width at most 724, height at most 468 points.
QSizeF cappedPointSize(QSizeF size);

// A path in standard form: leading "~" expanded, "." and ".." resolved.
QString standardizedPath(const QString& path);

} // namespace drawing
