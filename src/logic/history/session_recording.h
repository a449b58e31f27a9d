#pragma once

#include "logic/history/run_record.h"
#include "logic/workbench/run_progress_context.h"
#include "session/session.h"

namespace tallomar::history {

class RunRecorder;

// What the session says of a run about to start: server, login, edition,
// account set, year, database, tool and package folder.
RunFacts runFacts(const Session& session, RunKind kind);

// Starts recording a run of the session: the history gets its facts and
// the SHA-256 of the session's tool database.
void startRecording(RunRecorder& recorder, const Session& session, RunKind kind);

// A listener for RunContext::setScriptEnded that records each script's file,
// batches sent, outcome and the server's message.
RunContext::ScriptEnded scriptRecording(RunRecorder& recorder);

}  // namespace tallomar::history
