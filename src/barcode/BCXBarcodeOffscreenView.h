#pragma once
// The off-screen barcode view: draws a linear barcode from its model, or a
// ready 2-D symbol picture, with caption, header and footer, in points with
// the origin at the lower left. The fonts, colours, margins, caption
// position and alignments are read from the designer (Barcode_Gen_Var) while
// drawing, so every renderer holds the designer's generation lock.
//
// It draws with QPainter on a QPicture (vector picture), a QPdfWriter (PDF
// bytes) or a QImage (raster); any thread may render.
#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QPicture>
#include <QRectF>
#include <QSizeF>

#include "platform/PointPicture.h"

class BCXBarcode;
class QPainter;

class BCXBarcodeOffscreenView {
public:
    BCXBarcodeOffscreenView() = default;
    // A 2-D view: frame (0, 0, designer width, designer height).
    bool initWithBarcodeImage(const PointPicture& image);
    // A linear view: frame width is the largest of the printed header width,
    // the printed footer width and the model's width; height the model's.
    bool initWithBarcode(const BCXBarcode* model);
    void setBarcode_Image_2D(const PointPicture& image) { image_2d = image; }
    const BCXBarcode* barcode() const { return m_barcode; }
    void setBarcode(const BCXBarcode* model) { m_barcode = model; }
    QSizeF frameSize() const { return m_frame; }

    // Draws the whole view. The painter's units are points with y downwards
    // (top left origin); pixelsPerPoint > 0 snaps bar and picture edges to
    // the raster's pixels, 0 draws exact (vector) coordinates.
    void drawRect(QPainter& painter, double pixelsPerPoint) const;

    // One page, the view's frame.
    bool knowsPageRange(int& first, int& count) const
    {
        first = 1;
        count = 1;
        return true;
    }
    QRectF rectForPage(int page) const;

    // PDF bytes of the drawing inside the rectangle (points); empty with the
    // reason set on failure.
    QByteArray dataWithPDFInsideRect(const QRectF& rect, QString* reason = nullptr) const;
    // The whole view as a vector picture.
    PointPicture picture(QString* reason = nullptr) const;
    // The whole view as a raster at dpi (clamped to 72..2400).
    QImage rasterImage(double dpi, QString* reason = nullptr) const;

    unsigned char fromImageOrBarcode = 0; // 0 linear model, 1 2-D picture
    PointPicture image_2d;
    // A recorded (vector) picture draws the 2-D symbol's raster as filled
    // rectangles instead of holding the image; rasters always draw the image.
    bool moduleShapes = false;

private:
    void drawLinear(QPainter& painter, double pixelsPerPoint) const;
    void draw2D(QPainter& painter, double pixelsPerPoint) const;
    bool sizeProblem(QString* reason) const;

    const BCXBarcode* m_barcode = nullptr;
    QSizeF m_frame;
};

// The picture operations: each makes a view, renders it and hands back the
// result. An invalid model or no picture gives an empty result with the
// reason (also logged). They hold the designer's generation lock.
class BCXBarcodeImage {
public:
    static PointPicture imageFromBarcode(const BCXBarcode* model, QString* reason = nullptr);
    // moduleShapes: the symbol as rectangles (see BCXBarcodeOffscreenView).
    static PointPicture imageFromBarcodeImage(const PointPicture& image, QString* reason = nullptr,
                                              bool moduleShapes = false);
    static QByteArray pdfFromBarcode(const BCXBarcode* model, QString* reason = nullptr);
    static QImage rasterFromBarcode(const BCXBarcode* model, double dpi, QString* reason = nullptr);
    static QByteArray pdfFromBarcodeImage(const PointPicture& image, QString* reason = nullptr);
    static QImage rasterFromBarcodeImage(const PointPicture& image, double dpi, QString* reason = nullptr);
};

// A picture view that takes keyboard focus, never starts a drag and ignores
// clicks.
class BCXBarcodeImageView : public QLabel {
public:
    explicit BCXBarcodeImageView(QWidget* parent = nullptr);
    bool acceptsFirstResponder() const { return true; }
    Qt::DropActions draggingSourceOperationMaskForLocal(bool) const { return Qt::IgnoreAction; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
