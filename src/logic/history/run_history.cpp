#include "logic/history/run_history.h"

#include "platform/error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <iterator>

namespace tallomar::history {

namespace {

#define RUN_COLUMNS                                                                                              \
    "id, kind, started, finished, duration_ms, os_user, host, pid, boot_id, process_start, server, login_user, " \
    "edition, account_set, year, database_name, tool, package_folder, tool_database_sha256, status, "            \
    "status_text, finding_count, findings_kept, committed, recheck_count"

QString text(sqlite3_stmt* statement, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

std::optional<qint64> optionalNumber(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

QDateTime time(sqlite3_stmt* statement, int column) {
    return QDateTime::fromString(text(statement, column), Qt::ISODateWithMs);
}

void bindText(sqlite3_stmt* statement, int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// The run on `statement`'s current row, selected as RUN_COLUMNS.
RunRecord runRecord(sqlite3_stmt* statement) {
    RunRecord run;
    run.id = sqlite3_column_int64(statement, 0);
    run.facts.kind = kindFromName(text(statement, 1)).value_or(RunKind::Check);
    run.started = time(statement, 2);
    if (sqlite3_column_type(statement, 3) != SQLITE_NULL) run.finished = time(statement, 3);
    run.durationMs = optionalNumber(statement, 4);
    run.process = {text(statement, 5), text(statement, 6), sqlite3_column_int64(statement, 7), text(statement, 8),
                   text(statement, 9)};
    run.facts.server = text(statement, 10);
    run.facts.loginUser = text(statement, 11);
    run.facts.edition = text(statement, 12);
    run.facts.accountSet = text(statement, 13);
    run.facts.year = text(statement, 14);
    run.facts.database = text(statement, 15);
    run.facts.tool = text(statement, 16);
    run.facts.packageFolder = text(statement, 17);
    run.toolDatabaseSha256 = text(statement, 18);
    run.end.status = statusFromName(text(statement, 19)).value_or(RunStatus::Failed);
    if (run.end.status == RunStatus::Running && processEnded(run.process)) run.end.status = RunStatus::Interrupted;
    run.end.statusText = text(statement, 20);
    run.end.findings = optionalNumber(statement, 21);
    run.findingsKept = sqlite3_column_int64(statement, 22);
    if (const auto committed = optionalNumber(statement, 23)) run.end.committed = *committed != 0;
    run.end.recheckFindings = optionalNumber(statement, 24);
    return run;
}

}  // namespace

RunHistory::RunHistory(const QString& path) : database_(path) {}

std::vector<RunRecord> RunHistory::runs(const RunFilter& filter) {
    sqlite3_stmt* select =
        database_.prepared("SELECT " RUN_COLUMNS
                           " FROM run WHERE (?1 = '' OR database_name = ?1) AND (?2 = '' OR tool = ?2)"
                           " ORDER BY started DESC, id DESC LIMIT ?3");
    bindText(select, 1, filter.database);
    bindText(select, 2, filter.tool);
    sqlite3_bind_int(select, 3, filter.limit);
    std::vector<RunRecord> runs;
    while (database_.step(select)) runs.push_back(runRecord(select));
    return runs;
}

RunRecord RunHistory::run(qint64 id) {
    sqlite3_stmt* select = database_.prepared("SELECT " RUN_COLUMNS " FROM run WHERE id = ?1");
    sqlite3_bind_int64(select, 1, id);
    if (!database_.step(select)) throw Error(QStringLiteral("%1: there is no run %2").arg(database_.path()).arg(id));
    RunRecord run = runRecord(select);
    sqlite3_reset(select);
    return run;
}

std::vector<ScriptRecord> RunHistory::scripts(qint64 id) {
    sqlite3_stmt* select = database_.prepared(
        "SELECT file, sha256, batches, outcome, server_message FROM script WHERE run_id = ?1 ORDER BY position");
    sqlite3_bind_int64(select, 1, id);
    std::vector<ScriptRecord> scripts;
    while (database_.step(select))
        scripts.push_back(
            {text(select, 0), text(select, 1), sqlite3_column_int64(select, 2), text(select, 3), text(select, 4)});
    return scripts;
}

RecordedFindings RunHistory::findings(qint64 id) {
    const RunRecord record = run(id);
    RecordedFindings findings;
    sqlite3_stmt* columns = database_.prepared("SELECT columns FROM run WHERE id = ?1");
    sqlite3_bind_int64(columns, 1, id);
    if (database_.step(columns)) {
        for (const QJsonValue& name : QJsonDocument::fromJson(text(columns, 0).toUtf8()).array())
            findings.columns << name.toString();
    }
    sqlite3_reset(columns);
    sqlite3_stmt* select =
        database_.prepared("SELECT position, row_count, cells FROM finding WHERE run_id = ?1 ORDER BY position");
    sqlite3_bind_int64(select, 1, id);
    while (database_.step(select)) {
        const auto* cells = static_cast<const char*>(sqlite3_column_blob(select, 2));
        std::vector<FindingRow> rows;
        try {
            rows =
                decodeFindingRows(QByteArrayView(cells, sqlite3_column_bytes(select, 2)), int(findings.columns.size()));
            if (qint64(rows.size()) != sqlite3_column_int64(select, 1))
                throw Error(QStringLiteral("%1 rows where %2 were recorded")
                                .arg(rows.size())
                                .arg(sqlite3_column_int64(select, 1)));
        } catch (const Error& error) {
            throw Error(QStringLiteral("%1: run %2, findings from %3: %4")
                            .arg(database_.path())
                            .arg(id)
                            .arg(sqlite3_column_int64(select, 0))
                            .arg(error.message()));
        }
        std::move(rows.begin(), rows.end(), std::back_inserter(findings.rows));
    }
    // A correction's count is of the check before it, whose findings it does not keep.
    findings.cut = record.facts.kind == RunKind::Check && record.end.findings.value_or(0) > record.findingsKept;
    return findings;
}

int RunHistory::prune(const QDateTime& startedBefore) {
    // A run still running stays; what reads as running is decided per run,
    // as it needs the process table.
    std::vector<qint64> doomed;
    sqlite3_stmt* select = database_.prepared("SELECT " RUN_COLUMNS " FROM run WHERE started < ?1");
    bindText(select, 1, startedBefore.toUTC().toString(Qt::ISODateWithMs));
    while (database_.step(select)) {
        const RunRecord run = runRecord(select);
        if (run.end.status != RunStatus::Running) doomed.push_back(run.id);
    }
    WriteTransaction transaction(database_);
    for (const char* sql : {"DELETE FROM finding WHERE run_id = ?1", "DELETE FROM script WHERE run_id = ?1",
                            "DELETE FROM run WHERE id = ?1"}) {
        for (qint64 id : doomed) {
            sqlite3_stmt* remove = database_.prepared(sql);
            sqlite3_bind_int64(remove, 1, id);
            database_.step(remove);
        }
    }
    transaction.commit();
    return static_cast<int>(doomed.size());
}

}  // namespace tallomar::history
