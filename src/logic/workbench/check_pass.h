#pragma once

#include "logic/workbench/result_block.h"
#include "logic/workbench/result_table.h"
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

// The check rows of the tool database's File table, in the order they run.
inline const QString kCheckRowsSql = QStringLiteral("select * from File where cSign='校验' order by iOrder");

// A step without a script: the marker "999", or no file name at all.
bool hasScript(const QVariant& path);

// The result table the last check row names, for a run of the scripts of
// the check rows and of `corrections` (see ResultTable).
ResultTable resultTableFor(const Session& session, const tooldb::Recordset& checkRows,
                           const tooldb::Recordset* corrections = nullptr);

// Runs the scripts of the step rows in their order, skipping steps without
// one, until the first that does not succeed; each batch names `table`.
RunOutcome runScripts(const Session& session, const tooldb::Recordset& steps, const ResultTable& table,
                      RunContext& run);

// One pass of the check on the calling thread: runs the scripts of the
// check rows, then delivers the rows of `table`. `phase` names the pass
// where the program's own statements fail ("检查", "修复后重新检查"). Table
// names reach SQL quoted, so no name can change the statements.
CheckOutcome runCheckPass(const Session& session, const tooldb::Recordset& checkRows, const ResultTable& table,
                          const ResultReceiver& receiver, RunContext& run, const QString& phase);

// A whole check run on the calling thread: its own result table, held on
// the server from the first script to the end of the pass.
CheckOutcome runCheck(const Session& session, const tooldb::Recordset& checkRows, const ResultReceiver& receiver,
                      RunContext& run);

}  // namespace tallomar
