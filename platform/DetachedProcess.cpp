// SPDX-License-Identifier: MIT
#include "platform/DetachedProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The input as an unnamed file: the program may read it at any pace, long
// after Tavo has moved on, and nothing is left on disk.
int InputFile(const QByteArray &input) {
    const int fd = ::memfd_create("tavo-input", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    qsizetype done = 0;
    while (done < input.size()) {
        const ssize_t n = ::write(fd, input.constData() + done, size_t(input.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        done += n;
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

} // namespace

QString StartDetached(const QByteArray &program, const QList<QByteArray> &arguments,
                      const QByteArray &workingFolder, const QByteArray &input,
                      const LaunchEnvironment &environment) {
    const int inputFd = InputFile(input);
    if (inputFd < 0)
        return ErrorText(errno);
    // Everything the child needs is made before the fork: after it, only
    // calls that are safe in a forked copy of a threaded program are made.
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.constData()));
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    QList<QByteArray> added;
    for (const auto &[name, value] : environment)
        added.append(name + '=' + value);
    std::vector<char *> envp;
    for (char **variable = environ; *variable; ++variable) {
        const QByteArrayView entry(*variable);
        const bool replaced =
            std::any_of(environment.begin(), environment.end(), [&](const auto &v) {
                return entry.startsWith(v.first) && entry.size() > v.first.size() &&
                       entry[v.first.size()] == '=';
            });
        if (!replaced)
            envp.push_back(*variable);
    }
    for (QByteArray &variable : added)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    // The program's start is reported through this pipe: it closes without a
    // word on exec, or carries the errno of what failed.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(inputFd);
        return ErrorText(error);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        // The grandchild runs the program; the child ends at once, so the
        // program belongs to init and never becomes Tavo's zombie.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            int error = 0;
            // dup2 onto itself would keep close-on-exec, so fd 0 is cleared by hand.
            const bool inputReady =
                inputFd == 0 ? ::fcntl(0, F_SETFD, 0) == 0 : ::dup2(inputFd, 0) == 0;
            if (::chdir(workingFolder.constData()) != 0 || !inputReady)
                error = errno;
            else
                ::execve(argv[0], argv.data(), envp.data());
            if (error == 0)
                error = errno;
            (void)!::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    const int forkError = child < 0 ? errno : 0;
    ::close(report[1]);
    ::close(inputFd);
    if (child < 0) {
        ::close(report[0]);
        return ErrorText(forkError);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return n == ssize_t(sizeof error) ? ErrorText(error) : QString();
}
