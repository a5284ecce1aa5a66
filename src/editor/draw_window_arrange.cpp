// Arrangement commands: forwarded to the current side's canvas, each followed
// by a canvas refresh; same size needs two graphics, grid alignment a shown grid.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"

namespace {

void forward(QBXWindowController& c, void (QBXGraphicView::*command)())
{
    if (QBXGraphicView* canvas = c.currentSideCanvas())
        (canvas->*command)();
    c.Refresh_Canvas();
}

bool severalSelected(QBXWindowController& c)
{
    QBXGraphicView* canvas = c.currentSideCanvas();
    if (canvas && canvas->selectionIndexes().size() >= 2)
        return true;
    Show_MessageBox(QStringLiteral("Please select more than one control."));
    return false;
}

} // namespace

void QBXWindowController::Align_Center_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignformCenter); }
void QBXWindowController::Align_Left_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignLeftEdges); }
void QBXWindowController::Align_Right_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignRightEdges); }
void QBXWindowController::Align_Top_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignTopEdges); }
void QBXWindowController::Align_Bottom_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignBottomEdges); }
void QBXWindowController::Align_Horz_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignHorizontalCenters); }
void QBXWindowController::Align_Vert_Clicked(QObject*) { forward(*this, &QBXGraphicView::alignVerticalCenters); }
void QBXWindowController::Make_Natural_Clicked(QObject*) { forward(*this, &QBXGraphicView::makeNaturalSize); }

void QBXWindowController::Make_Same_Width_Clicked(QObject*)
{
    if (severalSelected(*this))
        forward(*this, &QBXGraphicView::makeSameWidth);
}

void QBXWindowController::Make_Same_Height_Clicked(QObject*)
{
    if (severalSelected(*this))
        forward(*this, &QBXGraphicView::makeSameHeight);
}

void QBXWindowController::Align_To_Grid_Clicked(QObject*)
{
    if (!_grid || !_grid->isAlwaysShown()) {
        Show_MessageBox(QStringLiteral("Please use grid option first."));
        return;
    }
    forward(*this, &QBXGraphicView::alignWithGrid);
}
