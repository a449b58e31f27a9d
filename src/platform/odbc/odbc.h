#pragma once

#include "platform/error.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The one place the program talks to a database server: a small RAII layer
// over unixODBC's wide-character functions.
namespace tallomar::odbc {

// A failure reported by the driver manager, the driver or the server. The
// message is the diagnostic text as the driver gives it, records joined by
// line breaks, e.g. "[FreeTDS][SQL Server]Invalid object name 'x'."
class Error : public tallomar::Error {
public:
    Error(const QString& message, QString sqlState = {}, int nativeError = 0, bool connectionLost = false);
    QString sqlState() const { return sqlState_; }
    int nativeError() const { return nativeError_; }
    bool connectionLost() const { return connectionLost_; }

private:
    QString sqlState_;
    int nativeError_;
    bool connectionLost_;
};

// Where and as whom a connection logs in, each value exactly as the operator
// gave it; Connection::open decides how the installed driver gets them
// (see connection_string.h), so that no value can change another.
struct ServerLogin {
    // "host", "host,port" or "host\INSTANCE"; "(local)", "." and
    // "localhost" mean this machine.
    QString server;
    QString database;  // empty: the login's default database
    QString user;
    QString password;
};

class Connection {
public:
    // Connects with a driver connection string and a login timeout; throws
    // Error with the driver's diagnostics.
    static std::unique_ptr<Connection> open(const QString& connectionString, int loginTimeoutSeconds = 15);
    // Logs in through the installed driver (a driver registered as "SQL
    // Server", else Microsoft's ODBC Driver 18/17 for SQL Server, else
    // FreeTDS speaking TDS 7.4) and makes `login.database` the current one.
    static std::unique_ptr<Connection> open(const ServerLogin& login, int loginTimeoutSeconds = 15);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // True when the driver reports the connection lost, or after disconnect().
    bool isDead() const;
    // Ends the session on the server now, which rolls back any transaction
    // it holds: for when a rollback itself failed and nothing else can be
    // trusted to undo it. Statements on the connection fail afterwards.
    void disconnect();
    // The ODBC connection handle (SQLHDBC), for the statement class.
    void* handle() const;

private:
    Connection();
    // A new connection handle (an SQLHDBC) with the login timeout set,
    // logged in by `connect`, which returns the SQLRETURN of its call.
    static std::unique_ptr<Connection> connectBy(int loginTimeoutSeconds, const std::function<short(void*)>& connect);
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

// One statement on a connection. A batch may answer with several results
// (result sets, row counts, errors): they are read one by one, rows fetched
// as a stream, never collected by this layer. A connection serves one
// statement with unread results at a time: read a batch to its end (or
// destroy its statement) before another statement uses the connection.
class Statement {
public:
    explicit Statement(Connection& connection);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Seconds the driver waits for the server per request; 0 waits forever.
    void setQueryTimeout(int seconds);

    // Sends a batch and positions on its first result; throws Error when that
    // result is an error (a timeout and a cancel are errors too). Unread
    // results of the previous batch are dropped first. After cancel() the
    // statement sends nothing more.
    void execute(const QString& sql);
    // Moves to the next result of the batch; false when none is left. Throws
    // Error when that result is an error (later results may still follow).
    bool nextResult();
    // Reads all remaining results without looking at rows; throws the first
    // error met, after reading to the end.
    void discardResults();

    // The current result: its columns (0 for a row count), its row count
    // (-1 when unknown), its rows.
    int columnCount() const;
    QString columnName(int column) const;
    qint64 rowCount() const;
    // Moves to the next row of the current result set; false at its end.
    bool fetch();
    // The fetched row's value as text; empty optional for NULL. Read the
    // columns of a row in ascending order, each once.
    std::optional<QString> text(int column);
    // The same without a copy: the view stays valid until the next fetch, so
    // a whole row can be read before its values are used.
    std::optional<QStringView> textView(int column);

    // Asks the server to stop the running batch; callable from any thread.
    void cancel();
    bool cancelled() const { return cancelled_; }

    // Informational messages (PRINT, low-severity RAISERROR) received since
    // the last call.
    QStringList takeMessages();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace tallomar::odbc
