#include "platform/odbc/odbc.h"

#include "platform/odbc/connection_string.h"
#include "platform/odbc/diagnostics.h"
#include "platform/odbc/private_data_source.h"
#include "platform/text/sql_quoting.h"

#include <cstdint>
#include <vector>

namespace tallomar::odbc {

using namespace detail;

namespace {

// Characters each column's value buffer holds before it first grows.
constexpr std::size_t kFirstValueCapacity = 256;

QStringView wideView(const SQLWCHAR* text, qsizetype length) {
    return QStringView(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace

Error::Error(const QString& message, QString sqlState, int nativeError, bool connectionLost)
    : tallomar::Error(message),
      sqlState_(std::move(sqlState)),
      nativeError_(nativeError),
      connectionLost_(connectionLost) {}

// ---------------------------------------------------------------- Connection

struct Connection::Handles {
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;

    ~Handles() {
        if (connected) SQLDisconnect(connection);
        if (connection != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, connection);
    }
};

Connection::Connection() : handles_(std::make_unique<Handles>()) {}
Connection::~Connection() = default;

std::unique_ptr<Connection> Connection::connectBy(int loginTimeoutSeconds, const std::function<short(void*)>& connect) {
    std::unique_ptr<Connection> result(new Connection);
    Handles& handles = *result->handles_;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &handles.connection)))
        throw Error(QStringLiteral("ODBC: the driver manager cannot make a connection handle"));
    // Without a login timeout an unreachable server blocks the caller for minutes.
    SQLSetConnectAttr(handles.connection, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(std::intptr_t(loginTimeoutSeconds)), 0);
    if (!SQL_SUCCEEDED(connect(handles.connection))) {
        const Error error =
            errorFrom(readDiagnostics(SQL_HANDLE_DBC, handles.connection), QStringLiteral("connect"), false);
        throw Error(withCertificateRemedy(error.message(), error.sqlState()), error.sqlState(), error.nativeError(),
                    error.connectionLost());
    }
    handles.connected = true;
    return result;
}

std::unique_ptr<Connection> Connection::open(const QString& connectionString, int loginTimeoutSeconds) {
    return connectBy(loginTimeoutSeconds, [&](void* connection) {
        return SQLDriverConnectW(static_cast<SQLHDBC>(connection), nullptr, wide(connectionString),
                                 SQLSMALLINT(connectionString.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    });
}

std::unique_ptr<Connection> Connection::open(const ServerLogin& login, int loginTimeoutSeconds) {
    const ConnectionPlan plan = planConnection(login, installedDriver());
    std::unique_ptr<Connection> connection;
    if (plan.connectionString.isEmpty()) {
        // User and password as SQLConnect's own arguments: no text to misread.
        const PrivateDataSource source(plan.dataSourceLines);
        const QString name = source.name();
        connection = connectBy(loginTimeoutSeconds, [&](void* handle) {
            return SQLConnectW(static_cast<SQLHDBC>(handle), wide(name), SQLSMALLINT(name.size()), wide(login.user),
                               SQLSMALLINT(login.user.size()), wide(login.password),
                               SQLSMALLINT(login.password.size()));
        });
    } else {
        connection = open(plan.connectionString, loginTimeoutSeconds);
    }
    if (!plan.databaseAfterLogin.isEmpty()) {
        Statement use(*connection);
        use.execute(QStringLiteral("USE ") + sqlName(plan.databaseAfterLogin));
        use.discardResults();
    }
    return connection;
}

bool Connection::isDead() const {
    return !handles_->connected || connectionDead(handles_->connection);
}

void Connection::disconnect() {
    if (!handles_->connected) return;
    SQLDisconnect(handles_->connection);
    handles_->connected = false;
}

void* Connection::handle() const {
    return handles_->connection;
}

// ----------------------------------------------------------------- Statement

struct Statement::Handles {
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    // Results of the last batch may still be waiting on the connection.
    bool pending = false;
    int columns = 0;
    QStringList names;
    qint64 rowCount = -1;
    // One buffer per column of the current result, so that every value of
    // the fetched row stays readable until the next fetch; each grows to the
    // longest value its column has held.
    std::vector<std::vector<SQLWCHAR>> values;
    QStringList messages;

    ~Handles() {
        if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }

    // Keeps the informational messages of a call that succeeded with info.
    void keepMessages() {
        const Diagnostics diagnostics = readDiagnostics(SQL_HANDLE_STMT, statement);
        messages << diagnostics.messages << diagnostics.errors;
    }

    // Turns the diagnostics of a failed call into an Error, keeping the
    // informational messages that came with it.
    Error failure(const QString& what) {
        const Diagnostics diagnostics = readDiagnostics(SQL_HANDLE_STMT, statement);
        messages << diagnostics.messages;
        return errorFrom(diagnostics, what, connectionDead(connection));
    }

    // Drops what is left of the previous batch. Closing the cursor discards
    // unread rows; after a timeout FreeTDS still holds the cancelled request
    // until "no more results" has been read, and refuses the next batch
    // until then.
    void abandonResults() {
        SQLFreeStmt(statement, SQL_CLOSE);
        for (SQLRETURN rc = SQLMoreResults(statement); rc != SQL_NO_DATA && rc != SQL_INVALID_HANDLE;
             rc = SQLMoreResults(statement)) {
            if (rc == SQL_ERROR && connectionDead(connection)) break;
        }
        readDiagnostics(SQL_HANDLE_STMT, statement);
        pending = false;
    }

    void forgetResult() {
        columns = 0;
        names.clear();
        values.clear();
        rowCount = -1;
    }

    void describeResult() {
        SQLSMALLINT count = 0;
        SQLNumResultCols(statement, &count);
        columns = count;
        names.clear();
        for (SQLUSMALLINT column = 1; column <= count; ++column) {
            SQLWCHAR name[512];
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(statement, column, name, SQLSMALLINT(std::size(name)), &length, &type, &size, &digits,
                            &nullable);
            names << fromWide(name, qMin<qsizetype>(length, qsizetype(std::size(name)) - 1));
        }
        values.assign(std::size_t(count), std::vector<SQLWCHAR>(kFirstValueCapacity));
        SQLLEN rows = -1;
        if (count == 0) SQLRowCount(statement, &rows);
        rowCount = rows;
    }

    // Handles the return code of a call that positions on a result: true when
    // there is one, false when the batch has no more; throws on an error
    // result, after which later results may still follow.
    bool positioned(SQLRETURN rc, const QString& what) {
        forgetResult();
        if (rc == SQL_NO_DATA) return false;
        if (rc == SQL_ERROR) {
            Error error = failure(what);
            pending = !error.connectionLost();
            throw error;
        }
        if (rc == SQL_SUCCESS_WITH_INFO) keepMessages();
        describeResult();
        return true;
    }
};

Statement::Statement(Connection& connection) : handles_(std::make_unique<Handles>()) {
    handles_->connection = static_cast<SQLHDBC>(connection.handle());
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handles_->connection, &handles_->statement)))
        throw errorFrom(readDiagnostics(SQL_HANDLE_DBC, handles_->connection), QStringLiteral("new statement"),
                        connectionDead(handles_->connection));
}

Statement::~Statement() = default;

void Statement::setQueryTimeout(int seconds) {
    SQLSetStmtAttr(handles_->statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(std::intptr_t(seconds)),
                   0);
}

void Statement::execute(const QString& sql) {
    Handles& h = *handles_;
    // A cancel stops the whole run: a batch sent after it would undo the
    // operator's decision, even when the cancel arrived between two batches.
    if (cancelled_)
        throw Error(QStringLiteral("ODBC: the batch was not sent, the run was cancelled"), QStringLiteral("HY008"));
    if (h.pending) h.abandonResults();
    h.pending = true;
    const SQLRETURN rc = SQLExecDirectW(h.statement, wide(sql), SQLINTEGER(sql.size()));
    // A batch answered by a bare DONE gives "no data": that is success, and
    // later results of the batch are still read by nextResult.
    h.positioned(rc, QStringLiteral("execute"));
}

bool Statement::nextResult() {
    Handles& h = *handles_;
    if (!h.pending) return false;
    if (!h.positioned(SQLMoreResults(h.statement), QStringLiteral("next result"))) {
        h.pending = false;
        return false;
    }
    return true;
}

void Statement::discardResults() {
    std::optional<Error> first;
    for (;;) {
        try {
            if (!nextResult()) break;
        } catch (const Error& error) {
            if (!first) first = error;
            if (error.connectionLost() || cancelled_) break;
        }
    }
    if (first) throw *first;
}

int Statement::columnCount() const {
    return handles_->columns;
}

QString Statement::columnName(int column) const {
    return handles_->names.value(column);
}

qint64 Statement::rowCount() const {
    return handles_->rowCount;
}

bool Statement::fetch() {
    Handles& h = *handles_;
    if (h.columns == 0) return false;
    const SQLRETURN rc = SQLFetch(h.statement);
    if (rc == SQL_NO_DATA) return false;
    if (rc == SQL_ERROR) throw h.failure(QStringLiteral("fetch"));
    if (rc == SQL_SUCCESS_WITH_INFO) h.keepMessages();
    return true;
}

std::optional<QStringView> Statement::textView(int column) {
    Handles& h = *handles_;
    std::vector<SQLWCHAR>& buffer = h.values.at(std::size_t(column));
    // Values come in pieces of the room left in the buffer; a long value's
    // length is known after the first piece, so the buffer grows once to take
    // the rest behind it.
    qsizetype held = 0;  // characters of the value read so far
    for (;;) {
        const SQLLEN room = SQLLEN((buffer.size() - std::size_t(held)) * sizeof(SQLWCHAR));
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(h.statement, SQLUSMALLINT(column + 1), SQL_C_WCHAR, buffer.data() + held, room, &indicator);
        if (rc == SQL_NO_DATA) {
            if (held == 0) throw Error(QStringLiteral("ODBC: column %1 was already read").arg(column + 1));
            return wideView(buffer.data(), held);
        }
        if (rc == SQL_ERROR) throw h.failure(QStringLiteral("read column %1").arg(column + 1));
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator >= room;
        if (!truncated) return wideView(buffer.data(), held + qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR))));
        // The piece filled the room but for its terminating zero.
        const qsizetype piece = qsizetype(buffer.size()) - held - 1;
        const std::size_t needed = indicator == SQL_NO_TOTAL
                                       ? buffer.size() * 2
                                       : std::size_t(held) + std::size_t(indicator / SQLLEN(sizeof(SQLWCHAR))) + 1;
        held += piece;
        buffer.resize(needed);
    }
}

std::optional<QString> Statement::text(int column) {
    const std::optional<QStringView> value = textView(column);
    if (!value) return std::nullopt;
    return value->toString();
}

void Statement::cancel() {
    cancelled_ = true;
    SQLCancel(handles_->statement);
}

QStringList Statement::takeMessages() {
    return std::exchange(handles_->messages, {});
}

}  // namespace tallomar::odbc
