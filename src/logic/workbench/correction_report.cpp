#include "logic/workbench/correction_report.h"

#include "logic/workbench/workbench.h"

namespace tallomar::texts {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString countText(const std::optional<qint64>& count) {
    return count ? QString::number(*count) : QStringLiteral("?");
}

const QString kNotRechecked =
    QStringLiteral("无法重新检查（本工具没有检查脚本，或检查结果表不存在），修复结果未经确认。");
const QString kNeedsNoTransaction = QStringLiteral(
    "本工具的脚本含有不能在事务中执行的语句，只能不使用事务执行：每个批处理执行后立即生效，出错时不能撤销。");
const QString kKeptWithoutTransaction = QStringLiteral("本次修复没有使用事务：出错之前执行的语句已经生效，没有撤销。");
const QString kEndedByScript = QStringLiteral(
    "在此之前的修改可能已被该脚本提交保存，也可能已被它回滚撤销；它结束事务之后执行的语句已直接生效。请重新检查数据。");
const QString kCommitUnconfirmed =
    QStringLiteral("提交修改时与服务器的连接中断，无法确认修改是否已经保存。请重新检查数据。");

// The script a run stopped in when no batch of it is named (its file could
// not be read, or it ended the transaction between batches); the failure
// texts name script and batch together otherwise.
QString scriptWithoutBatch(const RunOutcome& run) {
    if (run.script.isEmpty() || run.batch > 0 || run.kind == RunOutcome::Kind::Cancelled) return {};
    return QStringLiteral("脚本 %1").arg(run.script);
}

QString whatWasKept(const CorrectionOutcome& outcome) {
    if (outcome.changes == CorrectionChanges::Undone) return kReportUndone;
    if (outcome.kind == CorrectionOutcome::Kind::TransactionEnded) return kEndedByScript;
    if (outcome.mode == CorrectionMode::EachBatchKept) return kKeptWithoutTransaction;
    return kCommitUnconfirmed;
}

QString joined(const QStringList& lines) {
    QStringList present = lines;
    present.removeAll(QString());
    return present.join(kCrLf);
}

}  // namespace

QString beforeAfter(const CorrectionOutcome& outcome) {
    return QStringLiteral("修复前 %1 条 → 修复后 %2 条").arg(countText(outcome.before), countText(outcome.after));
}

QString remainingStatus(qint64 count) {
    return QStringLiteral("修复后仍有[") + QString::number(count) + QStringLiteral("]条记录");
}

QString undoCountdown(qint64 seconds) {
    return QStringLiteral("%1 秒后自动撤销").arg(seconds);
}

QString correctionStatus(const CorrectionOutcome& outcome) {
    if (outcome.kind != CorrectionOutcome::Kind::Ran) return whatWasKept(outcome);
    if (outcome.changes != CorrectionChanges::Kept) return beforeAfter(outcome) + QStringLiteral("（已撤销）");
    if (!outcome.after) return kStatusNotRechecked;
    return *outcome.after == 0 ? kStatusRepaired : remainingStatus(*outcome.after);
}

QString correctionReport(const CorrectionOutcome& outcome) {
    if (outcome.kind != CorrectionOutcome::Kind::Ran)
        return joined({runErrorsReport(outcome.run), scriptWithoutBatch(outcome.run), whatWasKept(outcome),
                       outcome.kind == CorrectionOutcome::Kind::NeedsNoTransaction ? kNeedsNoTransaction : QString()});
    if (outcome.changes == CorrectionChanges::Undone) return joined({beforeAfter(outcome), kReportUndone});
    if (!outcome.after) return joined({kReportRepaired, kNotRechecked});
    if (*outcome.after == 0) return kReportRepaired;
    return joined({kReportRepaired, beforeAfter(outcome)});
}

QString askRunWithoutTransaction(const CorrectionOutcome& outcome) {
    return joined({runFailureText(outcome.run), scriptWithoutBatch(outcome.run), kReportUndone, kNeedsNoTransaction,
                   QStringLiteral("是否按原方式执行（不使用事务，每个批处理执行后立即生效）？")});
}

}  // namespace tallomar::texts
