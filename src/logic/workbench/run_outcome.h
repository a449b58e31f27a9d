#pragma once

#include "logic/workbench/run_progress_context.h"

#include <QString>
#include <QtGlobal>

namespace tallomar {

// How running scripts ended: every script ran, or where and why the run
// stopped. A failure names the script file as the package names it, the
// batch (from 1) and the line of the file where that batch starts. A failure
// that is no batch's (the database switch, a file that cannot be read or
// decoded, whose message names the line) has batch 0, and one before any
// script (reading the tool database) names no script.
struct [[nodiscard]] RunOutcome {
    enum class Kind {
        Succeeded,
        Failed,          // the server refused a batch, or the file could not be read: `message` says why
        Cancelled,       // the operator stopped the run
        ConnectionLost,  // the connection to the server broke
    };
    Kind kind = Kind::Succeeded;
    QString script;
    int batch = 0;
    qint64 line = 0;
    // What the windows show of a failure: the server's or the file system's
    // own words, or the cancelled text; empty on success.
    QString message;
    // The server's number for the error that refused a batch (226, 3021...);
    // 0 when no server error stopped the run.
    int serverError = 0;

    static RunOutcome failed(QString message) { return {Kind::Failed, {}, 0, 0, std::move(message)}; }
    static RunOutcome cancelled() { return {Kind::Cancelled, {}, 0, 0, RunContext::cancelledText()}; }

    bool succeeded() const { return kind == Kind::Succeeded; }
};

}  // namespace tallomar
