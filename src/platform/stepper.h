#pragma once
// A stepper: up and down arrows over a floating value with a range and an
// increment, shown beside its own text field. Like every control here it
// reports user input only (valueEdited); setting the value is silent.
#include <QAbstractSpinBox>

#include <functional>

class QLineEdit;

namespace platform {

class Stepper : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    double value() const { return m_value; }
    int intValue() const { return int(m_value); }
    void setValue(double value); // clamped to the range; silent
    void setRange(double minimum, double maximum);
    void setIncrement(double increment) { m_increment = increment; }
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueEdited(double value);

protected:
    StepEnabled stepEnabled() const override;

private:
    double m_value = 0.0;
    double m_min = 0.0;
    double m_max = 59.0;
    double m_increment = 1.0;
};

// Pairs a stepper with the text field that shows its value (an integer, or
// with asFloat a number): the arrows show the new value in the field; a value
// typed there is taken on Return or when the field is left, within the
// stepper's range, while text that is no number is refused; either way the
// field then shows the stepper's value. `edited` runs after each, with the
// stepper or the field as the sender.
void pairField(Stepper* stepper, QLineEdit* field, QObject* context, bool asFloat,
               const std::function<void(QObject*)>& edited = {});

} // namespace platform
