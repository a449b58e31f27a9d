#pragma once

#include "logic/workbench/check_pass.h"
#include "logic/workbench/run_outcome.h"
#include "session/session.h"
#include "tooldb/tool_database.h"

#include <optional>

namespace tallomar {

namespace odbc {
class Connection;
}
class RunContext;

// How a correction keeps what its scripts change.
enum class CorrectionMode {
    Transaction,    // one transaction around every script, kept only when all of them ran
    EachBatchKept,  // no transaction: each batch is kept as it runs, as packages were always run
};

// What became of the changes of a correction.
enum class CorrectionChanges {
    Undone,     // nothing changed: nothing ran, or everything was rolled back
    Pending,    // every script ran in a transaction still open: commit() or rollback() decides
    Kept,       // committed, or run without a transaction to its end
    MaybeKept,  // the run stopped after some changes may already have been kept
};

struct [[nodiscard]] CorrectionOutcome {
    enum class Kind {
        NotOffered,          // the project type offers no correction run: nothing ran
        Unreadable,          // the tool database could not be read: `run` says why, nothing ran
        NeedsNoTransaction,  // the server refused a statement of `run` inside a transaction
        Failed,              // the run stopped where `run` says (failure, cancel, timeout, lost connection)
        TransactionEnded,    // the script `run.script` committed or rolled back the transaction itself
        Ran,                 // every correction script ran
    };
    Kind kind = Kind::NotOffered;
    RunOutcome run;
    CorrectionMode mode = CorrectionMode::Transaction;
    CorrectionChanges changes = CorrectionChanges::Undone;
    // The findings of the check scripts before and after the correction
    // scripts; none when they could not be counted (no check rows, or no
    // result table).
    std::optional<qint64> before;
    std::optional<qint64> after;
};

// The package's steps a correction runs: the check rows (for the counts
// before and after) and the correction rows, both in iOrder.
struct CorrectionSteps {
    tooldb::Recordset checks;
    tooldb::Recordset corrections;
};

// A correction run and, until decided, its open transaction on the
// account-set connection. Destroying it undecided rolls the transaction
// back, so that nothing is ever kept by accident.
class Correction {
public:
    explicit Correction(CorrectionOutcome outcome, odbc::Connection* openTransaction = nullptr);
    Correction(Correction&& other) noexcept;
    Correction& operator=(Correction&&) = delete;
    Correction(const Correction&) = delete;
    Correction& operator=(const Correction&) = delete;
    ~Correction();

    // Runs the steps on the calling thread and returns with the transaction
    // still open when every script and the re-check ran; `receiver` gets
    // the rows the re-check still finds.
    static Correction run(const Session& session, const CorrectionSteps& steps, CorrectionMode mode,
                          const ResultReceiver& receiver, RunContext& context);

    const CorrectionOutcome& outcome() const { return outcome_; }
    bool awaitsDecision() const { return outcome_.changes == CorrectionChanges::Pending; }

    // Keeps the changes. A commit the server refuses, or one whose
    // connection drops, keeps nothing: the outcome then reads Failed.
    void commit();
    // Undoes every change.
    void rollback();

private:
    CorrectionOutcome outcome_;
    odbc::Connection* transaction_;
};

// The server's errors for a statement that cannot run inside a transaction
// (ALTER/CREATE/DROP DATABASE, BACKUP and RESTORE, some system procedures).
bool refusedInsideTransaction(int serverError);

}  // namespace tallomar
