#include "support_editor.h"

#include "app/Globals.h"
#include "platform/process_end.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"

#include <QApplication>
#include <QProcess>

StartedEditor::StartedEditor(bool wizardRuns)
{
    Card_Front_Or_Back = 0;
    last_ctrl_X = 10.0f;
    last_ctrl_Y = 10.0f;
    controller = std::make_unique<QBXWindowController>();
    controller->setDocument(document.get());
    // Start-up runs the start wizard; leave it with Exit, whose end of the
    // program is recorded instead of carried out.
    platform::setProcessEndHandler([this](int status) { endedWith = status; });
    if (wizardRuns)
        testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->ExitClick(); });
    started = controller->awakeFromNib();
    settle();
}

StartedEditor::~StartedEditor()
{
    platform::setProcessEndHandler({});
    controller.reset();
    document.reset();
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

XvfbRun runUnderXvfb(const QString& filter, const QString& cue, const QString& screen, int milliseconds)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(cue, QStringLiteral("inner"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 ") + screen,
                                             QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=") + filter});
    XvfbRun run;
    if (child.waitForFinished(milliseconds))
        run.exitCode = child.exitCode();
    run.log = QString::fromUtf8(child.readAll());
    return run;
}
