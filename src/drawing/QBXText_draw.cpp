// Drawing and sizing of the text kind.
#include "drawing/QBXText.h"

#include "app/AppHelpers.h"
#include "drawing/KindDrawing.h"
#include "drawing/PaintStyle.h"
#include "platform/font_resolve.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTextLayout>
#include <cmath>

using namespace drawing;

namespace {

// Text is laid out against a 72-dpi device: one unit is one point, so the
// same lines come out on screen, in pictures of any resolution and in PDF.
const QImage& layoutDevice()
{
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
        img.setDotsPerMeterX(2835);
        img.setDotsPerMeterY(2835);
        return img;
    }();
    return device;
}

QString capitalised(const QString& s)
{
    QString out = s.toLower();
    bool start = true;
    for (QChar& c : out) {
        if (c.isLetterOrNumber()) {
            if (start)
                c = c.toUpper();
            start = false;
        } else {
            start = true;
        }
    }
    return out;
}

struct Laid {
    std::unique_ptr<QTextLayout> layout;
    int visibleLines = 0; // lines that fit the height
    QSizeF used;          // widest line and height of all lines
};

// QTextLayout breaks lines only at its own separator (U+2028); typed, pasted
// and bound texts carry "\n", "\r\n", a lone "\r" or U+2029 between their
// lines. Each of them becomes one line separator.
QString withLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
            c = QChar::LineSeparator;
    }
    return text;
}

Laid layOut(const QString& text, const QFont& font, int alignment, double width, double height)
{
    Laid out;
    out.layout = std::make_unique<QTextLayout>(withLineSeparators(text), font, const_cast<QImage*>(&layoutDevice()));
    QTextOption option;
    static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify,
                                           Qt::AlignLeft};
    option.setAlignment(alignment >= 0 && alignment <= 4 ? aligns[alignment] : Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    out.layout->setTextOption(option);
    out.layout->setCacheEnabled(true);
    out.layout->beginLayout();
    double y = 0, widest = 0;
    for (;;) {
        QTextLine line = out.layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max(0.0, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
        // A line is shown only when it fits the height completely.
        if (y <= height + 0.01)
            ++out.visibleLines;
    }
    out.layout->endLayout();
    out.used = QSizeF(std::min(widest, std::max(0.0, width)), y);
    return out;
}

} // namespace

QString QBXText::drawnString() const
{
    const QString raw = _Text_contents ? _Text_contents->text : Text_Value;
    const QString s = Trim_Str(raw);
    switch (text_transfrom_case) {
    case 1:
        return s.toUpper();
    case 2:
        return s.toLower();
    case 3:
        return capitalised(s);
    default:
        return s;
    }
}

QFont QBXText::drawnFont() const
{
    const QFont& stored = text_ctrl_font;
    double size = stored.pointSizeF();
    if (!(size > 0) || !std::isfinite(size))
        size = stored.pixelSize() > 0 ? stored.pixelSize() : 12.0;
    QFont font = platform::resolveFont(stored, size);
    if (text_kerning != 0.0f && std::isfinite(text_kerning))
        font.setLetterSpacing(QFont::AbsoluteSpacing, text_kerning);
    return font;
}

QRectF QBXText::drawingBounds() const
{
    const QRectF base = QBXGraphic::drawingBounds();
    return base.united(bounds().adjusted(-1, -1, 1, 1));
}

QSizeF QBXText::naturalSize() const
{
    const Laid laid = layOut(drawnString(), drawnFont(), text_alignmnet, bounds().width(), 1.0e7);
    return laid.used;
}

double QBXText::unwrappedWidth() const
{
    return layOut(drawnString(), drawnFont(), text_alignmnet, 1.0e7, 1.0e7).used.width();
}

void QBXText::makeNaturalSize()
{
    if (ctrl_is_locked)
        return;
    const QSizeF s = naturalSize();
    setBounds(QRectF(bounds().topLeft(), s));
}

void QBXText::setHeightToMatchContents()
{
    willChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    _boundsBeingChangedToMatchContents = true;
    didChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    const QRectF b = bounds();
    setBounds(QRectF(b.x(), b.y(), b.width(), naturalSize().height()));
    willChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    _boundsBeingChangedToMatchContents = false;
    didChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
}

void QBXText::drawContentsInView(QPainter* painter, const DrawingContext& context, bool isBeingCreateOrEdited)
{
    if (!ctrl_is_visible || !painter)
        return;
    QRectF b;
    if (!usableBounds(bounds(), &b, QStringLiteral("Text")))
        return;
    if (isBeingCreateOrEdited) {
        painter->save();
        QPen pen(QGuiApplication::palette().color(QPalette::Highlight), 1.0);
        pen.setJoinStyle(Qt::MiterJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(b.adjusted(-1, -1, 1, 1).adjusted(0.5, 0.5, -0.5, -0.5));
        painter->restore();
        askRefresh(context);
        return;
    }
    const QString s = drawnString();
    if (s.isEmpty())
        return;
    if (!std::isfinite(text_kerning)) {
        logNotFinite(QStringLiteral("Text kerning"));
        return;
    }
    QPainterPath rect;
    rect.setFillRule(Qt::WindingFill);
    rect.addRect(b);
    if (isDrawingFill()) {
        if (_fill_type == QLatin1String("G")) {
            fillGradient(*painter, rect, withOpacity(_fill_Grad_clr1, alpha_val), withOpacity(_fill_Grad_clr2, alpha_val),
                         _fill_grad_angle);
        } else {
            const QColor c = withOpacity(_fillColor, alpha_val);
            if (c.isValid())
                painter->fillPath(rect, c);
        }
    }
    if (isDrawingStroke()) {
        const QColor c = withOpacity(_strokeColor, alpha_val_stroke);
        if (c.isValid())
            strokePath(*painter, rect, c, _strokeWidth, _stroke_border_type);
    }
    const Laid laid = layOut(s, drawnFont(), text_alignmnet, b.width(), b.height());
    painter->save();
    painter->setPen(txt_clr.isValid() ? txt_clr : QColor(Qt::black));
    for (int i = 0; i < laid.visibleLines; ++i)
        laid.layout->lineAt(i).draw(painter, b.topLeft());
    painter->restore();
    askRefresh(context);
}
