#include "sandbox/session.h"

#include "sandbox/login7.h"
#include "sandbox/result_stream.h"
#include "sandbox/sql_batch.h"
#include "sandbox/sqlite_errors.h"
#include "sandbox/sqlite_names.h"
#include "sandbox/tds_protocol.h"
#include "sandbox/tds_tokens.h"
#include "sandbox/tsql_lexer.h"

#include <sqlite3.h>
#include <algorithm>
#include <chrono>
#include <utility>

namespace tallomar::sandbox {
namespace {

class PreparedStatement {
public:
    PreparedStatement(sqlite3* db, const std::string& sql) {
        const char* tail = nullptr;
        code_ = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement_, &tail);
        if (code_ == SQLITE_OK && tail &&
            std::string_view(tail).find_first_not_of(" \t\r\n;") != std::string_view::npos) {
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
    // Closing rolls back an open transaction first, which may hold tempdb.
    closeConnections();
    dropTempTables();
    state_.appLocks.releaseAll(id_);
}

void Session::run() {
    try {
        auto message = channel_.readMessage();
        if (message && message->type == tds::PreLogin) {
            writePreLoginAnswer(channel_);
            message = channel_.readMessage();
        }
        if (!message || message->type != tds::Login7) return;
        if (state_.loginDelay.count() > 0) waitForAttention(state_.loginDelay);
        if (!login(message->payload)) return;
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
                    writeMessage(
                        channel_,
                        {102, 15, 1, "The sandbox server does not understand remote procedure calls; send SQL batches.",
                         1});
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
    // Gone as soon as the session ends, not when the server reaps its
    // thread: the open transaction (rolled back on closing) and the local
    // temporary tables.
    closeConnections();
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
        return refuse(
            request.userName,
            ServerMessage{4060, 11, 1,
                          "Cannot open database \"" + wanted + "\" requested by the login. The login failed.", 1});
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
    failedNumber_ = 0;
    if (!applyFault(text)) return;
    variables_.clear();
    try {
        const TranslationContext context = translationContext();
        std::vector<TsqlStatement> statements;
        try {
            statements = translateBatch(text, context);
        } catch (const TsqlError& error) {
            fail(error.message);
        }
        try {
            runStatements(statements);
        } catch (const BatchAborted&) {
            settleTransaction(xactAbort_ || failedNumber_ == 1205);
            throw;
        } catch (const Cancelled&) {
            settleTransaction(xactAbort_);
            throw;
        }
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
        case Fault::Action::Delay:
            if (!waitForAttention(fault->delay)) return true;
            writeDone(channel_, tds::DoneAttention, 0, 0);
            channel_.endMessage();
            return false;
    }
    return true;
}

bool Session::waitForAttention(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (channel_.attentionArrived(static_cast<int>(std::min<long long>(left.count(), 1000)))) return true;
    }
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
            if (condition(statement))
                runStatement(statement.body[0]);
            else if (statement.body.size() > 1)
                runStatement(statement.body[1]);
            return;
        case TsqlStatement::Kind::Block:
            return runStatements(statement.body);
        case TsqlStatement::Kind::Transaction:
            return transaction(statement);
        case TsqlStatement::Kind::XactAbort:
            xactAbort_ = statement.flag;
            return;
        case TsqlStatement::Kind::WaitFor:
            if (waitForAttention(statement.delay)) {
                attention_ = true;
                throw Cancelled();
            }
            return;
        case TsqlStatement::Kind::NotInTransaction:
            if (tranCount_ > 0) fail(statement.message);
            fail({102, 15, 1, "The sandbox server does not understand " + statement.name + ".", statement.line});
        case TsqlStatement::Kind::Declare:
            variables_[statement.name] = std::nullopt;
            return;
        case TsqlStatement::Kind::Procedure:
            return procedure(statement);
        case TsqlStatement::Kind::Execute:
            return executeText(statement);
        case TsqlStatement::Kind::SelectVariable:
            return selectVariable(statement);
    }
}

TranslationContext Session::translationContext() const {
    TranslationContext context;
    context.databaseExists = [this](std::string_view name) { return state_.databases.find(name).has_value(); };
    context.sessionId = id_;
    context.inTransaction = tranCount_ > 0;
    return context;
}

// Nesting as on SQL Server: only the outermost BEGIN starts a transaction
// and only the outermost COMMIT commits it; ROLLBACK ends it whatever the
// depth, unless it names a savepoint.
void Session::transaction(const TsqlStatement& statement) {
    using Verb = TsqlStatement::TransactionVerb;
    const auto sameName = [](std::string_view a, std::string_view b) { return upperAscii(a) == upperAscii(b); };
    switch (statement.transaction) {
        case Verb::Begin:
            if (tranCount_ == 0) {
                sqlite3* db = connection();
                execute(db, "BEGIN", statement);
                transactionDb_ = db;
                transactionName_ = statement.name;
            }
            ++tranCount_;
            return;
        case Verb::Commit:
            if (tranCount_ == 0)
                fail({3902, 16, 1, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.",
                      statement.line});
            if (tranCount_ > 1) {
                --tranCount_;
                return;
            }
            execute(transactionDb_, "COMMIT", statement);
            endTransaction();
            return;
        case Verb::Rollback:
            if (tranCount_ == 0)
                fail({3903, 16, 1, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.",
                      statement.line});
            if (!statement.name.empty() && !sameName(statement.name, transactionName_)) {
                const auto savepoint =
                    std::find_if(savepoints_.rbegin(), savepoints_.rend(),
                                 [&](const std::string& name) { return sameName(name, statement.name); });
                if (savepoint == savepoints_.rend())
                    fail(
                        {6401, 16, 1,
                         "Cannot roll back " + statement.name + ". No transaction or savepoint of that name was found.",
                         statement.line});
                execute(transactionDb_, "ROLLBACK TO " + quotedName(*savepoint), statement);
                savepoints_.erase(savepoint.base(), savepoints_.end());
                return;
            }
            rollbackTransaction();
            return;
        case Verb::Save:
            if (tranCount_ == 0)
                fail(
                    {628, 16, 0, "Cannot issue SAVE TRANSACTION when there is no active transaction.", statement.line});
            execute(transactionDb_, "SAVEPOINT " + quotedName(statement.name), statement);
            savepoints_.push_back(statement.name);
            return;
    }
}

void Session::execute(sqlite3* db, const std::string& sql, const TsqlStatement& source) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(serverMessageFor(sqlite3_errmsg(db), source), source.command);
}

void Session::rollbackTransaction() {
    if (transactionDb_ && !sqlite3_get_autocommit(transactionDb_))
        sqlite3_exec(transactionDb_, "ROLLBACK", nullptr, nullptr, nullptr);
    endTransaction();
}

void Session::endTransaction() {
    tranCount_ = 0;
    tempdbLocked_ = false;
    transactionDb_ = nullptr;
    transactionName_.clear();
    savepoints_.clear();
}

void Session::settleTransaction(bool errorEndsTransaction) {
    if (tranCount_ == 0) return;
    if (errorEndsTransaction || sqlite3_get_autocommit(transactionDb_)) rollbackTransaction();
}

void Session::fail(const ServerMessage& message, std::uint16_t command) {
    beginTokens();
    writeMessage(channel_, message);
    done(tds::DoneError, command, 0);
    batchFailed_ = true;
    failedNumber_ = message.number;
    throw BatchAborted();
}

void Session::runSql(const TsqlStatement& statement) {
    sqlite3* db = connectionFor(statement);
    const PreparedStatement prepared(db, bindDatabases(statement.sql, database_));
    if (!prepared.ok()) {
        if (!prepared.extra().empty())
            fail({102, 15, 1, "Incorrect syntax near '" + prepared.extra().substr(0, 30) + "'.", statement.line},
                 statement.command);
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
    if ((code == SQLITE_INTERRUPT || code == SQLITE_BUSY) && attention_) throw Cancelled();
    fail(serverMessageFor(sqlite3_errmsg(sqlite3_db_handle(statement)), source), source.command);
}

std::optional<std::string> Session::singleValue(const TsqlStatement& statement) {
    sqlite3* db = connectionFor(statement);
    const PreparedStatement prepared(db, bindDatabases(statement.sql, database_));
    if (!prepared.ok()) fail(serverMessageFor(sqlite3_errmsg(db), statement));
    if (step(prepared.get(), statement) != SQLITE_ROW || sqlite3_column_type(prepared.get(), 0) == SQLITE_NULL)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(prepared.get(), 0)));
}

bool Session::condition(const TsqlStatement& statement) {
    return singleValue(statement).value_or("0") == "1";
}

void Session::print(const TsqlStatement& statement) {
    const auto text = singleValue(statement);
    beginTokens();
    writeMessage(channel_, {0, 0, 1, text.value_or(""), statement.line});
}

void Session::use(const TsqlStatement& statement) {
    const auto database = state_.databases.find(statement.database);
    if (!database)
        fail({911, 16, 1,
              "Database '" + statement.database + "' does not exist. Make sure that the name is entered correctly.",
              statement.line});
    // Unqualified names mean the current database, which is the main one of
    // the SQLite connection the transaction is bound to.
    if (tranCount_ > 0 && upperAscii(*database) != upperAscii(database_))
        fail({50000, 16, 1,
              "The sandbox server does not change the database inside a transaction; use '" + *database +
                  "' before BEGIN TRANSACTION, or name its tables as " + *database + "..table.",
              statement.line});
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
    if (pendingDone_)
        writeDone(channel_, pendingDone_->status, pendingDone_->command, pendingDone_->rows);
    else
        writeDone(channel_, batchFailed_ ? tds::DoneError : tds::DoneFinal, 0, 0);
    pendingDone_.reset();
    channel_.endMessage();
}

}  // namespace tallomar::sandbox
