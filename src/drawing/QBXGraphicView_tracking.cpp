// Mouse tracking and keys of the canvas: hit testing, click and shift-click
// selection, the marquee, moving the selection with grid snapping and ruler
// marks, resizing by a handle, arrow-key nudges and the momentary hiding of
// handles.
//
// Tracking is a press / move / release state machine: the press runs the
// dispatch, moves run the body of the tracking loop, the release runs what
// follows it. One undo group spans the gesture, so a drag is one undo step.
#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/CanvasHost.h"
#include "drawing/QBXZoomingScrollView.h"
#include "drawing/RefreshSeam.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace {

constexpr double kMoveThreshold = 2.0;
constexpr int kHandleHidingMilliseconds = 500;

void logException(const std::exception& e)
{
    Show_NSLog_Message(QString::fromUtf8(e.what()));
}

QRectF rectBetween(const QPointF& a, const QPointF& b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}

} // namespace

const GraphicList& QBXGraphicView::boundList() const
{
    static const GraphicList none;
    if (!_graphicsContainer || _graphicsKeyPath.isEmpty())
        return none;
    return _graphicsContainer->listForKey(listKey());
}

bool QBXGraphicView::acceptsFirstMouse() const
{
    return selectionIndexes().empty();
}

GraphicPtr QBXGraphicView::graphicUnderPoint(const QPointF& point, int* index, bool* isSelected, int* handle) const
{
    const GraphicList& list = boundList();
    const platform::IndexSet selection = selectionIndexes();
    for (size_t i = 0; i < list.size(); ++i) {
        const GraphicPtr& g = list[i];
        if (!g || !g->drawingBounds().contains(point))
            continue;
        const bool selected = selection.count(int(i)) > 0;
        int h = QBXGraphicNoHandle;
        if (selected)
            h = g->handleUnderPoint(point);
        if (h == QBXGraphicNoHandle && !g->isContentsUnderPoint(point))
            continue;
        if (index)
            *index = int(i);
        if (isSelected)
            *isSelected = selected;
        if (handle)
            *handle = h;
        return g;
    }
    return nullptr;
}

platform::IndexSet QBXGraphicView::indexesOfGraphicsIntersectingRect(const QRectF& rect) const
{
    platform::IndexSet hits;
    if (rect.width() <= 0 || rect.height() <= 0)
        return hits;
    const GraphicList& list = boundList();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] && list[i]->drawingBounds().intersects(rect))
            hits.insert(int(i));
    }
    return hits;
}

// ---------------------------------------------------------------- gestures

void QBXGraphicView::beginGestureGroup()
{
    platform::UndoManager* um = undoManager();
    if (!um || m_gestureGroupOpen)
        return;
    um->closeEventGroup();
    um->beginUndoGrouping();
    m_gestureGroupOpen = true;
}

void QBXGraphicView::endGestureGroup()
{
    if (!m_gestureGroupOpen)
        return;
    m_gestureGroupOpen = false;
    if (platform::UndoManager* um = undoManager())
        um->endUndoGrouping();
    if (CanvasHost* host = drawing::canvasHost())
        host->undoRedoButtonState();
}

void QBXGraphicView::mouseDownAt(const QPointF& point, bool shift, int clickCount)
{
    if (m_gesture != Gesture::None)
        endGesture();
    m_pressPoint = point;
    m_lastPoint = point;
    m_showPropertiesAfter = false;
    CanvasHost* host = drawing::canvasHost();
    try {
        stopEditing();
        const QString graphicClass = host ? host->currentGraphicClass() : QString();
        if (!graphicClass.isEmpty()) {
            createGraphicOfClass(graphicClass, point, false, QRectF(), Card_Front_Or_Back == 1 ? "B" : "F",
                                 QString(), QString());
        } else {
            _Selected_Graphic.reset();
            GraphicPtr hit;
            if (clickCount >= 2) {
                hit = graphicUnderPoint(point);
                if (hit) {
                    _Selected_Graphic = hit;
                    if (!hit->ctrl_is_visible)
                        return;
                    if (!hit->ctrl_is_locked) {
                        startEditingGraphic(hit);
                        if (hit->className() == QLatin1String("QBXBarcode") && host)
                            host->openBarcodeWindow();
                    }
                }
            }
            if (clickCount <= 1 || !hit)
                selectAndTrackMouse(point, shift);
        }
    } catch (const std::exception& e) {
        logException(e);
        if (m_gesture != Gesture::None)
            endGesture();
        return;
    }
    if (m_gesture == Gesture::None && !_Selected_Graphic.lock() && host)
        host->showProperties(nullptr);
}

void QBXGraphicView::selectAndTrackMouse(const QPointF& point, bool shift)
{
    int index = -1;
    bool selected = false;
    int handle = QBXGraphicNoHandle;
    const GraphicPtr g = graphicUnderPoint(point, &index, &selected, &handle);
    if (!g) {
        if (!shift)
            changeSelectionIndexes({});
        m_marqueeStart = selectionIndexes();
        _marqueeSelectionBounds = QRectF();
        beginGestureGroup();
        m_gesture = Gesture::Marquee;
        return;
    }
    _Selected_Graphic = g;
    if (!g->ctrl_is_visible) {
        m_gesture = Gesture::Swallow;
        return;
    }
    CanvasHost* host = drawing::canvasHost();
    if (g->ctrl_is_locked) {
        if (!selected)
            changeSelectionIndexes({index});
        drawing::requestRefresh();
        if (host)
            host->showProperties(_Selected_Graphic.lock());
        m_gesture = Gesture::Swallow;
        return;
    }
    m_showPropertiesAfter = true;
    beginGestureGroup();
    if (handle == QBXGraphicNoHandle) {
        platform::IndexSet s = selectionIndexes();
        if (shift) {
            if (selected)
                s.erase(index);
            else
                s.insert(index);
            changeSelectionIndexes(s);
        } else if (!selected) {
            changeSelectionIndexes({index});
        }
        if (selectionIndexes().count(index)) {
            m_moving = selectedGraphics();
            m_moveBounds = QBXGraphic::boundsOfGraphics(m_moving);
            m_moveOffset = point - m_moveBounds.topLeft();
            m_moveStarted = false;
            m_moveLast = point;
            QBXZoomingScrollView* scroll = enclosingScrollView();
            m_echo = scroll && scroll->rulersVisible();
            if (m_echo)
                beginEchoingMoveToRulers(m_moveBounds);
            m_gesture = Gesture::Move;
        } else {
            m_gesture = Gesture::Swallow;
        }
        return;
    }
    m_resizing = g;
    m_handle = handle;
    QBXZoomingScrollView* scroll = enclosingScrollView();
    m_echo = scroll && scroll->rulersVisible();
    if (m_echo)
        beginEchoingMoveToRulers(g->bounds());
    m_gesture = Gesture::Resize;
}

void QBXGraphicView::mouseDraggedTo(const QPointF& point)
{
    if (m_gesture == Gesture::None)
        return;
    try {
        switch (m_gesture) {
        case Gesture::Marquee:
            trackMarquee(point);
            break;
        case Gesture::Move:
            trackMove(point);
            break;
        case Gesture::Resize:
        case Gesture::Create:
            trackResize(point);
            break;
        default:
            break;
        }
        m_lastPoint = point;
    } catch (const std::exception& e) {
        logException(e);
        endGesture();
    }
}

void QBXGraphicView::trackMarquee(const QPointF& point)
{
    autoscrollTo(point);
    const QRectF r = rectBetween(m_pressPoint, point);
    if (r == _marqueeSelectionBounds)
        return;
    markMarquee(_marqueeSelectionBounds);
    _marqueeSelectionBounds = r;
    markMarquee(r);
    const platform::IndexSet touched = indexesOfGraphicsIntersectingRect(r);
    if (touched.empty())
        return;
    platform::IndexSet s = m_marqueeStart;
    for (int i : touched) {
        if (!s.erase(i))
            s.insert(i);
    }
    changeSelectionIndexes(s);
}

void QBXGraphicView::markMarquee(const QRectF& rect)
{
    if (rect.isNull())
        return;
    // The outline only: its four one-point edges.
    setNeedsDisplayInRect(QRectF(rect.left(), rect.top(), rect.width(), 1));
    setNeedsDisplayInRect(QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1));
    setNeedsDisplayInRect(QRectF(rect.left(), rect.top(), 1, rect.height()));
    setNeedsDisplayInRect(QRectF(rect.right() - 1, rect.top(), 1, rect.height()));
}

void QBXGraphicView::trackMove(const QPointF& point)
{
    autoscrollTo(point);
    QPointF cur = point;
    if (!m_moveStarted) {
        // Until the move starts, "last" stays the press point.
        if (std::abs(cur.x() - m_moveLast.x()) < kMoveThreshold && std::abs(cur.y() - m_moveLast.y()) < kMoveThreshold)
            return;
        m_moveStarted = true;
        _isHidingHandles = true;
    }
    const QPointF last = m_moveLast;
    if (_grid) {
        const QPointF origin = _grid->constrainedPoint(cur - m_moveOffset);
        cur = origin + m_moveOffset;
    }
    if (cur != last) {
        QBXGraphic::translateGraphics(m_moving, cur.x() - last.x(), cur.y() - last.y());
        if (m_echo)
            continueEchoingMoveToRulers(QRectF(cur - m_moveOffset, m_moveBounds.size()));
    }
    m_moveLast = cur;
}

void QBXGraphicView::trackResize(const QPointF& point)
{
    if (!m_resizing)
        return;
    autoscrollTo(point);
    QPointF p = point;
    if (_grid)
        p = _grid->constrainedPoint(p);
    m_handle = m_resizing->resizeByMovingHandle(m_handle, p);
    if (m_echo)
        continueEchoingMoveToRulers(m_resizing->bounds());
}

void QBXGraphicView::mouseUpAt(const QPointF& point)
{
    if (m_gesture == Gesture::None)
        return;
    // The release's own point is the last one the loop takes.
    mouseDraggedTo(point);
    if (m_gesture != Gesture::None)
        finishGesture(point);
}

void QBXGraphicView::endGesture()
{
    if (m_gesture == Gesture::None)
        return;
    finishGesture(m_lastPoint);
}

void QBXGraphicView::finishGesture(const QPointF&)
{
    const Gesture ended = m_gesture;
    m_gesture = Gesture::None;
    CanvasHost* host = drawing::canvasHost();
    try {
        switch (ended) {
        case Gesture::Marquee:
            markMarquee(_marqueeSelectionBounds);
            _marqueeSelectionBounds = QRectF();
            drawing::requestRefresh();
            break;
        case Gesture::Move:
            if (m_echo)
                stopEchoingMoveToRulers();
            if (m_moveStarted) {
                _isHidingHandles = false;
                setNeedsDisplayInRect(QBXGraphic::drawingBoundsOfGraphics(m_moving));
            }
            drawing::requestRefresh();
            break;
        case Gesture::Resize:
            if (m_echo)
                stopEchoingMoveToRulers();
            break;
        case Gesture::Create:
            if (m_echo)
                stopEchoingMoveToRulers();
            finishCreation();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        logException(e);
    }
    m_echo = false;
    m_moving.clear();
    m_resizing.reset();
    m_moveStarted = false;
    endGestureGroup();
    if (m_showPropertiesAfter && host)
        host->showProperties(_Selected_Graphic.lock());
    m_showPropertiesAfter = false;
    if (!_Selected_Graphic.lock() && host)
        host->showProperties(nullptr);
    // Keys that came during the gesture run now, in their order.
    std::vector<std::function<void()>> deferred;
    deferred.swap(m_deferred);
    for (auto& run : deferred)
        run();
}

void QBXGraphicView::autoscrollTo(const QPointF& point)
{
    QBXZoomingScrollView* scroll = enclosingScrollView();
    if (!scroll)
        return;
    QWidget* port = scroll->viewport();
    const QPoint inPort = mapTo(port, QPointF(point.x() * zoom(), point.y() * zoom()).toPoint());
    const QRect area = port->rect();
    int dx = 0, dy = 0;
    if (inPort.x() < area.left())
        dx = inPort.x() - area.left();
    else if (inPort.x() > area.right())
        dx = inPort.x() - area.right();
    if (inPort.y() < area.top())
        dy = inPort.y() - area.top();
    else if (inPort.y() > area.bottom())
        dy = inPort.y() - area.bottom();
    if (dx)
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->value() + dx);
    if (dy)
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->value() + dy);
}

// ---------------------------------------------------------------- nudges

void QBXGraphicView::moveSelectedGraphicsByX(double dx, double dy)
{
    const GraphicList sel = selectedGraphics();
    if (sel.empty())
        return;
    hideHandlesMomentarily();
    QBXGraphic::translateGraphics(sel, dx, dy);
    if (CanvasHost* host = drawing::canvasHost())
        host->undoRedoButtonState();
}

void QBXGraphicView::hideHandlesMomentarily()
{
    if (!_handleShowingTimer) {
        _handleShowingTimer = new QTimer(this);
        _handleShowingTimer->setSingleShot(true);
        connect(_handleShowingTimer, &QTimer::timeout, this, &QBXGraphicView::unhideHandlesForTimer);
    }
    _handleShowingTimer->start(kHandleHidingMilliseconds);
    _isHidingHandles = true;
    setNeedsDisplayInRect(QBXGraphic::drawingBoundsOfGraphics(selectedGraphics()));
}

void QBXGraphicView::unhideHandlesForTimer()
{
    _isHidingHandles = false;
    if (_handleShowingTimer)
        _handleShowingTimer->stop();
    setNeedsDisplayInRect(QBXGraphic::drawingBoundsOfGraphics(selectedGraphics()));
}

// ---------------------------------------------------------------- Qt input

QPointF QBXGraphicView::eventPoint(const QMouseEvent* event) const
{
    const QPointF p = event->position();
    return QPointF(p.x() / zoom(), p.y() / zoom());
}

void QBXGraphicView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    mouseDownAt(eventPoint(event), event->modifiers().testFlag(Qt::ShiftModifier), 1);
    event->accept();
}

void QBXGraphicView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mouseDownAt(eventPoint(event), event->modifiers().testFlag(Qt::ShiftModifier), 2);
    event->accept();
}

void QBXGraphicView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons().testFlag(Qt::LeftButton))
        mouseDraggedTo(eventPoint(event));
    event->accept();
}

void QBXGraphicView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseUpAt(eventPoint(event));
    event->accept();
}

void QBXGraphicView::keyPressEvent(QKeyEvent* event)
{
    std::function<void()> action;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::Undo))
        action = [this] { undo(); };
    else if (event->matches(QKeySequence::Redo))
        action = [this] { redo(); };
    else if (event->matches(QKeySequence::Copy))
        action = [this] { copy(); };
    else if (event->matches(QKeySequence::Cut))
        action = [this] { cut(); };
    else if (event->matches(QKeySequence::Paste))
        action = [this] { paste(); };
    else if (event->matches(QKeySequence::SelectAll))
        action = [this] { selectAll(); };
    else if (mods == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Left:
            action = [this] { moveLeft(); };
            break;
        case Qt::Key_Right:
            action = [this] { moveRight(); };
            break;
        case Qt::Key_Up:
            action = [this] { moveUp(); };
            break;
        case Qt::Key_Down:
            action = [this] { moveDown(); };
            break;
        case Qt::Key_Backspace:
            action = [this] { deleteBackward(); };
            break;
        case Qt::Key_Delete:
            action = [this] { deleteForward(); };
            break;
        default:
            break;
        }
    }
    if (!action) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    auto guarded = [action] {
        try {
            action();
        } catch (const std::exception& e) {
            logException(e);
        }
    };
    if (m_gesture != Gesture::None)
        m_deferred.push_back(guarded);
    else
        guarded();
}

void QBXGraphicView::focusOutEvent(QFocusEvent* event)
{
    endGesture();
    QWidget::focusOutEvent(event);
}

void QBXGraphicView::hideEvent(QHideEvent* event)
{
    endGesture();
    QWidget::hideEvent(event);
}

void QBXGraphicView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endGesture();
    QWidget::changeEvent(event);
}
