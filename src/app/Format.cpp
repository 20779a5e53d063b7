#include "app/Format.h"

#include "core/Paths.h"

#include <cmath>
#include <cstdlib>

namespace Varnoll {

QString formatBytes(std::int64_t bytes)
{
    if (bytes == 0)
        return QStringLiteral("零 KB");
    const bool negative = bytes < 0;
    const double value = std::fabs(double(bytes));
    QString text;
    if (value < 1000) {
        text = QString::number(std::llabs(bytes)) + QStringLiteral(" 字节");
    } else {
        static const char *const units[] = { "KB", "MB", "GB", "TB", "PB", "EB" };
        static const int decimals[] = { 0, 1, 2, 2, 2, 2 };
        int unit = 0;
        double scaled = value / 1000.0;
        while (unit < 5) {
            // Move up when rounding at this unit's precision would reach 1000.
            const double factor = std::pow(10.0, decimals[unit]);
            if (std::round(scaled * factor) / factor < 1000.0)
                break;
            scaled /= 1000.0;
            ++unit;
        }
        QString number = QString::number(scaled, 'f', decimals[unit]);
        if (number.contains(u'.')) {
            while (number.endsWith(u'0'))
                number.chop(1);
            if (number.endsWith(u'.'))
                number.chop(1);
        }
        text = number + u' ' + QLatin1String(units[unit]);
    }
    return negative ? u'-' + text : text;
}

QString sizeText(std::int64_t bytes, bool complete)
{
    if (complete)
        return formatBytes(bytes);
    if (bytes >= 1)
        return QStringLiteral("≥ ") + formatBytes(bytes);
    return QStringLiteral("待统计");
}

QString abbreviateHome(const QString &path, const QString &home)
{
    return Morvane::homeShortened(path, home, Morvane::wholePath);
}

QLocale interfaceLocale()
{
    return QLocale(QLocale::Chinese, QLocale::China);
}

QString coverageWord(std::optional<std::uint8_t> state)
{
    if (!state)
        return QStringLiteral("未扫描");
    switch (*state) {
    case 0:
        return QStringLiteral("已完成");
    case 1:
        return QStringLiteral("部分扫描");
    case 2:
        return QStringLiteral("未扫描");
    case 3:
        return QStringLiteral("已跳过");
    case 4:
        return QStringLiteral("无法读取");
    default:
        return QStringLiteral("目录不存在");
    }
}

} // namespace Varnoll
