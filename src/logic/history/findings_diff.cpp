#include "logic/history/findings_diff.h"

#include "logic/history/run_history.h"
#include "platform/error.h"

#include <map>

namespace tallomar::history {

namespace {

using Counts = std::map<FindingRow, qint64>;

Counts counted(const std::vector<FindingRow>& rows) {
    Counts counts;
    for (const FindingRow& row : rows) ++counts[row];
    return counts;
}

// Whether `row` is still among `unmatched`; takes it out when it is.
bool takeMatch(Counts& unmatched, const FindingRow& row) {
    const auto found = unmatched.find(row);
    if (found == unmatched.end() || found->second == 0) return false;
    --found->second;
    return true;
}

}  // namespace

FindingsDiff diffFindings(const std::vector<FindingRow>& before, const std::vector<FindingRow>& after) {
    FindingsDiff diff;
    Counts unmatchedAfter = counted(after);
    for (const FindingRow& row : before) (takeMatch(unmatchedAfter, row) ? diff.remaining : diff.fixed).push_back(row);
    Counts unmatchedBefore = counted(before);
    for (const FindingRow& row : after)
        if (!takeMatch(unmatchedBefore, row)) diff.added.push_back(row);
    return diff;
}

FindingsDiff diffChecks(RunHistory& history, qint64 before, qint64 after) {
    const RunRecord first = history.run(before);
    const RunRecord second = history.run(after);
    for (const RunRecord* run : {&first, &second}) {
        if (run->facts.kind != RunKind::Check)
            throw Error(QStringLiteral("run %1 is a %2 run, not a check").arg(run->id).arg(kindName(run->facts.kind)));
    }
    if (first.facts.tool != second.facts.tool || first.facts.database != second.facts.database)
        throw Error(QStringLiteral("run %1 checked %2 with \"%3\", run %4 checked %5 with \"%6\": "
                                   "only checks of the same tool and database compare")
                        .arg(before)
                        .arg(first.facts.database, first.facts.tool)
                        .arg(after)
                        .arg(second.facts.database, second.facts.tool));
    const RecordedFindings firstFindings = history.findings(before);
    const RecordedFindings secondFindings = history.findings(after);
    if (firstFindings.columns != secondFindings.columns)
        throw Error(QStringLiteral("run %1 has columns (%2), run %3 has columns (%4): records do not compare")
                        .arg(before)
                        .arg(firstFindings.columns.join(QStringLiteral(", ")))
                        .arg(after)
                        .arg(secondFindings.columns.join(QStringLiteral(", "))));
    FindingsDiff diff = diffFindings(firstFindings.rows, secondFindings.rows);
    diff.columns = firstFindings.columns;
    diff.cut = firstFindings.cut || secondFindings.cut;
    return diff;
}

}  // namespace tallomar::history
