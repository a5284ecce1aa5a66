#pragma once
// An image view that tiles the main window's banner picture from its top
// left corner, then draws its own picture (if any) over the pattern.
#include <QImage>
#include <QWidget>

#include <functional>

class Repeat_Image : public QWidget {
    Q_OBJECT
public:
    explicit Repeat_Image(QWidget* parent = nullptr);
    // Where the banner comes from (the controller's banner_image).
    static void setBannerSource(std::function<QImage()> source);
    QImage image() const { return m_image; }
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};
