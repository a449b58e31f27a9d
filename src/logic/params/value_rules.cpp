#include "logic/params/value_rules.h"

#include "logic/params/parameter_types.h"

#include <QRegularExpression>
#include <cmath>

namespace tallomar {

namespace {

// The reader of configuration files hands out at most this many characters.
constexpr qsizetype kReadableLength = 255;

std::optional<QString> numberFault(const QString& typeWord, const QString& value) {
    if (typeWord == kIntegerType) {
        static const QRegularExpression integer(QStringLiteral("^[+-]?\\d+$"));
        if (!integer.match(value).hasMatch()) return QStringLiteral("不是整数");
        bool fits = false;
        value.toInt(&fits);
        if (!fits) return QStringLiteral("超出整数的范围 -2147483648 到 2147483647");
    } else if (typeWord == kRealType) {
        static const QRegularExpression real(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
        if (!real.match(value).hasMatch()) return QStringLiteral("不是实数");
        bool fits = false;
        if (!std::isfinite(value.toDouble(&fits)) || !fits) return QStringLiteral("超出实数的范围");
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> valueFault(const QString& typeWord, const QString& value) {
    if (value.isEmpty()) return std::nullopt;
    if (auto fault = numberFault(typeWord, value)) return fault;
    if (value.contains(QStringLiteral("//"))) return QStringLiteral("含有“//”，配置文件会把从这里起的内容当作注释");
    if (value.size() > kReadableLength)
        return QStringLiteral("超过 %1 个字符，配置文件只能读回前 %1 个").arg(kReadableLength);
    return std::nullopt;
}

DateRange dateRange(const QString& typeWord) {
    if (typeWord == kShortDateType) return {QDate(1900, 1, 1), QDate(2079, 6, 6)};
    return {QDate(1753, 1, 1), QDate(9999, 12, 31)};
}

}  // namespace tallomar
