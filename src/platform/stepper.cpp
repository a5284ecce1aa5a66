#include "platform/stepper.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSpinBox>
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
    // As wide as the style's arrow buttons and the frame around them (the
    // value shows in its own field), so that the arrows are drawn whole.
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    option.rect = QRect(0, 0, 200, QAbstractSpinBox::sizeHint().height());
    const QRect up = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    const int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
    return {std::max(200 - up.left() + frame, 16), option.rect.height()};
}

QSize Stepper::minimumSizeHint() const
{
    return sizeHint();
}

namespace {

// Shows the stepper's value in the field without reporting an edit.
void showValue(const Stepper* stepper, QLineEdit* field, bool asFloat)
{
    const QSignalBlocker quiet(field);
    field->setText(asFloat ? QString::number(stepper->value()) : QString::number(stepper->intValue()));
    field->setModified(false);
}

} // namespace

void pairField(Stepper* stepper, QLineEdit* field, QObject* context, bool asFloat,
               const std::function<void(QObject*)>& edited)
{
    QObject::connect(stepper, &Stepper::valueEdited, context, [stepper, field, asFloat, edited] {
        showValue(stepper, field, asFloat);
        if (edited)
            edited(stepper);
    });
    QObject::connect(field, &QLineEdit::editingFinished, context, [stepper, field, asFloat, edited] {
        if (!field->isModified())
            return;
        bool ok = false;
        const double typed = field->text().trimmed().toDouble(&ok);
        if (ok)
            stepper->setValue(typed); // clamped; NaN and infinities are refused
        showValue(stepper, field, asFloat);
        if (edited)
            edited(field);
    });
}

} // namespace platform
