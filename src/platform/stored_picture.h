#pragma once
// A picture a design holds, kept as it came: the encoded bytes read from a
// design file or the clipboard, the file it names, or an image made in
// memory. Only its header is read when it arrives; its pixels are decoded
// when it is drawn, at the size the drawing asks for, so a design of many
// large pictures holds their compressed bytes rather than their pixels, and
// saving writes back the very bytes it came with (never a reduced copy).
//
//   platform::StoredPicture p = platform::StoredPicture::fromBytes(png, &why);
//   QImage drawn = p.image(QSize(800, 600)); // at least 800 x 600 where it has them
//   out.encodeImage("_barcode_image", p);    // the bytes it came with
//
// Copies share one read-only state, so any thread may draw a copy.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>

namespace platform {

class StoredPicture {
public:
    StoredPicture() = default;
    // An image made in memory (barcode pictures): held as it is. Implicit, so
    // an image may be assigned wherever a stored picture is kept.
    StoredPicture(const QImage& image);

    // Encoded bytes, their kind judged by content. Null (the reason in
    // *error) when the header is not that of a picture that can be read.
    static StoredPicture fromBytes(const QByteArray& bytes, QString* error = nullptr);
    // A file's picture, read from the file whenever it is decoded. Pictures
    // of one file version share one state. Null (reason set) when the file is
    // missing, not a regular file, or its header cannot be read.
    static StoredPicture fromFile(const QString& path, QString* error = nullptr);
    // A file's picture held by its bytes, read now: it stays when the file
    // goes (pictures stored with a design). Its header is read first; files
    // past kMaxPictureFileBytes are refused unread, and of the others only
    // the bytes that hold the picture are kept (and counted in heldBytes).
    static StoredPicture copyOfFile(const QString& path, QString* error = nullptr);
    static constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;

    bool isNull() const { return !d; }
    QSize size() const;
    int width() const { return size().width(); }
    int height() const { return size().height(); }
    // Size in points: pixels x 72 / the picture's resolution (72 when none).
    QSizeF pointSize() const;
    // The file it is read from ("" for bytes and images in memory).
    QString path() const;
    // An identity shared by copies and by every picture of one file version.
    quintptr key() const { return quintptr(d.get()); }
    // The same identity held weakly: it never keeps the picture's bytes, and
    // no later picture takes it over while it is held (an address can be
    // reused once its picture is gone, a weak identity cannot).
    std::weak_ptr<const void> identity() const { return d; }
    // Bytes held by every stored picture alive: encoded bytes and images
    // made in memory (a file's picture holds none until it is decoded).
    static qint64 heldBytes();

    // The bytes to store: those it came with (a file's own bytes), or the
    // PNG of an image made in memory. Empty when the file can no longer be
    // read.
    QByteArray storedBytes() const;

    // The pixels, decoded with at least need's pixels in each direction
    // where the picture has them (aspect kept, never above its own size or
    // the decode cap); an empty need asks for the full size. Null with the
    // reason in *error when the data is damaged or the file has gone; a
    // picture whose data ends early comes as far as it was read, with that
    // said in *error.
    QImage image(QSize need = {}, QString* error = nullptr) const;

    // The same picture: one state, equal bytes or equal images.
    bool operator==(const StoredPicture& other) const;
    bool operator!=(const StoredPicture& other) const { return !(*this == other); }

    struct State;

private:
    explicit StoredPicture(std::shared_ptr<const State> state) : d(std::move(state)) {}
    std::shared_ptr<const State> d;
};

// Size in points of size pixels at the resolution in dots per metre (72 dpi
// when outside 1 to 100,000 dpi, so the size is always finite and not zero
// for a picture with pixels); resolutions within 0.05 dpi of a whole number
// are taken as that number (2835 as 72 dpi, 11811 as 300).
QSizeF pointSizeFor(QSize size, int dpmX, int dpmY);

// The decoded size for a need: the smallest scale of size, aspect kept,
// that covers need in both directions, never larger than size. An empty
// need gives size.
QSize sizeCovering(QSize size, QSize need);

} // namespace platform
