#include "platform/stepper.h"

#include <QLineEdit>
#include <algorithm>
#include <cmath>

namespace platform {

Stepper::Stepper(QWidget* parent)
    : QAbstractSpinBox(parent)
{
    // The value shows in a separate text field; the stepper is arrows only.
    lineEdit()->setReadOnly(true);
    lineEdit()->setFocusPolicy(Qt::NoFocus);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void Stepper::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    m_value = std::clamp(value, m_min, m_max);
    update();
}

void Stepper::setRange(double minimum, double maximum)
{
    if (!(minimum <= maximum))
        return;
    m_min = minimum;
    m_max = maximum;
    setValue(m_value);
}

void Stepper::stepBy(int steps)
{
    const double before = m_value;
    setValue(m_value + steps * m_increment);
    if (m_value != before)
        emit valueEdited(m_value);
}

QAbstractSpinBox::StepEnabled Stepper::stepEnabled() const
{
    StepEnabled e = StepNone;
    if (m_value < m_max)
        e |= StepUpEnabled;
    if (m_value > m_min)
        e |= StepDownEnabled;
    return e;
}

QSize Stepper::sizeHint() const
{
    const QSize s = QAbstractSpinBox::sizeHint();
    return {20, s.height()};
}

} // namespace platform
