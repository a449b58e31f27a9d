#pragma once

#include "platform/access/mdb_reader.h"

#include <sqlite3.h>
#include <QString>
#include <memory>
#include <vector>

// The one kind of statement that changes the tool database: a single-table
// UPDATE ... SET of user columns, one statement, no conflict clause, no
// FROM, no RETURNING. The shape is checked on the statement's words; SQLite's
// authorizer then allows, while the statement is prepared, nothing but reads
// and changes of the target table's user columns (so neither rowid nor its
// aliases, nor anything a trigger or a pragma would do).
namespace tallomar::tooldb {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using PreparedUpdate = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Prepares `sql` on `db`, whose tables mirror `tables`. Throws Error starting
// with the statement and saying what is refused.
PreparedUpdate prepareUpdate(sqlite3* db, const QString& sql, const std::vector<mdb::Table>& tables);

}  // namespace tallomar::tooldb
