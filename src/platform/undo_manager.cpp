#include "platform/undo_manager.h"

#include "platform/log.h"

#include <algorithm>

namespace platform {

UndoManager::UndoManager(QObject* parent)
    : QObject(parent)
{
}

UndoManager::~UndoManager() = default;

void UndoManager::checkpoint()
{
    if (m_checkpoint)
        m_checkpoint();
}

void UndoManager::announce()
{
    const bool u = canUndo();
    const bool r = canRedo();
    if (u != m_lastCanUndo) {
        m_lastCanUndo = u;
        emit canUndoChanged(u);
    }
    if (r != m_lastCanRedo) {
        m_lastCanRedo = r;
        emit canRedoChanged(r);
    }
}

bool UndoManager::canUndo() const
{
    return !m_undoStack.empty() || !m_open.empty();
}

bool UndoManager::canRedo() const
{
    return !m_redoStack.empty();
}

void UndoManager::registerUndo(const void* target, Action action)
{
    if (m_disabled > 0 || !action)
        return;
    if (m_undoing || m_redoing) {
        m_running.push_back({target, std::move(action)});
        return;
    }
    // A new change forgets what was undone.
    m_redoStack.clear();
    if (m_level == 0) {
        if (!m_groupsByEvent) {
            // No group and no event grouping: the action is a step of its own.
            m_undoStack.push_back(Group{{target, std::move(action)}});
            announce();
            return;
        }
        beginUndoGrouping();
        m_eventGroupOpen = true;
        if (!m_closeQueued) {
            m_closeQueued = true;
            QMetaObject::invokeMethod(
                this, [this] {
                    m_closeQueued = false;
                    closeEventGroup();
                },
                Qt::QueuedConnection);
        }
    }
    m_open.push_back({target, std::move(action)});
    announce();
}

void UndoManager::beginUndoGrouping()
{
    if (m_level > 0)
        checkpoint();
    ++m_level;
}

void UndoManager::endUndoGrouping()
{
    if (m_level == 0) {
        logText(QStringLiteral("Undo: a group was closed that was never opened."));
        return;
    }
    checkpoint();
    --m_level;
    if (m_level == 0) {
        m_eventGroupOpen = false;
        if (!m_open.empty() && !m_undoing && !m_redoing)
            m_undoStack.push_back(std::move(m_open));
        m_open.clear();
        announce();
    } else if (m_level == 1 && m_eventGroupOpen && !m_closeQueued) {
        // An explicit group inside the event group has ended; the event group
        // still closes when control returns to the event loop.
        m_closeQueued = true;
        QMetaObject::invokeMethod(
            this, [this] {
                m_closeQueued = false;
                closeEventGroup();
            },
            Qt::QueuedConnection);
    }
}

void UndoManager::closeEventGroup()
{
    if (m_eventGroupOpen && m_level == 1)
        endUndoGrouping();
}

void UndoManager::closeEventGroupIfOpen()
{
    closeEventGroup();
}

void UndoManager::runGroup(Group group, bool undoing)
{
    checkpoint();
    m_undoing = undoing;
    m_redoing = !undoing;
    m_running.clear();
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        it->action();
    m_undoing = false;
    m_redoing = false;
    Group produced = std::move(m_running);
    m_running.clear();
    if (!produced.empty())
        (undoing ? m_redoStack : m_undoStack).push_back(std::move(produced));
    checkpoint();
    announce();
}

void UndoManager::undo()
{
    step(true);
}

void UndoManager::redo()
{
    step(false);
}

void UndoManager::step(bool undoing)
{
    closeEventGroupIfOpen();
    auto& stack = undoing ? m_undoStack : m_redoStack;
    if (m_level > 0 || m_undoing || m_redoing || stack.empty())
        return;
    Group g = std::move(stack.back());
    stack.pop_back();
    runGroup(std::move(g), undoing);
}

void UndoManager::disableUndoRegistration()
{
    ++m_disabled;
}

void UndoManager::enableUndoRegistration()
{
    if (m_disabled > 0)
        --m_disabled;
}

void UndoManager::removeAllActions()
{
    m_undoStack.clear();
    m_redoStack.clear();
    m_open.clear();
    announce();
}

void UndoManager::removeAllActionsWithTarget(const void* target)
{
    auto strip = [target](Group& g) {
        g.erase(std::remove_if(g.begin(), g.end(), [target](const Entry& e) { return e.target == target; }),
                g.end());
    };
    for (auto* stack : {&m_undoStack, &m_redoStack}) {
        for (auto& g : *stack)
            strip(g);
        stack->erase(std::remove_if(stack->begin(), stack->end(), [](const Group& g) { return g.empty(); }),
                     stack->end());
    }
    strip(m_open);
    announce();
}

} // namespace platform
