#pragma once
// The scroll view around a canvas: rulers, the zoom menu at the left end of
// the horizontal scroll bar (always shown), and a zoom factor. Its viewport
// is a QBXCenteringClipView, which places the canvas: centred while the card
// is smaller than the visible area, scrolled within the card otherwise.
#include <QAbstractScrollArea>
#include <QPointF>
#include <QStringList>

#include <array>
#include <functional>

class QComboBox;
class QBXCenteringClipView;
class QBXGraphicView;
namespace platform {
class RulerView;
}

inline const QString QBXZoomingScrollViewFactor = QStringLiteral("factor");

class QBXZoomingScrollView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static const std::array<const char*, 11> QBXZoomingScrollViewLabels;
    static const std::array<double, 11> QBXZoomingScrollViewFactors;

    explicit QBXZoomingScrollView(QWidget* parent = nullptr);
    ~QBXZoomingScrollView() override;

    QBXCenteringClipView* contentView() const { return m_clip; }
    void setDocumentView(QBXGraphicView* canvas);
    QBXGraphicView* documentView() const { return m_canvas; }

    // The zoom menu, created on first need.
    QComboBox* validateFactorPopUpButton();
    QComboBox* factorPopUpButton() const { return _factorPopUpButton; }
    double factor() const { return _factor; }
    // Stores the factor and zooms the canvas; zero, negative or non-finite
    // factors are ignored. Selects the matching menu item (silently).
    void setFactor(double factor);

    // "factor" binding: the menu's choice calls `setter` with the chosen
    // factor (the controller's zoom value), which then sets the factor of
    // every view bound to it. Unbinding stops that.
    void bindFactor(std::function<void(double)> setter);
    void unbindFactor();
    bool isFactorBound() const { return bool(m_factorSetter); }

    // Rulers.
    void setHasHorizontalRuler(bool flag);
    void setHasVerticalRuler(bool flag);
    bool rulersVisible() const { return m_rulersVisible; }
    void setRulersVisible(bool flag);
    platform::RulerView* horizontalRulerView() const { return m_hRuler; }
    platform::RulerView* verticalRulerView() const { return m_vRuler; }

    // Lays out the canvas, the scroll bars and the rulers for the current
    // clip bounds (called after any change of size, zoom or scroll).
    void tile();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void factorChosen(int index);
    void syncScrollBars();

    QComboBox* _factorPopUpButton = nullptr;
    double _factor = 1.0;
    QBXCenteringClipView* m_clip = nullptr;
    QBXGraphicView* m_canvas = nullptr;
    platform::RulerView* m_hRuler = nullptr;
    platform::RulerView* m_vRuler = nullptr;
    bool m_rulersVisible = false;
    bool m_syncing = false;
    std::function<void(double)> m_factorSetter;
};
