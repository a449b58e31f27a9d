#include "logic/sweep/sweep_run.h"

#include "logic/history/run_end.h"
#include "logic/history/run_recorder.h"
#include "logic/history/session_recording.h"
#include "logic/login/server_connections.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/workbench.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "tooldb/tool_access.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace tallomar {

namespace {

history::RunEnd runEnd(history::RunStatus status, const QString& statusText) {
    history::RunEnd end;
    end.status = status;
    end.statusText = statusText;
    return end;
}

QString failureText(const CheckOutcome& outcome) {
    const QString status = Workbench::checkStatus(outcome);
    if (outcome.kind != CheckOutcome::Kind::Failed || outcome.failure.script.isEmpty()) return status;
    return QStringLiteral("%1: %2").arg(outcome.failure.script, status);
}

}  // namespace

QString statusName(DatabaseCheck::Status status) {
    switch (status) {
        case DatabaseCheck::Status::Ok:
            return QStringLiteral("ok");
        case DatabaseCheck::Status::Findings:
            return QStringLiteral("findings");
        case DatabaseCheck::Status::Failed:
            return QStringLiteral("failed");
        case DatabaseCheck::Status::Cancelled:
            break;
    }
    return QStringLiteral("cancelled");
}

QString statusCaption(DatabaseCheck::Status status) {
    switch (status) {
        case DatabaseCheck::Status::Ok:
            return QStringLiteral("没有发现问题");
        case DatabaseCheck::Status::Findings:
            return QStringLiteral("有发现");
        case DatabaseCheck::Status::Failed:
            return QStringLiteral("检查失败");
        case DatabaseCheck::Status::Cancelled:
            break;
    }
    return QStringLiteral("未检查");
}

SweepRun::SweepRun(const Session& login, QList<SweepTarget> targets, int jobs)
    : login_(login), targets_(std::move(targets)), jobs_(std::max(1, jobs)) {}

QList<DatabaseCheck> SweepRun::run(const Checked& checked) {
    // Each worker writes only the slots of the indexes it took.
    std::vector<DatabaseCheck> checks;
    for (const SweepTarget& target : targets_) checks.push_back(DatabaseCheck{target});
    const int workers = std::min<int>(jobs_, int(targets_.size()));
    // Read once for all workers: each check runs them with a result table of its own.
    const tooldb::Recordset checkRows = OpenRecordset(kCheckRowsSql, *login_.cnTool);

    std::atomic<int> next{0};
    std::vector<std::jthread> threads;
    for (int worker = 0; worker < workers; ++worker) {
        threads.emplace_back([&] {
            for (int index = next++; index < targets_.size(); index = next++) {
                if (cancelRequested()) return;
                DatabaseCheck& check = checks[std::size_t(index)];
                check = checkOne(targets_.at(index), checkRows);
                if (checked) checked(index, check);
            }
        });
    }
    threads.clear();
    return QList<DatabaseCheck>(checks.begin(), checks.end());
}

void SweepRun::cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    for (RunContext* context : running_) context->cancel();
}

void SweepRun::recordInto(QString historyPath, std::function<void(const QString& message)> warning) {
    historyPath_ = std::move(historyPath);
    warning_ = std::move(warning);
}

bool SweepRun::cancelRequested() {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

bool SweepRun::enter(RunContext* context) {
    const std::lock_guard lock(mutex_);
    if (cancelled_) return false;
    running_.insert(context);
    return true;
}

void SweepRun::leave(RunContext* context) {
    const std::lock_guard lock(mutex_);
    running_.erase(context);
}

DatabaseCheck SweepRun::checkOne(const SweepTarget& target, const tooldb::Recordset& checkRows) {
    DatabaseCheck check{target};
    Session session = login_.packageAndLogin();
    session.gZTName = target.accountId;
    session.gYear = target.year;
    session.gDatabaseName = target.database;
    std::optional<history::RunRecorder> recorder;
    if (!historyPath_.isEmpty()) {
        recorder.emplace(historyPath_, [this](const QString& message) {
            std::call_once(warned_, [&] {
                if (warning_) warning_(message);
            });
        });
        history::startRecording(*recorder, session, history::RunKind::Check);
    }
    try {
        session.cnAccount = odbc::Connection::open(accountLogin(session), kLoginTimeoutSeconds);
    } catch (const Error& error) {
        check.status = DatabaseCheck::Status::Failed;
        check.error = error.message();
        if (recorder) recorder->finish(runEnd(history::RunStatus::Failed, check.error));
        return check;
    }

    RunContext context;
    if (!enter(&context)) {
        if (recorder) recorder->finish(runEnd(history::RunStatus::Cancelled, RunContext::cancelledText()));
        return check;
    }
    const ResultReceiver keep{
        [&](const QStringList& columns) { check.columns = columns; },
        [&](const ResultBlock& block) {
            for (int row = 0; row < block.rowCount() && check.rows.size() < DatabaseCheck::kKeptFindings; ++row) {
                QStringList cells;
                for (int column = 0; column < block.columnCount(); ++column) cells << block.text(row, column);
                check.rows << cells;
            }
        },
    };
    if (recorder) context.setScriptEnded(history::scriptRecording(*recorder));
    const CheckOutcome outcome = runCheck(session, checkRows, recorder ? recorder->recording(keep) : keep, context);
    leave(&context);
    if (recorder) recorder->finish(history::checkRunEnd(outcome));

    if (outcome.kind == CheckOutcome::Kind::Finished) {
        check.findings = outcome.findings;
        check.status = outcome.findings > 0 ? DatabaseCheck::Status::Findings : DatabaseCheck::Status::Ok;
    } else if (outcome.failure.kind == RunOutcome::Kind::Cancelled) {
        check.status = DatabaseCheck::Status::Cancelled;
        check.columns.clear();
        check.rows.clear();
    } else {
        check.status = DatabaseCheck::Status::Failed;
        check.error = failureText(outcome);
    }
    return check;
}

}  // namespace tallomar
