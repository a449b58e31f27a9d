#pragma once

#include "logic/history/run_record.h"
#include "logic/workbench/workbench.h"

namespace tallomar::history {

// How a check run ended, as the history keeps it: the status line the
// operator saw, the finding count of a delivered result, cancelled when the
// operator stopped it.
RunEnd checkRunEnd(const CheckOutcome& outcome);

}  // namespace tallomar::history
