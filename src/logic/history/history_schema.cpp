#include "logic/history/history_schema.h"

#include "logic/history/history_database.h"
#include "platform/error.h"

#include <iterator>

namespace tallomar::history {

namespace {

// The first release's schema. Times are UTC ISO 8601 texts with
// milliseconds, so that their order is their text order. Findings are kept
// a block of rows per blob (see finding_row.h), `position` being the number
// of the block's first row.
void createVersion1(HistoryDatabase& database) {
    database.run(R"sql(
CREATE TABLE run(
    id INTEGER PRIMARY KEY,
    kind TEXT NOT NULL,
    started TEXT NOT NULL,
    finished TEXT,
    duration_ms INTEGER,
    os_user TEXT NOT NULL,
    host TEXT NOT NULL,
    pid INTEGER NOT NULL,
    boot_id TEXT NOT NULL,
    process_start TEXT NOT NULL,
    server TEXT NOT NULL,
    login_user TEXT NOT NULL,
    edition TEXT NOT NULL,
    account_set TEXT NOT NULL,
    year TEXT NOT NULL,
    database_name TEXT NOT NULL,
    tool TEXT NOT NULL,
    package_folder TEXT NOT NULL,
    tool_database_sha256 TEXT NOT NULL,
    status TEXT NOT NULL,
    status_text TEXT NOT NULL DEFAULT '',
    finding_count INTEGER,
    columns TEXT,
    findings_kept INTEGER NOT NULL DEFAULT 0,
    committed INTEGER,
    recheck_count INTEGER
);
CREATE INDEX run_by_database ON run(database_name, started);
CREATE INDEX run_by_started ON run(started);
CREATE TABLE script(
    run_id INTEGER NOT NULL REFERENCES run(id),
    position INTEGER NOT NULL,
    file TEXT NOT NULL,
    sha256 TEXT NOT NULL,
    batches INTEGER NOT NULL,
    outcome TEXT NOT NULL,
    server_message TEXT NOT NULL,
    PRIMARY KEY(run_id, position)
) WITHOUT ROWID;
CREATE TABLE finding(
    run_id INTEGER NOT NULL REFERENCES run(id),
    position INTEGER NOT NULL,
    row_count INTEGER NOT NULL,
    cells BLOB NOT NULL,
    PRIMARY KEY(run_id, position)
) WITHOUT ROWID;
)sql");
}

// The first release recorded a correction whose scripts all ran and whose
// changes were then rolled back as "ok" or "findings" by its re-check; they
// read "undone" now, as a correction was kept only when committed.
void markUndoneCorrections(HistoryDatabase& database) {
    database.run(
        "UPDATE run SET status = 'undone' WHERE kind IN ('correct', 'preview') AND committed = 0"
        " AND status IN ('ok', 'findings')");
}

// Migration i brings the schema from version i to version i + 1.
using Migration = void (*)(HistoryDatabase&);
constexpr Migration kMigrations[] = {createVersion1, markUndoneCorrections};

int schemaVersion(HistoryDatabase& database) {
    sqlite3_stmt* statement = database.prepared("PRAGMA user_version");
    database.step(statement);
    const int version = sqlite3_column_int(statement, 0);
    sqlite3_reset(statement);
    return version;
}

void refuseNewer(const HistoryDatabase& database, int version) {
    if (version > currentSchemaVersion())
        throw Error(QStringLiteral("%1: the run history has schema version %2, newer than this program's %3")
                        .arg(database.path())
                        .arg(version)
                        .arg(currentSchemaVersion()));
}

}  // namespace

int currentSchemaVersion() {
    return static_cast<int>(std::size(kMigrations));
}

void migrate(HistoryDatabase& database) {
    const int found = schemaVersion(database);
    if (found == currentSchemaVersion()) return;
    refuseNewer(database, found);
    // A history that cannot be written is read as it is, its undone
    // corrections as the first release recorded them: the versions so far
    // differ in what they store, not in their tables and columns.
    if (database.readOnly() && found > 0) return;
    for (;;) {
        // Another program may be migrating too: each step rereads the
        // version under the write lock.
        WriteTransaction transaction(database);
        const int version = schemaVersion(database);
        refuseNewer(database, version);
        if (version == currentSchemaVersion()) return;
        kMigrations[version](database);
        database.run(QByteArray("PRAGMA user_version=" + QByteArray::number(version + 1)).constData());
        transaction.commit();
    }
}

}  // namespace tallomar::history
