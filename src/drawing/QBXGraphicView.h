#pragma once
// The editing canvas: one graphic list of the document over the card
// background and the grid, with handles on the selected graphics.
//
// The canvas is flipped (y grows downwards) and measures in points; at zoom
// z one point is z pixels. Its card extent is the point size set by the
// controller (setFrameSize), never the widget's pixel size.
//
// Bindings are explicit listeners: the list (insertions, removals and each
// graphic's drawing bounds and contents), the selection holder and the grid.
// Every change only marks areas as needing display; drawing happens in the
// paint pass and skips graphics outside the dirty area.
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXGrid.h"
#include "platform/observation.h"
#include "platform/selection_holder.h"

#include <QPointer>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>



class QTimer;
class QMouseEvent;
class QBXZoomingScrollView;

inline const QString QBXGraphicViewGraphicsBindingName = QStringLiteral("graphics");
inline const QString QBXGraphicViewGraphicsBindingName_back = QStringLiteral("graphics_back");
inline const QString QBXGraphicViewGraphicsBindingName_temp = QStringLiteral("graphics_temp");
inline const QString QBXGraphicViewSelectionIndexesBindingName = QStringLiteral("selectionIndexes");
inline const QString QBXGraphicViewGridBindingName = QStringLiteral("grid");
inline const QString QBXGraphicViewPasteboardType = QStringLiteral("Quillbox 2 pasteboard type");

class QBXGraphicView : public QWidget, public platform::Observer {
    Q_OBJECT
public:
    explicit QBXGraphicView(const QRectF& frame = {}, QWidget* parent = nullptr);
    ~QBXGraphicView() override;

    // ---- bindings ----
    // "graphics", "graphics_back" or "graphics_temp" to a document and key
    // path ("document.graphics" ...); options are refused (logged, no
    // binding). Returns false when nothing was bound.
    bool bind(const QString& name, QBXDocument* container, const QString& keyPath,
              const QVariantMap& options = {});
    bool bind(const QString& name, platform::SelectionHolder* container, const QString& keyPath,
              const QVariantMap& options = {});
    bool bind(const QString& name, QBXGrid* grid);
    void unbind(const QString& name);

    GraphicList graphics() const;
    QBXDocument* graphicsContainer() const { return _graphicsContainer; }
    QString graphicsKeyPath() const { return _graphicsKeyPath; }
    platform::IndexSet selectionIndexes() const;
    platform::SelectionHolder* selectionIndexesContainer() const { return _selectionIndexesContainer; }
    // Writes the selection; logs and does nothing while unbound.
    void changeSelectionIndexes(const platform::IndexSet& indexes);
    GraphicList selectedGraphics() const;
    QBXGrid* grid() const { return _grid; }
    void setGrid(QBXGrid* grid);

    // Inserts into / removes from the bound list (through the document);
    // logs and does nothing while unbound. Indexes past the list are skipped.
    void insertGraphics(const GraphicList& graphics, const std::vector<int>& indexes);
    void removeGraphicsAtIndexes(const std::vector<int>& indexes);

    void startObservingGraphics(const GraphicList& graphics);
    void stopObservingGraphics(const GraphicList& graphics);
    void observeValueForKey(const QString& key, platform::Observable* object, const platform::Change& change,
                            void* context) override;

    // ---- geometry ----
    QSizeF frameSize() const { return m_frameSize; }
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frameSize); }
    // The card size in points; negative or non-finite sizes are ignored.
    void setFrameSize(const QSizeF& size);
    double zoom() const { return m_zoom; }
    // Pixels per point; zero, negative or non-finite factors are ignored.
    void setZoom(double factor);
    bool isFlipped() const { return true; }
    bool isOpaque() const { return true; }
    bool acceptsFirstResponder() const { return true; }

    // ---- redraw ----
    // Marks a rectangle in points (rounded outward to whole pixels plus one).
    void setNeedsDisplayInRect(const QRectF& rect);
    void setNeedsDisplay();
    // Draws the background, the grid, the graphics and their handles into a
    // painter already scaled to points.
    void drawRect(QPainter& painter, const QRectF& dirty);

    // ---- ruler marks ----
    void beginEchoingMoveToRulers(const QRectF& rect);
    void continueEchoingMoveToRulers(const QRectF& rect);
    void stopEchoingMoveToRulers();
    void showOrHideRulers();
    void Refresh_ScrollView();
    QBXZoomingScrollView* enclosingScrollView() const;

    // ---- creation (QBXGraphicView_creation.cpp) ----
    // Creates a graphic of the named class in the rectangle (points), as one
    // undo group with the selection cleared first: a non-empty text becomes
    // its Text_Value with stroke and fill off; "PARTY_*" ids get their
    // alignment (centred title, date, time and venue; right-aligned sender)
    // and the title its font; corners snap to a constraining grid; the
    // graphic goes to the top of the list, selected and current. A creation
    // that ends with zero width and height leaves nothing.
    void createGraphicOfClass(const QString& className, QMouseEvent* event, bool use_rect, const QRectF& bound_rect,
                              const QString& card_side, const QString& ctrl_value, const QString& ctrl_ID);
    // The first text or picture graphic, from the top, with the control id.
    GraphicPtr Selcect_Ctrl_With_ID(const QString& ctrl_ID) const;

    // ---- the canvas's current graphic: a weak reference (null once the
    // graphic is destroyed; leaving the list does not clear it) ----
    GraphicPtr Selected_Graphic() const { return _Selected_Graphic.lock(); }
    void Set_Selected_Graphic(const GraphicPtr& graphic) { _Selected_Graphic = graphic; }

    // Fields the commands, tracking and creation code share.
    QPointer<QBXDocument> _graphicsContainer;
    QString _graphicsKeyPath;
    QPointer<platform::SelectionHolder> _selectionIndexesContainer;
    QString _selectionIndexesKeyPath;
    QPointer<QBXGrid> _grid;
    QRectF _rulerEchoedBounds;
    GraphicPtr _creatingGraphic;
    std::weak_ptr<QBXGraphic> _Selected_Graphic;
    QRectF _marqueeSelectionBounds;
    bool _isHidingHandles = false;
    QTimer* _handleShowingTimer = nullptr;
    qint64 _pasteboardChangeCount = -1;
    qint64 _pasteCascadeNumber = 0;
    std::optional<platform::IndexSet> _undoSelectionIndexes;

    // Number of paint passes (for checks and measurements).
    int paintCount() const { return m_paintCount; }

signals:
    // The canvas drew an empty list: show the card's properties. Emitted once,
    // after the paint pass, however often the list was drawn empty in it.
    void showCardPropertiesRequested();
    // The frame size in points changed.
    void frameSizeChanged(const QSizeF& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString listKey() const;
    void listChanged(const platform::Change& change);
    void selectionChanged(const platform::IndexSet& oldIndexes, const platform::IndexSet& newIndexes);
    void markGraphicsAtIndexes(const platform::IndexSet& indexes);
    void applyPixelSize();
    bool needsToDraw(const QRectF& rect, const QRectF& dirty) const;

    QSizeF m_frameSize;
    double m_zoom = 1.0;
    bool m_listObserved = false;
    bool m_panelRequestQueued = false;
    QMetaObject::Connection m_selectionConnection;
    QMetaObject::Connection m_gridConnection;
    int m_paintCount = 0;
    QRegion m_dirtyRegion;
    bool m_usingRegion = false;
};
