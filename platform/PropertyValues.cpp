// SPDX-License-Identifier: MIT
#include "platform/PropertyValues.h"

#include <QLocale>

#include <cmath>
#include <limits>

bool IsNumber(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

namespace {

QString NumberText(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    default:
        return QString::number(value.toLongLong());
    }
}

} // namespace

qint64 LeadingInteger(const QString &text) {
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') ||
                     text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const int digit = text[i].unicode() - '0';
        if (!negative && value > (kMax - digit) / 10)
            return kMax;
        if (negative && value < (kMin + digit) / 10)
            return kMin;
        value = negative ? value * 10 - digit : value * 10 + digit;
    }
    return value;
}

qint64 IntegerValue(const QVariant &value) {
    if (value.typeId() == QMetaType::QString)
        return LeadingInteger(value.toString());
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        if (std::isnan(d))
            return 0;
        if (d >= 9.2233720368547758e18)
            return std::numeric_limits<qint64>::max();
        if (d <= -9.2233720368547758e18)
            return std::numeric_limits<qint64>::min();
        return static_cast<qint64>(d);
    }
    if (IsNumber(value))
        return value.toLongLong();
    return 0;
}

QString TextValue(const QVariant &value) {
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (IsNumber(value))
        return NumberText(value);
    return {};
}
