#pragma once
// Off-screen drawing of one card side: the background, then the graphics
// (index 0 on top), without handles. Renders to a picture, PDF and TIFF on
// any thread; nothing here touches a widget.
#include "drawing/CardBackground.h"
#include "drawing/Card_Property.h"
#include "drawing/QBXGraphic.h"

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QRectF>
#include <QString>
#include <map>
#include <memory>

// What the controller (or a test) gives the renderer: copies of both side
// records, the card shape, the side to draw, the resource folder and the
// frame (the front canvas bounds; empty when there is no canvas).
struct CardRenderContext {
    Card_Property front;
    Card_Property back;
    int cardShape = 0;
    int side = -1;          // -1: the global Card_Front_Or_Back, read once when rendering starts
    QString resourcePath;   // empty: the model's resource folder
    QRectF frame;
};

class QBXRenderingView;

// The bottom of a card side that stays the same from row to row of a run:
// the background and the lowest `graphics` printed graphics, which no row
// fills. It is drawn once per resolution and shared by the run's pictures,
// whose rasters start from a copy of it; the pixels are those of drawing
// the whole side. Safe to share between threads.
class CardUnderlay {
public:
    explicit CardUnderlay(int graphics) : graphics_(graphics) {}
    int graphics() const { return graphics_; }

private:
    friend class QBXRenderingView;
    const int graphics_;
    QMutex mutex_;
    std::map<double, QImage> images_; // by dpi
};

// A card side frozen at the moment it was asked for: later changes to the
// design do not show in it. Resolution independent: it renders at any dpi
// and to PDF from the same snapshot.
class CardPicture {
public:
    CardPicture() = default;
    bool isNull() const { return !view_; }
    QSizeF size() const; // in points
    // A raster at the dpi (pixel sizes round up), tagged with the dpi. A null
    // image for a bad dpi, or (with a message) when it would be too large.
    QImage toImage(double dpi) const;
    QByteArray toPdf() const;
    // Draws the side scaled into the target rectangle of any painter.
    void draw(QPainter& painter, const QRectF& target) const;

private:
    friend class QBXRenderingView;
    std::shared_ptr<const QBXRenderingView> view_;
};

class QBXRenderingView {
public:
    QBXRenderingView(const QRectF& frame, const GraphicList& graphics, const QString& printJobTitle,
                     CardRenderContext context = {});

    // Draws the card side; `dirty` only clips.
    void drawRect(QPainter& painter, const QRectF& dirty) const;
    QString printJobTitle() const { return _printJobTitle; }
    QRectF frame() const { return frame_; }
    bool isFlipped() const { return true; }
    bool isOpaque() const { return true; }
    // One PDF page of exactly the rectangle's size in points.
    QByteArray dataWithPDFInsideRect(const QRectF& rect) const;
    // A raster of the rectangle at the dpi (see CardPicture::toImage).
    QImage imageInsideRect(const QRectF& rect, double dpi) const;

    static QByteArray pdfDataWithGraphics_data(const GraphicList& graphics, const CardRenderContext& context);
    // The graphics alone (every one, no background), their drawing bounds'
    // union moved to the origin, 72 dpi. Empty data and error code 3 for an
    // empty union.
    static QByteArray tiffDataWithGraphics(const GraphicList& graphics, QBXError* error);
    // The card side as a frozen picture; print_box no longer selects a bitmap
    // path (the vector path serves every caller).
    static CardPicture image_From_Card_Graphics(const GraphicList& graphics, bool print_box,
                                                const CardRenderContext& context);
    // The same for a run's row: `underlay` holds the side's unchanging bottom
    // (null: none).
    static CardPicture image_From_Card_Graphics(const GraphicList& graphics, bool print_box,
                                                const CardRenderContext& context,
                                                std::shared_ptr<CardUnderlay> underlay);
    static int Get_OS_Version();

    // Largest raster made: a side and the pixel count.
    static constexpr int kMaxRasterSide = 32767;
    static constexpr qint64 kMaxRasterPixels = 256LL * 1000 * 1000;

private:
    // The background (when asked) and the graphics at positions [from, to)
    // counted from the bottom, each clipped to its drawing bounds.
    void drawLayers(QPainter& painter, const QRectF& dirty, bool background, size_t from, size_t to) const;
    // A raster of the rectangle at the dpi, drawn over `start` (a picture of
    // the same size) or over transparency by `draw`.
    QImage raster(const QRectF& rect, double dpi, const QImage& start,
                  const std::function<void(QPainter&)>& draw) const;

    QRectF frame_;
    GraphicList _graphics; // drawn copies, index 0 on top
    std::shared_ptr<CardUnderlay> underlay_;
    QString _printJobTitle;
    CardRenderContext context_;
};
