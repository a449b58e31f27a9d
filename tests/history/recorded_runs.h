#pragma once

#include "logic/history/finding_row.h"
#include "logic/history/run_record.h"
#include "logic/workbench/workbench.h"

#include <QStringList>
#include <vector>

namespace tallomar::test {

// Hands `rows` to `receiver` the way the check run does: the column names,
// then the rows in blocks of `blockRows`.
void deliverFindings(const ResultReceiver& receiver, const QStringList& columns,
                     const std::vector<history::FindingRow>& rows, int blockRows = 4096);

// The facts of a run of tool "科目检查" on database qvdata_001_2024.
history::RunFacts demoFacts(history::RunKind kind);

// Writes a history file as the first release (schema version 1) left it:
// a check (run 7, one finding kept), an undone correction (8), a committed
// one (9), an undone preview (10) and a cancelled correction (11). Throws
// Error when it cannot.
void writeFirstReleaseHistory(const QString& path);

}  // namespace tallomar::test
