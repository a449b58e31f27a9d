#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace tallomar {

// Dates as parameter values: written in the short form of the Simplified
// Chinese systems the packages come from ("2026/12/8"); read from that form,
// from "yyyy-M-d", "yyyy.M.d" and "yyyy年M月d日" (a time of day after a blank
// is ignored) and from the short and long forms of this system's locale.
QString dateText(const QDate& date);
std::optional<QDate> dateFromText(const QString& text);

}  // namespace tallomar
