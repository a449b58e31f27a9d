#pragma once

#include "logic/workbench/correction.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <chrono>
#include <memory>

namespace Ui {
class frmCorrectionPreview;
}

namespace tallomar {

// How long the preview waits for the operator: the open transaction holds
// locks on the customer's tables meanwhile.
inline constexpr std::chrono::milliseconds kPreviewUndoAfter = std::chrono::minutes(5);

// The question after a correction ran in a transaction and was re-checked,
// before anything is kept: which ledger it changes, the findings before and
// after, 提交 (Accepted:
// commit) and 撤销 (Rejected: roll back). It counts down visibly and undoes
// by itself when the time runs out; closing it undoes as well.
class CorrectionPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // `target` names the ledger (texts::correctionTarget).
    CorrectionPreviewDialog(const CorrectionOutcome& outcome, const QString& target,
                            std::chrono::milliseconds undoAfter, QWidget* parent = nullptr);
    ~CorrectionPreviewDialog() override;

private:
    void showRemainingTime();

    std::unique_ptr<Ui::frmCorrectionPreview> ui_;
    QDeadlineTimer deadline_;
    QTimer tick_;
    QTimer undo_;
};

}  // namespace tallomar
