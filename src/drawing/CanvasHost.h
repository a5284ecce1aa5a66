#pragma once
// What the canvases and their frames ask of the main window controller,
// without the drawing layer depending on the editor: the card background of
// the current side, the card outline for the silhouette, and the state of the
// buttons that follow the selection size. The controller installs itself.
#include "drawing/QBXRenderingView.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>
#include <utility>

class QPainter;
class QBXGraphic;
class QBXGraphicView;

class CanvasHost {
public:
    virtual ~CanvasHost() = default;
    // Paints the current side's background; `cardRect` is the whole card in
    // points, `dirty` only clips.
    virtual void Card_Base_Drawing(QPainter& painter, const QRectF& cardRect, const QRectF& dirty) = 0;
    // The background picture of the current side with the pixels it needs
    // at pixelsPerPoint (none when the side shows none), as its draw asks.
    virtual std::pair<platform::StoredPicture, QSize> cardBackgroundPicture(const QRectF&, double) { return {}; }
    // The card outline: 0 rectangle, 1 rounded rectangle, 2 oval.
    virtual int cardShape() const = 0;
    // A canvas set its selection to `count` graphics.
    virtual void selectionSizeChanged(int count) = 0;

    // ==== canvas editing: what tracking, creation and the commands ask of
    // the controller (defaults for a canvas without a window) ====
    // The class name of the current tool's graphic kind ("" for none).
    virtual QString currentGraphicClass() const { return {}; }
    virtual int selectedControlTool() const { return 0; }
    // The property panel for a graphic, or the card's (null).
    virtual void showProperties(const std::shared_ptr<QBXGraphic>&) {}
    virtual void openBarcodeWindow() {}
    virtual void undoRedoButtonState() {}
    virtual void pasteButtonStatus() {}
    // The path chosen for the next picture graphic.
    virtual QString libraryImagePath() const { return {}; }
    // Placeholder pictures: "no" (missing picture), "sign", "fp".
    virtual QImage placeholderPicture(const QString&) const { return {}; }
    // A picture or signature graphic was just made: the picture controls
    // go back to their defaults (no graphic is written).
    virtual void resetImageEditingControls() {}
    // The card records and frame the clipboard's PDF is drawn with.
    virtual CardRenderContext cardRenderContext() const { return {}; }
    // Stores a pasted picture as a PNG file of its own; its path, or "" when
    // it could not be written (the failure has been shown).
    virtual QString storePastedPicture(const QImage&) { return {}; }
    // ==== end of canvas editing ====
};

namespace drawing {
CanvasHost* canvasHost();
void setCanvasHost(CanvasHost* host);
} // namespace drawing
