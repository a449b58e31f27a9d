#include "platform/odbc/diagnostics.h"

#include <vector>

namespace tallomar::odbc::detail {

SQLHENV environment() {
    static const SQLHENV handle = [] {
        SQLHENV env = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            throw Error(QStringLiteral("ODBC: the driver manager cannot make an environment handle"));
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return env;
    }();
    return handle;
}

Diagnostics readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    Diagnostics result;
    std::vector<SQLWCHAR> text(1024);
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc =
            SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            // A longer message than the buffer: ask again with room for all of it.
            text.resize(size_t(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(), SQLSMALLINT(text.size()),
                                &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        const QString sqlState = fromWide(state, 5);
        const QString message = fromWide(text.data(), qMin<qsizetype>(length, qsizetype(text.size()) - 1));
        if (sqlState.startsWith(QLatin1String("01"))) {
            result.messages << message;
        } else {
            if (result.errors.isEmpty()) {
                result.sqlState = sqlState;
                result.nativeError = native;
            }
            result.errors << message;
        }
    }
    return result;
}

bool connectionDead(SQLHDBC connection) {
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) return false;
    return dead == SQL_CD_TRUE;
}

Error errorFrom(const Diagnostics& diagnostics, const QString& what, bool connectionLost) {
    // A failure described only by warnings still shows them rather than nothing.
    const QStringList& records = diagnostics.errors.isEmpty() ? diagnostics.messages : diagnostics.errors;
    const QString message = records.isEmpty() ? QStringLiteral("ODBC: %1 failed without a diagnostic").arg(what)
                                              : records.join(QLatin1Char('\n'));
    return Error(message, diagnostics.sqlState, diagnostics.nativeError,
                 connectionLost || diagnostics.sqlState.startsWith(QLatin1String("08")));
}

}  // namespace tallomar::odbc::detail
