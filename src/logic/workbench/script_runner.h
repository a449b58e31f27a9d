#pragma once

#include <QString>

namespace tallomar {

namespace odbc { class Connection; }
class RunContext;

// How long the server may take to answer each request of a batch.
inline constexpr int kScriptQueryTimeoutSeconds = 300;

// One run of a script file against a database.
struct ScriptRun {
    odbc::Connection* connection = nullptr;  // null: absent, the database switch fails
    QString databaseName;                    // switched to with "Use " + name first
    QString path;                            // the script file on this file system
    int queryTimeoutSeconds = kScriptQueryTimeoutSeconds;
    RunContext* context = nullptr;           // progress and Cancel, when run behind a dialog
};

// Switches the connection to the database, then reads the script as a stream
// and sends its batches in file order on the same statement, reading every
// result of each batch through. Returns the empty text when the whole script
// ran, else the description of the failure that stopped it, as the server or
// the file system gives it (or RunContext::cancelledText()). Batches sent
// before a failure stay applied; nothing is read or sent after it.
QString runScript(const ScriptRun& run);

// Runs the package script `fileName` (as stored in the tool database: "\"
// between folders, any letter case) of the package folder `folder` in
// gDatabaseName on cnAccount, on the calling thread.
QString RunScriptFile(const QString& fileName, const QString& folder);
// The same, reporting progress to and stopping on the Cancel of `context`.
QString RunScriptFile(const QString& fileName, const QString& folder, RunContext& context);

}  // namespace tallomar
