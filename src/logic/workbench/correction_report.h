#pragma once

#include "logic/workbench/correction.h"

#include <QString>

namespace tallomar::texts {

inline const QString kReportUndone = QStringLiteral("所有修改已撤销，数据未被改动。");
inline const QString kPreviewTitle = QStringLiteral("确认修复");
inline const QString kPreviewCommit = QStringLiteral("提交");
inline const QString kPreviewUndo = QStringLiteral("撤销");
inline const QString kStatusNotRechecked = QStringLiteral("修复后无法重新检查");

// "修复前 N 条 → 修复后 M 条", a count that could not be taken shown as "?".
QString beforeAfter(const CorrectionOutcome& outcome);
// "修复后仍有[M]条记录"
QString remainingStatus(qint64 count);
// "N 秒后自动撤销"
QString undoCountdown(qint64 seconds);

// The status line a finished correction earns: "恭喜您，成功修复!" only
// when the re-check found nothing; otherwise what is known of the changes.
QString correctionStatus(const CorrectionOutcome& outcome);
// The report box after a correction: its outcome, what became of the
// changes and, for a failure, the script and batch where it stopped.
QString correctionReport(const CorrectionOutcome& outcome);
// What the operator is asked before a correction the server refused to run
// inside a transaction is run without one.
QString askRunWithoutTransaction(const CorrectionOutcome& outcome);

}  // namespace tallomar::texts
