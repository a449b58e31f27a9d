#include "logic/workbench/correction.h"

#include "logic/login/server_failure_text.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_runner.h"
#include "platform/odbc/odbc.h"
#include "platform/text/windows_path.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tallomar {

namespace {

// XACT_ABORT makes any run-time error, and a cancel, roll the whole
// transaction back on the server, so that no later batch runs in a
// half-done transaction; it is switched off again once the run is decided.
const QString kBegin = QStringLiteral("SET XACT_ABORT ON; BEGIN TRANSACTION");
const QString kCommit = QStringLiteral("COMMIT TRANSACTION; SET XACT_ABORT OFF");
const QString kRollback = QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION; SET XACT_ABORT OFF");

void send(odbc::Connection& account, const QString& sql) {
    odbc::Statement statement(account);
    statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
    statement.execute(sql);
    statement.discardResults();
}

qint64 openTransactions(odbc::Connection& account) {
    odbc::Statement statement(account);
    statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
    statement.execute(QStringLiteral("select @@TRANCOUNT"));
    while (statement.columnCount() == 0) {
        if (!statement.nextResult()) return 0;
    }
    return statement.fetch() ? statement.text(0).value_or(QString()).toLongLong() : 0;
}

// A connection that is gone has been rolled back by the server; any other
// failure of the rollback leaves the server to roll back when the
// connection ends, so there is nothing better to do than go on.
void rollbackQuietly(odbc::Connection& account) {
    try {
        send(account, kRollback);
    } catch (const odbc::Error&) {
    }
}

RunOutcome failedOn(const odbc::Error& error, const QString& script = QString()) {
    RunOutcome outcome = RunOutcome::failed(serverFailureText(error));
    outcome.script = script;
    outcome.serverError = error.nativeError();
    if (error.connectionLost()) outcome.kind = RunOutcome::Kind::ConnectionLost;
    return outcome;
}

}  // namespace

bool refusedInsideTransaction(int serverError) {
    // 226: ALTER/CREATE/DROP DATABASE and similar; 574: a statement not
    // allowed in a user transaction; 3021: BACKUP and RESTORE; 15002: a
    // system procedure that refuses a transaction.
    constexpr std::array kRefusals{226, 574, 3021, 15002};
    return std::ranges::find(kRefusals, serverError) != kRefusals.end();
}

Correction::Correction(CorrectionOutcome outcome, odbc::Connection* openTransaction)
    : outcome_(std::move(outcome)), transaction_(openTransaction) {}

Correction::Correction(Correction&& other) noexcept
    : outcome_(std::move(other.outcome_)), transaction_(std::exchange(other.transaction_, nullptr)) {}

Correction::~Correction() {
    if (transaction_) rollbackQuietly(*transaction_);
}

void Correction::commit() {
    if (!transaction_) return;
    odbc::Connection& account = *std::exchange(transaction_, nullptr);
    try {
        send(account, kCommit);
        outcome_.changes = CorrectionChanges::Kept;
    } catch (const odbc::Error& error) {
        outcome_.kind = CorrectionOutcome::Kind::Failed;
        outcome_.run = failedOn(error);
        // A connection lost while committing may have lost it before or
        // after the server committed: nobody can tell.
        if (error.connectionLost()) {
            outcome_.changes = CorrectionChanges::MaybeKept;
        } else {
            rollbackQuietly(account);
            outcome_.changes = CorrectionChanges::Undone;
        }
    }
}

void Correction::rollback() {
    if (!transaction_) return;
    rollbackQuietly(*std::exchange(transaction_, nullptr));
    outcome_.changes = CorrectionChanges::Undone;
}

Correction Correction::run(const Session& session, const CorrectionSteps& steps, CorrectionMode mode,
                           const ResultReceiver& receiver, RunContext& context) {
    CorrectionOutcome outcome;
    outcome.mode = mode;
    odbc::Connection* const account = session.cnAccount.get();
    const bool transaction = mode == CorrectionMode::Transaction;
    if (transaction && !account) {
        outcome.kind = CorrectionOutcome::Kind::Failed;
        outcome.run = RunOutcome::failed(
            QStringLiteral("账套数据库连接未打开，无法在“%1”中开始事务。").arg(session.gDatabaseName));
        return Correction(std::move(outcome));
    }
    // Ends the run where `where` says; in a transaction everything is undone.
    auto stop = [&](CorrectionOutcome::Kind kind, RunOutcome where, bool somethingRan) {
        outcome.kind = kind;
        outcome.run = std::move(where);
        if (transaction) rollbackQuietly(*account);
        outcome.changes = !transaction && somethingRan ? CorrectionChanges::MaybeKept : CorrectionChanges::Undone;
        return Correction(std::move(outcome));
    };
    if (transaction) {
        try {
            // The transaction stays in the database it starts in.
            send(*account, useStatement(session.gDatabaseName));
            send(*account, kBegin);
        } catch (const odbc::Error& error) {
            return stop(CorrectionOutcome::Kind::Failed, failedOn(error), false);
        }
    }

    const bool counting = !steps.checks.rows.empty();
    if (counting) {
        const CheckOutcome before = runCheckPass(session, steps.checks, ResultReceiver::discarding(), context);
        if (before.kind == CheckOutcome::Kind::Failed)
            return stop(CorrectionOutcome::Kind::Failed, before.failure, false);
        if (before.kind == CheckOutcome::Kind::Finished) outcome.before = before.findings;
    }

    bool somethingRan = false;
    for (std::size_t row = 0; row < steps.corrections.rows.size(); ++row) {
        const QVariant path = steps.corrections.value(row, QStringLiteral("cPath"));
        if (!hasScript(path)) continue;
        if (context.cancelRequested())
            return stop(CorrectionOutcome::Kind::Failed, RunOutcome::cancelled(), somethingRan);
        RunOutcome script = RunScriptFile(session, path.toString(), &context);
        context.scriptEnded(resolvePackagePath(session.gToolFolder, path.toString()), script);
        if (!script.succeeded()) {
            const bool refused =
                transaction && script.kind == RunOutcome::Kind::Failed && refusedInsideTransaction(script.serverError);
            const bool ranHere = script.batch > 0;
            return stop(refused ? CorrectionOutcome::Kind::NeedsNoTransaction : CorrectionOutcome::Kind::Failed,
                        std::move(script), somethingRan || ranHere);
        }
        somethingRan = true;
        if (!transaction) continue;
        qint64 open = 0;
        try {
            open = openTransactions(*account);
        } catch (const odbc::Error& error) {
            return stop(CorrectionOutcome::Kind::Failed, failedOn(error, script.script), true);
        }
        if (open == 0) {
            outcome.kind = CorrectionOutcome::Kind::TransactionEnded;
            outcome.run = script;
            outcome.run.kind = RunOutcome::Kind::Failed;
            outcome.run.message =
                QStringLiteral("脚本 %1 自行提交或回滚了修复所用的事务，修复在此停止，之后的脚本没有执行。")
                    .arg(script.script);
            outcome.changes = CorrectionChanges::MaybeKept;
            rollbackQuietly(*account);  // only switches XACT_ABORT off: no transaction is open
            return Correction(std::move(outcome));
        }
        if (open > 1) {
            RunOutcome leftOpen = script;
            leftOpen.kind = RunOutcome::Kind::Failed;
            leftOpen.message =
                QStringLiteral("脚本 %1 开始的事务没有结束（@@TRANCOUNT 为 %2）。").arg(script.script).arg(open);
            return stop(CorrectionOutcome::Kind::Failed, std::move(leftOpen), true);
        }
    }

    if (counting) {
        const CheckOutcome after = runCheckPass(session, steps.checks, receiver, context);
        if (after.kind == CheckOutcome::Kind::Failed)
            return stop(CorrectionOutcome::Kind::Failed, after.failure, somethingRan);
        if (after.kind == CheckOutcome::Kind::Finished) outcome.after = after.findings;
    }
    outcome.kind = CorrectionOutcome::Kind::Ran;
    outcome.changes = transaction ? CorrectionChanges::Pending : CorrectionChanges::Kept;
    return Correction(std::move(outcome), transaction ? account : nullptr);
}

}  // namespace tallomar
