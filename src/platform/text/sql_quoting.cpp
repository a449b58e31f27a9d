#include "platform/text/sql_quoting.h"

namespace tallomar {

namespace {

QString quoted(QStringView text, QChar open, QChar close) {
    QString result;
    result.reserve(text.size() + 2);
    result += open;
    for (const QChar c : text) {
        result += c;
        if (c == close) result += close;
    }
    result += close;
    return result;
}

}  // namespace

QString sqlName(QStringView name) {
    return quoted(name, QLatin1Char('['), QLatin1Char(']'));
}

QString sqlText(QStringView text) {
    return quoted(text, QLatin1Char('\''), QLatin1Char('\''));
}

QString sqlUnicodeText(QStringView text) {
    return QLatin1Char('N') + sqlText(text);
}

}  // namespace tallomar
