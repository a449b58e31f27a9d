#pragma once

#include "sandbox/server_state.h"
#include "sandbox/tds_channel.h"
#include "sandbox/tsql_translator.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_stmt;
struct sqlite3_value;

// One client connection from PRELOGIN to disconnect: login, then batches
// one after another, each answered with its tokens; ATTENTION stops the
// running batch. A transaction begun in one batch lives on through the next
// ones on the same SQLite connection, which has every database attached, so
// that it takes in tempdb as well; the connection's end rolls it back.
namespace tallomar::sandbox {

class Session {
public:
    Session(int socket, ServerState& state, std::uint64_t id);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Serves the client until it leaves, the connection fails or stop().
    void run();
    // From another thread: ends the session by closing its socket.
    void stop() { channel_.shutdown(); }

private:
    struct Done {
        std::uint16_t status;
        std::uint16_t command;
        std::uint64_t rows;
    };
    // The batch stops at an error, as SQL Server stops a batch at most
    // errors; RAISERROR is a message, not a stop.
    class BatchAborted {};

    bool login(const std::vector<unsigned char>& payload);
    void serveBatch(const std::vector<unsigned char>& payload);
    bool applyFault(const std::string& text);
    void runStatements(const std::vector<TsqlStatement>& statements);
    void runStatement(const TsqlStatement& statement);
    void runSql(const TsqlStatement& statement);
    void transaction(const TsqlStatement& statement);
    void execute(sqlite3* db, const std::string& sql, const TsqlStatement& source);
    void rollbackTransaction();
    void endTransaction();
    // After an error or a cancel: XACT_ABORT ON, a deadlock, or SQLite
    // having rolled back by itself end the whole transaction.
    void settleTransaction(bool errorEndsTransaction);
    // Waits, answering an ATTENTION at once: true when one came.
    bool waitForAttention(std::chrono::milliseconds duration);
    void use(const TsqlStatement& statement);
    TranslationContext translationContext() const;
    void procedure(const TsqlStatement& statement);
    void executeText(const TsqlStatement& statement);
    void selectVariable(const TsqlStatement& statement);
    // Inside a transaction, the first statement that reaches tempdb takes its
    // write lock, waiting while another session writes there: a transaction
    // that only read tempdb first could not wait for it later.
    void lockTempdb(sqlite3* db, const std::vector<std::string>& databases);
    void print(const TsqlStatement& statement);
    bool condition(const TsqlStatement& statement);
    std::optional<std::string> singleValue(const TsqlStatement& statement);
    [[noreturn]] void fail(const ServerMessage& message, std::uint16_t command = 0);

    sqlite3* connection();
    // The connection with every database the statement names attached.
    sqlite3* connectionFor(const TsqlStatement& statement);
    void closeConnections();
    void dropTempTables();
    int step(sqlite3_stmt* statement, const TsqlStatement& source);
    bool attentionPending();
    static int onProgress(void* session);
    // Another session's write transaction holds a lock this one needs:
    // wait for it as long as it takes, as SQL Server waits for a lock, but
    // give up when the client cancels.
    static int onBusy(void* session, int attempts);
    static void tranCountFunction(sqlite3_context* context, int, sqlite3_value**);

    // Token order: a statement's DONE is held back until it is known
    // whether more follows (DONE_MORE) or the batch ends.
    void beginTokens();
    void done(std::uint16_t status, std::uint16_t command, std::uint64_t rows);
    void finishBatch();

    TdsChannel channel_;
    ServerState& state_;
    std::uint64_t id_;
    std::string database_;
    bool noCount_ = false;
    bool attention_ = false;
    std::optional<Done> pendingDone_;
    bool batchFailed_ = false;
    int failedNumber_ = 0;  // of the error that ended the batch
    bool xactAbort_ = false;
    int tranCount_ = 0;                 // @@TRANCOUNT
    sqlite3* transactionDb_ = nullptr;  // the connection the transaction runs on
    std::string transactionName_;
    bool tempdbLocked_ = false;                                  // by the open transaction
    std::map<std::string, std::optional<long long>> variables_;  // of the running batch
    std::vector<std::string> savepoints_;
    std::map<std::string, sqlite3*> connections_;  // by upper-case database name
    // Per connection, the upper-case names of the databases attached to it,
    // the least recently used first.
    std::map<sqlite3*, std::vector<std::string>> attached_;
};

}  // namespace tallomar::sandbox
