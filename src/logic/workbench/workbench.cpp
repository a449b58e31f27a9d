#include "logic/workbench/workbench.h"

#include "logic/workbench/run_progress_context.h"
#include "platform/error.h"
#include "tooldb/tool_access.h"

#include <cmath>

namespace tallomar {

namespace {

const QString kCorrectionRowsSql = QStringLiteral("select * from File where cSign='订正' order by iOrder");
}  // namespace

ToolReads ToolReads::of(const tooldb::ToolDatabase& database) {
    return {
        [&database](const QString& field, const QString& table, const QString& condition) {
            return SelectValue(field, table, condition, database);
        },
        [&database](const QString& sql) { return OpenRecordset(sql, database); },
    };
}

Workbench::Workbench(const Session& session, LongRun longRun)
    : Workbench(session, ToolReads::of(*session.cnTool), std::move(longRun)) {}

Workbench::Workbench(const Session& session, ToolReads reads, LongRun longRun)
    : session_(session), reads_(std::move(reads)), longRun_(std::move(longRun)) {}

ToolOffer Workbench::loadTool() const {
    ToolOffer offer;
    offer.check = !reads_
                       .selectValue(QStringLiteral("cName"), QStringLiteral("File"),
                                    QStringLiteral("cSign='校验' and cType='sql'"))
                       .isEmpty();
    if (!offer.check) {
        offer.runCaptioned = true;
        offer.run = !reads_
                         .selectValue(QStringLiteral("cName"), QStringLiteral("File"),
                                      QStringLiteral("cSign='订正' and cType='sql'"))
                         .isEmpty();
    }
    offer.bewrite = !reads_.selectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString()).isEmpty();
    offer.projectType =
        reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='ProjectType'"));
    offer.title = session_.gToolName.isEmpty() ? texts::kFallbackTitle : session_.gToolName;
    return offer;
}

QString Workbench::readme() const {
    return reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                              QStringLiteral("cSys='TDB' and cName='Readme'"));
}

QString Workbench::solution() const {
    return reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                              QStringLiteral("cSys='TDB' and cName='ProjectDes'"));
}

CheckOutcome Workbench::check(const ResultReceiver& receiver) const {
    CheckOutcome outcome;
    tooldb::Recordset rows;
    try {
        rows = reads_.openRecordset(kCheckRowsSql);
    } catch (const Error& error) {
        outcome.failure = RunOutcome::failed(error.message());
        return outcome;
    }
    auto work = [&](RunContext& run) {
        outcome = runCheck(session_, rows, receiver, run);
        return outcome.failure;
    };
    try {
        outcome.failure = longRun_(texts::kCheckTitle, work);
    } catch (const Error& error) {
        outcome.failure = RunOutcome::failed(error.message());
    }
    if (!outcome.failure.succeeded()) outcome.kind = CheckOutcome::Kind::Failed;
    return outcome;
}

Correction Workbench::correct(const QString& projectType, const ResultReceiver& receiver, CorrectionMode mode) const {
    CorrectionOutcome outcome;
    outcome.mode = mode;
    if (projectTypeNumber(projectType) != 0.0) return Correction(std::move(outcome));
    CorrectionSteps steps;
    try {
        steps.checks = reads_.openRecordset(kCheckRowsSql);
        steps.corrections = reads_.openRecordset(kCorrectionRowsSql);
    } catch (const Error& error) {
        outcome.kind = CorrectionOutcome::Kind::Unreadable;
        outcome.run = RunOutcome::failed(error.message());
        return Correction(std::move(outcome));
    }
    std::optional<Correction> correction;
    auto work = [&](RunContext& run) {
        correction.emplace(Correction::run(session_, steps, mode, receiver, run));
        return correction->outcome().run;
    };
    RunOutcome ran;
    try {
        ran = longRun_(texts::kCorrectionTitle, work);
    } catch (const Error& error) {
        // A transaction the work had opened rolls back as `correction` goes.
        ran = RunOutcome::failed(error.message());
        correction.reset();
    }
    if (correction) return std::move(*correction);
    // The work failed, or never began because the run stopped first.
    outcome.kind = CorrectionOutcome::Kind::Failed;
    outcome.run = ran.succeeded() ? RunOutcome::cancelled() : ran;
    return Correction(std::move(outcome));
}

std::optional<double> Workbench::projectTypeNumber(const QString& projectType) {
    if (projectType.trimmed().isEmpty()) return 0.0;
    bool ok = false;
    const double number = projectType.toDouble(&ok);
    if (!ok || !std::isfinite(number)) return std::nullopt;
    return number;
}

FollowUp Workbench::followUp(const QString& projectType, qint64 findings) {
    if (findings <= 0) return FollowUp::None;
    const std::optional<double> number = projectTypeNumber(projectType);
    if (number == 0.0) return FollowUp::Correction;
    if (number == 1.0) return FollowUp::Solution;
    return FollowUp::None;
}

QString Workbench::checkStatus(const CheckOutcome& outcome) {
    switch (outcome.kind) {
        case CheckOutcome::Kind::NoResultTable:
            return texts::kStatusNoResultTable;
        case CheckOutcome::Kind::Finished:
            return outcome.findings > 0 ? texts::findingsStatus(outcome.findings) : texts::kStatusNoFindings;
        case CheckOutcome::Kind::Failed:
            break;
    }
    return outcome.failure.message;
}

namespace {

// The failure's text with the place it stopped on a line of its own.
QString withStopPlace(const QString& text, const RunOutcome& outcome, const QString& lineBreak) {
    const QString place = texts::runStopPlace(outcome);
    return place.isEmpty() ? text : text + lineBreak + place;
}

}  // namespace

QString texts::runStopPlace(const RunOutcome& outcome) {
    if (outcome.script.isEmpty() || outcome.batch <= 0) return {};
    return QStringLiteral("脚本 %1 第 %2 批（第 %3 行起）").arg(outcome.script).arg(outcome.batch).arg(outcome.line);
}

QString texts::runFailureText(const RunOutcome& outcome) {
    // A cancel may come between two batches or inside one: the batch it
    // names may have run to its end, so no place is given.
    if (outcome.kind == RunOutcome::Kind::Cancelled) return kCancelledHeading + RunContext::cancelledText();
    return withStopPlace(outcome.message, outcome, QStringLiteral("\n"));
}

QString texts::runErrorsReport(const RunOutcome& failure) {
    if (failure.kind == RunOutcome::Kind::Cancelled) return runFailureText(failure);
    return withStopPlace(kReportRunErrors + QStringLiteral("\r\n") + failure.message, failure, QStringLiteral("\r\n"));
}

QString texts::findingsStatus(qint64 count) {
    return QStringLiteral("共找到[") + QString::number(count) + QStringLiteral("]条记录");
}

}  // namespace tallomar
