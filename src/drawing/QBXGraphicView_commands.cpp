// Editing commands of the canvas: the lock test, delete, undo and redo with
// reselection, alignment, same size, natural size, the print flag, ordering,
// selection, and the look-up and hiding of graphics by control ID.
#include "drawing/QBXGraphicView.h"

#include "app/AppHelpers.h"
#include "drawing/CanvasHost.h"
#include "drawing/QBXZoomingScrollView.h"
#include "drawing/RefreshSeam.h"

#include <algorithm>

namespace {

const QString kLockedMessage = QStringLiteral("Selected control is locked.");

const QStringList& profileIDs()
{
    static const QStringList ids{
        QStringLiteral("Fup_Name"),    QStringLiteral("Fup_Title"),      QStringLiteral("Fup_Company"),
        QStringLiteral("Fup_CompanySlogan"), QStringLiteral("Fup_Address"), QStringLiteral("Fup_PhoneNO"),
        QStringLiteral("Fup_FaxNo"),   QStringLiteral("Fup_EmailID"),    QStringLiteral("Fup_Website"),
        QStringLiteral("Fup_UniqueNo"), QStringLiteral("Fup_Photo")};
    return ids;
}

bool isTextOrImage(const QBXGraphic& g)
{
    const QString kind = g.className();
    return kind == QLatin1String("QBXText") || kind == QLatin1String("QBXImage");
}

void buttons()
{
    if (CanvasHost* host = drawing::canvasHost())
        host->undoRedoButtonState();
}

enum AlignCommand { AlignLeft, AlignRight, AlignTop, AlignBottom, AlignHCentre, AlignVCentre };

} // namespace

platform::UndoManager* QBXGraphicView::undoManager() const
{
    return _graphicsContainer ? _graphicsContainer->undoManager() : nullptr;
}

bool QBXGraphicView::There_Is_Any_Lock_Contrl() const
{
    for (const GraphicPtr& g : selectedGraphics()) {
        if (g->ctrl_is_locked)
            return true;
    }
    return false;
}

void QBXGraphicView::forgetRemovedSelectedGraphic()
{
    const GraphicPtr current = _Selected_Graphic.lock();
    if (!current)
        return;
    const GraphicList& list = boundList();
    if (std::find(list.begin(), list.end(), current) == list.end())
        _Selected_Graphic.reset();
}

void QBXGraphicView::delete_()
{
    if (There_Is_Any_Lock_Contrl()) {
        Show_MessageBox(kLockedMessage);
        return;
    }
    const platform::IndexSet s = selectionIndexes();
    removeGraphicsAtIndexes(std::vector<int>(s.begin(), s.end()));
    forgetRemovedSelectedGraphic();
    buttons();
    if (CanvasHost* host = drawing::canvasHost())
        host->showProperties(nullptr);
}

void QBXGraphicView::undo()
{
    stepHistory(false);
}

void QBXGraphicView::redo()
{
    stepHistory(true);
}

void QBXGraphicView::stepHistory(bool redo)
{
    // Only the front list records undo: on the back or the temporary side an
    // undo would revert front changes out of sight.
    if (listKey() != QBXGraphicViewGraphicsBindingName)
        return;
    platform::UndoManager* um = undoManager();
    if (!um)
        return;
    // The actions that run report the indexes they touched; those become
    // the selection afterwards.
    _undoSelectionIndexes = platform::IndexSet();
    redo ? um->redo() : um->undo();
    if (!_undoSelectionIndexes->empty())
        changeSelectionIndexes(*_undoSelectionIndexes);
    _undoSelectionIndexes.reset();
    forgetRemovedSelectedGraphic();
    buttons();
}

bool QBXGraphicView::validateMenuItem(const QString& action, QString* title) const
{
    const GraphicList sel = selectedGraphics();
    if (action == QLatin1String("makeNaturalSize:"))
        return std::any_of(sel.begin(), sel.end(), [](const GraphicPtr& g) { return g->canMakeNaturalSize(); });
    if (action == QLatin1String("alignWithGrid:"))
        return _grid && _grid->canAlign() && !sel.empty();
    if (action == QLatin1String("delete:") || action == QLatin1String("bringToFront:")
        || action == QLatin1String("sendToBack:") || action == QLatin1String("cut:")
        || action == QLatin1String("copy:"))
        return !sel.empty();
    static const QStringList several{QStringLiteral("alignLeftEdges:"),   QStringLiteral("alignRightEdges:"),
                                     QStringLiteral("alignTopEdges:"),    QStringLiteral("alignBottomEdges:"),
                                     QStringLiteral("alignHorizontalCenters:"),
                                     QStringLiteral("alignVerticalCenters:"), QStringLiteral("makeSameWidth:"),
                                     QStringLiteral("makeSameHeight:")};
    if (several.contains(action))
        return sel.size() >= 2;
    platform::UndoManager* um = undoManager();
    if (action == QLatin1String("undo:"))
        return um && um->canUndo() && listKey() == QBXGraphicViewGraphicsBindingName;
    if (action == QLatin1String("redo:"))
        return um && um->canRedo() && listKey() == QBXGraphicViewGraphicsBindingName;
    if (action == QLatin1String("showOrHideRulers:")) {
        if (title) {
            QBXZoomingScrollView* scroll = enclosingScrollView();
            const bool shown = scroll && scroll->rulersVisible();
            *title = shown ? QStringLiteral("Hide Ruler") : QStringLiteral("Show Ruler");
        }
        return true;
    }
    return true;
}

// ---------------------------------------------------------------- alignment

void QBXGraphicView::alignSelection(int command)
{
    const GraphicList sel = selectedGraphics();
    const double W = bounds().width();
    const double H = bounds().height();
    if (sel.size() == 1) {
        QBXGraphic& g = *sel.front();
        if (g.ctrl_is_locked) {
            buttons();
            return;
        }
        QRectF b = g.bounds();
        switch (command) {
        case AlignLeft: b.moveLeft(0); break;
        case AlignRight: b.moveLeft(W - b.width()); break;
        case AlignTop: b.moveTop(0); break;
        case AlignBottom: b.moveTop(H - b.height()); break;
        case AlignHCentre: b.moveLeft(W / 2 - b.width() / 2); break;
        case AlignVCentre: b.moveTop(H / 2 - b.height() / 2); break;
        }
        if (b != g.bounds())
            g.setBounds(b);
    } else if (sel.size() >= 2) {
        const QRectF r = sel.front()->bounds();
        for (size_t i = 1; i < sel.size(); ++i) {
            QBXGraphic& g = *sel[i];
            if (g.ctrl_is_locked)
                continue;
            QRectF b = g.bounds();
            switch (command) {
            case AlignLeft:
                if (b.x() != r.x())
                    b.moveLeft(r.x());
                break;
            case AlignRight:
                if (b.x() + b.width() != r.x() + r.width())
                    b.moveLeft(r.x() + r.width() - b.width());
                break;
            case AlignTop:
                if (b.y() != r.y())
                    b.moveTop(r.y());
                break;
            case AlignBottom:
                if (b.y() + b.height() != r.y() + r.height())
                    b.moveTop(r.y() + r.height() - b.height());
                break;
            case AlignHCentre:
                if (b.x() + b.width() * 0.5 != r.x() + r.width() * 0.5)
                    b.moveLeft(r.x() + r.width() * 0.5 - b.width() / 2);
                break;
            case AlignVCentre:
                if (b.y() + b.height() * 0.5 != r.y() + r.height() * 0.5)
                    b.moveTop(r.y() + r.height() * 0.5 - b.height() / 2);
                break;
            }
            if (b != g.bounds())
                g.setBounds(b);
        }
    }
    buttons();
}

void QBXGraphicView::alignLeftEdges() { alignSelection(AlignLeft); }
void QBXGraphicView::alignRightEdges() { alignSelection(AlignRight); }
void QBXGraphicView::alignTopEdges() { alignSelection(AlignTop); }
void QBXGraphicView::alignBottomEdges() { alignSelection(AlignBottom); }
void QBXGraphicView::alignHorizontalCenters() { alignSelection(AlignHCentre); }
void QBXGraphicView::alignVerticalCenters() { alignSelection(AlignVCentre); }

void QBXGraphicView::alignformCenter()
{
    const double W = bounds().width();
    const double H = bounds().height();
    for (const GraphicPtr& g : selectedGraphics()) {
        if (g->ctrl_is_locked)
            continue;
        const QRectF b = g->bounds();
        const QRectF centred(W / 2 - b.width() / 2, H / 2 - b.height() / 2, b.width(), b.height());
        if (centred != b)
            g->setBounds(centred);
    }
    buttons();
}

void QBXGraphicView::alignWithGrid()
{
    if (_grid && _grid->canAlign()) {
        const double spacing = _grid->spacing();
        for (const GraphicPtr& g : selectedGraphics()) {
            if (g->ctrl_is_locked)
                continue;
            const QRectF b = g->bounds();
            QRectF a = _grid->alignedRect(b);
            // A graphic smaller than a spacing keeps one spacing rather than
            // vanishing onto a single grid line.
            if (a.width() == 0 && b.width() != 0)
                a.setWidth(spacing);
            if (a.height() == 0 && b.height() != 0)
                a.setHeight(spacing);
            if (a != b)
                g->setBounds(a);
        }
    }
    buttons();
}

namespace {

// Gives every unlocked selected graphic after the first the first one's width
// or height; graphics that already have it are left alone (no undo step).
void makeSameExtent(const GraphicList& sel, bool width)
{
    if (sel.size() < 2)
        return;
    const QRectF reference = sel.front()->bounds();
    const double extent = width ? reference.width() : reference.height();
    for (size_t i = 1; i < sel.size(); ++i) {
        QBXGraphic& g = *sel[i];
        QRectF b = g.bounds();
        if (g.ctrl_is_locked || (width ? b.width() : b.height()) == extent)
            continue;
        width ? b.setWidth(extent) : b.setHeight(extent);
        g.setBounds(b);
    }
}

} // namespace

void QBXGraphicView::makeSameWidth()
{
    makeSameExtent(selectedGraphics(), true);
    buttons();
}

void QBXGraphicView::makeSameHeight()
{
    makeSameExtent(selectedGraphics(), false);
    buttons();
}

void QBXGraphicView::makeNaturalSize()
{
    // Locked graphics keep their size, and a line has no natural size
    // (squaring it would turn it).
    for (const GraphicPtr& g : selectedGraphics()) {
        if (g->ctrl_is_locked || g->className() == QLatin1String("QBXLine"))
            continue;
        g->makeNaturalSize();
    }
    buttons();
}

void QBXGraphicView::print_contol_or_not(int32_t value)
{
    for (const GraphicPtr& g : selectedGraphics()) {
        if (!g->ctrl_is_locked)
            g->print_object = value;
    }
}

// ---------------------------------------------------------------- ordering

void QBXGraphicView::reorderSelection(bool toFront)
{
    if (There_Is_Any_Lock_Contrl()) {
        Show_MessageBox(kLockedMessage);
        return;
    }
    const GraphicList sel = selectedGraphics();
    const platform::IndexSet s = selectionIndexes();
    if (!s.empty()) {
        removeGraphicsAtIndexes(std::vector<int>(s.begin(), s.end()));
        const int m = int(graphics().size());
        std::vector<int> indexes;
        platform::IndexSet chosen;
        for (size_t k = 0; k < sel.size(); ++k) {
            const int at = toFront ? int(k) : m + int(k);
            indexes.push_back(at);
            chosen.insert(at);
        }
        insertGraphics(sel, indexes);
        changeSelectionIndexes(chosen);
    }
    buttons();
}

void QBXGraphicView::bringToFront() { reorderSelection(true); }
void QBXGraphicView::sendToBack() { reorderSelection(false); }

// ---------------------------------------------------------------- selection and lists

void QBXGraphicView::selectAll()
{
    platform::IndexSet all;
    const int n = int(graphics().size());
    for (int i = 0; i < n; ++i)
        all.insert(i);
    changeSelectionIndexes(all);
}

void QBXGraphicView::deselectAll()
{
    changeSelectionIndexes({});
}

void QBXGraphicView::Clear_Control_Selection()
{
    changeSelectionIndexes({});
}

void QBXGraphicView::delete_all_control()
{
    const int n = int(graphics().size());
    std::vector<int> all(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i)
        all[size_t(i)] = i;
    if (!all.empty())
        removeGraphicsAtIndexes(all);
    forgetRemovedSelectedGraphic();
}

GraphicPtr QBXGraphicView::Selcect_Ctrl_With_ID(const QString& ctrl_ID) const
{
    try {
        for (const GraphicPtr& g : graphics()) {
            if (g && isTextOrImage(*g) && g->control_ID == ctrl_ID)
                return g;
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return nullptr;
}

void QBXGraphicView::Hide_all_Text_control_FUP_Control()
{
    const GraphicList list = graphics();
    for (int i = int(list.size()) - 1; i >= 0; --i) {
        QBXGraphic& g = *list[size_t(i)];
        if (isTextOrImage(g) && profileIDs().contains(g.control_ID)) {
            g.Set_Ctrl_Is_Visible(false);
            setNeedsDisplayInRect(g.drawingBounds());
        }
    }
}
