#include "logic/workbench/run_progress_context.h"

#include "platform/odbc/odbc.h"

namespace tallomar {

QString RunContext::cancelledText() {
    return QStringLiteral("操作员已取消执行。");
}

void RunContext::showScript(const QString& name) {
    std::lock_guard lock(mutex_);
    progress_ = {name, 0};
}

void RunContext::showBatch(int number) {
    std::lock_guard lock(mutex_);
    progress_.batch = number;
}

bool RunContext::cancelRequested() const {
    std::lock_guard lock(mutex_);
    return cancelRequested_;
}

void RunContext::scriptEnded(const QString& path, const RunOutcome& outcome) const {
    if (scriptEnded_) scriptEnded_(path, outcome);
}

void RunContext::setScriptEnded(ScriptEnded listener) {
    scriptEnded_ = std::move(listener);
}

void RunContext::cancel() {
    std::lock_guard lock(mutex_);
    cancelRequested_ = true;
    // Under the lock the statement cannot go away while it is interrupted.
    if (statement_) statement_->cancel();
}

RunContext::Progress RunContext::progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

RunContext::StatementScope::StatementScope(RunContext* context, odbc::Statement& statement) : context_(context) {
    if (!context_) return;
    std::lock_guard lock(context_->mutex_);
    context_->statement_ = &statement;
    if (context_->cancelRequested_) statement.cancel();
}

RunContext::StatementScope::~StatementScope() {
    if (!context_) return;
    std::lock_guard lock(context_->mutex_);
    context_->statement_ = nullptr;
}

}  // namespace tallomar
