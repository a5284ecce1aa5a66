#include "drawing/Repeat_Image.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
std::function<QImage()>& bannerSource()
{
    static std::function<QImage()> source;
    return source;
}
} // namespace

Repeat_Image::Repeat_Image(QWidget* parent)
    : QWidget(parent)
{
}

void Repeat_Image::setBannerSource(std::function<QImage()> source)
{
    bannerSource() = std::move(source);
}

void Repeat_Image::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void Repeat_Image::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QImage banner = bannerSource() ? bannerSource()() : QImage();
    if (!banner.isNull()) {
        // The pattern starts at the view's top left corner.
        painter.save();
        painter.setBrushOrigin(0, 0);
        painter.fillRect(event->rect(), QBrush(banner));
        painter.restore();
    }
    if (!m_image.isNull())
        painter.drawImage(rect(), m_image);
}
