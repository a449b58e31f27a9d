#include "logic/history/history_database.h"

#include "logic/history/history_schema.h"
#include "platform/error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomar::history {

namespace {

// Long enough for another program's findings block to be committed.
constexpr int kBusyTimeoutMs = 10'000;

}  // namespace

QString HistoryDatabase::defaultPath() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/tallomar/history.sqlite");
}

HistoryDatabase::HistoryDatabase(const QString& path) : path_(path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int opened = sqlite3_open_v2(path.toUtf8().constData(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        const QString reason = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(QStringLiteral("%1: cannot open the run history: %2").arg(path, reason));
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    try {
        // Findings are kept as blobs of a few hundred KiB: large pages store
        // one in a few dozen pages where 4 KiB pages took over a hundred, and
        // a recorded check took twice as long. The size only takes on a new
        // file; an existing one keeps its own. WAL lets the window read while
        // a scheduled run writes; NORMAL sync loses at most the last commits
        // on power loss, never the file.
        run("PRAGMA page_size=32768; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        migrate(*this);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

HistoryDatabase::~HistoryDatabase() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(db_);
}

sqlite3_stmt* HistoryDatabase::prepared(const char* sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) {
        sqlite3_reset(found->second);
        sqlite3_clear_bindings(found->second);
        return found->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        fail(QStringLiteral("preparing \"%1\"").arg(QString::fromUtf8(sql)));
    statements_.emplace(sql, statement);
    return statement;
}

void HistoryDatabase::run(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("running \"%1\"").arg(QString::fromUtf8(sql)));
}

bool HistoryDatabase::step(sqlite3_stmt* statement) {
    const int result = sqlite3_step(statement);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    fail(QStringLiteral("running \"%1\"").arg(QString::fromUtf8(sqlite3_sql(statement))));
}

void HistoryDatabase::fail(const QString& what) const {
    throw Error(QStringLiteral("%1: %2: %3").arg(path_, what, QString::fromUtf8(sqlite3_errmsg(db_))));
}

WriteTransaction::WriteTransaction(HistoryDatabase& database) : database_(database) {
    database_.run("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (open_) sqlite3_exec(database_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void WriteTransaction::commit() {
    database_.run("COMMIT");
    open_ = false;
}

}  // namespace tallomar::history
