// SPDX-License-Identifier: MIT
#include "platform/RectText.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

QString RectToString(const QRect &rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

QRect RectFromString(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("[-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?"));
    std::array<int, 4> values{};
    auto it = number.globalMatch(text);
    for (int &value : values) {
        if (!it.hasNext())
            break;
        const double read = it.next().captured().toDouble();
        // Far beyond any screen, but still room for x + width in an int.
        constexpr double kBound = 1e8;
        value = std::isfinite(read)
                    ? static_cast<int>(std::lround(std::clamp(read, -kBound, kBound)))
                    : 0;
    }
    return QRect(values[0], values[1], values[2], values[3]);
}
