#pragma once
// The viewport of the zooming scroll view: it holds the canvas, keeps the card
// centred while it is smaller than the visible area, limits scrolling to the
// card otherwise, and paints the area around the card: a light grey gradient
// and the card's silhouette with a soft shadow, in the card's outline.
//
// Geometry is in points: the bounds are the visible area in the canvas's
// coordinates (origin = scroll position, negative while centred; size =
// viewport pixels / zoom).
#include <QImage>
#include <QMutex>
#include <QPointF>
#include <QRectF>
#include <QWidget>

class QBXGraphicView;

class QBXCenteringClipView : public QWidget {
    Q_OBJECT
public:
    explicit QBXCenteringClipView(QWidget* parent = nullptr);

    QBXGraphicView* documentView() const { return m_document; }
    void setDocumentView(QBXGraphicView* canvas) { m_document = canvas; }

    // The document's frame in points (its card size; empty without one).
    QRectF documentRect() const;
    QRectF bounds() const { return m_bounds; }
    // Sets the bounds size (points), then centres.
    void setBoundsSize(const QSizeF& size);
    void setBoundsOrigin(const QPointF& origin);

    // Keeps the card centred on each axis where the bounds are larger.
    void centerDocument();
    // The scroll position allowed for a proposed one (see the class comment).
    QPointF constrainScrollPoint(const QPointF& proposed) const;
    // Scrolls to a (constrained) position.
    void scrollToPoint(const QPointF& proposed);

    QImage bgImagePattern() const;
    void setBgImagePattern(const QImage& pattern);
    // The cached silhouette with its shadow; null until first drawn.
    const QImage& bgImage() const { return m_bgImage; }
    // The outline last drawn (for checks).
    int silhouetteShape() const { return m_bgShape; }

    static constexpr double kShadowOffset = 3.0; // right and down
    static constexpr double kShadowBlur = 15.0;

signals:
    void boundsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawSilhouette(QPainter& painter);

    QBXGraphicView* m_document = nullptr;
    QRectF m_bounds;
    mutable QMutex m_patternMutex;
    QImage m_bgImagePattern;
    QImage m_bgImage;
    QSize m_bgSize;
    int m_bgShape = -1;
    QImage m_composite; // gradient and silhouette, as last painted
    QRect m_compositeCard;
    int m_compositeShape = -1;
};
