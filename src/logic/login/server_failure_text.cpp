#include "logic/login/server_failure_text.h"

#include <QRegularExpression>

namespace tallomar {

namespace {

// The program's first line for a common failure; empty for any other.
QString firstLineFor(const odbc::Error& error) {
    const QString state = error.sqlState();
    if (error.nativeError() == 18456 || state == u"28000") return kLoginRefused;
    if (state == u"HYT00" || state == u"HYT01") return kServerTimedOut;
    if (state.startsWith(QLatin1String("08")) || error.connectionLost()) return kServerUnreachable;
    return {};
}

}  // namespace

QString withoutDriverTags(const QString& driverText) {
    static const QRegularExpression tags(
        QStringLiteral(R"(^(?:\[(?:FreeTDS|SQL Server|unixODBC|Driver Manager|Microsoft|ODBC SQL Server Driver|)"
                       R"(ODBC Driver \d+ for SQL Server|SQL Server Native Client [\d.]+)\])+)"),
        QRegularExpression::MultilineOption);
    QString text = driverText;
    text.remove(tags);
    return text;
}

QString driverReason(const Error& error) {
    if (dynamic_cast<const odbc::Error*>(&error)) return withoutDriverTags(error.message());
    return error.message();
}

QString serverFailureText(const odbc::Error& error) {
    const QString first = firstLineFor(error);
    if (first.isEmpty()) return error.message();
    return first + QLatin1Char('\n') + withoutDriverTags(error.message());
}

}  // namespace tallomar
