#include "windows/workbench/run_progress.h"

#include "platform/ui/dialogs.h"
#include "windows/workbench/run_progress_dialog.h"

#include <QMetaObject>
#include <atomic>
#include <exception>
#include <thread>

namespace tallomar {

RunOutcome runWithProgress(QWidget* parent, const QString& title, const RunWork& work) {
    RunContext context;
    RunProgressDialog dialog(context, title, parent);
    RunOutcome result;
    std::exception_ptr failure;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        try {
            result = work(context);
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        // Queued: delivered by the box's own event loop, even when the work
        // ends before the box is shown.
        QMetaObject::invokeMethod(&dialog, &RunProgressDialog::workFinished, Qt::QueuedConnection);
    });
    Dialogs::current().exec(dialog);
    // The box ends before the work only when something other than the work
    // closed it (a test answering it): the work must not outlive the call.
    if (!finished) context.cancel();
    worker.join();
    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace tallomar
