#include "logic/workbench/script_runner.h"

#include "logic/login/server_failure_text.h"
#include "logic/workbench/program_statements.h"
#include "logic/workbench/result_table.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_batches.h"
#include "platform/odbc/odbc.h"
#include "platform/text/sql_quoting.h"
#include "platform/text/windows_path.h"

#include <QRegularExpression>

namespace tallomar {

namespace {

// The server's results are of no interest to a script run, but an error in
// any of them fails the batch.
void send(odbc::Statement& statement, const QString& sql) {
    statement.execute(sql);
    statement.discardResults();
}

// Ends the run between two batches once the operator asked to stop.
struct Cancelled {};

}  // namespace

QString useStatement(const QString& databaseName) {
    // A regular identifier: a letter, _, @ or # first, then letters, digits,
    // _, @, # and $.
    static const QRegularExpression plain(QStringLiteral("^[\\p{L}_@#][\\p{L}\\p{N}_@#$]*$"));
    if (plain.match(databaseName).hasMatch()) return QStringLiteral("Use ") + databaseName;
    return QStringLiteral("Use ") + sqlName(databaseName);
}

RunOutcome runScript(const ScriptRun& run) {
    RunOutcome outcome{RunOutcome::Kind::Succeeded, run.script, 0, 0, {}};
    if (!run.connection) {
        outcome.kind = RunOutcome::Kind::Failed;
        outcome.message = QStringLiteral("账套数据库连接未打开，无法执行“Use %1”。").arg(run.databaseName);
        return outcome;
    }
    RunContext* const context = run.context;
    try {
        odbc::Statement statement(*run.connection);
        statement.setQueryTimeout(run.queryTimeoutSeconds);
        const RunContext::StatementScope scope(context, statement);
        // A failing switch is no batch of the script: it stays batch 0.
        send(statement, useStatement(run.databaseName));
        forEachBatch(run.path, [&](QString& batch, qint64 firstLine) {
            if (context && context->cancelRequested()) throw Cancelled{};
            ++outcome.batch;
            outcome.line = firstLine;
            if (context) context->showBatch(outcome.batch);
            if (run.resultTable) run.resultTable->rewrite(batch);
            send(statement, batch);
        });
        return outcome;
    } catch (const Cancelled&) {
        outcome.kind = RunOutcome::Kind::Cancelled;
        outcome.message = RunContext::cancelledText();
    } catch (const odbc::Error& error) {
        // A batch interrupted by Cancel fails with the driver's words for it;
        // the operator is told in the program's own.
        outcome.kind = context && context->cancelRequested() ? RunOutcome::Kind::Cancelled
                       : error.connectionLost()              ? RunOutcome::Kind::ConnectionLost
                                                             : RunOutcome::Kind::Failed;
        outcome.message =
            outcome.kind == RunOutcome::Kind::Cancelled ? RunContext::cancelledText()
            : outcome.batch == 0
                ? statementFailure(QStringLiteral("切换到数据库 %1").arg(run.databaseName), error, context).message
                : serverFailureText(error);
        if (outcome.kind == RunOutcome::Kind::Failed) outcome.serverError = error.nativeError();
    } catch (const Error& error) {
        // The file could not be read; its message names the file and line.
        outcome = {RunOutcome::Kind::Failed, run.script, 0, 0, error.message()};
    }
    return outcome;
}

RunOutcome RunScriptFile(const Session& session, const QString& fileName, RunContext* context,
                         const ResultTable* resultTable) {
    ScriptRun run;
    run.connection = session.cnAccount.get();
    run.databaseName = session.gDatabaseName;
    run.path = resolvePackagePath(session.gToolFolder, fileName);
    run.script = fileName;
    run.context = context;
    run.resultTable = resultTable;
    if (context) context->showScript(fileName);
    return runScript(run);
}

}  // namespace tallomar
