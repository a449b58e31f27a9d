#include "recorded_runs.h"

#include "logic/workbench/result_chunk.h"
#include "platform/error.h"

#include <sqlite3.h>

namespace tallomar::test {

void deliverFindings(const ResultReceiver& receiver, const QStringList& columns,
                     const std::vector<history::FindingRow>& rows, int blockRows) {
    receiver.columns(columns);
    ResultChunk chunk(static_cast<int>(columns.size()));
    std::vector<std::optional<QStringView>> cells(static_cast<std::size_t>(columns.size()));
    for (const history::FindingRow& row : rows) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c] = row[c] ? std::optional<QStringView>(*row[c]) : std::nullopt;
        chunk.appendRow(cells);
        if (chunk.rowCount() == blockRows) {
            receiver.rows(chunk.rows());
            chunk.clear();
        }
    }
    receiver.rows(chunk.rows());
}

history::RunFacts demoFacts(history::RunKind kind) {
    return {kind,
            QStringLiteral("127.0.0.1,14330"),
            QStringLiteral("sa"),
            QStringLiteral("演示版"),
            QStringLiteral("001"),
            QStringLiteral("2024"),
            QStringLiteral("qvdata_001_2024"),
            QStringLiteral("科目检查"),
            QStringLiteral("file/科目检查")};
}

namespace {

// The schema the first release wrote, and its runs.
const char kFirstReleaseFile[] = R"sql(
CREATE TABLE run(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started TEXT NOT NULL, finished TEXT,
    duration_ms INTEGER, os_user TEXT NOT NULL, host TEXT NOT NULL, pid INTEGER NOT NULL, boot_id TEXT NOT NULL,
    process_start TEXT NOT NULL, server TEXT NOT NULL, login_user TEXT NOT NULL, edition TEXT NOT NULL,
    account_set TEXT NOT NULL, year TEXT NOT NULL, database_name TEXT NOT NULL, tool TEXT NOT NULL,
    package_folder TEXT NOT NULL, tool_database_sha256 TEXT NOT NULL, status TEXT NOT NULL,
    status_text TEXT NOT NULL DEFAULT '', finding_count INTEGER, columns TEXT,
    findings_kept INTEGER NOT NULL DEFAULT 0, committed INTEGER, recheck_count INTEGER);
CREATE INDEX run_by_database ON run(database_name, started);
CREATE INDEX run_by_started ON run(started);
CREATE TABLE script(run_id INTEGER NOT NULL REFERENCES run(id), position INTEGER NOT NULL, file TEXT NOT NULL,
    sha256 TEXT NOT NULL, batches INTEGER NOT NULL, outcome TEXT NOT NULL, server_message TEXT NOT NULL,
    PRIMARY KEY(run_id, position)) WITHOUT ROWID;
CREATE TABLE finding(run_id INTEGER NOT NULL REFERENCES run(id), position INTEGER NOT NULL,
    row_count INTEGER NOT NULL, cells BLOB NOT NULL, PRIMARY KEY(run_id, position)) WITHOUT ROWID;
INSERT INTO run VALUES(7, 'check', '2026-01-05T08:00:00.000Z', '2026-01-05T08:00:02.500Z', 2500, 'op', 'host-a',
    4242, 'boot', '1', 'srv', 'sa', '', '001', '2025', 'qvdata_001_2025', '科目检查', 'file/科目检查', '',
    'findings', '共找到[1]条记录', 1, '["编码","名称"]', 1, NULL, NULL);
INSERT INTO finding VALUES(7, 1, 1, X'0431303031FF');
INSERT INTO run SELECT 8, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start, server,
    login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256, 'ok',
    '修复前 1 条 → 修复后 0 条（已撤销）', 1, NULL, 0, 0, 0 FROM run WHERE id = 7;
INSERT INTO run SELECT 9, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start, server,
    login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256, 'ok',
    '恭喜您，成功修复!', 1, NULL, 0, 1, 0 FROM run WHERE id = 7;
INSERT INTO run SELECT 10, 'preview', started, finished, duration_ms, os_user, host, pid, boot_id, process_start,
    server, login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256,
    'findings', '修复前 1 条 → 修复后 1 条（已撤销）', 1, NULL, 0, 0, 1 FROM run WHERE id = 7;
INSERT INTO run SELECT 11, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start,
    server, login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256,
    'cancelled', '已取消', 1, NULL, 0, 0, NULL FROM run WHERE id = 7;
PRAGMA user_version = 1;
)sql";

}  // namespace

void writeFirstReleaseHistory(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, kFirstReleaseFile, nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw Error(QStringLiteral("%1: %2").arg(path, reason));
    }
    sqlite3_close(db);
}

}  // namespace tallomar::test
