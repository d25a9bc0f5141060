// SPDX-License-Identifier: MIT
#include "platform/Format.h"

#include "platform/PropertyValues.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

// A translator's "%99999999d" must not cost gigabytes.
constexpr int kMaxWidth = 4096;

struct Directive {
    QString flags;
    int width = -1;
    int precision = -1;
    QString length;
    QChar conversion;
};

QString Describe(const QVariant &value);

QString DescribeList(const QVariantList &list) {
    QStringList parts;
    for (const QVariant &item : list)
        parts << Describe(item);
    return QLatin1Char('(') + parts.join(QLatin1String(", ")) + QLatin1Char(')');
}

// The text that "%@" shows for a value.
QString Describe(const QVariant &value) {
    if (!value.isValid())
        return QStringLiteral("(null)");
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isNull() ? QStringLiteral("(null)") : text;
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::QVariantList:
        return DescribeList(value.toList());
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QStringList parts;
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            parts << it.key() + QLatin1String(" = ") + Describe(it.value());
        return QLatin1Char('{') + parts.join(QLatin1String("; ")) + QLatin1Char('}');
    }
    default:
        if (IsNumber(value))
            return TextValue(value);
        return value.toString();
    }
}

QString Pad(QString text, const Directive &directive) {
    if (directive.width > text.size()) {
        const QString fill(directive.width - text.size(), QLatin1Char(' '));
        text = directive.flags.contains(QLatin1Char('-')) ? text + fill : fill + text;
    }
    return text;
}

QString FormatText(const QString &text, const Directive &directive) {
    return Pad(directive.precision >= 0 ? text.left(directive.precision) : text, directive);
}

// A text where a number belongs is shown as the text, not as garbage, in the
// width and on the side that the conversion asked for.
QString TextInPlaceOfNumber(const QVariant &arg, const Directive &directive) {
    const QString side =
        directive.flags.contains(QLatin1Char('-')) ? QStringLiteral("-") : QString();
    return FormatText(Describe(arg), Directive{side, directive.width, -1, QString(), QChar()});
}

QString CFormat(const Directive &directive, const char *length, QChar conversion) {
    QString c = QLatin1Char('%') + directive.flags;
    if (directive.width >= 0)
        c += QString::number(directive.width);
    if (directive.precision >= 0)
        c += QLatin1Char('.') + QString::number(directive.precision);
    return c + QLatin1String(length) + conversion;
}

QString Snprintf(const QString &cformat, auto value) {
    const QByteArray f = cformat.toLatin1();
    char small[128];
    const int n = std::snprintf(small, sizeof small, f.constData(), value);
    if (n < 0)
        return {};
    if (n < int(sizeof small))
        return QString::fromLatin1(small, n);
    QByteArray big(n + 1, '\0');
    std::snprintf(big.data(), big.size(), f.constData(), value);
    return QString::fromLatin1(big.constData(), n);
}

QString FormatInteger(const QVariant &arg, const Directive &directive) {
    if (!IsNumber(arg))
        return TextInPlaceOfNumber(arg, directive);
    const QChar conv = directive.conversion;
    const QString &len = directive.length;
    const bool wide = len == QLatin1String("l") || len == QLatin1String("ll") ||
                      len == QLatin1String("L") || len == QLatin1String("q") ||
                      len == QLatin1String("z") || len == QLatin1String("j") ||
                      len == QLatin1String("t");
    const bool isSigned = conv == QLatin1Char('d') || conv == QLatin1Char('i');
    const qint64 raw = IntegerValue(arg);
    if (isSigned) {
        long long v = raw;
        if (!wide) {
            if (len == QLatin1String("hh"))
                v = static_cast<signed char>(raw);
            else if (len == QLatin1String("h"))
                v = static_cast<short>(raw);
            else
                v = static_cast<int>(raw);
        }
        return Snprintf(CFormat(directive, "ll", QLatin1Char('d')), v);
    }
    unsigned long long v = arg.typeId() == QMetaType::ULongLong
                               ? arg.toULongLong()
                               : static_cast<unsigned long long>(raw);
    if (!wide) {
        if (len == QLatin1String("hh"))
            v = static_cast<unsigned char>(v);
        else if (len == QLatin1String("h"))
            v = static_cast<unsigned short>(v);
        else
            v = static_cast<unsigned int>(v);
    }
    const QChar c = conv == QLatin1Char('U')   ? QLatin1Char('u')
                    : conv == QLatin1Char('O') ? QLatin1Char('o')
                                               : conv;
    return Snprintf(CFormat(directive, "ll", c), v);
}

QString FormatReal(const QVariant &arg, const Directive &directive) {
    if (!IsNumber(arg))
        return TextInPlaceOfNumber(arg, directive);
    return Snprintf(CFormat(directive, "", directive.conversion), arg.toDouble());
}

QString FormatChar(const QVariant &arg, const Directive &directive) {
    if (!IsNumber(arg))
        return FormatText(Describe(arg), directive);
    const qint64 code = IntegerValue(arg);
    if (code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return Pad(QString(), directive);
    const char32_t ch = static_cast<char32_t>(code);
    return Pad(QString::fromUcs4(&ch, 1), directive);
}

// Reads a decimal number at `i`, capped; -1 when there are no digits.
int ReadNumber(const QString &f, qsizetype &i) {
    if (i >= f.size() || !f[i].isDigit() || f[i].unicode() > 127)
        return -1;
    qint64 n = 0;
    while (i < f.size() && f[i].unicode() >= '0' && f[i].unicode() <= '9') {
        n = std::min<qint64>(n * 10 + (f[i].unicode() - '0'), kMaxWidth);
        ++i;
    }
    return int(n);
}

} // namespace

QString FormatString(const QString &format, const QVariantList &args) {
    QString out;
    out.reserve(format.size() + 16);
    const qsizetype n = format.size();
    qsizetype nextArg = 0;
    auto takeArg = [&](qsizetype position) -> QVariant {
        const qsizetype index = position >= 0 ? position : nextArg++;
        return index >= 0 && index < args.size() ? args.at(index) : QVariant();
    };
    // The argument of a "*" width or precision: the next one, or the one a
    // following "N$" names.
    auto takeStarArg = [&](qsizetype &i) -> QVariant {
        qsizetype j = i;
        const int number = ReadNumber(format, j);
        if (number > 0 && j < n && format[j] == QLatin1Char('$')) {
            i = j + 1;
            return takeArg(number - 1);
        }
        return takeArg(-1);
    };

    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = format[i];
        if (ch != QLatin1Char('%')) {
            out += ch;
            continue;
        }
        const qsizetype start = i++;
        Directive directive;
        qsizetype position = -1;

        // "%2$@": an explicit argument number.
        qsizetype j = i;
        const int number = ReadNumber(format, j);
        if (number > 0 && j < n && format[j] == QLatin1Char('$')) {
            position = number - 1;
            i = j + 1;
        }
        while (i < n && QStringLiteral("-+ #0'").contains(format[i])) {
            if (format[i] != QLatin1Char('\'') && !directive.flags.contains(format[i]))
                directive.flags += format[i];
            ++i;
        }
        if (i < n && format[i] == QLatin1Char('*')) {
            ++i;
            const int w =
                int(std::clamp<qint64>(IntegerValue(takeStarArg(i)), -kMaxWidth, kMaxWidth));
            if (w < 0 && !directive.flags.contains(QLatin1Char('-')))
                directive.flags += QLatin1Char('-');
            directive.width = qAbs(w);
        } else {
            directive.width = ReadNumber(format, i);
        }
        if (i < n && format[i] == QLatin1Char('.')) {
            ++i;
            if (i < n && format[i] == QLatin1Char('*')) {
                ++i;
                const qint64 p = IntegerValue(takeStarArg(i));
                directive.precision = p < 0 ? -1 : int(std::min<qint64>(p, kMaxWidth));
            } else {
                directive.precision = qMax(0, ReadNumber(format, i));
            }
        }
        while (i < n && QStringLiteral("hlqLzjt").contains(format[i]) &&
               directive.length.size() < 2)
            directive.length += format[i++];
        if (i >= n) { // a format that ends inside a conversion shows as written
            out += format.mid(start);
            break;
        }
        directive.conversion = format[i];
        switch (directive.conversion.unicode()) {
        case '%':
            out += QLatin1Char('%');
            break;
        case '@':
        case 's':
        case 'S':
            out += FormatText(Describe(takeArg(position)), directive);
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'U':
        case 'x':
        case 'X':
        case 'o':
        case 'O':
            out += FormatInteger(takeArg(position), directive);
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            out += FormatReal(takeArg(position), directive);
            break;
        case 'c':
        case 'C':
            out += FormatChar(takeArg(position), directive);
            break;
        default: // not a conversion: keep the text as the translator wrote it
            out += format.mid(start, i - start + 1);
            break;
        }
    }
    return out;
}
