#include "logic/history/run_end.h"

namespace tallomar::history {

RunEnd checkRunEnd(const CheckOutcome& outcome) {
    RunEnd end;
    end.statusText = Workbench::checkStatus(outcome);
    switch (outcome.kind) {
    case CheckOutcome::Kind::Finished:
        end.status = outcome.findings > 0 ? RunStatus::Findings : RunStatus::Ok;
        end.findings = outcome.findings;
        break;
    case CheckOutcome::Kind::NoResultTable: end.status = RunStatus::Failed; break;
    case CheckOutcome::Kind::Failed:
        end.status = outcome.failure.kind == RunOutcome::Kind::Cancelled ? RunStatus::Cancelled : RunStatus::Failed;
        break;
    }
    return end;
}

}  // namespace tallomar::history
