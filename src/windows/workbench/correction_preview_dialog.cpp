#include "windows/workbench/correction_preview_dialog.h"

#include "logic/workbench/correction_report.h"
#include "ui_correction_preview_dialog.h"

#include <QPushButton>

namespace tallomar {

namespace {

// The countdown shows whole seconds; a few ticks a second keep it exact.
constexpr std::chrono::milliseconds kTick(250);

QString previewNote(const CorrectionOutcome& outcome) {
    if (!outcome.after) return texts::kStatusNotRechecked;
    return QStringLiteral("提交：保存修改；撤销：所有修改撤销，数据不变。");
}

}  // namespace

CorrectionPreviewDialog::CorrectionPreviewDialog(const CorrectionOutcome& outcome, const QString& target,
                                                 std::chrono::milliseconds undoAfter, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmCorrectionPreview>()), deadline_(undoAfter) {
    ui_->setupUi(this);
    ui_->labTarget->setText(target);
    ui_->labTarget->setToolTip(target);
    QFont counts = ui_->labCounts->font();
    counts.setBold(true);
    counts.setPointSizeF(counts.pointSizeF() * 1.3);
    ui_->labCounts->setFont(counts);
    ui_->labCounts->setText(texts::beforeAfter(outcome));
    ui_->labNote->setText(previewNote(outcome));
    connect(ui_->cmdCommit, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->cmdUndo, &QPushButton::clicked, this, &QDialog::reject);
    connect(&tick_, &QTimer::timeout, this, &CorrectionPreviewDialog::showRemainingTime);
    undo_.setSingleShot(true);
    connect(&undo_, &QTimer::timeout, this, &QDialog::reject);
    tick_.start(kTick);
    undo_.start(undoAfter);
    showRemainingTime();
}

CorrectionPreviewDialog::~CorrectionPreviewDialog() = default;

void CorrectionPreviewDialog::showRemainingTime() {
    const qint64 milliseconds = deadline_.remainingTime();
    ui_->labCountdown->setText(texts::undoCountdown((milliseconds + 999) / 1000));
}

}  // namespace tallomar
