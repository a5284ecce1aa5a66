#pragma once
// The strict test responder every test program installs: it answers alerts,
// file panels, the colour and the font panel from scripted answers, runs a
// dialog's real event loop while a scripted action presses its buttons, and
// records every request with its exact text. A request without a scripted
// answer fails the running test and gets the negative answer (OK, No,
// cancel, reject); a dialog still open when the watchdog fires (only a
// hang keeps one open that long) fails the test and is rejected. Nothing
// can wait on a user.
#include "platform/modal.h"
#include "support/bounded_wait.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class QDialog;

class TestResponder : public platform::modal::Responder {
public:
    struct Request {
        QString kind; // "alert", "yesno", "dialog", "file", "color", "font"
        QString text; // the alert text, dialog or panel title
    };

    // Scripts, each used by the next request of its kind.
    void answerAlert(platform::modal::AlertAnswer answer);
    void onDialog(std::function<void(QDialog&)> action);
    void answerFilePanel(const QStringList& paths); // empty: cancel
    void answerColor(std::optional<QColor> colour);
    void answerFont(std::optional<QFont> font);

    std::vector<Request> requests() const;
    QStringList texts(const QString& kind) const;
    // Forgets the record and every unused script; true when no script was left.
    bool reset();

    int watchdogMilliseconds = kHangMilliseconds;

    platform::modal::AlertAnswer alert(platform::modal::AlertKind kind, const QString& text) override;
    int run(QDialog& dialog) override;
    QStringList filePanel(const platform::modal::FilePanelRequest& request) override;
    std::optional<QColor> colorPanel(const QColor& initial, const QString& title) override;
    std::optional<QFont> fontPanel(const QFont& initial, const QString& title) override;

private:
    void record(const QString& kind, const QString& text);

    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::deque<platform::modal::AlertAnswer> alerts_;
    std::deque<std::function<void(QDialog&)>> dialogs_;
    std::deque<QStringList> files_;
    std::deque<std::optional<QColor>> colours_;
    std::deque<std::optional<QFont>> fonts_;
};

// The responder installed by the shared test main.
TestResponder& testResponder();
