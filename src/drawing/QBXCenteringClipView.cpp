#include "drawing/QBXCenteringClipView.h"

#include "drawing/CanvasHost.h"
#include "drawing/CardBackground.h"
#include "drawing/QBXGraphicView.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Half away from zero, in single precision.
double roundAway(double value)
{
    return double(std::round(float(value)));
}

// Three box blurs of the alpha channel approximate a Gaussian of that radius.
void blurAlpha(QImage& image, int radius)
{
    const int w = image.width();
    const int h = image.height();
    if (radius < 1 || w == 0 || h == 0)
        return;
    std::vector<int> a(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[size_t(y) * size_t(w) + size_t(x)] = qAlpha(line[x]);
    }
    const int box = std::max(1, radius / 3);
    std::vector<int> tmp(a.size());
    auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w;
        const int inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            auto at = [&](int i) -> int& {
                return horizontal ? a[size_t(o) * size_t(w) + size_t(i)] : a[size_t(i) * size_t(w) + size_t(o)];
            };
            int sum = 0;
            for (int i = -box; i <= box; ++i)
                sum += at(std::clamp(i, 0, inner - 1));
            for (int i = 0; i < inner; ++i) {
                const size_t idx = horizontal ? size_t(o) * size_t(w) + size_t(i) : size_t(i) * size_t(w) + size_t(o);
                tmp[idx] = sum / (2 * box + 1);
                sum += at(std::min(i + box + 1, inner - 1)) - at(std::max(i - box, 0));
            }
        }
        a.swap(tmp);
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0, a[size_t(y) * size_t(w) + size_t(x)]); // premultiplied black
    }
}

} // namespace

QBXCenteringClipView::QBXCenteringClipView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

QRectF QBXCenteringClipView::documentRect() const
{
    if (!m_document)
        return {};
    return QRectF(QPointF(0, 0), m_document->frameSize());
}

void QBXCenteringClipView::setBoundsSize(const QSizeF& size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < 0 || size.height() < 0)
        return;
    m_bounds.setSize(size);
    centerDocument();
}

void QBXCenteringClipView::setBoundsOrigin(const QPointF& origin)
{
    if (!std::isfinite(origin.x()) || !std::isfinite(origin.y()))
        return;
    m_bounds.moveTopLeft(origin);
    centerDocument();
}

void QBXCenteringClipView::centerDocument()
{
    const QRectF d = documentRect();
    QPointF origin = m_bounds.topLeft();
    if (m_bounds.width() > d.width())
        origin.setX(roundAway((d.width() - m_bounds.width()) / 2.0));
    if (m_bounds.height() > d.height())
        origin.setY(roundAway((d.height() - m_bounds.height()) / 2.0));
    {
        QMutexLocker lock(&m_patternMutex);
        if (!m_bgImagePattern.isNull() && !m_bgImage.isNull() && m_bgSize != d.size().toSize())
            m_bgImage = QImage();
    }
    scrollToPoint(origin);
}

QPointF QBXCenteringClipView::constrainScrollPoint(const QPointF& proposed) const
{
    const QRectF d = documentRect();
    auto axis = [](double p, double docExtent, double boundsExtent) {
        if (boundsExtent > docExtent)
            return roundAway((docExtent - boundsExtent) / 2.0);
        return roundAway(std::max(0.0, std::min(p, docExtent - boundsExtent)));
    };
    return {axis(proposed.x(), d.width(), m_bounds.width()), axis(proposed.y(), d.height(), m_bounds.height())};
}

void QBXCenteringClipView::scrollToPoint(const QPointF& proposed)
{
    const QPointF origin = constrainScrollPoint(proposed);
    const bool moved = origin != m_bounds.topLeft();
    m_bounds.moveTopLeft(origin);
    if (m_document) {
        const double zoom = m_document->zoom();
        m_document->move(int(std::lround(-origin.x() * zoom)), int(std::lround(-origin.y() * zoom)));
    }
    if (moved)
        update();
    emit boundsChanged();
}

QImage QBXCenteringClipView::bgImagePattern() const
{
    QMutexLocker lock(&m_patternMutex);
    return m_bgImagePattern;
}

void QBXCenteringClipView::setBgImagePattern(const QImage& pattern)
{
    QMutexLocker lock(&m_patternMutex);
    m_bgImagePattern = pattern;
}

void QBXCenteringClipView::paintEvent(QPaintEvent* event)
{
    // The gradient and the silhouette change only with the view's size, the
    // card's place and its outline: they are composed once into one picture,
    // and each paint copies the exposed part of it.
    CanvasHost* host = drawing::canvasHost();
    const int shape = host ? host->cardShape() : 0;
    const QRect card = m_document ? m_document->geometry() : QRect();
    if (m_composite.size() != size() || m_compositeCard != card || m_compositeShape != shape) {
        m_composite = QImage(size(), QImage::Format_RGB32);
        QPainter painter(&m_composite);
        painter.fillRect(rect(), Qt::white);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0.0, QColor::fromRgbF(0.88f, 0.88f, 0.88f));
        gradient.setColorAt(1.0, QColor::fromRgbF(0.78f, 0.78f, 0.78f));
        painter.fillRect(rect(), gradient);
        drawSilhouette(painter);
        m_compositeCard = card;
        m_compositeShape = shape;
    }
    QPainter painter(this);
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), m_composite, r);
}

void QBXCenteringClipView::drawSilhouette(QPainter& painter)
{
    if (!m_document)
        return;
    const QRect card = m_document->geometry();
    if (card.isEmpty())
        return;
    CanvasHost* host = drawing::canvasHost();
    const int shape = host ? host->cardShape() : 0;
    const int pad = int(kShadowBlur) + int(kShadowOffset) + 2;
    if (m_bgImage.isNull() || m_bgSize != card.size() || m_bgShape != shape) {
        // The silhouette and its shadow, drawn once per size and outline.
        QImage shadow(card.size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        {
            QPainter p(&shadow);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.fillPath(drawing::cardShapePath(shape, QRectF(pad + kShadowOffset, pad + kShadowOffset, card.width(),
                                                            card.height())),
                       QColor(0, 0, 0, 255));
        }
        blurAlpha(shadow, int(kShadowBlur));
        {
            QPainter p(&shadow);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.fillPath(drawing::cardShapePath(shape, QRectF(pad, pad, card.width(), card.height())),
                       palette().color(QPalette::Button));
        }
        m_bgImage = shadow;
        m_bgSize = card.size();
        m_bgShape = shape;
    }
    painter.drawImage(card.topLeft() - QPoint(pad, pad), m_bgImage);
}
