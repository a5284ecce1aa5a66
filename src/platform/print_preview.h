#pragma once
// The print preview: the sheets of a printer's run one below the other in a
// dialog run through the modal seam, with zoom in, zoom out and fit. It has
// no Print button of its own: printing runs separately, without the
// preview's page limit.
//
// Sheets are drawn on pictures by a worker thread of the preview, only the
// ones in view (and the next) at the scale shown, so the window opens and
// stays live however long each sheet takes; a sheet not drawn yet shows
// blank paper until its picture arrives.
#include <QAbstractScrollArea>
#include <QImage>
#include <QSizeF>

#include <condition_variable>
#include <functional>
#include <map>
#include <set>
#include <mutex>
#include <thread>
#include <vector>

class QPainter;

namespace platform {

// Draws sheet `index` (from 0) on a painter whose unit is one point, origin
// at the paper's top left. Called on the preview's worker thread only, one
// sheet at a time, in any order and possibly more than once.
using Draw_Sheet = std::function<void(QPainter& painter, int index)>;

class Pages_Preview : public QAbstractScrollArea {
    Q_OBJECT
public:
    // `paper` in points; the pictures claim `device_dpi` (the printer's
    // resolution) so that what resolves sizes by the device does as on paper.
    Pages_Preview(int pages, const QSizeF& paper, double device_dpi, Draw_Sheet draw, QWidget* parent = nullptr);
    // Waits for the sheet in hand, then ends the worker.
    ~Pages_Preview() override;

    int pageCount() const { return pages_; }
    // Sheets drawn so far (each counted once, whatever its scale).
    int shownPages() const { return int(drawn_.size()); }
    // Pixels per point.
    double zoomFactor() const { return zoom_; }
    void zoomIn();
    void zoomOut();
    // The whole sheet in view; kept on resizing until the next zoom.
    void fitInView();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Request {
        int index;
        QSize size;
    };
    void Set_Zoom(double zoom);
    void Layout_Scrollbars();
    QRect Page_Rect(int index) const; // in content pixels
    QSize Picture_Size() const;
    // Asks the worker for the sheets in view that lack a picture at the
    // current scale, and drops pictures far from the view.
    void Request_Visible();
    void Take_Sheet(int index, const QImage& picture);
    void Work();

    const int pages_;
    const QSizeF paper_;
    const double device_dpi_;
    const Draw_Sheet draw_;
    double zoom_ = 1;
    bool fitting_ = true;
    std::map<int, QImage> pictures_; // main thread only
    std::set<int> drawn_;

    std::mutex mutex_; // guards the two below
    std::condition_variable wake_;
    std::vector<Request> wanted_;
    bool quit_ = false;
    std::thread worker_;
};

// Runs the preview of `pages` sheets of `paper` (points) modally; returns
// the dialog's result code.
int runPrintPreview(int pages, const QSizeF& paper, double device_dpi, const Draw_Sheet& draw, QWidget* parent);

} // namespace platform
