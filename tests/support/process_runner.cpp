#include "support/process_runner.h"
#include "support/bounded_wait.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

// Started with posix_spawn rather than QProcess: QProcess starts its child
// through a shared-memory clone that ThreadSanitizer's fork handling takes for
// a fork of the test process itself, after which it stops checking (or
// stops the test at the next thread start).
ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input,
                  const QStringList& extraEnvironment)
{
    ProcessResult result;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    std::vector<QByteArray> argBytes{QFile::encodeName(program)};
    for (const QString& a : args)
        argBytes.push_back(a.toLocal8Bit());
    std::vector<QByteArray> envBytes;
    for (char** e = environ; *e; ++e)
        envBytes.emplace_back(*e);
    for (const QString& e : extraEnvironment)
        envBytes.push_back(e.toLocal8Bit());
    const auto pointers = [](std::vector<QByteArray>& items) {
        std::vector<char*> list;
        for (QByteArray& item : items)
            list.push_back(item.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(argBytes), envp = pointers(envBytes);

    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(err[0]);
        return result;
    }

    // Feed the input and read both outputs together, so that no pipe fills.
    qsizetype written = 0;
    if (input.isEmpty())
        ::close(in[1]);
    else
        fcntl(in[1], F_SETFL, O_NONBLOCK);
    bool inOpen = !input.isEmpty(), outOpen = true, errOpen = true;
    QElapsedTimer clock;
    clock.start();
    while ((outOpen || errOpen) && clock.elapsed() < kHangMilliseconds) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inOpen ? in[1] : -1, POLLOUT, 0}};
        if (poll(fds, 3, 1000) < 0 && errno != EINTR)
            break;
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                (i == 0 ? result.out : result.err).append(buffer, n);
            else
                (i == 0 ? outOpen : errOpen) = false;
        }
        if (inOpen && fds[2].revents) {
            const ssize_t n = ::write(in[1], input.constData() + written, size_t(input.size() - written));
            if (n > 0)
                written += n;
            if (n < 0 || written == input.size()) {
                ::close(in[1]);
                inOpen = false;
            }
        }
    }
    if (inOpen)
        ::close(in[1]);
    ::close(out[0]);
    ::close(err[0]);
    if (outOpen || errOpen)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ProcessResult python(const QString& script, const QStringList& args, const QByteArray& input)
{
    return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args, input);
}

} // namespace testsupport
