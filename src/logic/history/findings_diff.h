#pragma once

#include "logic/history/finding_row.h"

#include <QStringList>
#include <vector>

namespace tallomar::history {

class RunHistory;

// What changed between two checks of one tool on one database. Records are
// compared on all their columns, as multisets: a record found twice before
// and once after is one fixed and one remaining. Each list keeps the order
// the records were found in.
struct FindingsDiff {
    QStringList columns;
    std::vector<FindingRow> fixed;      // found before, not after
    std::vector<FindingRow> remaining;  // found both times
    std::vector<FindingRow> added;      // found after only
    bool cut = false;                   // either run kept only part of its findings
};

FindingsDiff diffFindings(const std::vector<FindingRow>& before, const std::vector<FindingRow>& after);

// Compares check `before` with check `after`; throws Error saying why when
// they are not checks of the same tool and database or their columns differ.
FindingsDiff diffChecks(RunHistory& history, qint64 before, qint64 after);

}  // namespace tallomar::history
