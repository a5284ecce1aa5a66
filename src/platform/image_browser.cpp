#include "platform/image_browser.h"
#include "platform/picture/picture_decode.h"
#include "platform/thread_handoff.h"
#include "platform/threads.h"

#include <QApplication>
#include <QDataStream>
#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <algorithm>

namespace platform {

namespace {

const QString kRowsType = QStringLiteral("application/x-cardwright-browser-rows");

QPixmap makeMark(int edge, bool broken)
{
    QPixmap pixmap(edge, edge);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(edge * 0.15, edge * 0.15, edge * 0.7, edge * 0.7);
    painter.setPen(QPen(QColor(160, 160, 170), qMax(1.0, edge / 64.0)));
    painter.setBrush(QColor(235, 237, 242));
    painter.drawRoundedRect(box, edge * 0.05, edge * 0.05);
    if (broken) {
        painter.setPen(QPen(QColor(190, 80, 80), qMax(1.5, edge / 40.0)));
        painter.drawLine(box.topLeft() + QPointF(edge * 0.15, edge * 0.15),
                         box.bottomRight() - QPointF(edge * 0.15, edge * 0.15));
        painter.drawLine(box.topRight() + QPointF(-edge * 0.15, edge * 0.15),
                         box.bottomLeft() + QPointF(edge * 0.15, -edge * 0.15));
    }
    return pixmap;
}

bool sameModel(const QMimeData* data, const ImageBrowserModel* model)
{
    QByteArray bytes = data->data(kRowsType);
    QDataStream in(&bytes, QIODevice::ReadOnly);
    quintptr owner = 0;
    in >> owner;
    return owner == reinterpret_cast<quintptr>(model);
}

} // namespace

// ---------------------------------------------------------------- loader

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent)
    , m_pool(new QThreadPool(this))
    , m_cache(600)
{
    // Its threads are started now and kept: a thread the system refused
    // later would leave its picture, and the waits below, pending for good.
    m_threads = keepPoolReady(*m_pool, qMax(2, QThread::idealThreadCount()));
}

ThumbnailLoader::~ThumbnailLoader()
{
    waitForDone();
}

ThumbnailLoader& ThumbnailLoader::instance()
{
    static ThumbnailLoader* loader = [] {
        auto* made = new ThumbnailLoader(qApp);
        // Workers must be finished before the application object goes.
        qAddPostRoutine([] { ThumbnailLoader::shutdown(); });
        return made;
    }();
    return *loader;
}

void ThumbnailLoader::shutdown()
{
    if (!qApp)
        return;
    ThumbnailLoader& loader = instance();
    loader.m_pool->clear();
    waitForPoolIdle(*loader.m_pool);
}

void ThumbnailLoader::clear()
{
    m_pool->clear();
    waitForPoolIdle(*m_pool);
    m_cache.clear();
    m_failed.clear();
    m_pending.clear();
    m_notices.clear();
}

void ThumbnailLoader::waitForDone()
{
    waitForPoolIdle(*m_pool);
    QCoreApplication::sendPostedEvents(this);
}

QString ThumbnailLoader::cacheKey(const QString& path, int edge)
{
    const QFileInfo info(path);
    return path + QChar(u'\n') + QString::number(info.lastModified().toMSecsSinceEpoch()) + QChar(u'\n')
        + QString::number(info.size()) + QChar(u'\n') + QString::number(edge);
}

QImage ThumbnailLoader::readThumbnail(const QString& path, int edge, QString* notice)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    QString why;
    QImage image = readPicture(path, &why, std::max(edge, 0));
    if (notice)
        *notice = image.isNull() ? QString() : why;
    return image;
}

QImage ThumbnailLoader::thumbnail(const QString& path, int edge, bool* failed)
{
    if (failed)
        *failed = false;
    const QString key = cacheKey(path, edge);
    if (QImage* cached = m_cache.object(key))
        return *cached;
    if (m_failed.contains(key)) {
        if (failed)
            *failed = true;
        return {};
    }
    if (m_pending.contains(key))
        return {};
    if (m_threads == 0) { // the system refused every reader
        m_failed.insert(key);
        if (failed)
            *failed = true;
        return {};
    }
    m_pending.insert(key);
    m_pool->start(handedOff([this, key, path, edge] {
        QString notice;
        QImage image = readThumbnail(path, edge, &notice);
        QMetaObject::invokeMethod(
            this, handedOff([this, key, path, edge, image, notice] { finished(key, path, edge, image, notice); }),
            Qt::QueuedConnection);
    }));
    return {};
}

void ThumbnailLoader::finished(const QString& key, const QString& path, int edge, const QImage& image,
                               const QString& notice)
{
    if (!m_pending.remove(key))
        return; // cleared meanwhile
    if (!notice.isEmpty())
        m_notices.insert(key, notice);
    if (image.isNull())
        m_failed.insert(key);
    else
        m_cache.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 65536));
    emit thumbnailReady(path, edge, image);
}

// ---------------------------------------------------------------- model

ImageBrowserModel::ImageBrowserModel(ImageBrowserView* view, ImageBrowserOwner* owner)
    : QAbstractListModel(view)
    , m_view(view)
    , m_owner(owner)
{
    setEdge(m_edge);
    connect(&ThumbnailLoader::instance(), &ThumbnailLoader::thumbnailReady, this,
            &ImageBrowserModel::thumbnailArrived);
}

void ImageBrowserModel::setEdge(int edge)
{
    beginResetModel();
    m_edge = qMax(16, edge);
    m_pixmaps.clear();
    m_bad.clear();
    m_placeholder = makeMark(m_edge, true);
    m_loading = makeMark(m_edge, false);
    endResetModel();
}

int ImageBrowserModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_owner)
        return 0;
    return qMax(0, m_owner->numberOfItemsInImageBrowser(m_view));
}

QVariant ImageBrowserModel::data(const QModelIndex& index, int role) const
{
    if (!m_owner || !index.isValid() || index.row() >= rowCount())
        return {};
    const ImageBrowserItem* item = m_owner->imageBrowser_itemAtIndex(m_view, index.row());
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return item->imageTitle();
    case Qt::ToolTipRole: {
        const QString path = item->imageRepresentation();
        const QString notice = ThumbnailLoader::instance().notice(path, m_edge);
        return notice.isEmpty() ? item->imageSubtitle() : shownInPart(path, notice);
    }
    case Qt::DecorationRole: {
        const QString path = item->imageRepresentation();
        if (m_bad.contains(path))
            return m_placeholder;
        auto found = m_pixmaps.constFind(path);
        if (found != m_pixmaps.constEnd())
            return found.value();
        bool failed = false;
        const QImage image = ThumbnailLoader::instance().thumbnail(path, m_edge, &failed);
        if (failed) {
            const_cast<ImageBrowserModel*>(this)->m_bad.insert(path);
            return m_placeholder;
        }
        if (image.isNull())
            return m_loading;
        const QPixmap pixmap = QPixmap::fromImage(image);
        m_pixmaps.insert(path, pixmap);
        return pixmap;
    }
    default:
        return {};
    }
}

bool ImageBrowserModel::isPlaceholderFor(int row) const
{
    const ImageBrowserItem* item = m_owner ? m_owner->imageBrowser_itemAtIndex(m_view, row) : nullptr;
    return item && m_bad.contains(item->imageRepresentation());
}

Qt::ItemFlags ImageBrowserModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (index.isValid())
        f |= Qt::ItemIsDragEnabled;
    else
        f |= Qt::ItemIsDropEnabled;
    return f;
}

QStringList ImageBrowserModel::mimeTypes() const
{
    return {kRowsType};
}

QMimeData* ImageBrowserModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << reinterpret_cast<quintptr>(this) << qint32(rows.size());
    for (int r : rows)
        out << qint32(r);
    auto* data = new QMimeData;
    data->setData(kRowsType, bytes);
    return data;
}

bool ImageBrowserModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                     const QModelIndex& parent)
{
    if (!m_owner || action != Qt::MoveAction || !data || !data->hasFormat(kRowsType) || !sameModel(data, this))
        return false;
    QByteArray bytes = data->data(kRowsType);
    QDataStream in(&bytes, QIODevice::ReadOnly);
    quintptr owner = 0;
    qint32 count = 0;
    in >> owner >> count;
    std::vector<int> rows;
    for (qint32 i = 0; i < count && !in.atEnd(); ++i) {
        qint32 r = 0;
        in >> r;
        rows.push_back(r);
    }
    int destination = row;
    if (destination < 0)
        destination = parent.isValid() ? parent.row() : rowCount();
    // Returning false keeps the view from removing the dragged rows itself.
    m_owner->imageBrowser_moveItemsAtIndexes_toIndex(m_view, rows, destination);
    return false;
}

void ImageBrowserModel::reset()
{
    beginResetModel();
    m_pixmaps.clear();
    m_bad.clear();
    endResetModel();
}

std::vector<int> ImageBrowserModel::rowsWithPath(const QString& path) const
{
    std::vector<int> rows;
    const int n = rowCount();
    for (int r = 0; r < n; ++r) {
        const ImageBrowserItem* item = m_owner->imageBrowser_itemAtIndex(m_view, r);
        if (item && item->imageRepresentation() == path)
            rows.push_back(r);
    }
    return rows;
}

void ImageBrowserModel::thumbnailArrived(const QString& path, int edge, const QImage& image)
{
    if (edge != m_edge)
        return;
    const std::vector<int> rows = rowsWithPath(path);
    if (rows.empty())
        return; // the item went away meanwhile
    if (image.isNull())
        m_bad.insert(path);
    else
        m_pixmaps.insert(path, QPixmap::fromImage(image));
    for (int r : rows)
        emit dataChanged(index(r), index(r), {Qt::DecorationRole});
}

// ---------------------------------------------------------------- view

ImageBrowserView::ImageBrowserView(QWidget* parent)
    : QListView(parent)
{
    setViewMode(QListView::IconMode);
    // Static movement: Qt's free movement moves icons, not rows. Dragging is
    // switched on after it (setMovement turns it off) and drops go through
    // the model to the owner's move.
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setSpacing(6);
    setZoomValue(m_zoom);
}

void ImageBrowserView::setOwner(ImageBrowserOwner* owner)
{
    m_owner = owner;
    const int edge = m_model ? m_model->edge() : 128;
    auto* old = m_model;
    m_model = new ImageBrowserModel(this, owner);
    m_model->setEdge(edge);
    setModel(m_model);
    delete old;
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_owner)
            m_owner->imageBrowserSelectionDidChange(this);
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_owner && index.isValid())
            m_owner->imageBrowser_cellWasDoubleClickedAtIndex(this, index.row());
    });
}

void ImageBrowserView::reloadData()
{
    if (m_batch > 0) {
        m_reloadPending = true;
        return;
    }
    if (m_model)
        m_model->reset();
}

void ImageBrowserView::beginBatch()
{
    ++m_batch;
}

void ImageBrowserView::endBatch()
{
    if (m_batch > 0 && --m_batch == 0 && m_reloadPending) {
        m_reloadPending = false;
        reloadData();
    }
}

void ImageBrowserView::setZoomValue(double zoom)
{
    if (!(zoom >= 0))
        zoom = 0;
    m_zoom = qMin(zoom, 1.0);
    const int edge = qRound(48 + m_zoom * 208);
    setIconSize(QSize(edge, edge));
    setGridSize(QSize(edge + 24, edge + 30));
    if (m_model && m_model->edge() != edge)
        m_model->setEdge(edge);
    viewport()->update();
}

void ImageBrowserView::setAllowsReordering(bool allow)
{
    setDragEnabled(allow);
    setAcceptDrops(allow);
    setDropIndicatorShown(allow);
    setDragDropMode(allow ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

std::vector<int> ImageBrowserView::selectionIndexes() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ImageBrowserView::setSelectionIndexes(const std::vector<int>& indexes)
{
    if (!m_model)
        return;
    QItemSelection selection;
    for (int r : indexes) {
        if (r >= 0 && r < m_model->rowCount())
            selection.select(m_model->index(r), m_model->index(r));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ImageBrowserView::prefetch(int count)
{
    if (!m_model)
        return;
    const int n = qMin(count, m_model->rowCount());
    for (int r = 0; r < n; ++r)
        m_model->data(m_model->index(r), Qt::DecorationRole);
}

void ImageBrowserView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && m_owner) {
        m_owner->imageBrowser_removeItemsAtIndexes(this, selectionIndexes());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void ImageBrowserView::startDrag(Qt::DropActions supportedActions)
{
    // Other programs get nothing: the owner writes no pasteboard data, and
    // the drag carries only rows that this view alone accepts.
    if (m_owner)
        m_owner->imageBrowser_writeItemsAtIndexes_toPasteboard(this, selectionIndexes());
    QListView::startDrag(supportedActions);
}

} // namespace platform
