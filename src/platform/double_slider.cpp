#include "platform/double_slider.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr int kSteps = 1000;
}

DoubleSlider::DoubleSlider(QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
{
    QSlider::setRange(0, kSteps);
    // Only a move by the user (drag, click, keys, wheel) changes the value.
    connect(this, &QSlider::actionTriggered, this, [this](int) {
        const double v = m_min + (m_max - m_min) * double(sliderPosition()) / kSteps;
        m_value = std::clamp(v, m_min, m_max);
        emit valueEdited(m_value);
    });
}

void DoubleSlider::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    m_value = std::clamp(value, m_min, m_max);
    placeHandle();
}

void DoubleSlider::setRange(double minimum, double maximum)
{
    if (!(minimum < maximum))
        return;
    m_min = minimum;
    m_max = maximum;
    m_value = std::clamp(m_value, m_min, m_max);
    placeHandle();
}

void DoubleSlider::placeHandle()
{
    const QSignalBlocker quiet(this);
    const int position = int(std::lround((m_value - m_min) / (m_max - m_min) * kSteps));
    QSlider::setValue(position);
    QSlider::setSliderPosition(position);
}

} // namespace platform
