#pragma once
// A ruler beside a scrolled view: ticks every 10 points with labels every 50,
// and marker lines moved with moveRulerline. Locations are in the ruled
// view's points; the owner keeps the mapping (pixel = offset + point * scale)
// up to date as it scrolls and zooms.
#include <QWidget>

#include <vector>

namespace platform {

class RulerView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThickness = 18;

    RulerView(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    void setMapping(double offsetPixels, double scale);
    double offset() const { return m_offset; }
    double scale() const { return m_scale; }

    // Moves the marker at `from` to `to`; -1.0 stands for no line (so
    // -1 -> x adds one and x -> -1 removes one).
    void moveRulerline(double from, double to);
    const std::vector<double>& rulerlines() const { return m_lines; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    double m_offset = 0.0;
    double m_scale = 1.0;
    std::vector<double> m_lines;
};

} // namespace platform
