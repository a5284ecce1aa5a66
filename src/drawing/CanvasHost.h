#pragma once
// What the canvases and their frames ask of the main window controller,
// without the drawing layer depending on the editor: the card background of
// the current side, the card outline for the silhouette, and the state of the
// buttons that follow the selection size. The controller installs itself.
#include <QRectF>

class QPainter;
class QBXGraphicView;

class CanvasHost {
public:
    virtual ~CanvasHost() = default;
    // Paints the current side's background; `cardRect` is the whole card in
    // points, `dirty` only clips.
    virtual void Card_Base_Drawing(QPainter& painter, const QRectF& cardRect, const QRectF& dirty) = 0;
    // The card outline: 0 rectangle, 1 rounded rectangle, 2 oval.
    virtual int cardShape() const = 0;
    // A canvas set its selection to `count` graphics.
    virtual void selectionSizeChanged(int count) = 0;
};

namespace drawing {
CanvasHost* canvasHost();
void setCanvasHost(CanvasHost* host);
} // namespace drawing
