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
#include "platform/undo_manager.h"

#include <QPointer>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>



class QTimer;
class QMouseEvent;
class QBXZoomingScrollView;
class QKeyEvent;

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
    // The pictures a paint of dirty shows (the background's and every
    // visible graphic's that draws one) with the pixels each needs at
    // pixelsPerPoint.
    std::vector<std::pair<platform::StoredPicture, QSize>> picturesShown(double pixelsPerPoint,
                                                                         const QRectF& dirty) const;

    // ---- ruler marks ----
    void beginEchoingMoveToRulers(const QRectF& rect);
    void continueEchoingMoveToRulers(const QRectF& rect);
    void stopEchoingMoveToRulers();
    void showOrHideRulers();
    void Refresh_ScrollView();
    QBXZoomingScrollView* enclosingScrollView() const;

    // ---- creation (QBXGraphicView_creation.cpp) ----
    // The creation with a mouse event (null: from the rectangle); the same
    // as the point form of the editing section below.
    void createGraphicOfClass(const QString& className, QMouseEvent* event, bool use_rect, const QRectF& bound_rect,
                              const QString& card_side, const QString& ctrl_value, const QString& ctrl_ID);

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

    // ==== canvas editing: tracking, creation, commands, clipboard ====
    // Tracking (QBXGraphicView_tracking.cpp) is a press / move / release
    // state machine; points are canvas points (pixels / zoom). One undo group
    // spans a gesture from press to release.
    bool acceptsFirstMouse() const;
    GraphicPtr graphicUnderPoint(const QPointF& point, int* index = nullptr, bool* isSelected = nullptr,
                                 int* handle = nullptr) const;
    platform::IndexSet indexesOfGraphicsIntersectingRect(const QRectF& rect) const;
    void mouseDownAt(const QPointF& point, bool shift, int clickCount);
    void mouseDraggedTo(const QPointF& point);
    void mouseUpAt(const QPointF& point);
    bool isTracking() const { return m_gesture != Gesture::None; }
    // Ends a running gesture as a release at the last point.
    void endGesture();
    void deleteBackward() { delete_(); }
    void deleteForward() { delete_(); }
    void moveLeft() { moveSelectedGraphicsByX(-1.0, 0); }
    void moveRight() { moveSelectedGraphicsByX(1.0, 0); }
    void moveUp() { moveSelectedGraphicsByX(0, -1.0); }
    void moveDown() { moveSelectedGraphicsByX(0, 1.0); }
    void moveSelectedGraphicsByX(double dx, double dy);
    void hideHandlesMomentarily();
    void unhideHandlesForTimer();

    // Creation (QBXGraphicView_creation.cpp). With a press point the user
    // drags the size out: the release finishes the creation.
    void createGraphicOfClass(const QString& graphicClass, const std::optional<QPointF>& pressPoint, bool use_rect,
                              const QRectF& bound_rect, const QString& card_side, const QString& ctrl_value,
                              const QString& ctrl_ID);
    void ReplaceGraphicText(const QString& graphicClass, const std::optional<QPointF>& pressPoint, bool use_rect,
                            const QRectF& bound_rect, const QString& card_side, const QString& ctrl_value,
                            const QString& ctrl_ID);
    void startEditingGraphic(const GraphicPtr& graphic);
    void stopEditing();

    // Commands (QBXGraphicView_commands.cpp).
    bool There_Is_Any_Lock_Contrl() const;
    void delete_();
    void undo();
    void redo();
    // Enabled state of a command by its action name; `title` receives the
    // rulers item's title.
    bool validateMenuItem(const QString& action, QString* title = nullptr) const;
    void alignLeftEdges();
    void alignRightEdges();
    void alignTopEdges();
    void alignBottomEdges();
    void alignHorizontalCenters();
    void alignVerticalCenters();
    void alignformCenter();
    void alignWithGrid();
    void makeSameWidth();
    void makeSameHeight();
    void makeNaturalSize();
    void print_contol_or_not(int32_t value);
    void bringToFront();
    void sendToBack();
    void selectAll();
    void deselectAll();
    void Clear_Control_Selection();
    void delete_all_control();
    GraphicPtr Selcect_Ctrl_With_ID(const QString& ctrl_ID) const;
    void Hide_all_Text_control_FUP_Control();
    platform::UndoManager* undoManager() const;

    // Clipboard (QBXGraphicView_clipboard.cpp).
    void copy();
    void cut();
    void paste();
    bool makeNewImageFromPasteboard(const QPointF& point);
    // ==== end of canvas editing ====

signals:
    // The canvas drew an empty list: show the card's properties. Emitted once,
    // after the paint pass, however often the list was drawn empty in it.
    void showCardPropertiesRequested();
    // The frame size in points changed.
    void frameSizeChanged(const QSizeF& size);

protected:
    void paintEvent(QPaintEvent* event) override;
    // ==== canvas editing: Qt input ====
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    // ==== end ====

private:
    // Undo or redo one step, then select what it touched.
    void stepHistory(bool redo);

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

    // ==== canvas editing: gesture state ====
    enum class Gesture { None, Swallow, Marquee, Move, Resize, Create };
    void beginGestureGroup();
    void endGestureGroup();
    void finishGesture(const QPointF& point);
    void selectAndTrackMouse(const QPointF& point, bool shift);
    void trackMove(const QPointF& point);
    void trackResize(const QPointF& point);
    void trackMarquee(const QPointF& point);
    void finishCreation();
    void autoscrollTo(const QPointF& point);
    void markMarquee(const QRectF& rect);
    void forgetRemovedSelectedGraphic();
    void alignSelection(int command);
    void reorderSelection(bool toFront);
    QPointF eventPoint(const QMouseEvent* event) const;
    // The bound list itself, not a copy (empty while unbound).
    const GraphicList& boundList() const;
    Gesture m_gesture = Gesture::None;
    bool m_gestureGroupOpen = false;
    bool m_showPropertiesAfter = false; // run "show the current graphic's properties" at release
    QPointF m_lastPoint;
    QPointF m_pressPoint;
    platform::IndexSet m_marqueeStart;
    GraphicList m_moving;
    QRectF m_moveBounds;
    QPointF m_moveOffset;
    QPointF m_moveLast;
    bool m_moveStarted = false;
    bool m_echo = false;
    GraphicPtr m_resizing;
    int m_handle = 0;
    bool m_createGroupsByEvent = true;
    int m_createUndoCount = 0;
    std::vector<std::function<void()>> m_deferred; // keys that came during a gesture
    // ==== end ====
};
