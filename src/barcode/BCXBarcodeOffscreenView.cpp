#include "barcode/BCXBarcodeOffscreenView.h"

#include <QBuffer>
#include <QMap>
#include <QMouseEvent>
#include <QMutex>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QVector>
#include <cmath>
#include <cstring>

#include "app/AppHelpers.h"
#include "barcode/BCXBarcode.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/BarcodeText.h"

namespace {
Barcode_Gen& designer() { return Current_Barcode_Gen(); }

Qt::Alignment alignmentOf(const QString& item)
{
    if (item == QLatin1String("Center"))
        return Qt::AlignHCenter;
    if (item == QLatin1String("Left"))
        return Qt::AlignLeft;
    if (item == QLatin1String("Right"))
        return Qt::AlignRight;
    return Qt::AlignLeft; // natural alignment of left-to-right text
}

// A text in its colour with its baseline at (x, baseline), smoothed.
// Texts recorded into pictures on several threads at once corrupt the heap
// (Qt's picture painters lay text out with state they share), so caption
// lines are recorded one at a time.
void drawTextLine(QPainter& p, const QString& text, const QFont& font, const QColor& colour, qreal kerning, double x,
                  double baseline)
{
    static QMutex recording;
    const QMutexLocker turn(&recording);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(colour);
    barcode_text::drawLine(p, text, font, kerning, QPointF(x, baseline));
    p.restore();
}

// Text whose line has its lower-left corner at (x, yUp) in bottom-up points.
void drawTextAtPoint(QPainter& p, double H, const QString& text, const QFont& font, const QColor& colour,
                     qreal kerning, double x, double yUp)
{
    drawTextLine(p, text, font, colour, kerning, x, H - yUp - barcode_text::baselineAboveBottom(font));
}

// Text whose line hangs from the top of the bottom-up rectangle (x, yUp, w,
// h), aligned across the width.
void drawTextInRect(QPainter& p, double H, const QString& text, const QFont& font, const QColor& colour,
                    qreal kerning, Qt::Alignment align, double x, double yUp, double w, double h)
{
    const double free = w - barcode_text::drawnWidth(text, font, kerning);
    const double left = align & Qt::AlignHCenter ? x + free / 2 : align & Qt::AlignRight ? x + free : x;
    drawTextLine(p, text, font, colour, kerning, left, H - yUp - h + barcode_text::baselineBelowTop(font));
}

// Header and footer fill their bands, which the band heights size to the
// font's line as drawn, so no glyph reaches into the symbol or past the edge.
void drawHeader(QPainter& p, double W, double H, const QString& text, double band, double mTB)
{
    const Barcode_Gen& gen = designer();
    drawTextInRect(p, H, text, gen.header_font, gen.bar_hdr_clr, barcode_text::kCaptionSpacing,
                   alignmentOf(gen.align_hdr_combo), 0, H - band - mTB, W, band);
}

void drawFooter(QPainter& p, double W, double H, const QString& text, double band, double mTB)
{
    const Barcode_Gen& gen = designer();
    drawTextInRect(p, H, text, gen.footer_font, gen.bar_ftr_clr, barcode_text::kCaptionSpacing,
                   alignmentOf(gen.align_ftr_combo), 0, mTB, W, band);
}

// Collects the bars: with a raster (pxPerPt > 0) the painter is in device
// pixels and both edges of a bar snap to pixels computed from the exact
// coordinates, so that widths do not drift; vector output gets the exact
// boxes, all filled by one call.
class BarBoxes {
public:
    BarBoxes(QPainter& p, double H, double pxPerPt) : m_painter(p), m_H(H), m_k(pxPerPt) {}
    void add(double x0, double x1, double yBottomUp, double yTopUp)
    {
        if (m_k > 0) {
            const int l = int(std::lround(x0 * m_k));
            const int r = int(std::lround(x1 * m_k));
            const int t = int(std::lround((m_H - yTopUp) * m_k));
            const int b = int(std::lround((m_H - yBottomUp) * m_k));
            if (r > l && b > t)
                m_pixels.append(QRect(l, t, r - l, b - t));
        } else if (x1 > x0 && yTopUp > yBottomUp) {
            m_points.append(QRectF(x0, m_H - yTopUp, x1 - x0, yTopUp - yBottomUp));
        }
    }
    void fill(const QColor& colour)
    {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(colour);
        if (!m_pixels.isEmpty())
            m_painter.drawRects(m_pixels.constData(), int(m_pixels.size()));
        if (!m_points.isEmpty())
            m_painter.drawRects(m_points.constData(), int(m_points.size()));
        m_painter.setBrush(Qt::NoBrush);
    }

private:
    QPainter& m_painter;
    double m_H, m_k;
    QVector<QRect> m_pixels;
    QVector<QRectF> m_points;
};

// Paints in device pixels (rasters) for the life of the object.
class DeviceSpace {
public:
    DeviceSpace(QPainter& p, bool active) : m_painter(p), m_active(active)
    {
        if (m_active) {
            m_saved = p.worldTransform();
            p.setWorldTransform(QTransform());
        }
    }
    ~DeviceSpace()
    {
        if (m_active)
            m_painter.setWorldTransform(m_saved);
    }

private:
    QPainter& m_painter;
    bool m_active;
    QTransform m_saved;
};

// Fills the whole view; a raster is covered to its last pixel.
void fillBackground(QPainter& p, double W, double H, double pxPerPt, const QColor& colour)
{
    if (pxPerPt > 0) {
        DeviceSpace device(p, true);
        p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), colour);
    } else {
        p.fillRect(QRectF(0, 0, W, H), colour);
    }
}

// Logical resolution of the devices painted on. Qt drops a font's absolute
// letter spacing on 72-dpi devices, so rasters and PDF pages are painted at
// 96 dpi with the fonts resized to span points (as on a QPicture).
constexpr double kPaintDpi = 96.0;

// PDF pages come in whole points, so every frame is rounded up to whole
// points: vector picture, PDF and raster then share one size.
QSizeF wholePoints(QSizeF size)
{
    auto up = [](double v) { return std::isfinite(v) && v > 0 ? std::ceil(v - 1e-4) : v; };
    return QSizeF(up(size.width()), up(size.height()));
}

// The symbol raster as filled rectangles, one colour at a time: each band of
// equal rows gives one box per run of equal pixels in it. White and
// transparent pixels add nothing over the view's white fill. A recorded
// picture then holds shapes only, which play at any resolution without
// decoding an image, and print as vectors.
void drawModuleShapes(QPainter& p, const QImage& symbol, const QRectF& target)
{
    const QImage argb = symbol.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    if (w <= 0 || h <= 0)
        return;
    const double sx = target.width() / w, sy = target.height() / h;
    const size_t rowBytes = size_t(w) * 4;
    QMap<QRgb, QVector<QRectF>> boxes;
    for (int top = 0; top < h;) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(top));
        int bottom = top + 1;
        while (bottom < h && std::memcmp(argb.constScanLine(bottom), line, rowBytes) == 0)
            ++bottom;
        for (int x = 0; x < w;) {
            const QRgb c = line[x];
            int e = x + 1;
            while (e < w && line[e] == c)
                ++e;
            if (qAlpha(c) != 0 && c != 0xffffffffu)
                boxes[c].append(QRectF(target.left() + x * sx, target.top() + top * sy, (e - x) * sx,
                                       (bottom - top) * sy));
            x = e;
        }
        top = bottom;
    }
    p.setPen(Qt::NoPen);
    for (auto it = boxes.cbegin(); it != boxes.cend(); ++it) {
        p.setBrush(QColor::fromRgba(it.key()));
        p.drawRects(it.value().constData(), int(it.value().size()));
    }
    p.setBrush(Qt::NoBrush);
}

// A run's vector picture at the run's device resolution: the coordinate
// moved onto the device's pixel grid (rasters snap on their own).
double onRunPixels(const Barcode_Gen& gen, double points, double pixelsPerPoint)
{
    if (pixelsPerPoint > 0 || !gen.run_record || !(gen.run_device_dpi > 0))
        return points;
    const double k = gen.run_device_dpi / 72.0;
    return std::round(points * k) / k;
}

void logReason(QString* reason, const QString& text)
{
    Show_NSLog_Message(text);
    if (reason)
        *reason = text;
}
}

bool BCXBarcodeOffscreenView::initWithBarcodeImage(const PointPicture& image)
{
    fromImageOrBarcode = 1;
    const Barcode_Gen& gen = designer();
    m_frame = wholePoints(QSizeF(gen.width(), gen.height()));
    setBarcode_Image_2D(image);
    return true;
}

bool BCXBarcodeOffscreenView::initWithBarcode(const BCXBarcode* model)
{
    fromImageOrBarcode = 0;
    m_barcode = model;
    if (!model) {
        m_frame = QSizeF();
        return false;
    }
    const float hw = model->printsHeader() ? model->headerWidth() : 0;
    const float fw = model->printsFooter() ? model->footerWidth() : 0;
    m_frame = wholePoints(QSizeF(std::max({hw, fw, model->width()}), model->height()));
    return true;
}

QRectF BCXBarcodeOffscreenView::rectForPage(int) const
{
    if (m_barcode && !fromImageOrBarcode)
        return QRectF(0, 0, m_barcode->width(), m_barcode->height());
    return QRectF(QPointF(0, 0), m_frame);
}

void BCXBarcodeOffscreenView::drawRect(QPainter& painter, double pixelsPerPoint) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setPen(Qt::NoPen);
    if (fromImageOrBarcode)
        draw2D(painter, pixelsPerPoint);
    else if (m_barcode)
        drawLinear(painter, pixelsPerPoint);
    painter.restore();
}

void BCXBarcodeOffscreenView::drawLinear(QPainter& p, double k) const
{
    const Barcode_Gen& gen = designer();
    const BCXBarcode& b = *m_barcode;
    const double W = m_frame.width(), H = m_frame.height();
    fillBackground(p, W, H, k, gen.bar_back_clr);

    const std::string& modules = b.completeBarcode();
    const double n = double(modules.size());
    const double bw = b.barWidth();
    const double bcW = b.width();
    // A run's bars start on a device pixel, as its bar width spans whole ones.
    const double x0 = onRunPixels(gen, (W - n * bw) / 2, k);
    const bool top = gen.showinTopCheckbox.intValue() == 1;
    const double capH = b.printsCaption() ? b.captionHeight() * 72.0 : 0;
    const double hdrH = b.printsHeader() ? b.headerHeight() * 72.0 : 0;
    const double ftrH = b.printsFooter() ? b.footerHeight() * 72.0 : 0;
    const double mV = gen.value_margin, mF = gen.footer_margin, mTB = gen.TB_margin, mLR = gen.LR_margin;
    const double yBar = top ? ftrH + mF + mTB : capH + ftrH + mV + mF + mTB;

    // Bars: each run of "1" modules is one box from its bottom to its top.
    double lastH = 0;
    {
        DeviceSpace device(p, k > 0);
        BarBoxes bars(p, H, k);
        const size_t count = modules.size();
        for (size_t i = 0; i < count;) {
            if (modules[i] != '1') {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < count && modules[j] == '1')
                ++j;
            const int last = int(j - 1);
            const double h = b.barTop(last);
            const double bottom = b.barBottom(last);
            bars.add(x0 + double(i) * bw, x0 + double(j) * bw, yBar + bottom, yBar + h);
            lastH = h;
            i = j;
        }
        bars.fill(gen.barcode_clr);
    }

    if (b.printsCaption()) {
        const double yCap = top ? ftrH + mF + lastH + mV + mTB : ftrH + mF + mTB;
        const QFont& font = gen.value_font;
        const QColor& colour = gen.bar_val_clr;
        const double fb = b.firstBar(), lb = b.lastBar();
        // The digits left and right of the bars stand 3 pt higher, beside
        // the bars, when the value is under them; over the bars they keep
        // the value's line, as raising them would take them out of the band
        // (past the picture's top or into the header).
        const double sideRaise = top ? 0 : 3;
        const QString left = b.leftCaption();
        if (!left.isEmpty())
            drawTextAtPoint(p, H, left, font, colour, 0, fb * 0.25 + mLR, yCap + sideRaise);
        const QString middle = b.caption();
        if (!middle.isEmpty()) {
            const QStringList parts = middle.split(QLatin1Char('\t'));
            if (left.isEmpty() && parts.size() <= 1) {
                const QSizeF natural = barcode_text::naturalSize(middle, font);
                const double len = double(middle.size());
                const double kern = gen.kerning_value_Checkbox.intValue() == 1 ? (bcW - natural.width()) / len
                                                                             : barcode_text::kCaptionSpacing;
                drawTextInRect(p, H, middle, font, colour, kern, Qt::AlignHCenter, 0, yCap, W, capH);
            } else {
                const double cnt = double(parts.size());
                const double iL = double(b.initiator().size());
                const double segW = parts.size() == 1 ? bcW - 2 * iL * bw - 2 * fb : bcW / cnt - iL * bw - fb;
                for (qsizetype i = 0; i < parts.size(); ++i) {
                    const QString& part = parts[i];
                    if (part.isEmpty())
                        continue; // nothing to draw, and no kerning to divide out
                    const double w = barcode_text::naturalSize(part, font).width();
                    const double ki = (segW - w) / (2.0 * double(part.size()));
                    const double x = 3 * ki + fb + double(i + 1) * iL * bw + double(i) * segW + mLR;
                    drawTextAtPoint(p, H, part, font, colour, ki * 1.3, x, yCap);
                }
            }
        }
        const QString right = b.rightCaption();
        if (!right.isEmpty()) {
            // Beside the last bar, moved left only as far as it takes to
            // keep the text inside the picture.
            const double x = std::min(lb + bcW * 0.07 + mLR, W - barcode_text::naturalSize(right, font).width());
            drawTextAtPoint(p, H, right, font, colour, 0, x, yCap + sideRaise);
        }
    }

    if (b.printsHeader())
        drawHeader(p, W, H, b.header(), hdrH, mTB);
    if (b.printsFooter())
        drawFooter(p, W, H, b.footer(), ftrH, mTB);
}

void BCXBarcodeOffscreenView::draw2D(QPainter& p, double k) const
{
    const Barcode_Gen& gen = designer();
    const double W = m_frame.width(), H = m_frame.height();
    fillBackground(p, W, H, k, Qt::white);
    const double mTB = gen.TB_margin, mH = gen.header_margin;
    const double iw = image_2d.size().width(), ih = image_2d.size().height();
    const double hdr2 = gen.printsHeader() ? gen.headerHeight() * 72.0 : 0;
    double yTop = H - mTB;
    if (gen.printsHeader()) {
        drawHeader(p, W, H, gen.header(), hdr2, mTB);
        yTop = H - hdr2 - mTB;
    }
    if (!image_2d.isNull()) {
        // Centred across the view; a run's symbol also centred in the room
        // its frame gives, on the device's pixels.
        QRectF target((gen.width() - iw) / 2, H - yTop + mH, iw, ih);
        if (!gen.symbol_room.isEmpty())
            target.moveTop(target.top() + (gen.symbol_room.height() - ih) / 2);
        target.moveTopLeft(QPointF(onRunPixels(gen, target.left(), k), onRunPixels(gen, target.top(), k)));
        p.save();
        if (k > 0) {
            // Whole device pixels, so modules keep equal widths.
            p.setWorldTransform(QTransform());
            const int l = int(std::lround(target.left() * k)), t = int(std::lround(target.top() * k));
            const int r = int(std::lround(target.right() * k)), bt = int(std::lround(target.bottom() * k));
            target = QRectF(l, t, r - l, bt - t);
        }
        // Drawn over the white fill (source-over), so the symbol's transparent
        // margins stay white and readable on any card.
        if (k <= 0 && moduleShapes && image_2d.hasRaster())
            drawModuleShapes(p, image_2d.raster(), target);
        else
            image_2d.draw(p, target);
        p.restore();
    }
    if (gen.printsFooter())
        drawFooter(p, W, H, gen.footer(), gen.footerHeight() * 72.0, mTB);
}

bool BCXBarcodeOffscreenView::sizeProblem(QString* reason) const
{
    const double w = m_frame.width(), h = m_frame.height();
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h) || w > 1e6 || h > 1e6) {
        logReason(reason, QStringLiteral("The barcode picture has no usable size."));
        return true;
    }
    if (!fromImageOrBarcode && !m_barcode) {
        logReason(reason, QStringLiteral("No barcode to draw."));
        return true;
    }
    return false;
}

QByteArray BCXBarcodeOffscreenView::dataWithPDFInsideRect(const QRectF& rect, QString* reason) const
{
    if (sizeProblem(reason))
        return {};
    if (!(rect.width() > 0) || !(rect.height() > 0)) {
        logReason(reason, QStringLiteral("The barcode picture has no usable size."));
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        logReason(reason, QStringLiteral("The PDF buffer cannot be opened."));
        return {};
    }
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(int(kPaintDpi));
        writer.setPageSize(QPageSize(rect.size(), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer)) {
            logReason(reason, QStringLiteral("The barcode PDF could not be drawn."));
            return {};
        }
        // Painter units become points; the rectangle is bottom-up and the
        // page shows that part of the view.
        painter.scale(kPaintDpi / 72.0, kPaintDpi / 72.0);
        painter.translate(-rect.x(), -(m_frame.height() - rect.y() - rect.height()));
        drawRect(painter, 0);
        painter.end();
    }
    buffer.close();
    if (bytes.isEmpty())
        logReason(reason, QStringLiteral("The barcode PDF is empty."));
    return bytes;
}

PointPicture BCXBarcodeOffscreenView::picture(QString* reason) const
{
    if (sizeProblem(reason))
        return {};
    QPicture pic;
    QPainter painter;
    if (!painter.begin(&pic)) {
        logReason(reason, QStringLiteral("The barcode picture could not be drawn."));
        return {};
    }
    drawRect(painter, 0);
    painter.end();
    pic.setBoundingRect(QRect(0, 0, int(std::ceil(m_frame.width())), int(std::ceil(m_frame.height()))));
    return PointPicture::fromPicture(pic, m_frame);
}

QImage BCXBarcodeOffscreenView::rasterImage(double dpi, QString* reason) const
{
    if (sizeProblem(reason))
        return {};
    dpi = platform::clampRasterDpi(dpi);
    QString why;
    QImage image = platform::allocateRaster(platform::pixelsForPoints(m_frame.width(), dpi),
                                            platform::pixelsForPoints(m_frame.height(), dpi), &why);
    if (image.isNull()) {
        logReason(reason, why);
        return {};
    }
    // Painted at the logical paint resolution, fonts sized in points; the
    // scale makes the pixels. The real resolution is recorded afterwards.
    image.setDotsPerMeterX(platform::dotsPerMeter(kPaintDpi));
    image.setDotsPerMeterY(platform::dotsPerMeter(kPaintDpi));
    {
        QPainter painter;
        if (!painter.begin(&image)) {
            logReason(reason, QStringLiteral("The barcode picture could not be drawn."));
            return {};
        }
        const double k = dpi / 72.0;
        painter.scale(k, k);
        drawRect(painter, k);
        painter.end();
    }
    image.setDotsPerMeterX(platform::dotsPerMeter(dpi));
    image.setDotsPerMeterY(platform::dotsPerMeter(dpi));
    return image;
}

// ---- picture operations -------------------------------------------------------------

namespace {
Barcode_Gen& lockedDesigner() { return designer(); }

bool refuseModel(const BCXBarcode* model, QString* reason)
{
    if (!model) {
        logReason(reason, QStringLiteral("Please enter barcode value"));
        return true;
    }
    const QString problem = model->contentProblem();
    if (!problem.isEmpty()) {
        logReason(reason, problem);
        return true;
    }
    return false;
}

bool refuseImage(const PointPicture& image, QString* reason)
{
    if (image.isNull()) {
        logReason(reason, QStringLiteral("Invalid image"));
        return true;
    }
    return false;
}
}

PointPicture BCXBarcodeImage::imageFromBarcode(const BCXBarcode* model, QString* reason)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseModel(model, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcode(model);
    return view.picture(reason);
}

PointPicture BCXBarcodeImage::imageFromBarcodeImage(const PointPicture& image, QString* reason, bool moduleShapes)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseImage(image, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcodeImage(image);
    view.moduleShapes = moduleShapes;
    return view.picture(reason);
}

QByteArray BCXBarcodeImage::pdfFromBarcode(const BCXBarcode* model, QString* reason)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseModel(model, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcode(model);
    return view.dataWithPDFInsideRect(QRectF(QPointF(0, 0), view.frameSize()), reason);
}

QImage BCXBarcodeImage::rasterFromBarcode(const BCXBarcode* model, double dpi, QString* reason)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseModel(model, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcode(model);
    return view.rasterImage(dpi, reason);
}

QByteArray BCXBarcodeImage::pdfFromBarcodeImage(const PointPicture& image, QString* reason)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseImage(image, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcodeImage(image);
    return view.dataWithPDFInsideRect(QRectF(QPointF(0, 0), view.frameSize()), reason);
}

QImage BCXBarcodeImage::rasterFromBarcodeImage(const PointPicture& image, double dpi, QString* reason)
{
    auto lock = lockedDesigner().Lock_Generation();
    if (refuseImage(image, reason))
        return {};
    BCXBarcodeOffscreenView view;
    view.initWithBarcodeImage(image);
    return view.rasterImage(dpi, reason);
}

// ---- image view -------------------------------------------------------------------------

BCXBarcodeImageView::BCXBarcodeImageView(QWidget* parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(false);
}

void BCXBarcodeImageView::mousePressEvent(QMouseEvent* event) { event->accept(); }
