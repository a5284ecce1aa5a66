#pragma once
// A stepper: up and down arrows over a floating value with a range and an
// increment, shown beside its own text field. Like every control here it
// reports user input only (valueEdited); setting the value is silent.
#include <QAbstractSpinBox>

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

} // namespace platform
