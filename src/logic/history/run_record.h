#pragma once

#include "logic/history/process_identity.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace tallomar::history {

enum class RunKind { Check, Correct, Preview };
// How a run ended. Undone is a correction (or preview) whose scripts all
// ran and whose changes were then rolled back: by the operator, by the
// preview's own time limit, or because it was only a preview. Running and
// Interrupted are never given to RunRecorder::finish: a run is Running until
// it ends, and reads as Interrupted when its process ended without finishing
// it.
enum class RunStatus { Running, Ok, Findings, Undone, Failed, Cancelled, Interrupted };

// The names stored and printed: "check", "correct", "preview"; "running",
// "ok", "findings", "undone", "failed", "cancelled", "interrupted".
QString kindName(RunKind kind);
std::optional<RunKind> kindFromName(const QString& name);
QString statusName(RunStatus status);
std::optional<RunStatus> statusFromName(const QString& name);

// The most findings a run keeps; the count still says how many there were.
inline constexpr qint64 kMaxRecordedFindings = 100'000;

// What is known of a run when it starts. The login's password is never
// part of it.
struct RunFacts {
    RunKind kind = RunKind::Check;
    QString server;
    QString loginUser;
    QString edition;
    QString accountSet;
    QString year;
    QString database;
    QString tool;
    QString packageFolder;
};

// How a run ended.
struct RunEnd {
    RunStatus status = RunStatus::Ok;
    QString statusText;                     // the status line the operator saw
    std::optional<qint64> findings;         // a check's finding count; a correction's before it ran
    std::optional<bool> committed;          // a correction: committed, or rolled back; none when only the server knows
    std::optional<qint64> recheckFindings;  // a correction: the re-check's count
};

// One script a run sent.
struct ScriptRecord {
    QString file;
    QString sha256;  // empty when the file could not be read
    qint64 batches = 0;
    QString outcome;
    QString serverMessage;
};

// A run as the history holds it.
struct RunRecord {
    qint64 id = 0;
    RunFacts facts;
    QString toolDatabaseSha256;
    ProcessIdentity process;
    QDateTime started;
    std::optional<QDateTime> finished;
    std::optional<qint64> durationMs;
    RunEnd end;               // end.status is Running while the run is on
    qint64 findingsKept = 0;  // findings stored; fewer than end.findings when cut
};

}  // namespace tallomar::history
