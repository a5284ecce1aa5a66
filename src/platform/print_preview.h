#pragma once
// The print preview: the sheets of a printer's run one below the other in a
// dialog run through the modal seam, with zoom in, zoom out and fit. It has
// no Print button of its own: printing runs separately, without the
// preview's page limit.
//
// Sheets are drawn on pictures by a worker thread of the preview, only the
// ones in view (and the next) at the scale shown, each once per scale, so
// the window opens and stays live however long each sheet takes; a sheet not
// drawn yet shows blank paper until its picture arrives. Closing stops the
// sheet in hand; alerts met while drawing are shown after the worker ended.
#include <QAbstractScrollArea>
#include <QImage>
#include <QSizeF>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <set>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

class QPainter;

namespace platform {

// Draws sheet `index` (from 0) on a painter whose unit is one point, origin
// at the paper's top left. Called on the preview's worker thread only, one
// sheet at a time, in any order and possibly more than once. Once `stop` is
// set the preview is closing: the drawing ends as soon as it can (what it
// drew is dropped). Its alerts are kept and shown after the worker ended.
using Draw_Sheet = std::function<void(QPainter& painter, int index, const std::atomic<bool>& stop)>;

class Pages_Preview : public QAbstractScrollArea {
    Q_OBJECT
public:
    // `paper` in points; the pictures claim `device_dpi` (the printer's
    // resolution) so that what resolves sizes by the device does as on paper.
    Pages_Preview(int pages, const QSizeF& paper, double device_dpi, Draw_Sheet draw, QWidget* parent = nullptr);
    // Ends the worker (finish()); alerts not taken by then stay in the log only.
    ~Pages_Preview() override;

    // Stops the sheet in hand, ends the worker and returns the alerts the
    // drawing met, in order, to be shown now; later calls return none.
    QStringList finish();
    // False when the system refused the worker that draws the sheets.
    bool started() const { return worker_.joinable(); }

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

    std::mutex mutex_; // guards the queue and the sheets in flight
    std::condition_variable wake_;
    std::vector<Request> wanted_;
    // Sheet and picture size taken by the worker whose picture has not
    // arrived yet: not asked for again meanwhile.
    std::set<std::tuple<int, int, int>> in_flight_;
    std::atomic<bool> quit_{false}; // set under mutex_, read anywhere
    QStringList alerts_;            // the worker's, read once it ended
    std::thread worker_;
};

// Runs the preview of `pages` sheets of `paper` (points) modally, then
// shows the alerts its drawing met; returns the dialog's result code.
int runPrintPreview(int pages, const QSizeF& paper, double device_dpi, const Draw_Sheet& draw, QWidget* parent);

} // namespace platform
