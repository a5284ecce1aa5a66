#include "support/test_responder.h"

#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

using platform::modal::AlertAnswer;
using platform::modal::AlertKind;

void TestResponder::record(const QString& kind, const QString& text)
{
    std::lock_guard lock(mutex_);
    requests_.push_back({kind, text});
}

void TestResponder::answerAlert(AlertAnswer answer)
{
    std::lock_guard lock(mutex_);
    alerts_.push_back(answer);
}

void TestResponder::onDialog(std::function<void(QDialog&)> action)
{
    std::lock_guard lock(mutex_);
    dialogs_.push_back(std::move(action));
}

void TestResponder::answerFilePanel(const QStringList& paths)
{
    std::lock_guard lock(mutex_);
    files_.push_back(paths);
}

void TestResponder::answerColor(std::optional<QColor> colour)
{
    std::lock_guard lock(mutex_);
    colours_.push_back(colour);
}

void TestResponder::answerFont(std::optional<QFont> font)
{
    std::lock_guard lock(mutex_);
    fonts_.push_back(font);
}

std::vector<TestResponder::Request> TestResponder::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

QStringList TestResponder::texts(const QString& kind) const
{
    std::lock_guard lock(mutex_);
    QStringList list;
    for (const Request& r : requests_)
        if (r.kind == kind)
            list.append(r.text);
    return list;
}

bool TestResponder::reset()
{
    std::lock_guard lock(mutex_);
    const bool allUsed = alerts_.empty() && dialogs_.empty() && files_.empty() && colours_.empty() && fonts_.empty();
    requests_.clear();
    alerts_.clear();
    dialogs_.clear();
    files_.clear();
    colours_.clear();
    fonts_.clear();
    return allUsed;
}

AlertAnswer TestResponder::alert(AlertKind kind, const QString& text)
{
    record(kind == AlertKind::Ok ? QStringLiteral("alert") : QStringLiteral("yesno"), text);
    std::optional<AlertAnswer> answer;
    {
        std::lock_guard lock(mutex_);
        if (!alerts_.empty()) {
            answer = alerts_.front();
            alerts_.pop_front();
        }
    }
    if (!answer) {
        ADD_FAILURE() << "unanswered alert: " << text.toStdString();
        return kind == AlertKind::Ok ? AlertAnswer::Ok : AlertAnswer::No;
    }
    if (kind == AlertKind::Ok && *answer != AlertAnswer::Ok)
        ADD_FAILURE() << "an OK alert was answered Yes/No: " << text.toStdString();
    if (kind == AlertKind::YesNo && *answer == AlertAnswer::Ok)
        ADD_FAILURE() << "a Yes/No alert was answered OK: " << text.toStdString();
    return *answer;
}

int TestResponder::run(QDialog& dialog)
{
    record(QStringLiteral("dialog"), dialog.windowTitle());
    std::function<void(QDialog&)> action;
    {
        std::lock_guard lock(mutex_);
        if (!dialogs_.empty()) {
            action = std::move(dialogs_.front());
            dialogs_.pop_front();
        }
    }
    if (!action) {
        ADD_FAILURE() << "unanswered dialog: " << dialog.metaObject()->className() << " \""
                      << dialog.windowTitle().toStdString() << "\"";
        return QDialog::Rejected;
    }
    // The dialog runs its own loop; the action presses its buttons from
    // inside that loop, so its validation runs as it would for a user.
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, &dialog, [&dialog, &action] { action(dialog); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&dialog] {
        if (dialog.isVisible()) {
            ADD_FAILURE() << "dialog left open: " << dialog.metaObject()->className() << " \""
                          << dialog.windowTitle().toStdString() << "\"";
            dialog.reject();
        }
    });
    start.start(0);
    watchdog.start(watchdogMilliseconds);
    return dialog.exec();
}

namespace {

// The next scripted answer of a queue, or the failing default.
template <typename T>
T nextScript(std::mutex& mutex, std::deque<T>& queue, const char* what, const QString& title)
{
    std::lock_guard lock(mutex);
    if (queue.empty()) {
        ADD_FAILURE() << "unanswered " << what << ": " << title.toStdString();
        return T();
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

QStringList TestResponder::filePanel(const platform::modal::FilePanelRequest& request)
{
    record(QStringLiteral("file"), request.title);
    return nextScript(mutex_, files_, "file panel", request.title);
}

std::optional<QColor> TestResponder::colorPanel(const QColor&, const QString& title)
{
    record(QStringLiteral("color"), title);
    return nextScript(mutex_, colours_, "colour panel", title);
}

std::optional<QFont> TestResponder::fontPanel(const QFont&, const QString& title)
{
    record(QStringLiteral("font"), title);
    return nextScript(mutex_, fonts_, "font panel", title);
}

TestResponder& testResponder()
{
    static TestResponder responder;
    return responder;
}
