#pragma once
// The sheet preview of the print window: the paper in white and every cell
// of one sheet at its printed place with a numbered caption ("Card n",
// "Back n") and, when asked, its outline. It draws no card pictures.
#include "output/sheet_layout.h"

#include <QImage>

class QPainter;

namespace Sample_Preview {

// Draws one sheet on a painter whose unit is one point, origin at the
// paper's top left. `picture` is the card picture's size; `has_front`
// false shows "Invalid Data" in every cell.
void drawRect(QPainter& painter, const sheet_layout::Print_Layout& layout, const QSizeF& picture, bool has_front,
              bool Show_margin_rect);

// The sheet as a picture of the paper's size in points (null without paper).
QImage imageRepresentation(const sheet_layout::Print_Layout& layout, const QSizeF& picture, bool has_front,
                           bool Show_margin_rect);

} // namespace Sample_Preview
