#pragma once

#include "logic/workbench/result_block.h"
#include "logic/workbench/run_outcome.h"
#include "session/session.h"
#include "tooldb/tool_database.h"

#include <QStringList>
#include <QVariant>
#include <functional>

namespace tallomar {

class RunContext;

// Where the rows of the check result go, on the thread doing the work: the
// column names once, then the rows block by block. A block is valid during
// the call only; ResultBlock::copyInto keeps it.
struct ResultReceiver {
    std::function<void(const QStringList& columns)> columns;
    std::function<void(const ResultBlock& rows)> rows;

    // Takes the rows and keeps none of them, for a run that only counts.
    static ResultReceiver discarding();
};

struct [[nodiscard]] CheckOutcome {
    enum class Kind {
        Failed,         // a script, the tool database or the server failed: `failure` says how
        NoResultTable,  // the result table named by the last check row does not exist
        Finished,       // the result was delivered: `findings` records
    };
    Kind kind = Kind::Failed;
    RunOutcome failure;
    qint64 findings = 0;
};

// A step without a script: the marker "999", or no file name at all.
bool hasScript(const QVariant& path);

// Runs the scripts of the step rows in their order, skipping steps without
// one, until the first that does not succeed.
RunOutcome runScripts(const Session& session, const tooldb::Recordset& steps, RunContext& run);

// One pass of the check on the calling thread: runs the scripts of the
// check rows, then delivers the result table the last check row names.
// Table names reach SQL quoted, so no name can change the statements.
CheckOutcome runCheckPass(const Session& session, const tooldb::Recordset& checkRows, const ResultReceiver& receiver,
                          RunContext& run);

}  // namespace tallomar
