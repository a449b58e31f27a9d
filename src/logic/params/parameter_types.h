#pragma once

#include <QString>

namespace tallomar {

// The display words of the parameter types.
inline const QString kIntegerType = QStringLiteral("整数");
inline const QString kRealType = QStringLiteral("实数");
inline const QString kCharacterType = QStringLiteral("字符");
inline const QString kShortDateType = QStringLiteral("短日期");
inline const QString kLongDateType = QStringLiteral("长日期");

// The display word of a type code or word of a configuration file, in any
// letter case: "1", "int", "long" give 整数; "5", "float", "double" 实数;
// "2", "char", "valchar" 字符; "3", "smalldatetime" 短日期; "datetime" 长日期.
// Anything else gives "".
QString GetTypeName(const QString& type);

// True for the two date types (their display words hold "日期").
bool isDateType(const QString& displayWord);

}  // namespace tallomar
