#include "logic/workbench/program_statements.h"

#include "logic/login/server_failure_text.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_runner.h"
#include "platform/odbc/odbc.h"

namespace tallomar {

RunOutcome statementFailure(const QString& doing, const tallomar::Error& error, const RunContext* run) {
    if (run && run->cancelRequested()) return RunOutcome::cancelled();
    const auto* server = dynamic_cast<const odbc::Error*>(&error);
    RunOutcome outcome =
        RunOutcome::failed(server ? QStringLiteral("%1时服务器报错：\n%2").arg(doing, serverFailureText(*server))
                                  : QStringLiteral("%1失败：\n%2").arg(doing, error.message()));
    if (server) {
        outcome.serverError = server->nativeError();
        if (server->connectionLost()) outcome.kind = RunOutcome::Kind::ConnectionLost;
    }
    return outcome;
}

void ProgramStatements::send(const QString& sql, const QString& doing) const {
    try {
        odbc::Statement statement(connection_);
        const RunContext::StatementScope scope(run_, statement);
        statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
        statement.execute(sql);
        statement.discardResults();
    } catch (const odbc::Error& error) {
        throw StatementFailure{statementFailure(doing, error, run_)};
    }
}

std::optional<QString> ProgramStatements::value(const QString& sql, const QString& doing) const {
    try {
        odbc::Statement statement(connection_);
        const RunContext::StatementScope scope(run_, statement);
        statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
        statement.execute(sql);
        // Row counts of statements before the select carry no value.
        while (statement.columnCount() == 0) {
            if (!statement.nextResult()) return std::nullopt;
        }
        std::optional<QString> value = statement.fetch() ? statement.text(0) : std::nullopt;
        // Reading the batch to its end leaves the connection free and lets a
        // later error in it count.
        while (statement.fetch()) {
        }
        statement.discardResults();
        return value;
    } catch (const odbc::Error& error) {
        throw StatementFailure{statementFailure(doing, error, run_)};
    }
}

}  // namespace tallomar
