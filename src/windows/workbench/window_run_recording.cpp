#include "windows/workbench/window_run_recording.h"

#include "logic/history/session_recording.h"
#include "platform/ui/dialogs.h"

namespace tallomar {

WindowRunRecording::WindowRunRecording(QWidget* window, const Session& session, history::RunKind kind,
                                       const QString& historyPath)
    : window_(window), recorder_(historyPath, [this](const QString& message) {
          std::lock_guard lock(mutex_);
          warning_ = message;
      }) {
    history::startRecording(recorder_, session, kind);
}

void WindowRunRecording::finish(const history::RunEnd& end) {
    recorder_.finish(end);
    QString warning;
    {
        std::lock_guard lock(mutex_);
        warning = warning_;
    }
    if (!warning.isEmpty()) showMessage(window_, MessageIcon::Exclamation, warning);
}

}  // namespace tallomar
