#pragma once

#include "logic/history/run_record.h"
#include "logic/workbench/correction.h"
#include "logic/workbench/workbench.h"

namespace tallomar::history {

// How a check run ended, as the history keeps it: the status line the
// operator saw, the finding count of a delivered result, cancelled when the
// operator stopped it.
RunEnd checkRunEnd(const CheckOutcome& outcome);

// How a correction (or its preview) ended, once committed or rolled back:
// the counts before and after, whether it was kept, and the status line or
// the report of its failure.
RunEnd correctionRunEnd(const CorrectionOutcome& outcome);

// How one script ended, as the history names it: "ok", "failed",
// "cancelled" or "connection lost".
QString scriptOutcomeName(const RunOutcome& outcome);

}  // namespace tallomar::history
