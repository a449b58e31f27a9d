#include "logic/history/run_end.h"

#include "logic/workbench/correction_report.h"

namespace tallomar::history {

namespace {

RunStatus failureStatus(const RunOutcome& failure) {
    return failure.kind == RunOutcome::Kind::Cancelled ? RunStatus::Cancelled : RunStatus::Failed;
}

}  // namespace

RunEnd checkRunEnd(const CheckOutcome& outcome) {
    RunEnd end;
    end.statusText = Workbench::checkStatus(outcome);
    switch (outcome.kind) {
        case CheckOutcome::Kind::Finished:
            end.status = outcome.findings > 0 ? RunStatus::Findings : RunStatus::Ok;
            end.findings = outcome.findings;
            break;
        case CheckOutcome::Kind::NoResultTable:
            end.status = RunStatus::Failed;
            break;
        case CheckOutcome::Kind::Failed:
            end.status = failureStatus(outcome.failure);
            break;
    }
    return end;
}

RunEnd correctionRunEnd(const CorrectionOutcome& outcome) {
    RunEnd end;
    end.findings = outcome.before;
    end.recheckFindings = outcome.after;
    switch (outcome.changes) {
        case CorrectionChanges::Kept:
            end.committed = true;
            break;
        case CorrectionChanges::Undone:
            end.committed = false;
            break;
        case CorrectionChanges::Pending:    // recorded before the decision: nothing is kept yet
        case CorrectionChanges::MaybeKept:  // the server knows, the run does not
            break;
    }
    switch (outcome.kind) {
        case CorrectionOutcome::Kind::NotOffered:
            end.status = RunStatus::Failed;
            end.statusText = QStringLiteral("the tool's project type offers no correction run");
            break;
        case CorrectionOutcome::Kind::Ran:
            if (outcome.changes == CorrectionChanges::Undone)
                end.status = RunStatus::Undone;
            else
                end.status = outcome.after.value_or(0) > 0 ? RunStatus::Findings : RunStatus::Ok;
            end.statusText = texts::correctionStatus(outcome);
            break;
        case CorrectionOutcome::Kind::Unreadable:
        case CorrectionOutcome::Kind::NeedsNoTransaction:
        case CorrectionOutcome::Kind::Failed:
        case CorrectionOutcome::Kind::TransactionEnded:
            end.status = failureStatus(outcome.run);
            end.statusText = texts::correctionReport(outcome);
            break;
    }
    return end;
}

QString scriptOutcomeName(const RunOutcome& outcome) {
    switch (outcome.kind) {
        case RunOutcome::Kind::Succeeded:
            return QStringLiteral("ok");
        case RunOutcome::Kind::Failed:
            return QStringLiteral("failed");
        case RunOutcome::Kind::Cancelled:
            return QStringLiteral("cancelled");
        case RunOutcome::Kind::ConnectionLost:
            return QStringLiteral("connection lost");
    }
    return {};
}

}  // namespace tallomar::history
