#include "drawing/QBXGraphic.h"

#include "drawing/GraphicDefaults.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXSignature.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "platform/font_resolve.h"
#include "platform/rects.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <cmath>

namespace {

QString rectText(const QRectF& r)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(QString::number(r.x()), QString::number(r.y()), QString::number(r.width()),
             QString::number(r.height()));
}

std::optional<QRectF> rectFromText(const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    const QStringList parts = t.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return std::nullopt;
    }
    return QRectF(v[0], v[1], v[2], v[3]);
}

} // namespace

QColor rgbColor(const QColor& color)
{
    if (!color.isValid())
        return color;
    return QColor::fromRgba64(color.toRgb().rgba64());
}

QColor applyAlpha(QColor& field, float alpha)
{
    double a = std::isnan(alpha) ? 1.0 : std::clamp(double(alpha), 0.0, 1.0);
    QColor c = field.isValid() ? field : QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
    c.setAlphaF(float(a));
    c = rgbColor(c);
    if (c != field)
        field = c;
    return c;
}

QBXGraphic::QBXGraphic()
{
    applyApplicationDefaults();
}

QBXGraphic::~QBXGraphic() = default;

void QBXGraphic::applyApplicationDefaults()
{
    _file_path = QDir(graphic_defaults::resourcePath()).filePath(QStringLiteral("no.png"));
    text_ctrl_font = graphic_defaults::windowTextFont();
    txt_clr = graphic_defaults::windowTextColor();
    const QFont times = graphic_defaults::namedFont(QStringLiteral("Times New Roman"), 10.0);
    value_font_val = times;
    header_font_val = times;
    footer_font_val = times;
}

// ---------------------------------------------------------------- kinds

QString QBXGraphic::className() const
{
    return QStringLiteral("QBXGraphic");
}

GraphicPtr QBXGraphic::newOfSameKind() const
{
    return std::make_shared<QBXGraphic>();
}

GraphicPtr QBXGraphic::graphicOfClass(const QString& name)
{
    if (name == QLatin1String("QBXGraphic"))
        return std::make_shared<QBXGraphic>();
    if (name == QLatin1String("QBXLine"))
        return std::make_shared<QBXLine>();
    if (name == QLatin1String("QBXText"))
        return std::make_shared<QBXText>();
    if (name == QLatin1String("QBXImage"))
        return std::make_shared<QBXImage>();
    if (name == QLatin1String("QBXBarcode"))
        return std::make_shared<QBXBarcode>();
    if (name == QLatin1String("Shape_Control"))
        return std::make_shared<Shape_Control>();
    if (name == QLatin1String("QBXSignature"))
        return std::make_shared<QBXSignature>();
    return nullptr;
}

GraphicPtr QBXGraphic::copyWithZone() const
{
    GraphicPtr copy = newOfSameKind();
    copy->_bounds = _bounds;
    copy->_isDrawingFill = _isDrawingFill;
    copy->_fillColor = _fillColor;
    copy->_isDrawingStroke = _isDrawingStroke;
    copy->_strokeColor = _strokeColor;
    copy->_strokeWidth = _strokeWidth;
    copy->_stroke_border_type = _stroke_border_type;
    copy->_fill_type = _fill_type;
    copy->_fill_Grad_clr1 = _fill_Grad_clr1;
    copy->_fill_Grad_clr2 = _fill_Grad_clr2;
    copy->_fill_grad_angle = _fill_grad_angle;
    copy->_fill_htch_clr = _fill_htch_clr;
    copy->_fill_hatch_type = _fill_hatch_type;
    return copy;
}

GraphicPtr QBXGraphic::fullCopy() const
{
    GraphicPtr copy = newOfSameKind();
    static_cast<GraphicFields&>(*copy) = static_cast<const GraphicFields&>(*this);
    copy->_scriptingContainer = nullptr;
    // The copy is drawn on another thread than this graphic: its fonts are
    // its own (see platform::ownFont).
    for (QFont* font : {&copy->text_ctrl_font, &copy->value_font_val, &copy->header_font_val, &copy->footer_font_val})
        *font = platform::ownFont(*font);
    if (copy->_Text_contents)
        copy->_Text_contents->font = platform::ownFont(copy->_Text_contents->font);
    copyKindStateTo(*copy);
    return copy;
}

void QBXGraphic::copyKindStateTo(QBXGraphic&) const
{
}

// ---------------------------------------------------------------- colours and text

QColor QBXGraphic::fillColor()
{
    return applyAlpha(_fillColor, alpha_val);
}

QColor QBXGraphic::fill_hatch_bk_clr()
{
    return applyAlpha(_fill_htch_clr, alpha_val);
}

QColor QBXGraphic::fill_Grad_clr1()
{
    return applyAlpha(_fill_Grad_clr1, alpha_val);
}

QColor QBXGraphic::fill_Grad_clr2()
{
    return applyAlpha(_fill_Grad_clr2, alpha_val);
}

QColor QBXGraphic::strokeColor()
{
    return applyAlpha(_strokeColor, alpha_val_stroke);
}

TextStorage& QBXGraphic::Text_contents()
{
    if (!_Text_contents) {
        TextStorage storage;
        storage.text = Text_Value;
        storage.font = graphic_defaults::namedFont(graphic_defaults::textCtrlFontName(), 14.0);
        storage.color = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f);
        _Text_contents = std::move(storage);
    }
    return *_Text_contents;
}

// ---------------------------------------------------------------- observable setters

void QBXGraphic::setDrawingFill(bool flag)
{
    willChangeValueForKey(QBXGraphicDrawingFillKey);
    _isDrawingFill = flag;
    didChangeValueForKey(QBXGraphicDrawingFillKey);
}

void QBXGraphic::setFillColor(const QColor& color)
{
    willChangeValueForKey(QBXGraphicFillColorKey);
    _fillColor = rgbColor(color);
    didChangeValueForKey(QBXGraphicFillColorKey);
}

void QBXGraphic::setDrawingStroke(bool flag)
{
    willChangeValueForKey(QBXGraphicDrawingStrokeKey);
    _isDrawingStroke = flag;
    didChangeValueForKey(QBXGraphicDrawingStrokeKey);
}

void QBXGraphic::setStrokeColor(const QColor& color)
{
    willChangeValueForKey(QBXGraphicStrokeColorKey);
    _strokeColor = rgbColor(color);
    didChangeValueForKey(QBXGraphicStrokeColorKey);
}

void QBXGraphic::setStrokeWidth(double width)
{
    willChangeValueForKey(QBXGraphicStrokeWidthKey);
    _strokeWidth = width;
    didChangeValueForKey(QBXGraphicStrokeWidthKey);
}

void QBXGraphic::setBounds(const QRectF& bounds)
{
    willChangeValueForKey(QBXGraphicBoundsKey);
    _bounds = bounds;
    didChangeValueForKey(QBXGraphicBoundsKey);
}

// ---------------------------------------------------------------- geometry

void QBXGraphic::setXPosition(double x)
{
    QRectF b = bounds();
    b.moveLeft(x);
    setBounds(b);
}

void QBXGraphic::setYPosition(double y)
{
    QRectF b = bounds();
    b.moveTop(y);
    setBounds(b);
}

void QBXGraphic::setWidth(double w)
{
    QRectF b = bounds();
    b.setWidth(w);
    setBounds(b);
}

void QBXGraphic::setHeight(double h)
{
    QRectF b = bounds();
    b.setHeight(h);
    setBounds(b);
}

QRectF QBXGraphic::drawingBounds() const
{
    double r = QBXGraphicHandleHalfWidth;
    if (isDrawingStroke()) {
        const double half = strokeWidth() / 2.0;
        if (half > r)
            r = half;
    }
    QRectF b = platform::insetRect(bounds(), -r);
    b.setWidth(b.width() + 1.0);
    b.setHeight(b.height() + 1.0);
    return b;
}

void QBXGraphic::drawContentsInView(QPainter*, const DrawingContext&, bool)
{
}

QPainterPath QBXGraphic::bezierPathForDrawing() const
{
    // A kind that draws through a path overrides this.
    Q_ASSERT_X(false, "QBXGraphic::bezierPathForDrawing",
               "Neither drawContentsInView nor bezierPathForDrawing has been overridden.");
    return {};
}

QPointF QBXGraphic::handlePoint(const QRectF& b, int handle)
{
    const double minX = b.x();
    const double midX = b.x() + b.width() * 0.5;
    const double maxX = b.x() + b.width();
    const double minY = b.y();
    const double midY = b.y() + b.height() * 0.5;
    const double maxY = b.y() + b.height();
    switch (handle) {
    case QBXGraphicUpperLeftHandle:
        return {minX, minY};
    case QBXGraphicUpperMiddleHandle:
        return {midX, minY};
    case QBXGraphicUpperRightHandle:
        return {maxX, minY};
    case QBXGraphicMiddleLeftHandle:
        return {minX, midY};
    case QBXGraphicMiddleRightHandle:
        return {maxX, midY};
    case QBXGraphicLowerLeftHandle:
        return {minX, maxY};
    case QBXGraphicLowerMiddleHandle:
        return {midX, maxY};
    case QBXGraphicLowerRightHandle:
        return {maxX, maxY};
    default:
        return {};
    }
}

void QBXGraphic::drawClippedInView(QPainter& painter, const DrawingContext& context, bool isBeingCreateOrEdited,
                                   const std::function<void()>& inside)
{
    struct Restore {
        QPainter& p;
        ~Restore() { p.restore(); }
    };
    painter.save();
    const Restore restore{painter};
    painter.setClipRect(drawingBounds(), Qt::IntersectClip);
    drawContentsInView(&painter, context, isBeingCreateOrEdited);
    if (inside)
        inside();
}

void QBXGraphic::drawHandlesInView(QPainter* painter, const DrawingContext& context, bool lock_hai)
{
    const QRectF b = bounds();
    for (int h = QBXGraphicUpperLeftHandle; h <= QBXGraphicLowerRightHandle; ++h)
        drawHandleInView(painter, context, handlePoint(b, h), lock_hai);
}

void QBXGraphic::drawHandleInView(QPainter* painter, const DrawingContext& context, const QPointF& point,
                                  bool lock_hai)
{
    if (!painter)
        return;
    QRectF handle(point.x() - QBXGraphicHandleHalfWidth, point.y() - QBXGraphicHandleHalfWidth,
                  QBXGraphicHandleWidth, QBXGraphicHandleWidth);
    // Align to device pixels so the square stays crisp.
    const double s = context.deviceScale > 0.0 ? context.deviceScale : 1.0;
    handle = QRectF(std::round(handle.x() * s) / s, std::round(handle.y() * s) / s,
                    std::round(handle.width() * s) / s, std::round(handle.height() * s) / s);
    const QPalette palette = QGuiApplication::palette();
    painter->fillRect(handle.translated(1.0, 1.0), palette.color(QPalette::Shadow));
    painter->fillRect(handle, lock_hai ? QColor(Qt::red) : palette.color(QPalette::Highlight));
}

QSize QBXGraphic::picturePixelsNeeded(double pixelsPerPoint) const
{
    return drawing::pixelsNeeded(bounds().normalized().size(), pixelsPerPoint);
}

bool QBXGraphic::canMakeNaturalSize() const
{
    const QRectF b = bounds();
    return b.width() != b.height();
}

bool QBXGraphic::isContentsUnderPoint(const QPointF& point) const
{
    return platform::pointInRect(point, bounds());
}

bool QBXGraphic::isHandleAtPoint(const QPointF& hp, const QPointF& point)
{
    const QRectF square(hp.x() - QBXGraphicHandleHalfWidth, hp.y() - QBXGraphicHandleHalfWidth,
                        QBXGraphicHandleWidth, QBXGraphicHandleWidth);
    return platform::pointInRect(point, square);
}

int QBXGraphic::handleUnderPoint(const QPointF& point) const
{
    const QRectF b = bounds();
    // Every handle square lies within the bounds grown by the half width.
    if (b.width() >= 0.0 && b.height() >= 0.0
        && !platform::pointInRect(point, platform::insetRect(b, -QBXGraphicHandleHalfWidth)))
        return QBXGraphicNoHandle;
    for (int h = QBXGraphicUpperLeftHandle; h <= QBXGraphicLowerRightHandle; ++h) {
        if (isHandleAtPoint(handlePoint(b, h), point))
            return h;
    }
    return QBXGraphicNoHandle;
}

int QBXGraphic::resizeByMovingHandle(int handle, const QPointF& point)
{
    QRectF b = bounds();
    double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    if (handle == QBXGraphicUpperLeftHandle || handle == QBXGraphicMiddleLeftHandle
        || handle == QBXGraphicLowerLeftHandle) {
        w = (x + w) - point.x();
        x = point.x();
    } else if (handle == QBXGraphicUpperRightHandle || handle == QBXGraphicMiddleRightHandle
               || handle == QBXGraphicLowerRightHandle) {
        w = point.x() - x;
    }
    if (w < 0.0) {
        switch (handle) {
        case QBXGraphicUpperLeftHandle: handle = QBXGraphicUpperRightHandle; break;
        case QBXGraphicUpperRightHandle: handle = QBXGraphicUpperLeftHandle; break;
        case QBXGraphicMiddleLeftHandle: handle = QBXGraphicMiddleRightHandle; break;
        case QBXGraphicMiddleRightHandle: handle = QBXGraphicMiddleLeftHandle; break;
        case QBXGraphicLowerLeftHandle: handle = QBXGraphicLowerRightHandle; break;
        case QBXGraphicLowerRightHandle: handle = QBXGraphicLowerLeftHandle; break;
        default: break;
        }
        w = -w;
        x = x - w;
        flipHorizontally();
    }
    if (handle == QBXGraphicUpperLeftHandle || handle == QBXGraphicUpperMiddleHandle
        || handle == QBXGraphicUpperRightHandle) {
        h = (y + h) - point.y();
        y = point.y();
    } else if (handle == QBXGraphicLowerLeftHandle || handle == QBXGraphicLowerMiddleHandle
               || handle == QBXGraphicLowerRightHandle) {
        h = point.y() - y;
    }
    if (h < 0.0) {
        switch (handle) {
        case QBXGraphicUpperLeftHandle: handle = QBXGraphicLowerLeftHandle; break;
        case QBXGraphicLowerLeftHandle: handle = QBXGraphicUpperLeftHandle; break;
        case QBXGraphicUpperMiddleHandle: handle = QBXGraphicLowerMiddleHandle; break;
        case QBXGraphicLowerMiddleHandle: handle = QBXGraphicUpperMiddleHandle; break;
        case QBXGraphicUpperRightHandle: handle = QBXGraphicLowerRightHandle; break;
        case QBXGraphicLowerRightHandle: handle = QBXGraphicUpperRightHandle; break;
        default: break;
        }
        h = -h;
        y = y - h;
        flipVertically();
    }
    setBounds(QRectF(x, y, w, h));
    return handle;
}

void QBXGraphic::makeNaturalSize()
{
    QRectF b = bounds();
    if (b.height() > b.width())
        b.setHeight(b.width());
    else if (b.width() > b.height())
        b.setWidth(b.height());
    setBounds(b);
}

void QBXGraphic::setColor(const QColor& color)
{
    if (!canSetDrawingFill())
        return;
    if (!isDrawingFill())
        setValueForKey(QBXGraphicDrawingFillKey, true);
    setValueForKey(QBXGraphicFillColorKey, color);
}

// ---------------------------------------------------------------- undo support

QStringList QBXGraphic::keysForValuesToObserveForUndo() const
{
    return {QBXGraphicDrawingFillKey, QBXGraphicFillColorKey,  QBXGraphicDrawingStrokeKey,
            QBXGraphicStrokeColorKey, QBXGraphicStrokeWidthKey, QBXGraphicBoundsKey};
}

std::optional<QString> QBXGraphic::presentablePropertyNameForKey(const QString&) const
{
    return QString();
}

// ---------------------------------------------------------------- properties

QVariantMap QBXGraphic::properties()
{
    QVariantMap p;
    p.insert(QStringLiteral("bounds"), rectText(bounds()));
    p.insert(QStringLiteral("drawingFill"), isDrawingFill());
    if (_fillColor.isValid())
        p.insert(QStringLiteral("fillColor"), fillColor());
    p.insert(QStringLiteral("drawingStroke"), isDrawingStroke());
    if (_strokeColor.isValid())
        p.insert(QStringLiteral("strokeColor"), strokeColor());
    p.insert(QStringLiteral("strokeWidth"), strokeWidth());
    return p;
}

void QBXGraphic::initWithProperties(const QVariantMap& p)
{
    const QVariant b = p.value(QStringLiteral("bounds"));
    if (b.typeId() == QMetaType::QString) {
        if (auto r = rectFromText(b.toString()))
            _bounds = *r;
    }
    const QVariant fill = p.value(QStringLiteral("drawingFill"));
    if (fill.typeId() == QMetaType::Bool)
        _isDrawingFill = fill.toBool();
    const QVariant fc = p.value(QStringLiteral("fillColor"));
    if (fc.typeId() == QMetaType::QColor)
        _fillColor = fc.value<QColor>();
    const QVariant stroke = p.value(QStringLiteral("drawingStroke"));
    if (stroke.typeId() == QMetaType::Bool)
        _isDrawingStroke = stroke.toBool();
    const QVariant sc = p.value(QStringLiteral("strokeColor"));
    if (sc.typeId() == QMetaType::QColor)
        _strokeColor = sc.value<QColor>();
    const QVariant sw = p.value(QStringLiteral("strokeWidth"));
    if (sw.typeId() == QMetaType::Double && std::isfinite(sw.toDouble()))
        _strokeWidth = sw.toDouble();
}

QString QBXGraphic::description()
{
    const QVariantMap p = properties();
    QStringList lines;
    for (auto it = p.begin(); it != p.end(); ++it) {
        QString value;
        if (it.value().typeId() == QMetaType::QColor)
            value = it.value().value<QColor>().name(QColor::HexArgb);
        else
            value = it.value().toString();
        lines << QStringLiteral("    %1 = %2;").arg(it.key(), value);
    }
    return QStringLiteral("{\n%1\n}").arg(lines.join(QLatin1Char('\n')));
}

// ---------------------------------------------------------------- keyed access

QVariant QBXGraphic::valueForKey(const QString& key) const
{
    if (key == QBXGraphicBoundsKey)
        return bounds();
    if (key == QBXGraphicDrawingFillKey)
        return isDrawingFill();
    if (key == QBXGraphicFillColorKey)
        return _fillColor;
    if (key == QBXGraphicDrawingStrokeKey)
        return isDrawingStroke();
    if (key == QBXGraphicStrokeColorKey)
        return _strokeColor;
    if (key == QBXGraphicStrokeWidthKey)
        return strokeWidth();
    if (key == QBXGraphicXPositionKey)
        return xPosition();
    if (key == QBXGraphicYPositionKey)
        return yPosition();
    if (key == QBXGraphicWidthKey)
        return width();
    if (key == QBXGraphicHeightKey)
        return height();
    if (key == QBXGraphicDrawingBoundsKey)
        return drawingBounds();
    if (key == QBXGraphicKeysForValuesToObserveForUndoKey)
        return keysForValuesToObserveForUndo();
    return {};
}

void QBXGraphic::setValueForKey(const QString& key, const QVariant& value)
{
    if (key == QBXGraphicBoundsKey)
        setBounds(value.toRectF());
    else if (key == QBXGraphicDrawingFillKey)
        setDrawingFill(value.toBool());
    else if (key == QBXGraphicFillColorKey)
        setFillColor(value.value<QColor>());
    else if (key == QBXGraphicDrawingStrokeKey)
        setDrawingStroke(value.toBool());
    else if (key == QBXGraphicStrokeColorKey)
        setStrokeColor(value.value<QColor>());
    else if (key == QBXGraphicStrokeWidthKey)
        setStrokeWidth(value.toDouble());
    else if (key == QBXGraphicXPositionKey)
        setXPosition(value.toDouble());
    else if (key == QBXGraphicYPositionKey)
        setYPosition(value.toDouble());
    else if (key == QBXGraphicWidthKey)
        setWidth(value.toDouble());
    else if (key == QBXGraphicHeightKey)
        setHeight(value.toDouble());
}

QStringList QBXGraphic::keysAffectedByKey(const QString& key) const
{
    static const QStringList byBounds{QBXGraphicXPositionKey, QBXGraphicYPositionKey, QBXGraphicWidthKey,
                                      QBXGraphicHeightKey, QBXGraphicDrawingBoundsKey};
    static const QStringList byStrokeWidth{QBXGraphicDrawingBoundsKey};
    static const QStringList byContents{QBXGraphicDrawingContentsKey};
    if (key == QBXGraphicBoundsKey)
        return byBounds;
    if (key == QBXGraphicStrokeWidthKey)
        return byStrokeWidth;
    if (key == QBXGraphicDrawingFillKey || key == QBXGraphicFillColorKey || key == QBXGraphicDrawingStrokeKey
        || key == QBXGraphicStrokeColorKey)
        return byContents;
    return {};
}

// ---------------------------------------------------------------- lists

QRectF QBXGraphic::boundsOfGraphics(const GraphicList& graphics)
{
    QRectF r;
    bool first = true;
    for (const auto& g : graphics) {
        if (!g)
            continue;
        r = first ? g->bounds() : platform::rectUnion(r, g->bounds());
        first = false;
    }
    return r;
}

QRectF QBXGraphic::drawingBoundsOfGraphics(const GraphicList& graphics)
{
    if (graphics.empty())
        return graphic_defaults::frontCanvasBounds();
    QRectF r;
    bool first = true;
    for (const auto& g : graphics) {
        if (!g)
            continue;
        r = first ? g->drawingBounds() : platform::rectUnion(r, g->drawingBounds());
        first = false;
    }
    return r;
}

void QBXGraphic::translateGraphics(const GraphicList& graphics, double dx, double dy)
{
    for (const auto& g : graphics) {
        if (g && !g->ctrl_is_locked)
            g->setBounds(g->bounds().translated(dx, dy));
    }
}

void QBXGraphic::Paste_Location_Of_Graphics(const GraphicList& graphics, double x, double y,
                                            const QString& card_side)
{
    const QString side = card_side == QLatin1String("F") ? QStringLiteral("F") : QStringLiteral("B");
    QPointF target(x, y);
    for (size_t i = 0; i < graphics.size(); ++i) {
        const auto& g = graphics[i];
        if (i > 0)
            target = graphic_defaults::controlNewPoint(side, g ? g->bounds().size() : QSizeF(50, 50));
        if (g && !g->ctrl_is_locked) {
            const QRectF b = g->bounds();
            g->setBounds(QRectF(target.x(), target.y(), b.width(), b.height()));
        }
    }
}

QBXError QBXGraphic::QBXErrorWithCode(qint64 code)
{
    // The application ships no translated error table; the fallback texts are shown.
    QBXError e;
    e.domain = QStringLiteral("QuillboxErrorDomain");
    e.code = code;
    e.localizedDescription =
        QStringLiteral("Quillbox could not complete the operation because an unknown error occurred.");
    e.localizedFailureReason = QStringLiteral("An unknown error occurred.");
    return e;
}
