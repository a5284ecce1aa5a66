#include "drawing/QBXRenderingView.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/PaintStyle.h"
#include "drawing/RefreshSeam.h"

#include <QBuffer>
#include <QMutexLocker>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height())
        && r.width() > 0 && r.height() > 0;
}

DrawingContext offscreenContext(const QPainter& painter)
{
    DrawingContext dc;
    dc.viewIsFlipped = true;
    dc.isCanvas = false;
    dc.deviceScale = drawing::deviceScale(painter);
    dc.refreshCanvas = [] { drawing::requestRefresh(); };
    return dc;
}

// Pixel size of a rectangle at a dpi, rounded up; empty with a message when
// too large, empty and logged when the rectangle or dpi is unusable.
QSize rasterSize(const QRectF& rect, double dpi)
{
    if (!finiteRect(rect) || !std::isfinite(dpi) || dpi <= 0) {
        Show_NSLog_Message(QStringLiteral("No card picture is made for an empty frame or a resolution of %1 dpi.")
                               .arg(QString::number(dpi)));
        return {};
    }
    const double w = std::ceil(rect.width() * dpi / 72.0 - 1e-9);
    const double h = std::ceil(rect.height() * dpi / 72.0 - 1e-9);
    if (w > QBXRenderingView::kMaxRasterSide || h > QBXRenderingView::kMaxRasterSide
        || w * h > double(QBXRenderingView::kMaxRasterPixels)) {
        Show_MessageBox(QStringLiteral("The card picture would be %1 x %2 pixels at %3 dpi, more than this program "
                                       "can make. Choose a lower resolution.")
                            .arg(QString::number(qint64(w)), QString::number(qint64(h)), QString::number(dpi)));
        return {};
    }
    return QSize(std::max(1, int(w)), std::max(1, int(h)));
}

int dotsPerMeter(double dpi)
{
    return int(std::lround(dpi / 0.0254));
}

} // namespace

QBXRenderingView::QBXRenderingView(const QRectF& frame, const GraphicList& graphics, const QString& printJobTitle,
                                   CardRenderContext context)
    : frame_(frame), _graphics(graphics), _printJobTitle(printJobTitle), context_(std::move(context))
{
    if (context_.side < 0)
        context_.side = Card_Front_Or_Back;
    if (context_.resourcePath.isEmpty())
        context_.resourcePath = graphic_defaults::resourcePath();
}

void QBXRenderingView::drawRect(QPainter& painter, const QRectF& dirty) const
{
    drawLayers(painter, dirty, true, 0, _graphics.size());
}

void QBXRenderingView::drawLayers(QPainter& painter, const QRectF& dirty, bool background, size_t from,
                                  size_t to) const
{
    try {
        if (background) {
            CardBackgroundContext bg;
            bg.front = &context_.front;
            bg.back = &context_.back;
            bg.cardShape = context_.cardShape;
            bg.side = context_.side;
            bg.resourcePath = context_.resourcePath;
            bg.cardRect = frame_;
            drawing::Card_Base_Drawing(painter, bg, dirty);
        }
        const DrawingContext dc = offscreenContext(painter);
        to = std::min(to, _graphics.size());
        for (size_t i = from; i < to; ++i) {
            QBXGraphic* g = _graphics[_graphics.size() - 1 - i].get();
            if (g && g->print_object == 0)
                g->drawClippedInView(painter, dc, false);
        }
    } catch (const std::exception& e) {
        Show_MessageBox(QString::fromUtf8(e.what()));
    }
}

QByteArray QBXRenderingView::dataWithPDFInsideRect(const QRectF& rect) const
{
    if (!finiteRect(rect)) {
        Show_NSLog_Message(QStringLiteral("No PDF is made for an empty card frame."));
        return {};
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Cardwright"));
        if (!_printJobTitle.isEmpty())
            writer.setTitle(_printJobTitle);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(rect.size(), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        QPainter painter;
        if (!painter.begin(&writer)) {
            Show_NSLog_Message(QStringLiteral("The PDF writer could not start."));
            return {};
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(-rect.topLeft());
        drawRect(painter, rect);
        painter.end();
    }
    buffer.close();
    return data;
}

QImage QBXRenderingView::raster(const QRectF& rect, double dpi, const QImage& start,
                                const std::function<void(QPainter&)>& draw) const
{
    const QSize px = rasterSize(rect, dpi);
    if (px.isEmpty())
        return {};
    QImage image = start.size() == px ? start : QImage(px, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        Show_NSLog_Message(QStringLiteral("No memory for a card picture of %1 x %2 pixels.")
                               .arg(px.width()).arg(px.height()));
        return {};
    }
    // Painted in points on a 72-dpi device scaled to the dpi, then tagged:
    // fonts are sized by the device's resolution.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    if (start.size() != px)
        image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.scale(dpi / 72.0, dpi / 72.0);
        painter.translate(-rect.topLeft());
        draw(painter);
    }
    image.setDotsPerMeterX(dotsPerMeter(dpi));
    image.setDotsPerMeterY(dotsPerMeter(dpi));
    return image;
}

QImage QBXRenderingView::imageInsideRect(const QRectF& rect, double dpi) const
{
    const size_t all = _graphics.size();
    if (!underlay_ || rect != frame_ || size_t(underlay_->graphics_) > all)
        return raster(rect, dpi, QImage(), [&](QPainter& p) { drawLayers(p, rect, true, 0, all); });
    const size_t bottom = size_t(underlay_->graphics_);
    QImage start;
    {
        QMutexLocker lock(&underlay_->mutex_);
        QImage& made = underlay_->images_[dpi];
        if (made.isNull())
            made = raster(rect, dpi, QImage(), [&](QPainter& p) { drawLayers(p, rect, true, 0, bottom); });
        start = made;
    }
    // The copy detaches when painted on: the shared bottom stays as it is.
    return raster(rect, dpi, start, [&](QPainter& p) { drawLayers(p, rect, false, bottom, all); });
}

QByteArray QBXRenderingView::pdfDataWithGraphics_data(const GraphicList& graphics, const CardRenderContext& context)
{
    const QBXRenderingView view(context.frame, graphics, QString(), context);
    return view.dataWithPDFInsideRect(context.frame);
}

QByteArray QBXRenderingView::tiffDataWithGraphics(const GraphicList& graphics, QBXError* error)
{
    const QRectF u = QBXGraphic::drawingBoundsOfGraphics(graphics);
    if (!finiteRect(u)) {
        if (error)
            *error = QBXGraphic::QBXErrorWithCode(3);
        return {};
    }
    const QSize px = rasterSize(u, 72.0);
    if (px.isEmpty())
        return {};
    QImage image(px, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        // The union lands at the picture's origin, upright.
        painter.translate(-u.topLeft());
        const DrawingContext dc = offscreenContext(painter);
        for (auto it = graphics.rbegin(); it != graphics.rend(); ++it) {
            if (*it)
                (*it)->drawClippedInView(painter, dc, false);
        }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    if (!writer.write(image)) {
        Show_NSLog_Message(QStringLiteral("The TIFF data could not be written: ") + writer.errorString());
        return {};
    }
    return data;
}

CardPicture QBXRenderingView::image_From_Card_Graphics(const GraphicList& graphics, bool print_box,
                                                       const CardRenderContext& context)
{
    return image_From_Card_Graphics(graphics, print_box, context, nullptr);
}

CardPicture QBXRenderingView::image_From_Card_Graphics(const GraphicList& graphics, bool print_box,
                                                       const CardRenderContext& context,
                                                       std::shared_ptr<CardUnderlay> underlay)
{
    (void)print_box;
    CardPicture picture;
    try {
        if (!finiteRect(context.frame)) {
            Show_NSLog_Message(QStringLiteral("No card picture is made for an empty card frame."));
            return picture;
        }
        // Frozen now: the graphics that are printed, each copied whole.
        GraphicList copies;
        copies.reserve(graphics.size());
        for (const GraphicPtr& g : graphics)
            if (g && g->print_object == 0)
                copies.push_back(g->fullCopy());
        auto view = std::make_shared<QBXRenderingView>(context.frame, copies, QString(), context);
        view->underlay_ = std::move(underlay);
        picture.view_ = std::move(view);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        picture = CardPicture();
    }
    return picture;
}

int QBXRenderingView::Get_OS_Version()
{
    // Above 1038: every caller takes the vector path.
    return 2022;
}

QSizeF CardPicture::size() const
{
    return view_ ? view_->frame().size() : QSizeF();
}

QImage CardPicture::toImage(double dpi) const
{
    return view_ ? view_->imageInsideRect(view_->frame(), dpi) : QImage();
}

QByteArray CardPicture::toPdf() const
{
    return view_ ? view_->dataWithPDFInsideRect(view_->frame()) : QByteArray();
}

void CardPicture::draw(QPainter& painter, const QRectF& target) const
{
    if (!view_ || !finiteRect(target))
        return;
    const QRectF f = view_->frame();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / f.width(), target.height() / f.height());
    painter.translate(-f.topLeft());
    painter.setClipRect(f, Qt::IntersectClip);
    view_->drawRect(painter, f);
    painter.restore();
}
