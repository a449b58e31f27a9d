// A session's SQLite connections: one per current database, each with the
// databases its statements name attached, and how they wait for locks and
// answer ATTENTION.
#include "sandbox/session.h"

#include "sandbox/result_stream.h"
#include "sandbox/sqlite_names.h"
#include "sandbox/tsql_lexer.h"

#include <sqlite3.h>
#include <algorithm>

namespace tallomar::sandbox {

namespace {

// Statements that SQLite may need a while for are asked every this many
// virtual-machine steps whether the client sent ATTENTION.
constexpr int ProgressInterval = 100000;

}  // namespace

bool Session::attentionPending() {
    if (!attention_ && channel_.attentionArrived(0)) attention_ = true;
    return attention_;
}

int Session::onBusy(void* session, int) {
    auto* self = static_cast<Session*>(session);
    try {
        if (!self->attention_ && self->channel_.attentionArrived(20)) self->attention_ = true;
    } catch (const ConnectionClosed&) {
        self->attention_ = true;
    }
    return self->attention_ ? 0 : 1;
}

void Session::tranCountFunction(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_int(context, static_cast<Session*>(sqlite3_user_data(context))->tranCount_);
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
    if (transactionDb_) return transactionDb_;
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
    sqlite3_busy_handler(db, &Session::onBusy, this);
    sqlite3_create_function(db, "tsql_trancount", 0, SQLITE_UTF8, this, &Session::tranCountFunction, nullptr, nullptr);
    connections_.emplace(key, db);
    return db;
}

// SQLite attaches only so many databases to one connection: the ones a
// statement names are attached as it comes, the least recently used one
// making room outside a transaction.
sqlite3* Session::connectionFor(const TsqlStatement& statement) {
    sqlite3* db = connection();
    auto& attached = attached_[db];
    std::vector<std::string> needed;
    for (const auto& written : referencedDatabases(statement.sql)) {
        const auto name = state_.databases.find(written);
        if (name && upperAscii(*name) != upperAscii(database_)) needed.push_back(*name);
    }
    const auto isNeeded = [&needed](const std::string& key) {
        return std::any_of(needed.begin(), needed.end(),
                           [&](const std::string& name) { return upperAscii(name) == key; });
    };
    for (const auto& name : needed) {
        const std::string key = upperAscii(name);
        if (const auto at = std::find(attached.begin(), attached.end(), key); at != attached.end()) {
            attached.erase(at);
            attached.push_back(key);
            continue;
        }
        if (attached.size() >= DatabaseFolder::attachLimit()) {
            const auto spare = std::find_if_not(attached.begin(), attached.end(), isNeeded);
            if (tranCount_ > 0 || spare == attached.end())
                fail({50000, 16, 1,
                      "The sandbox server reaches at most " + std::to_string(DatabaseFolder::attachLimit()) +
                          " other databases from one " + (tranCount_ > 0 ? "transaction" : "statement") + "; '" + name +
                          "' is one too many.",
                      statement.line},
                     statement.command);
            sqlite3_exec(db, ("DETACH DATABASE " + quotedName(*spare)).c_str(), nullptr, nullptr, nullptr);
            attached.erase(spare);
        }
        try {
            state_.databases.attach(db, name);
        } catch (const std::exception& error) {
            fail({50000, 16, 1, std::string("The sandbox server could not open the database: ") + error.what(),
                  statement.line},
                 statement.command);
        }
        attached.push_back(key);
    }
    lockTempdb(db, needed);
    return db;
}

void Session::lockTempdb(sqlite3* db, const std::vector<std::string>& databases) {
    if (tranCount_ == 0 || tempdbLocked_) return;
    const auto isTempdb = [](const std::string& name) { return upperAscii(name) == "TEMPDB"; };
    const auto attachedTempdb = std::find_if(databases.begin(), databases.end(), isTempdb);
    if (!isTempdb(database_) && attachedTempdb == databases.end()) return;
    const std::string schema = isTempdb(database_) ? "main" : quotedName(*attachedTempdb);
    // Writing the header's user version (always 0 here) takes the write
    // lock, waiting in onBusy while another session holds it.
    if (sqlite3_exec(db, ("PRAGMA " + schema + ".user_version = 0").c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (attention_) throw Cancelled();
        fail({1205, 13, 51,
              "Transaction was deadlocked on lock resources with another process and has been chosen as the "
              "deadlock victim. Rerun the transaction.",
              1});
    }
    tempdbLocked_ = true;
}

void Session::closeConnections() {
    rollbackTransaction();
    for (auto& [name, db] : connections_) sqlite3_close_v2(db);
    connections_.clear();
    attached_.clear();
}

// Local temporary tables end with the session that made them.
void Session::dropTempTables() {
    try {
        sqlite3* db = state_.databases.open("tempdb");
        const std::string suffix = tempTableName("#", id_).substr(116);
        std::vector<std::string> names;
        sqlite3_stmt* list = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE '#%'", -1, &list,
                               nullptr) == SQLITE_OK) {
            while (sqlite3_step(list) == SQLITE_ROW) {
                const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
                if (name.size() == 128 && name.substr(116) == suffix && name.substr(0, 2) != "##")
                    names.push_back(name);
            }
        }
        sqlite3_finalize(list);
        for (const auto& name : names)
            sqlite3_exec(db, ("DROP TABLE " + quotedName(name)).c_str(), nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    } catch (const std::exception&) {
        // The data folder goes away with the server anyway.
    }
}

}  // namespace tallomar::sandbox
