#pragma once

#include "platform/access/mdb_reader.h"

#include <sqlite3.h>
#include <QString>
#include <QVariant>
#include <unordered_map>
#include <vector>

// The in-memory SQLite copy of a tool database's tables. Each table's SQLite
// rowid is its row's index in the file order plus one, so a changed row maps
// back to where it lives in the file.
namespace tallomar::tooldb {

class SqliteMirror {
public:
    explicit SqliteMirror(const std::vector<mdb::Table>& tables);
    ~SqliteMirror();
    SqliteMirror(const SqliteMirror&) = delete;
    SqliteMirror& operator=(const SqliteMirror&) = delete;

    sqlite3* handle() const { return db_; }

    // A prepared statement for `sql`, reset and kept for the next call with
    // the same text. Throws Error with SQLite's reason when it does not prepare.
    sqlite3_stmt* prepared(const QString& sql) const;

    // Runs a statement that returns no rows; throws Error on failure.
    void run(const char* sql) const;

private:
    void createTable(const mdb::Table& table);

    sqlite3* db_ = nullptr;
    mutable std::unordered_map<QString, sqlite3_stmt*> statements_;
};

// The value of column `index` of the current row of `statement`.
QVariant columnValue(sqlite3_stmt* statement, int index);

// Binds `value` to parameter `index` (from 1); a null QVariant binds NULL.
void bindValue(sqlite3_stmt* statement, int index, const QVariant& value);

// SQLite's message for the last failure on `db`.
QString sqliteMessage(sqlite3* db);

}  // namespace tallomar::tooldb
