// Creation of graphics on the canvas: by the tools (a default rectangle at
// the side's next cascade point), by dragging with the mouse, and by the
// placement of wizard and profile fields (a rectangle, a text and a control
// ID). Replacement updates the graphic that already carries a control ID.
#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "drawing/CanvasHost.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXSignature.h"
#include "drawing/QBXZoomingScrollView.h"

#include <QFileInfo>

namespace {

const QString kTextClass = QStringLiteral("QBXText");
const QString kImageClass = QStringLiteral("QBXImage");
const QString kPartyFont = QStringLiteral("TimesNewRomanPS-BoldItalicMT");

QString shapeCodeForTool(int tool)
{
    switch (tool) {
    case 3: return QStringLiteral("R");
    case 4: return QStringLiteral("C");
    case 5: return QStringLiteral("RR");
    case 6: return QStringLiteral("T");
    case 7: return QStringLiteral("D");
    case 13: return QStringLiteral("S");
    case 14: return QStringLiteral("DS");
    case 15: return QStringLiteral("P");
    default: return {};
    }
}

// The start-wizard rules for texts whose control ID names a party field.
void applyPartyRules(QBXGraphic& g, const QString& id)
{
    if (!id.contains(QLatin1String("PARTY_")))
        return;
    if (id == QLatin1String("PARTY_TITLE") || id == QLatin1String("PARTY_MARRINGE_INFO")) {
        g.text_alignmnet = 2;
        g.text_ctrl_font = graphic_defaults::namedFont(kPartyFont, 18.0);
    } else if (id == QLatin1String("PARTY_DATE") || id == QLatin1String("PARTY_TIME")
               || id == QLatin1String("PARTY_VENUE")) {
        g.text_alignmnet = 2;
    } else if (id == QLatin1String("PARTY_FROM")) {
        g.text_alignmnet = 1;
    }
}

GraphicPtr makeGraphic(const QString& graphicClass, int tool, const QPointF& origin, const QString& value,
                       const QString& id)
{
    CanvasHost* host = drawing::canvasHost();
    const QString library = host ? host->libraryImagePath() : QString();
    switch (tool) {
    case 8:
        if (!library.isEmpty() && QFileInfo(library).isFile())
            return QBXImage::initWithPath(origin, library);
        return QBXImage::initWithPosition(origin, host ? host->placeholderPicture(QStringLiteral("no")) : QImage(),
                                          library);
    case 9:
        return QBXImage::initWithPath(origin, library);
    case 10:
        return QBXBarcode::initWithPosition(origin);
    case 11:
        return QBXSignature::initWithPosition(
            origin, host ? host->placeholderPicture(QStringLiteral("sign")) : QImage(), QStringLiteral("S"));
    case 12:
        return QBXSignature::initWithPosition(
            origin, host ? host->placeholderPicture(QStringLiteral("fp")) : QImage(), QStringLiteral("F"));
    default:
        break;
    }
    GraphicPtr g = QBXGraphic::graphicOfClass(graphicClass);
    if (!g)
        return nullptr;
    if (graphicClass != kTextClass) {
        const QString code = shapeCodeForTool(tool);
        if (!code.isEmpty())
            g->Set_Shape_Type(code);
        return g;
    }
    if (!value.isEmpty()) {
        g->Text_Value = value;
        g->_isDrawingStroke = false;
        g->_isDrawingFill = false;
        applyPartyRules(*g, id);
    }
    return g;
}

} // namespace

void QBXGraphicView::createGraphicOfClass(const QString& graphicClass, const std::optional<QPointF>& pressPoint,
                                          bool use_rect, const QRectF& bound_rect, const QString& card_side,
                                          const QString& ctrl_value, const QString& ctrl_ID)
{
    if (!_graphicsContainer || _graphicsKeyPath.isEmpty()) {
        Show_NSLog_Message(QStringLiteral("An QBXGraphicView's 'graphics' property is not bound to anything."));
        return;
    }
    CanvasHost* host = drawing::canvasHost();
    const int tool = host ? host->selectedControlTool() : 0;

    // 1. Everything below is one undo step.
    platform::UndoManager* um = undoManager();
    um->closeEventGroup();
    m_createGroupsByEvent = um->groupsByEvent();
    um->setGroupsByEvent(false);
    m_createUndoCount = um->undoCount();
    um->beginUndoGrouping();
    m_gestureGroupOpen = false; // the creation closes its own group

    // 2.
    changeSelectionIndexes({});

    // 3. The rectangle.
    QPointF o;
    QSizeF z;
    if (pressPoint) {
        o = *pressPoint;
        if (_grid)
            o = _grid->constrainedPoint(o);
    } else {
        if (use_rect) {
            o = bound_rect.topLeft();
            z = bound_rect.size();
            if (ctrl_ID.isEmpty())
                o = graphic_defaults::controlNewPoint(card_side, z);
        } else {
            z = QSizeF(50, 50);
            o = graphic_defaults::controlNewPoint(card_side, z);
        }
        if (_grid) {
            o = _grid->constrainedPoint(o);
            const QPointF f = _grid->constrainedPoint(o + QPointF(z.width(), z.height()));
            z = QSizeF(f.x() - o.x(), f.y() - o.y());
        }
    }

    // 4-6. The graphic, on top of the list.
    GraphicPtr g;
    try {
        g = makeGraphic(graphicClass, tool, o, ctrl_value, ctrl_ID);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    if (!g) {
        um->endUndoGrouping();
        um->setGroupsByEvent(m_createGroupsByEvent);
        return;
    }
    // A new picture or signature starts from the plain picture controls.
    const QString made = g->className();
    if (host && (made == QLatin1String("QBXImage") || made == QLatin1String("QBXSignature")))
        host->resetImageEditingControls();
    _creatingGraphic = g;
    g->control_ID = ctrl_ID;
    g->setBounds(QRectF(o, z));
    insertGraphics({g}, {0});

    // 7. Dragging out the size.
    if (pressPoint) {
        m_resizing = g;
        m_handle = g->creationSizingHandle();
        QBXZoomingScrollView* scroll = enclosingScrollView();
        m_echo = scroll && scroll->rulersVisible();
        if (m_echo)
            beginEchoingMoveToRulers(g->bounds());
        m_gesture = Gesture::Create;
        return;
    }
    finishCreation();
}

void QBXGraphicView::createGraphicOfClass(const QString& className, QMouseEvent* event, bool use_rect,
                                          const QRectF& bound_rect, const QString& card_side,
                                          const QString& ctrl_value, const QString& ctrl_ID)
{
    createGraphicOfClass(className, event ? std::optional<QPointF>(eventPoint(event)) : std::nullopt, use_rect,
                         bound_rect, card_side, ctrl_value, ctrl_ID);
}

void QBXGraphicView::finishCreation()
{
    const GraphicPtr g = _creatingGraphic;
    platform::UndoManager* um = undoManager();
    if (!g || !um)
        return;
    const QRectF b = g->bounds();
    if (b.width() == 0 && b.height() == 0) {
        // 8. Rolled back: no undo step, no redo step, nothing current.
        um->endUndoGrouping();
        const auto& list = graphics();
        const bool stillThere = std::find(list.begin(), list.end(), g) != list.end();
        if (stillThere && um->undoCount() > m_createUndoCount) {
            um->disableUndoRegistration();
            um->undo();
            um->enableUndoRegistration();
        }
        const auto& after = graphics();
        if (std::find(after.begin(), after.end(), g) != after.end())
            _graphicsContainer->removeGraphicsWithoutUndo(listKey(), {g});
        _Selected_Graphic.reset();
    } else {
        changeSelectionIndexes({0});
        startEditingGraphic(g);
        um->endUndoGrouping();
        _Selected_Graphic = g;
    }
    // 9-10.
    um->setGroupsByEvent(m_createGroupsByEvent);
    _creatingGraphic.reset();
    setNeedsDisplayInRect(g->drawingBounds());
    if (CanvasHost* host = drawing::canvasHost())
        host->undoRedoButtonState();
}

void QBXGraphicView::ReplaceGraphicText(const QString& graphicClass, const std::optional<QPointF>& pressPoint,
                                        bool use_rect, const QRectF& bound_rect, const QString& card_side,
                                        const QString& ctrl_value, const QString& ctrl_ID)
{
    const GraphicPtr g = Selcect_Ctrl_With_ID(ctrl_ID);
    if (!g) {
        createGraphicOfClass(graphicClass, std::nullopt, use_rect, bound_rect, card_side, ctrl_value, ctrl_ID);
        Q_UNUSED(pressPoint);
        return;
    }
    if (graphicClass == kTextClass) {
        if (!ctrl_value.isEmpty()) {
            g->Text_Value = ctrl_value;
            g->_isDrawingStroke = false;
            g->_isDrawingFill = false;
            g->Text_contents().text = ctrl_value;
            g->Set_Ctrl_Is_Visible(true);
        }
    } else if (graphicClass == kImageClass) {
        auto* image = dynamic_cast<QBXImage*>(g.get());
        if (!ctrl_value.isEmpty() && QFileInfo(ctrl_value).isFile() && image)
            image->setFilePath(ctrl_value);
        else
            Show_NSLog_Message(ctrl_value);
    }
    setNeedsDisplayInRect(g->drawingBounds());
    startEditingGraphic(g);
    _Selected_Graphic = g;
}

// No graphic kind supplies an in-place editing view: both entry points find
// nothing to do.
void QBXGraphicView::startEditingGraphic(const GraphicPtr&) {}

void QBXGraphicView::stopEditing() {}
