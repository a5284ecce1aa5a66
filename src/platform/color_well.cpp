#include "platform/color_well.h"

#include "platform/modal.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace platform {

ColorWell::ColorWell(QWidget* parent)
    : QToolButton(parent)
{
    setFixedSize(36, 22);
    connect(this, &QToolButton::clicked, this, &ColorWell::choose);
}

void ColorWell::setColor(const QColor& color)
{
    if (!color.isValid())
        return;
    m_color = color;
    update();
}

void ColorWell::choose()
{
    const std::optional<QColor> chosen = modal::chooseColor(m_color, toolTip());
    if (!chosen || !chosen->isValid())
        return;
    m_color = *chosen;
    update();
    emit colorEdited(m_color);
}

void ColorWell::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    QPainter p(this);
    const QRect inner = rect().adjusted(4, 4, -4, -4);
    p.fillRect(inner, m_color);
    p.setPen(isEnabled() ? palette().color(QPalette::Dark) : palette().color(QPalette::Mid));
    p.drawRect(inner.adjusted(0, 0, -1, -1));
}

} // namespace platform
