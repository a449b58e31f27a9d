#include "logic/history/history_database.h"

#include "logic/history/history_schema.h"
#include "platform/error.h"
#include "platform/process/disk_full.h"
#include "platform/text/user_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tallomar::history {

namespace {

// Long enough for another program's findings block to be committed.
constexpr int kBusyTimeoutMs = 10'000;

// A history whose folder cannot be written, and so has no write-ahead log
// beside it, which SQLite would need to make before it reads the file.
bool unwritableFolder(const QString& path) {
    const QFileInfo file(path);
    return file.exists() && !QFileInfo(file.absolutePath()).isWritable() &&
           !QFile::exists(path + QStringLiteral("-wal"));
}

// SQLite's reason, but a full disk and a history that cannot be written in
// the operator's words: SQLite says "disk I/O error" when the disk fills
// while it grows its shared-memory file, and "database or disk is full".
QString failureReason(sqlite3* db) {
    const int primary = sqlite3_errcode(db);
    const int osError = sqlite3_system_errno(db);
    if (primary == SQLITE_FULL || (primary == SQLITE_IOERR && meansDiskFull(osError)))
        return QStringLiteral("the disk is full");
    if (primary == SQLITE_READONLY) return QStringLiteral("the history is read-only");
    return QString::fromUtf8(sqlite3_errmsg(db));
}

}  // namespace

QString HistoryDatabase::defaultPath() {
    return QDir(userDataFolder()).filePath(QStringLiteral("history.sqlite"));
}

HistoryDatabase::HistoryDatabase(const QString& path) : path_(path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    try {
        open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        // Findings are kept as blobs of a few hundred KiB: large pages store
        // one in a few dozen pages where 4 KiB pages took over a hundred, and
        // a recorded check took twice as long. The size only takes on a new
        // file; an existing one keeps its own. WAL lets the window read while
        // a scheduled run writes; NORMAL sync loses at most the last commits
        // on power loss, never the file. The log is folded into the file
        // once it holds 4 MiB and then cut back to that size: left to its
        // default thousand pages (32 MiB here) it held a second copy of every
        // finding, and on a full disk it kept that space, so that no later
        // run could be written even once the disk had room again. Folding it
        // after every commit cost a recorded check half as much again.
        run("PRAGMA page_size=32768; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
            " PRAGMA wal_autocheckpoint=128; PRAGMA journal_size_limit=4194304;");
        migrate(*this);
    } catch (const Error&) {
        close();
        if (!unwritableFolder(path)) throw;
        openUnwritable();
    }
}

void HistoryDatabase::open(const QString& name, int flags) {
    const int opened = sqlite3_open_v2(name.toUtf8().constData(), &db_, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        const QString reason = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        close();
        throw Error(QStringLiteral("%1: cannot open the run history: %2").arg(path_, reason));
    }
}

void HistoryDatabase::openUnwritable() {
    // Nothing can have been left in a log that could not be made, and no
    // program can write here: the file alone is the whole history.
    open(QString::fromUtf8(QUrl::fromLocalFile(path_).toEncoded()) + QStringLiteral("?immutable=1"),
         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    try {
        migrate(*this);
    } catch (...) {
        close();
        throw;
    }
}

void HistoryDatabase::close() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    statements_.clear();
    sqlite3_close(db_);
    db_ = nullptr;
}

HistoryDatabase::~HistoryDatabase() {
    close();
}

bool HistoryDatabase::readOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
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
    throw Error(QStringLiteral("%1: %2: %3").arg(path_, what, failureReason(db_)));
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
