#pragma once

#include "platform/odbc/odbc.h"

#include <QString>
#include <QStringList>
// Windows' ODBC headers take their basic types from windows.h.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

// Internals of the ODBC layer shared by its source files: the process-wide
// environment handle, text conversion for the wide-character functions and
// the reading of diagnostic records.
namespace tallomar::odbc::detail {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager passes UTF-16 text");

// The one environment handle of the process (ODBC 3 behaviour), made on
// first use and kept until the process ends.
SQLHENV environment();

inline SQLWCHAR* wide(const QString& text) {
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
}

inline QString fromWide(const SQLWCHAR* text, qsizetype length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

// The diagnostic records of a handle after a call, split into errors and
// informational messages (class 01: PRINT, "Changed database context", ...).
struct Diagnostics {
    QStringList errors;
    QStringList messages;
    QString sqlState;  // of the first error record
    int nativeError = 0;
};
Diagnostics readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Whether the driver reports the connection as lost.
bool connectionDead(SQLHDBC connection);

// An Error from the error records of `handle`; `what` names the call when the
// driver gives no record at all.
Error errorFrom(const Diagnostics& diagnostics, const QString& what, bool connectionLost);

}  // namespace tallomar::odbc::detail
