// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <type_traits>

// The platform's format syntax, for formats that translators write:
//   %@  a text, or any value's description; an absent value prints (null)
//   %s  a zero-terminated UTF-8 byte string (a QByteArray here)
//   %d %i %u %x %X %o %c and their length modifiers: integers
//   %f %e %g (and capitals): reals
//   %%  a percent sign
//   %2$@  positional arguments, counted from 1
// Flags, width and precision are honoured. A conversion without a matching
// argument prints as an absent value, and an argument of another kind is shown
// by its own description, so no format can crash or read past its arguments.
QString FormatString(const QString &format, const QVariantList &args);

// One argument as the formatter takes it: texts stay texts (a null QString is
// an absent object), C strings become byte strings for "%s", integers qint64.
inline QVariant FormatArg(const QString &text) {
    return QVariant(text);
}
inline QVariant FormatArg(const char *bytes) {
    return bytes ? QVariant(QByteArray(bytes)) : QVariant();
}
inline QVariant FormatArg(const QByteArray &bytes) {
    return QVariant(bytes);
}
inline QVariant FormatArg(const QVariant &value) {
    return value;
}
inline QVariant FormatArg(std::nullptr_t) {
    return QVariant();
}
inline QVariant FormatArg(bool value) {
    return QVariant(value);
}
template <typename T>
requires std::is_integral_v<T> &&(!std::is_same_v<T, bool>)inline QVariant FormatArg(T value) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(qint64))
        return QVariant(static_cast<qulonglong>(value));
    else
        return QVariant(static_cast<qlonglong>(value));
}
inline QVariant FormatArg(double value) {
    return QVariant(value);
}

template <typename... Args> QVariantList FormatArgs(const Args &...args) {
    return QVariantList{FormatArg(args)...};
}

template <typename... Args> QString Format(const QString &format, const Args &...args) {
    return FormatString(format, FormatArgs(args...));
}
