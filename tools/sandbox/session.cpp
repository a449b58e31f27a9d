#include "sandbox/session.h"

#include "sandbox/login7.h"
#include "sandbox/result_stream.h"
#include "sandbox/sql_batch.h"
#include "sandbox/sqlite_errors.h"
#include "sandbox/tds_protocol.h"
#include "sandbox/tds_tokens.h"
#include "sandbox/tsql_lexer.h"

#include <algorithm>
#include <chrono>
#include <sqlite3.h>

namespace tallomar::sandbox {
namespace {

// Statements that SQLite may need a while for are asked every this many
// virtual-machine steps whether the client sent ATTENTION.
constexpr int ProgressInterval = 100000;

class PreparedStatement {
public:
    PreparedStatement(sqlite3* db, const std::string& sql) {
        const char* tail = nullptr;
        code_ = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement_, &tail);
        if (code_ == SQLITE_OK && tail && std::string_view(tail).find_first_not_of(" \t\r\n;") != std::string_view::npos) {
            // One T-SQL statement became more than one SQLite statement:
            // something in it was taken for a statement end.
            code_ = SQLITE_ERROR;
            extra_ = tail;
        }
    }
    ~PreparedStatement() { sqlite3_finalize(statement_); }
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;
    sqlite3_stmt* get() const { return statement_; }
    bool ok() const { return code_ == SQLITE_OK && statement_; }
    const std::string& extra() const { return extra_; }

private:
    sqlite3_stmt* statement_ = nullptr;
    int code_;
    std::string extra_;
};

}  // namespace

Session::Session(int socket, ServerState& state, std::uint64_t id) : channel_(socket), state_(state), id_(id) {}

Session::~Session() {
    dropTempTables();
    closeConnections();
}

void Session::run() {
    try {
        auto message = channel_.readMessage();
        if (message && message->type == tds::PreLogin) {
            writePreLoginAnswer(channel_);
            message = channel_.readMessage();
        }
        if (!message || message->type != tds::Login7 || !login(message->payload)) return;
        while ((message = channel_.readMessage())) {
            switch (message->type) {
            case tds::SqlBatch:
                serveBatch(message->payload);
                break;
            case tds::Attention:
                // The batch it meant had already ended.
                writeDone(channel_, tds::DoneAttention, 0, 0);
                channel_.endMessage();
                break;
            case tds::Rpc:
                writeMessage(channel_, {102, 15, 1, "The sandbox server does not understand remote procedure calls; send SQL batches.", 1});
                writeDone(channel_, tds::DoneError, 0, 0);
                channel_.endMessage();
                break;
            default:
                return;
            }
        }
    } catch (const ConnectionClosed&) {
    } catch (const std::exception&) {
        // A malformed message ends the session, as it does on SQL Server.
    }
    channel_.shutdown();
    // Gone as soon as the session ends, not when the server reaps its thread.
    dropTempTables();
}

bool Session::login(const std::vector<unsigned char>& payload) {
    const LoginRequest request = parseLogin7(payload);
    const auto refuse = [this](const std::string& user, std::optional<ServerMessage> first) {
        if (first) writeMessage(channel_, *first);
        writeMessage(channel_, {18456, 14, 1, "Login failed for user '" + user + "'.", 1});
        writeDone(channel_, tds::DoneError, 0, 0);
        channel_.endMessage();
        return false;
    };
    const auto account = state_.checkLogin(request.userName, request.password);
    if (!account) return refuse(request.userName, std::nullopt);
    const std::string wanted = request.database.empty() ? account->database : request.database;
    const auto database = state_.databases.find(wanted);
    if (!database)
        return refuse(request.userName, ServerMessage{4060, 11, 1,
                                                       "Cannot open database \"" + wanted +
                                                           "\" requested by the login. The login failed.",
                                                       1});
    database_ = *database;
    int packetSize = request.packetSize == 0 ? tds::DefaultPacketSize : static_cast<int>(request.packetSize);
    packetSize = std::clamp(packetSize, tds::MinPacketSize, tds::MaxPacketSize);

    writeDatabaseChange(channel_, database_, "master");
    writeMessage(channel_, {5701, 0, 2, "Changed database context to '" + database_ + "'.", 1});
    writeCollationChange(channel_);
    writeMessage(channel_, {5703, 0, 1, "Changed language setting to us_english.", 1});
    writeLoginAck(channel_);
    writePacketSizeChange(channel_, packetSize, tds::DefaultPacketSize);
    writeDone(channel_, tds::DoneFinal, 0, 0);
    channel_.endMessage();
    channel_.setPacketSize(packetSize);
    return true;
}

void Session::serveBatch(const std::vector<unsigned char>& payload) {
    const std::string text = sqlBatchText(payload);
    state_.recordBatch(text);
    attention_ = false;
    pendingDone_.reset();
    batchFailed_ = false;
    if (!applyFault(text)) return;
    try {
        TranslationContext context;
        context.databaseExists = [this](std::string_view name) { return state_.databases.find(name).has_value(); };
        context.sessionId = id_;
        std::vector<TsqlStatement> statements;
        try {
            statements = translateBatch(text, context);
        } catch (const TsqlError& error) {
            fail(error.message);
        }
        runStatements(statements);
    } catch (const BatchAborted&) {
    } catch (const Cancelled&) {
        // Whatever was written of the batch is discarded by the client up
        // to the DONE that acknowledges its ATTENTION.
        pendingDone_.reset();
        writeDone(channel_, tds::DoneAttention, 0, 0);
        channel_.endMessage();
        return;
    }
    finishBatch();
}

// False when the fault took the batch's place.
bool Session::applyFault(const std::string& text) {
    const auto fault = state_.faults.take(text);
    if (!fault) return true;
    switch (fault->action) {
    case Fault::Action::Drop:
        channel_.shutdown();
        throw ConnectionClosed("connection dropped by an injected fault");
    case Fault::Action::Fail:
        writeMessage(channel_, fault->error);
        writeDone(channel_, tds::DoneError, 0, 0);
        channel_.endMessage();
        return false;
    case Fault::Action::Delay: {
        const auto until = std::chrono::steady_clock::now() + fault->delay;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0) return true;
            if (channel_.attentionArrived(static_cast<int>(std::min<long long>(left.count(), 1000)))) {
                writeDone(channel_, tds::DoneAttention, 0, 0);
                channel_.endMessage();
                return false;
            }
        }
    }
    }
    return true;
}

void Session::runStatements(const std::vector<TsqlStatement>& statements) {
    for (const auto& statement : statements) runStatement(statement);
}

void Session::runStatement(const TsqlStatement& statement) {
    if (attentionPending()) throw Cancelled();
    switch (statement.kind) {
    case TsqlStatement::Kind::Sql:
        return runSql(statement);
    case TsqlStatement::Kind::Use:
        return use(statement);
    case TsqlStatement::Kind::NoCount:
        noCount_ = statement.flag;
        return;
    case TsqlStatement::Kind::Ignored:
        return;
    case TsqlStatement::Kind::Print:
        return print(statement);
    case TsqlStatement::Kind::RaiseError:
        beginTokens();
        writeMessage(channel_, statement.message);
        if (statement.message.severity > 10) done(tds::DoneError, 0, 0);
        return;
    case TsqlStatement::Kind::If:
        if (condition(statement)) runStatement(statement.body[0]);
        else if (statement.body.size() > 1) runStatement(statement.body[1]);
        return;
    case TsqlStatement::Kind::Block:
        return runStatements(statement.body);
    }
}

void Session::fail(const ServerMessage& message, std::uint16_t command) {
    beginTokens();
    writeMessage(channel_, message);
    done(tds::DoneError, command, 0);
    batchFailed_ = true;
    throw BatchAborted();
}

void Session::runSql(const TsqlStatement& statement) {
    sqlite3* db = connection();
    const PreparedStatement prepared(db, bindDatabases(statement.sql, database_));
    if (!prepared.ok()) {
        if (!prepared.extra().empty())
            fail({102, 15, 1, "Incorrect syntax near '" + prepared.extra().substr(0, 30) + "'.", statement.line}, statement.command);
        fail(serverMessageFor(sqlite3_errmsg(db), statement), statement.command);
    }
    const std::uint16_t count = noCount_ ? 0 : tds::DoneCount;
    if (sqlite3_column_count(prepared.get()) > 0) {
        beginTokens();
        std::uint64_t rows = 0;
        try {
            rows = streamResult(
                prepared.get(), channel_, [&] { return step(prepared.get(), statement); },
                [this] { return attentionPending(); });
        } catch (const ValueError& error) {
            ServerMessage message = error.message;
            message.line = statement.line;
            fail(message, statement.command);
        }
        done(count, statement.command, rows);
        return;
    }
    while (step(prepared.get(), statement) == SQLITE_ROW) {
    }
    if (!statement.countSql.empty()) {
        TsqlStatement counting = statement;
        counting.sql = statement.countSql;
        const auto rows = singleValue(counting);
        done(count, statement.command, rows ? std::stoull(*rows) : 0);
    } else if (statement.command == tds::CommandInsert || statement.command == tds::CommandUpdate ||
               statement.command == tds::CommandDelete) {
        done(count, statement.command, static_cast<std::uint64_t>(sqlite3_changes64(db)));
    } else {
        done(tds::DoneFinal, statement.command, 0);
    }
}

// Steps a statement; failures end the batch with SQL Server's message, and
// an interruption by ATTENTION cancels it.
int Session::step(sqlite3_stmt* statement, const TsqlStatement& source) {
    const int code = sqlite3_step(statement);
    if (code == SQLITE_ROW || code == SQLITE_DONE) return code;
    if (code == SQLITE_INTERRUPT && attention_) throw Cancelled();
    fail(serverMessageFor(sqlite3_errmsg(sqlite3_db_handle(statement)), source), source.command);
}

std::optional<std::string> Session::singleValue(const TsqlStatement& statement) {
    sqlite3* db = connection();
    const PreparedStatement prepared(db, bindDatabases(statement.sql, database_));
    if (!prepared.ok()) fail(serverMessageFor(sqlite3_errmsg(db), statement));
    if (step(prepared.get(), statement) != SQLITE_ROW || sqlite3_column_type(prepared.get(), 0) == SQLITE_NULL)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(prepared.get(), 0)));
}

bool Session::condition(const TsqlStatement& statement) { return singleValue(statement).value_or("0") == "1"; }

void Session::print(const TsqlStatement& statement) {
    const auto text = singleValue(statement);
    beginTokens();
    writeMessage(channel_, {0, 0, 1, text.value_or(""), statement.line});
}

void Session::use(const TsqlStatement& statement) {
    const auto database = state_.databases.find(statement.database);
    if (!database)
        fail({911, 16, 1, "Database '" + statement.database + "' does not exist. Make sure that the name is entered correctly.", statement.line});
    beginTokens();
    writeDatabaseChange(channel_, *database, database_);
    writeMessage(channel_, {5701, 0, 1, "Changed database context to '" + *database + "'.", statement.line});
    database_ = *database;
}

void Session::beginTokens() {
    if (!pendingDone_) return;
    writeDone(channel_, pendingDone_->status | tds::DoneMore, pendingDone_->command, pendingDone_->rows);
    pendingDone_.reset();
}

void Session::done(std::uint16_t status, std::uint16_t command, std::uint64_t rows) {
    beginTokens();
    pendingDone_ = Done{status, command, rows};
}

void Session::finishBatch() {
    if (pendingDone_) writeDone(channel_, pendingDone_->status, pendingDone_->command, pendingDone_->rows);
    else writeDone(channel_, batchFailed_ ? tds::DoneError : tds::DoneFinal, 0, 0);
    pendingDone_.reset();
    channel_.endMessage();
}

bool Session::attentionPending() {
    if (!attention_ && channel_.attentionArrived(0)) attention_ = true;
    return attention_;
}

int Session::onProgress(void* session) {
    auto* self = static_cast<Session*>(session);
    try {
        return self->attentionPending() ? 1 : 0;
    } catch (const ConnectionClosed&) {
        // The client is gone: stop the work; the next write ends the session.
        self->attention_ = true;
        return 1;
    }
}

sqlite3* Session::connection() {
    // A database added since the connections were opened must be attached.
    const std::size_t known = state_.databases.names().size();
    if (known != connectionsFor_) {
        closeConnections();
        connectionsFor_ = known;
    }
    const std::string key = upperAscii(database_);
    const auto found = connections_.find(key);
    if (found != connections_.end()) return found->second;
    sqlite3* db = nullptr;
    try {
        db = state_.databases.open(database_);
    } catch (const std::exception& error) {
        fail({50000, 16, 1, std::string("The sandbox server could not open the database: ") + error.what(), 1});
    }
    sqlite3_progress_handler(db, ProgressInterval, &Session::onProgress, this);
    connections_.emplace(key, db);
    return db;
}

void Session::closeConnections() {
    for (auto& [name, db] : connections_) sqlite3_close_v2(db);
    connections_.clear();
}

// Local temporary tables end with the session that made them.
void Session::dropTempTables() {
    try {
        sqlite3* db = state_.databases.open("tempdb");
        const std::string suffix = tempTableName("#", id_).substr(116);
        std::vector<std::string> names;
        sqlite3_stmt* list = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE '#%'", -1, &list, nullptr) == SQLITE_OK) {
            while (sqlite3_step(list) == SQLITE_ROW) {
                const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
                if (name.size() == 128 && name.substr(116) == suffix && name.substr(0, 2) != "##") names.push_back(name);
            }
        }
        sqlite3_finalize(list);
        for (const auto& name : names) {
            std::string quoted = "\"";
            for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            sqlite3_exec(db, ("DROP TABLE " + quoted + "\"").c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_close_v2(db);
    } catch (const std::exception&) {
        // The data folder goes away with the server anyway.
    }
}

}  // namespace tallomar::sandbox
