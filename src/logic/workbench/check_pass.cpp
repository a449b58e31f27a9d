#include "logic/workbench/check_pass.h"

#include "logic/workbench/program_statements.h"
#include "logic/workbench/result_chunk.h"
#include "logic/workbench/result_table_hold.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_runner.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "platform/text/sql_quoting.h"
#include "platform/text/windows_path.h"
#include "tooldb/tool_access.h"

namespace tallomar {

namespace {

const QString kReadingResult = QStringLiteral("读取检查结果");
const QString kCheckPhase = QStringLiteral("检查");

// Rows of a result set travel to the grid in blocks of this many.
constexpr int kRowsPerChunk = 4096;

// The operator knows the table by the package's name.
QString doingOnTable(const QString& phase, const QString& doing, const ResultTable& table) {
    return QStringLiteral("%1：%2 %3").arg(phase, doing, table.packageName());
}

bool resultTableExists(const ProgramStatements& statements, const ResultTable& table, const QString& phase) {
    return statements
        .value(selectValueStatement(QStringLiteral("name"), QStringLiteral("tempdb..sysobjects"),
                                    QStringLiteral("name=") + sqlUnicodeText(table.name())),
               doingOnTable(phase, QStringLiteral("查找结果表"), table))
        .has_value();
}

// Streams the result table to the receiver; returns the number of rows, or
// throws odbc::Error. Stops early (returning -1) when the run is cancelled.
qint64 fetchResult(odbc::Connection& account, const QString& name, const ResultReceiver& receiver, RunContext& run) {
    odbc::Statement statement(account);
    RunContext::StatementScope scope(&run, statement);
    statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
    statement.execute(QStringLiteral("select * from tempdb..") + sqlName(name));
    while (statement.columnCount() == 0) {
        if (!statement.nextResult()) throw Error(QStringLiteral("结果表 %1 没有返回记录集").arg(name));
    }
    const int columnCount = statement.columnCount();
    QStringList columns;
    for (int c = 0; c < columnCount; ++c) columns << statement.columnName(c);
    receiver.columns(columns);

    qint64 total = 0;
    std::vector<std::optional<QStringView>> cells(static_cast<std::size_t>(columnCount));
    ResultChunk filling(columnCount);
    while (statement.fetch()) {
        for (int c = 0; c < columnCount; ++c) cells[static_cast<std::size_t>(c)] = statement.textView(c);
        filling.appendRow(cells);
        ++total;
        if (filling.rowCount() == kRowsPerChunk) {
            if (run.cancelRequested()) return -1;
            receiver.rows(filling.rows());
            filling.clear();
        }
    }
    receiver.rows(filling.rows());
    // An error after the rows (a later statement of the batch) still counts.
    statement.discardResults();
    return total;
}

QStringList scriptPaths(const Session& session, const tooldb::Recordset& steps) {
    QStringList paths;
    for (std::size_t row = 0; row < steps.rows.size(); ++row) {
        const QVariant path = steps.value(row, QStringLiteral("cPath"));
        if (hasScript(path)) paths << resolvePackagePath(session.gToolFolder, path.toString());
    }
    return paths;
}

}  // namespace

ResultReceiver ResultReceiver::discarding() {
    return {[](const QStringList&) {}, [](const ResultBlock&) {}};
}

bool hasScript(const QVariant& path) {
    return !path.isNull() && path.toString() != u"999";
}

ResultTable resultTableFor(const Session& session, const tooldb::Recordset& checkRows,
                           const tooldb::Recordset* corrections) {
    const QString packageName = checkRows.rows.empty()
                                    ? QString()
                                    : checkRows.value(checkRows.rows.size() - 1, QStringLiteral("cResult")).toString();
    QStringList paths = scriptPaths(session, checkRows);
    if (corrections) paths << scriptPaths(session, *corrections);
    return ResultTable::forRun(packageName, paths);
}

RunOutcome runScripts(const Session& session, const tooldb::Recordset& steps, const ResultTable& table,
                      RunContext& run) {
    for (std::size_t row = 0; row < steps.rows.size(); ++row) {
        const QVariant path = steps.value(row, QStringLiteral("cPath"));
        if (!hasScript(path)) continue;
        if (run.cancelRequested()) return RunOutcome::cancelled();
        RunOutcome script = RunScriptFile(session, path.toString(), &run, &table);
        run.scriptEnded(resolvePackagePath(session.gToolFolder, path.toString()), script);
        if (!script.succeeded()) return script;
    }
    return {};
}

CheckOutcome runCheckPass(const Session& session, const tooldb::Recordset& checkRows, const ResultTable& table,
                          const ResultReceiver& receiver, RunContext& run, const QString& phase) {
    CheckOutcome outcome;
    outcome.failure = runScripts(session, checkRows, table, run);
    if (!outcome.failure.succeeded()) return outcome;
    run.showScript(kReadingResult);
    odbc::Connection* const account = session.cnAccount.get();
    try {
        if (table.isEmpty() || !account || !resultTableExists(ProgramStatements(*account, &run), table, phase)) {
            outcome.kind = CheckOutcome::Kind::NoResultTable;
            return outcome;
        }
        const qint64 findings = fetchResult(*account, table.name(), receiver, run);
        if (findings < 0) {
            outcome.failure = RunOutcome::cancelled();
            return outcome;
        }
        outcome.kind = CheckOutcome::Kind::Finished;
        outcome.findings = findings;
    } catch (const StatementFailure& failure) {
        outcome.failure = failure.outcome;
    } catch (const Error& error) {
        outcome.failure = statementFailure(doingOnTable(phase, QStringLiteral("读取结果表"), table), error, &run);
    }
    return outcome;
}

CheckOutcome runCheck(const Session& session, const tooldb::Recordset& checkRows, const ResultReceiver& receiver,
                      RunContext& run) {
    const ResultTable table = resultTableFor(session, checkRows);
    try {
        ResultTableHold hold(session.cnAccount.get(), table, run);
        CheckOutcome outcome = runCheckPass(session, checkRows, table, receiver, run, kCheckPhase);
        if (outcome.failure.succeeded()) hold.release(kCheckPhase);
        return outcome;
    } catch (const StatementFailure& failure) {
        CheckOutcome failed;
        failed.failure = failure.outcome;
        return failed;
    }
}

}  // namespace tallomar
