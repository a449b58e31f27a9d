#pragma once

#include "logic/workbench/workbench.h"

#include <QString>

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
//     RunOutcome outcome = runWithProgress(this, QStringLiteral("检查"), [&](RunContext& run) {
//         for (const QString& script : scripts) {
//             if (run.cancelRequested()) return RunOutcome::cancelled();
//             RunOutcome ran = RunScriptFile(session, script, &run);  // names the script, counts batches
//             if (!ran.succeeded()) return ran;
//         }
//         return RunOutcome();
//     });
//
// Cancel interrupts the batch running on the server; the runner then returns
// a cancelled outcome. `work` must not touch widgets: it runs off the
// user-interface thread. The box closes itself when `work` returns; if the
// box ends any other way, the work is cancelled and awaited before this
// returns.
RunOutcome runWithProgress(QWidget* parent, const QString& title, const RunWork& work);

}  // namespace tallomar
