#pragma once

#include <sqlite3.h>
#include <QString>
#include <string>
#include <unordered_map>

namespace tallomar::history {

// One connection to the run-history file, ready for several programs writing
// at once: WAL journal, a busy timeout, the schema brought up to date. Every
// failure throws Error naming the file and the reason, a full disk and a
// read-only history said in those words.
class HistoryDatabase {
public:
    // history.sqlite in userDataFolder(): $XDG_DATA_HOME/tallomar on Linux
    // (~/.local/share/... when unset), %LOCALAPPDATA%\Tallomar on Windows.
    static QString defaultPath();

    // Opens the history, creating it when missing. One in a folder that
    // cannot be written (a read-only mount, another user's folder) opens
    // read-only: it reads as it is, and every write fails.
    explicit HistoryDatabase(const QString& path);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    bool readOnly() const;

    // A prepared statement for `sql`, reset, its bindings cleared, and kept
    // for the next call with the same text.
    sqlite3_stmt* prepared(const char* sql);
    // Runs statements that return no rows.
    void run(const char* sql);
    // Steps `statement` once: true for a row, false when done.
    bool step(sqlite3_stmt* statement);
    // An Error naming the file, `what` was being done and SQLite's reason.
    [[noreturn]] void fail(const QString& what) const;

private:
    void open(const QString& name, int flags);
    void close();
    // Read-only and without the write-ahead log, for a history whose folder
    // cannot be written (see the constructor).
    void openUnwritable();

    QString path_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// A write transaction: BEGIN IMMEDIATE takes the write lock up front, so a
// second writer waits (within the busy timeout) instead of failing half-way.
// Rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(HistoryDatabase& database);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit();

private:
    HistoryDatabase& database_;
    bool open_ = true;
};

}  // namespace tallomar::history
