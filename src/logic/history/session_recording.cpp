#include "logic/history/session_recording.h"

#include "logic/history/run_end.h"
#include "logic/history/run_recorder.h"
#include "logic/workbench/run_outcome.h"

namespace tallomar::history {

RunFacts runFacts(const Session& session, RunKind kind) {
    RunFacts facts;
    facts.kind = kind;
    facts.server = session.gServerName;
    facts.loginUser = session.gUserName;
    facts.edition = session.gSoft;
    facts.accountSet = session.gZTName;
    facts.year = session.gYear;
    facts.database = session.gDatabaseName;
    facts.tool = session.gToolName;
    facts.packageFolder = session.gToolFolder;
    return facts;
}

void startRecording(RunRecorder& recorder, const Session& session, RunKind kind) {
    recorder.start(runFacts(session, kind), session.gToolDbPath);
}

RunContext::ScriptEnded scriptRecording(RunRecorder& recorder) {
    return [&recorder](const QString& path, const RunOutcome& outcome) {
        // A failure's batch is the one the server refused: it was sent too.
        recorder.script(path, outcome.batch, scriptOutcomeName(outcome), outcome.message);
    };
}

}  // namespace tallomar::history
