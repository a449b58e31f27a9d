#pragma once

#include "logic/workbench/run_outcome.h"
#include "session/session.h"

#include <QString>

namespace tallomar {

namespace odbc {
class Connection;
}
class ResultTable;
class RunContext;

// How long the server may take to answer each request of a batch.
inline constexpr int kScriptQueryTimeoutSeconds = 300;

// One run of a script file against a database.
struct ScriptRun {
    odbc::Connection* connection = nullptr;  // null: absent, the database switch fails
    QString databaseName;                    // switched to with useStatement first
    QString path;                            // the script file on this file system
    QString script;                          // the script as the package names it, for the outcome
    int queryTimeoutSeconds = kScriptQueryTimeoutSeconds;
    RunContext* context = nullptr;             // progress and Cancel, when run behind a dialog
    const ResultTable* resultTable = nullptr;  // the run's result table, which each batch names
};

// "Use " + the database's name: as it stands when it is a plain name,
// bracketed (with "]" doubled) otherwise, so that no name can add
// statements or point elsewhere.
QString useStatement(const QString& databaseName);

// Switches the connection to the database, then reads the script as a stream
// and sends its batches in file order on the same statement, reading every
// result of each batch through. Batches sent before a failure stay applied;
// nothing is read or sent after it.
RunOutcome runScript(const ScriptRun& run);

// Runs the package script `fileName` (as stored in the tool database: "\"
// between folders, any letter case) of the session's package folder in its
// gDatabaseName on its cnAccount, on the calling thread; with a context,
// reporting progress to and stopping on the Cancel of `context`; with a
// result table, each batch naming the run's own (see ResultTable).
RunOutcome RunScriptFile(const Session& session, const QString& fileName, RunContext* context = nullptr,
                         const ResultTable* resultTable = nullptr);

}  // namespace tallomar
