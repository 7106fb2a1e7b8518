#pragma once

#include <QByteArray>
#include <QThreadPool>

#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace corvanta {

// Runs `fn` in a child process that the alarm ends after `seconds`, and
// gives back what it returned, or how it died. Resource limits and reads
// that might block or abort are tried there, so they cannot hang or kill
// the test itself.
inline QByteArray inChild(const std::function<QByteArray()>& fn, unsigned seconds)
{
    // The child has only the thread that forks: a pool that remembers
    // threads of its own (Qt scales images on them once a window was
    // shown) would wait for them there forever.
    QThreadPool::globalInstance()->waitForDone();
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(seconds);
        const QByteArray out = fn();
        [[maybe_unused]] const ssize_t n = ::write(fds[1], out.constData(), size_t(out.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return "killed by signal " + QByteArray::number(WTERMSIG(status));
    return out;
}

// Runs `body` in a child process that the alarm ends after `seconds`, so a
// read that blocks or aborts fails the test instead of hanging or killing
// it. Returns the child's exit status, or minus the signal that ended it.
inline int inChild(unsigned seconds, const std::function<int()>& body)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace corvanta
