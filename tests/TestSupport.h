#pragma once

// Helpers of the toolkit and settings tests: whole files, an environment
// variable set for one test, readable Qt texts in failure messages.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <ostream>

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

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << (text.isNull() ? "(null)" : '"' + text.toStdString() + '"');
}

inline void PrintTo(const QStringList &list, std::ostream *out) {
    *out << '[' << list.join('|').toStdString() << ']';
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
