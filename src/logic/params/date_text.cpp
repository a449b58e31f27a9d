#include "logic/params/date_text.h"

#include <QLocale>
#include <QStringList>

namespace tallomar {

namespace {

const QString kShortDate = QStringLiteral("yyyy/M/d");

}  // namespace

QString dateText(const QDate& date) {
    return date.toString(kShortDate);
}

std::optional<QDate> dateFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    const QString datePart = trimmed.section(QLatin1Char(' '), 0, 0);
    static const QStringList formats{kShortDate, QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy.M.d"),
                                     QStringLiteral("yyyy年M月d日")};
    for (const QString& format : formats) {
        const QDate date = QDate::fromString(datePart, format);
        if (date.isValid()) return date;
    }
    for (const auto form : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDate date = QLocale::system().toDate(trimmed, form);
        if (date.isValid()) return date;
    }
    return std::nullopt;
}

}  // namespace tallomar
