#pragma once
// A slider over a floating value. The value set by code is kept exactly (the
// handle shows it as near as its steps allow), so reading back a value the
// user never touched gives it unrounded. Like every control here it reports
// user input only (valueEdited); setValue is silent.
#include <QSlider>

namespace platform {

class DoubleSlider : public QSlider {
    Q_OBJECT
public:
    explicit DoubleSlider(QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value); // clamped to the range; silent
    void setRange(double minimum, double maximum);
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }

signals:
    void valueEdited(double value);

private:
    void placeHandle();
    double m_value = 0.0;
    double m_min = 0.0;
    double m_max = 1.0;
};

} // namespace platform
