#include "logic/workbench/script_runner.h"

#include "session/globals.h"
#include "platform/odbc/odbc.h"
#include "platform/text/windows_path.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_batches.h"

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

QString runScript(const ScriptRun& run) {
    if (!run.connection) return QStringLiteral("账套数据库连接未打开，无法执行“Use %1”。").arg(run.databaseName);
    RunContext* const context = run.context;
    try {
        odbc::Statement statement(*run.connection);
        statement.setQueryTimeout(run.queryTimeoutSeconds);
        const RunContext::StatementScope scope(context, statement);
        send(statement, QStringLiteral("Use ") + run.databaseName);
        int number = 0;
        forEachBatch(run.path, [&](const QString& batch) {
            if (context) {
                if (context->cancelRequested()) throw Cancelled{};
                context->showBatch(++number);
            }
            send(statement, batch);
        });
        return {};
    } catch (const Cancelled&) {
        return RunContext::cancelledText();
    } catch (const Error& error) {
        // A batch interrupted by Cancel fails with the driver's words for it;
        // the operator is told in the program's own.
        if (context && context->cancelRequested()) return RunContext::cancelledText();
        return error.message();
    }
}

namespace {

ScriptRun packageScriptRun(const QString& fileName, const QString& folder) {
    ScriptRun run;
    run.connection = cnAccount.get();
    run.databaseName = gDatabaseName;
    run.path = resolvePackagePath(folder, fileName);
    return run;
}

}  // namespace

QString RunScriptFile(const QString& fileName, const QString& folder) {
    return runScript(packageScriptRun(fileName, folder));
}

QString RunScriptFile(const QString& fileName, const QString& folder, RunContext& context) {
    ScriptRun run = packageScriptRun(fileName, folder);
    run.context = &context;
    context.showScript(fileName);
    return runScript(run);
}

}  // namespace tallomar
