#include "platform/alerts.h"
#include "platform/log.h"
#include "platform/thread_handoff.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>

namespace platform {
namespace {

// Set once the main event loop is about to end: a worker asking after that
// would wait on a loop that no longer runs.
std::atomic<bool> g_quitting{false};
std::atomic<bool> g_watching{false};

void watchForQuit(QCoreApplication* app)
{
    if (g_watching.exchange(true))
        return;
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { g_quitting = true; }, Qt::DirectConnection);
}

thread_local Held_Alerts* t_held = nullptr;

} // namespace

Held_Alerts::Held_Alerts() : outer_(std::exchange(t_held, this)) {}

Held_Alerts::~Held_Alerts()
{
    t_held = outer_;
}

modal::AlertAnswer showAlert(modal::AlertKind kind, const QString& text)
{
    const modal::AlertAnswer fallback = kind == modal::AlertKind::Ok ? modal::AlertAnswer::Ok : modal::AlertAnswer::No;
    if (t_held) {
        logText(QStringLiteral("alert kept for later: ") + text);
        t_held->keep(text);
        return fallback;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QCoreApplication::closingDown() || g_quitting) {
        logText(QStringLiteral("alert while no application runs: ") + text);
        return fallback;
    }
    watchForQuit(app);
    if (QThread::currentThread() == app->thread())
        return modal::alert(kind, text);
    // Each caller waits for its own answer in its own variable. Should the
    // application end before the call is delivered, Qt releases the waiting
    // caller and the fallback answer stands.
    modal::AlertAnswer answer = fallback;
    QMetaObject::invokeMethod(
        app, handedOff([&answer, kind, &text] { answer = modal::alert(kind, text); }), Qt::BlockingQueuedConnection);
    tookOver();
    return answer;
}

} // namespace platform
