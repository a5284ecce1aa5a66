// The Edit and Arrange menus: each item runs the same command as its button
// on the shown canvas, and is enabled as that canvas validates its action
// (the clipboard and the lock state added where the buttons use them).
#include "editor/QBXWindowController.h"

#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace {

using Command = void (QBXWindowController::*)(QObject*);

struct MenuItem {
    const char* title;
    const char* action; // the canvas's name of the command
    QKeySequence::StandardKey keys;
    Command command;
};

using C = QBXWindowController;

const MenuItem kEditItems[] = {
    {"Undo", "undo:", QKeySequence::Undo, &C::Undo_Clicked},
    {"Redo", "redo:", QKeySequence::Redo, &C::Redo_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Cut", "cut:", QKeySequence::Cut, &C::Cut_Clicked},
    {"Copy", "copy:", QKeySequence::Copy, &C::Copy_Clicked},
    {"Paste", "paste:", QKeySequence::Paste, &C::Paste_Clicked},
    {"Delete", "delete:", QKeySequence::Delete, &C::Delete_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Select All", "selectAll:", QKeySequence::SelectAll, &C::Select_All_Clicked},
};

const MenuItem kArrangeItems[] = {
    {"Bring to Front", "bringToFront:", QKeySequence::UnknownKey, &C::Begin_Front_Clicked},
    {"Send to Back", "sendToBack:", QKeySequence::UnknownKey, &C::Send_Back_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Lock", "lock:", QKeySequence::UnknownKey, &C::Lock_Clicked},
    {"Unlock", "unlock:", QKeySequence::UnknownKey, &C::Unlock_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Align Left Edges", "alignLeftEdges:", QKeySequence::UnknownKey, &C::Align_Left_Clicked},
    {"Align Right Edges", "alignRightEdges:", QKeySequence::UnknownKey, &C::Align_Right_Clicked},
    {"Align Top Edges", "alignTopEdges:", QKeySequence::UnknownKey, &C::Align_Top_Clicked},
    {"Align Bottom Edges", "alignBottomEdges:", QKeySequence::UnknownKey, &C::Align_Bottom_Clicked},
    {"Align Horizontal Centers", "alignHorizontalCenters:", QKeySequence::UnknownKey, &C::Align_Horz_Clicked},
    {"Align Vertical Centers", "alignVerticalCenters:", QKeySequence::UnknownKey, &C::Align_Vert_Clicked},
    {"Center on Card", "alignformCenter:", QKeySequence::UnknownKey, &C::Align_Center_Clicked},
    {"Align with Grid", "alignWithGrid:", QKeySequence::UnknownKey, &C::Align_To_Grid_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Same Width", "makeSameWidth:", QKeySequence::UnknownKey, &C::Make_Same_Width_Clicked},
    {"Same Height", "makeSameHeight:", QKeySequence::UnknownKey, &C::Make_Same_Height_Clicked},
    {"Natural Size", "makeNaturalSize:", QKeySequence::UnknownKey, &C::Make_Natural_Clicked},
    {nullptr, nullptr, QKeySequence::UnknownKey, nullptr},
    {"Hide Ruler", "showOrHideRulers:", QKeySequence::UnknownKey, &C::Show_Hide_Ruler_ChkBox},
};

} // namespace

void QBXWindowController::Select_All_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->selectAll();
}

void QBXWindowController::buildEditMenus()
{
    auto fill = [this](const QString& title, const QString& name, const auto& items) {
        QMenu* menu = window->menuBar()->addMenu(title);
        menu->setObjectName(name);
        for (const MenuItem& item : items) {
            if (!item.title) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.title));
            action->setObjectName(QString::fromLatin1(item.action));
            action->setData(QString::fromLatin1(item.action));
            if (item.keys != QKeySequence::UnknownKey)
                action->setShortcut(item.keys);
            const Command command = item.command;
            connect(action, &QAction::triggered, this, [this, command, action] { (this->*command)(action); });
            m_menuItems.append(action);
        }
        // The ruler item's title is only known when the menu opens.
        connect(menu, &QMenu::aboutToShow, this, [this] { Menu_Item_State(); });
        return menu;
    };
    editMenu = fill(QStringLiteral("&Edit"), QStringLiteral("editMenu"), kEditItems);
    arrangeMenu = fill(QStringLiteral("&Arrange"), QStringLiteral("arrangeMenu"), kArrangeItems);
    Menu_Item_State();
}

void QBXWindowController::Menu_Item_State()
{
    QBXGraphicView* canvas = currentSideCanvas();
    const GraphicList selected = canvas ? canvas->selectedGraphics() : GraphicList();
    const bool locked =
        std::any_of(selected.begin(), selected.end(), [](const GraphicPtr& g) { return g->ctrl_is_locked; });
    for (QAction* item : std::as_const(m_menuItems)) {
        const QString action = item->data().toString();
        QString title = item->text();
        bool on = canvas && canvas->validateMenuItem(action, &title);
        // What the canvas leaves open, the buttons decide: the clipboard for
        // Paste, the selection's lock state for Lock and Unlock, the shown
        // grid for grid alignment.
        if (action == QLatin1String("paste:"))
            on = on && m_pasteState == 1 && !locked;
        else if (action == QLatin1String("lock:"))
            on = on && !selected.empty() && !locked;
        else if (action == QLatin1String("unlock:"))
            on = on && locked;
        else if (action == QLatin1String("alignWithGrid:"))
            on = on && _grid && _grid->isAlwaysShown();
        item->setEnabled(on);
        item->setText(title);
    }
}
