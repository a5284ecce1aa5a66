#include "drawing/QBXZoomingScrollView.h"

#include "drawing/QBXCenteringClipView.h"
#include "drawing/QBXGraphicView.h"
#include "platform/ruler.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <cmath>

const std::array<const char*, 11> QBXZoomingScrollView::QBXZoomingScrollViewLabels = {
    "10%", "25%", "50%", "75%", "100%", "125%", "150%", "200%", "400%", "800%", "1600%"};
const std::array<double, 11> QBXZoomingScrollView::QBXZoomingScrollViewFactors = {
    0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 4.0, 8.0, 16.0};

QBXZoomingScrollView::QBXZoomingScrollView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    m_clip = new QBXCenteringClipView;
    setViewport(m_clip);
    setFrameShape(QFrame::NoFrame);
    // The zoom menu sits on the horizontal bar, so that bar is always there.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    validateFactorPopUpButton();
    connect(m_clip, &QBXCenteringClipView::boundsChanged, this, &QBXZoomingScrollView::syncScrollBars);
}

QBXZoomingScrollView::~QBXZoomingScrollView() = default;

void QBXZoomingScrollView::setDocumentView(QBXGraphicView* canvas)
{
    if (m_canvas == canvas)
        return;
    if (m_canvas)
        disconnect(m_canvas, nullptr, this, nullptr);
    m_canvas = canvas;
    m_clip->setDocumentView(canvas);
    if (canvas) {
        canvas->setParent(m_clip);
        canvas->setZoom(_factor);
        canvas->show();
        connect(canvas, &QBXGraphicView::frameSizeChanged, this, [this] { tile(); });
    }
    tile();
}

QComboBox* QBXZoomingScrollView::validateFactorPopUpButton()
{
    if (_factorPopUpButton)
        return _factorPopUpButton;
    _factorPopUpButton = new QComboBox;
    _factorPopUpButton->setObjectName(QStringLiteral("factorPopUpButton"));
    QFont small = _factorPopUpButton->font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2.0));
    _factorPopUpButton->setFont(small);
    _factorPopUpButton->setFocusPolicy(Qt::NoFocus);
    for (size_t i = 0; i < QBXZoomingScrollViewLabels.size(); ++i)
        _factorPopUpButton->addItem(QCoreApplication::translate("QBXZoomingScrollView", QBXZoomingScrollViewLabels[i]),
                                    QBXZoomingScrollViewFactors[i]);
    _factorPopUpButton->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    _factorPopUpButton->setFixedWidth(_factorPopUpButton->sizeHint().width());
    {
        const QSignalBlocker block(_factorPopUpButton);
        _factorPopUpButton->setCurrentIndex(4);
    }
    connect(_factorPopUpButton, &QComboBox::activated, this, &QBXZoomingScrollView::factorChosen);
    addScrollBarWidget(_factorPopUpButton, Qt::AlignLeft);
    return _factorPopUpButton;
}

void QBXZoomingScrollView::factorChosen(int index)
{
    if (index < 0 || size_t(index) >= QBXZoomingScrollViewFactors.size())
        return;
    const double factor = QBXZoomingScrollViewFactors[size_t(index)];
    if (m_factorSetter)
        m_factorSetter(factor);
    else
        setFactor(factor);
}

void QBXZoomingScrollView::setFactor(double factor)
{
    if (!std::isfinite(factor) || factor <= 0)
        return;
    _factor = factor;
    if (_factorPopUpButton) {
        const QSignalBlocker block(_factorPopUpButton);
        const int at = _factorPopUpButton->findData(factor);
        if (at >= 0)
            _factorPopUpButton->setCurrentIndex(at);
    }
    if (m_canvas)
        m_canvas->setZoom(factor);
    tile();
}

void QBXZoomingScrollView::bindFactor(std::function<void(double)> setter)
{
    validateFactorPopUpButton();
    m_factorSetter = std::move(setter);
}

void QBXZoomingScrollView::unbindFactor()
{
    m_factorSetter = nullptr;
}

void QBXZoomingScrollView::setHasHorizontalRuler(bool flag)
{
    if (flag && !m_hRuler) {
        m_hRuler = new platform::RulerView(Qt::Horizontal, this);
        m_hRuler->setVisible(m_rulersVisible);
    } else if (!flag && m_hRuler) {
        delete m_hRuler;
        m_hRuler = nullptr;
    }
    tile();
}

void QBXZoomingScrollView::setHasVerticalRuler(bool flag)
{
    if (flag && !m_vRuler) {
        m_vRuler = new platform::RulerView(Qt::Vertical, this);
        m_vRuler->setVisible(m_rulersVisible);
    } else if (!flag && m_vRuler) {
        delete m_vRuler;
        m_vRuler = nullptr;
    }
    tile();
}

void QBXZoomingScrollView::setRulersVisible(bool flag)
{
    m_rulersVisible = flag;
    if (m_hRuler)
        m_hRuler->setVisible(flag);
    if (m_vRuler)
        m_vRuler->setVisible(flag);
    tile();
}

void QBXZoomingScrollView::tile()
{
    const int left = (m_rulersVisible && m_vRuler) ? platform::RulerView::kThickness : 0;
    const int top = (m_rulersVisible && m_hRuler) ? platform::RulerView::kThickness : 0;
    setViewportMargins(left, top, 0, 0);
    const QRect vp = viewport()->geometry();
    if (m_hRuler)
        m_hRuler->setGeometry(vp.left(), vp.top() - top, vp.width(), platform::RulerView::kThickness);
    if (m_vRuler)
        m_vRuler->setGeometry(vp.left() - left, vp.top(), platform::RulerView::kThickness, vp.height());
    // The visible area in points: the viewport's pixels over the zoom.
    m_clip->setBoundsSize(QSizeF(viewport()->width() / _factor, viewport()->height() / _factor));
}

void QBXZoomingScrollView::syncScrollBars()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const QRectF b = m_clip->bounds();
    const QRectF d = m_clip->documentRect();
    auto sync = [&](QScrollBar* bar, double origin, double boundsExtent, double docExtent) {
        const int range = boundsExtent < docExtent ? int(std::lround((docExtent - boundsExtent) * _factor)) : 0;
        bar->setRange(0, range);
        bar->setPageStep(int(std::lround(boundsExtent * _factor)));
        bar->setSingleStep(10);
        bar->setValue(range > 0 ? int(std::lround(origin * _factor)) : 0);
    };
    sync(horizontalScrollBar(), b.x(), b.width(), d.width());
    sync(verticalScrollBar(), b.y(), b.height(), d.height());
    if (m_hRuler)
        m_hRuler->setMapping(-b.x() * _factor, _factor);
    if (m_vRuler)
        m_vRuler->setMapping(-b.y() * _factor, _factor);
    m_syncing = false;
}

void QBXZoomingScrollView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    tile();
}

void QBXZoomingScrollView::scrollContentsBy(int, int)
{
    if (m_syncing)
        return;
    m_clip->scrollToPoint(QPointF(horizontalScrollBar()->value() / _factor, verticalScrollBar()->value() / _factor));
}

bool QBXZoomingScrollView::viewportEvent(QEvent* event)
{
    // The clip view paints itself; only resizing needs the scroll view.
    if (event->type() == QEvent::Resize) {
        tile();
        return false;
    }
    if (event->type() == QEvent::Paint)
        return false;
    return QAbstractScrollArea::viewportEvent(event);
}
