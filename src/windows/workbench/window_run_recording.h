#pragma once

#include "logic/history/run_recorder.h"
#include "session/session.h"

#include <QString>
#include <mutex>

class QWidget;

namespace tallomar {

// One run of the main window recorded in the history. The recorder may
// report a failure from the worker thread that reads the findings, where no
// box can be shown: the first failure is kept and told in a warning box on
// the window's thread when the run ends. The run goes on either way.
class WindowRunRecording {
public:
    WindowRunRecording(QWidget* window, const Session& session, history::RunKind kind, const QString& historyPath);

    history::RunRecorder& recorder() { return recorder_; }
    // Ends the run in the history and tells of a failure to write it.
    void finish(const history::RunEnd& end);

private:
    QWidget* window_;
    std::mutex mutex_;
    QString warning_;
    history::RunRecorder recorder_;
};

}  // namespace tallomar
