#include "platform/ruler.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace platform {

RulerView::RulerView(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
{
    if (orientation == Qt::Horizontal)
        setFixedHeight(kThickness);
    else
        setFixedWidth(kThickness);
}

void RulerView::setMapping(double offsetPixels, double scale)
{
    if (!std::isfinite(offsetPixels) || !std::isfinite(scale) || scale <= 0)
        return;
    if (offsetPixels == m_offset && scale == m_scale)
        return;
    m_offset = offsetPixels;
    m_scale = scale;
    update();
}

void RulerView::moveRulerline(double from, double to)
{
    if (from != -1.0) {
        auto it = std::find(m_lines.begin(), m_lines.end(), from);
        if (it != m_lines.end())
            m_lines.erase(it);
    }
    if (to != -1.0 && std::isfinite(to))
        m_lines.push_back(to);
    update();
}

QSize RulerView::sizeHint() const
{
    return m_orientation == Qt::Horizontal ? QSize(100, kThickness) : QSize(kThickness, 100);
}

void RulerView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool horizontal = m_orientation == Qt::Horizontal;
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Mid));
    if (horizontal)
        p.drawLine(0, height() - 1, width(), height() - 1);
    else
        p.drawLine(width() - 1, 0, width() - 1, height());

    const double length = horizontal ? width() : height();
    // Tick spacing in points that keeps ticks at least 5 pixels apart.
    double step = 10.0;
    while (step * m_scale < 5.0)
        step *= 2.0;
    const double first = std::floor((0.0 - m_offset) / m_scale / step) * step;
    const double last = (length - m_offset) / m_scale;
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    for (double v = first; v <= last; v += step) {
        const double px = m_offset + v * m_scale;
        const long n = std::lround(v / step);
        const bool major = n % 5 == 0;
        const int tick = major ? kThickness - 4 : 4;
        if (horizontal) {
            p.drawLine(QPointF(px, kThickness - tick), QPointF(px, kThickness));
            if (major)
                p.drawText(QPointF(px + 2, 9), QString::number(std::lround(v)));
        } else {
            p.drawLine(QPointF(kThickness - tick, px), QPointF(kThickness, px));
            if (major) {
                p.save();
                p.translate(9, px + 2);
                p.rotate(90);
                p.drawText(QPointF(0, 0), QString::number(std::lround(v)));
                p.restore();
            }
        }
    }
    p.setPen(QColor(0, 0, 0));
    for (double v : m_lines) {
        const double px = m_offset + v * m_scale;
        if (horizontal)
            p.drawLine(QPointF(px, 0), QPointF(px, kThickness));
        else
            p.drawLine(QPointF(0, px), QPointF(kThickness, px));
    }
}

} // namespace platform
