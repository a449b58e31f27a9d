#pragma once

#include "sandbox/server_state.h"
#include "sandbox/tds_channel.h"
#include "sandbox/tsql_translator.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// One client connection from PRELOGIN to disconnect: login, then batches
// one after another, each answered with its tokens; ATTENTION stops the
// running batch.
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
    void use(const TsqlStatement& statement);
    void print(const TsqlStatement& statement);
    bool condition(const TsqlStatement& statement);
    std::optional<std::string> singleValue(const TsqlStatement& statement);
    [[noreturn]] void fail(const ServerMessage& message, std::uint16_t command = 0);

    sqlite3* connection();
    void closeConnections();
    void dropTempTables();
    int step(sqlite3_stmt* statement, const TsqlStatement& source);
    bool attentionPending();
    static int onProgress(void* session);

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
    std::map<std::string, sqlite3*> connections_;  // by upper-case database name
    std::size_t connectionsFor_ = 0;                 // number of databases they attach
};

}  // namespace tallomar::sandbox
