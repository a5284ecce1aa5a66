#include "platform/print_preview.h"

#include "platform/alerts.h"
#include "platform/modal.h"
#include "platform/thread_handoff.h"
#include "platform/threads.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr int kMargin = 12;       // around the sheets, pixels
constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.05, kMaxZoom = 8;
// Pictures are drawn at most this many pixels per point; beyond, the
// picture is enlarged on screen (a sheet stays within some 30 MB).
constexpr double kMaxPictureZoom = 3;
// Pictures kept beyond the sheets in view, on either side.
constexpr int kKeptAround = 3;

} // namespace

Pages_Preview::Pages_Preview(int pages, const QSizeF& paper, double device_dpi, Draw_Sheet draw, QWidget* parent)
    : QAbstractScrollArea(parent), pages_(std::max(0, pages)), paper_(paper), device_dpi_(device_dpi),
      draw_(std::move(draw))
{
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    viewport()->setPalette(pal);
    // The first sheets are asked for when the view gets its size; a system
    // that refuses the worker gets no preview (started() says so).
    startThread(worker_, [this] { Work(); });
}

Pages_Preview::~Pages_Preview()
{
    finish();
}

QStringList Pages_Preview::finish()
{
    if (!worker_.joinable())
        return {};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        wanted_.clear();
    }
    wake_.notify_all();
    worker_.join();
    return std::exchange(alerts_, {});
}

void Pages_Preview::zoomIn()
{
    fitting_ = false;
    Set_Zoom(zoom_ * kZoomStep);
}

void Pages_Preview::zoomOut()
{
    fitting_ = false;
    Set_Zoom(zoom_ / kZoomStep);
}

void Pages_Preview::fitInView()
{
    fitting_ = true;
    if (paper_.isEmpty())
        return;
    const QSize view = viewport()->size();
    Set_Zoom(std::min((view.width() - 2.0 * kMargin) / paper_.width(), (view.height() - 2.0 * kMargin) / paper_.height()));
}

void Pages_Preview::Set_Zoom(double zoom)
{
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    Layout_Scrollbars();
    viewport()->update();
    Request_Visible();
}

QRect Pages_Preview::Page_Rect(int index) const
{
    const int w = int(std::lround(paper_.width() * zoom_)), h = int(std::lround(paper_.height() * zoom_));
    return QRect(kMargin, kMargin + index * (h + kMargin), w, h);
}

QSize Pages_Preview::Picture_Size() const
{
    const double scale = std::min(zoom_, kMaxPictureZoom) * devicePixelRatioF();
    return QSize(std::max(1, int(std::lround(paper_.width() * scale))),
                 std::max(1, int(std::lround(paper_.height() * scale))));
}

void Pages_Preview::Layout_Scrollbars()
{
    const QRect last = Page_Rect(std::max(0, pages_ - 1));
    const QSize content(last.right() + 1 + kMargin, last.bottom() + 1 + kMargin);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(std::max(1, Page_Rect(0).height() / 20));
}

void Pages_Preview::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (fitting_)
        fitInView();
    else
        Layout_Scrollbars();
    Request_Visible();
}

void Pages_Preview::scrollContentsBy(int, int)
{
    viewport()->update();
    Request_Visible();
}

void Pages_Preview::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRect view(offset, viewport()->size());
    for (int i = 0; i < pages_; ++i) {
        const QRect page = Page_Rect(i);
        if (page.top() > view.bottom())
            break;
        if (!page.intersects(view))
            continue;
        const QRect target = page.translated(-offset);
        painter.fillRect(target.translated(3, 3), QColor(64, 64, 64));
        const auto found = pictures_.find(i);
        if (found == pictures_.end())
            painter.fillRect(target, Qt::white);
        else
            painter.drawImage(target, found->second);
    }
}

void Pages_Preview::Request_Visible()
{
    if (pages_ == 0)
        return;
    const QSize size = Picture_Size();
    const int top = verticalScrollBar()->value(), bottom = top + std::max(1, viewport()->height());
    const int step = Page_Rect(1).top() - Page_Rect(0).top();
    const int first = std::clamp(top / std::max(1, step), 0, pages_ - 1);
    const int last = std::clamp(bottom / std::max(1, step), first, pages_ - 1);
    for (auto it = pictures_.begin(); it != pictures_.end();)
        it = it->first < first - kKeptAround || it->first > last + kKeptAround ? pictures_.erase(it) : std::next(it);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The sheets in view, then the next one, so scrolling down finds it;
        // none that is drawn already or on its way.
        wanted_.clear();
        for (int i = first; i <= std::min(last + 1, pages_ - 1); ++i) {
            const auto found = pictures_.find(i);
            if ((found == pictures_.end() || found->second.size() != size) &&
                !in_flight_.count({i, size.width(), size.height()}))
                wanted_.push_back({i, size});
        }
    }
    wake_.notify_all();
}

void Pages_Preview::Take_Sheet(int index, const QImage& picture)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        in_flight_.erase({index, picture.width(), picture.height()});
    }
    pictures_[index] = picture;
    drawn_.insert(index);
    viewport()->update();
    Request_Visible();
}

void Pages_Preview::Work()
{
    // The main thread may wait for this one (finish): its alerts wait too.
    Held_Alerts held;
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !wanted_.empty(); });
            if (quit_)
                break;
            request = wanted_.front();
            wanted_.erase(wanted_.begin());
            in_flight_.insert({request.index, request.size.width(), request.size.height()});
        }
        QImage picture(request.size, QImage::Format_RGB32);
        if (picture.isNull()) {
            std::lock_guard<std::mutex> lock(mutex_);
            in_flight_.erase({request.index, request.size.width(), request.size.height()});
            continue;
        }
        const int dpm = int(std::lround(device_dpi_ / 0.0254));
        picture.setDotsPerMeterX(dpm);
        picture.setDotsPerMeterY(dpm);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.scale(request.size.width() / paper_.width(), request.size.height() / paper_.height());
            draw_(painter, request.index, quit_);
        }
        if (quit_)
            break;
        QMetaObject::invokeMethod(
            this, handedOff([this, index = request.index, picture] { Take_Sheet(index, picture); }),
            Qt::QueuedConnection);
    }
    alerts_ = held.take();
}

int runPrintPreview(int pages, const QSizeF& paper, double device_dpi, const Draw_Sheet& draw, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("Print_Preview"));
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* preview = new Pages_Preview(pages, paper, device_dpi, draw, &dialog);
    preview->setObjectName(QStringLiteral("preview"));
    layout->addWidget(preview);

    auto* buttons = new QDialogButtonBox(&dialog);
    auto* zoomIn = buttons->addButton(QStringLiteral("Zoom In"), QDialogButtonBox::ActionRole);
    auto* zoomOut = buttons->addButton(QStringLiteral("Zoom Out"), QDialogButtonBox::ActionRole);
    auto* fit = buttons->addButton(QStringLiteral("Fit Page"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    QObject::connect(zoomIn, &QPushButton::clicked, preview, [preview] { preview->zoomIn(); });
    QObject::connect(zoomOut, &QPushButton::clicked, preview, [preview] { preview->zoomOut(); });
    QObject::connect(fit, &QPushButton::clicked, preview, [preview] { preview->fitInView(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&dialog] { dialog.done(0); });
    layout->addWidget(buttons);
    dialog.resize(700, 800);
    if (!preview->started()) {
        modal::alert(modal::AlertKind::Ok,
                     QStringLiteral("The preview cannot be shown: the system refuses to start the thread that draws "
                                    "its sheets. Close other programs and try again."));
        return QDialog::Rejected;
    }
    const int code = modal::run(dialog);
    dialog.hide();
    for (const QString& text : preview->finish())
        modal::alert(modal::AlertKind::Ok, text);
    return code;
}

} // namespace platform
