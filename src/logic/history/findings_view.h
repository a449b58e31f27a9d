#pragma once

#include "logic/workbench/result_model.h"

#include <QString>
#include <memory>
#include <vector>

namespace tallomar::history {

class RunHistory;

// What the history window shows below its list for the runs chosen there.
struct FindingsView {
    QString caption;
    std::unique_ptr<ResultModel> model;  // none when there is nothing to show
};

// One check: its findings. Two checks of one tool and database: the records
// fixed, remaining and new, with a first column "change" saying which.
// Anything else: a caption saying why nothing is shown. Never throws: a
// history that cannot be read is said in the caption.
FindingsView findingsView(RunHistory& history, std::vector<qint64> chosen);

}  // namespace tallomar::history
