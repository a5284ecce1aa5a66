#pragma once
// Undo by registering the inverse of each change.
//
// A change has already happened when it is recorded: the code that made it
// registers a function that undoes it. While undoing, registrations go to the
// redo stack, and while redoing to the undo stack, so an action that reverses
// a change registers its own inverse as it runs.
//
// Registrations collect in groups; a top-level group is one undo step. With
// grouping by event, the first registration outside any group opens one, and a
// queued call closes it when control returns to the event loop, so everything
// one user event changes is one step. Gestures that span several events (a
// drag) open an explicit group and close it themselves.
//
// Registration can be switched off (counted: each disable needs its enable).
// Undoing while it is off runs the actions and keeps no redo step.
// Main thread only.
#include <QObject>

#include <functional>
#include <vector>

namespace platform {

class UndoManager : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    explicit UndoManager(QObject* parent = nullptr);
    ~UndoManager() override;

    void registerUndo(const void* target, Action action);

    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return m_level; }
    bool groupsByEvent() const { return m_groupsByEvent; }
    void setGroupsByEvent(bool on) { m_groupsByEvent = on; }

    // Closes an open event group first; does nothing while an explicit group is open.
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    bool isUndoing() const { return m_undoing; }
    bool isRedoing() const { return m_redoing; }
    int undoCount() const { return int(m_undoStack.size()); }
    int redoCount() const { return int(m_redoStack.size()); }

    void disableUndoRegistration();
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return m_disabled == 0; }

    void removeAllActions();
    void removeAllActionsWithTarget(const void* target);

    // Called when a group opens inside another, when a group closes and
    // before an undo or redo runs; never when a top-level group opens.
    void setCheckpointCallback(std::function<void()> callback) { m_checkpoint = std::move(callback); }

    // Closes the group opened for the current event, as the queued call does
    // when control returns to the event loop.
    void closeEventGroup();

signals:
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);

private:
    struct Entry {
        const void* target;
        Action action;
    };
    using Group = std::vector<Entry>;

    void checkpoint();
    void closeEventGroupIfOpen();
    // Takes the newest group of the undo (or redo) stack and runs it.
    void step(bool undoing);
    void runGroup(Group group, bool undoing);
    void announce();

    std::vector<Group> m_undoStack;
    std::vector<Group> m_redoStack;
    Group m_open;           // the top-level group being collected
    Group m_running;        // registrations while an undo or redo runs
    int m_level = 0;
    int m_disabled = 0;
    bool m_groupsByEvent = true;
    bool m_eventGroupOpen = false;
    bool m_closeQueued = false;
    bool m_undoing = false;
    bool m_redoing = false;
    bool m_lastCanUndo = false;
    bool m_lastCanRedo = false;
    std::function<void()> m_checkpoint;
};

} // namespace platform
