#include "drawing/CardBackground.h"

#include "app/AppHelpers.h"
#include "drawing/PaintStyle.h"
#include "drawing/PictureStore.h"

#include <QPainter>
#include <cmath>
#include <exception>

namespace drawing {

QPainterPath cardShapePath(int cardShape, const QRectF& rect)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (cardShape == 1)
        path.addRoundedRect(rect, 10.0, 10.0);
    else if (cardShape == 2)
        path.addEllipse(rect);
    else
        path.addRect(rect);
    return path;
}

namespace {

QSize backgroundPixels(const Card_Property& card, const QRectF& cardRect, double pixelsPerPoint)
{
    const bool tiled = card.Card_BG_Image_Layout == QLatin1String("Tile");
    return pixelsNeeded(tiled ? card.Card_BG_Image.pointSize() : cardRect.size(), pixelsPerPoint);
}

void drawBackgroundPicture(QPainter& p, const Card_Property& card, const QPainterPath& shape, const QRectF& cardRect)
{
    const platform::StoredPicture& stored = card.Card_BG_Image;
    if (stored.isNull())
        return;
    const float alpha = card.Card_alpha_Stepper;
    if (!std::isfinite(alpha)) {
        logOnce(QStringLiteral("bg-alpha"), QStringLiteral("Card_Base_Drawing: the background opacity is not a number"));
        return;
    }
    // The panel stores a fraction; a record never edited holds 100.0 (opaque).
    const double opacity = std::clamp(double(alpha), 0.0, 1.0);
    const bool tiled = card.Card_BG_Image_Layout == QLatin1String("Tile");
    // Decoded for this surface: each tile at its own size in points, a
    // stretched picture over the whole card.
    const PicturePtr pic = pictureFor(stored, backgroundPixels(card, cardRect, pictureScale(p)));
    if (!pic)
        return;
    const QImage& picture = pic->image;
    if (tiled) {
        QImage tile = picture;
        if (opacity < 1.0) {
            QImage faded(tile.size(), QImage::Format_ARGB32_Premultiplied);
            faded.fill(Qt::transparent);
            QPainter fp(&faded);
            fp.setOpacity(opacity);
            fp.drawImage(0, 0, tile);
            fp.end();
            tile = faded;
        }
        QBrush brush(tile);
        const QSizeF pt = pic->pointSize;
        brush.setTransform(QTransform::fromScale(pt.width() / picture.width(), pt.height() / picture.height()));
        p.fillPath(shape, brush);
        return;
    }
    // Stretched over the whole card, corners included (not clipped to the shape).
    p.save();
    p.setOpacity(opacity);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(cardRect, picture);
    p.restore();
}

} // namespace

void setBackgroundPicture(Card_Property& side, const QString& path)
{
    if (path.isEmpty())
        return;
    // The file's bytes go with the design, so it keeps the picture even
    // when the file is moved; only the header is read now.
    const QString file = standardizedPath(path);
    QString why;
    side.Card_BG_Image = platform::StoredPicture::copyOfFile(file, &why);
    if (side.Card_BG_Image.isNull())
        logOnce(QStringLiteral("picture:") + file, QStringLiteral("The picture %1 cannot be read: %2").arg(file, why));
    side.Card_fill_chk = true;
    side.Card_fill_style = QStringLiteral("I");
    side.Card_BG_Image_Path = path;
}

std::pair<platform::StoredPicture, QSize> backgroundPicture(const CardBackgroundContext& c, double pixelsPerPoint)
{
    const Card_Property* card = c.side == 0 ? c.front : c.back;
    if (!card || !card->Card_fill_chk || card->Card_fill_style != QLatin1String("I") || card->Card_BG_Image.isNull())
        return {};
    return {card->Card_BG_Image, backgroundPixels(*card, c.cardRect, pixelsPerPoint)};
}

void Card_Base_Drawing(QPainter& p, const CardBackgroundContext& c, const QRectF& dirty)
{
    try {
        const QRectF r = c.cardRect;
        if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) || !std::isfinite(r.height())
            || r.width() <= 0 || r.height() <= 0)
            return;
        // Restores the painter however the drawing ends.
        struct Saved {
            QPainter& p;
            explicit Saved(QPainter& painter) : p(painter) { p.save(); }
            ~Saved() { p.restore(); }
        } saved(p);
        if (dirty.isValid())
            p.setClipRect(dirty, Qt::IntersectClip);
        const QPainterPath shape = cardShapePath(c.cardShape, r);
        p.fillPath(shape, Qt::white);
        const Card_Property* card = c.side == 0 ? c.front : c.back;
        if (card && card->Card_fill_chk) {
            const QString& style = card->Card_fill_style;
            if (style == QLatin1String("G"))
                fillGradient(p, shape, card->Card_fill_Grd_1_clr, card->Card_fill_Grd_2_clr, double(card->Card_grad_Stepper));
            else if (style == QLatin1String("H"))
                fillHatch(p, shape, card->Card_hatch_bk_clr, c.resourcePath, card->Card_hatch_style);
            else if (style == QLatin1String("I"))
                drawBackgroundPicture(p, *card, shape, r);
            else
                p.fillPath(shape, card->Card_fill_clr);
        }
        if (card && card->Card_border_chk) {
            // The stroke is centred on the outline: half of it lies outside.
            strokePath(p, shape, card->Card_bordr_clr, double(card->Card_bor_Stepper), card->Card_border_style);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

} // namespace drawing
