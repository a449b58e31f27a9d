#include "windows/workbench/run_progress_dialog.h"

#include "logic/workbench/run_progress_context.h"
#include "ui_run_progress_dialog.h"

#include <QTime>

namespace tallomar {

namespace {

// Often enough to look live, rare enough to cost nothing beside a fast run.
constexpr int kRefreshMilliseconds = 200;

}  // namespace

RunProgressDialog::RunProgressDialog(RunContext& context, const QString& title, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmRunProgress>()), context_(context) {
    ui_->setupUi(this);
    setWindowTitle(title);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &RunProgressDialog::reject);
    connect(&refreshTimer_, &QTimer::timeout, this, &RunProgressDialog::refresh);
    elapsed_.start();
    refreshTimer_.start(kRefreshMilliseconds);
    refresh();
}

RunProgressDialog::~RunProgressDialog() = default;

void RunProgressDialog::reject() {
    context_.cancel();
    // Disabled, yet as readable as when it could be pressed.
    ui_->cmdCancel->setStyleSheet(QStringLiteral("QPushButton:disabled { color: palette(button-text); }"));
    ui_->cmdCancel->setEnabled(false);
    ui_->cmdCancel->setText(QStringLiteral("正在取消…"));
    refresh();
}

void RunProgressDialog::workFinished() {
    refreshTimer_.stop();
    refresh();
    accept();
}

void RunProgressDialog::refresh() {
    const RunContext::Progress progress = context_.progress();
    ui_->labScript->setText(QStringLiteral("脚本：%1").arg(progress.script));
    // The program's own steps (reading the result, waiting for a lock) have
    // no batch of a script.
    const QString batch = progress.batch > 0 ? QStringLiteral("批次：第 %1 批").arg(progress.batch)
                                             : QStringLiteral("批次：无（程序自身的步骤）");
    ui_->labBatch->setText(context_.cancelRequested() ? QStringLiteral("正在取消：等待服务器停止当前语句…") : batch);
    ui_->labElapsed->setText(QStringLiteral("已用时间：%1")
                                 .arg(QTime(0, 0).addMSecs(elapsed_.elapsed()).toString(QStringLiteral("HH:mm:ss"))));
}

}  // namespace tallomar
