#pragma once
// The picture browser view: a grid of thumbnails over an owner that keeps the
// items (a QListView in icon mode over a list model). The owner answers the
// browser's questions and handles its requests; the view never changes the
// owner's list by itself.
//
// Thumbnails are read off the main thread (QImage in pool workers, scaled
// while decoding, bounded by the allocation limit), cached by path, file
// time, file size and cell size, and handed to the view on the main thread.
// A result is matched to its item by path when it arrives, never by row, so
// a reorder or reload in between cannot put it on another item.
#include <QAbstractListModel>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QListView>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <vector>

class QThreadPool;

namespace platform {

class ImageBrowserView;

// What the browser needs of one item.
class ImageBrowserItem {
public:
    virtual ~ImageBrowserItem() = default;
    virtual QString imageRepresentation() const = 0; // path of a picture file
    virtual QString imageUID() const = 0;
    virtual QString imageTitle() const = 0;
    virtual QString imageSubtitle() const = 0;
};

class ImageBrowserOwner {
public:
    virtual ~ImageBrowserOwner() = default;
    virtual int numberOfItemsInImageBrowser(ImageBrowserView* browser) = 0;
    virtual const ImageBrowserItem* imageBrowser_itemAtIndex(ImageBrowserView* browser, int index) = 0;
    virtual void imageBrowser_removeItemsAtIndexes(ImageBrowserView* browser, const std::vector<int>& indexes) = 0;
    virtual bool imageBrowser_moveItemsAtIndexes_toIndex(ImageBrowserView* browser, const std::vector<int>& indexes,
                                                         int destinationIndex) = 0;
    virtual bool imageBrowser_writeItemsAtIndexes_toPasteboard(ImageBrowserView* browser,
                                                               const std::vector<int>& indexes) = 0;
    virtual void imageBrowser_cellWasDoubleClickedAtIndex(ImageBrowserView* browser, int index) = 0;
    virtual void imageBrowserSelectionDidChange(ImageBrowserView* browser) = 0;
};

// Reads thumbnails on a private pool. Main-thread object; results arrive
// through `thumbnailReady` on the main thread.
class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // The process's loader.
    static ThumbnailLoader& instance();
    // Drops queued work and waits for running workers (before the process
    // ends: a worker still running would outlive the statics it uses).
    static void shutdown();

    // The cached thumbnail of the path at this edge length, or a null image
    // after queueing a read (at most one per path and edge at a time).
    // `failed` tells a file already known to give no picture.
    QImage thumbnail(const QString& path, int edge, bool* failed = nullptr);
    // Reads one thumbnail on the calling thread: the picture scaled to fit
    // edge × edge, upright; null when the file is not a readable picture.
    // A picture whose data is damaged gives the part read, with the reason
    // in *notice.
    static QImage readThumbnail(const QString& path, int edge, QString* notice = nullptr);
    // Why the cached thumbnail of the path at this edge shows only part of
    // its picture ("" when it is whole or not read yet).
    QString notice(const QString& path, int edge) const { return m_notices.value(cacheKey(path, edge)); }
    // The key under which a thumbnail is cached: path, file time, file size
    // and edge, so that a changed file is read again.
    static QString cacheKey(const QString& path, int edge);
    void clear();
    void waitForDone();
    int pendingCount() const { return int(m_pending.size()); }

signals:
    // `image` is null for a file that gave no picture.
    void thumbnailReady(const QString& path, int edge, const QImage& image);

private:
    void finished(const QString& key, const QString& path, int edge, const QImage& image, const QString& notice);

    QThreadPool* m_pool = nullptr;
    int m_threads = 0; // the pool's, kept for good
    QCache<QString, QImage> m_cache;
    QSet<QString> m_failed;
    QSet<QString> m_pending;
    QHash<QString, QString> m_notices; // by cache key
};

class ImageBrowserModel : public QAbstractListModel {
    Q_OBJECT
public:
    ImageBrowserModel(ImageBrowserView* view, ImageBrowserOwner* owner);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    void reset();
    // The row of the item showing this path now, or -1.
    std::vector<int> rowsWithPath(const QString& path) const;
    void thumbnailArrived(const QString& path, int edge, const QImage& image);
    int edge() const { return m_edge; }
    void setEdge(int edge);
    // Rows whose thumbnail is shown (for checks and measurements).
    int readyCount() const { return int(m_pixmaps.size()); }
    QPixmap placeholder() const { return m_placeholder; }
    bool isPlaceholderFor(int row) const;

private:
    ImageBrowserView* m_view;
    ImageBrowserOwner* m_owner;
    int m_edge = 128;
    mutable QHash<QString, QPixmap> m_pixmaps; // path -> thumbnail shown
    QSet<QString> m_bad;                        // paths that gave no picture
    QPixmap m_placeholder;
    QPixmap m_loading;
};

class ImageBrowserView : public QListView {
    Q_OBJECT
public:
    explicit ImageBrowserView(QWidget* parent = nullptr);

    void setOwner(ImageBrowserOwner* owner);
    ImageBrowserOwner* owner() const { return m_owner; }
    ImageBrowserModel* browserModel() const { return m_model; }

    // Rebuilds the view from the owner; inside a batch only once, at its end.
    void reloadData();
    void beginBatch();
    void endBatch();
    // Zoom 0..1 mapped to the cell size.
    void setZoomValue(double zoom);
    double zoomValue() const { return m_zoom; }
    void setAllowsReordering(bool allow);
    void setAnimates(bool) {}

    // Selected indexes, ascending.
    std::vector<int> selectionIndexes() const;
    // Selects exactly these indexes (the owner hears of it as of a click).
    void setSelectionIndexes(const std::vector<int>& indexes);
    // Asks for the thumbnails of the first `count` items now.
    void prefetch(int count);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    ImageBrowserOwner* m_owner = nullptr;
    ImageBrowserModel* m_model = nullptr;
    double m_zoom = 0.5;
    int m_batch = 0;
    bool m_reloadPending = false;
};

} // namespace platform
