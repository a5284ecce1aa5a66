// Creating a graphic on the canvas from a rectangle, with its control id.
#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXText.h"

void QBXGraphicView::createGraphicOfClass(const QString& className, QMouseEvent*, bool use_rect,
                                          const QRectF& bound_rect, const QString&, const QString& ctrl_value,
                                          const QString& ctrl_ID)
{
    GraphicPtr graphic = QBXGraphic::graphicOfClass(className);
    if (!graphic || !_graphicsContainer) {
        Show_NSLog_Message(QStringLiteral("Cannot create a graphic of class ") + className);
        return;
    }
    platform::UndoManager* undo = _graphicsContainer->undoManager();
    undo->beginUndoGrouping();
    changeSelectionIndexes({});

    if (!ctrl_value.isEmpty()) {
        graphic->Text_Value = ctrl_value;
        graphic->setDrawingStroke(false);
        graphic->setDrawingFill(false);
    }
    if (ctrl_ID.contains(QLatin1String("PARTY_"))) {
        if (ctrl_ID == QLatin1String("PARTY_TITLE") || ctrl_ID == QLatin1String("PARTY_DATE")
            || ctrl_ID == QLatin1String("PARTY_TIME") || ctrl_ID == QLatin1String("PARTY_VENUE"))
            graphic->text_alignmnet = 2;
        else if (ctrl_ID == QLatin1String("PARTY_FROM"))
            graphic->text_alignmnet = 1;
        if (ctrl_ID == QLatin1String("PARTY_TITLE"))
            graphic->text_ctrl_font = graphic_defaults::namedFont(QStringLiteral("TimesNewRomanPS-BoldItalicMT"), 18.0);
    }
    QRectF rect = use_rect ? bound_rect : QRectF(bound_rect.topLeft(), QSizeF(50, 50));
    if (_grid && _grid->isConstraining()) {
        const QPointF topLeft = _grid->constrainedPoint(rect.topLeft());
        const QPointF bottomRight = _grid->constrainedPoint(rect.bottomRight());
        rect = QRectF(topLeft, bottomRight);
    }
    graphic->setBounds(rect);
    graphic->control_ID = ctrl_ID;

    insertGraphics({graphic}, {0});
    changeSelectionIndexes({0});
    Set_Selected_Graphic(graphic);
    undo->endUndoGrouping();

    if (graphic->bounds().width() == 0 && graphic->bounds().height() == 0) {
        _graphicsContainer->removeGraphicsWithoutUndo(listKey(), {graphic});
        changeSelectionIndexes({});
    }
}

GraphicPtr QBXGraphicView::Selcect_Ctrl_With_ID(const QString& ctrl_ID) const
{
    for (const GraphicPtr& graphic : graphics()) {
        const QString kind = graphic->className();
        if ((kind == QLatin1String("QBXText") || kind == QLatin1String("QBXImage")) && graphic->control_ID == ctrl_ID)
            return graphic;
    }
    return nullptr;
}
