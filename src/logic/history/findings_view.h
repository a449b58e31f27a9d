#pragma once

#include "logic/workbench/result_model.h"

#include <QString>
#include <memory>

namespace tallomar::history {

class RunHistory;

// What the history window shows below its list of runs.
struct FindingsView {
    QString caption;
    std::unique_ptr<ResultModel> model;  // none when there is nothing to show
};

// The labels of a compared record: fixed, still there, new.
inline const QString kFixedLabel = QStringLiteral("已修复");
inline const QString kRemainingLabel = QStringLiteral("仍存在");
inline const QString kAddedLabel = QStringLiteral("新出现");
// The heading of the column that carries those labels.
inline const QString kChangeHeading = QStringLiteral("状态");

// A run opened: the findings a check kept, under the status line the
// operator saw; any other run has its status line and no findings.
// Never throws: a history that cannot be read is said in the caption.
FindingsView runFindingsView(RunHistory& history, qint64 id);

// Two checks of one tool and database compared: the records fixed,
// remaining and new, in that order, with a first column saying which. A
// comparison that cannot be made is said in the caption. Never throws.
FindingsView comparisonView(RunHistory& history, qint64 before, qint64 after);

}  // namespace tallomar::history
