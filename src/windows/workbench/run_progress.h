#pragma once

#include "logic/workbench/run_progress_context.h"

#include <QString>
#include <functional>

class QWidget;

namespace tallomar {

// Runs `work` on a worker thread behind a modal progress box titled `title`
// (shown through the Dialogs seam) and returns what `work` returns; an
// exception thrown by `work` is thrown again here, on the caller's thread.
//
// While it runs, the windows of the program take no input but keep
// repainting. `work` reports through the RunContext it is given and may run
// any number of scripts, e.g. a check run:
//
//     QString failure = runWithProgress(this, QStringLiteral("检查"), [&](RunContext& run) {
//         for (const QString& script : scripts) {
//             if (run.cancelRequested()) return RunContext::cancelledText();
//             QString text = RunScriptFile(script, gToolFolder, run);  // names the script, counts batches
//             if (!text.isEmpty()) return text;
//         }
//         return QString();
//     });
//
// Cancel interrupts the batch running on the server; the runner then returns
// RunContext::cancelledText(). `work` must not touch widgets: it runs off the
// user-interface thread. The box closes itself when `work` returns; if the
// box ends any other way, the work is cancelled and awaited before this
// returns.
QString runWithProgress(QWidget* parent, const QString& title,
                        const std::function<QString(RunContext&)>& work);

}  // namespace tallomar
