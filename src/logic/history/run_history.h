#pragma once

#include "logic/history/finding_row.h"
#include "logic/history/history_database.h"
#include "logic/history/run_record.h"

#include <QStringList>
#include <vector>

namespace tallomar::history {

// Which runs to list; empty texts match every run.
struct RunFilter {
    QString database;
    QString tool;
    int limit = 50;
};

// The findings a run kept.
struct RecordedFindings {
    QStringList columns;
    std::vector<FindingRow> rows;
    // The run found more than it kept (see kMaxRecordedFindings).
    bool cut = false;
};

// Reads the run history (and prunes it). A "running" run whose process
// has ended on this host reads as interrupted. Throws Error naming the file
// when the history cannot be read.
class RunHistory {
public:
    explicit RunHistory(const QString& path);

    // Newest first.
    std::vector<RunRecord> runs(const RunFilter& filter);
    // Throws Error when there is no run `id`.
    RunRecord run(qint64 id);
    std::vector<ScriptRecord> scripts(qint64 id);
    RecordedFindings findings(qint64 id);
    // Deletes the runs started before `startedBefore`, except runs still
    // running; returns how many went.
    int prune(const QDateTime& startedBefore);

private:
    HistoryDatabase database_;
};

}  // namespace tallomar::history
