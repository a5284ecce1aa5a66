#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "drawing/CanvasHost.h"
#include "drawing/QBXDocument.h"
#include "drawing/PaintStyle.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXZoomingScrollView.h"
#include "drawing/RefreshSeam.h"
#include "platform/ruler.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace {

// Observation contexts: only their identity matters.
char QBXGraphicViewGraphicsObservationContext;
char QBXGraphicViewGraphicsObservationContext_back;
char QBXGraphicViewGraphicsObservationContext_temp;
char QBXGraphicViewIndividualGraphicObservationContext;

const QString kGraphicsNotBound = QStringLiteral("An QBXGraphicView's 'graphics' property is not bound to anything.");
const QString kSelectionNotBound =
    QStringLiteral("An QBXGraphicView's 'selectionIndexes' property is not bound to anything.");

bool isListBindingName(const QString& name)
{
    return name == QBXGraphicViewGraphicsBindingName || name == QBXGraphicViewGraphicsBindingName_back
        || name == QBXGraphicViewGraphicsBindingName_temp;
}

void* listContextForKeyPath(const QString& keyPath)
{
    if (keyPath == QLatin1String("document.graphics"))
        return &QBXGraphicViewGraphicsObservationContext;
    if (keyPath == QLatin1String("document.graphics_back"))
        return &QBXGraphicViewGraphicsObservationContext_back;
    if (keyPath == QLatin1String("document.graphics_temp"))
        return &QBXGraphicViewGraphicsObservationContext_temp;
    return nullptr;
}

GraphicList listOf(const QVariant& value)
{
    return value.canConvert<GraphicList>() ? value.value<GraphicList>() : GraphicList{};
}

} // namespace

QBXGraphicView::QBXGraphicView(const QRectF& frame, QWidget* parent)
    : QWidget(parent)
{
    // Not opaque to Qt: the clip view's silhouette shows around the card.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::StrongFocus);
    move(frame.topLeft().toPoint());
    setFrameSize(frame.size());
}

QBXGraphicView::~QBXGraphicView()
{
    if (_handleShowingTimer)
        _handleShowingTimer->stop();
    unbind(QBXGraphicViewGraphicsBindingName);
    unbind(QBXGraphicViewSelectionIndexesBindingName);
    setGrid(nullptr);
}

// ---------------------------------------------------------------- bindings

QString QBXGraphicView::listKey() const
{
    QString key = _graphicsKeyPath;
    if (key.startsWith(QLatin1String("document.")))
        key = key.mid(9);
    return key;
}

bool QBXGraphicView::bind(const QString& name, QBXDocument* container, const QString& keyPath,
                          const QVariantMap& options)
{
    if (!isListBindingName(name))
        return false;
    if (!options.isEmpty()) {
        Show_NSLog_Message(QStringLiteral("QBXGraphicView doesn't support any options for the 'graphics' binding."));
        return false;
    }
    if (_graphicsContainer || !_graphicsKeyPath.isEmpty())
        unbind(QBXGraphicViewGraphicsBindingName);
    _graphicsContainer = container;
    _graphicsKeyPath = keyPath;
    if (container) {
        if (void* context = listContextForKeyPath(keyPath)) {
            container->addObserver(this, listKey(), platform::ObserveOld | platform::ObserveNew, context);
            m_listObserved = true;
        }
    }
    startObservingGraphics(graphics());
    setNeedsDisplay();
    return true;
}

bool QBXGraphicView::bind(const QString& name, platform::SelectionHolder* container, const QString& keyPath,
                          const QVariantMap& options)
{
    if (name != QBXGraphicViewSelectionIndexesBindingName)
        return false;
    if (!options.isEmpty()) {
        Show_NSLog_Message(
            QStringLiteral("QBXGraphicView doesn't support any options for the 'selectionIndexes' binding."));
        return false;
    }
    if (_selectionIndexesContainer || !_selectionIndexesKeyPath.isEmpty())
        unbind(QBXGraphicViewSelectionIndexesBindingName);
    _selectionIndexesContainer = container;
    _selectionIndexesKeyPath = keyPath;
    if (container)
        m_selectionConnection = connect(container, &platform::SelectionHolder::selectionChanged, this,
                                        &QBXGraphicView::selectionChanged);
    setNeedsDisplay();
    return true;
}

bool QBXGraphicView::bind(const QString& name, QBXGrid* grid)
{
    if (name != QBXGraphicViewGridBindingName)
        return false;
    setGrid(grid);
    return true;
}

void QBXGraphicView::unbind(const QString& name)
{
    if (isListBindingName(name)) {
        if (!_graphicsContainer && _graphicsKeyPath.isEmpty())
            return;
        stopObservingGraphics(graphics());
        if (_graphicsContainer && m_listObserved)
            _graphicsContainer->removeObserver(this, listKey(), listContextForKeyPath(_graphicsKeyPath));
        m_listObserved = false;
        _graphicsContainer = nullptr;
        _graphicsKeyPath.clear();
        setNeedsDisplay();
    } else if (name == QBXGraphicViewSelectionIndexesBindingName) {
        if (!_selectionIndexesContainer && _selectionIndexesKeyPath.isEmpty())
            return;
        disconnect(m_selectionConnection);
        _selectionIndexesContainer = nullptr;
        _selectionIndexesKeyPath.clear();
        setNeedsDisplay();
    } else if (name == QBXGraphicViewGridBindingName) {
        setGrid(nullptr);
    }
}

GraphicList QBXGraphicView::graphics() const
{
    if (!_graphicsContainer || _graphicsKeyPath.isEmpty())
        return {};
    return _graphicsContainer->listForKey(listKey());
}

platform::IndexSet QBXGraphicView::selectionIndexes() const
{
    return _selectionIndexesContainer ? _selectionIndexesContainer->selectionIndexes() : platform::IndexSet{};
}

void QBXGraphicView::changeSelectionIndexes(const platform::IndexSet& indexes)
{
    if (!_selectionIndexesContainer) {
        Show_NSLog_Message(kSelectionNotBound);
        return;
    }
    _selectionIndexesContainer->setSelectionIndexes(indexes);
    if (CanvasHost* host = drawing::canvasHost())
        host->selectionSizeChanged(int(indexes.size()));
}

GraphicList QBXGraphicView::selectedGraphics() const
{
    const GraphicList all = graphics();
    GraphicList selected;
    for (int i : selectionIndexes()) {
        if (i >= 0 && size_t(i) < all.size())
            selected.push_back(all[size_t(i)]);
    }
    return selected;
}

void QBXGraphicView::setGrid(QBXGrid* grid)
{
    if (grid == _grid)
        return;
    disconnect(m_gridConnection);
    _grid = grid;
    if (grid)
        m_gridConnection = connect(grid, &QBXGrid::changed, this, [this] { setNeedsDisplay(); });
    setNeedsDisplay();
}

void QBXGraphicView::insertGraphics(const GraphicList& inserted, const std::vector<int>& indexes)
{
    if (!_graphicsContainer || _graphicsKeyPath.isEmpty()) {
        Show_NSLog_Message(kGraphicsNotBound);
        return;
    }
    _graphicsContainer->insertIntoList(listKey(), inserted, indexes);
}

void QBXGraphicView::removeGraphicsAtIndexes(const std::vector<int>& indexes)
{
    if (!_graphicsContainer || _graphicsKeyPath.isEmpty()) {
        Show_NSLog_Message(kGraphicsNotBound);
        return;
    }
    const int count = int(graphics().size());
    std::vector<int> inside;
    for (int i : indexes) {
        if (i >= 0 && i < count)
            inside.push_back(i);
    }
    if (!inside.empty())
        _graphicsContainer->removeFromList(listKey(), inside);
}

void QBXGraphicView::startObservingGraphics(const GraphicList& list)
{
    for (const GraphicPtr& g : list) {
        if (!g)
            continue;
        g->addObserver(this, QBXGraphicDrawingBoundsKey, platform::ObserveOld | platform::ObserveNew,
                       &QBXGraphicViewIndividualGraphicObservationContext);
        g->addObserver(this, QBXGraphicDrawingContentsKey, 0, &QBXGraphicViewIndividualGraphicObservationContext);
    }
}

void QBXGraphicView::stopObservingGraphics(const GraphicList& list)
{
    for (const GraphicPtr& g : list) {
        if (!g)
            continue;
        g->removeObserver(this, QBXGraphicDrawingContentsKey, &QBXGraphicViewIndividualGraphicObservationContext);
        g->removeObserver(this, QBXGraphicDrawingBoundsKey, &QBXGraphicViewIndividualGraphicObservationContext);
    }
}

void QBXGraphicView::observeValueForKey(const QString& key, platform::Observable* object,
                                        const platform::Change& change, void* context)
{
    if (context == &QBXGraphicViewGraphicsObservationContext || context == &QBXGraphicViewGraphicsObservationContext_back
        || context == &QBXGraphicViewGraphicsObservationContext_temp) {
        if (!change.isPrior)
            listChanged(change);
        return;
    }
    if (context == &QBXGraphicViewIndividualGraphicObservationContext) {
        auto* graphic = dynamic_cast<QBXGraphic*>(object);
        if (key == QBXGraphicDrawingBoundsKey) {
            if (change.oldValue.canConvert<QRectF>())
                setNeedsDisplayInRect(change.oldValue.toRectF());
            if (change.newValue.canConvert<QRectF>())
                setNeedsDisplayInRect(change.newValue.toRectF());
        } else if (key == QBXGraphicDrawingContentsKey && graphic) {
            setNeedsDisplayInRect(graphic->drawingBounds());
        }
        if (_undoSelectionIndexes && graphic) {
            const GraphicList all = graphics();
            for (size_t i = 0; i < all.size(); ++i) {
                if (all[i].get() == graphic) {
                    _undoSelectionIndexes->insert(int(i));
                    break;
                }
            }
        }
    }
}

void QBXGraphicView::listChanged(const platform::Change& change)
{
    const GraphicList oldGraphics = listOf(change.oldValue);
    const GraphicList newGraphics = listOf(change.newValue);
    if (!oldGraphics.empty()) {
        stopObservingGraphics(oldGraphics);
        for (const GraphicPtr& g : oldGraphics)
            setNeedsDisplayInRect(g->drawingBounds());
    }
    if (!newGraphics.empty()) {
        startObservingGraphics(newGraphics);
        for (const GraphicPtr& g : newGraphics)
            setNeedsDisplayInRect(g->drawingBounds());
    }
    // The selection follows the list.
    if (_selectionIndexesContainer) {
        if (change.kind == platform::ChangeKind::Insertion)
            _selectionIndexesContainer->listInserted(change.indexes);
        else if (change.kind == platform::ChangeKind::Removal)
            _selectionIndexesContainer->listRemoved(change.indexes);
        else if (change.kind == platform::ChangeKind::Setting)
            _selectionIndexesContainer->listReset();
    }
    if (_undoSelectionIndexes) {
        if (change.kind == platform::ChangeKind::Setting) {
            for (size_t i = 0; i < newGraphics.size(); ++i)
                _undoSelectionIndexes->insert(int(i));
        } else if (change.kind != platform::ChangeKind::Removal) {
            _undoSelectionIndexes->insert(change.indexes.begin(), change.indexes.end());
        }
    }
}

void QBXGraphicView::selectionChanged(const platform::IndexSet& oldIndexes, const platform::IndexSet& newIndexes)
{
    platform::IndexSet changed;
    for (int i : oldIndexes) {
        if (!newIndexes.count(i))
            changed.insert(i);
    }
    for (int i : newIndexes) {
        if (!oldIndexes.count(i))
            changed.insert(i);
    }
    markGraphicsAtIndexes(changed);
}

void QBXGraphicView::markGraphicsAtIndexes(const platform::IndexSet& indexes)
{
    const GraphicList all = graphics();
    for (int i : indexes) {
        if (i >= 0 && size_t(i) < all.size()) // indexes past the list are skipped
            setNeedsDisplayInRect(all[size_t(i)]->drawingBounds());
    }
}

// ---------------------------------------------------------------- geometry

void QBXGraphicView::setFrameSize(const QSizeF& size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < 0 || size.height() < 0)
        return;
    if (size == m_frameSize && !size.isEmpty())
        return;
    m_frameSize = size;
    applyPixelSize();
    emit frameSizeChanged(size);
}

void QBXGraphicView::setZoom(double factor)
{
    if (!std::isfinite(factor) || factor <= 0 || factor == m_zoom)
        return;
    m_zoom = factor;
    applyPixelSize();
}

void QBXGraphicView::applyPixelSize()
{
    const QSize pixels(int(std::lround(m_frameSize.width() * m_zoom)), int(std::lround(m_frameSize.height() * m_zoom)));
    setFixedSize(pixels);
    update();
}

// ---------------------------------------------------------------- redraw

void QBXGraphicView::setNeedsDisplayInRect(const QRectF& rect)
{
    if (!rect.isValid() || !std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width())
        || !std::isfinite(rect.height()))
        return;
    const QRectF px(rect.x() * m_zoom, rect.y() * m_zoom, rect.width() * m_zoom, rect.height() * m_zoom);
    const QRect out(QPoint(int(std::floor(px.left())) - 1, int(std::floor(px.top())) - 1),
                    QPoint(int(std::ceil(px.right())) + 1, int(std::ceil(px.bottom())) + 1));
    update(out);
}

void QBXGraphicView::setNeedsDisplay()
{
    update();
}

void QBXGraphicView::paintEvent(QPaintEvent* event)
{
    ++m_paintCount;
    // Refresh requests made while the canvas paints are dropped: the paint
    // already shows the current state.
    drawing::CanvasPaintScope painting;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(m_zoom, m_zoom);
    const QRectF r = event->rect();
    const QRectF dirty(r.x() / m_zoom, r.y() / m_zoom, r.width() / m_zoom, r.height() / m_zoom);
    painter.setClipRect(dirty);
    // Graphics are tested against the exact areas marked, not only their
    // bounding rectangle.
    m_dirtyRegion = event->region();
    m_usingRegion = true;
    drawRect(painter, dirty);
    m_usingRegion = false;
}

bool QBXGraphicView::needsToDraw(const QRectF& rect, const QRectF& dirty) const
{
    if (!rect.intersects(dirty))
        return false;
    if (!m_usingRegion)
        return true;
    const QRectF px(rect.x() * m_zoom, rect.y() * m_zoom, rect.width() * m_zoom, rect.height() * m_zoom);
    return m_dirtyRegion.intersects(px.toAlignedRect());
}

std::vector<std::pair<platform::StoredPicture, QSize>> QBXGraphicView::picturesShown(double pixelsPerPoint,
                                                                                    const QRectF& dirty) const
{
    std::vector<std::pair<platform::StoredPicture, QSize>> pictures;
    if (CanvasHost* host = drawing::canvasHost())
        if (auto background = host->cardBackgroundPicture(bounds(), pixelsPerPoint); !background.first.isNull())
            pictures.push_back(std::move(background));
    for (const GraphicPtr& g : graphics()) {
        if (!g || !g->ctrl_is_visible || !needsToDraw(g->drawingBounds(), dirty))
            continue;
        if (platform::StoredPicture picture = g->pictureShown(); !picture.isNull())
            pictures.emplace_back(std::move(picture), g->picturePixelsNeeded(pixelsPerPoint));
    }
    return pictures;
}

void QBXGraphicView::drawRect(QPainter& painter, const QRectF& dirty)
{
    if (CanvasHost* host = drawing::canvasHost()) {
        painter.save();
        host->Card_Base_Drawing(painter, bounds(), dirty);
        painter.restore();
    }
    if (_grid) {
        painter.save();
        _grid->drawRect(painter, dirty);
        painter.restore();
    }
    const GraphicList list = graphics();
    const platform::IndexSet selection = selectionIndexes();
    DrawingContext context;
    context.viewIsFlipped = true;
    context.isCanvas = true;
    context.deviceScale = m_zoom * devicePixelRatioF();
    context.refreshCanvas = [] { drawing::requestRefresh(); };
    // The pictures this paint shows that are not decoded for the zoom yet
    // are decoded together first; one picture alone is decoded by its own
    // draw.
    if (const auto pictures = picturesShown(drawing::pictureScale(painter), dirty); pictures.size() > 1)
        drawing::decodeTogether(pictures);
    for (int i = int(list.size()) - 1; i >= 0; --i) {
        const GraphicPtr& g = list[size_t(i)];
        if (!g)
            continue;
        const QRectF drawingBounds = g->drawingBounds();
        if (!needsToDraw(drawingBounds, dirty))
            continue;
        const bool creating = g == _creatingGraphic;
        const bool handles = !_isHidingHandles && !creating && selection.count(i);
        try {
            g->drawClippedInView(painter, context, creating, [&] {
                if (handles) {
                    g->drawHandlesInView(&painter, context, g->ctrl_is_locked);
                    _Selected_Graphic = g;
                }
            });
        } catch (const std::exception& e) {
            Show_NSLog_Message(QString::fromUtf8(e.what()));
        }
    }
    if (list.empty() && !m_panelRequestQueued) {
        // Ask for the card's properties once, after this paint pass.
        m_panelRequestQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_panelRequestQueued = false;
                emit showCardPropertiesRequested();
            },
            Qt::QueuedConnection);
    }
    if (!_marqueeSelectionBounds.isNull()) {
        painter.save();
        QPen pen(palette().color(QPalette::Highlight));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(_marqueeSelectionBounds);
        painter.restore();
    }
}

// ---------------------------------------------------------------- rulers

QBXZoomingScrollView* QBXGraphicView::enclosingScrollView() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* scroll = qobject_cast<QBXZoomingScrollView*>(w))
            return scroll;
    }
    return nullptr;
}

void QBXGraphicView::beginEchoingMoveToRulers(const QRectF& rect)
{
    QBXZoomingScrollView* scroll = enclosingScrollView();
    if (scroll && scroll->horizontalRulerView() && scroll->verticalRulerView()) {
        platform::RulerView* h = scroll->horizontalRulerView();
        platform::RulerView* v = scroll->verticalRulerView();
        h->moveRulerline(-1.0, rect.left());
        h->moveRulerline(-1.0, rect.left() + rect.width() * 0.5);
        h->moveRulerline(-1.0, rect.right());
        v->moveRulerline(-1.0, rect.top());
        v->moveRulerline(-1.0, rect.top() + rect.height() * 0.5);
        v->moveRulerline(-1.0, rect.bottom());
    }
    _rulerEchoedBounds = rect;
}

void QBXGraphicView::continueEchoingMoveToRulers(const QRectF& rect)
{
    QBXZoomingScrollView* scroll = enclosingScrollView();
    const QRectF old = _rulerEchoedBounds;
    if (scroll && scroll->horizontalRulerView() && scroll->verticalRulerView()) {
        platform::RulerView* h = scroll->horizontalRulerView();
        platform::RulerView* v = scroll->verticalRulerView();
        h->moveRulerline(old.left(), rect.left());
        h->moveRulerline(old.left() + old.width() * 0.5, rect.left() + rect.width() * 0.5);
        h->moveRulerline(old.right(), rect.right());
        v->moveRulerline(old.top(), rect.top());
        v->moveRulerline(old.top() + old.height() * 0.5, rect.top() + rect.height() * 0.5);
        v->moveRulerline(old.bottom(), rect.bottom());
    }
    _rulerEchoedBounds = rect;
}

void QBXGraphicView::stopEchoingMoveToRulers()
{
    QBXZoomingScrollView* scroll = enclosingScrollView();
    const QRectF old = _rulerEchoedBounds;
    if (scroll && scroll->horizontalRulerView() && scroll->verticalRulerView()) {
        platform::RulerView* h = scroll->horizontalRulerView();
        platform::RulerView* v = scroll->verticalRulerView();
        h->moveRulerline(old.left(), -1.0);
        h->moveRulerline(old.left() + old.width() * 0.5, -1.0);
        h->moveRulerline(old.right(), -1.0);
        v->moveRulerline(old.top(), -1.0);
        v->moveRulerline(old.top() + old.height() * 0.5, -1.0);
        v->moveRulerline(old.bottom(), -1.0);
    }
    _rulerEchoedBounds = QRectF();
}

void QBXGraphicView::showOrHideRulers()
{
    if (QBXZoomingScrollView* scroll = enclosingScrollView())
        scroll->setRulersVisible(!scroll->rulersVisible());
}

void QBXGraphicView::Refresh_ScrollView()
{
    if (QBXZoomingScrollView* scroll = enclosingScrollView()) {
        scroll->tile();
        scroll->viewport()->update();
    }
}
