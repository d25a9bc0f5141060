// SPDX-License-Identifier: MIT
#pragma once

// Helpers of the toolkit and settings tests: whole files, an environment
// variable set for one test, file permissions that bind even root, a child
// process as another user, readable Qt texts in failure messages, the
// environment of a real Tavo.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>

#include <functional>
#include <ostream>

#include <grp.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

class ScopedEnv {
public:
    // A null value unsets the variable.
    ScopedEnv(const char *name, const QByteArray &value)
        : mName(name), mHad(qEnvironmentVariableIsSet(name)), mOld(qgetenv(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnv() { mHad ? qputenv(mName, mOld) : qunsetenv(mName); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *mName;
    bool mHad;
    QByteArray mOld;
};

// While it lives, the calling thread obeys file permissions as their owner
// would, even as root (CI runs the tests as root): the capabilities that pass
// over them, or over the rights of a file's owner (to link another user's
// file, say), leave its effective set, and come back at the end. Only this
// thread changes, so nothing else in the process loses or gains a right.
class ObeyFilePermissions {
public:
    ObeyFilePermissions() {
        syscall(SYS_capget, &mHeader, mSaved);
        __user_cap_data_struct lowered[2] = {mSaved[0], mSaved[1]};
        lowered[0].effective &=
            ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
        syscall(SYS_capset, &mHeader, lowered);
    }
    ~ObeyFilePermissions() { syscall(SYS_capset, &mHeader, mSaved); }
    ObeyFilePermissions(const ObeyFilePermissions &) = delete;
    ObeyFilePermissions &operator=(const ObeyFilePermissions &) = delete;

private:
    __user_cap_header_struct mHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct mSaved[2]{};
};

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << (text.isNull() ? "(null)" : '"' + text.toStdString() + '"');
}

inline QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Creates the folders above the file as needed.
inline bool WriteAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// For a real Tavo whose home, settings, log and socket all lie in `home`,
// out of reach of any session manager.
inline QProcessEnvironment TavoEnvironment(const QString &home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        env.insert(name, home);
    env.remove("SESSION_MANAGER");
    return env;
}

// Runs `body` in a child process while this one serves its events; the child
// is a fork of this process, so `body` must not wait on another thread. The
// child's exit status (that `body` answers), -1 when it did not end in time.
inline int InChild(const std::function<int()> &body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 6000)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The same as user nobody; 77 when the child could not become nobody.
inline int AsNobody(const std::function<int()> &body) {
    return InChild([&] {
        return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                       ::setresuid(65534, 65534, 65534) == 0
                   ? body()
                   : 77;
    });
}
