// Runs on a system that refuses threads: from the N-th thread the process
// starts (its own and those of Qt's pools), every start is refused. An
// export, a print and a mail run each end with their message, and the
// program still ends. Each N runs in a child process of its own, bounded.
#include "app/Globals.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXImage.h"
#include "editor/QBXWindowController.h"
#include "output/Print_Wnd.h"
#include "output/Send_Mail.h"
#include "platform/image_browser.h"
#include "platform/printers.h"
#include "platform/process_end.h"
#include "platform/threads.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"
#include "support_mail.h"
#include "wizards/Invitation_Wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QWidget>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

using platform::modal::AlertAnswer;

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) noexcept
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    static const int allowed = qEnvironmentVariableIsSet("CW_THREADS_ALLOWED")
        ? qEnvironmentVariableIntValue("CW_THREADS_ALLOWED") : -1;
    static std::atomic<int> started{0};
    if (allowed >= 0 && started++ >= allowed)
        return EAGAIN;
    return real(thread, attr, start, arg);
}

namespace {

// What a run ended with: the boxes it showed, or its own message.
void Say(const char* run, const QStringList& said)
{
    std::printf("%s: %s\n", run, said.join(QLatin1Char('|')).simplified().toUtf8().constData());
    std::fflush(stdout);
}

void Answer_Every_Alert()
{
    testResponder().reset();
    for (int i = 0; i < 8; ++i)
        testResponder().answerAlert(AlertAnswer::Ok);
}

} // namespace

TEST(RefusedThreadsChild, ExportPrintAndMail)
{
    if (!qEnvironmentVariableIsSet("CW_THREADS_ALLOWED"))
        GTEST_SKIP() << "run by RefusedThreads.EveryRunEndsAndTheProgramQuits";
    // As the program does first thing: with no thread for drawing it ends
    // at once with its message, before any window is drawn. The runs are
    // still asked here, their windows never shown.
    QString why;
    const bool drawable = platform::keepImagePoolReady(&why);
    if (!drawable)
        Say("start", {why});
    QTemporaryDir dir;
    platform::setProcessEndHandler([](int) {});
    auto document = std::make_unique<QBXDocument>();
    auto c = std::make_unique<QBXWindowController>();
    c->setDocument(document.get());
    if (drawable) {
        testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->ExitClick(); });
        ASSERT_TRUE(c->awakeFromNib());
        testResponder().reset();
    }
    // Qt paints large widgets on its pool too: the runs are watched here
    // without a window on screen.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();

    // Two rows of large pictures, drawn scaled: Qt hands such work to its pool.
    QByteArray list;
    for (int i = 0; i < 2; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(i));
        QImage image(1800, 1800, QImage::Format_RGB32);
        image.fill(QColor(40 * i, 90, 200));
        image.save(path);
        list += path.toUtf8() + "\n";
    }
    QFile series(Data_Folder_Path + QStringLiteral("/P.txt"));
    ASSERT_TRUE(series.open(QIODevice::WriteOnly));
    series.write(list);
    series.close();
    auto picture = std::make_shared<QBXImage>();
    picture->setBounds(QRectF(0, 0, 250, 160));
    picture->img_trnsp_val = 60;
    picture->Set_Data_source_type(1);
    picture->Set_Batch_List_Name(QStringLiteral("P"));
    document->insertGraphic(picture, 0);
    c->Check_Series_Or_Excel_Use_or_not();
    CARD_SIDE_STR = QStringLiteral("1");
    export_card_side = QStringLiteral("F");
    export_combined_image = false;
    export_file_format = QStringLiteral("PNG");
    export_dpi = 150;

    Answer_Every_Alert();
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    c->Export_Batch_File(dir.path());
    EXPECT_TRUE(waitUntil([&] { return !c->Export_Run_Active(); }));
    QStringList said = testResponder().texts(QStringLiteral("alert"));
    if (!Export_File_Message.get().isEmpty())
        said << Export_File_Message.get();
    Say("export", c->Export_Run_Active() ? QStringList{} : said);

    const QString pdf = dir.filePath(QStringLiteral("sheets.pdf"));
    platform::setPrinterSource([pdf] {
        return QList<platform::Printer_Desc>{{QStringLiteral("Office"), QPageSize(QPageSize::A4), QMarginsF(), pdf}};
    });
    Answer_Every_Alert();
    bool previewed = false;
    testResponder().onDialog([&](QDialog& window) {
        testResponder().onDialog([&](QDialog& preview) {
            previewed = true;
            preview.done(0);
        });
        Print_Wnd::defaultInstance()->Execute_Printing(true);
        Print_Wnd::defaultInstance()->Execute_Printing(false);
        window.done(0);
    });
    c->Open_Print_Window();
    said = testResponder().texts(QStringLiteral("alert"));
    if (QFile::exists(pdf))
        said << QStringLiteral("printed");
    if (previewed)
        said << QStringLiteral("previewed");
    Say("print", said);
    platform::setPrinterSource({});

    mailtest::Stand_In script;
    Answer_Every_Alert();
    Send_Mail* mail = Send_Mail::defaultInstance();
    testResponder().onDialog([&](QDialog& window) {
        mail->from_txt->setText(QStringLiteral("a@b.cd"));
        mail->to_txt->setText(QStringLiteral("x@y.zz"));
        mail->send_with_batch_chk->setChecked(true);
        mail->send_with_chk_select();
        if (mail->Send_Button())
            EXPECT_TRUE(waitUntil([&] { return !mail->Run_Active(); }));
        QMetaObject::invokeMethod(&window, [&window] { window.done(0); }, Qt::QueuedConnection);
    });
    mail->Open_Wnd();
    Say("mail", mail->Run_Active() ? QStringList{} : testResponder().texts(QStringLiteral("alert")));
    testResponder().reset();

    // The picture browser's readers, asked for one picture, are stopped
    // as the program's end stops them.
    platform::ThumbnailLoader::instance().thumbnail(dir.filePath(QStringLiteral("p0.png")), 64);
    platform::ThumbnailLoader::shutdown();
    c.reset();
    document.reset();
    platform::setProcessEndHandler({});
}

// Every child at once, all within one deadline that only a hang reaches
// (twice a child's own, within ctest's limit): a run or an end that waits
// for good fails with what the children said.
TEST(RefusedThreads, EveryRunEndsAndTheProgramQuits)
{
    std::vector<std::unique_ptr<QProcess>> children;
    for (int allowed = 0; allowed <= 8; ++allowed) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CW_THREADS_ALLOWED"), QString::number(allowed));
        child->setProcessEnvironment(env);
        // Two processors each, whatever the machine: the N threads then
        // spread over Qt's pool (it wants two), the export's two workers
        // and the print's, preview's and mail's threads.
        child->setChildProcessModifier([allowed] {
            cpu_set_t all, two;
            if (sched_getaffinity(0, sizeof all, &all) != 0)
                return;
            const int count = CPU_COUNT(&all);
            const int first = 2 * allowed % count;
            CPU_ZERO(&two);
            for (int cpu = 0, seen = 0; cpu < CPU_SETSIZE; ++cpu) {
                if (!CPU_ISSET(cpu, &all))
                    continue;
                if (seen == first || seen == (first + 1) % count)
                    CPU_SET(cpu, &two);
                ++seen;
            }
            sched_setaffinity(0, sizeof two, &two);
        });
        child->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RefusedThreadsChild.*")});
        children.push_back(std::move(child));
    }
    QDeadlineTimer deadline(2 * kHangDeadline);
    const QString noDrawing = QStringLiteral("The cards cannot be drawn: the system refuses");
    for (int allowed = 0; allowed <= 8; ++allowed) {
        QProcess& child = *children[size_t(allowed)];
        const bool ended = child.waitForFinished(int(std::max<qint64>(1, deadline.remainingTime())));
        if (!ended) {
            child.kill();
            child.waitForFinished(5000);
        }
        const QStringList out = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
        const std::string context = "threads allowed: " + std::to_string(allowed) + "\n" + out.join('\n').toStdString()
            + QString::fromUtf8(child.readAllStandardError()).right(2000).toStdString();
        EXPECT_TRUE(ended) << context;
        if (!ended)
            continue;
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << context;
        EXPECT_EQ(child.exitCode(), 0) << context;
        auto said = [&](const char* run) {
            return out.filter(QRegularExpression(QStringLiteral("^%1: ").arg(QLatin1String(run)))).value(0).mid(int(strlen(run)) + 2);
        };
        if (allowed == 0) {
            // No thread for drawing: every run refuses, naming the reason.
            for (const char* run : {"start", "export", "print", "mail"})
                EXPECT_TRUE(said(run).startsWith(noDrawing)) << run << "; " << context;
            continue;
        }
        // Drawing waits for the pool threads that did start; the workers of
        // the export and the print run on this thread when refused, and a
        // preview whose worker is refused says so.
        EXPECT_EQ(said("export"), QStringLiteral("Card has been exported successfully.")) << context;
        const QString preview = QStringLiteral("The preview cannot be shown: the system refuses to start the thread "
                                               "that draws its sheets. Close other programs and try again.|printed");
        EXPECT_TRUE(said("print") == preview || said("print") == QStringLiteral("printed|previewed")) << context;
        EXPECT_EQ(said("mail"), QStringLiteral("E-mail has been sent successfully.")) << context;
    }
}
