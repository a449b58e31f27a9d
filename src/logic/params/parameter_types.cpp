#include "logic/params/parameter_types.h"

#include <QStringList>
#include <array>
#include <utility>

namespace tallomar {

QString GetTypeName(const QString& type) {
    static const std::array<std::pair<QStringList, QString>, 5> words{{
        {{QStringLiteral("1"), QStringLiteral("int"), QStringLiteral("long")}, kIntegerType},
        {{QStringLiteral("5"), QStringLiteral("float"), QStringLiteral("double")}, kRealType},
        {{QStringLiteral("2"), QStringLiteral("char"), QStringLiteral("valchar")}, kCharacterType},
        {{QStringLiteral("3"), QStringLiteral("smalldatetime")}, kShortDateType},
        {{QStringLiteral("datetime")}, kLongDateType},
    }};
    const QString lowered = type.toLower();
    for (const auto& [codes, word] : words)
        if (codes.contains(lowered)) return word;
    return QString();
}

bool isDateType(const QString& displayWord) {
    return displayWord.contains(QStringLiteral("日期"));
}

}  // namespace tallomar
