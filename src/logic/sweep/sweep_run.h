#pragma once

#include "logic/sweep/sweep_targets.h"
#include "session/session.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <set>

namespace tallomar {

class RunContext;

// What the check of one account-set database came to.
struct DatabaseCheck {
    enum class Status { Ok, Findings, Failed, Cancelled };
    explicit DatabaseCheck(SweepTarget target = {}) : target(std::move(target)) {}

    SweepTarget target;
    Status status = Status::Cancelled;  // until checked: a sweep stopped early never reached it
    std::optional<qint64> findings;     // the result table's records, when the check finished
    QString error;                      // why it failed
    // The findings themselves, the first kKeptFindings of them.
    QStringList columns;
    QList<QStringList> rows;

    static constexpr qint64 kKeptFindings = 1000;
};

// Runs a package's check run on many account-set databases of one server,
// `jobs` databases at a time. Each check has its own session, connection
// and result table (see ResultTable), so checks at once never meet.
class SweepRun {
public:
    // `login` gives the package (its tool database open), server, login and
    // edition; it must outlive the run.
    SweepRun(const Session& login, QList<SweepTarget> targets, int jobs);

    // Called on the worker thread as each database's check ends, with its
    // index among the targets: where a run history records each check.
    using Checked = std::function<void(int index, const DatabaseCheck& check)>;

    // Checks every target and returns their checks in the targets' order. A
    // failing database does not stop the others. Throws Error when the
    // package cannot be read, before any check starts.
    QList<DatabaseCheck> run(const Checked& checked = {});

    // From any thread: the running checks are cancelled and no further one
    // starts; their databases end as cancelled.
    void cancel();

    // Records each database's check in the run history at `historyPath`, as a
    // check run of its own. The history never stops a check: its first
    // failure goes to `warning` (on a worker thread), once per sweep.
    void recordInto(QString historyPath, std::function<void(const QString& message)> warning);

private:
    DatabaseCheck checkOne(const SweepTarget& target, const tooldb::Recordset& checkRows);
    bool cancelRequested();
    bool enter(RunContext* context);
    void leave(RunContext* context);

    const Session& login_;
    QList<SweepTarget> targets_;
    int jobs_;
    std::mutex mutex_;
    bool cancelled_ = false;
    std::set<RunContext*> running_;
    QString historyPath_;
    std::function<void(const QString&)> warning_;
    std::once_flag warned_;
};

// "ok", "findings", "failed" or "cancelled".
QString statusName(DatabaseCheck::Status status);
// The status as the window and the HTML report show it.
QString statusCaption(DatabaseCheck::Status status);

}  // namespace tallomar
