#pragma once
// A colour well: a button filled with its colour; a click opens the colour
// panel through the modal seam, and a chosen colour is reported as user input
// (colorEdited). setColor is silent.
#include <QColor>
#include <QToolButton>

namespace platform {

class ColorWell : public QToolButton {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

signals:
    void colorEdited(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose();
    QColor m_color = Qt::black;
};

} // namespace platform
