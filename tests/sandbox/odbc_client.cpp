#include "odbc_client.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <QString>

namespace tallomar::test {
namespace {

std::u16string wide(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}
std::string narrow(const SQLWCHAR* text, std::size_t length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), static_cast<qsizetype>(length)).toStdString();
}

// The diagnostic records of a handle as the driver gives them.
struct DiagnosticRecord {
    std::string sqlState;
    long native = 0;
    std::string message;  // "[FreeTDS][SQL Server]text"
};

std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagnosticRecord> list;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6];
        SQLINTEGER native = 0;
        SQLWCHAR message[2048];
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message, 2048, &length))) break;
        list.push_back({narrow(state, 5), native, narrow(message, static_cast<std::size_t>(length))});
    }
    return list;
}

// The messages one per line, as a client shows them.
std::string joined(const std::vector<DiagnosticRecord>& records) {
    std::string text;
    for (const DiagnosticRecord& record : records) {
        if (!text.empty()) text += "\n";
        text += record.message;
    }
    return text;
}

// Reads the handle's records once: their joined text for the caller, and
// each record, without the driver's prefixes, into `batch`.
std::string collectDiagnostics(SQLSMALLINT type, SQLHANDLE handle, OdbcBatch& batch) {
    const std::vector<DiagnosticRecord> records = readDiagnostics(type, handle);
    for (const DiagnosticRecord& record : records) {
        OdbcDiagnostic diagnostic{record.sqlState, record.native, record.message};
        for (const std::string prefix : {"[FreeTDS]", "[SQL Server]"})
            if (diagnostic.text.rfind(prefix, 0) == 0) diagnostic.text.erase(0, prefix.size());
        batch.diagnostics.push_back(std::move(diagnostic));
    }
    return joined(records);
}

}  // namespace

bool OdbcBatch::failed() const {
    for (const auto& result : results)
        if (!result.error.empty()) return true;
    return false;
}

std::string OdbcBatch::firstError() const {
    for (const auto& result : results)
        if (!result.error.empty()) return result.error;
    return {};
}

OdbcClient::OdbcClient(const std::string& connectionString, int loginTimeoutSeconds) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_);
    SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_);
    SQLSetConnectAttr(connection_, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(loginTimeoutSeconds)), 0);
    auto text = wide(connectionString);
    const SQLRETURN code =
        SQLDriverConnectW(connection_, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()),
                          static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    connected_ = SQL_SUCCEEDED(code);
    if (!connected_) {
        error_ = joined(readDiagnostics(SQL_HANDLE_DBC, connection_));
        return;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement_);
}

OdbcClient::~OdbcClient() {
    if (statement_) SQLFreeHandle(SQL_HANDLE_STMT, statement_);
    if (connected_) SQLDisconnect(connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

void OdbcClient::setQueryTimeout(int seconds) {
    SQLSetStmtAttr(statement_, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
}

void OdbcClient::cancel() {
    SQLCancel(statement_);
}

bool OdbcClient::connectionDead() {
    SQLUINTEGER dead = SQL_CD_FALSE;
    SQLGetConnectAttr(connection_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return dead == SQL_CD_TRUE;
}

OdbcBatch OdbcClient::run(const std::string& sql) {
    OdbcBatch batch;
    auto text = wide(sql);
    SQLRETURN code =
        SQLExecDirectW(statement_, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    while (code != SQL_NO_DATA) {
        OdbcResult result;
        const std::string messages = collectDiagnostics(SQL_HANDLE_STMT, statement_, batch);
        if (!messages.empty()) batch.messages.push_back(messages);
        if (code == SQL_ERROR || code == SQL_INVALID_HANDLE) {
            result.error = messages.empty() ? "error without diagnostics" : messages;
            batch.results.push_back(result);
            if (code == SQL_INVALID_HANDLE) break;
            code = SQLMoreResults(statement_);
            continue;
        }
        SQLSMALLINT columns = 0;
        SQLNumResultCols(statement_, &columns);
        SQLLEN count = -1;
        SQLRowCount(statement_, &count);
        result.rowCount = count;
        for (SQLSMALLINT column = 1; column <= columns; ++column) {
            SQLWCHAR name[256];
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(statement_, column, name, 256, &length, &type, &size, &digits, &nullable);
            result.columns.push_back(narrow(name, static_cast<std::size_t>(length)));
            result.columnTypes.push_back(type);
        }
        if (columns > 0) {
            for (;;) {
                const SQLRETURN fetched = SQLFetch(statement_);
                if (fetched == SQL_NO_DATA) break;
                if (!SQL_SUCCEEDED(fetched)) {
                    result.error = collectDiagnostics(SQL_HANDLE_STMT, statement_, batch);
                    break;
                }
                std::vector<std::optional<std::string>> row;
                for (SQLSMALLINT column = 1; column <= columns; ++column) {
                    std::u16string value;
                    SQLWCHAR buffer[4096];
                    SQLLEN indicator = 0;
                    bool null = false;
                    for (;;) {
                        const SQLRETURN got =
                            SQLGetData(statement_, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
                        if (got == SQL_NO_DATA) break;
                        if (!SQL_SUCCEEDED(got)) break;
                        if (indicator == SQL_NULL_DATA) {
                            null = true;
                            break;
                        }
                        const std::size_t units =
                            indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer)
                                ? sizeof buffer / sizeof(SQLWCHAR) - 1
                                : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
                        value.append(reinterpret_cast<const char16_t*>(buffer), units);
                        if (got == SQL_SUCCESS) break;
                    }
                    row.push_back(null ? std::nullopt
                                       : std::optional<std::string>(QString::fromStdU16String(value).toStdString()));
                }
                result.rows.push_back(std::move(row));
            }
        }
        batch.results.push_back(std::move(result));
        code = SQLMoreResults(statement_);
    }
    SQLFreeStmt(statement_, SQL_CLOSE);
    return batch;
}

long long OdbcClient::countRows(const std::string& sql) {
    auto text = wide(sql);
    SQLRETURN code =
        SQLExecDirectW(statement_, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(code)) return -1;
    long long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(statement_))) ++rows;
    SQLFreeStmt(statement_, SQL_CLOSE);
    return rows;
}

}  // namespace tallomar::test
