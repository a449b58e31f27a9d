#pragma once

#include <QDate>
#include <QString>
#include <algorithm>
#include <optional>

namespace tallomar {

// Which values a parameter may be saved with. The key filter lets through
// every character a number is written with, so that a mistyped number
// reaches this check whole instead of being squeezed into another number;
// a value is judged here when its cell is left.

// Why `value` cannot be saved for a parameter of the type `typeWord` (a
// display word of parameter_types.h), or nothing when it can:
// - 整数 values are whole numbers from -2147483648 to 2147483647, with an
//   optional sign; 实数 values decimal numbers with an optional sign,
//   decimal point and exponent ("-1.5", ".5", "2e-3") that a double holds;
// - every value must read back from its configuration file as written: no
//   "//" (the reader takes it as the start of a comment) and at most 255
//   characters (the reader's limit).
// An empty value can always be saved: the done mark tells that it is missing.
std::optional<QString> valueFault(const QString& typeWord, const QString& value);

// The dates a date parameter's column in SQL Server can hold: 短日期
// (smalldatetime) 1900-01-01 to 2079-06-06, 长日期 (datetime) 1753-01-01 to
// 9999-12-31. The date picker offers no other.
struct DateRange {
    QDate first;
    QDate last;
    QDate clamped(const QDate& date) const { return std::clamp(date, first, last); }
};
DateRange dateRange(const QString& typeWord);

}  // namespace tallomar
