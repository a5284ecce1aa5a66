#pragma once
// Alerts from any thread. On the main thread the alert runs at once; from
// another thread it runs on the main thread while the caller waits, and each
// caller gets its own answer. Before the application exists or while it is
// shutting down the text is logged and the answer is OK (or No).
#include "platform/modal.h"

namespace platform {

modal::AlertAnswer showAlert(modal::AlertKind kind, const QString& text);

} // namespace platform
