#include "logic/workbench/correction.h"

#include "logic/workbench/program_statements.h"
#include "logic/workbench/result_table_hold.h"
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

const QString kBeforePhase = QStringLiteral("修复前检查");
const QString kCorrectionPhase = QStringLiteral("修复");
const QString kAfterPhase = QStringLiteral("修复后重新检查");

qint64 openTransactions(const ProgramStatements& statements, const QString& script) {
    return statements
        .value(QStringLiteral("select @@TRANCOUNT"),
               QStringLiteral("%1：脚本 %2 之后查询事务层数").arg(kCorrectionPhase, script))
        .value_or(QString())
        .toLongLong();
}

// Undoes the open transaction. When the rollback itself fails on a
// connection that still answers, the connection is ended, which makes the
// server roll back: a transaction is never left open for a later statement
// to commit.
void rollBack(odbc::Connection& account) {
    try {
        ProgramStatements(account, nullptr).send(kRollback, kCorrectionPhase);
    } catch (const StatementFailure&) {
        account.disconnect();
    }
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
    if (transaction_) rollBack(*transaction_);
}

void Correction::commit() {
    if (!transaction_) return;
    odbc::Connection& account = *std::exchange(transaction_, nullptr);
    try {
        ProgramStatements(account, nullptr).send(kCommit, QStringLiteral("提交修复"));
        outcome_.changes = CorrectionChanges::Kept;
    } catch (const StatementFailure& failure) {
        outcome_.kind = CorrectionOutcome::Kind::Failed;
        outcome_.run = failure.outcome;
        // A connection lost while committing may have lost it before or
        // after the server committed: nobody can tell.
        if (failure.outcome.kind == RunOutcome::Kind::ConnectionLost) {
            outcome_.changes = CorrectionChanges::MaybeKept;
        } else {
            rollBack(account);
            outcome_.changes = CorrectionChanges::Undone;
        }
    }
}

void Correction::rollback() {
    if (!transaction_) return;
    rollBack(*std::exchange(transaction_, nullptr));
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
        if (transaction) rollBack(*account);
        outcome.changes = !transaction && somethingRan ? CorrectionChanges::MaybeKept : CorrectionChanges::Undone;
        return Correction(std::move(outcome));
    };
    // The correction scripts may read the findings of the check before them:
    // all scripts of the run share its result table.
    const ResultTable table = resultTableFor(session, steps.checks, &steps.corrections);
    std::optional<ResultTableHold> hold;
    bool somethingRan = false;
    try {
        hold.emplace(account, table, context);
        if (transaction) {
            const ProgramStatements statements(*account, &context);
            // The transaction stays in the database it starts in.
            statements.send(useStatement(session.gDatabaseName),
                            QStringLiteral("切换到数据库 %1").arg(session.gDatabaseName));
            statements.send(kBegin, QStringLiteral("开始修复事务"));
        }
    } catch (const StatementFailure& failure) {
        return stop(CorrectionOutcome::Kind::Failed, failure.outcome, false);
    }

    const bool counting = !steps.checks.rows.empty();
    if (counting) {
        const CheckOutcome before =
            runCheckPass(session, steps.checks, table, ResultReceiver::discarding(), context, kBeforePhase);
        if (before.kind == CheckOutcome::Kind::Failed)
            return stop(CorrectionOutcome::Kind::Failed, before.failure, false);
        if (before.kind == CheckOutcome::Kind::Finished) outcome.before = before.findings;
    }

    for (std::size_t row = 0; row < steps.corrections.rows.size(); ++row) {
        const QVariant path = steps.corrections.value(row, QStringLiteral("cPath"));
        if (!hasScript(path)) continue;
        if (context.cancelRequested())
            return stop(CorrectionOutcome::Kind::Failed, RunOutcome::cancelled(), somethingRan);
        RunOutcome script = RunScriptFile(session, path.toString(), &context, &table);
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
            open = openTransactions(ProgramStatements(*account, &context), script.script);
        } catch (const StatementFailure& failure) {
            RunOutcome where = failure.outcome;
            where.script = script.script;
            return stop(CorrectionOutcome::Kind::Failed, std::move(where), true);
        }
        if (open == 0) {
            outcome.kind = CorrectionOutcome::Kind::TransactionEnded;
            outcome.run = script;
            outcome.run.kind = RunOutcome::Kind::Failed;
            outcome.run.message =
                QStringLiteral("脚本 %1 自行提交或回滚了修复所用的事务，修复在此停止，之后的脚本没有执行。")
                    .arg(script.script);
            outcome.changes = CorrectionChanges::MaybeKept;
            rollBack(*account);  // only switches XACT_ABORT off: no transaction is open
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
        const CheckOutcome after = runCheckPass(session, steps.checks, table, receiver, context, kAfterPhase);
        if (after.kind == CheckOutcome::Kind::Failed)
            return stop(CorrectionOutcome::Kind::Failed, after.failure, somethingRan);
        if (after.kind == CheckOutcome::Kind::Finished) {
            outcome.after = after.findings;
        } else if (transaction && outcome.before) {
            // The table the check before found is gone: nothing is kept that
            // was not checked again.
            return stop(CorrectionOutcome::Kind::Failed,
                        RunOutcome::failed(QStringLiteral("%1：结果表 %2 不存在，无法确认修复的结果，修复已撤销。")
                                               .arg(kAfterPhase, table.packageName())),
                        somethingRan);
        }
    }
    try {
        hold->release(kAfterPhase);
    } catch (const StatementFailure& failure) {
        return stop(CorrectionOutcome::Kind::Failed, failure.outcome, somethingRan);
    }
    outcome.kind = CorrectionOutcome::Kind::Ran;
    outcome.changes = transaction ? CorrectionChanges::Pending : CorrectionChanges::Kept;
    return Correction(std::move(outcome), transaction ? account : nullptr);
}

}  // namespace tallomar
