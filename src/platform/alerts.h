#pragma once
// Alerts from any thread. On the main thread the alert runs at once; from
// another thread it runs on the main thread while the caller waits, and each
// caller gets its own answer. Before the application exists or while it is
// shutting down the text is logged and the answer is OK (or No).
#include "platform/modal.h"

#include <utility>

namespace platform {

modal::AlertAnswer showAlert(modal::AlertKind kind, const QString& text);

// While one lives, alerts of the thread that made it are kept (and logged)
// instead of shown, answered OK (or No): a worker the main thread may wait
// for never waits on the main thread. The owner shows them after the worker
// ended. Nested holders on one thread keep to the innermost.
class Held_Alerts {
public:
    Held_Alerts();
    ~Held_Alerts();
    Held_Alerts(const Held_Alerts&) = delete;
    Held_Alerts& operator=(const Held_Alerts&) = delete;

    void keep(const QString& text) { texts_.append(text); }
    // The texts kept so far, in order; the holder starts over.
    QStringList take() { return std::exchange(texts_, {}); }

private:
    QStringList texts_;
    Held_Alerts* outer_;
};

} // namespace platform
