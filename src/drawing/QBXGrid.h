#pragma once
// The canvas grid: line colour, spacing, always-shown and snapping flags,
// and a short temporary showing after the spacing changes. One instance per
// process, owned by the main window controller and shared by the canvases.
#include <QColor>
#include <QObject>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;
class QTimer;

class QBXGrid : public QObject {
    Q_OBJECT
public:
    // How long the grid stays visible after a spacing change, in seconds.
    static constexpr double QBXGridTemporaryShowingTime = 1.0;

    explicit QBXGrid(QObject* parent = nullptr);
    ~QBXGrid() override;

    bool isAlwaysShown() const { return _isAlwaysShown; }
    bool isConstraining() const { return _isConstraining; }
    double spacing() const { return _spacing; }
    QColor color() const { return _color; }

    void setConstraining(bool flag);
    void setAlwaysShown(bool flag);
    void setSpacing(double spacing);

    bool isUsable() const { return _spacing > 0; }
    bool canSetColor() const { return _isAlwaysShown && isUsable(); }
    bool canSetSpacing() const { return _isAlwaysShown || _isConstraining; }
    bool canAlign() const { return isUsable(); }
    // True while the grid is drawn: usable, and always shown or in a
    // temporary showing.
    bool isShowing() const;

    // The nearest grid point (halves round up) when snapping; else the point.
    QPointF constrainedPoint(const QPointF& point) const;
    // Every edge moved to its nearest grid line; call only when canAlign().
    QRectF alignedRect(const QRectF& rect) const;

    // The grid lines crossing the dirty rectangle (empty when not showing).
    QPainterPath linePath(const QRectF& dirty) const;
    // Strokes linePath(dirty) with the grid colour in a cosmetic (width 0) pen.
    void drawRect(QPainter& painter, const QRectF& dirty) const;

    // End of a temporary showing.
    void stopShowingGridForTimer();

    // Fields, written directly by the controller's grid commands, which then
    // call setAlwaysShown(true) so that the canvases redraw.
    QColor _color;
    double _spacing = 9.0;
    bool _isAlwaysShown = false;
    bool _isConstraining = false;
    QTimer* _hidingTimer = nullptr; // pending end of a temporary showing

signals:
    // Any of colour, spacing, always-shown or constraining was set, or a
    // temporary showing ended. Every setter call emits, changed or not.
    void changed();
    void spacingChanged(double spacing);
    void constrainingChanged(bool flag);
    // Follows every setAlwaysShown call; the align-with-grid button follows it.
    void alwaysShownChanged(bool flag);

private:
    void cancelHidingTimer();
};
