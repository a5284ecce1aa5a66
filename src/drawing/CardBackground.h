#pragma once
// The background of a card side: the card's shape filled white, the side's
// fill (colour, gradient, hatch or picture), then its border. The controller's
// Card_Base_Drawing wraps this; the canvas and the renderer call it before any
// graphic.
#include "drawing/Card_Property.h"

#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <utility>

class QPainter;

struct CardBackgroundContext {
    const Card_Property* front = nullptr;
    const Card_Property* back = nullptr;
    int cardShape = 0;      // 0 rectangle, 1 rounded rectangle, 2 ellipse, other: rectangle
    int side = 0;           // 0 front, other back
    QString resourcePath;   // the resource folder (hatch tiles)
    QRectF cardRect;        // the whole card: shape, gradient and border are built on it
};

namespace drawing {

// The outline of the card for a shape code on the rectangle.
QPainterPath cardShapePath(int cardShape, const QRectF& rect);

// Draws the background of the context's side. The shape, gradient, picture
// and border are built on the whole card rectangle; `dirty` only clips, so a
// partial repaint matches the full one. A side record missing from the
// context draws the white shape only.
void Card_Base_Drawing(QPainter& painter, const CardBackgroundContext& context, const QRectF& dirty);

// The background picture the context's side shows, with the pixels it needs
// at pixelsPerPoint: each tile at its own size in points, a stretched
// picture over the whole card. None when the side shows no picture.
std::pair<platform::StoredPicture, QSize> backgroundPicture(const CardBackgroundContext& context,
                                                            double pixelsPerPoint);

// What set_Front_BG_Image / set_Back_BG_Image do to their side record: ""
// changes nothing; otherwise the record switches to picture fill with the
// path and the picture read from it (none when unreadable: a white card).
void setBackgroundPicture(Card_Property& side, const QString& path);

} // namespace drawing
