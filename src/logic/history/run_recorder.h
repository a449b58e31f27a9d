#pragma once

#include "logic/history/run_record.h"
#include "logic/workbench/workbench.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <memory>

namespace tallomar::history {

class HistoryDatabase;
class SerialWriter;

// Writes one run into the history as it happens: a "running" run at
// start(), its scripts, its findings while they stream in, its end at
// finish(). Past start() the writing happens on a thread of the recorder's
// own, so that a check's fetch never waits for the disk; finish() returns
// once everything is written. The history can never break the run: no call
// throws; the first failure (a read-only, damaged or full history file) goes
// to `warning`, once, on the calling thread when start() failed and on the
// recorder's thread after. The run is then taken out of the history again
// where it can be (a history keeps whole runs or none), and the recorder does
// nothing more.
//
//     RunRecorder recorder(HistoryDatabase::defaultPath(), showWarning);
//     recorder.start(facts, toolFolder + "/ZOL.mdb");
//     recorder.script(path, batches, outcome, serverMessage);   // per script
//     workbench.check(recorder.recording(gridReceiver));        // worker thread
//     recorder.finish({RunStatus::Findings, statusLine, count});
//
// Calls come one after another (the findings from the worker thread, the
// rest from any thread), never two at once.
class RunRecorder {
public:
    using Warning = std::function<void(const QString& message)>;

    RunRecorder(QString historyPath, Warning warning);
    // A run started and never finished is ended as interrupted.
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    // Writes the run as running, with the SHA-256 of the tool database file.
    void start(const RunFacts& facts, const QString& toolDatabaseFile);
    // One script sent: its file (hashed now), batches sent, outcome and the
    // server's message.
    void script(const QString& file, qint64 batches, const QString& outcome, const QString& serverMessage);
    // A receiver that records the findings, then hands them on to `next`.
    ResultReceiver recording(ResultReceiver next);
    void columns(const QStringList& columns);
    // Keeps up to kMaxRecordedFindings rows, each block as one blob in one
    // transaction: a block costs one insert, not one per row. Stops keeping
    // them, with a warning, where the history's disk nears full.
    void rows(const ResultBlock& rows);
    void finish(const RunEnd& end);

    // The run's id once start() wrote it; none once a write failed, as the
    // history then does not keep the run (or keeps it as interrupted). Past
    // finish(), an id says the whole run is in the history.
    std::optional<qint64> runId() const;

private:
    template <typename Write>
    void guarded(Write write);
    // Runs the write on the writer's thread, guarded; nothing once start() failed.
    template <typename Write>
    void later(Write write);
    // Deletes what was written of the run, after a failure.
    void abandonRun();
    // Whether the history's disk has room for a findings blob of `blobBytes`.
    bool roomFor(qsizetype blobBytes);

    QString path_;
    Warning warning_;
    std::unique_ptr<HistoryDatabase> database_;  // on the writer's thread past start()
    std::unique_ptr<SerialWriter> writer_;
    std::atomic<bool> failed_ = false;
    std::atomic<bool> findingsStopped_ = false;  // the disk neared full: no more findings kept
    bool finished_ = false;
    qint64 id_ = 0;
    int scripts_ = 0;
    qint64 kept_ = 0;
    QElapsedTimer clock_;
    qsizetype lastBlobSize_ = 0;  // the next block's likely size, reserved at once
};

// The SHA-256 of a file as lowercase hex; empty when it cannot be read.
QString fileSha256(const QString& path);

}  // namespace tallomar::history
