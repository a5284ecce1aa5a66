// Help and links through the real desktop services on an X server: a fake
// xdg-open first on PATH records what Qt hands it, which must be exactly
// the encoded Help.pdf, https and mailto addresses.
#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "support/bounded_wait.h"
#include "editor/Links.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QString dirOf() { return qEnvironmentVariable("CW_LINKS_DIR"); }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Runs inside xvfb-run, started by the test below.
TEST(LinksXvfbChild, Open)
{
    if (dirOf().isEmpty())
        GTEST_SKIP() << "started by LinksXvfb.FakeXdgOpenReceivesEncodedUrls";
    QFile pdf(Resource_Path + QStringLiteral("/Help.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    const QUrl web(QStringLiteral("https://example.org/a%20b?q=1&r=%C3%A9"));
    const QUrl mail = links::mailLink(QStringLiteral("help@example.org"), QStringLiteral("Hi & bye"),
                                      QStringLiteral("one\ntwo é"));
    QByteArray expected = QUrl::fromLocalFile(pdf.fileName()).toEncoded() + '\n';
    expected += web.toEncoded() + '\n' + mail.toEncoded() + '\n';
    QFile out(dirOf() + QStringLiteral("/expected"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(expected);
    out.close();
    // One at a time: each waits for its line, so the order is the calls'.
    auto waitLines = [](int n) {
        EXPECT_TRUE(waitUntil([n] { return readFile(dirOf() + QStringLiteral("/opened")).count('\n') >= n; }));
    };
    Open_Help_File();
    waitLines(1);
    EXPECT_TRUE(links::open(web));
    waitLines(2);
    EXPECT_TRUE(links::open(mail));
    waitLines(3);
}

TEST(LinksXvfb, FakeXdgOpenReceivesEncodedUrls)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    QTemporaryDir dir;
    const QString d = dir.path();
    QFile fake(d + QStringLiteral("/xdg-open"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$CW_LINKS_DIR/opened\"; done\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_LINKS_DIR"), d);
    env.insert(QStringLiteral("PATH"), d + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    // Desktop-specific openers would come before xdg-open.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "BROWSER", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=LinksXvfbChild.Open")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray log = child.readAll();
    const QByteArray expected = readFile(d + QStringLiteral("/expected"));
    ASSERT_FALSE(expected.isEmpty()) << log.toStdString();
    EXPECT_EQ(readFile(d + QStringLiteral("/opened")).toStdString(), expected.toStdString()) << log.toStdString();
}
